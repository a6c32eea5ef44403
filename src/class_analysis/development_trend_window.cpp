#include "class_analysis/development_trend_window.h"

#include "class_analysis/development_trend.h"
#include "class_analysis/development_trend_chart.h"
#include "kit/selection.h"
#include "kit/class_tree.h"
#include "kit/save_report.h"
#include "kit/session.h"
#include "kit/window_steps.h"
#include "widgets/chart_surface.h"
#include "widgets/data_control.h"
#include "widgets/flex_grid.h"
#include "widgets/fonts.h"
#include "widgets/units.h"
#include "school/class_code.h"
#include "school/class_members.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <memory>

namespace tessaly {

namespace {

const QString kTitle = QStringLiteral("学 生 发 展 趋 势");
const QString kTotalsTitle = QStringLiteral("学生姓名");
const QString kNoneAnalysed = QStringLiteral("②需分析的考试(分析0次)");
const QString kAllAnalysed = QStringLiteral("②去掉你不分析的考试");

// totalsGrid: the header row and columns 0 to 2 are fixed; exam i is column 3 + i.
constexpr int kFirstExamCol = 3;
constexpr int kIdWidth = 800;
constexpr int kNameWidth = 750;
constexpr int kKindWidth = 455;
constexpr int kExamWidth = 650;
constexpr int kNoExamWidth = 3750;
constexpr int kHeaderHeight = 455;

// Places, in twips.
constexpr int kLeftCol = 120;
constexpr int kLeftWidth = 2640;
constexpr int kRightCol = 2880;
constexpr int kRightWidth = 8520;
constexpr int kGridTop = 780;
constexpr int kGridHeight = 3900;

QString untickedHeading(int unticked)
{
    return QStringLiteral("②已有考试(不分析%1次)").arg(unticked);
}

} // namespace

DevelopmentTrendWindow::DevelopmentTrendWindow(WindowHost &host, QWidget *parent)
    : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("学生发展趋势"));
    setWindowTitle(QStringLiteral("学生发展趋势"));
    buildControls();
    connect(classTree, &ClassTree::NodeClick, this, &DevelopmentTrendWindow::LoadClassTotals);
    connect(examList, &QListWidget::itemChanged, this, &DevelopmentTrendWindow::examTicked);
    connect(totalsGrid, &FlexGrid::Click, this, &DevelopmentTrendWindow::DrawDevelopmentTrend);
    connect(closeButton, &QPushButton::clicked, this, &DevelopmentTrendWindow::closeClicked);
}

DevelopmentTrendWindow::~DevelopmentTrendWindow() = default;

QSize DevelopmentTrendWindow::sizeHint() const
{
    return minimumSize();
}

void DevelopmentTrendWindow::buildControls()
{
    titleLabel = named(new QLabel(kTitle, this), "Label4");
    titleLabel->setFont(cjkFont(QStringLiteral("黑体"), 16, true));
    titleLabel->setAlignment(Qt::AlignCenter);

    choiceHeading = named(new QLabel(QStringLiteral("请选择分析内容"), this), "Label2");
    classStepLabel = named(new QLabel(QStringLiteral("①选择班级:"), this), "lblLabels11");
    classTree = named(new ClassTree(this), "TreeView1");
    examListHeading = named(new QLabel(kNoneAnalysed, this), "lblLabels8");
    examList = named(new QListWidget(this), "List1");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command7");

    classKeyLabel = named(new QLabel(kTotalsTitle, this), "Label7");
    QFont bold = classKeyLabel->font();
    bold.setBold(true);
    classKeyLabel->setFont(bold);
    gridHeading = named(new QLabel(QStringLiteral("全班学生各次考试总分与名次统计"), this), "Label3");
    gridHeading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    totalsGrid = named(new FlexGrid(this), "Grid1");
    gridNote = named(new QLabel(QStringLiteral("    说明：点击你要分析的学生姓名,即可分析其成绩发展趋势。"), this),
                       "lblLabels2");
    trendChart = named(new chart::ChartSurface(analysis::designDevelopmentChart(), this), "Frame5");

    const int line = 300;
    placeTwips(titleLabel, 0, 60, kRightCol + kRightWidth + 120, 420);
    placeTwips(choiceHeading, kLeftCol, 540, kLeftWidth, line);
    placeTwips(classStepLabel, kLeftCol, kGridTop, kLeftWidth, line);
    placeTwips(classTree, kLeftCol, kGridTop + line, kLeftWidth, 2940);
    placeTwips(examListHeading, kLeftCol, kGridTop + line + 3000, kLeftWidth, line);
    placeTwips(examList, kLeftCol, kGridTop + 2 * line + 3000, kLeftWidth, 3000);
    placeTwips(classKeyLabel, kRightCol, 480, kRightWidth / 2, line);
    placeTwips(gridHeading, kRightCol + kRightWidth / 2, 480, kRightWidth / 2, line);
    placeTwips(totalsGrid, kRightCol, kGridTop, kRightWidth, kGridHeight);
    placeTwips(gridNote, kRightCol, kGridTop + kGridHeight, kRightWidth, line);
    chart::ChartFrame &chartFrame = trendChart->frame();
    chartFrame.left = kRightCol;
    chartFrame.top = kGridTop + kGridHeight + line + 60;
    trendChart->place();
    const int bottom = chartFrame.top + chartFrame.height;
    closeButton->adjustSize();
    const int buttonHeight = std::max(375, pixelsToTwips(closeButton->sizeHint().height()));
    placeTwips(closeButton, kLeftCol + kLeftWidth - 1200, bottom - buttonHeight, 1200, buttonHeight);
    placeTwips(examList, kLeftCol, kGridTop + 2 * line + 3000, kLeftWidth,
               bottom - buttonHeight - 90 - (kGridTop + 2 * line + 3000));
    setMinimumSize(twipsToPixels(kRightCol + kRightWidth + 120), twipsToPixels(bottom + 120));
}

