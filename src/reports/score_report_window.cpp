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

    Frame1 = named(new QGroupBox(this), "Frame1");
    Label1 = named(new QLabel(QStringLiteral("打印成绩报表操作"), Frame1), "Label1");
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    Command1 = named(new QPushButton(QStringLiteral("打印预览"), Frame1), "Command1");
    Command1->setEnabled(false);
    Command11 = named(new QPushButton(QStringLiteral("显示报表"), Frame1), "Command11");
    Command7 = named(new QPushButton(QStringLiteral("关闭(&C)"), Frame1), "Command7");
    const ReportSteps steps = buildReportSteps(
        Frame1,
        {QStringLiteral("②选择需要报表的班级:"),
         QStringLiteral("　　在同一年级组中，考试科目与试题可能不同( 如高中有文科与理班),"
                        "所以需要选出可比较班级，才能得出正确结果。"),
         QStringLiteral("③选择报表的考试名称:"), QStringLiteral("(打印0个考试科目)")},
        Label1, {Command1, Command11, Command7});
    lblLabels = steps.lblLabels;
    TreeView1 = steps.TreeView1;
    List2 = steps.List2;
    Combo1 = steps.Combo1;
    List1 = steps.List1;
    lblLabels[1]->setStyleSheet(QStringLiteral("color: #800000;"));

    Label4 = named(new QLabel(QStringLiteral("打印成绩报表"), this), "Label4");
    Label4->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    Label4->setAlignment(Qt::AlignCenter);
    Frame2 = named(new QGroupBox(this), "Frame2");
    Label13 = named(new QLabel(QStringLiteral("显示各科成绩报表内容"), Frame2), "Label13");
    Label13->setFont(bold);
    Label13->setAlignment(Qt::AlignCenter);
    Grid1 = named(new FlexGrid(Frame2), "Grid1");
    Grid1->setFont(cjkFont(kReportGridFace, kReportGridPoints));
    m_fontSize = Grid1->font().pointSizeF();
    m_gridLayout = new QVBoxLayout(Frame2);
    m_gridLayout->addWidget(Label13);
    m_gridLayout->addWidget(Grid1, 1);

    Picture1 = named(new QFrame(Frame2), "Picture1");
    Label2 = named(new QLabel(QStringLiteral("制表进程指示"), Picture1), "Label2");
    Label7 = named(new QLabel(QStringLiteral("正在读入各科成绩……"), Picture1), "Label7");
    Bar2 = named(new QProgressBar(Picture1), "Bar2");
    auto *progress = new QVBoxLayout(Picture1);
    progress->addWidget(Label2);
    progress->addWidget(Label7);
    progress->addWidget(Bar2);
    Picture1->hide();
    m_gridLayout->addWidget(Picture1);

    Preview = named(new PaperPreview(kScoreReportPage, QStringLiteral("成绩报表单预览图"), this), "Preview");

    // The banner under the steps and the grid.
    assembleReportView(this, Frame1, Frame2, Label4, false, Preview);

    // The options panel floats over the preview: the frame of the settings, and
    // the note and the two buttons under it.
    Picture4 = named(new QFrame(this), "Picture4");
    Picture4->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Picture4->setAutoFillBackground(true);
    auto *panel = new QGridLayout(Picture4);
    Frame3 = named(new QGroupBox(QStringLiteral("打印的项目设置"), Picture4), "Frame3");
    auto *settings = new QGridLayout(Frame3);
    Option2 = named(new QRadioButton(QStringLiteral("按科目顺序打印"), Frame3), "Option2");
    Option1 = named(new QRadioButton(QStringLiteral("按班级顺序打印"), Frame3), "Option1");
    Option2->setChecked(true);
    settings->addWidget(Option2, 0, 0);
    settings->addWidget(Option1, 0, 1);
    for (int i = 0; i < kReportBoxes; ++i) {
        auto *box = new QCheckBox(reportBox(i).caption, Frame3);
        box->setObjectName(QStringLiteral("Check1_%1").arg(i));
        box->setChecked(true);
        Check1 << box;
        settings->addWidget(box, 1 + i % 5, i / 5);
        connect(box, &QCheckBox::clicked, this, [this, i] { Check1_Click(i); });
    }
    QGroupBox *zoom = addZoomOptions(Frame3, Option7, "Label27");
    settings->addWidget(zoom, 6, 0, 1, 2);
    panel->addWidget(Frame3, 0, 0, 1, 2);
    auto *note = named(new QLabel(QStringLiteral("说明：你可以拖动表格边框，来改变       表格在纸上的打印位置位。"),
                                  Picture4),
                       "Label12");
    note->setWordWrap(true);
    Command8 = named(new QPushButton(QStringLiteral("确定"), Picture4), "Command8");
    Command9 = named(new QPushButton(QStringLiteral("取消"), Picture4), "Command9");
    auto *panelButtons = new QHBoxLayout;
    panelButtons->addWidget(note, 1);
    panelButtons->addWidget(Command8);
    panelButtons->addWidget(Command9);
    panel->addLayout(panelButtons, 1, 0, 1, 2);
    Picture4->hide();

    connect(TreeView1, &ClassTree::NodeClick, this, &ScoreReportWindow::TreeView1_NodeClick);
    connect(Combo1, &QComboBox::activated, this, &ScoreReportWindow::Combo1_Click);
    connect(List1, &QListWidget::itemChanged, this, &ScoreReportWindow::List1_Click);
    connect(Command11, &QPushButton::clicked, this, &ScoreReportWindow::Command11_Click);
    connect(Command1, &QPushButton::clicked, this, &ScoreReportWindow::Command1_Click);
    connect(Command7, &QPushButton::clicked, this, &ScoreReportWindow::Command7_Click);
    connect(Preview->Command7, &QPushButton::clicked, this, &ScoreReportWindow::Command7_Click);
    connect(Preview->Command6, &QPushButton::clicked, this, &ScoreReportWindow::Command6_Click);
    connect(Preview->Command2, &QPushButton::clicked, this, &ScoreReportWindow::Command2_Click);
    connect(Preview, &PaperPreview::closed, this, &ScoreReportWindow::closePreview);
    connect(Command8, &QPushButton::clicked, this, &ScoreReportWindow::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &ScoreReportWindow::Command9_Click);
}

