#include "kit/class_tree.h"

#include "kit/save_report.h"
#include "school/office_reads.h"
#include "school/school_tables.h"
#include "widgets/messages.h"

#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSet>

#include <algorithm>

namespace tessaly {

namespace {

// Item data: the key, the picture shown, the class's index in m_classes (-1 for a root).
constexpr int kRoleKey = Qt::UserRole;
constexpr int kRoleImage = Qt::UserRole + 1;
constexpr int kRoleClass = Qt::UserRole + 2;

const QString kGroupCollapsed = QStringLiteral("BG");
const QString kGroupExpanded = QStringLiteral("BK");
const QString kClassImage = QStringLiteral("Z");
const QString kClassSelected = QStringLiteral("bi");

QString textAt(const QVector<QVariant> &row, int i)
{
    return i < row.size() && !row[i].isNull() ? row[i].toString() : QString();
}

// The 16 x 16 pictures: a closed and an open folder, a class sheet, and the
// sheet with a pen while chosen.
QPixmap drawImage(const QString &key)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor edge(0x8a, 0x6a, 0x1c);
    if (key == kGroupCollapsed || key == kGroupExpanded) {
        p.setPen(edge);
        p.setBrush(QColor(0xe8, 0xc0, 0x50));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        if (key == kGroupExpanded) {
            QPainterPath front;
            front.moveTo(1.5, 13.5);
            front.lineTo(4.5, 7.5);
            front.lineTo(15.5, 7.5);
            front.lineTo(12.5, 13.5);
            front.closeSubpath();
            p.setBrush(QColor(0xf8, 0xe0, 0x90));
            p.drawPath(front);
        }
    } else {
        p.setPen(QColor(0x2f, 0x5d, 0x8a));
        p.setBrush(key == kClassSelected ? QColor(0xd0, 0xe4, 0xf8) : Qt::white);
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        for (int y = 5; y <= 11; y += 3)
            p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
        if (key == kClassSelected) {
            p.setPen(QPen(QColor(0xc0, 0x30, 0x30), 2));
            p.drawLine(QPointF(8, 13), QPointF(14.5, 6.5));
        }
    }
    return pm;
}

} // namespace

QString classNodeKey(const QString &gradeGroup, const QString &className, const QString &actualName,
                     const QString &headTeacher)
{
    return gradeGroup.left(2) + className + u'(' + actualName + QStringLiteral(")班主任:") + headTeacher;
}

QList<GradeGroupNode> classTreeFromRows(const QVector<QVector<QVariant>> &rows)
{
    QList<GradeGroupNode> groups;
    QSet<QString> keys;
    for (const auto &row : rows) {
        const QString name = textAt(row, 1);
        if (textAt(row, 0) != school::kKindGradeGroup || name.isEmpty() || keys.contains(name))
            continue;
        keys.insert(name);
        groups.append({name, {}});
    }
    for (const auto &row : rows) {
        if (textAt(row, 0) != school::kKindClass)
            continue;
        ClassNode c{textAt(row, 2), textAt(row, 1), textAt(row, 3), textAt(row, 4), QString()};
        c.key = classNodeKey(c.gradeGroup, c.className, c.actualName, c.headTeacher);
        const auto group = std::find_if(groups.begin(), groups.end(),
                                        [&c](const GradeGroupNode &g) { return g.name == c.gradeGroup; });
        if (group == groups.end() || keys.contains(c.key))
            continue;
        keys.insert(c.key);
        group->classes.append(c);
    }
    return groups;
}

ClassTree::ClassTree(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setIconSize(QSize(16, 16));
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) { showExpanded(node, true); });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem *node) { showExpanded(node, false); });
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        // A class shows "bi" while selected (its icon's Selected picture).
        for (int g = 0; g < topLevelItemCount(); ++g) {
            QTreeWidgetItem *root = topLevelItem(g);
            for (int i = 0; i < root->childCount(); ++i)
                root->child(i)->setData(0, kRoleImage, root->child(i)->isSelected() ? kClassSelected : kClassImage);
        }
    });
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node) { emit NodeClick(node); });
}

QIcon ClassTree::image(const QString &key)
{
    QIcon icon(drawImage(key));
    if (key == kClassImage)
        icon.addPixmap(drawImage(kClassSelected), QIcon::Selected);
    return icon;
}

QList<GradeGroupNode> ReadClassTree(db::Connection &c, QWidget *parent)
{
    const auto rows = school::classTreeRows(c);
    if (!rows) {
        reportReadFailure(parent, c.error());
        return {};
    }
    if (rows->isEmpty()) {
        showNotice(parent, QStringLiteral("目前教导处还没进行年级组设置。"));
        return {};
    }
    return classTreeFromRows(*rows);
}

void ClassTree::BuildClassTree(db::Connection &c)
{
    clear();
    m_classes.clear();
    const QList<GradeGroupNode> groups = ReadClassTree(c, this);

    const QIcon collapsed = image(kGroupCollapsed);
    const QIcon classIcon = image(kClassImage);
    QTreeWidgetItem *last = nullptr;
    for (const GradeGroupNode &g : groups) {
        auto *root = new QTreeWidgetItem(this, {g.name});
        root->setData(0, kRoleKey, g.name);
        root->setData(0, kRoleImage, kGroupCollapsed);
        root->setData(0, kRoleClass, -1);
        root->setIcon(0, collapsed);
        last = root;
    }
    // Classes after every grade group, as the rows are read in two passes: the
    // last node added is the last class, or the last grade group without any.
    for (int gi = 0; gi < groups.size(); ++gi) {
        for (const ClassNode &c : groups[gi].classes) {
            auto *node = new QTreeWidgetItem(topLevelItem(gi), {c.className});
            node->setData(0, kRoleKey, c.key);
            node->setData(0, kRoleImage, kClassImage);
            node->setData(0, kRoleClass, int(m_classes.size()));
            node->setIcon(0, classIcon);
            m_classes.append(c);
            last = node;
        }
    }
    if (last)
        scrollToItem(last);
}

std::optional<ClassNode> ClassTree::SelectClassNode(const QTreeWidgetItem *node) const
{
    if (!node || !node->parent())
        return std::nullopt;
    const int i = node->data(0, kRoleClass).toInt();
    if (i < 0 || i >= m_classes.size())
        return std::nullopt;
    return m_classes[i];
}

QString ClassTree::keyOf(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kRoleKey).toString() : QString();
}

QString ClassTree::imageOf(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kRoleImage).toString() : QString();
}

void ClassTree::showExpanded(QTreeWidgetItem *node, bool expanded)
{
    if (node->parent())
        return;
    const QString key = expanded ? kGroupExpanded : kGroupCollapsed;
    node->setData(0, kRoleImage, key);
    node->setIcon(0, image(key));
}

void ClassTree::keyPressEvent(QKeyEvent *event)
{
    QTreeWidgetItem *before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (currentItem() && currentItem() != before)
        emit NodeClick(currentItem());
}

} // namespace tessaly
