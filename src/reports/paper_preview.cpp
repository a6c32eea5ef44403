#include "reports/paper_preview.h"

#include "kit/window_base.h"
#include "workbook/format.h"
#include "widgets/flex_grid.h"
#include "widgets/units.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace tessaly::reports {

namespace {

constexpr int kTitleHeight = 400;
constexpr int kDeskGrey = 0x808080;
const QColor kPaperWhite(0xFF, 0xFF, 0xFF);
const QColor kFixedGrey(0xE0, 0xE0, 0xE0);
const QColor kNormalBackground(0xC0, 0xC0, 0xFF);   // &HFFC0C0

int px(int twips) { return twipsToPixels(twips); }

} // namespace

int rowsPerPage(int tableHeight, int headerRowHeight)
{
    const int rowHeight = std::max(1, headerRowHeight);
    return std::max(kMinRowsPerPage, tableHeight / rowHeight);
}

int pageCount(int rows, int rowsPerPage)
{
    const int perPage = std::max(1, rowsPerPage - 2);
    const int body = rows - 2;
    if (body <= 0)
        return 1;
    return (body + perPage - 1) / perPage;
}

RowSpan pageRows(int page, int rowsPerPage)
{
    const int perPage = std::max(1, rowsPerPage - 2);
    const int first = (std::max(1, page) - 1) * perPage + 2;
    return {first, first + perPage - 1};
}

int lastPageBySize(int rows, int rowsPerPage, int rowsShown)
{
    const int perPage = std::max(1, rowsPerPage);
    const int body = rows - 3;
    int last = (body >= 0 ? body / perPage : -((-body + perPage - 1) / perPage)) + 1;
    const int bound = pageCount(rows, rowsPerPage);
    while (last < bound && rows - pageRows(std::max(1, last), rowsPerPage).first > rowsShown)
        ++last;
    return last;
}

Edge edgeAt(int x, int y, int w, int h)
{
    if (x >= 0 && x <= 20)
        return Edge::Left;
    if (x >= w - 50 && x <= w)
        return Edge::Right;
    if (y >= h - 50 && y <= h)
        return Edge::Bottom;
    if (y >= 0 && y <= 20)
        return Edge::Top;
    return Edge::None;
}

QString pageLabelText(int page)
{
    return QStringLiteral("第%1页").arg(page);
}

PreviewGeometry layoutPreviewPage(const PreviewGeometry &now, int top, int left, int width,
                                  int height, int paperWidth, int headerRowHeight,
                                  int pageLabelWidth)
{
    if (top == 0)
        top = now.titleTop;
    if (left == 0)
        left = now.tableLeft;
    if (width == 0)
        width = now.tableWidth;
    if (height == 0)
        height = now.tableHeight;
    top = std::max(top, 0);
    left = std::max(left, 0);
    width = std::max(width, kMinTableWidth);
    const int rowHeight = std::max(1, headerRowHeight);
    height = std::max(height, kMinRowsPerPage * rowHeight);

    PreviewGeometry g = now;
    g.titleTop = top;
    g.labelTop = top + 450;
    g.tableTop = g.labelTop + 250;
    g.tableWidth = width;
    g.titleWidth = width;
    g.paperLeft = 50;
    g.paperTop = 50;
    g.paperWidth = paperWidth;
    g.tableLeft = left;
    g.dateLeft = left + 200;
    g.pageLabelLeft = left + width - pageLabelWidth - 200;
    g.titleLeft = left + g.paperTop;
    g.paperHeight = height + 2400;
    g.scrollMin = 50;
    g.scrollMax = std::clamp(g.paperHeight - 6340, g.scrollMin, int(std::numeric_limits<qint16>::max()));
    g.rowsPerPage = rowsPerPage(height, rowHeight);
    g.tableHeight = g.rowsPerPage * rowHeight;
    return g;
}