QSize ScoreReportWindow::sizeHint() const
{
    return {1000, 700};
}

void ScoreReportWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_zoomFactor = QStringLiteral("1");
    TreeView1->BuildClassTree(connection());
    setUpGrid();
}

void ScoreReportWindow::setUpGrid()
{
    Grid1->clearMerges();
    Grid1->setRows(2);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(1);
    Grid1->clearTexts();
    Grid1->setFormatString(scoreReportHeader());
    Grid1->setRowHeight(0, grades::kStatisticsHeaderHeight);
    for (int c : {grades::kStatSubject, grades::kStatClass, grades::kStatTeacher})
        Grid1->mergeCol(c);
    m_rows = {gridRowTexts(0)};
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        Grid1->setTextMatrix(0, c, wrappableHeader(m_rows[0].value(c)));
    m_widths.fill(0, grades::kStatisticsCols);
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        setColumnWidth(c, grades::kStatisticsColWidths[size_t(c)]);
}

QStringList ScoreReportWindow::gridRowTexts(int row) const
{
    QStringList texts;
    for (int c = 0; c < Grid1->Cols(); ++c)
        texts << Grid1->TextMatrix(row, c);
    return texts;
}

void ScoreReportWindow::setColumnWidth(int col, int twips)
{
    if (col < 0 || col >= m_widths.size())
        return;
    m_widths[col] = twips;
    // The designed widths are for a narrower font: a shown column is at least as wide
    // as its header needs within the header row.
    Grid1->setColWidth(col, twips > 0 ? grades::fittedHeaderWidth(Grid1->font(), Grid1->TextMatrix(0, col), twips) : 0);
}

void ScoreReportWindow::fitTexts()
{
    // The figures show whole. The names too: their columns are widened as far as
    // the table still fits on the page, and a name still wider than its cell is
    // set in a narrower font of its own (fittedFont).
    const int last = Grid1->Rows() - 1;
    Grid1->widenColumnsToText(grades::kStatStudents, grades::kStatisticsCols - 1, 1, last);
    // In pixels, as the page draws the table inside its frame.
    const int table = twipsToPixels(kScoreReportPage.width) - 2 * Grid1->frameWidth();
    int shown = 0;
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        shown += Grid1->columnWidth(c);
    for (int c : {grades::kStatSubject, grades::kStatClass, grades::kStatTeacher}) {
        const int before = Grid1->columnWidth(c);
        if (before == 0)
            continue;
        Grid1->widenColumnsToText(c, c, 1, last);
        const int wider = std::min(Grid1->columnWidth(c) - before, std::max(0, table - shown));
        Grid1->setColWidth(c, pixelsToTwips(before + wider));
        shown += wider;
    }
    QAbstractItemModel *cells = Grid1->model();
    for (int c : {grades::kStatSubject, grades::kStatClass, grades::kStatTeacher}) {
        const int room = Grid1->textRoom(c);
        for (int r = 1; r <= last; ++r) {
            const QFont font = fittedFont(Grid1->font(), Grid1->TextMatrix(r, c), room);
            const QVariant own = font == Grid1->font() ? QVariant() : QVariant(font);
            if (cells->index(r, c).data(Qt::FontRole) != own)
                cells->setData(cells->index(r, c), own, Qt::FontRole);
        }
    }
}

