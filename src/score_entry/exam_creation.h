#pragma once
// Creating an exam: what the teacher typed is checked, then one transaction
// adds the exam's row to the section's registry (小学考试结果, 初中考试结果,
// 高中考试结果) and its REAL column to the section table. Either both stay or
// neither does.
#include "kit/save_report.h"
#include "db/database.h"
#include "school/exam_registry.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tessaly::score {

// The message for a missing (or too long) quiz name.
inline const QString kQuizNameMessage = QStringLiteral("请添写3个字以内的考试名称,否则无法创建。");

// Why a quiz name cannot be used, empty when it can. It must not be empty, must
// hold none of the capitals S, X, Z, M and R (exam names are decoded by them),
// and must stand inside a column name: no quote, bracket, dot, exclamation mark,
// control character or leading blank. The message names what was found.
QString quizNameRefusal(const QString &quizName);

enum class NewExamCheck {
    Free,        // the column may be added
    Exists,      // the same exam is there already
    TableFull,   // the section table holds as many columns as the database allows
    BadName,     // the name cannot be a column name
};

// Whether `column` may be added to a section table that has `columns` and may
// hold `columnLimit` columns. The same exam is a column from kFirstScannedColumn
// on that equals `column` once both lose their six-character date stamps, so a
// section table holds one mid-term and one final per subject, school year and
// half-year, and one quiz per quiz name and subject, whatever the dates.
// Letters compare without case, as the database compares column names.
NewExamCheck checkNewExam(const QStringList &columns, int columnLimit, const QString &column);

// The message for a section table that can take no further column.
QString tableFullMessage(const QString &sectionTable);

// One new exam: its column and what its registry row holds.
struct NewExam {
    QString sectionTable;   // 小学, 初中 or 高中
    QString column;         // the raw exam column name
    QString gradeGroup;     // 年级组
    QString className;      // 班级名
    QString headTeacher;    // 班主任
    QString teacher;        // 任课教师
    QString fullMark;       // 满分, as typed
};

struct CreateExamOutcome : SaveOutcome {
    NewExamCheck check = NewExamCheck::Free;   // why the creation was refused, if it was
    QStringList columns;   // once created: the table's columns, the new one last
};

// The section table's columns as they are now and whether `column` may be added
// to them (checkNewExam, against the database's column limit). `ok` tells that
// the columns were read; a refused read sets `error`.
CreateExamOutcome checkNewExam(db::Connection &c, const QString &sectionTable, const QString &column);

// In one transaction: checks the exam against the table as it is now (another
// computer may have added it meanwhile), adds the registry row, then the
// column. On any refusal or failure nothing stays and `error` tells why.
CreateExamOutcome CreateExam(db::Connection &c, const NewExam &exam, const school::ColumnStep &addColumn = db::addColumn);

} // namespace tessaly::score
