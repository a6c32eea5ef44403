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

    connect(TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *node) { TreeView1_NodeClick(node); });
    connect(Combo1, &QComboBox::activated, this, &ComparisonWindow::Combo1_Click);
    connect(List1, &QListWidget::itemSelectionChanged, this, &ComparisonWindow::List1_Click);
    connect(List2, &QListWidget::itemSelectionChanged, this, &ComparisonWindow::List2_Click);
    connect(Command11, &QPushButton::clicked, this, &ComparisonWindow::FillStatisticsGrid);
    connect(Command1, &QPushButton::clicked, this, &ComparisonWindow::DrawClassComparison);
    connect(Command2, &QPushButton::clicked, this, &ComparisonWindow::ExportGridToExcel);
    connect(Command3, &QPushButton::clicked, this, &ComparisonWindow::Command3_Click);
    connect(Command7, &QPushButton::clicked, this, &ComparisonWindow::Command7_Click);
    for (int i = 0; i < int(Option3.size()); ++i) {
        connect(Option3[size_t(i)], &QRadioButton::clicked, this, [this, i] { Option3_Click(i); });
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
    Frame1 = named(new QGroupBox(this), "Frame1");
    placeTwips(Frame1, 60, 0, kPanelWidth, kWindowHeight - 60);
    auto *panel = new QVBoxLayout(Frame1);
    panel->setContentsMargins(6, 4, 6, 6);
    panel->setSpacing(2);
    auto caption = [this](int index, const QString &text, QWidget *parent) {
        QLabel *l = named(new QLabel(text, parent), "lblLabels");
        lblLabels[size_t(index)] = l;
        return l;
    };
    Label1 = named(new QLabel(QStringLiteral("年级组成绩分析操作"), Frame1), "Label1");
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setAlignment(Qt::AlignCenter);
    panel->addWidget(Label1);
    panel->addWidget(caption(11, QStringLiteral("①选择年级组或班级:"), Frame1));
    TreeView1 = named(new QTreeWidget(Frame1), "TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    panel->addWidget(TreeView1, 3);
    panel->addWidget(caption(0, QStringLiteral("②选择需要报表的班级:"), Frame1));
    List2 = named(new QListWidget(Frame1), "List2");
    List2->setSelectionMode(QAbstractItemView::MultiSelection);
    panel->addWidget(List2, 3);
    QLabel *note = caption(1,
                           QStringLiteral("　　在同一年级组中，考试科目与试题可能不同( 如高中有文科与理班),"
                                          "所以需要选出可比较班级，才能得出正确结果。"),
                           Frame1);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #800000;"));
    panel->addWidget(note);
    panel->addWidget(caption(2, QStringLiteral("③选择报表的考试名称:"), Frame1));
    Combo1 = named(new QComboBox(Frame1), "Combo1");
    panel->addWidget(Combo1);
    auto *subjectsRow = new QHBoxLayout;
    subjectsRow->addWidget(caption(6, QStringLiteral("④选择科目:"), Frame1));
    subjectsRow->addStretch();
    subjectsRow->addWidget(caption(5, QStringLiteral("(分析0个考试科目)"), Frame1));
    panel->addLayout(subjectsRow);
    List1 = named(new QListWidget(Frame1), "List1");
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    panel->addWidget(List1, 3);
    auto *buttons = new QHBoxLayout;
    Command11 = named(new QPushButton(QStringLiteral("导入数据"), Frame1), "Command11");
    Command1 = named(new QPushButton(QStringLiteral("进行分析"), Frame1), "Command1");
    Command7 = named(new QPushButton(QStringLiteral("关闭(&C)"), Frame1), "Command7");
    for (QPushButton *b : {Command11, Command1, Command7})
        buttons->addWidget(b);
    panel->addLayout(buttons);

    // Grid panel.
    Frame2 = named(new QGroupBox(this), "Frame2");
    const int gridLeft = 60 + kPanelWidth + 60;
    placeTwips(Frame2, gridLeft, 0, kWindowWidth - gridLeft - 60, kWindowHeight - 60);
    auto *gridPanel = new QVBoxLayout(Frame2);
    gridPanel->setContentsMargins(6, 4, 6, 6);
    Label13 = named(new QLabel(QStringLiteral("显示各科报表成绩内容"), Frame2), "Label13");
    Label13->setFont(bold);
    Label13->setAlignment(Qt::AlignCenter);
    gridPanel->addWidget(Label13);
    Grid1 = named(new FlexGrid(Frame2), "Grid1");
    Grid1->setRows(2);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(1);
    Grid1->setFormatString(grades::kStatisticsHeader);
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        Grid1->setColWidth(c, grades::kStatisticsColWidths[size_t(c)]);
    Grid1->setRowHeight(0, grades::kStatisticsHeaderHeight);
    Grid1->mergeCol(grades::kStatSubject);
    fitHeaders();
    gridPanel->addWidget(Grid1, 1);

    // Progress panel, over the grid while a fill runs.
    Picture1 = named(new QFrame(this), "Picture1");
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setAutoFillBackground(true);
    placeTwips(Picture1, gridLeft + 1500, 2800, 5000, 1200);
    auto *progress = new QVBoxLayout(Picture1);
    Label2 = named(new QLabel(QStringLiteral("制表进程指示"), Picture1), "Label2");
    Bar2 = named(new QProgressBar(Picture1), "Bar2");
    Label7 = named(new QLabel(QStringLiteral("正在读入各科成绩……"), Picture1), "Label7");
    for (QWidget *w : {static_cast<QWidget *>(Label2), static_cast<QWidget *>(Bar2), static_cast<QWidget *>(Label7)})
        progress->addWidget(w);
    Picture1->hide();

}

// Widens the designed columns where the program's font needs it: each header
// within the header row's lines.
void ComparisonWindow::fitHeaders()
{
    for (int c = 0; c < grades::kStatisticsCols; ++c)
        Grid1->setColWidth(c, grades::fittedHeaderWidth(Grid1->font(), Grid1->TextMatrix(0, c), Grid1->ColWidth(c)));
}

void ComparisonWindow::buildSheet()
{
    sheetArea = new QScrollArea(this);
    sheetArea->setObjectName(QStringLiteral("sheetArea"));
    sheetArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    sheetArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    placeTwips(sheetArea, 50, 50, kWindowWidth - 100, kSheetViewHeight);
    VScroll1 = sheetArea->verticalScrollBar();
    VScroll1->setObjectName(QStringLiteral("VScroll1"));

    Picture3 = named(new QWidget, "Picture3");
    Picture3->setAutoFillBackground(true);
    QPalette white = Picture3->palette();
    white.setColor(QPalette::Window, Qt::white);
    Picture3->setPalette(white);
    Picture3->setFixedSize(twipsToPixels(kSheetWidth), twipsToPixels(kSheetHeight));
    sheetArea->setWidget(Picture3);

    Label4 = named(new QLabel(QStringLiteral("成绩报表单预览图"), Picture3), "Label4");
    placeTwips(Label4, 1560, 360, 8175, 375);
    Label4->setAlignment(Qt::AlignCenter);
    Text1 = named(new QLineEdit(Picture3), "Text1");
    placeTwips(Text1, 1560, 960, 8175, 375);
    Text1->setAlignment(Qt::AlignCenter);
    QFont titleFont = Text1->font();
    titleFont.setBold(true);
    Text1->setFont(titleFont);
    Text1->setFrame(false);
    Label10 = named(new QLabel(QStringLiteral("制图时间:"), Picture3), "Label10");
    placeTwips(Label10, 1080, 1320, 3000, 255);
    Label11 = named(new QLabel(QStringLiteral("第1页"), Picture3), "Label11");
    placeTwips(Label11, 9720, 1320, 900, 255);
    for (int d = 0; d < grades::kChartFrames; ++d) {
        auto *frame = new chart::ChartSurface(grades::designComparisonChart(d), Picture3);
        frame->setObjectName(QStringLiteral("Frame5"));
        frame->place();
        Frame5[size_t(d)] = frame;
    }

    Picture2 = named(new QFrame(this), "Picture2");
    Picture2->setFrameShape(QFrame::Panel);
    Picture2->setFrameShadow(QFrame::Raised);
    placeTwips(Picture2, 50, kStripTop, kWindowWidth - 100, kWindowHeight - kStripTop - 60);
    auto *strip = new QHBoxLayout(Picture2);
    const QStringList options{QStringLiteral("按学科成绩分析"), QStringLiteral("按任课教师分析成绩"),
                              QStringLiteral("按各班整体成绩分析")};
    for (int i = 0; i < int(Option3.size()); ++i) {
        Option3[size_t(i)] = named(new QRadioButton(options[i], Picture2), "Option3");
        strip->addWidget(Option3[size_t(i)]);
    }
    strip->addStretch();
    Command2 = named(new QPushButton(QStringLiteral("打印分析"), Picture2), "Command2");
    Command3 = named(new QPushButton(QStringLiteral("关闭分析"), Picture2), "Command3");
    strip->addWidget(Command2);
    strip->addWidget(Command3);

    showChartView(false);
}

// ---- Selection ---------------------------------------------------------------

void ComparisonWindow::Form_Load()
{
    MoveToTopLeft(this);
    Command1->setEnabled(false);
    // Classes belong to the grade group their 对应内容 names exactly; a repeated
    // class row counts once.
    const QList<GradeGroupNode> groups = ReadClassTree(connection(), this);
    QTreeWidgetItem *last = nullptr;
    for (const GradeGroupNode &group : groups) {
        last = new QTreeWidgetItem(TreeView1, {group.name});
        last->setIcon(0, ClassTree::image(QStringLiteral("BG")));
        for (const ClassNode &c : group.classes)
            m_classEntries.append({c.gradeGroup, c.className, c.actualName});
    }
    if (last)
        TreeView1->scrollToItem(last);
}

void ComparisonWindow::resetGrid()
{
    Grid1->setRows(1);
    Command1->setEnabled(false);
    Grid1->setRows(2);
}

void ComparisonWindow::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (!node)
        return;
    const QString key = node->text(0);
    Label4->setText(QStringLiteral("进行") + key + QStringLiteral("成绩分析"));
    lblLabels[0]->setText(QStringLiteral("②选择(") + key.left(4) + QStringLiteral(")可比较的班级"));
    Label13->setText(key + QStringLiteral("各科成绩分析"));
    {
        const QSignalBlocker b1(List1), b2(List2);
        List1->clear();
        Combo1->clear();
        List2->clear();
        for (const ClassEntry &c : m_classEntries) {
            if (c.gradeGroup != key)
                continue;
            auto *item = new QListWidgetItem(c.name + QLatin1Char(' ') + c.actualName, List2);
            item->setSelected(true);
        }
    }
    m_subjectColumns.clear();
    m_gradeGroup = key;
    m_sectionTable = reg::sectionTableOf(key);
    m_cohortYear = reg::cohortYear(reg::gradeOf(key), session().today());
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
    Combo1->addItems(score::ListExamNames(columns, score::kCanonicalNames));
    Combo1->setCurrentIndex(-1);
}

