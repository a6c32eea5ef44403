#include "reports/score_report_window.h"

#include "grade_analysis/comparison_export.h"
#include "school/exam_subject_list.h"
#include "grade_analysis/subject_statistics.h"
#include "kit/frame_pacer.h"
#include "kit/save_report.h"
#include "kit/session.h"
#include "kit/window_steps.h"
#include "kit/workbook_export.h"
#include "widgets/data_control.h"
#include "db/database.h"
#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "widgets/fonts.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "school/class_code.h"
#include "reports/paper_preview.h"
#include "reports/report_steps.h"
#include "reports/score_report.h"
#include "reports/transcript_options.h"
#include "school/exam_columns.h"

#include <QCheckBox>
#include <QFrame>
#include <QComboBox>
#include <QGridLayout>
#include <QHash>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tessaly {

using namespace reports;

namespace {

const QString kNoReportClass = QStringLiteral("请选择报表班级后,才能显示。");
const QString kAllSubjects = QStringLiteral("(打印全部科目)");

QStringList blankRow()
{
    QStringList row;
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        row << QString();
    return row;
}

} // namespace

ScoreReportWindow::ScoreReportWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("打印成绩报表"));
    setWindowTitle(QStringLiteral("打印成绩报表"));

    choiceFrame = named(new QGroupBox(this), "Frame1");
    stepsHeading = named(new QLabel(QStringLiteral("打印成绩报表操作"), choiceFrame), "Label1");
    QFont bold = stepsHeading->font();
    bold.setBold(true);
    stepsHeading->setFont(bold);
    stepsHeading->setAlignment(Qt::AlignCenter);
    previewButton = named(new QPushButton(QStringLiteral("打印预览"), choiceFrame), "Command1");
    previewButton->setEnabled(false);
    showButton = named(new QPushButton(QStringLiteral("显示报表"), choiceFrame), "Command11");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), choiceFrame), "Command7");
    const ReportSteps steps = buildReportSteps(
        choiceFrame,
        {QStringLiteral("②选择需要报表的班级:"),
         QStringLiteral("　　在同一年级组中，考试科目与试题可能不同( 如高中有文科与理班),"
                        "所以需要选出可比较班级，才能得出正确结果。"),
         QStringLiteral("③选择报表的考试名称:"), QStringLiteral("(打印0个考试科目)")},
        stepsHeading, {previewButton, showButton, closeButton});
    captionLabels = steps.captionLabels;
    groupTree = steps.groupTree;
    classList = steps.classList;
    examCombo = steps.examCombo;
    subjectList = steps.subjectList;
    captionLabels[1]->setStyleSheet(QStringLiteral("color: #800000;"));

    titleLabel = named(new QLabel(QStringLiteral("打印成绩报表"), this), "Label4");
    titleLabel->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    titleLabel->setAlignment(Qt::AlignCenter);
    gridFrame = named(new QGroupBox(this), "Frame2");
    gridTitle = named(new QLabel(QStringLiteral("显示各科成绩报表内容"), gridFrame), "Label13");
    gridTitle->setFont(bold);
    gridTitle->setAlignment(Qt::AlignCenter);
    resultGrid = named(new FlexGrid(gridFrame), "Grid1");
    resultGrid->setFont(cjkFont(kReportGridFace, kReportGridPoints));
    m_fontSize = resultGrid->font().pointSizeF();
    m_gridLayout = new QVBoxLayout(gridFrame);
    m_gridLayout->addWidget(gridTitle);
    m_gridLayout->addWidget(resultGrid, 1);

    progressPanel = named(new QFrame(gridFrame), "Picture1");
    progressHeading = named(new QLabel(QStringLiteral("制表进程指示"), progressPanel), "Label2");
    progressLabel = named(new QLabel(QStringLiteral("正在读入各科成绩……"), progressPanel), "Label7");
    progressBar = named(new QProgressBar(progressPanel), "Bar2");
    auto *progress = new QVBoxLayout(progressPanel);
    progress->addWidget(progressHeading);
    progress->addWidget(progressLabel);
    progress->addWidget(progressBar);
    progressPanel->hide();
    m_gridLayout->addWidget(progressPanel);

    Preview = named(new PaperPreview(kScoreReportPage, QStringLiteral("成绩报表单预览图"), this), "Preview");

    // The banner under the steps and the grid.
    assembleReportView(this, choiceFrame, gridFrame, titleLabel, false, Preview);

    // The options panel floats over the preview: the frame of the settings, and
    // the note and the two buttons under it.
    optionsPanel = named(new QFrame(this), "Picture4");
    optionsPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    optionsPanel->setAutoFillBackground(true);
    auto *panel = new QGridLayout(optionsPanel);
    itemSettingsFrame = named(new QGroupBox(QStringLiteral("打印的项目设置"), optionsPanel), "Frame3");
    auto *settings = new QGridLayout(itemSettingsFrame);
    bySubjectOption = named(new QRadioButton(QStringLiteral("按科目顺序打印"), itemSettingsFrame), "Option2");
    byClassOption = named(new QRadioButton(QStringLiteral("按班级顺序打印"), itemSettingsFrame), "Option1");
    bySubjectOption->setChecked(true);
    settings->addWidget(bySubjectOption, 0, 0);
    settings->addWidget(byClassOption, 0, 1);
    for (int i = 0; i < kReportBoxes; ++i) {
        auto *box = new QCheckBox(reportBox(i).caption, itemSettingsFrame);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setChecked(true);
        fieldChecks << box;
        settings->addWidget(box, 1 + i % 5, i / 5);
        connect(box, &QCheckBox::clicked, this, [this, i] { fieldChecked(i); });
    }
    QGroupBox *zoom = addZoomOptions(itemSettingsFrame, zoomOptions, "Label27");
    settings->addWidget(zoom, 6, 0, 1, 2);
    panel->addWidget(itemSettingsFrame, 0, 0, 1, 2);
    auto *note = named(new QLabel(QStringLiteral("说明：你可以拖动表格边框，来改变       表格在纸上的打印位置位。"),
                                  optionsPanel),
                       "Label12");
    note->setWordWrap(true);
    applyOptionsButton = named(new QPushButton(QStringLiteral("确定"), optionsPanel), "Command8");
    cancelOptionsButton = named(new QPushButton(QStringLiteral("取消"), optionsPanel), "Command9");
    auto *panelButtons = new QHBoxLayout;
    panelButtons->addWidget(note, 1);
    panelButtons->addWidget(applyOptionsButton);
    panelButtons->addWidget(cancelOptionsButton);
    panel->addLayout(panelButtons, 1, 0, 1, 2);
    optionsPanel->hide();

    connect(groupTree, &ClassTree::NodeClick, this, &ScoreReportWindow::groupNodeClicked);
    connect(examCombo, &QComboBox::activated, this, &ScoreReportWindow::examChosen);
    connect(subjectList, &QListWidget::itemChanged, this, &ScoreReportWindow::subjectClicked);
    connect(showButton, &QPushButton::clicked, this, &ScoreReportWindow::showClicked);
    connect(previewButton, &QPushButton::clicked, this, &ScoreReportWindow::previewClicked);
    connect(closeButton, &QPushButton::clicked, this, &ScoreReportWindow::closeClicked);
    connect(Preview->closeButton, &QPushButton::clicked, this, &ScoreReportWindow::closeClicked);
    connect(Preview->optionsButton, &QPushButton::clicked, this, &ScoreReportWindow::optionsClicked);
    connect(Preview->exportButton, &QPushButton::clicked, this, &ScoreReportWindow::exportClicked);
    connect(Preview, &PaperPreview::closed, this, &ScoreReportWindow::closePreview);
    connect(applyOptionsButton, &QPushButton::clicked, this, &ScoreReportWindow::applyOptionsClicked);
    connect(cancelOptionsButton, &QPushButton::clicked, this, &ScoreReportWindow::cancelOptionsClicked);
}

