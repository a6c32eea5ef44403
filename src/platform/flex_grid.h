#pragma once
// Flex grid on QTableWidget. Rows and columns are counted as the windows count
// them: fixed rows and columns are ordinary rows and columns drawn as headers,
// so row 0 is the header row and "column 19" is the 20th column.
// Sizes are in twips; a width or height of 0 hides the column or row.
#include <QString>
#include <QTableWidget>

namespace tessaly {

class FlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);

    int Rows() const { return rowCount(); }
    void setRows(int n);
    int Cols() const { return columnCount(); }
    void setCols(int n);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int n);

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);

    // "^序号|<名称|>密码": one entry per column; a leading ^ < > sets centre, left
    // or right alignment, the rest is the header text in row 0. Sets Cols to the
    // number of entries and sizes each column to its header text.
    void setFormatString(const QString &format);

    int ColWidth(int col) const;              // twips
    void setColWidth(int col, int twips);     // 0 hides
    int RowHeight(int row) const;             // twips
    void setRowHeight(int row, int twips);    // 0 hides
    Qt::Alignment ColAlignment(int col) const;
    void setColAlignment(int col, Qt::Alignment alignment);

    // The current cell.
    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);
    // The current cell's rectangle in twips, relative to the grid's top-left corner.
    int CellLeft() const;
    int CellTop() const;
    int CellWidth() const;
    int CellHeight() const;
    // The same in pixels, in the grid's own coordinates (for placing an editor).
    QRect cellRect(int row, int col) const;

    // Merges (spans) runs of equal neighbouring texts in a row or a column.
    void mergeRow(int row, int fromCol = 0, int toCol = -1);
    void mergeCol(int col, int fromRow = 0, int toRow = -1);
    void mergeCells(int row, int col, int rowSpan, int colSpan) { setSpan(row, col, rowSpan, colSpan); }

    // Sorts the data rows (below the fixed rows) by the key columns fromCol..toCol,
    // left to right. Texts that are numbers compare as numbers, other texts as text;
    // a number sorts before a text. Stable.
    void sortRows(int fromCol, int toCol, bool ascending);

    // Empties every cell's text (keeps sizes).
    void clearTexts();

signals:
    // A click on a cell (row and column already current).
    void Click();
    // The grid scrolled.
    void Scroll();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    void styleFixed();
    QTableWidgetItem *itemAt_(int row, int col);
    int m_fixedRows = 1;
    int m_fixedCols = 1;
    int m_row = 0;
    int m_col = 0;
};

} // namespace tessaly