PaperPreview::PaperPreview(const PreviewPage &page, const QString &toolbarCaption, QWidget *parent)
    : QWidget(parent), m_page0(page)
{
    m_desk = new QWidget(this);
    m_desk->setAutoFillBackground(true);
    QPalette desk = m_desk->palette();
    desk.setColor(QPalette::Window, QColor::fromRgb(kDeskGrey));
    m_desk->setPalette(desk);

    paperSheet = named(new QWidget(m_desk), "Picture3");
    paperSheet->setAutoFillBackground(true);
    QPalette paper = paperSheet->palette();
    paper.setColor(QPalette::Window, kPaperWhite);
    paperSheet->setPalette(paper);

    titleBox = named(new QLineEdit(paperSheet), "Text1");
    titleBox->setFrame(false);
    titleBox->setAlignment(Qt::AlignCenter);
    QFont titleFont = titleBox->font();
    titleFont.setPointSize(16);
    titleFont.setBold(true);
    titleBox->setFont(titleFont);
    drawnAtLabel = named(new QLabel(QStringLiteral("制表时间:"), paperSheet), "Label10");
    pageLabel = named(new QLabel(pageLabelText(1), paperSheet), "Label11");
    pageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pageLabel->setFixedWidth(pageLabel->fontMetrics().horizontalAdvance(QStringLiteral("第0000页")));
    for (QFrame **line : {&guideX1, &guideY1, &guideX2, &guideY2}) {
        *line = new QFrame(paperSheet);
        (*line)->setFrameShape(line == &guideX1 || line == &guideX2 ? QFrame::VLine : QFrame::HLine);
        (*line)->setStyleSheet(QStringLiteral("background: black; border: none;"));
        (*line)->hide();
    }
    guideX1->setObjectName(QStringLiteral("Line3"));
    guideY1->setObjectName(QStringLiteral("Line4"));
    guideX2->setObjectName(QStringLiteral("Line5"));
    guideY2->setObjectName(QStringLiteral("Line6"));

    pageScroll = named(new QScrollBar(Qt::Vertical, this), "VScroll1");
    pageScroll->setRange(50, 50);

    toolbarPanel = named(new QWidget(this), "Picture2");
    optionsButton = named(new QPushButton(QStringLiteral("项目设置"), toolbarPanel), "Command6");
    exportButton = named(new QPushButton(QStringLiteral("打印成绩"), toolbarPanel), "Command2");
    closePreviewButton = named(new QPushButton(QStringLiteral("关闭预览"), toolbarPanel), "Command3");
    nextPageButton = named(new QPushButton(QStringLiteral("下一页"), toolbarPanel), "Command4");
    previousPageButton = named(new QPushButton(QStringLiteral("上一页"), toolbarPanel), "Command5");
    paperLabel = named(new QLabel(QStringLiteral("选打印纸"), toolbarPanel), "Label6");
    paperCombo = named(new QComboBox(toolbarPanel), "Combo2");
    paperCombo->addItems({QStringLiteral("用A4纸打印"), QStringLiteral("用B5纸打印")});
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), toolbarPanel), "Command7");
    auto *bar = new QHBoxLayout(toolbarPanel);
    bar->addWidget(new QLabel(toolbarCaption, toolbarPanel));
    bar->addWidget(paperLabel);
    bar->addWidget(paperCombo);
    bar->addStretch();
    for (QPushButton *b : {optionsButton, previousPageButton, nextPageButton, exportButton, closePreviewButton, closeButton}) {
        // In a narrow window the buttons give way to the captions.
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 16);
        b->setSizePolicy(QSizePolicy::Preferred, b->sizePolicy().verticalPolicy());
        bar->addWidget(b);
    }

    auto *middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->addWidget(m_desk, 1);
    middle->addWidget(pageScroll);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(middle, 1);
    layout->addWidget(toolbarPanel);

    connect(closePreviewButton, &QPushButton::clicked, this, &PaperPreview::ClosePaperPreview);
    connect(nextPageButton, &QPushButton::clicked, this, &PaperPreview::nextPageClicked);
    connect(previousPageButton, &QPushButton::clicked, this, &PaperPreview::previousPageClicked);
    connect(pageScroll, &QScrollBar::valueChanged, this, &PaperPreview::pageScrolled);
}

void PaperPreview::OpenPaperPreview(FlexGrid *grid, const QString &title, const QDate &today)
{
    if (!grid || m_state != Closed)
        return;
    m_grid = grid;
    m_page = 1;
    m_fixedColour = grid->BackColorFixed();
    for (QWidget *w : m_normalView)
        w->hide();
    show();
    grid->setParent(paperSheet);
    grid->lower();
    grid->show();
    grid->setBackColorBkg(kPaperWhite);
    m_geometry = PreviewGeometry{};
    m_geometry.tableLeft = m_page0.left;
    LayoutPreviewPage(m_page0.top, m_page0.left, m_page0.width, m_page0.height);
    grid->setBackColorFixed(kFixedGrey);
    grid->setScrollBars(0);
    if (!title.isEmpty())
        titleBox->setText(title);
    drawnAtLabel->setText(QStringLiteral("制表时间:") + shortDateText(today));
    drawnAtLabel->adjustSize();
    connect(grid, &FlexGrid::MouseDown, this, &PaperPreview::gridPressed);
    connect(grid, &FlexGrid::MouseMove, this, &PaperPreview::gridDragged);
    connect(grid, &FlexGrid::MouseUp, this, &PaperPreview::gridReleased);
    m_state = Shown;
    grid->viewport()->update();
}

