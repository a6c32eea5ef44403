#pragma once
// Flex grid: a QTableView over its own model of cell texts. Rows and columns are counted as the windows count
// them: fixed rows and columns are ordinary rows and columns drawn as headers,
// so row 0 is the header row and "column 19" is the 20th column.
// Sizes are in twips; a width or height of 0 hides the column or row. A shown
// row is never lower than the grid's font needs: a lower height is raised to
// that, the height every new row has, so rows loaded and rows added match.
// A cell whose text is cut off shows the whole text as its tooltip.
//
// A new grid has 2 rows, 2 columns, 1 fixed row and 1 fixed column; its current
// cell is (1, 1).
// Fixed rows stay at the top and fixed columns at the left while the grid
// scrolls (they are drawn by strips laid over the scrolling cells).
// The grid never edits a cell itself: windows lay their own editor over the
// current cell (cellRect / CellLeft ...). Keep sizes, spans and row heights
// going through this class (setColWidth, setRowHeight, mergeCells), not through
// QTableView's pixel setters, so the fixed strips stay in step.
// Text wraps inside a cell only when the cell is at least two lines high.
// Mouse input comes as Click and MouseDown/MouseMove/MouseUp.
// Writing texts costs no allocation per cell and no signal per cell: the views
// hear of the cells written since the last event loop in one dataChanged, so a
// window fills the grid with setTextMatrix in a loop as it likes.
// Cell attributes other than the text (fonts, colours, alignment) are set per
// cell through model()->setData with their roles and kept only where set.
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>
#include <QTableView>
#include <functional>
#include <vector>

class QHelpEvent;

namespace tessaly {

class FlexGridDelegate;
class FlexGridModel;

// A cell text as the grid's generic sort reads a number: an optional sign and digits
// with at most one decimal point, blanks around them. False for anything else.
bool readGridNumber(const QString &text, double *value);
// The grid's generic comparison of two cell texts (negative, 0, positive): empty texts
// first, then numbers by value, then other texts by character codes.
int compareGridTexts(const QString &a, const QString &b);
// A cell text read once for the generic comparison, so that many rows can be sorted
// on keys read beforehand: compareGridKeys(gridTextKey(a), gridTextKey(b)) is
// compareGridTexts(a, b).
struct GridTextKey {
    int rank = 0;   // 0 empty, 1 number, 2 other text
    double number = 0;
    QString text;
};
GridTextKey gridTextKey(const QString &text);
int compareGridKeys(const GridTextKey &a, const GridTextKey &b);

class FlexGrid : public QTableView {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);
    ~FlexGrid() override;

