#include "maintenance/lockable_exams.h"

#include "school/exam_columns.h"

#include <QStringList>

namespace tessaly {

QVector<LockableExam> BuildLockableExamList(db::Connection &c)
{
    QVector<LockableExam> exams;
    for (const QString &table : {QStringLiteral("高中"), QStringLiteral("初中"), QStringLiteral("小学")}) {
        const QStringList columns = db::tableColumns(c, table);
        for (qsizetype j = school::kFirstScannedColumn; j < columns.size(); ++j) {
            const QString &name = columns[j];
            if (name.isEmpty() || !QStringLiteral("CRZM").contains(name.front()))
                continue;
            exams.append({table, name, table + school::DecodeExamName(name, school::kMaintenanceNames)});
        }
    }
    return exams;
}

} // namespace tessaly