QSize ScoreReportWindow::sizeHint() const
{
    return {1000, 700};
}

void ScoreReportWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_zoomFactor = QStringLiteral("1");
    groupTree->BuildClassTree(connection());
    setUpGrid();
}

void ScoreReportWindow::setUpGrid()
{
    resultGrid->clearMerges();
    resultGrid->setRows(2);
    resultGrid->setFixedRows(1);
    resultGrid->setFixedCols(1);
    resultGrid->clearTexts();
    resultGrid->setFormatString(scoreReportHeader());
    resultGrid->setRowHeight(0, grades::kStatisticsHeaderHeight);
    for (int c : {grades::kStatSubject, grades::kStatClass, grades::kStatTeacher})
        resultGrid->mergeCol(c);
    m_rows = {gridRowTexts(0)};
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        resultGrid->setTextMatrix(0, c, wrappableHeader(m_rows[0].value(c)));
    m_widths.fill(0, grades::kStatisticsCols);
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        setColumnWidth(c, grades::kStatisticsColWidths[size_t(c)]);
}

QStringList ScoreReportWindow::gridRowTexts(int row) const
{
    QStringList texts;
    for (int c = 0; c < resultGrid->Cols(); ++c)
        texts << resultGrid->TextMatrix(row, c);
    return texts;
}

