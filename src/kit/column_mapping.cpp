#include "kit/column_mapping.h"

namespace tessaly {

QStringList sheetHeaders(const ImportWorkbook &book, HeaderText form)
{
    QStringList headers;
    for (int c = 1; c <= book.usedCols(); ++c) {
        const QString text = book.cell(1, c);
        if (text.isEmpty())
            break;
        headers << (form == HeaderText::Trimmed ? text.trimmed() : text);
    }
    return headers;
}

bool bindColumn(ColumnBinding &binding, const QStringList &headers, int position)
{
    if (position < 0 || position >= headers.size())
        return false;
    binding.position = position;
    binding.label = headers.at(position);
    return true;
}

int firstEmptyRow(const ImportWorkbook &book, int col)
{
    int row = 1;
    while (row <= book.usedRows() && !book.cell(row, col).isEmpty())
        ++row;
    return row;
}

} // namespace tessaly
