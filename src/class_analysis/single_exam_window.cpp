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


    connect(Combo1, &QComboBox::activated, this, &SingleExamWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &SingleExamWindow::Combo2_Click);
    connect(Combo3, &QComboBox::activated, this, &SingleExamWindow::Combo3_Click);
    connect(Combo4, &QComboBox::activated, this, &SingleExamWindow::Combo4_Click);
    m_choice = std::make_unique<ClassChoice>(ClassChoice::Steps{.gradeGroup = Combo1,
                                                                .klass = Combo2,
                                                                .subject = Combo3,
                                                                .classes = ClassVariant::WithPassword,
                                                                .noticeWhenNoSubject = false},
                                             *this, this);
    connect(Text1, &QLineEdit::editingFinished, this, &SingleExamWindow::Text1_Validate);
    connect(Grid1, &FlexGrid::Click, this, &SingleExamWindow::PickChartStudent);
    connect(Command1, &QPushButton::clicked, this, &SingleExamWindow::ToggleRankOrder);
    connect(Command7, &QPushButton::clicked, this, &SingleExamWindow::Command7_Click);
}

SingleExamWindow::~SingleExamWindow() = default;

QSize SingleExamWindow::sizeHint() const
{
    return minimumSize();
}

void SingleExamWindow::buildControls()
{
    Label4 = named(new QLabel(this), "Label4");
    QFont titleFont = Label4->font();
    titleFont.setBold(true);
    Label4->setFont(titleFont);
    Label4->setAlignment(Qt::AlignCenter);

    Frame3 = named(new chart::ChartSurface(analysis::designBandChart(), this), "Frame3");
    Frame4 = named(new chart::ChartSurface(analysis::designLevelChart(), this), "Frame4");
    Frame1 = named(new chart::ChartSurface(analysis::designSingleStudentChart(), this), "Frame1");
    Frame5 = named(new chart::ChartSurface(analysis::designScoreCurveChart(), this), "Frame5");
    // Empty frames until an analysis draws in them.
    for (chart::ChartSurface *f : {Frame1, Frame3, Frame4, Frame5})
        f->setBlank(true);

    Text2 = named(new QPlainTextEdit(this), "Text2");
    Text2->setReadOnly(true);
    placeTwips(Text2, 120, 3780, 6495, 1200);

    Grid1 = named(new FlexGrid(this), "Grid1");
    Grid1->setRows(1);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(1);
    Grid1->setFormatString(analysis::kSingleExamHeader);
    for (int c = 0; c < analysis::kSingleExamCols; ++c)
        Grid1->setColWidth(c, analysis::kSingleExamColWidths[c]);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);

    Frame2 = named(new QGroupBox(QStringLiteral("选择内容"), this), "Frame2");
    Combo1 = named(new QComboBox(Frame2), "Combo1");
    Combo2 = named(new QComboBox(Frame2), "Combo2");
    Combo3 = named(new QComboBox(Frame2), "Combo3");
    Combo4 = named(new QComboBox(Frame2), "Combo4");
    Text1 = named(new QLineEdit(QStringLiteral("100"), Frame2), "Text1");
    for (QComboBox *c : {Combo1, Combo2, Combo3, Combo4})
        fitDropDown(c);
    auto *form = new QFormLayout(Frame2);
    form->setContentsMargins(4, 0, 4, 2);
    form->setVerticalSpacing(1);
    form->addRow(new QLabel(QStringLiteral("选择年级组:"), Frame2), Combo1);
    form->addRow(new QLabel(QStringLiteral("选 择班 级:"), Frame2), Combo2);
    form->addRow(new QLabel(QStringLiteral("选 择学 科:"), Frame2), Combo3);
    form->addRow(new QLabel(QStringLiteral("已有的考试:"), Frame2), Combo4);
    form->addRow(new QLabel(QStringLiteral("满分:"), Frame2), Text1);

    Command1 = named(new QPushButton(kByRank, this), "Command1");
    Command6 = named(new QPushButton(QStringLiteral("打印(&P)"), this), "Command6");
    Command6->hide();   // has no operation
    Command7 = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command7");


    layoutFor(0);
}

