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

} // namespace tessaly::reg
