#include "class_analysis/single_exam_window.h"

#include "class_analysis/single_exam_charts.h"
#include "kit/save_report.h"
#include "kit/selection.h"
#include "kit/session.h"
#include "kit/window_steps.h"
#include "widgets/chart_surface.h"
#include "widgets/data_control.h"
#include "widgets/flex_grid.h"
#include "workbook/format.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "school/exam_columns.h"
#include "school/exam_registry.h"
#include "school/score_sheet.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tessaly {

namespace {

const QString kByRank = QStringLiteral("按名次排(&X)");
const QString kByNumber = QStringLiteral("正常排序(&X)");
const QString kNoScores = QStringLiteral("学生成绩还没有添入,请添入后再进行分析");

// The right-hand column: grid, selection frame and buttons.
constexpr int kRightLeft = 8640;
constexpr int kRightWidth = 3015;
constexpr int kGridTop = 480;
constexpr int kButtonHeight = 375;
constexpr int kGap = 45;

} // namespace

SingleExamWindow::SingleExamWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("单科成绩分析"));
    setWindowTitle(QStringLiteral("单科单次成绩分析"));
    buildControls();


    connect(gradeGroupCombo, &QComboBox::activated, this, &SingleExamWindow::gradeGroupChosen);
    connect(classCombo, &QComboBox::activated, this, &SingleExamWindow::classChosen);
    connect(subjectCombo, &QComboBox::activated, this, &SingleExamWindow::subjectChosen);
    connect(examCombo, &QComboBox::activated, this, &SingleExamWindow::examChosen);
    m_choice = std::make_unique<ClassChoice>(ClassChoice::Steps{.gradeGroup = gradeGroupCombo,
                                                                .klass = classCombo,
                                                                .subject = subjectCombo,
                                                                .classes = ClassVariant::WithPassword,
                                                                .noticeWhenNoSubject = false},
                                             *this, this);
    connect(fullMarkBox, &QLineEdit::editingFinished, this, &SingleExamWindow::fullMarkEdited);
    connect(scoreGrid, &FlexGrid::Click, this, &SingleExamWindow::PickChartStudent);
    connect(sortButton, &QPushButton::clicked, this, &SingleExamWindow::ToggleRankOrder);
    connect(closeButton, &QPushButton::clicked, this, &SingleExamWindow::closeClicked);
}

SingleExamWindow::~SingleExamWindow() = default;

QSize SingleExamWindow::sizeHint() const
{
    return minimumSize();
}

void SingleExamWindow::buildControls()
{
    titleLabel = named(new QLabel(this), "Label4");
    QFont titleFont = titleLabel->font();
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    titleLabel->setAlignment(Qt::AlignCenter);

    bandChart = named(new chart::ChartSurface(analysis::designBandChart(), this), "Frame3");
    levelChart = named(new chart::ChartSurface(analysis::designLevelChart(), this), "Frame4");
    studentChart = named(new chart::ChartSurface(analysis::designSingleStudentChart(), this), "Frame1");
    spreadChart = named(new chart::ChartSurface(analysis::designScoreCurveChart(), this), "Frame5");
    // Empty frames until an analysis draws in them.
    for (chart::ChartSurface *f : {studentChart, bandChart, levelChart, spreadChart})
        f->setBlank(true);

    summaryBox = named(new QPlainTextEdit(this), "Text2");
    summaryBox->setReadOnly(true);
    placeTwips(summaryBox, 120, 3780, 6495, 1200);

    scoreGrid = named(new FlexGrid(this), "Grid1");
    scoreGrid->setRows(1);
    scoreGrid->setFixedRows(1);
    scoreGrid->setFixedCols(1);
    scoreGrid->setFormatString(analysis::kSingleExamHeader);
    for (int c = 0; c < analysis::kSingleExamCols; ++c)
        scoreGrid->setColWidth(c, analysis::kSingleExamColWidths[c]);
    scoreGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    scoreGrid->setSelectionBehavior(QAbstractItemView::SelectRows);

    choiceFrame = named(new QGroupBox(QStringLiteral("选择内容"), this), "Frame2");
    gradeGroupCombo = named(new QComboBox(choiceFrame), "Combo1");
    classCombo = named(new QComboBox(choiceFrame), "Combo2");
    subjectCombo = named(new QComboBox(choiceFrame), "Combo3");
    examCombo = named(new QComboBox(choiceFrame), "Combo4");
    fullMarkBox = named(new QLineEdit(QStringLiteral("100"), choiceFrame), "Text1");
    for (QComboBox *c : {gradeGroupCombo, classCombo, subjectCombo, examCombo})
        fitDropDown(c);
    auto *form = new QFormLayout(choiceFrame);
    form->setContentsMargins(4, 0, 4, 2);
    form->setVerticalSpacing(1);
    form->addRow(new QLabel(QStringLiteral("选择年级组:"), choiceFrame), gradeGroupCombo);
    form->addRow(new QLabel(QStringLiteral("选 择班 级:"), choiceFrame), classCombo);
    form->addRow(new QLabel(QStringLiteral("选 择学 科:"), choiceFrame), subjectCombo);
    form->addRow(new QLabel(QStringLiteral("已有的考试:"), choiceFrame), examCombo);
    form->addRow(new QLabel(QStringLiteral("满分:"), choiceFrame), fullMarkBox);

    sortButton = named(new QPushButton(kByRank, this), "Command1");
    printButton = named(new QPushButton(QStringLiteral("打印(&P)"), this), "Command6");
    printButton->hide();   // has no operation
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command7");


    layoutFor(0);
}