void ComparisonWindow::Combo1_Click()
{
    if (Combo1->currentIndex() < 0)
        return;
    Command1->setEnabled(false);
    QStringList columns;
    if (!m_sectionTable.isEmpty())
        columns = db::tableColumns(connection(), m_sectionTable);
    {
        const QSignalBlocker block(List1);
        List1->clear();
        m_subjectColumns.clear();
        for (const grades::ExamSubject &s : grades::examSubjects(columns, Combo1->currentText())) {
            m_subjectColumns.append(s.column);
            auto *item = new QListWidgetItem(s.subject, List1);
            item->setSelected(true);
        }
    }
    Label13->setText(m_gradeGroup + Combo1->currentText() + QStringLiteral("分析"));
    lblLabels[5]->setText(QStringLiteral("(分析全部科目)"));
}

void ComparisonWindow::List1_Click()
{
    Command1->setEnabled(false);
    lblLabels[5]->setText(QStringLiteral("(分析%1科)").arg(List1->selectedItems().size()));
}

void ComparisonWindow::List2_Click()
{
    Command1->setEnabled(false);
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
    const QStringList subjects = selectedTexts(List1);
    const QStringList classItems = selectedTexts(List2);
    const QString missing = grades::missingChoice(Combo1->currentIndex() >= 0 && !Combo1->currentText().isEmpty(),
                                                  int(subjects.size()), int(classItems.size()));
    if (!missing.isEmpty()) {
        showNotice(this, missing, kTitleHintDots);
        return;
    }

    grades::StatisticsRequest request;
    request.gradeGroup = m_gradeGroup;
    request.sectionTable = m_sectionTable;
    request.cohortYear = m_cohortYear;
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->isSelected())
            request.subjects.append({List1->item(i)->text(), m_subjectColumns.value(i)});
    }
    for (const QString &item : classItems)
        request.classes.append(grades::classNameOfItem(item));

    // The charts wait for this fill: a failed one leaves nothing to draw.
    Command1->setEnabled(false);
    Picture1->setUpdatesEnabled(false);   // a bar's value alone would repaint it at once
    Picture1->show();
    Picture1->raise();
    Bar2->setMaximum(int(subjects.size()));
    Bar2->setValue(0);
    Picture1->setUpdatesEnabled(true);
    Grid1->setRows(1);

    // The panel follows the subjects, drawn at most once a frame: not at all for a
    // fill shorter than one.
    FramePacer pacer;
    m_fill = grades::fillStatistics(connection(), request, [&](int s, const QString &subject) {
        if (!pacer.due())
            return;
        Picture1->setUpdatesEnabled(false);
        Label7->setText(grades::statisticsProgressText(subject));
        Bar2->setValue(s + 1);
        Picture1->setUpdatesEnabled(true);
        Picture1->repaint();
    });
    if (m_fill.error.isSet()) {
        Picture1->hide();
        Grid1->setRows(2);
        reportReadFailure(this, m_fill.error);
        m_fill = {};
        return;
    }

    Grid1->setUpdatesEnabled(false);
    Grid1->setRows(1 + int(m_fill.rows.size()));
    for (int r = 0; r < m_fill.rows.size(); ++r) {
        if (!m_fill.rows[r])
            continue;
        const QStringList texts = grades::statisticsRowTexts(*m_fill.rows[r]);
        for (int col = 0; col < grades::kStatisticsCols; ++col)
            Grid1->setTextMatrix(r + 1, col, texts[col]);
    }
    Grid1->widenColumnsToText(0, grades::kStatisticsCols - 1, 1, Grid1->Rows() - 1);
    Grid1->setUpdatesEnabled(true);
    m_fillSubjects = subjects;
    m_fillClasses = classItems;

    if (m_fill.anyEmptyRow)
        showNotice(this, grades::kEmptyRowsNote, grades::kEmptyRowsTitle);
    Picture1->hide();
    Command1->setEnabled(true);
}

