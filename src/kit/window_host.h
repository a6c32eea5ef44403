#pragma once
// What a window needs of the program around it: the shared session, showing
// another window modally or modeless by its Chinese name, the widget it is centred on, the
// program's caption and the print page. The main window is the one host of the program; a
// window never sees more of it than this.
#include "kit/session.h"

#include <QString>
#include <QStringList>
#include <QStringView>

class QWidget;

namespace tessaly {

class WindowHost {
public:
    virtual ~WindowHost() = default;

    virtual Session &session() = 0;
    // Shows the named window modally and returns when it has closed: the dialog's
    // result for a QDialog, else 0. An open window is only brought to the front.
    virtual int showModal(QStringView name) = 0;
    // Shows the named window modeless, or brings the open one to the front;
    // nullptr when no such window is built.
    virtual QWidget *showWindow(QStringView name) = 0;
    // The widget windows are centred on (the main window).
    virtual QWidget *hostWidget() = 0;
    // The caption: the school name directly followed by the program's title.
    virtual void setSchoolName(const QString &name) = 0;
    // The print hand-off: shows the print page 打印 modeless with the document
    // (title line first, lines ending in CR LF) as its wenben. An open page takes
    // the new document and comes to the front.
    virtual void handToPrintPage(const QString &wenben) = 0;
    // Disables a menu item of the main window (by its control name, "LJFWQ") for
    // the rest of the run; toolbar buttons stay usable.
    virtual void switchOffMenuItem(const QString &objectName) = 0;
    // Ends the program at once: no question, no window's closing steps.
    virtual void quitProgram() = 0;
    // The captions of the open windows that work on the database file at path
    // (the one openpath named when each opened), those that hold no school data
    // (help, about, print page, the server dialogs) apart.
    virtual QStringList windowsUsing(const QString &path) const = 0;

    // The account 登陆 and 个人密码修改 work on while runSignIn shows them (the
    // password change stores the new password in it); no account outside a sign-in.
    Account &signInAccount()
    {
        if (m_signInAccount)
            return *m_signInAccount;
        return m_noAccount = Account{};
    }
    // The database that account's row lives in: the one the signing-in window
    // works on, where a password change is written; openpath outside a sign-in.
    QString signInDatabase() { return m_signInAccount ? m_signInDatabase : session().openpath; }

private:
    friend bool runSignIn(WindowHost &host, Account &account, const QString &databasePath);
    Account *m_signInAccount = nullptr;
    QString m_signInDatabase;
    Account m_noAccount;
};

// Shows 登陆 modally for `account`, whose row is in the database at
// `databasePath`; true when that account is signed in afterwards (denglu
// equals its name).
bool runSignIn(WindowHost &host, Account &account, const QString &databasePath);
// The same for an account of the database openpath names now.
inline bool runSignIn(WindowHost &host, Account &account)
{
    return runSignIn(host, account, host.session().openpath);
}

} // namespace tessaly