void PaperPreview::LayoutPreviewPage(int top, int left, int width, int height)
{
    if (!m_grid)
        return;
    m_geometry = layoutPreviewPage(m_geometry, top, left, width, height, m_page0.paperWidth,
                                   m_grid->RowHeight(0), pixelsToTwips(pageLabel->width()));
    titleBox->setFocus();
    pageScroll->blockSignals(true);
    pageScroll->setRange(m_geometry.scrollMin, m_geometry.scrollMax);
    pageScroll->setValue(m_geometry.scrollMin);
    pageScroll->blockSignals(false);
    // Back on page 1: the rows of the pages turned over show again.
    if (m_page > 1)
        for (int r = 2; r < std::min(pageRows(m_page, m_geometry.rowsPerPage).first, m_grid->Rows()); ++r)
            m_grid->setRowHeight(r, kPageRowHeight);
    m_page = 1;
    pageLabel->setText(pageLabelText(m_page));
    place();
}

void PaperPreview::showFirstPageLabel()
{
    // The page shown stays the current one, so that paging goes on from it.
    pageLabel->setText(pageLabelText(1));
}

void PaperPreview::place()
{
    const PreviewGeometry &g = m_geometry;
    paperSheet->setGeometry(px(g.paperLeft), px(paperTopForScroll(pageScroll->value())), px(g.paperWidth),
                          px(g.paperHeight));
    titleBox->setGeometry(px(g.titleLeft), px(g.titleTop), px(g.titleWidth), px(kTitleHeight));
    drawnAtLabel->move(px(g.dateLeft), px(g.labelTop));
    pageLabel->move(px(g.pageLabelLeft), px(g.labelTop));
    placeGrid();
}

void PaperPreview::placeGrid()
{
    if (!m_grid)
        return;
    const PreviewGeometry &g = m_geometry;
    m_grid->setGeometry(px(g.tableLeft), px(g.tableTop), px(g.tableWidth),
                        px(g.tableHeight) + 2 * m_grid->frameWidth());
}

void PaperPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_state != Closed)
        place();
}

void PaperPreview::showPage(int page)
{
    m_page = page;
    const RowSpan rows = pageRows(page, m_geometry.rowsPerPage);
    for (int r = rows.first; r <= rows.last && r < m_grid->Rows(); ++r)
        m_grid->setRowHeight(r, kPageRowHeight);
    pageLabel->setText(pageLabelText(m_page));
}

int PaperPreview::lastPage() const
{
    if (!m_grid)
        return 1;
    const int rows = m_grid->Rows();
    if (m_page0.lastPage == LastPage::HoldsLastRow)
        return pageCount(rows, m_geometry.rowsPerPage);
    // The rows the table shows under rows 0 and 1, at the height of a turned-to row.
    const int rowHeight = std::max({1, kPageRowHeight, rows > 1 ? m_grid->RowHeight(1) : 0});
    const int room = m_geometry.tableHeight - m_grid->RowHeight(0) - (rows > 1 ? m_grid->RowHeight(1) : 0);
    return lastPageBySize(rows, m_geometry.rowsPerPage, std::max(0, room / rowHeight));
}

void PaperPreview::nextPageClicked()
{
    if (m_state == Closed || m_page >= lastPage())
        return;
    const RowSpan rows = pageRows(m_page, m_geometry.rowsPerPage);
    m_grid->setUpdatesEnabled(false);
    for (int r = rows.first; r <= rows.last && r < m_grid->Rows(); ++r)
        m_grid->setRowHeight(r, 0);
    m_grid->setUpdatesEnabled(true);
    ++m_page;
    pageLabel->setText(pageLabelText(m_page));
}

void PaperPreview::previousPageClicked()
{
    if (m_state == Closed || m_page <= 1)
        return;
    m_grid->setUpdatesEnabled(false);
    showPage(m_page - 1);
    m_grid->setUpdatesEnabled(true);
}

int PaperPreview::guidePosition(Edge edge) const
{
    return edge == Edge::Left || edge == Edge::Right ? m_guideX : m_guideY;
}

void PaperPreview::placeGuide(QFrame *line, Edge edge)
{
    const PreviewGeometry &g = m_geometry;
    if (edge == Edge::Left || edge == Edge::Right) {
        // From the paper's top to 2000 below its bottom.
        line->setGeometry(px(m_guideX), 0, 1, px(g.paperHeight + 2000));
    } else {
        line->setGeometry(0, px(m_guideY), px(g.paperWidth + 2000), 1);
    }
    line->raise();
}

