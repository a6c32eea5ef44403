#pragma once
// 个人密码修改 (caption "修改个人密码"): the password change, shown modally
// from the sign-in dialog. A successful change writes 密码 of the account's row
// in the database of the window signing in (WindowHost::signInDatabase,
// accounts.h), stores the new password in the sign-in's account, sets denglu
// (the account is signed in) and is
// accepted, which closes the sign-in dialog as well.
#include "kit/window_base.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {


class PasswordChangeDialog : public QDialog, public FormWindow {
    Q_OBJECT
public:
    explicit PasswordChangeDialog(WindowHost &host, QWidget *parent = nullptr);

    QList<QLabel *> captionLabels;          // four captions and the note
    QLineEdit *accountBox = nullptr;
    QLineEdit *passwordBox = nullptr;   // old password
    QLineEdit *newPasswordBox = nullptr;         // new password
    QLineEdit *repeatPasswordBox = nullptr;         // new password again
    QPushButton *okButton = nullptr;       // 确定(&Y) (Enter)
    QPushButton *cancelButton = nullptr;   // 取消(&C) (Esc)

public slots:
    void Form_Load() override;
    void okClicked();
    void cancelClicked();

private:
};

} // namespace tessaly
