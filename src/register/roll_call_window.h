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

    ClassTree *classTree = nullptr;
    FlexGrid *rollCallGrid = nullptr;         // the roll-call grid
    QLabel *titleLabel = nullptr;          // title: the chosen class's key
    QLabel *bannerLabel = nullptr;          // banner
    QLabel *treeHeading = nullptr;          // heading of the tree
    QPushButton *printButton = nullptr;   // 打印(&P)
    QPushButton *closeButton = nullptr;   // 关闭(&C)

    // The chosen class (none before a class node is clicked) and its students.
    const std::optional<ClassNode> &chosenClass() const { return m_chosen; }
    const QList<reg::RollCallStudent> &students() const { return m_students; }

public slots:
    void Form_Load() override;
    void classNodeClicked(QTreeWidgetItem *node);
    void printClicked();   // PrintRollCall
    void closeClicked();

private:
    void clearGrid();
    std::optional<ClassNode> m_chosen;
    QList<reg::RollCallStudent> m_students;
};

} // namespace tessaly
