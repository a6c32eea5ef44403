#pragma once
// The register sheet: the register of a class as the grid shows it, written into a
// new workbook for the user to print or keep.
#include "workbook/export_workbook.h"
#include "register/register_rows.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::reg {

// The sheet's name: the class followed by 学籍表.
QString registerSheetName(const QString &className);

// Fills a new sheet, put in front of the workbook's sheets and made active: named
// registerSheetName(className), landscape; every row 11 points high, row 1 20; row 1
// the title (grade group, class, 学生学籍表) merged over the 18 columns, 14 points,
// bold, centred; row 2 the grid's header texts (columns 编号 … 备注) centred; then
// each shown row (deleted and dropped rows left out) in order, without ID or row
// state; cells 10 points; column widths and alignments of the register sheet.
ExportSheet &fillRegisterSheet(ExportWorkbook &book, const QString &gradeGroup, const QString &className,
                               const QStringList &headers, const QList<RegisterRow> &rows);

} // namespace tessaly::reg
