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

    accountBox = named(new QLineEdit(this), "txtUserName");
    accountBox->setReadOnly(true);
    passwordBox = named(new QLineEdit(this), "txtPassword");
    newPasswordBox = named(new QLineEdit(this), "Text1");
    repeatPasswordBox = named(new QLineEdit(this), "Text2");
    for (QLineEdit *box : {passwordBox, newPasswordBox, repeatPasswordBox})
        makePasswordBox(box);
    // The new password keeps the password rule as it is typed; the old one is
    // typed as stored.
    for (QLineEdit *box : {newPasswordBox, repeatPasswordBox}) {
        connect(box, &QLineEdit::textEdited, this, [this, box] {
            QString text = box->text();
            if (passwordFits(text))
                return;
            cutToPasswordRule(this, text);
            box->setText(text);
        });
    }

    okButton = named(new QPushButton(QStringLiteral("确定(&Y)"), this), "cmdOK");
    okButton->setDefault(true);
    cancelButton = named(new QPushButton(QStringLiteral("取消(&C)"), this), "cmdCancel");
    cancelButton->setAutoDefault(false);
    layOutAccountDialog(this,
                        {{QStringLiteral("用户名称(&U):"), accountBox},
                         {QStringLiteral("原 密 码(&P):"), passwordBox},
                         {QStringLiteral("新 密 码(&X):"), newPasswordBox},
                         {QStringLiteral("重输新码(&R):"), repeatPasswordBox}},
                        captionLabels, {okButton, cancelButton}, ButtonsAt::Right, QStringLiteral("密码最多6位数字或英文字符"));

    setTabOrder(passwordBox, newPasswordBox);
    setTabOrder(newPasswordBox, repeatPasswordBox);
    setTabOrder(repeatPasswordBox, accountBox);
    setTabOrder(accountBox, okButton);
    setTabOrder(okButton, cancelButton);

    connect(okButton, &QPushButton::clicked, this, &PasswordChangeDialog::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, &PasswordChangeDialog::cancelClicked);
}

void PasswordChangeDialog::Form_Load()
{
    accountBox->setText(m_host.signInAccount().name);
    passwordBox->setFocus();
}

void PasswordChangeDialog::okClicked()
{
    Session &s = session();
    Account &a = m_host.signInAccount();
    if (passwordBox->text() != a.password) {
        showNotice(this, QStringLiteral("你输入的原密码不正确，如果忘记，请与管理员联系。"), kTitleHintDots);
        passwordBox->clear();
        passwordBox->setFocus();
        return;
    }
    if (newPasswordBox->text() != repeatPasswordBox->text()) {
        showNotice(this, QStringLiteral("你两次输入的新密码不相同，请重新输入。"), kTitleHintDots);
        newPasswordBox->clear();
        repeatPasswordBox->clear();
        newPasswordBox->setFocus();
        return;
    }
    if (newPasswordBox->text().isEmpty()) {
        showNotice(this, QStringLiteral("新密码不能为空，请重新输入。"), kTitleHintDots);
        newPasswordBox->setFocus();
        return;
    }
    const PasswordChange change = changeAccountPassword(m_host.signInDatabase(), a.name, a.id, newPasswordBox->text());
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
    a.password = newPasswordBox->text();
    s.setSignedIn(a.name);
    showNotice(this, QStringLiteral("密码修改成功。"), kTitleHintDots);
    accept();
}

void PasswordChangeDialog::cancelClicked()
{
    reject();
}

} // namespace tessaly