void ScoreReportWindow::setColumnWidth(int col, int twips)
{
    if (col < 0 || col >= m_widths.size())
        return;
    m_widths[col] = twips;
    // The designed widths are for a narrower font: a shown column is at least as wide
    // as its header needs within the header row.
    resultGrid->setColWidth(col, twips > 0 ? grades::fittedHeaderWidth(resultGrid->font(), resultGrid->TextMatrix(0, col), twips) : 0);
}

void ScoreReportWindow::fitTexts()
{
    // The figures show whole. The names too: their columns are widened as far as
    // the table still fits on the page, and a name still wider than its cell is
    // set in a narrower font of its own (fittedFont).
    const int last = resultGrid->Rows() - 1;
    resultGrid->widenColumnsToText(grades::kStatStudents, grades::kStatisticsCols - 1, 1, last);
    // In pixels, as the page draws the table inside its frame.
    const int table = twipsToPixels(kScoreReportPage.width) - 2 * resultGrid->frameWidth();
    int shown = 0;
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        shown += resultGrid->columnWidth(c);
    for (int c : {grades::kStatSubject, grades::kStatClass, grades::kStatTeacher}) {
        const int before = resultGrid->columnWidth(c);
        if (before == 0)
            continue;
        resultGrid->widenColumnsToText(c, c, 1, last);
        const int wider = std::min(resultGrid->columnWidth(c) - before, std::max(0, table - shown));
        resultGrid->setColWidth(c, pixelsToTwips(before + wider));
        shown += wider;
    }
    QAbstractItemModel *cells = resultGrid->model();
    const QFont gridFont = resultGrid->font();
    for (int c : {grades::kStatSubject, grades::kStatClass, grades::kStatTeacher}) {
        const int room = resultGrid->textRoom(c);
        // A column's texts repeat (a subject's, a class's, a teacher's rows): each
        // is measured once.
        QHash<QString, QVariant> fonts;
        for (int r = 1; r <= last; ++r) {
            const QString text = resultGrid->TextMatrix(r, c);
            auto own = fonts.constFind(text);
            if (own == fonts.cend()) {
                const QFont font = fittedFont(gridFont, text, room);
                own = fonts.insert(text, font == gridFont ? QVariant() : QVariant(font));
            }
            if (cells->index(r, c).data(Qt::FontRole) != *own)
                cells->setData(cells->index(r, c), *own, Qt::FontRole);
        }
    }
}