void PaperPreview::hideGuides()
{
    for (QFrame *line : {guideX1, guideY1, guideX2, guideY2})
        line->hide();
}

void PaperPreview::gridDragged(int, int, int x, int y)
{
    if (m_state == Shown || m_state == Dropped) {
        const Edge edge = edgeAt(x, y, m_geometry.tableWidth, m_geometry.tableHeight);
        m_pointer = edge;
        if (edge == Edge::Left || edge == Edge::Right)
            m_grid->viewport()->setCursor(Qt::SizeHorCursor);
        else if (edge == Edge::Bottom || edge == Edge::Top)
            m_grid->viewport()->setCursor(Qt::SizeVerCursor);
        else
            m_grid->viewport()->unsetCursor();
        if (edge != Edge::None)
            m_grabbed = edge;
        return;
    }
    if (m_state == Dragging) {
        m_guideX = m_geometry.tableLeft + x;
        m_guideY = m_geometry.tableTop + y;
        if (m_grabbed == Edge::Left)
            placeGuide(guideX1, m_grabbed);
        else if (m_grabbed == Edge::Right)
            placeGuide(guideX2, m_grabbed);
        else if (m_grabbed == Edge::Bottom)
            placeGuide(guideY1, m_grabbed);
        else if (m_grabbed == Edge::Top)
            placeGuide(guideY2, m_grabbed);
    }
}

void PaperPreview::gridPressed(int, int, int, int)
{
    if (m_state == Closed)
        return;
    // Only a press on an edge zone grabs that edge: a press elsewhere moves nothing.
    if (m_pointer == Edge::None)
        m_grabbed = Edge::None;
    const PreviewGeometry &g = m_geometry;
    switch (m_grabbed) {
    case Edge::Left:
        m_guideX = g.tableLeft;
        placeGuide(guideX1, m_grabbed);
        guideX1->show();
        break;
    case Edge::Right:
        m_guideX = g.tableLeft + g.tableWidth - 20;
        placeGuide(guideX2, m_grabbed);
        guideX2->show();
        break;
    case Edge::Bottom:
        m_guideY = g.tableTop + g.tableHeight - 20;
        placeGuide(guideY1, m_grabbed);
        guideY1->show();
        break;
    case Edge::Top:
        m_guideY = g.tableTop;
        placeGuide(guideY2, m_grabbed);
        guideY2->show();
        break;
    case Edge::None:
        break;
    }
    m_state = Dragging;
}

void PaperPreview::gridReleased(int, int, int, int)
{
    if (m_state == Closed)
        return;
    const PreviewGeometry &g = m_geometry;
    switch (m_grabbed) {
    case Edge::Left:
        LayoutPreviewPage(0, m_guideX, 0, 0);
        break;
    case Edge::Right:
        LayoutPreviewPage(0, 0, m_guideX - g.tableLeft + 20, 0);
        break;
    case Edge::Bottom: {
        const int rowHeight = std::max(1, m_grid->RowHeight(0));
        m_geometry.rowsPerPage = reports::rowsPerPage(m_guideY - g.tableTop + 20, rowHeight);
        m_geometry.tableHeight = m_geometry.rowsPerPage * rowHeight;
        showPage(std::max(1, std::min(m_page, lastPage())));
        placeGrid();
        break;
    }
    case Edge::Top:
        LayoutPreviewPage(m_guideY - 700, 0, 0, 0);
        break;
    case Edge::None:
        break;
    }
    m_grabbed = Edge::None;
    hideGuides();
    m_state = Dropped;
}

void PaperPreview::pageScrolled(int value)
{
    paperSheet->move(paperSheet->x(), px(paperTopForScroll(value)));
}

void PaperPreview::ClosePaperPreview()
{
    if (m_state == Closed)
        return;
    hideGuides();
    hide();
    for (QWidget *w : m_normalView)
        w->show();
    FlexGrid *grid = m_grid;
    disconnect(grid, nullptr, this, nullptr);
    grid->viewport()->unsetCursor();
    grid->setParent(nullptr);
    grid->setBackColorFixed(m_fixedColour);
    grid->setBackColorBkg(kNormalBackground);
    grid->setScrollBars(3);
    grid->setUpdatesEnabled(false);
    for (int r = 2; r < grid->Rows(); ++r)
        grid->setRowHeight(r, kPageRowHeight);
    grid->setUpdatesEnabled(true);
    m_state = Closed;
    m_grabbed = Edge::None;
    m_pointer = Edge::None;
    emit closed();
}

} // namespace tessaly::reports
