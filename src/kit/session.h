#pragma once
// Shared state of the running program, owned by the main window (主窗体) and
// reached by every window through its host (WindowHost::session()).
// There are no globals: a test builds a host on a temporary program folder and
// opens windows against it.
//
// Both start empty and live for the run:
//   openpath  database file every window opens (program folder's data.mdb at start-up)
//   denglu    account signed in now, empty when nobody is
// The account a window would sign in is the window's own (an Account its
// sign-in toggle keeps, passed to runSignIn), never shared state.
//
// today() is the clock of every date rule (school year, cohort year); tests replace it.
#include "os/clock.h"

#include <QDir>
#include <QObject>
#include <QString>
#include <memory>

namespace tessaly {

// Sign-ins as they happen, for the windows' sign-in toggles: `account` is the
// account signed in now, empty after a sign-out.
class SignInEvents : public QObject {
    Q_OBJECT
signals:
    void signInChanged(const QString &account);
};

// An account a window signs in: the candidate its choice implies.
struct Account {
    QString name;       // 名称 / head teacher of the 教导处 row
    QString password;   // 密码 as read when the account was chosen
    QString id;         // 教导处 row id, as text (empty for the administrator)
};

struct Session {
    QString openpath;
    QString denglu;

    // Folder holding XM.DLL, PATH.DLL, data.mdb, help.dll and the key sounds.
    QString programFolder;

    TodaySource today = systemToday;

    // Signs `account` in (empty: signs out) and tells the windows: one account
    // is signed in at a time, so a window signed in under another one ends its
    // sign-in.
    void setSignedIn(const QString &account)
    {
        denglu = account;
        emit events->signInChanged(account);
    }
    std::shared_ptr<SignInEvents> events = std::make_shared<SignInEvents>();

    // A file of the program folder, by name ("XM.DLL").
    QString programFile(const QString &name) const { return QDir(programFolder).filePath(name); }
};

} // namespace tessaly
