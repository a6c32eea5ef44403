#pragma once
// What the workbook readers share: the cells of one worksheet, and how reading fails.
// Cells are held sparsely: only cells with a non-empty text are kept, so a sheet costs
// memory for what it holds, never for what it declares.
#include <QHash>
#include <QString>

namespace tessaly::workbook {

enum class Failure {
    None,
    NotWorkbook,  // a zip or compound file, but no workbook in it
    Damaged,      // a part or record cannot be unpacked or parsed
    TooLarge,     // a part or stream beyond the size cap
    NoSheets,     // a workbook without worksheets
    Protected,    // a password-protected (encrypted) workbook
};

class SheetCells {
public:
    // Row and column from 1. An empty text removes the cell.
    void set(int row, int col, const QString &text);
    QString value(int row, int col) const;
    int usedRows() const { return m_rows; }
    int usedCols() const { return m_cols; }
    qsizetype count() const { return m_cells.size(); }

private:
    static quint64 key(int row, int col) { return (quint64(quint32(row)) << 32) | quint32(col); }
    void recomputeExtent();

    QHash<quint64, QString> m_cells;
    int m_rows = 0;
    int m_cols = 0;
};

} // namespace tessaly::workbook
