#pragma once
// Typed reads: a query's rows decoded once into structs.
//
//   struct Member { int id; QString name; };
//   auto rows = db::readRows<Member>(c, sql, {code}, [](const QSqlQuery &q) {
//       return Member{q.value(0).toInt(), q.value(1).toString()};
//   });
//   if (!rows) reportReadFailure(this, c.error());
//
// The query is finished after the last row, so the connection holds no read
// lock between reads and can stay open for the window's life.
#include "db/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVector>
#include <optional>

namespace tessaly::db {

// Ends a read loop over c.query()'s result: finishes q; true when its rows were
// read to the last, false (and c.error()) when the engine stopped the loop with an
// error (a damaged page, a lost file) rather than at the end.
inline bool finishRead(Connection &c, QSqlQuery &q)
{
    const QSqlError e = q.lastError();
    q.finish();
    if (!e.isValid())
        return true;
    const Error error = translate(e);
    return c.fail(error.number, error.text);
}

// Every row of the query through decode, or nullopt when the query failed or
// stopped before its last row (c.error() says why).
template <class Row, class Decode>
std::optional<QVector<Row>> readRows(Connection &c, const QString &sql, const QVariantList &params, Decode &&decode)
{
    QSqlQuery q = c.query(sql, params);
    if (!q.isActive())
        return std::nullopt;
    QVector<Row> rows;
    while (q.next())
        rows.append(decode(q));
    if (!finishRead(c, q))
        return std::nullopt;
    return rows;
}

// The same for reads of many values: each row decoded straight from the engine
// (decode takes a const EngineRow &).
template <class Row, class Decode>
std::optional<QVector<Row>> readEngineRows(Connection &c, const QString &sql, const QVariantList &params,
                                           Decode &&decode)
{
    QVector<Row> rows;
    if (!c.readEach(sql, params, [&](const EngineRow &row) { rows.append(decode(row)); }))
        return std::nullopt;
    return rows;
}

// A column's text, "" for null.
inline QString textOf(const QSqlQuery &q, int column)
{
    const QVariant v = q.value(column);
    return v.isNull() ? QString() : v.toString();
}

} // namespace tessaly::db
