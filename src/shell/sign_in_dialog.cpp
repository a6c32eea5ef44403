#include "shell/sign_in_dialog.h"

#include "widgets/messages.h"
#include "shell/dialog_layout.h"
#include "shell/password_box.h"
#include "kit/window_names.h"

#include <QLineEdit>
#include <QPushButton>

namespace tessaly {

SignInDialog::SignInDialog(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("登陆"));
    setWindowTitle(QStringLiteral("登录"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    accountBox = named(new QLineEdit(this), "txtUserName");
    accountBox->setReadOnly(true);
    passwordBox = named(new QLineEdit(this), "txtPassword");
    makePasswordBox(passwordBox);

    okButton = named(new QPushButton(QStringLiteral("登陆"), this), "cmdOK");
    okButton->setDefault(true);
    cancelButton = named(new QPushButton(QStringLiteral("取消"), this), "cmdCancel");
    changePasswordButton = named(new QPushButton(QStringLiteral("修改密码"), this), "Command1");
    for (QPushButton *b : {cancelButton, changePasswordButton})
        b->setAutoDefault(false);
    layOutAccountDialog(this, {{QStringLiteral("用户名称(&U):"), accountBox}, {QStringLiteral("密    码(&P):"), passwordBox}},
                        captionLabels, {okButton, cancelButton, changePasswordButton}, ButtonsAt::Spread);

    setTabOrder(passwordBox, okButton);
    setTabOrder(okButton, cancelButton);
    setTabOrder(cancelButton, changePasswordButton);
    setTabOrder(changePasswordButton, accountBox);

    connect(okButton, &QPushButton::clicked, this, &SignInDialog::okClicked);
    connect(cancelButton, &QPushButton::clicked, this, &SignInDialog::cancelClicked);
    connect(changePasswordButton, &QPushButton::clicked, this, &SignInDialog::changePasswordClicked);
}

void SignInDialog::Form_Load()
{
    accountBox->setText(m_host.signInAccount().name);
    passwordBox->clear();
    passwordBox->setFocus();
}

void SignInDialog::okClicked()
{
    if (passwordBox->text() != m_host.signInAccount().password) {
        showNotice(this, QStringLiteral("无效的密码，请重试!"), kTitleSignIn);
        passwordBox->setFocus();
        passwordBox->selectAll();
        return;
    }
    session().setSignedIn(m_host.signInAccount().name);
    accept();
}

void SignInDialog::cancelClicked()
{
    reject();
}

void SignInDialog::changePasswordClicked()
{
    // A successful change signs the account in and closes this dialog too.
    if (m_host.showModal(kPasswordChangeDialog) == QDialog::Accepted)
        reject();
}

} // namespace tessaly
