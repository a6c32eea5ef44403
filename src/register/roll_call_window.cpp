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

    titleLabel = named(new QLabel(kTitle, this), "Label4");
    titleLabel->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    titleLabel->setAlignment(Qt::AlignCenter);
    bannerLabel = named(new QLabel(QStringLiteral("=========打 印 点 名 册========="), this), "Label3");
    bannerLabel->setAlignment(Qt::AlignCenter);
    treeHeading = named(new QLabel(QStringLiteral(" 请选择班级"), this), "Label1");
    classTree = named(new ClassTree(this), "TreeView1");
    rollCallGrid = named(new FlexGrid(this), "Grid1");
    printButton = named(new QPushButton(QStringLiteral("打印(&P)"), this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command7");

    // Room for the longest class name with its picture.
    classTree->setFixedWidth(classTree->fontMetrics().horizontalAdvance(QStringLiteral("初一年级组初一年级组")));

    auto *left = new QVBoxLayout;
    left->addWidget(treeHeading);
    left->addWidget(classTree, 1);
    QHBoxLayout *buttons = buttonRow({printButton, closeButton});
    auto *right = new QVBoxLayout;
    right->addWidget(bannerLabel);
    right->addWidget(rollCallGrid, 1);
    right->addLayout(buttons);
    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addLayout(body, 1);
    connect(classTree, &ClassTree::NodeClick, this, &RollCallWindow::classNodeClicked);
    connect(printButton, &QPushButton::clicked, this, &RollCallWindow::printClicked);
    connect(closeButton, &QPushButton::clicked, this, &RollCallWindow::closeClicked);
}

QSize RollCallWindow::sizeHint() const
{
    return {960, 600};
}

void RollCallWindow::Form_Load()
{
    MoveToTopLeft(this);
    classTree->BuildClassTree(connection());

    rollCallGrid->setRows(1);
    rollCallGrid->setCols(reg::kRollCallCols);
    rollCallGrid->setFixedRows(1);
    rollCallGrid->setFixedCols(2);
    rollCallGrid->setTextMatrix(0, 0, reg::kRollCallSeatHeader);
    rollCallGrid->setTextMatrix(0, 1, reg::kRollCallNameHeader);
    rollCallGrid->setColWidth(0, kSeatWidth);
    rollCallGrid->setColWidth(1, kNameWidth);
    for (int day = 1; day <= reg::kRollCallDays; ++day) {
        rollCallGrid->setTextMatrix(0, day + 1, QString::number(day));
        rollCallGrid->setColWidth(day + 1, day < 10 ? kShortDayWidth : kLongDayWidth);
    }
    // The designed widths are for the original font: a header it cuts off widens.
    rollCallGrid->widenColumnsToText(0, reg::kRollCallCols - 1, 0, 0);
    // Equal neighbours merge in the header row and in columns 0 to 4.
    rollCallGrid->mergeRow(0);
    for (int c = 0; c <= 4; ++c)
        rollCallGrid->mergeCol(c);
}

void RollCallWindow::classNodeClicked(QTreeWidgetItem *node)
{
    m_chosen = classTree->SelectClassNode(node);
    clearGrid();
    if (!m_chosen) {
        // A grade group chooses no class.
        titleLabel->setText(kTitle);
        return;
    }
    titleLabel->setText(m_chosen->key);
    const school::ClassIdentity identity =
        school::ResolveClassCode(m_chosen->gradeGroup, m_chosen->className, session().today());
    m_students = reg::rollCallStudents(loadClassMembers(connection(), identity, reg::kRollCallColumns, this).rows);

    rollCallGrid->setUpdatesEnabled(false);
    rollCallGrid->setRows(1 + int(m_students.size()));
    for (int i = 0; i < m_students.size(); ++i) {
        rollCallGrid->setTextMatrix(i + 1, 0, m_students[i].seat);
        rollCallGrid->setTextMatrix(i + 1, 1, m_students[i].name);
    }
    rollCallGrid->widenColumnsToText(0, 1, 1, rollCallGrid->Rows() - 1);
    rollCallGrid->setUpdatesEnabled(true);
}

void RollCallWindow::clearGrid()
{
    m_students.clear();
    rollCallGrid->setRows(1);
}

void RollCallWindow::printClicked()
{
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    reg::addRollCallSheet(book, m_chosen, m_students);
    handOverWorkbook(book, this);
}

void RollCallWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