void DevelopmentTrendWindow::Form_Load()
{
    MoveToTopLeft(this);
    classTree->BuildClassTree(connection());
    emptyGrid();
}

// The grid before any class: the header row and one wide column for the exams.
void DevelopmentTrendWindow::emptyGrid()
{
    totalsGrid->setTextSource({});
    totalsGrid->clearMerges();
    totalsGrid->setRows(1);
    totalsGrid->setCols(kFirstExamCol + 1);
    totalsGrid->setFixedRows(1);
    totalsGrid->setFixedCols(kFirstExamCol);
    const QStringList headers = {QStringLiteral(" 学  号"), QStringLiteral(" 姓  名"), QStringLiteral("分数"),
                                 QStringLiteral("      考   试   名   称")};
    const int widths[] = {kIdWidth, kNameWidth, kKindWidth, kNoExamWidth};
    for (int c = 0; c < headers.size(); ++c) {
        totalsGrid->setTextMatrix(0, c, headers[c]);
        totalsGrid->setColWidth(c, widths[c]);
    }
    totalsGrid->setRowHeight(0, kHeaderHeight);
}

void DevelopmentTrendWindow::LoadClassTotals(QTreeWidgetItem *node)
{
    // A grade group chooses no class: nothing changes.
    const std::optional<ClassNode> chosen = classTree->SelectClassNode(node);
    if (!chosen)
        return;
    titleLabel->setText(chosen->key);
    classKeyLabel->setText(chosen->key);
    examListHeading->setText(kAllAnalysed);

    const school::ClassIdentity identity =
        school::ResolveClassCode(chosen->gradeGroup, chosen->className, session().today());
    const std::optional<analysis::ClassTotals> read = analysis::readClassTotals(connection(), identity);
    if (!read)
        reportReadFailure(this, connection().error());
    // The grid's exam cells are made from the totals when the grid shows them.
    const auto kept = std::make_shared<const analysis::ClassTotals>(read.value_or(analysis::ClassTotals()));
    const analysis::ClassTotals &totals = *kept;

    const int students = int(totals.students.size());
    const int exams = int(totals.exams.size());
    // A rank is at most the class's size: its texts are made once.
    auto rankTexts = std::make_shared<QVector<QString>>(students + 1);
    for (int k = 0; k <= students; ++k)
        (*rankTexts)[k] = analysis::countText(k);
    totalsGrid->setUpdatesEnabled(false);
    emptyGrid();
    totalsGrid->setRows(2 * students + 3);
    if (exams > 0)
        totalsGrid->setCols(kFirstExamCol + exams);
    for (int k = 1; k <= students; ++k) {
        const analysis::StudentTotals &s = totals.students[k - 1];
        const int rankRow = 2 * k - 1;
        const int totalRow = 2 * k;
        for (int r : {rankRow, totalRow}) {
            totalsGrid->setTextMatrix(r, 0, s.shownId);
            totalsGrid->setTextMatrix(r, 1, s.name);
        }
        if (!s.shownId.isEmpty()) {
            totalsGrid->setTextMatrix(rankRow, 2, QStringLiteral("名次"));
            totalsGrid->setTextMatrix(totalRow, 2, QStringLiteral("总分"));
        }
        totalsGrid->mergeCells(rankRow, 0, 2, 1);
        totalsGrid->mergeCells(rankRow, 1, 2, 1);
    }
    const int countRow = 2 * students + 1;
    const int averageRow = countRow + 1;
    for (int r : {countRow, averageRow}) {
        totalsGrid->setTextMatrix(r, 0, QStringLiteral("  全班"));
        totalsGrid->setTextMatrix(r, 1, QStringLiteral("平均分 "));
    }
    totalsGrid->setTextMatrix(countRow, 2, QStringLiteral("人数"));
    totalsGrid->setTextMatrix(averageRow, 2, QStringLiteral("分数"));
    totalsGrid->mergeCells(countRow, 0, 2, 1);
    totalsGrid->mergeCells(countRow, 1, 2, 1);
    for (int e = 0; e < exams; ++e) {
        const int c = kFirstExamCol + e;
        totalsGrid->setTextMatrix(0, c, analysis::examHeader(totals.exams[e]));
        totalsGrid->setColWidth(c, kExamWidth);
    }
    // Per exam column: each student's rank and total rows, then the class's count and average.
    if (exams > 0)
        totalsGrid->setTextSource({1, kFirstExamCol, averageRow, kFirstExamCol + exams - 1,
                              [kept, rankTexts, countRow](int row, int col) {
                                  const int e = col - kFirstExamCol;
                                  if (row == countRow)
                                      return analysis::countText(kept->participants.at(e));
                                  if (row > countRow)
                                      return analysis::averageText(kept->averages.at(e));
                                  const analysis::StudentTotals &s = kept->students.at((row - 1) / 2);
                                  return row % 2 == 1 ? rankTexts->at(s.ranks.at(e))
                                                      : analysis::totalText(s.totals.at(e));
                              }});
    // The designed widths are for the original font: IDs, names, exam headers and
    // averages (the widest figures) that they cut off widen their columns.
    totalsGrid->widenColumnsToText(0, 1, 1, averageRow);
    if (exams > 0) {
        totalsGrid->widenColumnsToText(kFirstExamCol, kFirstExamCol + exams - 1, 0, 0);
        totalsGrid->widenColumnsToText(kFirstExamCol, kFirstExamCol + exams - 1, averageRow, averageRow);
    }
    m_examWidths.clear();
    for (int e = 0; e < exams; ++e)
        m_examWidths.append(totalsGrid->ColWidth(kFirstExamCol + e));
    totalsGrid->setUpdatesEnabled(true);

    m_filling = true;
    examList->clear();
    for (const QString &exam : totals.exams) {
        auto *item = new QListWidgetItem(exam, examList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    m_filling = false;
    m_analysed = exams;
}

void DevelopmentTrendWindow::examTicked()
{
    if (m_filling)
        return;
    int unticked = 0;
    for (int i = 0; i < examList->count(); ++i) {
        const bool on = examList->item(i)->checkState() == Qt::Checked;
        totalsGrid->setColWidth(kFirstExamCol + i, on ? m_examWidths.value(i, kExamWidth) : 0);
        if (!on)
            ++unticked;
    }
    examListHeading->setText(untickedHeading(unticked));
    m_analysed = examList->count() - unticked;
}

void DevelopmentTrendWindow::DrawDevelopmentTrend()
{
    const int rows = totalsGrid->Rows();
    const int clicked = totalsGrid->MouseRow();
    if (totalsGrid->Cols() == kFirstExamCol + 1 || rows <= 1 || clicked < 1)
        return;
    if (!analysis::confirmStudentTrendCount(this, m_analysed))
        return;

    // Either row of a student draws the same chart: the rank row is the odd one.
    const int rankRow = clicked % 2 == 1 ? clicked : clicked - 1;
    const int totalRow = rankRow + 1;
    QList<analysis::TrendPointCells> points;
    for (int i = 0; i < examList->count(); ++i) {
        if (examList->item(i)->checkState() != Qt::Checked)
            continue;
        const int c = kFirstExamCol + i;
        points.append({examList->item(i)->text(), totalsGrid->TextMatrix(rows - 2, c), totalsGrid->TextMatrix(rankRow, c),
                       totalsGrid->TextMatrix(totalRow, c), totalsGrid->TextMatrix(rows - 1, c)});
    }
    analysis::drawDevelopmentTrend(trendChart->frame(), totalsGrid->TextMatrix(clicked, 1), points);
    trendChart->update();
}

void DevelopmentTrendWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
