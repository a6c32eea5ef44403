#pragma once
// Section tables, student numbers and class codes.
//
// A student's class is not stored on its own: the first six characters of the
// 8-character 学籍号 are the class code, the cohort year (4 digits) followed by
// the class number (2 digits); the last two are the seat number. Every window
// that works on one class derives its section table and class code with
// ResolveClassCode() and lists the class with classMembersQuery().
//
// "Today" is a parameter: windows pass their TodaySource's day (os/clock.h).
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace tessaly::school {

// The three section tables.
inline const QString kTablePrimary = QStringLiteral("小学");
inline const QString kTableJunior = QStringLiteral("初中");
inline const QString kTableSenior = QStringLiteral("高中");

// The 18 register columns of a section table, in stored order ("ID" … "备注").
// Queries that read the register name them in this order.
const QStringList &registerColumns();
inline constexpr int kRegisterColumnCount = 18;

// The grade numeral (一 … 六 → 1 … 6) of a name of the fixed grade-group list;
// 0 for any other name.
int gradeOf(const QString &gradeGroup);

// The section table of a grade group: "高中" for a name containing 高, "初中" for
// one containing 初, else "小学". Empty for a name outside the fixed grade-group list.
QString sectionTableOf(const QString &gradeGroup);

// Cohort year of grade `grade` (1 … 6): the year the grade group entered its
// school level. It turns in September: from September on this year − (grade − 1),
// before that this year − grade.
int cohortYear(int grade, const QDate &today);

// The calendar year in which the current school year began; the school year
// turns in August (from August on this year, before that the year before).
int schoolYearStart(const QDate &today);

// Cohort year followed by the class number in two digits ("200413").
QString formatClassCode(int cohortYear, int classNumber);

// What ResolveClassCode derives from a grade-group name and a class name.
struct ClassIdentity {
    QString sectionTable;   // "小学", "初中" or "高中"
    int cohortYear = 0;
    int classNumber = 0;    // 1 … 30
    QString classCode;      // 6 characters
    bool isValid() const { return !classCode.isEmpty(); }
};

// Section table, cohort year and class code of a class on the given day.
// A grade-group name outside the fixed grade-group list or a class name outside
// the fixed class list gives an invalid (empty) identity: such a class has no
// students. Blanks around either name are ignored.
ClassIdentity ResolveClassCode(const QString &gradeGroup, const QString &className, const QDate &today);

// True for a well-formed class code: six digits.
bool isClassCode(const QString &code);

// The text shown for a student number in a class's grid: the first 4 characters
// of the class code followed by the last 4 of the 学籍号. Empty for an empty number.
QString shownId(const QString &classCode, const QString &studentNumber);

// The seat number (学号) of a student number: its last two characters.
QString seatOf(const QString &studentNumber);

// The number for one new student of the class: the class code followed by the
// smallest seat 01 … 99 whose number is not among `taken` (exact, whole text).
// No value when all 99 seats are taken (a class never gets a 9-character number)
// or when classCode is not a class code.
// The caller adds the number to its list of taken numbers.
std::optional<QString> firstFreeSeat(const QString &classCode, const QStringList &taken);

// Shown when firstFreeSeat() finds no seat.
inline const QString kSeatsFullMessage =
    QStringLiteral("本班学号01至99已经全部使用,不能再给学生编学籍号。");

// An SQL text with its bound values, for Connection::query or DataControl::setRecordSource.
struct Statement {
    QString sql;
    QVariantList params;
    bool isValid() const { return !sql.isEmpty(); }
};

// The condition selecting a class's rows and its two bound values:
// "学籍号" >= the class code and < the code's successor (its last character plus
// one). The same rows as a test of the first six characters, but one the 学籍号
// index answers as a range. Invalid when classCode is not a class code.
Statement classCondition(const QString &classCode);

// The students of a class: the rows of `sectionTable` whose 学籍号 begins with
// `classCode` (classCondition), ordered by 学籍号, which is seat order. `columns`
// are the columns to read, in order (all columns when empty). An invalid section
// table, class code or column name gives an invalid statement.
Statement classMembersQuery(const QString &sectionTable, const QString &classCode,
                            const QStringList &columns = registerColumns());

} // namespace tessaly::school