// Places what moves with the per-student chart's layout.
void SingleExamWindow::layoutFor(int students)
{
    const analysis::CurveLayout layout = analysis::scoreCurveLayout(students);
    const int gridHeight = layout.gridHeight;
    placeTwips(scoreGrid, kRightLeft, kGridTop, kRightWidth, gridHeight);
    const int frameTop = kGridTop + gridHeight + kGap;
    placeTwips(choiceFrame, kRightLeft, frameTop, kRightWidth, layout.buttonsTop - kGap - frameTop);
    placeTwips(sortButton, kRightLeft, layout.buttonsTop, 1455, kButtonHeight);
    placeTwips(printButton, kRightLeft + 1500, layout.buttonsTop, 720, kButtonHeight);
    placeTwips(closeButton, kRightLeft + 1560, layout.buttonsTop, 1455, kButtonHeight);
    spreadChart->frame().width = layout.frameWidth;
    for (chart::ChartSurface *f : {studentChart, bandChart, levelChart, spreadChart})
        f->place();
    const int width = std::max(kRightLeft + kRightWidth, 120 + layout.frameWidth) + 120;
    placeTwips(titleLabel, 0, 60, width, 390);
    const int height = spreadChart->frame().top + spreadChart->frame().height + 120;
    setMinimumSize(twipsToPixels(width), twipsToPixels(height));
}

// ---- Selection -------------------------------------------------------------

void SingleExamWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_choice->loadGradeGroups();
    scoreGrid->setColWidth(analysis::kColRankKey, 0);
}

void SingleExamWindow::gradeGroupChosen()
{
    m_choice->chooseGradeGroup();
    examCombo->clear();
    m_exams.clear();
    titleLabel->setText(gradeGroupCombo->currentText() + classCombo->currentText());
}

void SingleExamWindow::classChosen()
{
    if (!m_choice->chooseClass(classCombo->currentIndex()))
        return;
    fitDropDown(subjectCombo);
    examCombo->clear();
    m_exams.clear();
    titleLabel->setText(classPart() + QStringLiteral("成绩 班主任:") + chosenClass().headTeacher);
}

void SingleExamWindow::subjectChosen()
{
    if (!m_choice->chooseSubject(subjectCombo->currentIndex()))
        return;
    const SubjectEntry subject = chosenSubject();
    m_identity = school::ResolveClassCode(gradeGroupCombo->currentText(), classCombo->currentText(), session().today());
    examCombo->clear();
    const QStringList columns = OpenClassStudents(connection(), m_identity, this, false).columns;
    titleLabel->setText(classPart() + subjectCombo->currentText() + QStringLiteral("成绩 任课教师:") + subject.teacher);

    m_exams = school::FindExamsOfSubject(columns, subjectCombo->currentText());
    QStringList shown;
    for (const QString &exam : m_exams)
        shown << school::DecodeExamName(exam, school::kCanonicalNames);
    examCombo->addItems(shown);
    examCombo->setCurrentIndex(-1);
    m_selectedRow = 0;
}

void SingleExamWindow::examChosen()
{
    m_selectedRow = 0;
    AnalyseSingleExam();
}

void SingleExamWindow::fullMarkEdited()
{
    // Only a full mark of 1 up to below 155 (at most 15 bands) is taken.
    if (!analysis::parseFullMarkBox(fullMarkBox->text()))
        fullMarkBox->setText(m_computedFullMark);
}

float SingleExamWindow::fullMark()
{
    fullMarkEdited();
    return *analysis::parseFullMarkBox(fullMarkBox->text());
}

QString SingleExamWindow::classPart() const
{
    return QStringLiteral("分析") + gradeGroupCombo->currentText().left(2) + classCombo->currentText() + QLatin1Char('(')
           + chosenClass().actualName + QLatin1Char(')');
}

// ---- Analysis ----------------------------------------------------------------

