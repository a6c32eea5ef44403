#include "shell/password_change_dialog.h"

#include "kit/window_steps.h"
#include "widgets/messages.h"
#include "shell/accounts.h"
#include "shell/dialog_layout.h"
#include "shell/password_box.h"
#include "shell/password_list.h"

#include <QLineEdit>
#include <QPushButton>

namespace tessaly {

PasswordChangeDialog::PasswordChangeDialog(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("个人密码修改"));
    setWindowTitle(QStringLiteral("修改个人密码"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    txtUserName = named(new QLineEdit(this), "txtUserName");
    txtUserName->setReadOnly(true);
    txtPassword = named(new QLineEdit(this), "txtPassword");
    Text1 = named(new QLineEdit(this), "Text1");
    Text2 = named(new QLineEdit(this), "Text2");
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

    cmdOK = named(new QPushButton(QStringLiteral("确定(&Y)"), this), "cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = named(new QPushButton(QStringLiteral("取消(&C)"), this), "cmdCancel");
    cmdCancel->setAutoDefault(false);
    layOutAccountDialog(this,
                        {{QStringLiteral("用户名称(&U):"), txtUserName},
                         {QStringLiteral("原 密 码(&P):"), txtPassword},
                         {QStringLiteral("新 密 码(&X):"), Text1},
                         {QStringLiteral("重输新码(&R):"), Text2}},
                        lblLabels, {cmdOK, cmdCancel}, ButtonsAt::Right, QStringLiteral("密码最多6位数字或英文字符"));

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
    txtUserName->setText(m_host.signInAccount().name);
    txtPassword->setFocus();
}

void PasswordChangeDialog::cmdOK_Click()
{
    Session &s = session();
    Account &a = m_host.signInAccount();
    if (txtPassword->text() != a.password) {
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
    const PasswordChange change = changeAccountPassword(m_host.signInDatabase(), a.name, a.id, Text1->text());
    if (change.status == PasswordChange::NoAccountRow) {
        showNotice(this,
                   QStringLiteral("找不到用户(%1)的账户数据，密码没有修改。请与管理员联系。").arg(a.name),
                   kTitleHintDots);
        return;
    }
    if (change.status == PasswordChange::DatabaseError) {
        showNotice(this, kDataErrorPrefix + change.errorText);
        return;
    }
    a.password = Text1->text();
    s.setSignedIn(a.name);
    showNotice(this, QStringLiteral("密码修改成功。"), kTitleHintDots);
    accept();
}

void PasswordChangeDialog::cmdCancel_Click()
{
    reject();
}

} // namespace tessaly
