#include "shell/help_window.h"

#include "kit/text_box.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "db/database.h"
#include "shell/help_file.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "widgets/units.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace tessaly {

const QStringList HelpWindow::kImageKeys = {QStringLiteral("BG"), QStringLiteral("BK"), QStringLiteral("Z"),
                                            QStringLiteral("bi")};

namespace {

constexpr int kImageRole = Qt::UserRole + 1;

const QString kHelpUnreadable = QStringLiteral("帮助文件help.dll不存在或者已经损坏，无法显示帮助内容。");

// Design geometry in twips: the panes as a splitter at 3400 lays them out.
constexpr QRect kShape1(120, 120, 3250, 6000);
constexpr QRect kShape2(120, 120, 3250, 420);
constexpr QRect kLabel1(240, 165, 3000, 330);
constexpr QRect kTree(240, 600, 3000, 5400);
constexpr QRect kSplitter(3400, 600, 150, 5400);
constexpr QRect kText(3600, 600, 6605, 5400);
constexpr QRect kLabel2(3600, 165, 6605, 330);
constexpr QRect kShape3(3500, 120, 6805, 6000);
constexpr QRect kShape4(3500, 120, 6805, 420);
constexpr QRect kCommand1(8400, 6270, 1800, 420);

QPixmap nodePicture(const QString &key)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor cover(0x2f, 0x5d, 0x8a);
    if (key == QLatin1String("BG")) {   // a closed book
        p.setPen(cover.darker(130));
        p.setBrush(cover);
        p.drawRect(QRectF(3.5, 1.5, 10, 13));
        p.setPen(QColor(0xf4, 0xe4, 0xa8));
        p.drawLine(QPointF(5.5, 2), QPointF(5.5, 14));
    } else if (key == QLatin1String("BK")) {   // an open book
        p.setPen(cover.darker(130));
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(8, 4), QPointF(1.5, 2.5), QPointF(1.5, 13), QPointF(8, 14.5)}));
        p.drawPolygon(QPolygonF({QPointF(8, 4), QPointF(14.5, 2.5), QPointF(14.5, 13), QPointF(8, 14.5)}));
        p.setPen(QColor(0x9a, 0xb4, 0xd4));
        for (qreal y = 6; y <= 11; y += 2.5) {
            p.drawLine(QPointF(3.5, y), QPointF(6.5, y + 0.7));
            p.drawLine(QPointF(9.5, y + 0.7), QPointF(12.5, y));
        }
    } else {   // a page; "bi" marks it as chosen
        const bool chosen = key == QLatin1String("bi");
        p.setPen(QColor(0x60, 0x60, 0x60));
        p.setBrush(chosen ? QColor(0xff, 0xf3, 0xb0) : QColor(Qt::white));
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        p.setPen(chosen ? QColor(0xc6, 0x28, 0x28) : QColor(0x9a, 0xb4, 0xd4));
        for (int y = 5; y <= 11; y += 3)
            p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
    }
    return pm;
}

QFrame *shape(const char *name, bool band, QWidget *parent)
{
    auto *frame = named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::Box);
    frame->setLineWidth(1);
    if (band) {
        frame->setAutoFillBackground(true);
        QPalette p = frame->palette();
        p.setColor(QPalette::Window, QColor(0xdc, 0xe6, 0xf2));
        p.setColor(QPalette::WindowText, QColor(0x7f, 0x95, 0xb0));
        frame->setPalette(p);
    } else {
        QPalette p = frame->palette();
        p.setColor(QPalette::WindowText, QColor(0x7f, 0x95, 0xb0));
        frame->setPalette(p);
    }
    return frame;
}

QLabel *heading(const QString &text, const char *name, QWidget *parent)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setFont(cjkFont(QStringLiteral("黑体"), 11, true));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

