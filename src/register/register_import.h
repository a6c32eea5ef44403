#pragma once
// Filling the register rows of a class from a worksheet: the 16 fields a sheet column
// can be bound to, the two import modes and what they do to the rows, and the texts
// the import panel shows. Widget-free: the register window holds the workbook and
// the bindings and shows what these give.
#include "kit/column_mapping.h"
#include "workbook/import_workbook.h"
#include "register/register_rows.h"

#include <QList>
#include <QStringList>
#include <QString>

#include <array>
#include <functional>

namespace tessaly::reg {

// A register field an import can fill, in binding order.
struct ImportField {
    const char *option;   // its option button
    QString caption;      // the option's caption
    const char *label;    // its binding label
    int gridColumn;       // the register grid column it fills
};

inline constexpr int kImportFieldCount = 16;
inline constexpr int kFieldName = 0;   // 姓名: the key of both modes
inline constexpr int kFieldSex = 1;    // 性别: only 男 or 女 is taken

const std::array<ImportField, kImportFieldCount> &importFields();

// One binding per field, in binding order, to the headers of the sheet's caption row.
struct ImportMapping : std::array<ColumnBinding, kImportFieldCount> {
    int captionRow = 1;   // the data rows start below it
};

// The captions a roster's caption row may hold for the register fields (姓名 and the
// others, and the option captions without blanks), and those of 姓名, by which
// captionRow() finds a caption row below a title.
const QStringList &registerCaptions();
const QStringList &nameCaptions();

enum class ImportMode { Fresh, ByName };

inline const QString kFreshImportCaption = QStringLiteral("全新导入 (现有学生将被删除,更换为Excel中的内容)");
inline const QString kByNameImportCaption = QStringLiteral("导入学籍内容 (根据姓名,从Excel中导入相应学籍资料)");

// A class holds at most 99 students: the seat part of 学籍号 has two digits.
inline constexpr int kMaxImportRows = 99;

// The sheet's data rows: rows C + 1 … L − 1, C being the caption row and L the first
// row (from C down) whose bound 姓名 cell is empty. Their count.
int importRowCount(const ImportWorkbook &book, const ImportMapping &mapping);

// The rows below L that hold a 姓名: students an empty row in the list leaves out.
QList<int> rowsLeftOut(const ImportWorkbook &book, const ImportMapping &mapping);

// Why an import cannot start, for the user; empty when it can. The 姓名 column must
// be bound; a fresh import takes at least one and at most kMaxImportRows students (a
// fresh import of none would empty the class).
QString importRefusal(ImportMode mode, const ImportMapping &mapping, int dataRows);

// Called after each row with (rows done, rows in all).
using ImportProgress = std::function<void(int done, int total)>;

// Replaces the class: every stored row is marked deleted, every new row not yet saved
// is dropped, and each data row of the sheet becomes a new student (state New) on
// seats 1 … N in sheet order: 编号 k, 学籍号 classCode + two digits. 姓名 is the
// trimmed cell; 性别 the trimmed bound cell when it reads 男 or 女, else empty; every
// other field the trimmed bound cell, empty when unbound. Returns N. Refuse first
// with importRefusal: more than 99 rows give three-digit seats.
int freshImport(QList<RegisterRow> &rows, const ImportWorkbook &book, const ImportMapping &mapping,
                const QString &classCode, const ImportProgress &progress = {});

// Completes the shown rows from the sheet, matched by trimmed 姓名 (the first data row
// of that name, exact and case-sensitive). A matched row takes 性别 when the bound
// cell reads 男 or 女, and each other bound field whose cell is not empty (trimmed);
// 姓名 and 学籍号 stay. A row that took anything and is stored and unchanged becomes
// changed; a row not yet stored is new. Deleted and dropped rows are never touched.
// Returns the number of rows gone through (the shown rows); `matched` (when given)
// receives how many of them were found in the sheet.
int importByName(QList<RegisterRow> &rows, const ImportWorkbook &book, const ImportMapping &mapping,
                 const ImportProgress &progress = {}, int *matched = nullptr);

// The data rows whose bound 性别 cell holds something other than 男 or 女, which
// the import leaves empty: "姓名（cell text）" in sheet order. Given the class's rows
// (an import by name), only the rows that give a shown student of the class its fields.
QStringList droppedSexes(const ImportWorkbook &book, const ImportMapping &mapping,
                         const QList<RegisterRow> *byName = nullptr);

// What an import did, for its report.
struct ImportSummary {
    ImportMode mode = ImportMode::Fresh;
    int count = 0;               // fresh: the students imported; by name: the class's shown students
    int matched = 0;             // by name: those found in the sheet
    int gapRow = 0;              // the empty 姓名 row that ended the list
    QList<int> leftRows;         // rows below it that hold a 姓名 (not imported)
    QStringList leftNames;       // their names, in that order
    QStringList droppedSex;      // students whose 性别 was not taken
};
// The summary of an import just run: the rows the list's gap left out, the 性别 not taken.
ImportSummary summarizeImport(ImportMode mode, int count, int matched, const ImportWorkbook &book,
                              const ImportMapping &mapping, const QList<RegisterRow> &rows);

// What the panel's report says: success with the count only when every student of
// the list came in (by name: when some student was found); else what was left and why.
QString importReport(const ImportSummary &summary);

// The message shown when the teacher picks a mode while the class shows `students`
// students, empty for none. switchToFresh: import by name cannot work on a class
// without students, and fresh import is chosen instead.
struct ModeChoiceNotice {
    QString text;
    bool switchToFresh = false;
};
ModeChoiceNotice modeChoiceNotice(ImportMode chosen, int students, const QString &gradeGroup,
                                  const QString &className);

// The mode a sheet choice presets: fresh for a class without students, else by name.
inline ImportMode presetMode(int students) { return students > 0 ? ImportMode::ByName : ImportMode::Fresh; }

} // namespace tessaly::reg
