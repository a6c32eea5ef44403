#pragma once
// 打印点名册: the roll-call sheet of a class chosen in the class tree.
//
// A click on a class node lists its students by seat number and name in the
// roll-call grid, beside 31 empty day columns; "打印(&P)" writes the class's
// roll-call sheet into a new workbook and opens it for the user. A grade-group
// node chooses no class. The window only reads the database.
//
// The rules are in roll_call.h; the tree is kit's ClassTree.
#include "kit/class_tree.h"
#include "kit/window_base.h"
#include "register/roll_call.h"

#include <QList>
#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;
class QTreeWidgetItem;

namespace tessaly {

class FlexGrid;

class RollCallWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit RollCallWindow(WindowHost &host, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    ClassTree *TreeView1 = nullptr;
    FlexGrid *Grid1 = nullptr;         // the roll-call grid
    QLabel *Label4 = nullptr;          // title: the chosen class's key
    QLabel *Label3 = nullptr;          // banner
    QLabel *Label1 = nullptr;          // heading of the tree
    QPushButton *Command1 = nullptr;   // 打印(&P)
    QPushButton *Command7 = nullptr;   // 关闭(&C)

    // The chosen class (none before a class node is clicked) and its students.
    const std::optional<ClassNode> &chosenClass() const { return m_chosen; }
    const QList<reg::RollCallStudent> &students() const { return m_students; }

public slots:
    void Form_Load() override;
    void TreeView1_NodeClick(QTreeWidgetItem *node);
    void Command1_Click();   // PrintRollCall
    void Command7_Click();

private:
    void clearGrid();
    std::optional<ClassNode> m_chosen;
    QList<reg::RollCallStudent> m_students;
};

} // namespace tessaly
