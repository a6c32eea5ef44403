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

    titleLabel = named(new QLabel(QStringLiteral("打印学籍调查表"), this), "Label4");
    titleLabel->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    titleLabel->setAlignment(Qt::AlignCenter);
    purposeLabel = named(new QLabel(QStringLiteral("    设置本功能意图：使用本页，班主任可以打印出来，让学生修改或添写各个项目。"), this),
                   "Label1");
    purposeLabel->setWordWrap(true);

    auto *choice = new QGroupBox(this);
    choosePrompt = named(new QLabel(QStringLiteral("请选择年级组及班级"), choice), "Text1");
    choosePrompt->setAlignment(Qt::AlignCenter);
    gradeGroupCombo = named(new QComboBox(choice), "Combo1");
    classCombo = named(new QComboBox(choice), "Combo2");
    // Room for a grade-group name beside the drop-down arrow.
    for (QComboBox *box : {gradeGroupCombo, classCombo}) {
        fitDropDown(box);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("初一年级组初一年级")));
    }
    auto *boxes = new QFormLayout;
    boxes->addRow(named(new QLabel(QStringLiteral("选择年级组："), choice), "lblLabels"), gradeGroupCombo);
    boxes->addRow(named(new QLabel(QStringLiteral("选择班级："), choice), "lblLabels"), classCombo);
    auto *choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(choosePrompt);
    choiceLayout->addLayout(boxes);

    printButton = named(new QPushButton(QStringLiteral("打印"), this), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("关闭"), this), "Command2");

    sheetHeading = named(new QLabel(QStringLiteral("学生学籍调查表"), this), "Text3");
    sheetHeading->setAlignment(Qt::AlignCenter);
    surveyGrid = named(new FlexGrid(this), "Grid1");
    surveyGrid->setRows(1);
    surveyGrid->setFixedRows(1);
    surveyGrid->setFixedCols(0);
    surveyGrid->setFormatString(reg::surveyGridFormat());

    auto *left = new QVBoxLayout;
    left->addWidget(choice);
    left->addWidget(printButton);
    left->addWidget(closeButton);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(sheetHeading);
    right->addWidget(surveyGrid, 1);
    auto *body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addWidget(purposeLabel);
    layout->addLayout(body, 1);
    connect(gradeGroupCombo, &QComboBox::activated, this, &SurveySheetWindow::gradeGroupChosen);
    connect(classCombo, &QComboBox::activated, this, &SurveySheetWindow::classChosen);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = gradeGroupCombo, .klass = classCombo, .classes = ClassVariant::WithPassword}, *this, this);
    connect(printButton, &QPushButton::clicked, this, &SurveySheetWindow::printClicked);
    connect(closeButton, &QPushButton::clicked, this, &SurveySheetWindow::closeClicked);
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

void SurveySheetWindow::gradeGroupChosen()
{
    m_choice->chooseGradeGroup();
    m_classCode.clear();
    clearGrid();
}

void SurveySheetWindow::classChosen()
{
    if (!m_choice->chooseClass(classCombo->currentIndex()))
        return;
    const school::ClassIdentity identity =
        school::ResolveClassCode(gradeGroupCombo->currentText(), classCombo->currentText(), session().today());
    m_classCode = identity.classCode;
    FillSurveyGrid(loadClassMembers(connection(), identity, school::registerColumns(), this).rows);
}

void SurveySheetWindow::FillSurveyGrid(const QVector<QVector<QVariant>> &members)
{
    clearGrid();
    m_rows = reg::surveyRows(members, m_classCode);
    surveyGrid->setUpdatesEnabled(false);
    surveyGrid->setRows(1 + int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r)
        for (int c = 0; c < reg::kSurveyCols; ++c)
            surveyGrid->setTextMatrix(r + 1, c, m_rows[r].value(c));
    surveyGrid->widenColumnsToText(0, reg::kSurveyCols - 1, 1, surveyGrid->Rows() - 1);
    surveyGrid->setUpdatesEnabled(true);
}

void SurveySheetWindow::clearGrid()
{
    m_rows.clear();
    surveyGrid->setRows(1);
}

void SurveySheetWindow::printClicked()
{
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    reg::addSurveySheet(book, gradeGroupCombo->currentText(), classCombo->currentText(), m_rows);
    handOverWorkbook(book, this);
}

void SurveySheetWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
