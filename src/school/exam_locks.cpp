#include "school/exam_locks.h"

#include "db/typed_read.h"

#include <QSqlQuery>

namespace tessaly::school {

QList<ExamLock> lockedExams(db::Connection &c)
{
    QList<ExamLock> locks;
    if (!db::tableExists(c, kExamLockTable))
        return locks;
    QSqlQuery q = c.query(QStringLiteral(R"(SELECT "表名", "考试名" FROM "考试锁定")"));
    while (q.next())
        locks.append({q.value(0).toString(), q.value(1).toString()});
    if (!db::finishRead(c, q))
        return {};
    return locks;
}

bool isExamLocked(db::Connection &c, const QString &table, const QString &column)
{
    if (!db::tableExists(c, kExamLockTable))
        return false;
    return c.scalar(QStringLiteral(R"(SELECT count(*) FROM "考试锁定" WHERE "表名" = ? AND "考试名" = ?)"), {table, column})
               .toInt() > 0;
}

QString lockedExamText()
{
    return QStringLiteral("本次考试已经被管理员锁定，成绩不能再修改。");
}

bool saveExamLocks(db::Connection &c, const QList<ExamLock> &locks)
{
    return c.transaction([&] {
        if (!c.exec(QStringLiteral(R"(CREATE TABLE IF NOT EXISTS "考试锁定" ("表名" TEXT NOT NULL, "考试名" TEXT NOT NULL))"))
            || !c.exec(QStringLiteral(R"(DELETE FROM "考试锁定")")))
            return false;
        for (const ExamLock &lock : locks) {
            if (!c.exec(QStringLiteral(R"(INSERT INTO "考试锁定" ("表名", "考试名") VALUES (?, ?))"), {lock.table, lock.column}))
                return false;
        }
        return true;
    });
}

} // namespace tessaly::school
