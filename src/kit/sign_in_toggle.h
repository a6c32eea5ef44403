#pragma once
// The sign-in toggle: one button whose caption tells the state. A click signs
// out when the caption is the signed-in one (denglu emptied) and signs in
// otherwise (checks, then 登陆 modally), so a window may open with a signed-out
// caption of its own. Three kinds:
//
//   kind         signed out               signed in               checks before signing in
//   Admin        "管理员 登陆(&K)"          "管理员退出登陆(&K)"       the administrator row exists
//   HeadTeacher  "班主任登陆 修改(&K)"       "退出登陆 修改(&K)"        grade group, class, account name, password
//   Teacher      "请任课教师 登陆(&K)"       "任课教师退出登陆(&K)"     grade group, class, subject, account name, password
//
// A window only says what its toggle enables:
//   auto *toggle = new SignInToggle(SignInToggle::Kind::HeadTeacher, Command10, host(), databasePath(), this);
//   toggle->setChoices(Combo1, Combo2);
//   toggle->setEditors({Frame1});
//   toggle->setAccount([this] { … the chosen class's head teacher … });
//   connect(toggle, &SignInToggle::stateShown, this, …status text…);
//
// Each sign-in runs on the window's own account (setAccount; the administrator
// toggle reads the administrator row again), passed to 登陆 by runSignIn, so a
// sign-in never runs against an account another window chose.
// The head-teacher and teacher checks then read the account's password from
// its row (lookUpAccount) before testing it, so a password changed since the
// choice, here or elsewhere, is the one 登陆 asks for. A row gone meanwhile, or
// a database that cannot be opened, refuses the sign-in with a message.
// These reads go to the database the toggle was given (its window's), so a
// window keeps signing in on the database it opened after openpath switches;
// a toggle made without one reads whichever database openpath names then.
//
// One account is signed in at a time: when another account signs in anywhere,
// or anybody signs out, a toggle showing a sign-in of its own ends it (caption,
// editors and stateShown(false), as its own sign-out would, leaving denglu as
// it is). A save asks confirmSignedIn() first, so it runs under the account
// signed in at that moment.
#include "kit/session.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

namespace tessaly {

class WindowHost;

class SignInToggle : public QObject {
    Q_OBJECT
public:
    enum class Kind { Admin, HeadTeacher, Teacher };

    // A refusal before signing in: when refuses() is true, message() is shown
    // (title "提示") and the click ends.
    struct Check {
        std::function<bool()> refuses;
        std::function<QString()> message;
    };

    SignInToggle(Kind kind, QAbstractButton *button, WindowHost &host, const QString &databasePath,
                 QWidget *window);
    // For windows that work on whichever database is current.
    SignInToggle(Kind kind, QAbstractButton *button, WindowHost &host, QWidget *window);

    static QString signedOutCaption(Kind kind);
    static QString signedInCaption(Kind kind);

    Kind kind() const { return m_kind; }
    QAbstractButton *button() const { return m_button; }

    // Widgets enabled exactly while the toggle shows signed in.
    void setEditors(const QList<QWidget *> &editors);
    // The combos whose empty text refuses a sign-in (the subject for the teacher kind).
    void setChoices(QComboBox *gradeGroup, QComboBox *klass, QComboBox *subject = nullptr);
    // Replaces the standard checks (windows whose checks differ).
    void setChecks(const QList<Check> &checks);
    // The standard checks of this kind on the choices given. For a head teacher
    // or teacher they include the read of the stored password, just before the
    // test of the account's password; a list of a window's own keeps that check.
    QList<Check> standardChecks() const;
    // The window's own account: the one each sign-in offers and the one whose
    // sign-in (denglu) counts as this window's.
    void setAccount(std::function<Account()> account) { m_account = std::move(account); }
    // The window's account as its choices stand now; the administrator for that
    // kind without one of its own.
    Account ownAccount() const;

    // Asked before this toggle's own sign-out (e.g. about unsaved input); false
    // keeps the sign-in.
    void setBeforeSignOut(std::function<bool()> ask) { m_beforeSignOut = std::move(ask); }

    // The state as the caption shows it.
    bool isSignedIn() const;
    // Whether the account signed in now (denglu) is this window's own, whatever
    // the caption shows: a window opening while it is shows that with showState().
    bool ownAccountSignedIn() const;
    // For a save: true while the account this toggle signed in is still the one
    // signed in. Otherwise the toggle shows signed out, the refusal is shown and
    // the answer is false: `refusal` with the account's name for %1, or by
    // default the refusal of its kind (a head teacher's or teacher's save).
    bool confirmSignedIn(const QString &refusal = QString());
    // Shows the state the session holds now (after loading or an account choice).
    void showState();

public slots:
    void click();

signals:
    // After the shown state has been set (for status texts).
    void stateShown(bool signedIn);

private:
    void show(bool signedIn);
    bool checksPass();
    void followSignIn(const QString &account);
    void endShownSignIn();
    QString databasePath() const;

    Kind m_kind;
    QPointer<QAbstractButton> m_button;
    WindowHost &m_host;
    QWidget *m_window;
    QList<QPointer<QWidget>> m_editors;
    QPointer<QComboBox> m_gradeGroup, m_class, m_subject;
    QList<Check> m_checks;
    bool m_customChecks = false;
    std::function<Account()> m_account;
    // The account of the sign-in being checked or shown; the checks read its
    // stored password into it.
    mutable Account m_candidate;
    std::function<bool()> m_beforeSignOut;
    QString m_signedInAs;   // the account of the last sign-in shown
    std::optional<QString> m_databasePath;   // none: openpath at each read
};

} // namespace tessaly
