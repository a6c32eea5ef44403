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

    txtUserName = named(new QLineEdit(this), "txtUserName");
    txtUserName->setReadOnly(true);
    txtPassword = named(new QLineEdit(this), "txtPassword");
    makePasswordBox(txtPassword);

    cmdOK = named(new QPushButton(QStringLiteral("登陆"), this), "cmdOK");
    cmdOK->setDefault(true);
    cmdCancel = named(new QPushButton(QStringLiteral("取消"), this), "cmdCancel");
    Command1 = named(new QPushButton(QStringLiteral("修改密码"), this), "Command1");
    for (QPushButton *b : {cmdCancel, Command1})
        b->setAutoDefault(false);
    layOutAccountDialog(this, {{QStringLiteral("用户名称(&U):"), txtUserName}, {QStringLiteral("密    码(&P):"), txtPassword}},
                        lblLabels, {cmdOK, cmdCancel, Command1}, ButtonsAt::Spread);

    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, Command1);
    setTabOrder(Command1, txtUserName);

    connect(cmdOK, &QPushButton::clicked, this, &SignInDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &SignInDialog::cmdCancel_Click);
    connect(Command1, &QPushButton::clicked, this, &SignInDialog::Command1_Click);
}

void SignInDialog::Form_Load()
{
    txtUserName->setText(m_host.signInAccount().name);
    txtPassword->clear();
    txtPassword->setFocus();
}

void SignInDialog::cmdOK_Click()
{
    if (txtPassword->text() != m_host.signInAccount().password) {
        showNotice(this, QStringLiteral("无效的密码，请重试!"), kTitleSignIn);
        txtPassword->setFocus();
        txtPassword->selectAll();
        return;
    }
    session().setSignedIn(m_host.signInAccount().name);
    accept();
}

void SignInDialog::cmdCancel_Click()
{
    reject();
}

void SignInDialog::Command1_Click()
{
    // A successful change signs the account in and closes this dialog too.
    if (m_host.showModal(kPasswordChangeDialog) == QDialog::Accepted)
        reject();
}

} // namespace tessaly
