#pragma once
// The paper preview: a computed grid shown on an on-screen sheet of paper, with a
// title, the date line, a page number, page turning, and the table moved and
// resized by dragging its edges. 打印成绩单 and 打印成绩报表 both use it.
//
// How a window uses it:
//   1. Build one PaperPreview with the window's page (kTranscriptPage or
//      kScoreReportPage) and its toolbar caption, put it into the window's
//      layout (hidden) and name the widgets of the normal view with
//      setNormalView(): they are hidden while the preview is shown.
//   2. Connect the toolbar's own buttons: optionsButton (options), exportButton (export)
//      and closeButton (close the window). Paging, dragging, scrolling and
//      closePreviewButton "关闭预览" are handled here.
//   3. "打印预览": OpenPaperPreview(grid, title, today) moves the grid onto the
//      paper. The title is the window's (an empty one keeps the title box's text).
//   4. On closed(), put the grid back into the normal view's layout and restore
//      the window's row order; the grid's colours, scroll bars and row heights are
//      already back.
//   5. An options "确定" during the preview calls showFirstPageLabel().
//
// All lengths are twips. The page geometry and the paging are the widget-free
// functions below; the widget only places what they compute.
#include <QColor>
#include <QDate>
#include <QList>
#include <QString>
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tessaly {

class FlexGrid;

namespace reports {

// How a window finds its last page (see pageCount and lastPageBySize).
enum class LastPage {
    HoldsLastRow,   // the page that holds the grid's last row
    BySize,         // counted by whole pages of R rows
};

// A window's page: where the table stands when the preview opens, the paper's
// width and how the last page is found.
struct PreviewPage {
    int top = 0;          // the title's top
    int left = 0;         // the table's left edge
    int width = 0;        // the table's width
    int height = 0;       // the table's greatest height
    int paperWidth = 0;
    LastPage lastPage = LastPage::HoldsLastRow;
};

inline constexpr PreviewPage kTranscriptPage{1100, 950, 9440, 14300, 9700};
inline constexpr PreviewPage kScoreReportPage{1100, 700, 10240, 14300, 11450, LastPage::BySize};

// The height a row of a turned-to page gets (the grid raises it to its font's need).
inline constexpr int kPageRowHeight = 225;
// Limits of an edge drop: a page holds a row beyond the two header rows, and the
// table never gets narrower than this.
inline constexpr int kMinRowsPerPage = 3;
inline constexpr int kMinTableWidth = 1500;

// Where everything stands on the paper.
struct PreviewGeometry {
    int titleTop = 0, titleLeft = 0, titleWidth = 0;
    int labelTop = 0;       // the date line and the page label
    int dateLeft = 0, pageLabelLeft = 0;
    int tableTop = 0, tableLeft = 0, tableWidth = 0, tableHeight = 0;
    int paperLeft = 50, paperTop = 50, paperWidth = 0, paperHeight = 0;
    int scrollMin = 50, scrollMax = 50;
    int rowsPerPage = kMinRowsPerPage;
};

// Lays the page out again. An argument of 0 keeps the current value (`now`'s title
// top, table left, width or height). The title stands at `top`, the date line 450
// below it, the table 700 below it; the paper is 2400 higher than the table asked
// for; the table's height is cut to whole header rows, at least kMinRowsPerPage.
// A left or top below 0 becomes 0, a width below kMinTableWidth that minimum.
PreviewGeometry layoutPreviewPage(const PreviewGeometry &now, int top, int left, int width,
                                  int height, int paperWidth, int headerRowHeight,
                                  int pageLabelWidth);

// The rows of the header row's height that fit into the table, at least kMinRowsPerPage.
int rowsPerPage(int tableHeight, int headerRowHeight);

// Rows 0 and 1 stand on every page; page p holds the R − 2 rows from
// (p − 1)(R − 2) + 2 on. The page count is the page of the grid's last row (at least 1).
int pageCount(int rows, int rowsPerPage);
struct RowSpan {
    int first = 0;
    int last = 0;
};
RowSpan pageRows(int page, int rowsPerPage);

// The last page counted by whole pages: Int((rows − 3) / R) + 1 (0 for a grid of
// two rows), or the first later page from whose first row on the rest of the grid
// fits the `rowsShown` rows the table shows under rows 0 and 1, so that every row
// can be turned to. Never beyond pageCount().
int lastPageBySize(int rows, int rowsPerPage, int rowsShown);

// The table edge under the pointer (x, y from the table's top-left) of a table
// w × h, tested left, right, bottom, top; None away from every edge zone.
enum class Edge { None = 0, Left = 3, Right = 4, Bottom = 5, Top = 6 };
Edge edgeAt(int x, int y, int w, int h);

// The paper's top for a scroll value.
inline int paperTopForScroll(int value) { return 100 - value; }

// "第n页".
QString pageLabelText(int page);

// The paper with its title, date line, page label, guides, the toolbar and the
// scroll bar. Controls keep the names of the windows' design.
class PaperPreview : public QWidget {
    Q_OBJECT
public:
    // preview state
    enum State { Closed = 0, Shown = 1, Dragging = 2, Dropped = 3 };

    PaperPreview(const PreviewPage &page, const QString &toolbarCaption, QWidget *parent = nullptr);

    void setNormalView(const QList<QWidget *> &widgets) { m_normalView = widgets; }

    QWidget *toolbarPanel = nullptr;        // the toolbar
    QPushButton *optionsButton = nullptr;    // 项目设置 (the window's)
    QPushButton *exportButton = nullptr;    // 打印成绩 (the window's)
    QPushButton *closePreviewButton = nullptr;    // 关闭预览
    QPushButton *nextPageButton = nullptr;    // 下一页
    QPushButton *previousPageButton = nullptr;    // 上一页
    QPushButton *closeButton = nullptr;    // 关闭(&C) (the window's)
    QLabel *paperLabel = nullptr;           // 选打印纸
    QComboBox *paperCombo = nullptr;        // paper size, no behaviour
    QWidget *paperSheet = nullptr;        // the paper
    QLineEdit *titleBox = nullptr;         // title
    QLabel *drawnAtLabel = nullptr;          // 制表时间:
    QLabel *pageLabel = nullptr;          // 第n页
    QFrame *guideX1 = nullptr, *guideY1 = nullptr, *guideX2 = nullptr, *guideY2 = nullptr;   // guides
    QScrollBar *pageScroll = nullptr;

    State state() const { return m_state; }
    Edge grabbedEdge() const { return m_grabbed; }
    int rowsPerPage() const { return m_geometry.rowsPerPage; }
    int currentPage() const { return m_page; }
    // The last page of the grid as it stands, by the window's rule.
    int lastPage() const;
    const PreviewGeometry &geometry() const { return m_geometry; }
    FlexGrid *grid() const { return m_grid; }
    // A guide's position: x of guideX1/guideX2, y of guideY1/guideY2.
    int guidePosition(Edge edge) const;

    // Opens the preview on the grid, which moves onto the paper. An empty title
    // keeps the title box's text.
    void OpenPaperPreview(FlexGrid *grid, const QString &title, const QDate &today);
    // Lays the page out (0 keeps a value) and shows page 1.
    void LayoutPreviewPage(int top, int left, int width, int height);
    // The page label back to "第1页" (the options' 确定); the current page and the
    // rows hidden by paging stay as they are.
    void showFirstPageLabel();

public slots:
    void ClosePaperPreview();
    void nextPageClicked();   // next page
    void previousPageClicked();   // previous page
    void gridPressed(int button, int shift, int x, int y);
    void gridDragged(int button, int shift, int x, int y);
    void gridReleased(int button, int shift, int x, int y);
    void pageScrolled(int value);

signals:
    // The preview was closed: the grid waits to go back into the normal view.
    void closed();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void place();
    void placeGrid();
    void placeGuide(QFrame *line, Edge edge);
    void showPage(int page);
    void hideGuides();

    PreviewPage m_page0;
    PreviewGeometry m_geometry;
    QWidget *m_desk = nullptr;
    FlexGrid *m_grid = nullptr;
    QList<QWidget *> m_normalView;
    State m_state = Closed;
    Edge m_grabbed = Edge::None;
    Edge m_pointer = Edge::None;   // the pointer shape's edge (None: default)
    int m_page = 1;
    QColor m_fixedColour;
    int m_guideX = 0, m_guideY = 0;   // twips on the paper
};

} // namespace reports
} // namespace tessaly
