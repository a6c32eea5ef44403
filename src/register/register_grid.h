#pragma once
// The register grid of a class: one header row, one row per student, 20 columns.
// Columns 2 … 17 show the register columns 姓名 … 备注; column 18 holds the row's
// ID (empty for a row not yet saved), column 19 the row state (both hidden).
#include "kit/cell_editor.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace tessaly::reg {

// Column layout ("^" centre, "<" left, ">" right; blanks set the widths).
inline const QString kRegisterGridFormat =
    QStringLiteral("^编号|^学 籍 号|^ 姓  名 |^性别|^民族|^政治面貌|>出 生 日 期|>户口性质|<原毕业学校|^住宿|>联 系  电 话|<　　籍　　　贯　　|<　家　庭　住　址　|　  特  长  　|<家长姓名|^与生关系|<　家　长　单　位　|>　　备      注　　|I  D|保存");

enum RegisterGridColumn {
    kColNumber = 0,         // 编号: running number
    kColStudentNumber = 1,  // 学籍号: shown ID
    kColName = 2,           // 姓名
    kColSex = 3,            // 性别
    kColBirthDate = 6,      // 出生日期
    kColBoarding = 9,       // 住宿: "是" / "否"
    kColPhone = 10,         // 联系电话
    kColRemarks = 17,       // 备注: the last register column
    kColId = 18,            // ID (hidden)
    kColRowState = 19,      // 保存: row state (hidden)
    kRegisterGridCols = 20,
};

// The header texts of columns 编号 … 备注, as the format gives them (without the
// alignment marks).
QStringList registerHeaders();

// Grid column of register column i (registerColumns()[i]): 学籍号 … 备注 (1 … 17)
// keep their index, ID (0) is column 18.
inline constexpr int gridColumnOfRegisterColumn(int i) { return i == 0 ? kColId : i; }

// Row states as column 19 shows them (RowState, register_rows.h).
inline const QString kRowUnchanged = QString();           // loaded, unchanged
inline const QString kRowNew = QStringLiteral("1");      // to be inserted
inline const QString kRowChanged = QStringLiteral("2");  // to be updated
inline const QString kRowDeleted = QStringLiteral("3");  // to be deleted; row hidden

// Height of a loaded row, in twips.
inline constexpr int kLoadedRowHeight = 225;

// 住宿 as shown: "是" for a stored yes, "否" for no or no value.
inline const QString kYes = QStringLiteral("是");
inline const QString kNo = QStringLiteral("否");
QString boardingText(const QVariant &stored);
// 住宿 as stored: 1 for "是", 0 for anything else.
int boardingValue(const QString &shown);

// What a new student gets.
inline const QString kNewStudentSex = QStringLiteral("男");
inline const QString kNewStudentBoarding = kYes;

// The register's key rule for a character typed into the cell editor in column col:
// 性别 cycles "" → 男 → 女 → 男 and 住宿 "" → 是 → 否 → 是 (the key itself is dropped;
// another text stays); 出生日期 and 联系电话 take only digits, "/", "-" and Backspace;
// every other column takes every key.
QChar registerKeyRule(int col, QChar key, QString &text);

// The cell editor of the register grid: columns 2 … 17 of the data rows, only while
// signedIn() holds; the key rule above; the arrow keys move within those cells; a
// scroll or the loss of focus writes back; a changed text marks an unchanged row
// (state "") as changed ("2") in the grid. The window hands each write-back to
// its sheet (register_sheet.h), whose row state the grid then shows.
CellEditorConfig registerCellEditorConfig(std::function<bool()> signedIn);

} // namespace tessaly::reg
