#include "register/survey_sheet_window.h"

#include "kit/selection.h"
#include "kit/window_steps.h"
#include "kit/workbook_export.h"
#include "widgets/data_control.h"
#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "widgets/fonts.h"
#include "school/class_code.h"
#include "school/class_members.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

SurveySheetWindow::SurveySheetWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("打印学籍调查表"));
    setWindowTitle(QStringLiteral("学籍调查表"));

    Label4 = named(new QLabel(QStringLiteral("打印学籍调查表"), this), "Label4");
    Label4->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    Label4->setAlignment(Qt::AlignCenter);
    Label1 = named(new QLabel(QStringLiteral("    设置本功能意图：使用本页，班主任可以打印出来，让学生修改或添写各个项目。"), this),
                   "Label1");
    Label1->setWordWrap(true);

    auto *choice = new QGroupBox(this);
    Text1 = named(new QLabel(QStringLiteral("请选择年级组及班级"), choice), "Text1");
    Text1->setAlignment(Qt::AlignCenter);
    Combo1 = named(new QComboBox(choice), "Combo1");
    Combo2 = named(new QComboBox(choice), "Combo2");
    // Room for a grade-group name beside the drop-down arrow.
    for (QComboBox *box : {Combo1, Combo2}) {
        fitDropDown(box);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("初一年级组初一年级")));
    }
    auto *boxes = new QFormLayout;
    boxes->addRow(named(new QLabel(QStringLiteral("选择年级组："), choice), "lblLabels"), Combo1);
    boxes->addRow(named(new QLabel(QStringLiteral("选择班级："), choice), "lblLabels"), Combo2);
    auto *choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(Text1);
    choiceLayout->addLayout(boxes);

    Command1 = named(new QPushButton(QStringLiteral("打印"), this), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("关闭"), this), "Command2");

    Text3 = named(new QLabel(QStringLiteral("学生学籍调查表"), this), "Text3");
    Text3->setAlignment(Qt::AlignCenter);
    Grid1 = named(new FlexGrid(this), "Grid1");
    Grid1->setRows(1);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(0);
    Grid1->setFormatString(reg::surveyGridFormat());

    auto *left = new QVBoxLayout;
    left->addWidget(choice);
    left->addWidget(Command1);
    left->addWidget(Command2);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(Text3);
    right->addWidget(Grid1, 1);
    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label4);
    layout->addWidget(Label1);
    layout->addLayout(body, 1);
    connect(Combo1, &QComboBox::activated, this, &SurveySheetWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &SurveySheetWindow::Combo2_Click);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = Combo1, .klass = Combo2, .classes = ClassVariant::WithPassword}, *this, this);
    connect(Command1, &QPushButton::clicked, this, &SurveySheetWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SurveySheetWindow::Command2_Click);
}

QSize SurveySheetWindow::sizeHint() const
{
    return {1000, 600};
}

void SurveySheetWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_choice->loadGradeGroups();
    clearGrid();
}

void SurveySheetWindow::Combo1_Click()
{
    m_choice->chooseGradeGroup();
    m_classCode.clear();
    clearGrid();
}

void SurveySheetWindow::Combo2_Click()
{
    if (!m_choice->chooseClass(Combo2->currentIndex()))
        return;
    const reg::ClassIdentity identity =
        reg::ResolveClassCode(Combo1->currentText(), Combo2->currentText(), session().today());
    m_classCode = identity.classCode;
    FillSurveyGrid(loadClassMembers(connection(), identity, reg::registerColumns(), this).rows);
}

void SurveySheetWindow::FillSurveyGrid(const QVector<QVector<QVariant>> &members)
{
    clearGrid();
    m_rows = reg::surveyRows(members, m_classCode);
    Grid1->setUpdatesEnabled(false);
    Grid1->setRows(1 + int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r)
        for (int c = 0; c < reg::kSurveyCols; ++c)
            Grid1->setTextMatrix(r + 1, c, m_rows[r].value(c));
    Grid1->widenColumnsToText(0, reg::kSurveyCols - 1, 1, Grid1->Rows() - 1);
    Grid1->setUpdatesEnabled(true);
}

void SurveySheetWindow::clearGrid()
{
    m_rows.clear();
    Grid1->setRows(1);
}

void SurveySheetWindow::Command1_Click()
{
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    reg::addSurveySheet(book, Combo1->currentText(), Combo2->currentText(), m_rows);
    handOverWorkbook(book, this);
}

void SurveySheetWindow::Command2_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
