#include "shell/password_change_dialog.h"

#include "kit/window_steps.h"
#include "platform/messages.h"
#include "shell/accounts.h"
#include "shell/password_box.h"
#include "shell/password_list.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

PasswordChangeDialog::PasswordChangeDialog(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("个人密码修改"));
    setWindowTitle(QStringLiteral("修改个人密码"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtUserName->setReadOnly(true);
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    for (QLineEdit *box : {txtPassword, Text1, Text2})
        makePasswordBox(box);
    // The new password keeps the password rule as it is typed; the old one is
    // typed as stored.
    for (QLineEdit *box : {Text1, Text2}) {
        connect(box, &QLineEdit::textEdited, this, [this, box] {
            QString text = box->text();
            if (passwordFits(text))
                return;
            cutToPasswordRule(this, text);
            box->setText(text);
        });
    }

    const QString captions[] = {
        QStringLiteral("用户名称(&U):"), QStringLiteral("原 密 码(&P):"),
        QStringLiteral("新 密 码(&X):"), QStringLiteral("重输新码(&R):"),
    };
    QLineEdit *boxes[] = {txtUserName, txtPassword, Text1, Text2};
    auto *form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(10);
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(captions[i], this);
        label->setObjectName(QStringLiteral("lblLabels"));
        label->setBuddy(boxes[i]);
        lblLabels.append(label);
        form->addWidget(label, i, 0);
        form->addWidget(boxes[i], i, 1);
    }
    auto *note = new QLabel(QStringLiteral("密码最多6位数字或英文字符"), this);
    note->setObjectName(QStringLiteral("lblLabels"));
    lblLabels.append(note);
    form->addWidget(note, 4, 1);
    txtUserName->setMinimumWidth(180);

    cmdOK = new QPushButton(QStringLiteral("确定(&Y)"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(14);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(txtPassword, Text1);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, txtUserName);
    setTabOrder(txtUserName, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &PasswordChangeDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &PasswordChangeDialog::cmdCancel_Click);
}

void PasswordChangeDialog::Form_Load()
{
    txtUserName->setText(session().username);
    txtPassword->setFocus();
}

void PasswordChangeDialog::cmdOK_Click()
{
    Session &s = session();
    if (txtPassword->text() != s.userpas) {
        showNotice(this, QStringLiteral("你输入的原密码不正确，如果忘记，请与管理员联系。"), kTitleHintDots);
        txtPassword->clear();
        txtPassword->setFocus();
        return;
    }
    if (Text1->text() != Text2->text()) {
        showNotice(this, QStringLiteral("你两次输入的新密码不相同，请重新输入。"), kTitleHintDots);
        Text1->clear();
        Text2->clear();
        Text1->setFocus();
        return;
    }
    if (Text1->text().isEmpty()) {
        showNotice(this, QStringLiteral("新密码不能为空，请重新输入。"), kTitleHintDots);
        Text1->setFocus();
        return;
    }
    const PasswordChange change = changeAccountPassword(s.openpath, s.username, s.id, Text1->text());
    if (change.status == PasswordChange::NoAccountRow) {
        showNotice(this,
                   QStringLiteral("找不到用户(%1)的账户数据，密码没有修改。请与管理员联系。").arg(s.username),
                   kTitleHintDots);
        return;
    }
    if (change.status == PasswordChange::DatabaseError) {
        showNotice(this, kDataErrorPrefix + change.errorText);
        return;
    }
    s.userpas = Text1->text();
    s.setSignedIn(s.username);
    showNotice(this, QStringLiteral("密码修改成功。"), kTitleHintDots);
    accept();
}

void PasswordChangeDialog::cmdCancel_Click()
{
    reject();
}

} // namespace tessaly
