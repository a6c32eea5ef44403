#pragma once
// Accounts of 教导处 and their passwords, for the password change of the
// sign-in dialog.
//
// The account's row: the administrator row when username is "管理员" (found by
// 名称); otherwise the row whose id is the session's id and whose 其次 is the
// username (a class row: 其次 is the head teacher); otherwise the row with
// that id whose 名称 is the username (a teaching row: 名称 is the teacher).
#include "platform/database.h"

#include <QString>
#include <optional>

namespace tessaly {

// The id of the account's row, or nullopt when no row matches (or on a
// database error, see the connection's error()).
std::optional<qint64> findAccountRow(db::Connection &c, const QString &username, const QString &id);

struct PasswordChange {
    enum Status { Changed, NoAccountRow, DatabaseError } status = DatabaseError;
    QString errorText;   // the database's text for DatabaseError
};

// Writes 密码 of the account's row in the database at openpath. Nothing is
// written when no row matches.
PasswordChange changeAccountPassword(const QString &openpath, const QString &username,
                                     const QString &id, const QString &newPassword);

} // namespace tessaly
