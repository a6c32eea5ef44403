#include "school/account_row.h"

#include "school/school_tables.h"
#include "db/typed_read.h"

#include <QSqlQuery>
#include <optional>

namespace tessaly::school {

namespace {

// The first row of the query whose first column equals username; the query
// selects the tested column, "id" and "密码".
std::optional<AccountLookup> firstMatching(db::Connection &c, const QString &sql, const QVariantList &params,
                                           const QString &username)
{
    QSqlQuery q = c.query(sql, params);
    while (q.next()) {
        if (q.value(0).toString() == username)
            return AccountLookup{AccountLookup::Found, q.value(1).toLongLong(), q.value(2).toString(), {}};
    }
    db::finishRead(c, q);   // a read stopped by an error leaves c.error() set for the caller
    return std::nullopt;
}

AccountLookup failed(const db::Connection &c)
{
    return {AccountLookup::DatabaseError, 0, {}, c.error().text};
}

} // namespace

AccountLookup lookUpAccount(db::Connection &c, const QString &username, const QString &id)
{
    if (!c.ok())
        return failed(c);
    const AccountLookup none{AccountLookup::NoAccountRow, 0, {}, {}};
    if (username.isEmpty())
        return none;
    if (auto row = firstMatching(c, QStringLiteral(R"(select "名称","id","密码" from "教导处" where "名称"=?)"),
                                 {kAdminName}, username))
        return *row;
    if (c.error().isSet())
        return failed(c);
    bool isNumber = false;
    const qint64 rowId = id.trimmed().toLongLong(&isNumber);
    if (!isNumber)
        return none;
    for (const QString &column : {QStringLiteral("其次"), QStringLiteral("名称")}) {
        if (auto row = firstMatching(
                c, QStringLiteral(R"(select "%1","id","密码" from "教导处" where "id"=?)").arg(column), {rowId},
                username))
            return *row;
        if (c.error().isSet())
            return failed(c);
    }
    return none;
}

AccountLookup lookUpAccount(const QString &openpath, const QString &username, const QString &id)
{
    db::Connection c(openpath);
    return lookUpAccount(c, username, id);
}

} // namespace tessaly::school