// ---- Charts --------------------------------------------------------------------

bool ComparisonWindow::chartViewShown() const
{
    return !sheetArea->isHidden();
}

void ComparisonWindow::showChartView(bool charts)
{
    Frame1->setVisible(!charts);
    Frame2->setVisible(!charts);
    Picture2->setVisible(charts);
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
        chart::ChartSurface *f = Frame5[size_t(d)];
        f->setVisible(d < drawn);
        f->place();
        f->update();
    }
}

void ComparisonWindow::DrawClassComparison()
{
    showChartView(true);
    if (!Combo1->currentText().isEmpty())
        Text1->setText(QStringLiteral("    ") + Label13->text() + QStringLiteral("    "));
    Label10->setText(QStringLiteral("制图时间:")
                     + shortDateText(session().today()));
    {
        const QSignalBlocker block(Option3[0]);
        Option3[0]->setChecked(true);
    }
    QList<chart::ChartFrame *> frames;
    for (chart::ChartSurface *f : Frame5)
        frames.append(&f->frame());
    showFrames(grades::drawClassComparison(frames, chartData()));
}

void ComparisonWindow::Option3_Click(int index)
{
    QList<chart::ChartFrame *> frames;
    for (chart::ChartSurface *f : Frame5)
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
    VScroll1->setValue(VScroll1->minimum());
}

void ComparisonWindow::Command3_Click()
{
    showChartView(false);
}

// ---- Export --------------------------------------------------------------------

void ComparisonWindow::ExportGridToExcel()
{
    grades::GridView view;
    for (int r = 0; r < Grid1->Rows(); ++r) {
        QStringList row;
        for (int c = 0; c < Grid1->Cols(); ++c)
            row << Grid1->TextMatrix(r, c);
        view.cells.append(row);
        view.rowShown.append(Grid1->RowHeight(r) > 0);
    }
    for (int c = 0; c < Grid1->Cols(); ++c)
        view.columnShown.append(Grid1->ColWidth(c) > 0);
    ExportWorkbook book(ExportWorkbook::kNewWorkbookSheets);
    grades::writeStatisticsSheet(book, Text1->text(), view);
    handOverWorkbook(book, this);
}

void ComparisonWindow::Command7_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
