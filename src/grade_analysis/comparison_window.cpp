#include "grade_analysis/comparison_window.h"

#include "grade_analysis/comparison_charts.h"
#include "grade_analysis/comparison_export.h"
#include "school/exam_subject_list.h"
#include "kit/class_tree.h"
#include "kit/frame_pacer.h"
#include "kit/save_report.h"
#include "kit/session.h"
#include "kit/window_steps.h"
#include "kit/workbook_export.h"
#include "workbook/format.h"
#include "widgets/chart_surface.h"
#include "widgets/data_control.h"
#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "school/class_code.h"
#include "school/exam_columns.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tessaly {

namespace {

// The window's place for its two views, twips.
constexpr int kWindowWidth = 11950;
constexpr int kWindowHeight = 8040;
constexpr int kPanelWidth = 3360;
constexpr int kSheetWidth = 11550;
constexpr int kSheetHeight = 18900;
constexpr int kSheetViewHeight = 6735;
constexpr int kStripTop = 6840;

const QColor kChartViewBack(128, 128, 128);

} // namespace

ComparisonWindow::ComparisonWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("成绩对比分析"));
    setWindowTitle(QStringLiteral("年级组成绩对比分析"));
    buildControls();
    buildSheet();

    connect(groupTree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node) { groupNodeClicked(node); });
    connect(examCombo, &QComboBox::activated, this, &ComparisonWindow::examChosen);
    connect(subjectList, &QListWidget::itemSelectionChanged, this, &ComparisonWindow::subjectClicked);
    connect(classList, &QListWidget::itemSelectionChanged, this, &ComparisonWindow::classClicked);
    connect(showButton, &QPushButton::clicked, this, &ComparisonWindow::FillStatisticsGrid);
    connect(analyseButton, &QPushButton::clicked, this, &ComparisonWindow::DrawClassComparison);
    connect(exportButton, &QPushButton::clicked, this, &ComparisonWindow::ExportGridToExcel);
    connect(closeSheetButton, &QPushButton::clicked, this, &ComparisonWindow::closeSheetClicked);
    connect(closeButton, &QPushButton::clicked, this, &ComparisonWindow::closeClicked);
    for (int i = 0; i < int(chartOptions.size()); ++i) {
        connect(chartOptions[size_t(i)], &QRadioButton::clicked, this, [this, i] { chartOptionChosen(i); });
    }
}

ComparisonWindow::~ComparisonWindow() = default;

QSize ComparisonWindow::sizeHint() const
{
    return minimumSize();
}

