#pragma once
// Every exam total of one class: per student and exam the sum of the student's
// scores over the exam's subjects, its class rank, and per exam the number of
// students with a total and their average. The rows of 学生发展趋势's totals grid.
//
// An exam is a display name (DecodeExamName, kTrendNames: 25-26上期中成绩): the
// columns of every subject of one exam share it and are summed into one total.
#include "school/score_sheet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace tessaly::analysis {

struct StudentTotals {
    QString shownId;                       // empty for an empty 学籍号
    QString name;
    QList<std::optional<double>> totals;   // per exam, rounded to one decimal; none: no score at all
    QList<int> ranks;                      // per exam; 0 without a total
};

struct ClassTotals {
    QStringList exams;                     // display names, in column order
    QList<StudentTotals> students;         // in the rows' order
    QList<int> participants;               // per exam: students with a total
    QList<std::optional<double>> averages; // per exam: none without participants
};

// The columns a class's totals add up: those from kFirstScannedColumn on named
// as exams (isExamColumnName), in column order.
QStringList totalledColumns(const QStringList &fields);

// The totals of a class from its students' scores in `examColumns` (rows in
// 学籍号 order). A missing score is no score; a stored 0 is a score. Each total
// is rounded to one decimal as shown, then ranked among the rounded totals
// (equal totals share a rank, the next rank skips); the average is taken over
// the unrounded totals.
ClassTotals classTotals(const QStringList &examColumns, const QVector<school::StudentScores> &rows,
                        const QString &classCode);

// The class's totals, reading 学籍号, 姓名 and the totalled columns only; nullopt
// when the database refused (c.error()). An invalid class has no students.
std::optional<ClassTotals> readClassTotals(db::Connection &c, const school::ClassIdentity &identity);

// Grid texts: a total with one decimal, an average with two, a rank or count as
// a whole number; empty for none (a count of 0 included).
QString totalText(const std::optional<double> &total);
QString averageText(const std::optional<double> &average);
QString countText(int count);

// The column header of an exam: its display name without the closing "成绩".
QString examHeader(const QString &displayName);

} // namespace tessaly::analysis
