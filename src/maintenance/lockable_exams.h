#pragma once
// The exams the data maintenance window lists: every exam column of the three
// section tables, each with its table and its display name.
#include "db/database.h"

#include <QString>
#include <QVector>

namespace tessaly {

struct LockableExam {
    QString table;    // 高中, 初中 or 小学
    QString column;   // the exam column's name in that table
    QString shown;    // the list item: the table directly followed by the decoded name
};

// For 高中, 初中 and 小学 in this order, the columns from the first scanned one
// on whose name begins with C, R, Z or M, in stored order; a column is listed
// once per table that holds it. Empty when the database lacks a section table.
QVector<LockableExam> BuildLockableExamList(db::Connection &c);

} // namespace tessaly