// Places what moves with the per-student chart's layout.
void SingleExamWindow::layoutFor(int students)
{
    const analysis::CurveLayout layout = analysis::scoreCurveLayout(students);
    const int gridHeight = layout.gridHeight;
    placeTwips(Grid1, kRightLeft, kGridTop, kRightWidth, gridHeight);
    const int frameTop = kGridTop + gridHeight + kGap;
    placeTwips(Frame2, kRightLeft, frameTop, kRightWidth, layout.buttonsTop - kGap - frameTop);
    placeTwips(Command1, kRightLeft, layout.buttonsTop, 1455, kButtonHeight);
    placeTwips(Command6, kRightLeft + 1500, layout.buttonsTop, 720, kButtonHeight);
    placeTwips(Command7, kRightLeft + 1560, layout.buttonsTop, 1455, kButtonHeight);
    Frame5->frame().width = layout.frameWidth;
    for (chart::ChartSurface *f : {Frame1, Frame3, Frame4, Frame5})
        f->place();
    const int width = std::max(kRightLeft + kRightWidth, 120 + layout.frameWidth) + 120;
    placeTwips(Label4, 0, 60, width, 390);
    const int height = Frame5->frame().top + Frame5->frame().height + 120;
    setMinimumSize(twipsToPixels(width), twipsToPixels(height));
}

// ---- Selection -------------------------------------------------------------

void SingleExamWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_choice->loadGradeGroups();
    Grid1->setColWidth(analysis::kColRankKey, 0);
}

void SingleExamWindow::Combo1_Click()
{
    m_choice->chooseGradeGroup();
    Combo4->clear();
    m_exams.clear();
    Label4->setText(Combo1->currentText() + Combo2->currentText());
}

void SingleExamWindow::Combo2_Click()
{
    if (!m_choice->chooseClass(Combo2->currentIndex()))
        return;
    fitDropDown(Combo3);
    Combo4->clear();
    m_exams.clear();
    Label4->setText(classPart() + QStringLiteral("成绩 班主任:") + chosenClass().headTeacher);
}

void SingleExamWindow::Combo3_Click()
{
    if (!m_choice->chooseSubject(Combo3->currentIndex()))
        return;
    const score::SubjectEntry subject = chosenSubject();
    m_identity = reg::ResolveClassCode(Combo1->currentText(), Combo2->currentText(), session().today());
    Combo4->clear();
    const QStringList columns = score::OpenClassStudents(connection(), m_identity, this, false).columns;
    Label4->setText(classPart() + Combo3->currentText() + QStringLiteral("成绩 任课教师:") + subject.teacher);

    m_exams = score::FindExamsOfSubject(columns, Combo3->currentText());
    QStringList shown;
    for (const QString &exam : m_exams)
        shown << score::DecodeExamName(exam, score::kCanonicalNames);
    Combo4->addItems(shown);
    Combo4->setCurrentIndex(-1);
    m_selectedRow = 0;
}

void SingleExamWindow::Combo4_Click()
{
    m_selectedRow = 0;
    AnalyseSingleExam();
}

void SingleExamWindow::Text1_Validate()
{
    // Only a full mark of 1 up to below 155 (at most 15 bands) is taken.
    if (!analysis::parseFullMarkBox(Text1->text()))
        Text1->setText(m_computedFullMark);
}

float SingleExamWindow::fullMark()
{
    Text1_Validate();
    return *analysis::parseFullMarkBox(Text1->text());
}

QString SingleExamWindow::classPart() const
{
    return QStringLiteral("分析") + Combo1->currentText().left(2) + Combo2->currentText() + QLatin1Char('(')
           + chosenClass().actualName + QLatin1Char(')');
}

// ---- Analysis ----------------------------------------------------------------

void SingleExamWindow::loadExam()
{
    m_computedFullMark = QStringLiteral("100");
    Text1->setText(m_computedFullMark);
    m_rows.clear();
    const int j = Combo4->currentIndex();
    const QString exam = j >= 0 && j < m_exams.size() ? m_exams[j] : QString();
    if (!m_identity.isValid())
        return;
    const QStringList columns = exam.isEmpty() ? QStringList() : QStringList{exam};
    const auto sheet = score::readClassScores(connection(), m_identity.sectionTable, m_identity.classCode, columns);
    if (!sheet) {
        reportReadFailure(this, connection().error());
        return;
    }
    QList<std::optional<float>> scores;
    for (const score::StudentScores &row : *sheet) {
        const std::optional<double> stored = row.scores.value(0);
        scores << (stored ? std::optional<float>(float(*stored)) : std::nullopt);
        m_rows.append({0, reg::shownId(m_identity.classCode, row.studentNumber), row.name, scores.last(), {}, {}});
    }
    analysis::sortByShownIdText(m_rows);
    m_computedFullMark = formatSingle(
        classFullMark(connection(), m_identity.sectionTable, exam, Combo1->currentText(), Combo2->currentText(), scores, this));
    if (!analysis::parseFullMarkBox(m_computedFullMark))   // more bands than the charts hold
        m_computedFullMark = QString::number(score::FullMarkOf(scores));
    Text1->setText(m_computedFullMark);
}