    int rowCount() const;
    int columnCount() const;
    int Rows() const { return rowCount(); }
    void setRows(int n);
    int Cols() const { return columnCount(); }
    void setCols(int n);
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);
    int FixedCols() const { return m_fixedCols; }
    void setFixedCols(int n);

    // A cell that was never written reads "", and so does a cell outside the grid;
    // writing outside the grid does nothing.
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);

    // "^序号|<名称|>密码": one entry per column; a leading ^ < > sets centre, left
    // or right alignment (no mark: the default, left), the rest is the header text
    // in row 0, kept with its blanks. Sets Cols to the number of entries (and Rows
    // to at least 1) and sizes each column to its header text, so blanks and
    // ideographic spaces in the header set the width. The text is measured as drawn,
    // but at least as in a font whose ASCII characters (blanks too) are half an
    // ideograph wide and all others one, the measure the format strings are made for.
    void setFormatString(const QString &format);

    int ColWidth(int col) const;              // twips (whole pixels); 0 when hidden
    void setColWidth(int col, int twips);     // 0 hides
    int RowHeight(int row) const;             // twips (whole pixels); 0 when hidden
    void setRowHeight(int row, int twips);    // 0 hides; never lower than the font needs
    // Widens the shown columns firstCol..lastCol so that the texts of rows
    // fromRow..toRow fit, up to 16 ideographs wide: a longer text is cut off there
    // and shows whole in its tooltip. A column is never made narrower.
    void widenColumnsToText(int firstCol, int lastCol, int fromRow, int toRow);
    // The pixels a text may take in a cell of the column: its width less the
    // padding either side of the text and the grid line (the measure above).
    int textRoom(int col) const;
    // Alignment of a column's cells below the fixed rows (fixed rows are centred).
    // A cell's own alignment (Qt::TextAlignmentRole), when set, wins.
    Qt::Alignment ColAlignment(int col) const;
    void setColAlignment(int col, Qt::Alignment alignment);

    // The current cell. Setting it never scrolls the grid; a click on a cell
    // (fixed cells included) makes it current; arrow keys move it within the data cells.
    int Row() const { return m_row; }
    void setRow(int row);
    int Col() const { return m_col; }
    void setCol(int col);
    // The cell under the mouse at the last mouse event (-1 outside the cells).
    int MouseRow() const { return m_mouseRow; }
    int MouseCol() const { return m_mouseCol; }
    // The current cell's rectangle in twips, relative to the grid's top-left corner
    // (its inside, without the grid line), where it is drawn now.
    int CellLeft() const;
    int CellTop() const;
    int CellWidth() const;
    int CellHeight() const;
    // The same in pixels, in the grid's own coordinates (for placing an editor).
    // The cell's own rectangle, also when it lies inside a merged span.
    QRect cellRect(int row, int col) const;

    // Merges runs of equal, non-empty neighbouring texts in a row or a column.
    // The merge stands: it follows later changes of the texts and of Rows/Cols,
    // so it may be set before the grid is filled. toCol/toRow -1: to the last one.
    // Runs never cross from fixed into data cells. Column merges come first; a row
    // merge leaves out cells already merged in a column.
    void mergeRow(int row, int fromCol = 0, int toCol = -1);
    void mergeCol(int col, int fromRow = 0, int toRow = -1);
    // A fixed span (kept until clearMerges()).
    void mergeCells(int row, int col, int rowSpan, int colSpan);
    // Drops every merge and span.
    void clearMerges();
    // Brings the spans up to date now (otherwise done before the next paint).
    void applyMerges();

    // How sort keys compare.
    enum class SortKind {
        Generic,     // empty < numbers (by value) < other texts (by text)
        TextNoCase,  // as text, ignoring case
    };
    // Sorts the data rows (below the fixed rows) by the key columns fromCol..toCol,
    // left to right: a later key decides only between rows equal in all earlier ones.
    // A number is an optional sign and digits with at most one decimal point, with
    // blanks around them. Texts compare by character codes. Stable: rows equal in
    // every key keep their order. Whole rows move, row heights included; the
    // current row number stays.
    void sortRows(int fromCol, int toCol, bool ascending, SortKind kind = SortKind::Generic);

    // Empties every cell's text (keeps sizes, alignments and merges) and drops the
    // text source.
    void clearTexts();

    // Texts made when asked for: a cell of the source's rows and columns with no text
    // written shows text(row, col), made each time the cell is drawn or read
    // (TextMatrix, merges), so a large grid costs only the cells in view. The
    // function must give the same text for a cell until the source is replaced. A
    // new source replaces the last one; an empty one drops it. Sorting the rows
    // writes the source's texts into the cells first and drops it.
    struct TextSource {
        int top = 0;
        int left = 0;
        int bottom = -1;
        int right = -1;
        std::function<QString(int row, int col)> text;
    };
    void setTextSource(TextSource source);

    // Colours of the fixed cells and of the area outside the cells.
    QColor BackColorFixed() const { return m_backColorFixed; }
    void setBackColorFixed(const QColor &color);
    QColor BackColorBkg() const { return m_backColorBkg; }
    void setBackColorBkg(const QColor &color);
    // 0 none, 1 horizontal, 2 vertical, 3 both (each shown when needed).
    int ScrollBars() const { return m_scrollBars; }
    void setScrollBars(int bars);

    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    // A click on a cell (row and column already current). A click outside the
    // cells sends no Click.
    void Click();
    // The grid scrolled (either scroll bar).
    void Scroll();
    // Mouse events: button 1 left, 2 right, 4 middle (MouseMove: the buttons held);
    // shift 1 Shift, 2 Ctrl, 4 Alt; x and y in twips from the grid's top-left.
    void MouseDown(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    struct MergeRange { int from; int to; };
    struct Span { int row; int col; int rowSpan; int colSpan; };

    friend class FlexGridDelegate;
    void styleFixed();
    void layoutStrips();
    void syncStripScroll();
    void copySizesTo(QTableView *strip, bool allRows, bool allCols);
    void applyColSize(int col, int px, bool hidden);
    void applyRowSize(int row, int px, bool hidden);
    void syncCurrent();
    bool showCellToolTip(QTableView *view, QHelpEvent *event);
    int fixedHeightPx() const;
    int fixedWidthPx() const;
    QPoint cellAt(const QPoint &gridPos) const;
    void handleMouse(QEvent::Type type, const QPoint &gridPos, Qt::MouseButton button,
                     Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void markMergesDirty()
    {
        m_mergesDirty = true;
        postBeforePaint();
    }
    void postBeforePaint();
    bool hasMerges() const;
    QList<QTableView *> views() const;

    int m_fixedRows = 1;
    int m_fixedCols = 1;
    int m_row = 1;
    int m_col = 1;
    int m_mouseRow = -1;
    int m_mouseCol = -1;
    bool m_pressed = false;
    bool m_syncing = false;
    bool m_keyMove = false;
    int m_scrollBars = 3;
    QColor m_backColorFixed;
    QColor m_backColorBkg;
    QColor m_backColor;
    std::vector<Qt::Alignment> m_align;
    // Text widths measured by widenColumnsToText in m_widthFont: a class's names,
    // places and phone numbers come again with every load.
    QHash<QString, int> m_textWidths;
    QFont m_widthFont;
    QHash<int, MergeRange> m_mergeCols;
    QHash<int, MergeRange> m_mergeRows;
    QList<Span> m_fixedSpans;
    bool m_mergesDirty = false;
    bool m_hasSpans = false;
    bool m_beforePaintPosted = false;
    QList<QTableView *> m_resized;   // views with a row or column resized since the last layout
    FlexGridModel *m_model = nullptr;
    FlexGridDelegate *m_delegate = nullptr;
    QTableView *m_top = nullptr;     // fixed rows, scrolls sideways with the grid
    QTableView *m_left = nullptr;    // fixed columns, scrolls up and down with the grid
    QTableView *m_corner = nullptr;  // fixed rows x fixed columns, never scrolls
};

} // namespace tessaly