void ScoreReportWindow::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (!node)
        return;
    // A class node stands for its grade group: the report covers the group's classes.
    QTreeWidgetItem *root = node->parent() ? node->parent() : node;
    m_nodeKey = ClassTree::keyOf(node);
    m_gradeGroup = root->text(0);

    Label4->setText(QStringLiteral("打印") + m_nodeKey + QStringLiteral("成绩报表"));
    lblLabels[0]->setText(QStringLiteral("②选择(") + m_nodeKey.left(4) + QStringLiteral(")可比较的班级"));
    Label13->setText(m_nodeKey + QStringLiteral("各科成绩报表"));
    m_listing = true;
    List1->clear();
    Combo1->clear();
    List2->clear();
    m_subjectColumns.clear();
    m_listing = false;

    // The classes of this very grade group, in 教导处 order.
    for (int i = 0; i < root->childCount(); ++i) {
        const std::optional<ClassNode> c = TreeView1->SelectClassNode(root->child(i));
        if (c)
            addTicked(List2, c->className + QLatin1Char(' ') + c->actualName);
    }

    m_sectionTable = reg::sectionTableOf(m_gradeGroup);
    const int grade = reg::gradeOf(m_gradeGroup);
    m_cohortYear = grade > 0 ? reg::cohortYear(grade, session().today()) : 0;

    Grid1->setRows(1);
    Grid1->setRows(2);
    m_rows = {m_rows.value(0)};
    Command1->setEnabled(false);

    // The section table's exams, also for a cohort without students.
    m_columns.clear();
    if (!m_sectionTable.isEmpty()) {
        db::Connection &c = connection();
        if (c.ok())
            m_columns = db::tableColumns(c, m_sectionTable);
        else
            reportReadFailure(this, c.error());
    }
    Combo1->addItems(score::ListExamNames(m_columns));
    Combo1->setCurrentIndex(-1);

    for (int i = 0; i <= 5; ++i) {
        if (!Check1[i]->isChecked()) {
            Check1[i]->setChecked(true);
            Check1_Click(i);
        }
    }
}

void ScoreReportWindow::Combo1_Click()
{
    if (Combo1->currentIndex() < 0)
        return;
    m_listing = true;
    List1->clear();
    m_subjectColumns.clear();
    for (const grades::ExamSubject &s : grades::examSubjects(m_columns, Combo1->currentText())) {
        m_subjectColumns << s.column;
        addTicked(List1, s.subject);
    }
    m_listing = false;
    Label13->setText(m_nodeKey + Combo1->currentText() + QStringLiteral("报表"));
    lblLabels[5]->setText(kAllSubjects);
}

void ScoreReportWindow::List1_Click()
{
    if (m_listing)
        return;
    lblLabels[5]->setText(QStringLiteral("(打印%1科)").arg(tickedTexts(List1).size()));
}

