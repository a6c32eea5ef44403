#pragma once
// 帮助内容 (HelpWindow), caption "帮助内容……": the chapters and topics of the
// help file help.dll in the tree TreeView1, the chosen topic's text (or, at
// opening, the introduction) in Text1, and the splitter imgSplitter between the
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

    QTreeWidget *TreeView1 = nullptr;
    QPlainTextEdit *Text1 = nullptr;    // introduction or topic text, read-only
    QLabel *Label1 = nullptr;           // 帮助列表
    QLabel *Label2 = nullptr;           // ========帮 助 内 容========
    QFrame *Shape1 = nullptr;           // frame of the tree pane
    QFrame *Shape2 = nullptr;           // heading band of the tree pane
    QFrame *Shape3 = nullptr;           // frame of the text pane
    QFrame *Shape4 = nullptr;           // heading band of the text pane
    QFrame *imgSplitter = nullptr;      // the splitter the user drags
    QFrame *picSplitter = nullptr;      // the bar shown while dragging
    QPushButton *Command1 = nullptr;    // 关闭帮助(&C)

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
    void TreeView1_NodeClick(QTreeWidgetItem *node);
    void TreeView1_Collapse(QTreeWidgetItem *node);
    void TreeView1_Expand(QTreeWidgetItem *node);
    void Command1_Click();
    // Lays the panes out for a splitter at x twips from the left.
    void SizeControls(int x);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place(QWidget *control, const QRect &twips);
    void setImage(QTreeWidgetItem *node, const QString &key);
    void buildTree();
    void imgSplitter_MouseDown();
    void imgSplitter_MouseMove(int xTwips);
    void imgSplitter_MouseUp();

    QHash<const QWidget *, QRect> m_twips;
    QHash<QString, QPixmap> ImageList1;
    QList<help::HelpRow> m_rows;
    QHash<QString, QTreeWidgetItem *> m_nodes;   // by code, the first node of each
    bool m_dragging = false;
};

} // namespace tessaly