void ScoreReportWindow::groupNodeClicked(QTreeWidgetItem *node)
{
    if (!node)
        return;
    // A class node stands for its grade group: the report covers the group's classes.
    QTreeWidgetItem *root = node->parent() ? node->parent() : node;
    m_nodeKey = ClassTree::keyOf(node);
    m_gradeGroup = root->text(0);

    titleLabel->setText(QStringLiteral("打印") + m_nodeKey + QStringLiteral("成绩报表"));
    captionLabels[0]->setText(QStringLiteral("②选择(") + m_nodeKey.left(4) + QStringLiteral(")可比较的班级"));
    gridTitle->setText(m_nodeKey + QStringLiteral("各科成绩报表"));
    m_listing = true;
    subjectList->clear();
    examCombo->clear();
    classList->clear();
    m_subjectColumns.clear();
    m_listing = false;

    // The classes of this very grade group, in 教导处 order.
    for (int i = 0; i < root->childCount(); ++i) {
        const std::optional<ClassNode> c = groupTree->SelectClassNode(root->child(i));
        if (c)
            addTicked(classList, c->className + QLatin1Char(' ') + c->actualName);
    }

    m_sectionTable = school::sectionTableOf(m_gradeGroup);
    const int grade = school::gradeOf(m_gradeGroup);
    m_cohortYear = grade > 0 ? school::cohortYear(grade, session().today()) : 0;

    resultGrid->setRows(1);
    resultGrid->setRows(2);
    m_rows = {m_rows.value(0)};
    previewButton->setEnabled(false);

    // The section table's exams, also for a cohort without students.
    m_columns.clear();
    if (!m_sectionTable.isEmpty()) {
        db::Connection &c = connection();
        if (c.ok())
            m_columns = db::tableColumns(c, m_sectionTable);
        else
            reportReadFailure(this, c.error());
    }
    examCombo->addItems(school::ListExamNames(m_columns));
    examCombo->setCurrentIndex(-1);

    for (int i = 0; i <= 5; ++i) {
        if (!fieldChecks[i]->isChecked()) {
            fieldChecks[i]->setChecked(true);
            fieldChecked(i);
        }
    }
}

void ScoreReportWindow::examChosen()
{
    if (examCombo->currentIndex() < 0)
        return;
    m_listing = true;
    subjectList->clear();
    m_subjectColumns.clear();
    for (const school::ExamSubject &s : school::examSubjects(m_columns, examCombo->currentText())) {
        m_subjectColumns << s.column;
        addTicked(subjectList, s.subject);
    }
    m_listing = false;
    gridTitle->setText(m_nodeKey + examCombo->currentText() + QStringLiteral("报表"));
    captionLabels[5]->setText(kAllSubjects);
}

void ScoreReportWindow::subjectClicked()
{
    if (m_listing)
        return;
    captionLabels[5]->setText(QStringLiteral("(打印%1科)").arg(tickedTexts(subjectList).size()));
}

void ScoreReportWindow::showClicked()
{
    const QStringList classItems = tickedTexts(classList);
    grades::StatisticsRequest request;
    for (int i = 0; i < subjectList->count() && i < m_subjectColumns.size(); ++i)
        if (isTicked(subjectList->item(i)))
            request.subjects.append({subjectList->item(i)->text(), m_subjectColumns[i]});
    const QString missing = grades::missingChoice(examCombo->currentIndex() >= 0 && !examCombo->currentText().isEmpty(),
                                                  int(request.subjects.size()), int(classItems.size()),
                                                  kNoReportClass);
    if (!missing.isEmpty()) {
        showNotice(this, missing, kTitleHintDots);
        return;
    }
    // Teachers are matched on the grade group, also when a class node is chosen.
    request.gradeGroup = m_gradeGroup;
    request.sectionTable = m_sectionTable;
    request.cohortYear = m_cohortYear;
    for (const QString &item : classItems)
        request.classes.append(grades::classNameOfItem(item));

    progressPanel->setUpdatesEnabled(false);   // a bar's value alone would repaint it at once
    progressPanel->show();
    progressBar->setMaximum(int(request.subjects.size()));
    progressBar->setValue(0);
    progressPanel->setUpdatesEnabled(true);
    resultGrid->setRows(1);

    // The panel follows the subjects, drawn at most once a frame: not at all for a
    // report shorter than one.
    FramePacer pacer;
    const grades::StatisticsFill fill =
        grades::fillStatistics(connection(), request, [&](int s, const QString &subject) {
            if (!pacer.due())
                return;
            progressPanel->setUpdatesEnabled(false);
            progressLabel->setText(grades::statisticsProgressText(subject));
            progressBar->setValue(s + 1);
            progressPanel->setUpdatesEnabled(true);
            progressPanel->repaint();
        });
    progressPanel->hide();
    if (fill.error.isSet()) {
        resultGrid->setRows(2);
        m_rows = {m_rows.value(0)};
        reportReadFailure(this, fill.error);
        return;
    }

    QList<QStringList> rows{m_rows.value(0)};
    for (const std::optional<grades::ClassStatisticsRow> &row : fill.rows)
        rows << (row ? grades::statisticsRowTexts(*row) : blankRow());
    m_rows = rows;
    showRows();
    previewButton->setEnabled(true);
    if (fill.anyEmptyRow)
        showNotice(this, grades::kEmptyRowsNote, grades::kEmptyRowsTitle);
}