void ScoreReportWindow::Command11_Click()
{
    const QStringList classItems = tickedTexts(List2);
    grades::StatisticsRequest request;
    for (int i = 0; i < List1->count() && i < m_subjectColumns.size(); ++i)
        if (isTicked(List1->item(i)))
            request.subjects.append({List1->item(i)->text(), m_subjectColumns[i]});
    const QString missing = grades::missingChoice(Combo1->currentIndex() >= 0 && !Combo1->currentText().isEmpty(),
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

    Picture1->setUpdatesEnabled(false);   // a bar's value alone would repaint it at once
    Picture1->show();
    Bar2->setMaximum(int(request.subjects.size()));
    Bar2->setValue(0);
    Picture1->setUpdatesEnabled(true);
    Grid1->setRows(1);

    // The panel follows the subjects, drawn at most once a frame: not at all for a
    // report shorter than one.
    FramePacer pacer;
    const grades::StatisticsFill fill =
        grades::fillStatistics(connection(), request, [&](int s, const QString &subject) {
            if (!pacer.due())
                return;
            Picture1->setUpdatesEnabled(false);
            Label7->setText(grades::statisticsProgressText(subject));
            Bar2->setValue(s + 1);
            Picture1->setUpdatesEnabled(true);
            Picture1->repaint();
        });
    Picture1->hide();
    if (fill.error.isSet()) {
        Grid1->setRows(2);
        m_rows = {m_rows.value(0)};
        reportReadFailure(this, fill.error);
        return;
    }

    QList<QStringList> rows{m_rows.value(0)};
    for (const std::optional<grades::ClassStatisticsRow> &row : fill.rows)
        rows << (row ? grades::statisticsRowTexts(*row) : blankRow());
    m_rows = rows;
    showRows();
    Command1->setEnabled(true);
    if (fill.anyEmptyRow)
        showNotice(this, grades::kEmptyRowsNote, grades::kEmptyRowsTitle);
}

void ScoreReportWindow::showRows()
{
    Grid1->setUpdatesEnabled(false);
    Grid1->setRows(int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r)
        for (int c = 0; c < grades::kStatisticsCols; ++c)
            Grid1->setTextMatrix(r, c, r == 0 ? wrappableHeader(m_rows[r].value(c)) : m_rows[r].value(c));
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        setColumnWidth(c, m_widths[c]);
    fitTexts();
    Grid1->setUpdatesEnabled(true);
}

void ScoreReportWindow::Check1_Click(int index)
{
    if (index < 0 || index >= Check1.size())
        return;
    const ReportBox box = reportBox(index);
    const bool ticked = Check1[index]->isChecked();
    for (int i = 0; i < box.columns.size(); ++i)
        setColumnWidth(box.columns[i], ticked ? box.widths[i] : 0);
}

void ScoreReportWindow::Command1_Click()
{
    const QString title = Combo1->currentText().isEmpty()
        ? QString()
        : QStringLiteral("    ") + Label13->text() + QStringLiteral("    ");
    Preview->OpenPaperPreview(Grid1, title, session().today());
}

void ScoreReportWindow::Command6_Click()
{
    showOptionsPanel(Picture4);
    Preview->Picture2->setEnabled(false);
}

void ScoreReportWindow::Command8_Click()
{
    Picture4->hide();
    Preview->Picture2->setEnabled(true);
    Preview->showFirstPageLabel();

    // The zoom: the font width, and every width times the step (hidden columns stay hidden).
    const int chosen = chosenZoom(Option7);
    applyZoomFont(Grid1, m_fontSize, chosen);
    const ZoomStep step = zoomStep(m_zoomFactor, Zoom(chosen));
    m_zoomFactor = step.scale;
    Grid1->setUpdatesEnabled(false);
    for (int c = 0; c < m_widths.size(); ++c)
        setColumnWidth(c, scaledWidth(m_widths[c], step.factor));
    fitTexts();
    Grid1->setUpdatesEnabled(true);

    // The order, counted from the report itself.
    const ReportOrder order = Option1->isChecked() ? ReportOrder::ByClass : ReportOrder::BySubject;
    if (reportOrderOf(m_rows) != order) {
        m_rows = arrangeReport(m_rows, order);
        showRows();
    }
}

void ScoreReportWindow::Command9_Click()
{
    Picture4->hide();
    Preview->Picture2->setEnabled(true);
}

void ScoreReportWindow::closePreview()
{
    m_gridLayout->insertWidget(1, Grid1, 1);
    Grid1->show();
    Option2->setChecked(true);
    Command8_Click();
}

void ScoreReportWindow::Command2_Click()
{
    grades::GridView view;
    for (int r = 0; r < m_rows.size() && r < Grid1->Rows(); ++r) {
        view.cells.append(m_rows[r]);
        view.rowShown.append(Grid1->RowHeight(r) > 0);
    }
    for (int c = 0; c < m_widths.size(); ++c)
        view.columnShown.append(m_widths[c] > 0);
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    grades::writeStatisticsSheet(book, Preview->Text1->text(), view,
                                 {QStringLiteral("成绩报表"), /*wrapHeader=*/true});
    handOverWorkbook(book, this);
}

void ScoreReportWindow::Command7_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
