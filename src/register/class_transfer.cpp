#include "register/class_transfer.h"

#include "school/class_code.h"
#include "db/typed_read.h"

#include <QSet>
#include <QSqlQuery>

namespace tessaly::reg {

QString transferEntryText(qint64 id, const QString &name)
{
    return QString::number(id) + QLatin1Char(' ') + name;
}

std::optional<QList<TransferEntry>> readTransferSources(db::Connection &c, const QString &sectionTable,
                                                        const QString &classCode)
{
    const school::Statement q = school::classMembersQuery(sectionTable, classCode, {QStringLiteral("ID"), QStringLiteral("姓名")});
    if (!q.isValid())
        return QList<TransferEntry>();   // a name outside the fixed lists: nobody to list
    return db::readRows<TransferEntry>(c, q.sql, q.params, [&](const QSqlQuery &row) {
        const qint64 id = row.value(0).toLongLong();
        return TransferEntry{id, classCode, transferEntryText(id, db::textOf(row, 1))};
    });
}

bool isQueued(const QList<TransferEntry> &queue, qint64 id)
{
    for (const TransferEntry &e : queue) {
        if (e.id == id)
            return true;
    }
    return false;
}

TransferOutcome SaveClassTransfer(db::Connection &c, const QString &sectionTable, const QString &targetCode,
                                  const QList<TransferEntry> &queue, const QStringList &taken)
{
    TransferOutcome out;
    if ((sectionTable != school::kTablePrimary && sectionTable != school::kTableJunior && sectionTable != school::kTableSenior)
        || !school::isClassCode(targetCode)) {
        c.fail(db::kErrSql, QStringLiteral("没有选择有效的班级，无法转入学生。"));
        out.error = c.error();
        return out;
    }
    for (const TransferEntry &e : queue) {
        if (e.sourceCode == targetCode) {
            c.fail(db::kErrSql, QStringLiteral("同一个班级不能导入学生。"));
            out.error = c.error();
            return out;
        }
    }
    if (queue.isEmpty()) {
        out.ok = true;
        return out;
    }

    const QString table = db::quoteIdentifier(sectionTable);
    const QString id = db::quoteIdentifier(QStringLiteral("ID"));
    const QString number = db::quoteIdentifier(QStringLiteral("学籍号"));
    const school::Statement target = school::classCondition(targetCode);
    const QString membersSql = QStringLiteral("select %1 from %2 where %3").arg(number, table, target.sql);
    const QString presentSql = QStringLiteral("select count(*) from %1 where %2=? and %3").arg(table, id, target.sql);
    const QString renumberSql = QStringLiteral("update %1 set %2=? where %3=?").arg(table, number, id);

    TransferOutcome result;
    const bool ok = c.transaction([&] {
        result = TransferOutcome{};
        // Numbers in use in the receiving class, as stored now, and as the window holds them.
        QStringList used = taken;
        QSqlQuery q = c.query(membersSql, target.params);
        if (!q.isActive())
            return false;
        while (q.next())
            used << q.value(0).toString();
        if (!db::finishRead(c, q))
            return false;
        QSet<qint64> done;
        for (const TransferEntry &e : queue) {
            if (done.contains(e.id))
                continue;
            done.insert(e.id);
            // A student no longer in the class it was queued from has vanished.
            const school::Statement source = school::classCondition(e.sourceCode);
            const QVariant present =
                source.isValid() ? c.scalar(presentSql, QVariantList{e.id} + source.params) : QVariant(0);
            if (c.error().isSet())
                return false;
            if (present.toInt() == 0) {
                result.vanished << e;
                continue;
            }
            const std::optional<QString> seat = school::firstFreeSeat(targetCode, used);
            if (!seat)
                return c.fail(db::kErrSql, school::kSeatsFullMessage);
            used << *seat;
            if (!c.exec(renumberSql, {*seat, e.id}))
                return false;
            result.moved << e;
            result.numbers << *seat;
        }
        return true;
    });
    if (!ok) {
        out.error = c.error();
        return out;
    }
    result.ok = true;
    return result;
}

} // namespace tessaly::reg
