#pragma once
// Creating an exam: what the teacher typed is checked, then one transaction
// adds the exam's row to the section's registry (小学考试结果, 初中考试结果,
// 高中考试结果) and its REAL column to the section table. Either both stay or
// neither does.
#include "kit/save_report.h"
#include "platform/database.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tessaly::score {

// The highest full mark an exam may have.
inline constexpr float kHighestFullMark = 1000.0f;

// A full mark as typed: a positive number no larger than kHighestFullMark
// (blanks around it allowed); nothing for any other text.
std::optional<float> parseFullMark(const QString &text);

// Whether a quiz name can stand inside a column name: not empty, and no quote,
// bracket, dot, exclamation mark, control character or leading blank.
bool isValidQuizName(const QString &quizName);

// The examination registry of a section table: the table's name followed by "考试结果".
QString registryTable(const QString &sectionTable);

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

// Adds a column to a table (db::addColumn; tests pass a failing one).
using ColumnStep = std::function<bool(db::Connection &, const QString &table, const QString &column,
                                      db::ColumnType type)>;

// In one transaction: checks the exam against the table as it is now (another
// computer may have added it meanwhile), adds the registry row, then the
// column. On any refusal or failure nothing stays and `error` tells why.
CreateExamOutcome CreateExam(db::Connection &c, const NewExam &exam, const ColumnStep &addColumn = db::addColumn);

} // namespace tessaly::score
