#include "shell/accounts.h"

#include "school/account_row.h"
#include "db/database.h"

namespace tessaly {

PasswordChange changeAccountPassword(const QString &databasePath, const QString &username,
                                     const QString &id, const QString &newPassword)
{
    db::Connection c(databasePath);
    const school::AccountLookup account = school::lookUpAccount(c, username, id);
    if (account.status == school::AccountLookup::DatabaseError)
        return {PasswordChange::DatabaseError, account.errorText};
    if (account.status == school::AccountLookup::NoAccountRow)
        return {PasswordChange::NoAccountRow, QString()};
    if (!c.exec(QStringLiteral(R"(update "教导处" set "密码"=? where "id"=?)"), {newPassword, account.rowId}))
        return {PasswordChange::DatabaseError, c.error().text};
    if (c.rowsAffected() != 1)
        return {PasswordChange::NoAccountRow, QString()};
    return {PasswordChange::Changed, QString()};
}

} // namespace tessaly