void ComparisonWindow::buildControls()
{
    setMinimumSize(twipsToPixels(kWindowWidth), twipsToPixels(kWindowHeight));

    // Selection panel.
    choiceFrame = named(new QGroupBox(this), "Frame1");
    placeTwips(choiceFrame, 60, 0, kPanelWidth, kWindowHeight - 60);
    auto *panel = new QVBoxLayout(choiceFrame);
    panel->setContentsMargins(6, 4, 6, 6);
    panel->setSpacing(2);
    auto caption = [this](int index, const QString &text, QWidget *parent) {
        QLabel *l = named(new QLabel(text, parent), "lblLabels");
        captionLabels[size_t(index)] = l;
        return l;
    };
    choiceHeading = named(new QLabel(QStringLiteral("年级组成绩分析操作"), choiceFrame), "Label1");
    QFont bold = choiceHeading->font();
    bold.setBold(true);
    choiceHeading->setFont(bold);
    choiceHeading->setAlignment(Qt::AlignCenter);
    panel->addWidget(choiceHeading);
    panel->addWidget(caption(11, QStringLiteral("①选择年级组或班级:"), choiceFrame));
    groupTree = named(new QTreeWidget(choiceFrame), "TreeView1");
    groupTree->setHeaderHidden(true);
    groupTree->setRootIsDecorated(false);
    panel->addWidget(groupTree, 3);
    panel->addWidget(caption(0, QStringLiteral("②选择需要报表的班级:"), choiceFrame));
    classList = named(new QListWidget(choiceFrame), "List2");
    classList->setSelectionMode(QAbstractItemView::MultiSelection);
    panel->addWidget(classList, 3);
    QLabel *note = caption(1,
                           QStringLiteral("　　在同一年级组中，考试科目与试题可能不同( 如高中有文科与理班),"
                                          "所以需要选出可比较班级，才能得出正确结果。"),
                           choiceFrame);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #800000;"));
    panel->addWidget(note);
    panel->addWidget(caption(2, QStringLiteral("③选择报表的考试名称:"), choiceFrame));
    examCombo = named(new QComboBox(choiceFrame), "Combo1");
    panel->addWidget(examCombo);
    auto *subjectsRow = new QHBoxLayout;
    subjectsRow->addWidget(caption(6, QStringLiteral("④选择科目:"), choiceFrame));
    subjectsRow->addStretch();
    subjectsRow->addWidget(caption(5, QStringLiteral("(分析0个考试科目)"), choiceFrame));
    panel->addLayout(subjectsRow);
    subjectList = named(new QListWidget(choiceFrame), "List1");
    subjectList->setSelectionMode(QAbstractItemView::MultiSelection);
    panel->addWidget(subjectList, 3);
    auto *buttons = new QHBoxLayout;
    showButton = named(new QPushButton(QStringLiteral("导入数据"), choiceFrame), "Command11");
    analyseButton = named(new QPushButton(QStringLiteral("进行分析"), choiceFrame), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), choiceFrame), "Command7");
    for (QPushButton *b : {showButton, analyseButton, closeButton})
        buttons->addWidget(b);
    panel->addLayout(buttons);

    // Grid panel.
    gridFrame = named(new QGroupBox(this), "Frame2");
    const int gridLeft = 60 + kPanelWidth + 60;
    placeTwips(gridFrame, gridLeft, 0, kWindowWidth - gridLeft - 60, kWindowHeight - 60);
    auto *gridPanel = new QVBoxLayout(gridFrame);
    gridPanel->setContentsMargins(6, 4, 6, 6);
    gridTitle = named(new QLabel(QStringLiteral("显示各科报表成绩内容"), gridFrame), "Label13");
    gridTitle->setFont(bold);
    gridTitle->setAlignment(Qt::AlignCenter);
    gridPanel->addWidget(gridTitle);
    resultGrid = named(new FlexGrid(gridFrame), "Grid1");
    resultGrid->setRows(2);
    resultGrid->setFixedRows(1);
    resultGrid->setFixedCols(1);
    resultGrid->setFormatString(grades::kStatisticsHeader);
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        resultGrid->setColWidth(c, grades::kStatisticsColWidths[size_t(c)]);
    resultGrid->setRowHeight(0, grades::kStatisticsHeaderHeight);
    resultGrid->mergeCol(grades::kStatSubject);
    fitHeaders();
    gridPanel->addWidget(resultGrid, 1);

    // Progress panel, over the grid while a fill runs.
    progressPanel = named(new QFrame(this), "Picture1");
    progressPanel->setFrameShape(QFrame::Box);
    progressPanel->setAutoFillBackground(true);
    placeTwips(progressPanel, gridLeft + 1500, 2800, 5000, 1200);
    auto *progress = new QVBoxLayout(progressPanel);
    progressHeading = named(new QLabel(QStringLiteral("制表进程指示"), progressPanel), "Label2");
    progressBar = named(new QProgressBar(progressPanel), "Bar2");
    progressLabel = named(new QLabel(QStringLiteral("正在读入各科成绩……"), progressPanel), "Label7");
    for (QWidget *w : {static_cast<QWidget *>(progressHeading), static_cast<QWidget *>(progressBar), static_cast<QWidget *>(progressLabel)})
        progress->addWidget(w);
    progressPanel->hide();

}

// Widens the designed columns where the program's font needs it: each header
// within the header row's lines.
void ComparisonWindow::fitHeaders()
{
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        resultGrid->setColWidth(c, grades::fittedHeaderWidth(resultGrid->font(), resultGrid->TextMatrix(0, c), resultGrid->ColWidth(c)));
}