HelpWindow::HelpWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QString::fromUtf16(kHelpWindow));
    setWindowTitle(QStringLiteral("帮助内容……"));
    for (const QString &key : kImageKeys)
        ImageList1.insert(key, nodePicture(key));

    treeFrame = shape("Shape1", false, this);
    treeBand = shape("Shape2", true, this);
    textFrame = shape("Shape3", false, this);
    textBand = shape("Shape4", true, this);
    treeHeading = heading(QStringLiteral("帮助列表"), "Label1", this);
    textHeading = heading(QStringLiteral("========帮 助 内 容========"), "Label2", this);

    topicTree = named(new QTreeWidget(this), "TreeView1");
    topicTree->setHeaderHidden(true);
    topicTree->setColumnCount(1);
    topicTree->setIconSize(QSize(16, 16));

    contentBox = named(new QPlainTextEdit(this), "Text1");
    contentBox->setReadOnly(true);
    contentBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    contentBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    contentBox->setFont(cjkFont(QStringLiteral("楷体_GB2312"), 12));

    splitterHandle = named(new QFrame(this), "imgSplitter");
    splitterHandle->setCursor(Qt::SizeHorCursor);
    splitterHandle->installEventFilter(this);
    splitterShadow = named(new QFrame(this), "picSplitter");
    splitterShadow->setAutoFillBackground(true);
    QPalette bar = splitterShadow->palette();
    bar.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    splitterShadow->setPalette(bar);
    splitterShadow->hide();

    closeButton = named(new QPushButton(QStringLiteral("关闭帮助(&C)"), this), "Command1");

    place(treeFrame, kShape1);
    place(treeBand, kShape2);
    place(textFrame, kShape3);
    place(textBand, kShape4);
    place(treeHeading, kLabel1);
    place(textHeading, kLabel2);
    place(topicTree, kTree);
    place(splitterHandle, kSplitter);
    place(contentBox, kText);
    place(closeButton, kCommand1);

    connect(topicTree, &QTreeWidget::itemClicked, this, &HelpWindow::topicClicked);
    connect(topicTree, &QTreeWidget::currentItemChanged, this, &HelpWindow::topicClicked);
    connect(topicTree, &QTreeWidget::itemCollapsed, this, &HelpWindow::topicCollapsed);
    connect(topicTree, &QTreeWidget::itemExpanded, this, &HelpWindow::topicExpanded);
    connect(closeButton, &QPushButton::clicked, this, &HelpWindow::closeClicked);
}

void HelpWindow::place(QWidget *control, const QRect &twips)
{
    m_twips.insert(control, twips);
    control->setGeometry(twipsToPixels(twips.x()), twipsToPixels(twips.y()), twipsToPixels(twips.width()),
                         twipsToPixels(twips.height()));
}

int HelpWindow::windowWidthTwips() const
{
    return pixelsToTwips(windowFrame(const_cast<HelpWindow *>(this))->width());
}

QString HelpWindow::nodeImage(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kImageRole).toString() : QString();
}

QTreeWidgetItem *HelpWindow::node(const QString &code) const
{
    return m_nodes.value(code);
}

void HelpWindow::setImage(QTreeWidgetItem *node, const QString &key)
{
    node->setData(0, kImageRole, key);
    QIcon icon(ImageList1.value(key));
    // A topic shows "bi" while it is selected.
    if (key == QLatin1String("Z"))
        icon.addPixmap(ImageList1.value(QStringLiteral("bi")), QIcon::Selected);
    node->setIcon(0, icon);
}

void HelpWindow::Form_Load()
{
    SetWindowSize(this, 10455, 7385);
    CentreOnMainWindow(this, host().hostWidget(), 600);
    // The help file, not the school's database: read once and closed.
    db::Connection c(session().programFile(QStringLiteral("help.dll")));
    const std::optional<QList<help::HelpRow>> rows = c.ok() ? help::ReadHelpFile(c) : std::nullopt;
    if (!rows) {
        showNotice(this, kHelpUnreadable, kTitleHint);
        return;
    }
    if (rows->isEmpty())
        return;
    m_rows = *rows;
    buildTree();
    setBoxText(contentBox, help::HelpIntroduction());
}

