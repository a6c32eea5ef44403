#pragma once
// The new students of 新生分班 as plain rows, and the rules the window runs on them:
// reading the list from a worksheet, setting up a list to type, the data check, the
// balanced class placement (PlaceStudents), and the three outputs (class lists, the
// plain list, the classes written back into the source worksheet). Widget-free: the
// window shows the rows in its grid and hands edits back into them.
#include "kit/column_mapping.h"
#include "workbook/import_workbook.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>

namespace tessaly {
class ExportWorkbook;
}

namespace tessaly::organisation {

// Grid columns of the new-student grid; the score columns follow 总分 and the error
// column comes last (kColFirstScore + score count).
inline constexpr int kColCode = 0;     // 代码
inline constexpr int kColName = 1;     // 姓名
inline constexpr int kColPlaced = 2;   // 分班
inline constexpr int kColChosen = 3;   // 择班
inline constexpr int kColSex = 4;      // 性别
inline constexpr int kColTotal = 5;    // 总分
inline constexpr int kColFirstScore = 6;

inline constexpr int kMaxScoreColumns = 22;
// The largest 总分 difference at which a student who chose a class is swapped.
inline constexpr float kSwapLimit = 800;
// Typed counts (students, classes) above this are refused.
inline constexpr int kMaxTypedCount = 32766;

inline const QString kErrNoCode = QStringLiteral("无代码 ");
inline const QString kErrNoName = QStringLiteral("无姓名 ");
inline const QString kErrNoSex = QStringLiteral("无性别 ");
inline const QString kErrNoScore = QStringLiteral("缺成绩 ");

inline const QString kNoStudents = QStringLiteral("还没有任何新生信息，请输入或导入新生信息。");

struct NewStudent {
    QString code;     // 代码
    QString name;     // 姓名
    QString placed;   // 分班
    QString chosen;   // 择班
    QString sex;      // 性别
    QString total;    // 总分
    QStringList scores;
    QString errors;   // 数据错误
    int sheetRow = 0; // the worksheet row it was read from; 0 for a typed row

    // The text of a grid column (the error column being kColFirstScore + scores.size()).
    QString cell(int col) const;
    void setCell(int col, const QString &text);
};

struct NewStudentTable {
    QStringList scoreHeaders;   // one per score column
    QList<NewStudent> rows;
    // The worksheet the rows were read from (position in the workbook), -1 for typed rows.
    int sourceSheet = -1;
    int codeColumn = 0;         // its 代码 column (1-based), 0 for typed rows
    int captionRow = 1;         // its caption row; the students are below it

    int scoreCount() const { return int(scoreHeaders.size()); }
    int errorColumn() const { return kColFirstScore + scoreCount(); }
    int columnCount() const { return errorColumn() + 1; }
    // The grid's format string: the import's (right-aligned scores, left-aligned error
    // column) or the typed list's (no mark on the error column).
    QString formatString() const;
    // The header texts of grid columns 0 .. errorColumn(), as the format string shows them.
    QStringList headers() const;
    // Some row holds a student: a 姓名 (a typed list's rows start with 代码 alone).
    bool hasStudents() const;
};

// The format string of the grid before any list is read or set up.
QString initialFormatString();

// A text that reads as a decimal number: an optional sign, digits with at most one
// decimal point, blanks around them.
bool isDecimal(const QString &text);
// The value of a decimal text; 0 for any other text.
float decimalValue(const QString &text);

// The sheet columns the import reads: 代码, 姓名, 性别 and up to kMaxScoreColumns scores.
struct StudentMapping {
    ColumnBinding code;
    ColumnBinding name;
    ColumnBinding sex;
    QList<ColumnBinding> scores;
    int captionRow = 1;   // the sheet row of the headers bound; the students start below it
    bool complete() const { return code.isBound() && name.isBound() && sex.isBound(); }
    // Clears the bindings; the caption row stays with the sheet.
    void clear() { *this = StudentMapping{{}, {}, {}, {}, captionRow}; }
};

// The captions a list's caption row may hold for the fields bound (代码, 姓名, 性别, 总分),
// by which captionRow() finds a caption row below a title.
const QStringList &studentListCaptions();

// The import summary list: "代码→…", "姓名→…", "性别→…", then "成绩1→…", ….
QStringList mappingSummary(const StudentMapping &mapping);

struct CheckCounts {
    int students = 0;
    int code = 0;
    int name = 0;
    int sex = 0;
    int score = 0;
    int rows = 0;   // rows with any error
};

// Called after each row with (row done, rows in all).
using RowProgress = std::function<void(int done, int total)>;

// Reads the current sheet of the book: the rows below the caption row up to the first
// row whose 姓名 cell is empty. 性别 is taken only when it reads 男 or 女 exactly, a score only when it is a
// decimal; the rows are then checked as CheckStudentData checks them.
NewStudentTable importStudents(const ImportWorkbook &book, const StudentMapping &mapping, CheckCounts *counts,
                               const RowProgress &progress = {});

// The subjects of the manual set-up: the pieces of the text between "*"s; a "*" at the
// very end adds none.
QStringList splitSubjects(const QString &text);
// `count` typed rows with 代码 1..count and one score column per subject.
NewStudentTable manualTable(int count, const QStringList &subjects);
// The student count typed for the manual set-up, 1 .. kMaxTypedCount; nullopt otherwise.
std::optional<int> studentCountOf(const QString &text);

// Marks each row's errors, empties scores that are not decimals and sums the others
// into 总分 (single precision). 性别 itself is not changed.
CheckCounts CheckStudentData(NewStudentTable &table, const RowProgress &progress = {});
// The report after an import (opening with a line break) or after a data check.
QString importSummary(const CheckCounts &counts);
QString checkReport(const CheckCounts &counts);

// The class count typed into the class-count box: the number rounded (halves to even);
// nullopt when it is no number or rounds outside 1 .. kMaxTypedCount.
std::optional<int> classCountOf(const QString &text);
// A class typed into 分班 or 择班 names more classes than the class count typed (a
// count that is no number sets no limit).
bool aboveClassCount(const QString &text, const QString &classCountText);

// Places every row into one of `classes` classes (at least 1): the balancing pass over
// the rows sorted by sex and scores, the leftover pass, the chosen-class swaps; then
// the rows are ordered by 代码. Returns the placement report. `progress` gets the
// progress bar's value after each step.
QString PlaceStudents(NewStudentTable &table, int classes, const std::function<void(int value, int maximum)> &progress = {});

// The class number a row's 分班 names, or 0 when it names none.
int placedClass(const NewStudent &row);
// The number of class lists: the class count of the placement made (0 for none), or
// the highest class in 分班 where one is higher, so that no placed student is left out.
int classListCount(const NewStudentTable &table, int placedClasses);

// The summary line under class c's list.
QString classSummary(const NewStudentTable &table, int c);
// One sheet per class, 第1班 … 第n班, in a new workbook that starts with its blank sheets.
void fillClassLists(ExportWorkbook &book, const NewStudentTable &table, int classes);
// The grid as one list (header row first, without the error column) on the first sheet.
void fillPlainList(ExportWorkbook &book, const NewStudentTable &table);

inline const QString kResultHeader = QStringLiteral("分班结果");

// Writes each row's 分班 (a class as a number) into the column headed 分班结果 of the
// sheet the rows were read from, in the row holding the student's 代码, centres that
// column 8 characters wide and saves the workbook with that sheet active (an unchanged
// workbook is not written). False with a message for the user in *message; true with
// the message that says where the classes went.
bool writeBackPlacement(ImportWorkbook &book, const NewStudentTable &table, QString *message);

} // namespace tessaly::organisation
