#pragma once
// 登陆 (caption "登录"): the sign-in dialog, always shown modally.
//
// Sign-in protocol: a window passes the account it wants (name, password, and
// id for a class or teaching assignment) to runSignIn, which shows this dialog,
// and counts itself signed in while denglu equals that account's name.
// The password box opens empty: the stored password never appears on screen.
#include "kit/window_base.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {


class SignInDialog : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit SignInDialog(WindowHost &host, QWidget *parent = nullptr);

    QList<QLabel *> captionLabels;
    QLineEdit *accountBox = nullptr;
    QLineEdit *passwordBox = nullptr;
    QPushButton *okButton = nullptr;       // 登陆 (Enter)
    QPushButton *cancelButton = nullptr;   // 取消 (Esc)
    QPushButton *changePasswordButton = nullptr;    // 修改密码

public slots:
    void Form_Load() override;
    void okClicked();
    void cancelClicked();
    void changePasswordClicked();

private:
};

} // namespace tessaly