void HelpWindow::buildTree()
{
    const help::HelpTree tree = help::BuildHelpTree(m_rows);
    QList<QTreeWidgetItem *> items;
    for (const help::HelpNode &n : tree.nodes) {
        const help::HelpRow &row = m_rows[n.row];
        auto *item = new QTreeWidgetItem(QStringList{row.menu});
        setImage(item, help::isChapter(row) ? QStringLiteral("BG") : QStringLiteral("Z"));
        if (!m_nodes.contains(row.code))
            m_nodes.insert(row.code, item);
        items.append(item);
    }
    const QSignalBlocker quiet(topicTree);
    for (int i = 0; i < tree.nodes.size(); ++i) {
        const int parent = tree.nodes[i].parent;
        if (parent < 0)
            topicTree->addTopLevelItem(items[i]);
        else
            items[parent]->addChild(items[i]);
    }
    if (tree.last >= 0) {
        QTreeWidgetItem *last = items[tree.last];
        if (last->parent()) {
            last->parent()->setExpanded(true);
            topicExpanded(last->parent());
        }
        topicTree->scrollToItem(last);
        // The current node, not selected: the tree's first focus chooses nothing.
        topicTree->setCurrentItem(last, 0, QItemSelectionModel::NoUpdate);
    }
}

void HelpWindow::topicClicked(QTreeWidgetItem *node)
{
    if (!node)
        return;
    if (const std::optional<QString> text = help::HelpTopicText(m_rows, node->text(0)))
        setBoxText(contentBox, *text);
}

void HelpWindow::topicCollapsed(QTreeWidgetItem *node)
{
    setImage(node, kImageKeys[0]);
}

void HelpWindow::topicExpanded(QTreeWidgetItem *node)
{
    setImage(node, kImageKeys[1]);
}

void HelpWindow::closeClicked()
{
    CloseWindow(this);
}

void HelpWindow::SizeControls(int x)
{
    const help::HelpPaneLayout l =
        help::SizeControlsLayout(x, windowWidthTwips(), m_twips.value(contentBox).width());
    const auto widthAt = [this](QWidget *w, int left, int width) {
        QRect r = m_twips.value(w);
        r.moveLeft(left);
        r.setWidth(width);
        place(w, r);
    };
    const QRect tree = m_twips.value(topicTree);
    widthAt(topicTree, tree.x(), l.treeWidth);
    widthAt(splitterHandle, l.splitterLeft, m_twips.value(splitterHandle).width());
    widthAt(treeHeading, m_twips.value(treeHeading).x(), l.treeWidth);
    widthAt(textHeading, l.textLeft, l.textWidth);
    widthAt(treeFrame, m_twips.value(treeFrame).x(), l.treeFrameWidth);
    widthAt(treeBand, m_twips.value(treeBand).x(), l.treeFrameWidth);
    widthAt(textFrame, l.textFrameLeft, l.textFrameWidth);
    widthAt(textBand, l.textFrameLeft, l.textFrameWidth);
    place(contentBox, QRect(l.textLeft, tree.y(), l.textWidth, tree.height()));
}

void HelpWindow::splitterPressed()
{
    const QRect s = m_twips.value(splitterHandle);
    place(splitterShadow, QRect(s.x(), s.y(), s.width() / 2, s.height() - 20));
    splitterShadow->show();
    splitterShadow->raise();
    m_dragging = true;
}

void HelpWindow::splitterMoved(int xTwips)
{
    if (!m_dragging)
        return;
    QRect bar = m_twips.value(splitterShadow);
    bar.moveLeft(help::SplitterBarLeft(m_twips.value(splitterHandle).x() + xTwips, windowWidthTwips()));
    place(splitterShadow, bar);
}

void HelpWindow::splitterReleased()
{
    SizeControls(m_twips.value(splitterShadow).x());
    splitterShadow->hide();
    m_dragging = false;
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == splitterHandle) {
        // Only mouse events are read as such; every other event passes on.
        const auto *mouse = dynamic_cast<QMouseEvent *>(event);
        if (!mouse)
            return QWidget::eventFilter(watched, event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton)
                splitterPressed();
            return true;
        case QEvent::MouseMove:
            splitterMoved(pixelsToTwips(mouse->position().toPoint().x()));
            return true;
        case QEvent::MouseButtonRelease:
            if (m_dragging && mouse->button() == Qt::LeftButton)
                splitterReleased();
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tessaly
