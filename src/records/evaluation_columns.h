#pragma once
// Conduct evaluations: one TEXT column of a section table per half year,
// shared by every class of the table, named "P" YY S|X yyMMdd (P05S051020:
// school year 05-06, first half, created on 20 October 2005). The first four
// characters name the half year, so a table holds one evaluation per half year.
// A student's evaluation is at most kEvaluationLength characters.
#include "kit/save_report.h"
#include "db/database.h"
#include "school/exam_registry.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly::records {

inline constexpr int kEvaluationLength = 225;

// The column of the half year of `today`: "P", the school-year start, the
// semester letter, then the day as yyMMdd.
QString evaluationColumnName(const QDate &today);

// Only names of exactly that form are evaluations (an exam or quiz column holding a P is not).
bool isEvaluationColumn(const QString &name);

// 初一三班05-06上学年操行评定: the grade prefix and class chosen now, the column's
// school years and half. Empty for a name that is no evaluation column.
QString evaluationDisplayName(const QString &column, const QString &gradeGroup, const QString &className);

// The evaluations a class sees, in column order: those of the school years from
// its cohort on (the column's YY not below the cohort year's last two digits).
QStringList classEvaluationColumns(const QStringList &columns, const QString &classCode);

// The evaluation column of the same half year as `column`, if the table has one.
std::optional<QString> sameHalfYear(const QStringList &columns, const QString &column);

// The creation refused because the table holds as many columns as the database allows.
QString evaluationTableFullMessage(const QString &sectionTable);

struct CreateEvaluationOutcome : SaveOutcome {
    std::optional<QString> existing;   // refused: the half year has this column already
};

// Adds the evaluation column to the section table in one transaction, after
// checking the table as it is now (another computer may have added the half
// year meanwhile). A refusal or failure leaves the table as it was: `existing`
// tells a duplicate, `error` anything else (a table another computer holds
// locked, a full table, a bad name).
CreateEvaluationOutcome createEvaluationColumn(db::Connection &c, const QString &sectionTable,
                                               const QString &column,
                                               const school::ColumnStep &addColumn = db::addColumn);

// Shown when a text is longer than the column holds.
QString evaluationTooLongMessage(int length);

// The student an evaluation is written for, and the text read for them.
struct EvaluatedStudent {
    qint64 id = 0;
    QString name;
    QString loaded;   // the column's text as read (empty for none)
};

// Writes the student's text (an empty text stores NULL) into the column of the
// row with that ID, unless it equals the text read. A text longer than
// kEvaluationLength is refused before any write; a student row gone meanwhile
// is a failure, and so is a text another computer saved since it was read
// (db::kErrRowChanged, naming the student).
SaveOutcome saveEvaluation(db::Connection &c, const QString &sectionTable, const QString &column,
                           const EvaluatedStudent &student, const QString &text);

} // namespace tessaly::records
