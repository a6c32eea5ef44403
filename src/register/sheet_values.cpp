#include "register/sheet_values.h"

namespace tessaly::reg {

bool keepsAsNumber(const QString &text)
{
    return isPlainNumber(text) && QString::number(text.toDouble(), 'g', 15) == text;
}

void setRegisterValue(ExportSheet &sheet, int row, int col, const QString &text, const CellStyle &style)
{
    if (keepsAsNumber(text))
        sheet.setNumber(row, col, text.toDouble(), style);
    else
        sheet.setText(row, col, text, style);
}

void startListSheet(ExportSheet &sheet, int lastCol, const QString &title)
{
    CellStyle titleFont = fontSize(14);
    titleFont.bold = true;
    sheet.setAllRowHeights(11);
    sheet.setRowHeight(1, 20);
    sheet.merge(1, 1, 1, lastCol, title, titleFont);
    sheet.setRowStyle(1, aligned(HAlign::Center));
    sheet.setRowStyle(2, aligned(HAlign::Center));
}

CellStyle aligned(HAlign align)
{
    CellStyle s;
    s.hAlign = align;
    return s;
}

CellStyle fontSize(double points)
{
    CellStyle s;
    s.fontSize = points;
    return s;
}

} // namespace tessaly::reg