void ComparisonWindow::buildSheet()
{
    sheetArea = new QScrollArea(this);
    sheetArea->setObjectName(QStringLiteral("sheetArea"));
    sheetArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    sheetArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    placeTwips(sheetArea, 50, 50, kWindowWidth - 100, kSheetViewHeight);
    pageScroll = sheetArea->verticalScrollBar();
    pageScroll->setObjectName(QStringLiteral("VScroll1"));

    paperSheet = named(new QWidget, "Picture3");
    paperSheet->setAutoFillBackground(true);
    QPalette white = paperSheet->palette();
    white.setColor(QPalette::Window, Qt::white);
    paperSheet->setPalette(white);
    paperSheet->setFixedSize(twipsToPixels(kSheetWidth), twipsToPixels(kSheetHeight));
    sheetArea->setWidget(paperSheet);

    titleLabel = named(new QLabel(QStringLiteral("成绩报表单预览图"), paperSheet), "Label4");
    placeTwips(titleLabel, 1560, 360, 8175, 375);
    titleLabel->setAlignment(Qt::AlignCenter);
    titleBox = named(new QLineEdit(paperSheet), "Text1");
    placeTwips(titleBox, 1560, 960, 8175, 375);
    titleBox->setAlignment(Qt::AlignCenter);
    QFont titleFont = titleBox->font();
    titleFont.setBold(true);
    titleBox->setFont(titleFont);
    titleBox->setFrame(false);
    drawnAtLabel = named(new QLabel(QStringLiteral("制图时间:"), paperSheet), "Label10");
    placeTwips(drawnAtLabel, 1080, 1320, 3000, 255);
    pageLabel = named(new QLabel(QStringLiteral("第1页"), paperSheet), "Label11");
    placeTwips(pageLabel, 9720, 1320, 900, 255);
    for (int d = 0; d < grades::kChartFrames; ++d) {
        auto *frame = new chart::ChartSurface(grades::designComparisonChart(d), paperSheet);
        frame->setObjectName(QStringLiteral("Frame5"));
        frame->place();
        chartSurfaces[size_t(d)] = frame;
    }

    toolbarPanel = named(new QFrame(this), "Picture2");
    toolbarPanel->setFrameShape(QFrame::Panel);
    toolbarPanel->setFrameShadow(QFrame::Raised);
    placeTwips(toolbarPanel, 50, kStripTop, kWindowWidth - 100, kWindowHeight - kStripTop - 60);
    auto *strip = new QHBoxLayout(toolbarPanel);
    const QStringList options{QStringLiteral("按学科成绩分析"), QStringLiteral("按任课教师分析成绩"),
                              QStringLiteral("按各班整体成绩分析")};
    for (int i = 0; i < int(chartOptions.size()); ++i) {
        chartOptions[size_t(i)] = named(new QRadioButton(options[i], toolbarPanel), "Option3");
        strip->addWidget(chartOptions[size_t(i)]);
    }
    strip->addStretch();
    exportButton = named(new QPushButton(QStringLiteral("打印分析"), toolbarPanel), "Command2");
    closeSheetButton = named(new QPushButton(QStringLiteral("关闭分析"), toolbarPanel), "Command3");
    strip->addWidget(exportButton);
    strip->addWidget(closeSheetButton);

    showChartView(false);
}

// ---- Selection ---------------------------------------------------------------

void ComparisonWindow::Form_Load()
{
    MoveToTopLeft(this);
    analyseButton->setEnabled(false);
    // Classes belong to the grade group their 对应内容 names exactly; a repeated
    // class row counts once.
    const QList<GradeGroupNode> groups = ReadClassTree(connection(), this);
    QTreeWidgetItem *last = nullptr;
    for (const GradeGroupNode &group : groups) {
        last = new QTreeWidgetItem(groupTree, {group.name});
        last->setIcon(0, ClassTree::image(QStringLiteral("BG")));
        for (const ClassNode &c : group.classes)
            m_classEntries.append({c.gradeGroup, c.className, c.actualName});
    }
    if (last)
        groupTree->scrollToItem(last);
}

void ComparisonWindow::resetGrid()
{
    resultGrid->setRows(1);
    analyseButton->setEnabled(false);
    resultGrid->setRows(2);
}

