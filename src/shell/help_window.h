#pragma once
// 帮助内容 (HelpWindow), caption "帮助内容……": the chapters and topics of the
// help file help.dll in the tree topicTree, the chosen topic's text (or, at
// opening, the introduction) in contentBox, and the splitter splitterHandle between the
// two panes. The rules live in help_topics.h.
//
// The panes are placed in twips as designed; only a splitter drag moves them
// (SizeControls). A help.dll that is missing or cannot be read is reported once
// and leaves both panes empty.
#include "kit/window_base.h"
#include "shell/help_topics.h"

#include <QHash>
#include <QPixmap>
#include <QRect>
#include <QWidget>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessaly {


class HelpWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit HelpWindow(WindowHost &host, QWidget *parent = nullptr);

    QTreeWidget *topicTree = nullptr;
    QPlainTextEdit *contentBox = nullptr;    // introduction or topic text, read-only
    QLabel *treeHeading = nullptr;           // 帮助列表
    QLabel *textHeading = nullptr;           // ========帮 助 内 容========
    QFrame *treeFrame = nullptr;           // frame of the tree pane
    QFrame *treeBand = nullptr;           // heading band of the tree pane
    QFrame *textFrame = nullptr;           // frame of the text pane
    QFrame *textBand = nullptr;           // heading band of the text pane
    QFrame *splitterHandle = nullptr;      // the splitter the user drags
    QFrame *splitterShadow = nullptr;      // the bar shown while dragging
    QPushButton *closeButton = nullptr;    // 关闭帮助(&C)

    // ImageList1: the node pictures by key, "BG", "BK", "Z", "bi" in this order.
    static const QStringList kImageKeys;
    // The key of the picture a node shows.
    static QString nodeImage(const QTreeWidgetItem *node);
    // The tree's node of a help code; nullptr when there is none.
    QTreeWidgetItem *node(const QString &code) const;

    // A control's place in twips, as the panes were last laid out.
    QRect twipsGeometry(const QWidget *control) const { return m_twips.value(control); }
    // The width of the window in twips (its frame).
    int windowWidthTwips() const;

public slots:
    void Form_Load() override;
    void topicClicked(QTreeWidgetItem *node);
    void topicCollapsed(QTreeWidgetItem *node);
    void topicExpanded(QTreeWidgetItem *node);
    void closeClicked();
    // Lays the panes out for a splitter at x twips from the left.
    void SizeControls(int x);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place(QWidget *control, const QRect &twips);
    void setImage(QTreeWidgetItem *node, const QString &key);
    void buildTree();
    void splitterPressed();
    void splitterMoved(int xTwips);
    void splitterReleased();

    QHash<const QWidget *, QRect> m_twips;
    QHash<QString, QPixmap> ImageList1;
    QList<help::HelpRow> m_rows;
    QHash<QString, QTreeWidgetItem *> m_nodes;   // by code, the first node of each
    bool m_dragging = false;
};

} // namespace tessaly
