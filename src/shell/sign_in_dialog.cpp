#include "shell/sign_in_dialog.h"

#include "platform/messages.h"
#include "shell/password_box.h"
#include "kit/window_names.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tessaly {

SignInDialog::SignInDialog(WindowHost &host, QWidget *parent)
    : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("登陆"));
    setWindowTitle(QStringLiteral("登录"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtUserName->setReadOnly(true);
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    makePasswordBox(txtPassword);

    const QString captions[] = {QStringLiteral("用户名称(&U):"), QStringLiteral("密    码(&P):")};
    QLineEdit *buddies[] = {txtUserName, txtPassword};
    auto *form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(10);
    for (int i = 0; i < 2; ++i) {
        auto *label = new QLabel(captions[i], this);
        label->setObjectName(QStringLiteral("lblLabels"));
        label->setBuddy(buddies[i]);
        lblLabels.append(label);
        form->addWidget(label, i, 0);
        form->addWidget(buddies[i], i, 1);
    }
    txtUserName->setMinimumWidth(180);

    cmdOK = new QPushButton(QStringLiteral("登陆"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    Command1 = new QPushButton(QStringLiteral("修改密码"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(Command1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(14);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

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
    txtUserName->setText(session().username);
    txtPassword->clear();
    txtPassword->setFocus();
}

void SignInDialog::cmdOK_Click()
{
    Session &s = session();
    if (txtPassword->text() != s.userpas) {
        showNotice(this, QStringLiteral("无效的密码，请重试!"), kTitleSignIn);
        txtPassword->setFocus();
        txtPassword->selectAll();
        return;
    }
    s.setSignedIn(s.username);
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