void ComparisonWindow::groupNodeClicked(QTreeWidgetItem *node)
{
    if (!node)
        return;
    const QString key = node->text(0);
    titleLabel->setText(QStringLiteral("进行") + key + QStringLiteral("成绩分析"));
    captionLabels[0]->setText(QStringLiteral("②选择(") + key.left(4) + QStringLiteral(")可比较的班级"));
    gridTitle->setText(key + QStringLiteral("各科成绩分析"));
    {
        const QSignalBlocker b1(subjectList), b2(classList);
        subjectList->clear();
        examCombo->clear();
        classList->clear();
        for (const ClassEntry &c : m_classEntries) {
            if (c.gradeGroup != key)
                continue;
            auto *item = new QListWidgetItem(c.name + QLatin1Char(' ') + c.actualName, classList);
            item->setSelected(true);
        }
    }
    m_subjectColumns.clear();
    m_gradeGroup = key;
    m_sectionTable = school::sectionTableOf(key);
    m_cohortYear = school::cohortYear(school::gradeOf(key), session().today());
    resetGrid();

    // The section table's exams, also for a cohort without students.
    QStringList columns;
    if (!m_sectionTable.isEmpty()) {
        db::Connection &c = connection();
        if (c.ok())
            columns = db::tableColumns(c, m_sectionTable);
        else
            reportReadFailure(this, c.error());
    }
    examCombo->addItems(school::ListExamNames(columns, school::kCanonicalNames));
    examCombo->setCurrentIndex(-1);
}

void ComparisonWindow::examChosen()
{
    if (examCombo->currentIndex() < 0)
        return;
    analyseButton->setEnabled(false);
    QStringList columns;
    if (!m_sectionTable.isEmpty())
        columns = db::tableColumns(connection(), m_sectionTable);
    {
        const QSignalBlocker block(subjectList);
        subjectList->clear();
        m_subjectColumns.clear();
        for (const school::ExamSubject &s : school::examSubjects(columns, examCombo->currentText())) {
            m_subjectColumns.append(s.column);
            auto *item = new QListWidgetItem(s.subject, subjectList);
            item->setSelected(true);
        }
    }
    gridTitle->setText(m_gradeGroup + examCombo->currentText() + QStringLiteral("分析"));
    captionLabels[5]->setText(QStringLiteral("(分析全部科目)"));
}

void ComparisonWindow::subjectClicked()
{
    analyseButton->setEnabled(false);
    captionLabels[5]->setText(QStringLiteral("(分析%1科)").arg(subjectList->selectedItems().size()));
}

void ComparisonWindow::classClicked()
{
    analyseButton->setEnabled(false);
}

QStringList ComparisonWindow::selectedTexts(const QListWidget *list) const
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            out << list->item(i)->text();
    }
    return out;
}

// ---- Statistics grid -----------------------------------------------------------

void ComparisonWindow::FillStatisticsGrid()
{
    const QStringList subjects = selectedTexts(subjectList);
    const QStringList classItems = selectedTexts(classList);
    const QString missing = grades::missingChoice(examCombo->currentIndex() >= 0 && !examCombo->currentText().isEmpty(),
                                                  int(subjects.size()), int(classItems.size()));
    if (!missing.isEmpty()) {
        showNotice(this, missing, kTitleHintDots);
        return;
    }

    grades::StatisticsRequest request;
    request.gradeGroup = m_gradeGroup;
    request.sectionTable = m_sectionTable;
    request.cohortYear = m_cohortYear;
    for (int i = 0; i < subjectList->count(); ++i) {
        if (subjectList->item(i)->isSelected())
            request.subjects.append({subjectList->item(i)->text(), m_subjectColumns.value(i)});
    }
    for (const QString &item : classItems)
        request.classes.append(grades::classNameOfItem(item));

    // The charts wait for this fill: a failed one leaves nothing to draw.
    analyseButton->setEnabled(false);
    progressPanel->setUpdatesEnabled(false);   // a bar's value alone would repaint it at once
    progressPanel->show();
    progressPanel->raise();
    progressBar->setMaximum(int(subjects.size()));
    progressBar->setValue(0);
    progressPanel->setUpdatesEnabled(true);
    resultGrid->setRows(1);

    // The panel follows the subjects, drawn at most once a frame: not at all for a
    // fill shorter than one.
    FramePacer pacer;
    m_fill = grades::fillStatistics(connection(), request, [&](int s, const QString &subject) {
        if (!pacer.due())
            return;
        progressPanel->setUpdatesEnabled(false);
        progressLabel->setText(grades::statisticsProgressText(subject));
        progressBar->setValue(s + 1);
        progressPanel->setUpdatesEnabled(true);
        progressPanel->repaint();
    });
    if (m_fill.error.isSet()) {
        progressPanel->hide();
        resultGrid->setRows(2);
        reportReadFailure(this, m_fill.error);
        m_fill = {};
        return;
    }

    resultGrid->setUpdatesEnabled(false);
    resultGrid->setRows(1 + int(m_fill.rows.size()));
    for (int r = 0; r < m_fill.rows.size(); ++r) {
        if (!m_fill.rows[r])
            continue;
        const QStringList texts = grades::statisticsRowTexts(*m_fill.rows[r]);
        for (int col = 0; col < grades::kStatisticsCols; ++col)
            resultGrid->setTextMatrix(r + 1, col, texts[col]);
    }
    resultGrid->widenColumnsToText(0, grades::kStatisticsCols - 1, 1, resultGrid->Rows() - 1);
    resultGrid->setUpdatesEnabled(true);
    m_fillSubjects = subjects;
    m_fillClasses = classItems;

    if (m_fill.anyEmptyRow)
        showNotice(this, grades::kEmptyRowsNote, grades::kEmptyRowsTitle);
    progressPanel->hide();
    analyseButton->setEnabled(true);
}

