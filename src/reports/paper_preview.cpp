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

    Picture3 = named(new QWidget(m_desk), "Picture3");
    Picture3->setAutoFillBackground(true);
    QPalette paper = Picture3->palette();
    paper.setColor(QPalette::Window, kPaperWhite);
    Picture3->setPalette(paper);

    Text1 = named(new QLineEdit(Picture3), "Text1");
    Text1->setFrame(false);
    Text1->setAlignment(Qt::AlignCenter);
    QFont titleFont = Text1->font();
    titleFont.setPointSize(16);
    titleFont.setBold(true);
    Text1->setFont(titleFont);
    Label10 = named(new QLabel(QStringLiteral("制表时间:"), Picture3), "Label10");
    Label11 = named(new QLabel(pageLabelText(1), Picture3), "Label11");
    Label11->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label11->setFixedWidth(Label11->fontMetrics().horizontalAdvance(QStringLiteral("第0000页")));
    for (QFrame **line : {&Line3, &Line4, &Line5, &Line6}) {
        *line = new QFrame(Picture3);
        (*line)->setFrameShape(line == &Line3 || line == &Line5 ? QFrame::VLine : QFrame::HLine);
        (*line)->setStyleSheet(QStringLiteral("background: black; border: none;"));
        (*line)->hide();
    }
    Line3->setObjectName(QStringLiteral("Line3"));
    Line4->setObjectName(QStringLiteral("Line4"));
    Line5->setObjectName(QStringLiteral("Line5"));
    Line6->setObjectName(QStringLiteral("Line6"));

    VScroll1 = named(new QScrollBar(Qt::Vertical, this), "VScroll1");
    VScroll1->setRange(50, 50);

    Picture2 = named(new QWidget(this), "Picture2");
    Command6 = named(new QPushButton(QStringLiteral("项目设置"), Picture2), "Command6");
    Command2 = named(new QPushButton(QStringLiteral("打印成绩"), Picture2), "Command2");
    Command3 = named(new QPushButton(QStringLiteral("关闭预览"), Picture2), "Command3");
    Command4 = named(new QPushButton(QStringLiteral("下一页"), Picture2), "Command4");
    Command5 = named(new QPushButton(QStringLiteral("上一页"), Picture2), "Command5");
    Label6 = named(new QLabel(QStringLiteral("选打印纸"), Picture2), "Label6");
    Combo2 = named(new QComboBox(Picture2), "Combo2");
    Combo2->addItems({QStringLiteral("用A4纸打印"), QStringLiteral("用B5纸打印")});
    Command7 = named(new QPushButton(QStringLiteral("关闭(&C)"), Picture2), "Command7");
    auto *bar = new QHBoxLayout(Picture2);
    bar->addWidget(new QLabel(toolbarCaption, Picture2));
    bar->addWidget(Label6);
    bar->addWidget(Combo2);
    bar->addStretch();
    for (QPushButton *b : {Command6, Command5, Command4, Command2, Command3, Command7}) {
        // In a narrow window the buttons give way to the captions.
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(b->text()) + 16);
        b->setSizePolicy(QSizePolicy::Preferred, b->sizePolicy().verticalPolicy());
        bar->addWidget(b);
    }

    auto *middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->addWidget(m_desk, 1);
    middle->addWidget(VScroll1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(middle, 1);
    layout->addWidget(Picture2);

    connect(Command3, &QPushButton::clicked, this, &PaperPreview::ClosePaperPreview);
    connect(Command4, &QPushButton::clicked, this, &PaperPreview::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &PaperPreview::Command5_Click);
    connect(VScroll1, &QScrollBar::valueChanged, this, &PaperPreview::VScroll1_Change);
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
    grid->setParent(Picture3);
    grid->lower();
    grid->show();
    grid->setBackColorBkg(kPaperWhite);
    m_geometry = PreviewGeometry{};
    m_geometry.tableLeft = m_page0.left;
    LayoutPreviewPage(m_page0.top, m_page0.left, m_page0.width, m_page0.height);
    grid->setBackColorFixed(kFixedGrey);
    grid->setScrollBars(0);
    if (!title.isEmpty())
        Text1->setText(title);
    Label10->setText(QStringLiteral("制表时间:") + shortDateText(today));
    Label10->adjustSize();
    connect(grid, &FlexGrid::MouseDown, this, &PaperPreview::Grid1_MouseDown);
    connect(grid, &FlexGrid::MouseMove, this, &PaperPreview::Grid1_MouseMove);
    connect(grid, &FlexGrid::MouseUp, this, &PaperPreview::Grid1_MouseUp);
    m_state = Shown;
    grid->viewport()->update();
}

