#pragma once
// The rules of 帮助内容: the chapter/topic tree built from the rows of the
// help table, the text shown for a topic, the fixed introduction and the
// splitter's layout (all in twips).
#include <QList>
#include <QString>
#include <optional>

namespace tessaly::help {

// One row of the table help, in table order.
struct HelpRow {
    QString code;      // 代码: one character for a chapter, longer for a topic
    QString menu;      // 菜单: the title in the tree
    QString content;   // 内容
};

inline bool isChapter(const HelpRow &row) { return row.code.size() == 1; }

// One node per row, in table order. A chapter is a root; a topic is a child of
// the first chapter whose code is the topic's first character, wherever that
// chapter stands in the table, and a root when there is none.
struct HelpNode {
    int row = 0;       // index into the rows
    int parent = -1;   // index of the parent node, -1 for a root
};

struct HelpTree {
    QList<HelpNode> nodes;
    int last = -1;     // the node of the last row, scrolled into view; -1 when empty
};

HelpTree BuildHelpTree(const QList<HelpRow> &rows);

// The text shown for a node's title: CR LF, fifteen blanks, the title, CR LF,
// CR LF, then the content of the last topic row bearing that title (chapters
// are skipped). nullopt when no topic bears it: the text stays as it is.
std::optional<QString> HelpTopicText(const QList<HelpRow> &rows, const QString &title);

// The introduction shown when the window opens; lines end in CR LF, the last
// line has none.
QString HelpIntroduction();

// The splitter bar while it is dragged to p: kept from 500 to the window's width
// less 500.
int SplitterBarLeft(int p, int windowWidth);

// SizeControls: the panes for a splitter released at x. textWidth is the window's
// width less the tree's width and 850; when that is negative the text pane keeps
// currentTextWidth, and everything measured from it follows that width.
struct HelpPaneLayout {
    int treeWidth = 0;        // topicTree, and treeHeading
    int splitterLeft = 0;     // splitterHandle
    int textLeft = 0;         // contentBox and textHeading
    int textWidth = 0;        // contentBox and textHeading
    int treeFrameWidth = 0;   // treeFrame, treeBand
    int textFrameLeft = 0;    // textFrame, textBand
    int textFrameWidth = 0;
};

HelpPaneLayout SizeControlsLayout(int x, int windowWidth, int currentTextWidth);

} // namespace tessaly::help
