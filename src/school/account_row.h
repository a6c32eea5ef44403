#pragma once
// The account's row of 教导处 and its stored password, read by the password
// change and by the sign-in toggles just before they sign in.
//
// The account's row: the administrator row when username is "管理员" (found by
// 名称); otherwise the row whose id is the session's id and whose 其次 is the
// username (a class row: 其次 is the head teacher); otherwise the row with
// that id whose 名称 is the username (a teaching row: 名称 is the teacher).
#include "db/database.h"

#include <QString>

namespace tessaly::school {

struct AccountLookup {
    enum Status { Found, NoAccountRow, DatabaseError } status = DatabaseError;
    qint64 rowId = 0;     // the row's id, when found
    QString password;     // its 密码 as stored (NULL reads as empty), when found
    QString errorText;    // the database's text for DatabaseError
};

// Looks the account up on the connection; a connection that failed to open
// gives DatabaseError with its text.
AccountLookup lookUpAccount(db::Connection &c, const QString &username, const QString &id);

// The same on the database at openpath, opened for this one read.
AccountLookup lookUpAccount(const QString &openpath, const QString &username, const QString &id);

} // namespace tessaly::school
