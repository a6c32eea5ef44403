#include "db/row_update.h"

#include <QStringList>

namespace tessaly::db {

namespace {
bool isEmptyText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString && v.toString().isEmpty();
}

// Equal as stored: the same nullness (an empty text counts as NULL), and the
// same value (a number read as 1 equals a 1.0 typed back).
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (isEmptyText(a) || isEmptyText(b))
        return (a.isNull() || isEmptyText(a)) && (b.isNull() || isEmptyText(b));
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    return a == b || a.toString() == b.toString();
}
} // namespace

QString rowChangedMessage(const QString &whose, const QString &input, const QString &reload)
{
    return QStringLiteral("%1在您读出之后已被其他电脑修改，为免覆盖别人的修改，本次没有保存。请记下%2，%3后再改。")
        .arg(whose, input, reload);
}

RowUpdate updateChangedFields(Connection &c, const QString &table, const QString &idColumn, const QVariant &id,
                              const QList<FieldChange> &changes, const QString &condition,
                              const QVariantList &conditionParams)
{
    const QString quotedTable = quoteIdentifier(table);
    const QString quotedId = quoteIdentifier(idColumn);
    if (quotedTable.isEmpty() || quotedId.isEmpty()) {
        c.fail(kErrSql, QStringLiteral("名称“%1”不能用作表名或字段名。").arg(quotedTable.isEmpty() ? table : idColumn));
        return RowUpdate::Failed;
    }
    QStringList sets, guards;
    QVariantList setValues, guardValues;
    for (const FieldChange &f : changes) {
        if (sameValue(f.loaded, f.value))
            continue;
        const QString column = quoteIdentifier(f.column);
        if (column.isEmpty()) {
            c.fail(kErrSql, QStringLiteral("名称“%1”不能用作表名或字段名。").arg(f.column));
            return RowUpdate::Failed;
        }
        sets << column + QStringLiteral("=?");
        setValues << f.value;
        if (isEmptyText(f.loaded)) {
            guards << QStringLiteral("coalesce(%1,'')=''").arg(column);
        } else {
            guards << column + QStringLiteral(" IS ?");
            guardValues << f.loaded;
        }
    }
    QString where = quotedId + QStringLiteral("=?");
    if (!condition.isEmpty())
        where += QStringLiteral(" AND (%1)").arg(condition);
    const QVariantList whereValues = QVariantList{id} + conditionParams;
    if (!sets.isEmpty()) {
        const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3 AND %4")
                                .arg(quotedTable, sets.join(QLatin1Char(',')), where, guards.join(QStringLiteral(" AND ")));
        if (!c.exec(sql, setValues + whereValues + guardValues))
            return RowUpdate::Failed;
        if (c.rowsAffected() > 0)
            return RowUpdate::Updated;
    }
    // Nothing written: the row is either gone, or (with changes) changed by another user.
    const QVariant there = c.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(quotedTable, where), whereValues);
    if (c.error().isSet())
        return RowUpdate::Failed;
    if (there.toInt() == 0)
        return RowUpdate::Gone;
    return sets.isEmpty() ? RowUpdate::Updated : RowUpdate::Conflict;
}

} // namespace tessaly::db
