#include "kit/column_mapping.h"

#include <algorithm>

namespace tessaly {

QStringList sheetHeaders(const ImportWorkbook &book, HeaderText form, int row)
{
    QStringList headers;
    for (int c = 1; c <= book.usedCols(); ++c) {
        const QString text = book.cell(row, c);
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

namespace {

// The cell text with every blank (full-width ones included) taken out.
QString withoutBlanks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace())
            out += c;
    return out;
}

bool rowHoldsOneOf(const ImportWorkbook &book, int row, const QStringList &captions)
{
    for (int c = 1; c <= book.usedCols(); ++c) {
        const QString text = book.cell(row, c);
        if (!text.isEmpty() && captions.contains(withoutBlanks(text)))
            return true;
    }
    return false;
}

} // namespace

int captionRow(const ImportWorkbook &book, const QStringList &known, const QStringList &keys)
{
    if (rowHoldsOneOf(book, 1, known))
        return 1;
    for (int row = 2; row <= std::min(kLastCaptionRow, book.usedRows()); ++row)
        if (rowHoldsOneOf(book, row, keys))
            return row;
    return 1;
}

QString captionRowNote(int row)
{
    if (row <= 1)
        return QString();
    return QStringLiteral("表的第1行不是列名：已把第%1行作为列名行，学生资料从第%2行读起。").arg(row).arg(row + 1);
}

int firstEmptyRow(const ImportWorkbook &book, int col, int from)
{
    int row = std::max(1, from);
    while (row <= book.usedRows() && !book.cell(row, col).isEmpty())
        ++row;
    return row;
}

QList<int> rowsBelowGap(const ImportWorkbook &book, int col, int emptyRow)
{
    QList<int> rows;
    for (int row = emptyRow + 1; row <= book.usedRows(); ++row)
        if (!book.cell(row, col).trimmed().isEmpty())
            rows << row;
    return rows;
}

} // namespace tessaly
