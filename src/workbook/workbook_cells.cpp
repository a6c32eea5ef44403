#include "workbook/workbook_cells.h"

#include <algorithm>

namespace tessaly::workbook {

void SheetCells::set(int row, int col, const QString &text)
{
    if (row < 1 || col < 1)
        return;
    if (!text.isEmpty()) {
        m_cells.insert(key(row, col), text);
        m_rows = std::max(m_rows, row);
        m_cols = std::max(m_cols, col);
    } else if (m_cells.remove(key(row, col)) && (row == m_rows || col == m_cols)) {
        recomputeExtent();
    }
}

QString SheetCells::value(int row, int col) const
{
    if (row < 1 || col < 1)
        return QString();
    return m_cells.value(key(row, col));
}

void SheetCells::recomputeExtent()
{
    m_rows = 0;
    m_cols = 0;
    for (auto it = m_cells.cbegin(); it != m_cells.cend(); ++it) {
        m_rows = std::max(m_rows, int(it.key() >> 32));
        m_cols = std::max(m_cols, int(it.key() & 0xffffffffu));
    }
}

} // namespace tessaly::workbook
