#pragma once
// Exams the administrator locked: their scores can no longer be changed by
// anyone. The locks live in the database itself (table 考试锁定: 表名, 考试名),
// so a downloaded copy carries them; a database without that table has none.
#include "db/database.h"

#include <QList>
#include <QString>

namespace tessaly::school {

inline const QString kExamLockTable = QStringLiteral("考试锁定");

struct ExamLock {
    QString table;    // section table: 高中, 初中 or 小学
    QString column;   // the exam column's name in it
    friend bool operator==(const ExamLock &, const ExamLock &) = default;
};

// The stored locks; empty when there are none or they cannot be read (see c.error()).
QList<ExamLock> lockedExams(db::Connection &c);

bool isExamLocked(db::Connection &c, const QString &table, const QString &column);

// The words for a refused change of a locked exam.
QString lockedExamText();

// Replaces the stored locks by `locks`, in one transaction; false (see c.error()) on failure.
bool saveExamLocks(db::Connection &c, const QList<ExamLock> &locks);

} // namespace tessaly::school