void SingleExamWindow::showRows()
{
    Grid1->setUpdatesEnabled(false);
    const int height = RowHeightForFont(*Grid1, analysis::kExamRowHeight);
    Grid1->setRows(1 + int(m_rows.size()));
    for (int i = 0; i < m_rows.size(); ++i) {
        const QStringList cells = analysis::examRowTexts(m_rows[i]);
        for (int c = 0; c < analysis::kSingleExamCols; ++c)
            Grid1->setTextMatrix(i + 1, c, cells[c]);
        Grid1->setRowHeight(i + 1, height);
    }
    Grid1->setUpdatesEnabled(true);
}

void SingleExamWindow::AnalyseSingleExam()
{
    const int picked = m_selectedRow;
    if (picked == 0) {
        Grid1->setRows(1);
        loadExam();
        if (m_rows.isEmpty())
            return;
    }

    m_stats = analysis::analyseExam(m_rows, fullMark());
    showRows();
    const QString teacher = chosenSubject().teacher;
    Label4->setText(classPart() + Combo3->currentText() + QStringLiteral("参试人数:%1人").arg(m_stats.participants)
                    + QStringLiteral(" 任课教师:") + teacher);
    const QString examTitle = classPart() + Combo4->currentText() + QStringLiteral(" 任课教师:") + teacher;

    if (m_stats.participants == 0) {
        // Nothing of an earlier analysis stays beside this exam's grid.
        Text2->clear();
        Frame1->frame() = analysis::designSingleStudentChart();
        Frame3->frame() = analysis::designBandChart();
        Frame4->frame() = analysis::designLevelChart();
        Frame5->frame() = analysis::designScoreCurveChart();
        layoutFor(int(m_rows.size()));
        for (chart::ChartSurface *f : {Frame1, Frame3, Frame4, Frame5})
            f->setBlank(true);
        showNotice(this, kNoScores, kTitleHintDots);
        Label4->setText(examTitle);
        m_selectedRow = 0;
        return;
    }
    Text2->setPlainText(analysis::examSummaryText(m_stats, Text1->text().trimmed()));

    const analysis::ExamRow *student = picked >= 1 && picked <= m_rows.size() ? &m_rows[picked - 1] : nullptr;
    analysis::drawSingleStudentChart(Frame1->frame(), m_stats, m_rows, student);
    Frame1->setBlank(false);
    m_selectedRow = 0;
    if (picked != 0)
        return;

    analysis::drawLevelChart(Frame4->frame(), m_stats);
    Frame4->setBlank(false);
    const QString tipHead = Combo3->currentText() + Combo4->currentText() + Combo1->currentText().left(2)
                            + Combo2->currentText();
    analysis::drawBandChart(Frame3->frame(), m_stats, tipHead);
    Frame3->setBlank(false);
    analysis::drawScoreCurve(Frame5->frame(), m_rows, m_stats);
    Frame5->setBlank(false);
    layoutFor(int(m_rows.size()));
    Label4->setText(examTitle);
}

void SingleExamWindow::ToggleRankOrder()
{
    if (Command1->text() == kByRank) {
        Command1->setText(kByNumber);
        analysis::sortByRank(m_rows);
    } else {
        Command1->setText(kByRank);
        analysis::sortByShownIdGeneric(m_rows);
    }
    // Whole rows move, their numbers with them, until the next analysis.
    showRows();
}

void SingleExamWindow::PickChartStudent()
{
    const int row = Grid1->Row();
    if (Grid1->Rows() <= 1 || row < 1 || row > m_rows.size())
        return;
    m_selectedRow = row;
    AnalyseSingleExam();
}

void SingleExamWindow::Command7_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
