#pragma once
// The register survey of a class: the register columns of its students in the
// read-only survey grid, and the register sheet written from it, which the head
// teacher prints for the students to correct and complete.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace tessaly {
class ExportSheet;
class ExportWorkbook;
}

namespace tessaly::reg {

// The register grid's first 18 columns: 编号, 学籍号 … 备注, without ID and row state.
inline constexpr int kSurveyCols = 18;
const QString &surveyGridFormat();
// The header texts of the format, blanks kept.
QStringList surveyHeaders();

// One text per column: running number, shown ID, 姓名 … 备注 as stored (null
// empty), 住宿 "是" or "否" (null "否").
using SurveyRow = QStringList;

// The survey rows of the class from records of the register columns in stored
// order (ID, 学籍号 … 备注), numbered 1, 2, 3 … in record order.
QList<SurveyRow> surveyRows(const QVector<QVector<QVariant>> &records, const QString &classCode);

// The register sheet: A1:R1 merged with the title (14 points, bold, height 20),
// row 2 the headers, one row per student from row 3 (10 points), every other row
// 11 points high, landscape; rows 1 and 2 centred, columns D, E, J and P centred
// and column K right-aligned; the widths of the 18 columns. A numeric-looking
// text becomes a number only when it reads back the same ("05318888888" stays text).
void writeSurveySheet(ExportSheet &sheet, const QString &title, const QList<SurveyRow> &rows);

// The register sheet of the class as a new workbook has it: "学籍表" + class
// name, in front of the new workbook's blank sheets and active; its title the
// grade group, the class and "学生学籍表".
void addSurveySheet(ExportWorkbook &book, const QString &gradeGroup, const QString &className,
                    const QList<SurveyRow> &rows);

} // namespace tessaly::reg
