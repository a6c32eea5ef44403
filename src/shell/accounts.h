#pragma once
// The password change of the sign-in dialog: writes the new password into the
// account's row of 教导处 (school/account_row.h tells which row that is).
#include <QString>

namespace tessaly {

struct PasswordChange {
    enum Status { Changed, NoAccountRow, DatabaseError } status = DatabaseError;
    QString errorText;   // the database's text for DatabaseError
};

// Writes 密码 of the account's row in the database at databasePath (the one
// the signing-in window works on). Nothing is written when no row matches.
PasswordChange changeAccountPassword(const QString &databasePath, const QString &username,
                                     const QString &id, const QString &newPassword);

} // namespace tessaly
