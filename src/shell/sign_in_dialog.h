#pragma once
// 登陆 (caption "登录"): the sign-in dialog, always shown modally.
//
// Sign-in protocol: a window puts the account it wants into the session
// (username, userpas, and id for a class or teaching assignment), shows this
// dialog (runSignIn) and counts itself signed in while denglu equals username.
// The password box opens empty: the stored password never appears on screen.
#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class MainWindow;

class SignInDialog : public QDialog {
    Q_OBJECT
public:
    explicit SignInDialog(MainWindow &main, QWidget *parent = nullptr);

    QList<QLabel *> lblLabels;
    QLineEdit *txtUserName = nullptr;
    QLineEdit *txtPassword = nullptr;
    QPushButton *cmdOK = nullptr;       // 登陆 (Enter)
    QPushButton *cmdCancel = nullptr;   // 取消 (Esc)
    QPushButton *Command1 = nullptr;    // 修改密码

public slots:
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    void Command1_Click();

private:
    MainWindow &m_main;
};

// Shows 登陆 modally for the account in the session; true when it is signed in
// afterwards.
bool runSignIn(MainWindow &main);

} // namespace tessaly