void SingleExamWindow::loadExam()
{
    m_computedFullMark = QStringLiteral("100");
    fullMarkBox->setText(m_computedFullMark);
    m_rows.clear();
    const int j = examCombo->currentIndex();
    const QString exam = j >= 0 && j < m_exams.size() ? m_exams[j] : QString();
    if (!m_identity.isValid())
        return;
    const QStringList columns = exam.isEmpty() ? QStringList() : QStringList{exam};
    const auto sheet = school::readClassScores(connection(), m_identity.sectionTable, m_identity.classCode, columns);
    if (!sheet) {
        reportReadFailure(this, connection().error());
        return;
    }
    QList<std::optional<float>> scores;
    for (const school::StudentScores &row : *sheet) {
        const std::optional<double> stored = row.scores.value(0);
        scores << (stored ? std::optional<float>(float(*stored)) : std::nullopt);
        m_rows.append({0, school::shownId(m_identity.classCode, row.studentNumber), row.name, scores.last(), {}, {}});
    }
    analysis::sortByShownIdText(m_rows);
    m_computedFullMark = formatSingle(
        classFullMark(connection(), m_identity.sectionTable, exam, gradeGroupCombo->currentText(), classCombo->currentText(), scores, this));
    if (!analysis::parseFullMarkBox(m_computedFullMark))   // more bands than the charts hold
        m_computedFullMark = QString::number(school::FullMarkOf(scores));
    fullMarkBox->setText(m_computedFullMark);
}

void SingleExamWindow::showRows()
{
    scoreGrid->setUpdatesEnabled(false);
    const int height = RowHeightForFont(*scoreGrid, analysis::kExamRowHeight);
    scoreGrid->setRows(1 + int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        const QStringList cells = analysis::examRowTexts(m_rows[i]);
        for (int c = 0; c < analysis::kSingleExamCols; ++c)
            scoreGrid->setTextMatrix(i + 1, c, cells[c]);
        scoreGrid->setRowHeight(i + 1, height);
    }
    scoreGrid->setUpdatesEnabled(true);
}

void SingleExamWindow::AnalyseSingleExam()
{
    const int picked = m_selectedRow;
    if (picked == 0) {
        scoreGrid->setRows(1);
        loadExam();
        if (m_rows.isEmpty())
            return;
    }

    m_stats = analysis::analyseExam(m_rows, fullMark());
    showRows();
    const QString teacher = chosenSubject().teacher;
    titleLabel->setText(classPart() + subjectCombo->currentText() + QStringLiteral("参试人数:%1人").arg(m_stats.participants)
                    + QStringLiteral(" 任课教师:") + teacher);
    const QString examTitle = classPart() + examCombo->currentText() + QStringLiteral(" 任课教师:") + teacher;

    if (m_stats.participants == 0) {
        // Nothing of an earlier analysis stays beside this exam's grid.
        summaryBox->clear();
        studentChart->frame() = analysis::designSingleStudentChart();
        bandChart->frame() = analysis::designBandChart();
        levelChart->frame() = analysis::designLevelChart();
        spreadChart->frame() = analysis::designScoreCurveChart();
        layoutFor(int(m_rows.size()));
        for (chart::ChartSurface *f : {studentChart, bandChart, levelChart, spreadChart})
            f->setBlank(true);
        showNotice(this, kNoScores, kTitleHintDots);
        titleLabel->setText(examTitle);
        m_selectedRow = 0;
        return;
    }
    summaryBox->setPlainText(analysis::examSummaryText(m_stats, fullMarkBox->text().trimmed()));

    const analysis::ExamRow *student = picked >= 1 && picked <= m_rows.size() ? &m_rows[picked - 1] : nullptr;
    analysis::drawSingleStudentChart(studentChart->frame(), m_stats, m_rows, student);
    studentChart->setBlank(false);
    m_selectedRow = 0;
    if (picked != 0)
        return;

    analysis::drawLevelChart(levelChart->frame(), m_stats);
    levelChart->setBlank(false);
    const QString tipHead = subjectCombo->currentText() + examCombo->currentText() + gradeGroupCombo->currentText().left(2)
                            + classCombo->currentText();
    analysis::drawBandChart(bandChart->frame(), m_stats, tipHead);
    bandChart->setBlank(false);
    analysis::drawScoreCurve(spreadChart->frame(), m_rows, m_stats);
    spreadChart->setBlank(false);
    layoutFor(int(m_rows.size()));
    titleLabel->setText(examTitle);
}

void SingleExamWindow::ToggleRankOrder()
{
    if (sortButton->text() == kByRank) {
        sortButton->setText(kByNumber);
        analysis::sortByRank(m_rows);
    } else {
        sortButton->setText(kByRank);
        analysis::sortByShownIdGeneric(m_rows);
    }
    // Whole rows move, their numbers with them, until the next analysis.
    showRows();
}

void SingleExamWindow::PickChartStudent()
{
    const int row = scoreGrid->Row();
    if (scoreGrid->Rows() <= 1 || row < 1 || row > m_rows.size())
        return;
    m_selectedRow = row;
    AnalyseSingleExam();
}

void SingleExamWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
