#pragma once
// The table 班主任: every head-teacher document apart from the conduct
// evaluations (text columns of the section tables, evaluation_columns.h).
// A row is "类别" (the kind code: what the row is and whose), "内容" (the text)
// and "其它" (the display name lists show), with the key "ID".
//
//   kind code              row                              display name
//   "1" … "5"              conduct phrase of that category  "操行评定"
//   "J" / "G"              plan / summary template          (not written)
//   "J"/"G" code S|X       class plan / summary, one half   04-05初一一班上学年工作计划
//   "W" code               development record, one day      04-05(上)初一张三 10月15日
//   "JL" code              daily record, one day            04-05(上)初一一班 10月15日
//
// A window composes codes and names from DateParts (today injected) and lists
// rows with documentsQuery(); every value is bound and every list is in "ID"
// order, the order rows were added:
//
//   const DateParts today = dateParts(session().today());
//   const QString kind = planKind(identity.classCode, today);
//   const QString name = planName(today, Combo1->currentText(), Combo2->currentText());
//   const auto rows = readDocuments(connection(), DocumentKind::Plan, identity.classCode);
//   if (!rows) reportReadFailure(this, connection().error());
//   … keep rows with inGradeSection(row.displayName, grade)
//
// Writes go through insertDocument / updateDocumentText / deleteDocument inside
// saveWith() (kit/save_report.h).
#include "kit/save_report.h"
#include "db/database.h"
#include "school/class_code.h"

#include <QDate>
#include <QString>
#include <QVector>
#include <optional>

namespace tessaly::records {

inline const QString kDocumentTable = QStringLiteral("班主任");

// ---- Date parts ----

struct DateParts {
    QString schoolYear;      // YY: the school-year start, two digits ("04" until 31 July 2005)
    QString nextYear;        // YY + 1, at least two digits ("05"; "99" gives "100")
    QString semesterLetter;  // "S" August to February, "X" March to July
    QString month;           // MM
    QString day;             // DD
    bool firstHalf() const { return semesterLetter == QLatin1String("S"); }
    // "04-05"
    QString schoolYears() const { return schoolYear + QLatin1Char('-') + nextYear; }
};

// The date parts of a day (the school year turns on 1 August).
DateParts dateParts(const QDate &today);

// YY + 1 written with at least two digits ("04" → "05").
QString followingYear(const QString &schoolYear);

// The first two characters of a grade-group name: 初一 from 初一年级组, 一年 from 一年级组.
QString gradePrefix(const QString &gradeGroup);

// The section character of a grade group: "高" or "初" (初 wins when both occur),
// empty for every primary grade group.
QString sectionCharacter(const QString &gradeGroup);

// The grade prefix a display name was composed with: the two characters after
// the school years ("04-05") and, in a record's name, the half ("(上)"/"(下)").
// Empty when the name does not start that way.
QString gradePrefixOfName(const QString &displayName);

// Whether a row with this display name belongs to the grade group's section:
// the section of the grade prefix in the name is the grade group's. A primary
// class so never lists a junior or senior row of the same class code, and a
// student's surname 高 or 初 does not count. A name without a grade prefix is
// never listed.
bool inGradeSection(const QString &displayName, const QString &gradeGroup);

// ---- Kind codes and display names ----

enum class DocumentKind {
    Phrase,             // "1" … "5"
    PlanTemplate,       // "J"
    SummaryTemplate,    // "G"
    Plan,               // "J" + class code + letter
    Summary,            // "G" + class code + letter
    DevelopmentRecord,  // "W" + class code
    DailyRecord,        // "JL" + class code
};

// The phrase categories 1 … 5, in the order of the category box.
inline constexpr int kPhraseCategories = 5;
QString phraseCategoryName(int category);   // 1 "思想政治方面" … 5 "尊纪守法方面"; empty outside 1 … 5
inline const QString kPhraseDisplayName = QStringLiteral("操行评定");
QString phraseKind(int category);           // "1" … "5"

QString planKind(const QString &classCode, const DateParts &date);
QString summaryKind(const QString &classCode, const DateParts &date);
QString developmentRecordKind(const QString &classCode);
QString dailyRecordKind(const QString &classCode);

// 04-05初一一班上学年工作计划 / 04-05初一一班下学年工作总结
QString planName(const DateParts &date, const QString &gradeGroup, const QString &className);
QString summaryName(const DateParts &date, const QString &gradeGroup, const QString &className);
// 04-05(下)初一张三 03月15日 (a student) / 04-05(下)初一一班 03月15日 (the class)
QString recordName(const DateParts &date, const QString &gradeGroup, const QString &studentOrClass);

// The document a head-teacher window hands to the print page: the grade prefix,
// the class and the title ("工作计划", "学生行为记录", …), then "   班主任:" and the
// head teacher, then the text; lines end in CR LF.
QString classPrintText(const QString &gradeGroup, const QString &className, const QString &title,
                       const QString &headTeacher, const QString &text);

// ---- Reading and writing rows ----

struct Document {
    qint64 id = 0;          // "ID"
    QString kind;           // 类别
    QString text;           // 内容
    QString displayName;    // 其它 (empty when NULL)
};

// The rows of a kind, in "ID" order. `key` is the phrase category (1 … 5) for
// Phrase, the class code for the class kinds, unused for the templates. The
// class kinds compare the code's first 7 characters (8 for daily records) with
// the kind letter(s) and the class code, so a plan of either half is listed,
// a template never. A bad key gives an invalid statement. Reads ID, 类别, 内容
// and 其它, in that order.
school::Statement documentsQuery(DocumentKind kind, const QString &key = QString());

// The rows of documentsQuery(kind, key), read on c: empty for a bad key, nullopt
// when the database refused (c.error()).
std::optional<QVector<Document>> readDocuments(db::Connection &c, DocumentKind kind, const QString &key = QString());

struct InsertOutcome : SaveOutcome {
    qint64 id = 0;   // the new row's key
};
// Adds a row. A null displayName leaves 其它 NULL (templates).
InsertOutcome insertDocument(db::Connection &c, const QString &kind, const QString &text,
                             const QString &displayName = QString());

// Replaces the text of the row read as loaded, unless it equals the text read.
// A row another computer deleted meanwhile is a failure (kErrRowGone), never a
// silent nothing; so is one whose text another computer saved since it was
// read (db::kErrRowChanged, its message naming the row as named).
SaveOutcome updateDocumentText(db::Connection &c, const Document &loaded, const QString &text, const QString &named);
// Deletes the row with that key; a row already gone is no failure.
SaveOutcome deleteDocument(db::Connection &c, qint64 id);

// The error number of a row that no longer exists (the engine's "no current record").
inline constexpr int kErrRowGone = 3021;
inline const QString kRowGoneText = QStringLiteral("这一条内容已被其他用户删除。");

} // namespace tessaly::records
