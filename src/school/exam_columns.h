#pragma once
// Exam columns: an exam of one subject is a REAL column of a section table
// (小学, 初中, 高中), shared by every class of that table, whose name alone tells
// the exam's kind, school year, half-year, subject and creation date:
//
//   期中  "Z" YY h subject YY MM DD      Z25S语文250915
//   期末  "M" YY h subject YY MM DD      M25X数学250628
//   测验  "C" quiz subject yy MM DD      C一单元英语260320
//   入学  names holding "R" are entrance exams (never created here)
//
// YY is the school-year start (the school year turns in August), h the semester
// letter, yy the calendar year; the last six characters are the date stamp.
// Columns are only ever appended: register columns first, then exam and
// evaluation columns in order of creation.
//
// "Today" is a parameter: windows pass their TodaySource's day.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly::school {

enum class ExamKind { MidTerm, Final, Quiz, Entrance };

// Z, M, C or R.
QChar examKindLetter(ExamKind kind);

// The school-year start as two digits: "25" from August 2025 to July 2026.
QString schoolYearText(const QDate &today);

// "S" (first half) or "X" (second half). A mid-term is S in January, February
// and August to December, X in March to July; a final is S only in January and
// February. Entrance and quiz names carry none (empty).
QString semesterLetter(ExamKind kind, const QDate &today);

// The six-character date stamp: the school-year start (mid-term, final) or the
// calendar year (quiz), then month and day.
QString dateStamp(ExamKind kind, const QDate &today);

// The raw column name of a new exam of the subject; quizName only for a quiz.
// Empty for an entrance exam, which is never created.
QString examColumnName(ExamKind kind, const QString &subject, const QDate &today,
                       const QString &quizName = QString());

// The first column walked when looking for run-time columns: register columns
// before it are never examined (政治面貌 is no exam of 政治).
inline constexpr int kFirstScannedColumn = 13;

// How a raw name is turned into the display name. The windows differ in small
// ways; each passes its variant.
struct DecodeVariant {
    enum class Entrance {
        AfterFirstHalf,   // tested after "S": X, Z and M still add to or replace it
        First,            // tested first: S, X, Z or M override it
        Ignored,          // not tested: an entrance name reads as a quiz
    };
    Entrance entrance = Entrance::AfterFirstHalf;
    bool subjectInKind = false;         // "(上)语文期中成绩" rather than "(上)期中成绩"
    bool bracketHalves = true;          // "(上)" rather than "上"
    bool nameCharsBeforeKind = false;   // every half-year name: the name's characters 5-6 before the kind
    bool quizWithoutYear = false;       // a dated name whose characters 2-3 are no year reads as a quiz
};

// The analysis windows and ListExamNames: 25-26(上)期中成绩, 一单元英语成绩, 入学成绩.
inline constexpr DecodeVariant kCanonicalNames{};
// The score-entry window when a subject is chosen: 25-26(上)语文期中成绩.
inline constexpr DecodeVariant kScoreEntryNames{DecodeVariant::Entrance::First, true};
// The score-entry window's list rebuilt after an exam was created.
inline constexpr DecodeVariant kCreatedExamNames{DecodeVariant::Entrance::Ignored, true};
// The development trend window: 25-26上期中成绩.
inline constexpr DecodeVariant kTrendNames{DecodeVariant::Entrance::AfterFirstHalf, false, false};
// The data maintenance window: 25-26语文(上)期中成绩; C单元Sx050315 reads 单元Sx成绩.
inline constexpr DecodeVariant kMaintenanceNames{DecodeVariant::Entrance::AfterFirstHalf, false, true, true, true};

// An exam column's name read into its parts: the kind is its first letter
// (Z, M, C; R or any other letter is an entrance exam when the name holds R,
// else a quiz), the last six characters are the date stamp, and between them a
// mid-term or final has school year, half and subject, a quiz its name and
// subject, an entrance exam its subject. The display name follows the older
// reading instead: capitals looked for anywhere in the name (DecodeVariant).
struct ExamColumn {
    QString raw;                     // the name as stored
    ExamKind kind = ExamKind::Quiz;
    QString schoolYear;              // mid-term, final: "25"
    QString half;                    // mid-term, final: "S" or "X"
    QString subject;                 // a quiz's only when parse was given it
    QString quizName;                // a quiz: its name (with its subject unless split)
    QString dateStamp;               // "250915"
    QString capitals;                // which of S, R, X, Z, M and C the name holds, in that order

    // Reads any column name; `quizSubject` splits a quiz's name from its
    // subject when the name ends with it.
    static ExamColumn parse(const QString &raw, const QString &quizSubject = QString());

    // The name composed from the parts (examColumnName builds new ones): raw
    // again for a parsed name that starts with its kind's letter.
    QString name() const;

    // True for an exam column: the name holds M, Z, C or R.
    bool isExam() const;

    // The subject as lists show it: 语文, or a quiz's name with its subject (一单元语文).
    QString listedSubject() const;

    // The display name in the window's variant; `chosenSubject` for the
    // variants that put it into the kind.
    QString displayName(const DecodeVariant &variant = {}, const QString &chosenSubject = QString()) const;
};

// The display name of a raw exam column name. The capitals S, R, X, Z and M
// are looked for anywhere in the name, in the variant's order; a name holding
// none is a quiz (quiz name and subject followed by "成绩"). A quiz name holding
// one of them therefore reads as a mid-term, final or entrance exam. `subject`
// is the chosen subject, for the variants that put it into the kind.
// Shorthand for ExamColumn::parse(raw).displayName(variant, subject).
QString DecodeExamName(const QString &raw, const DecodeVariant &variant = kCanonicalNames,
                       const QString &subject = QString());

// The raw names of the subject's exams, in column order: every column from
// kFirstScannedColumn on whose name contains the subject's name. Nothing for
// an empty subject.
QStringList FindExamsOfSubject(const QStringList &columns, const QString &subject);

// True for an exam column's name (ExamColumn::isExam; looked at from
// kFirstScannedColumn on only).
bool isExamColumnName(const QString &column);

// The distinct display names of every exam of every subject, in column order:
// the columns from kFirstScannedColumn on whose name holds M, Z, C or R.
QStringList ListExamNames(const QStringList &columns, const DecodeVariant &variant = kCanonicalNames);

// The full mark of an exam: 150 when any score of the class is above 100, else 100.
int FullMarkOf(const QList<std::optional<float>> &scores);

// The class rank of a value: 1 plus the number of values strictly greater, so
// equal values share a rank (98, 95, 95, 90 rank 1, 2, 2, 4). Members without a
// value are left out of `values` by the caller.
int RankInClass(float value, const QList<float> &values);

// The caption of a count of excellent scores with its line beside it, since the
// windows draw that line at different fractions of the full mark:
// excellentCountCaption(90) is "优秀人数(≥90分)", excellentCountCaption(127.5)
// "优秀人数(≥127.5分)".
QString excellentCountCaption(float line);

} // namespace tessaly::school
