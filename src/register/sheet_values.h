#pragma once
// Register texts as cells of an export sheet.
#include "workbook/export_workbook.h"

#include <QString>

namespace tessaly::reg {

// Whether the text goes into a sheet as a number: a plain decimal that the
// sheet shows again as the very same text ("85", "20250301", "13868106871").
// A leading zero ("05318888888", "01"), a trailing zero after the point
// ("78.50"), or more than 15 digits keep it a text.
bool keepsAsNumber(const QString &text);

// Writes the text as keepsAsNumber() says; "" empties the cell. The style
// changes the cell's style either way.
void setRegisterValue(ExportSheet &sheet, int row, int col, const QString &text, const CellStyle &style);

// How a class list's sheet starts: every row 11 points high and row 1 20, row 1
// merged from A to the last column holding the title (14 points, bold), rows 1
// and 2 centred.
void startListSheet(ExportSheet &sheet, int lastCol, const QString &title);

// A style that only sets the alignment, or only the font size.
CellStyle aligned(HAlign align);
CellStyle fontSize(double points);

} // namespace tessaly::reg
