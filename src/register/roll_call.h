#pragma once
// The roll-call sheet of a class: its students by seat number and name, with 31
// day columns left empty for the teacher's marks, in the window's grid and as a
// worksheet of a new workbook.
#include "kit/class_tree.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <optional>

namespace tessaly {
class ExportSheet;
class ExportWorkbook;
}

namespace tessaly::reg {

// Grid and sheet: seat number, name, then the days 1 … 31.
inline constexpr int kRollCallDays = 31;
inline constexpr int kRollCallCols = 2 + kRollCallDays;
inline const QString kRollCallSeatHeader = QStringLiteral("学号");
inline const QString kRollCallNameHeader = QStringLiteral(" 姓  名");

// The columns the class query reads.
inline const QStringList kRollCallColumns = {QStringLiteral("学籍号"), QStringLiteral("姓名")};

struct RollCallStudent {
    QString seat;   // last two characters of 学籍号
    QString name;
    bool operator==(const RollCallStudent &) const = default;
};

// The students of records of (学籍号, 姓名), in record order; null texts are empty.
QList<RollCallStudent> rollCallStudents(const QVector<QVector<QVariant>> &records);

// "初一三班学生点名册         班主任:王老师": the grade's two characters, the class
// name, "学生点名册", nine blanks, "班主任:" and the head teacher.
QString rollCallTitle(const ClassNode &node);
// "三班点名册".
QString rollCallSheetName(const ClassNode &node);

// Writes the sheet: A1:AG1 merged with the title (14 points, bold, height 20),
// row 2 the headers and the days 1 … 31 (8 points), a row per student from row 3
// (10 points), every other row 11 points high; widths A 3, B 6, C … AG 1.5; rows 1
// and 2 centred, columns D and E centred, column I right-aligned.
void writeRollCallSheet(ExportSheet &sheet, const QString &title, const QList<RollCallStudent> &students);

// The roll-call sheet of the class as a new workbook has it: in front of the
// blank sheets a new workbook starts with, and active. Without a class (none
// chosen yet) the sheet holds the header rows only, with no title, under the
// name the spreadsheet gives a new sheet ("Sheet4").
void addRollCallSheet(ExportWorkbook &book, const std::optional<ClassNode> &node,
                      const QList<RollCallStudent> &students);

} // namespace tessaly::reg