void PaperPreview::LayoutPreviewPage(int top, int left, int width, int height)
{
    if (!m_grid)
        return;
    m_geometry = layoutPreviewPage(m_geometry, top, left, width, height, m_page0.paperWidth,
                                   m_grid->RowHeight(0), pixelsToTwips(Label11->width()));
    Text1->setFocus();
    VScroll1->blockSignals(true);
    VScroll1->setRange(m_geometry.scrollMin, m_geometry.scrollMax);
    VScroll1->setValue(m_geometry.scrollMin);
    VScroll1->blockSignals(false);
    // Back on page 1: the rows of the pages turned over show again.
    if (m_page > 1)
        for (int r = 2; r < std::min(pageRows(m_page, m_geometry.rowsPerPage).first, m_grid->Rows()); ++r)
            m_grid->setRowHeight(r, kPageRowHeight);
    m_page = 1;
    Label11->setText(pageLabelText(m_page));
    place();
}

void PaperPreview::showFirstPageLabel()
{
    // The page shown stays the current one, so that paging goes on from it.
    Label11->setText(pageLabelText(1));
}

void PaperPreview::place()
{
    const PreviewGeometry &g = m_geometry;
    Picture3->setGeometry(px(g.paperLeft), px(paperTopForScroll(VScroll1->value())), px(g.paperWidth),
                          px(g.paperHeight));
    Text1->setGeometry(px(g.titleLeft), px(g.titleTop), px(g.titleWidth), px(kTitleHeight));
    Label10->move(px(g.dateLeft), px(g.labelTop));
    Label11->move(px(g.pageLabelLeft), px(g.labelTop));
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
    Label11->setText(pageLabelText(m_page));
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

void PaperPreview::Command4_Click()
{
    if (m_state == Closed || m_page >= lastPage())
        return;
    const RowSpan rows = pageRows(m_page, m_geometry.rowsPerPage);
    m_grid->setUpdatesEnabled(false);
    for (int r = rows.first; r <= rows.last && r < m_grid->Rows(); ++r)
        m_grid->setRowHeight(r, 0);
    m_grid->setUpdatesEnabled(true);
    ++m_page;
    Label11->setText(pageLabelText(m_page));
}

void PaperPreview::Command5_Click()
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
    for (QFrame *line : {Line3, Line4, Line5, Line6})
        line->hide();
}

void PaperPreview::Grid1_MouseMove(int, int, int x, int y)
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
            placeGuide(Line3, m_grabbed);
        else if (m_grabbed == Edge::Right)
            placeGuide(Line5, m_grabbed);
        else if (m_grabbed == Edge::Bottom)
            placeGuide(Line4, m_grabbed);
        else if (m_grabbed == Edge::Top)
            placeGuide(Line6, m_grabbed);
    }
}

void PaperPreview::Grid1_MouseDown(int, int, int, int)
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
        placeGuide(Line3, m_grabbed);
        Line3->show();
        break;
    case Edge::Right:
        m_guideX = g.tableLeft + g.tableWidth - 20;
        placeGuide(Line5, m_grabbed);
        Line5->show();
        break;
    case Edge::Bottom:
        m_guideY = g.tableTop + g.tableHeight - 20;
        placeGuide(Line4, m_grabbed);
        Line4->show();
        break;
    case Edge::Top:
        m_guideY = g.tableTop;
        placeGuide(Line6, m_grabbed);
        Line6->show();
        break;
    case Edge::None:
        break;
    }
    m_state = Dragging;
}

void PaperPreview::Grid1_MouseUp(int, int, int, int)
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

void PaperPreview::VScroll1_Change(int value)
{
    Picture3->move(Picture3->x(), px(paperTopForScroll(value)));
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