void ScoreReportWindow::showRows()
{
    resultGrid->setUpdatesEnabled(false);
    resultGrid->setRows(int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r)
        for (int c = 0; c < grades::kStatisticsCols; ++c)
            resultGrid->setTextMatrix(r, c, r == 0 ? wrappableHeader(m_rows[r].value(c)) : m_rows[r].value(c));
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        setColumnWidth(c, m_widths[c]);
    fitTexts();
    resultGrid->setUpdatesEnabled(true);
}

void ScoreReportWindow::fieldChecked(int index)
{
    if (index < 0 || index >= fieldChecks.size())
        return;
    const ReportBox box = reportBox(index);
    const bool ticked = fieldChecks[index]->isChecked();
    for (int i = 0; i < box.columns.size(); ++i)
        setColumnWidth(box.columns[i], ticked ? box.widths[i] : 0);
}

void ScoreReportWindow::previewClicked()
{
    const QString title = examCombo->currentText().isEmpty()
        ? QString()
        : QStringLiteral("    ") + gridTitle->text() + QStringLiteral("    ");
    Preview->OpenPaperPreview(resultGrid, title, session().today());
}

void ScoreReportWindow::optionsClicked()
{
    showOptionsPanel(optionsPanel);
    Preview->toolbarPanel->setEnabled(false);
}

void ScoreReportWindow::applyOptionsClicked()
{
    optionsPanel->hide();
    Preview->toolbarPanel->setEnabled(true);
    Preview->showFirstPageLabel();

    // The zoom: the font width, and every width times the step (hidden columns stay hidden).
    const int chosen = chosenZoom(zoomOptions);
    applyZoomFont(resultGrid, m_fontSize, chosen);
    const ZoomStep step = zoomStep(m_zoomFactor, Zoom(chosen));
    m_zoomFactor = step.scale;
    resultGrid->setUpdatesEnabled(false);
    for (int c = 0; c < m_widths.size(); ++c)
        setColumnWidth(c, scaledWidth(m_widths[c], step.factor));
    fitTexts();
    resultGrid->setUpdatesEnabled(true);

    // The order, counted from the report itself.
    const ReportOrder order = byClassOption->isChecked() ? ReportOrder::ByClass : ReportOrder::BySubject;
    if (reportOrderOf(m_rows) != order) {
        m_rows = arrangeReport(m_rows, order);
        showRows();
    }
}

void ScoreReportWindow::cancelOptionsClicked()
{
    optionsPanel->hide();
    Preview->toolbarPanel->setEnabled(true);
}

void ScoreReportWindow::closePreview()
{
    m_gridLayout->insertWidget(1, resultGrid, 1);
    resultGrid->show();
    bySubjectOption->setChecked(true);
    applyOptionsClicked();
}

void ScoreReportWindow::exportClicked()
{
    grades::GridView view;
    for (int r = 0; r < m_rows.size() && r < resultGrid->Rows(); ++r) {
        view.cells.append(m_rows[r]);
        view.rowShown.append(resultGrid->RowHeight(r) > 0);
    }
    for (int c = 0; c < m_widths.size(); ++c)
        view.columnShown.append(m_widths[c] > 0);
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    grades::writeStatisticsSheet(book, Preview->titleBox->text(), view,
                                 {QStringLiteral("成绩报表")});
    handOverWorkbook(book, this);
}

void ScoreReportWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
