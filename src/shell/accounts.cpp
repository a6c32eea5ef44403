#include "shell/accounts.h"

#include "kit/school_tables.h"

#include <QSqlQuery>

namespace tessaly {

namespace {

// The first row of the query whose first column equals username.
std::optional<qint64> firstMatching(db::Connection &c, const QString &sql, const QVariantList &params,
                                    const QString &username)
{
    QSqlQuery q = c.query(sql, params);
    while (q.next()) {
        if (q.value(0).toString() == username)
            return q.value(1).toLongLong();
    }
    return std::nullopt;
}

} // namespace

std::optional<qint64> findAccountRow(db::Connection &c, const QString &username, const QString &id)
{
    if (username.isEmpty())
        return std::nullopt;
    if (auto row = firstMatching(c, QStringLiteral(R"(select "名称","id" from "教导处" where "名称"=?)"),
                                 {kAdminName}, username))
        return row;
    if (c.error().isSet())
        return std::nullopt;
    bool isNumber = false;
    const qint64 rowId = id.trimmed().toLongLong(&isNumber);
    if (!isNumber)
        return std::nullopt;
    if (auto row = firstMatching(c, QStringLiteral(R"(select "其次","id" from "教导处" where "id"=?)"),
                                 {rowId}, username))
        return row;
    if (c.error().isSet())
        return std::nullopt;
    return firstMatching(c, QStringLiteral(R"(select "名称","id" from "教导处" where "id"=?)"),
                         {rowId}, username);
}

PasswordChange changeAccountPassword(const QString &openpath, const QString &username,
                                     const QString &id, const QString &newPassword)
{
    db::Connection c(openpath);
    if (!c.ok())
        return {PasswordChange::DatabaseError, c.error().text};
    const std::optional<qint64> row = findAccountRow(c, username, id);
    if (c.error().isSet())
        return {PasswordChange::DatabaseError, c.error().text};
    if (!row)
        return {PasswordChange::NoAccountRow, QString()};
    if (!c.exec(QStringLiteral(R"(update "教导处" set "密码"=? where "id"=?)"), {newPassword, *row}))
        return {PasswordChange::DatabaseError, c.error().text};
    if (c.rowsAffected() != 1)
        return {PasswordChange::NoAccountRow, QString()};
    return {PasswordChange::Changed, QString()};
}

} // namespace tessaly
