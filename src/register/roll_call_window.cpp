#include "register/roll_call_window.h"

#include "kit/form_layout.h"
#include "kit/selection.h"
#include "kit/window_steps.h"
#include "kit/workbook_export.h"
#include "widgets/data_control.h"
#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "school/class_members.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

namespace {

const QString kTitle = QStringLiteral("打印点名册");

// Grid widths in twips: 学号, 姓名, days 1 … 9, days 10 … 31.
constexpr int kSeatWidth = 445;
constexpr int kNameWidth = 750;
constexpr int kShortDayWidth = 240;
constexpr int kLongDayWidth = 260;

} // namespace

RollCallWindow::RollCallWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("打印点名册"));
    setWindowTitle(kTitle);

    Label4 = named(new QLabel(kTitle, this), "Label4");
    Label4->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    Label4->setAlignment(Qt::AlignCenter);
    Label3 = named(new QLabel(QStringLiteral("=========打 印 点 名 册========="), this), "Label3");
    Label3->setAlignment(Qt::AlignCenter);
    Label1 = named(new QLabel(QStringLiteral(" 请选择班级"), this), "Label1");
    TreeView1 = named(new ClassTree(this), "TreeView1");
    Grid1 = named(new FlexGrid(this), "Grid1");
    Command1 = named(new QPushButton(QStringLiteral("打印(&P)"), this), "Command1");
    Command7 = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command7");

    // Room for the longest class name with its picture.
    TreeView1->setFixedWidth(TreeView1->fontMetrics().horizontalAdvance(QStringLiteral("初一年级组初一年级组")));

    auto *left = new QVBoxLayout;
    left->addWidget(Label1);
    left->addWidget(TreeView1, 1);
    QHBoxLayout *buttons = buttonRow({Command1, Command7});
    auto *right = new QVBoxLayout;
    right->addWidget(Label3);
    right->addWidget(Grid1, 1);
    right->addLayout(buttons);
    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label4);
    layout->addLayout(body, 1);
    connect(TreeView1, &ClassTree::NodeClick, this, &RollCallWindow::TreeView1_NodeClick);
    connect(Command1, &QPushButton::clicked, this, &RollCallWindow::Command1_Click);
    connect(Command7, &QPushButton::clicked, this, &RollCallWindow::Command7_Click);
}

QSize RollCallWindow::sizeHint() const
{
    return {960, 600};
}

void RollCallWindow::Form_Load()
{
    MoveToTopLeft(this);
    TreeView1->BuildClassTree(connection());

    Grid1->setRows(1);
    Grid1->setCols(reg::kRollCallCols);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(2);
    Grid1->setTextMatrix(0, 0, reg::kRollCallSeatHeader);
    Grid1->setTextMatrix(0, 1, reg::kRollCallNameHeader);
    Grid1->setColWidth(0, kSeatWidth);
    Grid1->setColWidth(1, kNameWidth);
    for (int day = 1; day <= reg::kRollCallDays; ++day) {
        Grid1->setTextMatrix(0, day + 1, QString::number(day));
        Grid1->setColWidth(day + 1, day < 10 ? kShortDayWidth : kLongDayWidth);
    }
    // The designed widths are for the original font: a header it cuts off widens.
    Grid1->widenColumnsToText(0, reg::kRollCallCols - 1, 0, 0);
    // Equal neighbours merge in the header row and in columns 0 to 4.
    Grid1->mergeRow(0);
    for (int c = 0; c <= 4; ++c)
        Grid1->mergeCol(c);
}

void RollCallWindow::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    m_chosen = TreeView1->SelectClassNode(node);
    clearGrid();
    if (!m_chosen) {
        // A grade group chooses no class.
        Label4->setText(kTitle);
        return;
    }
    Label4->setText(m_chosen->key);
    const reg::ClassIdentity identity =
        reg::ResolveClassCode(m_chosen->gradeGroup, m_chosen->className, session().today());
    m_students = reg::rollCallStudents(loadClassMembers(connection(), identity, reg::kRollCallColumns, this).rows);

    Grid1->setUpdatesEnabled(false);
    Grid1->setRows(1 + int(m_students.size()));
    for (int i = 0; i < m_students.size(); ++i) {
        Grid1->setTextMatrix(i + 1, 0, m_students[i].seat);
        Grid1->setTextMatrix(i + 1, 1, m_students[i].name);
    }
    Grid1->widenColumnsToText(0, 1, 1, Grid1->Rows() - 1);
    Grid1->setUpdatesEnabled(true);
}

void RollCallWindow::clearGrid()
{
    m_students.clear();
    Grid1->setRows(1);
}

void RollCallWindow::Command1_Click()
{
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    reg::addRollCallSheet(book, m_chosen, m_students);
    handOverWorkbook(book, this);
}

void RollCallWindow::Command7_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