// ---- Charts --------------------------------------------------------------------

bool ComparisonWindow::chartViewShown() const
{
    return !sheetArea->isHidden();
}

void ComparisonWindow::showChartView(bool charts)
{
    choiceFrame->setVisible(!charts);
    gridFrame->setVisible(!charts);
    toolbarPanel->setVisible(charts);
    sheetArea->setVisible(charts);
    setAutoFillBackground(charts);
    QPalette p = palette();
    p.setColor(QPalette::Window, charts ? kChartViewBack : QPalette().color(QPalette::Window));
    setPalette(p);
}

grades::ComparisonData ComparisonWindow::chartData() const
{
    return grades::comparisonDataOf(m_fillSubjects, m_fillClasses, m_fill);
}

void ComparisonWindow::showFrames(int drawn)
{
    for (int d = 0; d < grades::kChartFrames; ++d) {
        chart::ChartSurface *f = chartSurfaces[size_t(d)];
        f->setVisible(d < drawn);
        f->place();
        f->update();
    }
}

void ComparisonWindow::DrawClassComparison()
{
    showChartView(true);
    if (!examCombo->currentText().isEmpty())
        titleBox->setText(QStringLiteral("    ") + gridTitle->text() + QStringLiteral("    "));
    drawnAtLabel->setText(QStringLiteral("制图时间:")
                     + shortDateText(session().today()));
    {
        const QSignalBlocker block(chartOptions[0]);
        chartOptions[0]->setChecked(true);
    }
    QList<chart::ChartFrame *> frames;
    for (chart::ChartSurface *f : chartSurfaces)
        frames.append(&f->frame());
    showFrames(grades::drawClassComparison(frames, chartData()));
}

void ComparisonWindow::chartOptionChosen(int index)
{
    QList<chart::ChartFrame *> frames;
    for (chart::ChartSurface *f : chartSurfaces)
        frames.append(&f->frame());
    switch (index) {
    case 0:
        DrawClassComparison();
        break;
    case 1:
        showFrames(grades::drawTeacherComparison(frames, chartData()));
        break;
    case 2:
        showFrames(grades::drawWholeClassComparison(frames, chartData(), kSheetWidth));
        break;
    default:
        break;
    }
    pageScroll->setValue(pageScroll->minimum());
}

void ComparisonWindow::closeSheetClicked()
{
    showChartView(false);
}

// ---- Export --------------------------------------------------------------------

void ComparisonWindow::ExportGridToExcel()
{
    grades::GridView view;
    for (int r = 0; r < resultGrid->Rows(); ++r) {
        QStringList row;
        for (int c = 0; c < resultGrid->Cols(); ++c)
            row << resultGrid->TextMatrix(r, c);
        view.cells.append(row);
        view.rowShown.append(resultGrid->RowHeight(r) > 0);
    }
    for (int c = 0; c < resultGrid->Cols(); ++c)
        view.columnShown.append(resultGrid->ColWidth(c) > 0);
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    grades::writeStatisticsSheet(book, titleBox->text(), view);
    handOverWorkbook(book, this);
}

void ComparisonWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
