#include "grade_analysis/weak_subject_window.h"

#include "grade_analysis/key_students.h"
#include "kit/save_report.h"
#include "kit/session.h"
#include "kit/window_steps.h"
#include "workbook/format.h"
#include "widgets/chart_surface.h"
#include "widgets/data_control.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "school/exam_columns.h"
#include "school/score_sheet.h"
#include "kit/subject_selection.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tessaly {

namespace {

const QString kStatisticsHead = QStringLiteral("     薄弱学科统计");
const QString kCrLf = QStringLiteral("\r\n");

constexpr int kWindowWidth = 11895;
constexpr int kWindowHeight = 8100;
constexpr int kStripTop = 6960;
constexpr int kRowHeight = 210;        // twips
constexpr int kLoadedCols = 4;         // number, name, kind, 学科

// The pink of the sheet's buttons and the window's grey while the sheet is open.
const QString kPinkButton = QStringLiteral("QPushButton { background: rgb(255,192,192); }");

// Text1 shows lines; the statistics and the print page keep CR LF.
QString shownLines(const QString &crlf)
{
    QString text = crlf;
    return text.replace(kCrLf, QStringLiteral("\n"));
}

} // namespace

WeakSubjectWindow::WeakSubjectWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("薄弱学科查询"));
    setWindowTitle(QStringLiteral("薄弱学科查询"));
    buildControls();
    buildKeySheet();


    connect(Combo1, &QComboBox::activated, this, &WeakSubjectWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &WeakSubjectWindow::LoadClassStudents);
    connect(Combo3, &QComboBox::activated, this, &WeakSubjectWindow::LoadExamSubjects);
    connect(Combo4, &QComboBox::activated, this, &WeakSubjectWindow::DrawStudentSubjects);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = Combo1, .klass = Combo2, .classes = ClassVariant::HeadTeacher}, *this, this);
    connect(List1, &QListWidget::itemChanged, this, &WeakSubjectWindow::List1_Click);
    connect(Grid1, &FlexGrid::Click, this, &WeakSubjectWindow::Grid1_Click);
    connect(Command3, &QPushButton::clicked, this, &WeakSubjectWindow::AnalyseWeakSubjects);
    connect(Command2, &QPushButton::clicked, this, &WeakSubjectWindow::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &WeakSubjectWindow::Command1_Click);
    connect(Command6, &QPushButton::clicked, this, &WeakSubjectWindow::ShowKeyStudents);
    connect(Command5, &QPushButton::clicked, this, &WeakSubjectWindow::Command5_Click);
    connect(Command7, &QPushButton::clicked, this, &WeakSubjectWindow::Command7_Click);
}

WeakSubjectWindow::~WeakSubjectWindow() = default;

QSize WeakSubjectWindow::sizeHint() const
{
    return minimumSize();
}

void WeakSubjectWindow::buildControls()
{
    Label4 = named(new QLabel(QStringLiteral("薄 弱 学 科 查 询"), this), "Label4");
    QFont titleFont = Label4->font();
    titleFont.setBold(true);
    Label4->setFont(titleFont);
    Label4->setAlignment(Qt::AlignCenter);
    placeTwips(Label4, 0, 60, kWindowWidth, 390);

    AverageChart = named(new chart::ChartSurface(grades::designAverageChart(), this), "Frame3");
    StudentChart = named(new chart::ChartSurface(grades::designStudentChart(), this), "Frame3_1");
    AverageChart->place();
    StudentChart->place();

    // The choices, right of the charts.
    Frame2 = named(new QGroupBox(QStringLiteral("选择分析内容"), this), "Frame2");
    placeTwips(Frame2, 8640, 420, 3135, 4140);
    auto *choices = new QVBoxLayout(Frame2);
    choices->setContentsMargins(6, 2, 6, 4);
    choices->setSpacing(2);
    const auto row = [&](const QString &caption, QComboBox *&combo, const char *name) {
        choices->addWidget(new QLabel(caption, Frame2));
        combo = named(new QComboBox(Frame2), name);
        fitDropDown(combo);
        choices->addWidget(combo);
    };
    row(QStringLiteral("选择年级组:"), Combo1, "Combo1");
    row(QStringLiteral("选择班级:"), Combo2, "Combo2");
    row(QStringLiteral("已有的考试:"), Combo3, "Combo3");
    lblLabels5 = named(new QLabel(QStringLiteral("(分析0次考试科目)"), Frame2), "lblLabels5");
    choices->addWidget(lblLabels5);
    List1 = named(new QListWidget(Frame2), "List1");
    choices->addWidget(List1, 1);
    Command3 = named(new QPushButton(QStringLiteral("进行分析(&F)"), Frame2), "Command3");
    choices->addWidget(Command3);

    // One student.
    Frame1 = named(new QGroupBox(QStringLiteral("单生分析"), this), "Frame1");
    placeTwips(Frame1, 8640, 4620, 3135, 1920);
    auto *single = new QVBoxLayout(Frame1);
    single->setContentsMargins(6, 2, 6, 4);
    single->setSpacing(2);
    lblLabels4 = named(new QLabel(QStringLiteral("选择要要分析的学生:"), Frame1), "lblLabels4");
    single->addWidget(lblLabels4);
    Combo4 = named(new QComboBox(Frame1), "Combo4");
    fitDropDown(Combo4);
    single->addWidget(Combo4);
    Command1 = named(new QPushButton(QStringLiteral("重点生分析"), Frame1), "Command1");
    Command1->setEnabled(false);
    single->addWidget(Command1);
    single->addStretch();

    Command7 = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command7");
    placeTwips(Command7, 8640, 6660, 3135, 405);

    // The grid and the statistics.
    Frame4 = named(new QGroupBox(QStringLiteral("各薄弱学科统计"), this), "Frame4");
    placeTwips(Frame4, 120, 3840, 8415, 3960);
    Grid1 = named(new FlexGrid(Frame4), "Grid1");
    placeTwips(Grid1, 90, 270, 5715, 3600);
    Grid1->setFixedRows(1);
    Grid1->setFixedCols(0);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Text1 = named(new QPlainTextEdit(QStringLiteral("     统计文字"), Frame4), "Text1");
    placeTwips(Text1, 5880, 270, 2445, 3120);
    Command2 = named(new QPushButton(QStringLiteral("打印结果(&P)"), Frame4), "Command2");
    placeTwips(Command2, 5880, 3465, 2445, 405);


    setMinimumSize(twipsToPixels(kWindowWidth), twipsToPixels(kWindowHeight));
}

void WeakSubjectWindow::buildKeySheet()
{
    SheetArea = named(new QScrollArea(this), "SheetArea");
    SheetArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SheetArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SheetArea->setFrameShape(QFrame::NoFrame);
    placeTwips(SheetArea, 0, 0, kWindowWidth, kStripTop);
    auto *page = new QWidget;
    page->setFixedSize(twipsToPixels(11600), twipsToPixels(19000));
    Picture3 = named(new chart::ChartSurface(grades::designKeySheet(), page), "Picture3");
    Picture3->place();
    SheetArea->setWidget(page);
    VScroll1 = SheetArea->verticalScrollBar();
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    SheetArea->hide();

    Picture2 = named(new QWidget(this), "Picture2");
    Picture2->setAutoFillBackground(true);
    placeTwips(Picture2, 0, kStripTop, kWindowWidth, 1095);
    // "分析重点生从 [Text2] 名开始后10名": the box stands between the caption's two parts.
    auto *caption = named(new QLabel(QStringLiteral("分析重点生从"), Picture2), "lblLabels7");
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placeTwips(caption, 3000, 200, 1620, 300);
    auto *after = new QLabel(QStringLiteral("名开始后10名"), Picture2);
    placeTwips(after, 5235, 200, 1440, 300);
    Text2 = named(new QLineEdit(Picture2), "Text2");
    Text2->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), Text2));
    Text2->setMaxLength(grades::kStartRankDigits);
    Text2->setAlignment(Qt::AlignCenter);
    placeTwips(Text2, 4680, 200, 495, 300);
    Command6 = named(new QPushButton(QStringLiteral("显示结果"), Picture2), "Command6");
    placeTwips(Command6, 6720, 120, 1095, 375);
    Command5 = named(new QPushButton(QStringLiteral("关闭分析"), Picture2), "Command5");
    placeTwips(Command5, 10800, 120, 975, 375);
    for (QPushButton *b : {Command6, Command5})
        b->setStyleSheet(kPinkButton);
    auto *preview = named(new QLabel(QStringLiteral("成绩报表单预览图"), Picture2), "Label4_16");
    QFont bold = preview->font();
    bold.setBold(true);
    preview->setFont(bold);
    preview->setAlignment(Qt::AlignCenter);
    preview->setAutoFillBackground(true);
    preview->setStyleSheet(QStringLiteral("background: rgb(224,255,255);"));
    placeTwips(preview, 0, 600, kWindowWidth, 495);
    Picture2->hide();
}

// ---- Selection ---------------------------------------------------------------------------

void WeakSubjectWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_choice->loadGradeGroups();
    Grid1->setRows(1);
    Grid1->setCols(kLoadedCols);
    const QStringList header = {QStringLiteral(" 学  号"), QStringLiteral(" 姓  名"), QStringLiteral("分数"),
                                QStringLiteral(" 科  目")};
    const int widths[] = {800, 750, 455};
    for (int c = 0; c < kLoadedCols; ++c) {
        Grid1->setTextMatrix(0, c, header[c]);
        if (c < 3)
            Grid1->setColWidth(c, widths[c]);
    }
}

void WeakSubjectWindow::Combo1_Click()
{
    m_choice->chooseGradeGroup();
    List1->clear();
    Combo3->clear();
    Combo4->clear();
    List1_Click();
    Label4->setText(Combo1->currentText() + Combo2->currentText());
    lblLabels5->setText(QStringLiteral("(分析0次考试情况)"));
}

QString WeakSubjectWindow::classTitle() const
{
    return QStringLiteral("分析") + Combo1->currentText().left(2) + Combo2->currentText() + QLatin1Char('(')
           + m_choice->classEntry().actualName + QLatin1Char(')');
}

void WeakSubjectWindow::LoadClassStudents()
{
    if (!m_choice->chooseClass(Combo2->currentIndex()))
        return;
    Session &s = session();
    m_selectedCount = 0;
    m_analysis = {};
    m_identity = reg::ResolveClassCode(Combo1->currentText(), Combo2->currentText(), s.today());
    const score::ClassStudents loaded = score::OpenClassStudents(connection(), m_identity, this);
    Combo4->clear();
    Grid1->setRows(1);
    m_students.clear();
    m_matrix.clear();
    const QList<score::ScoreRow> &rows = loaded.students;
    if (rows.isEmpty()) {
        // The subjects listed belonged to the class before; none of them counts now.
        List1->clear();
        List1_Click();
        return;
    }
    m_columns = loaded.columns;

    Grid1->setUpdatesEnabled(false);
    const int n = int(rows.size());
    Grid1->setRows(1 + 2 * n + 2);
    const int height = RowHeightForFont(*Grid1, kRowHeight);
    for (int r = 0; r < n; ++r) {
        const score::ScoreRow &row = rows[r];
        m_students.append({row.shownId, row.name});
        for (int k = 0; k < 2; ++k) {
            const int g = 2 * r + 1 + k;
            Grid1->setTextMatrix(g, 0, row.shownId);
            Grid1->setTextMatrix(g, 1, row.name);
            Grid1->setTextMatrix(g, 2, k == 0 ? QStringLiteral("原分") : QStringLiteral("标分"));
            Grid1->setRowHeight(g, height);
        }
        Combo4->addItem(row.name.isEmpty() ? row.shownId : row.shownId + QLatin1Char(' ') + row.name);
    }
    for (int k = 0; k < 2; ++k) {
        const int g = 2 * n + 1 + k;
        Grid1->setTextMatrix(g, 0, QStringLiteral("  全班"));
        Grid1->setTextMatrix(g, 1, QStringLiteral("平均分 "));
        Grid1->setTextMatrix(g, 2, k == 0 ? QStringLiteral("原分") : QStringLiteral("标分"));
        Grid1->setRowHeight(g, height);
    }
    Grid1->widenColumnsToText(0, 1, 1, 2 * n);
    Grid1->clearMerges();
    Grid1->mergeCol(0);
    Grid1->mergeCol(1);
    Grid1->setUpdatesEnabled(true);
    Combo4->setCurrentIndex(-1);

    lblLabels4->setText(Combo1->currentText().left(2) + Combo2->currentText() + QStringLiteral("全体学生例表")
                        + QString::number(Combo4->count()) + QStringLiteral("人"));
    Label4->setText(classTitle() + QStringLiteral("薄弱学科情况"));
    Combo3->clear();
    Combo3->addItems(score::ListExamNames(m_columns));
    Combo3->setCurrentIndex(-1);
    fitDropDown(Combo3);
    List1->clear();
    List1_Click();
}

void WeakSubjectWindow::LoadExamSubjects()
{
    if (Combo3->currentIndex() < 0)
        return;
    m_analysis = {};
    Grid1->setCols(3);
    Grid1->setCols(kLoadedCols);
    Grid1->setTextMatrix(0, 3, QStringLiteral("学科"));
    Text1->setPlainText(kStatisticsHead);
    List1->clear();
    m_matrix.clear();

    const QList<grades::ExamSubject> subjects = grades::examSubjects(m_columns, Combo3->currentText());
    QStringList wanted;
    for (const grades::ExamSubject &s : subjects)
        wanted << s.column;
    QVector<QVector<std::optional<float>>> scores(subjects.size());
    const auto read = score::readClassScores(connection(), m_identity.sectionTable, m_identity.classCode, wanted);
    if (!read)
        reportReadFailure(this, connection().error());
    for (const score::StudentScores &record : read.value_or(QVector<score::StudentScores>())) {
        for (int c = 0; c < subjects.size(); ++c) {
            const std::optional<double> stored = record.scores.value(c);
            scores[c].append(stored ? std::optional<float>(float(*stored)) : std::nullopt);
        }
    }
    const int students = int(m_students.size());
    QSignalBlocker quiet(List1);
    for (int c = 0; c < subjects.size(); ++c) {
        scores[c].resize(students);   // the matrix is the class's students, in their order
        m_matrix.append(grades::summariseSubject(subjects[c], scores[c]));
        auto *item = new QListWidgetItem(subjects[c].subject
                                         + grades::participantText(students, m_matrix.last().participants));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        List1->addItem(item);
    }
    List1_Click();
    lblLabels5->setText(QStringLiteral("(分析全部考试科目情况)"));
    Label4->setText(classTitle() + Combo3->currentText() + QStringLiteral("薄弱学科情况"));
}

void WeakSubjectWindow::List1_Click()
{
    m_selectedCount = int(tickedSubjects().size());
    lblLabels5->setText(QStringLiteral("(分析%1科考试情况)").arg(m_selectedCount));
}

QVector<int> WeakSubjectWindow::tickedSubjects() const
{
    QVector<int> ticked;
    for (int i = 0; i < List1->count() && i < m_matrix.size(); ++i) {
        if (List1->item(i)->checkState() == Qt::Checked)
            ticked << i;
    }
    return ticked;
}

QStringList WeakSubjectWindow::studentNames() const
{
    QStringList names;
    for (const Student &s : m_students)
        names << s.name;
    return names;
}

// ---- Analysis ----------------------------------------------------------------------------

bool WeakSubjectWindow::passesSubjectCount(grades::OverLimitText overLimit)
{
    const grades::SubjectCountCheck check = grades::checkSubjectCount(m_selectedCount, overLimit);
    if (check.message.isEmpty())
        return check.go;
    // A warning that lets the analysis go on is a question: No stops it.
    if (check.go)
        return askYesNo(this, check.message, kTitleHintDots);
    showNotice(this, check.message, kTitleHintDots);
    return false;
}

void WeakSubjectWindow::AnalyseWeakSubjects()
{
    if (passesSubjectCount(grades::OverLimitText::Analysis))
        analyse();
}

void WeakSubjectWindow::analyse()
{
    const QVector<int> selected = tickedSubjects();
    const int n = int(m_students.size());
    m_analysis = grades::analyseWeakSubjects(m_matrix, selected, studentNames());
    const int subjects = int(selected.size());

    Grid1->setUpdatesEnabled(false);
    // One column set-up: every cell right of the kind column is written below.
    Grid1->setCols(3 + subjects + 2);
    for (int k = 0; k < subjects; ++k) {
        Grid1->setColWidth(3 + k, 520);
        Grid1->setTextMatrix(0, 3 + k, m_analysis.headers[k]);
    }
    const int totalCol = 3 + subjects, rankCol = totalCol + 1;
    Grid1->setColWidth(totalCol, 600);
    Grid1->setTextMatrix(0, totalCol, QStringLiteral("总  分"));
    Grid1->setColWidth(rankCol, 420);
    Grid1->setTextMatrix(0, rankCol, QStringLiteral("名次"));
    for (int r = 0; r < n && 2 * r + 2 < Grid1->Rows(); ++r) {
        const grades::StudentCells &cells = m_analysis.students[r];
        for (int k = 0; k < subjects; ++k) {
            Grid1->setTextMatrix(2 * r + 1, 3 + k, cells.raw[k]);
            Grid1->setTextMatrix(2 * r + 2, 3 + k, cells.standard[k]);
        }
        Grid1->setTextMatrix(2 * r + 1, totalCol, cells.rawTotal);
        Grid1->setTextMatrix(2 * r + 2, totalCol, cells.standardTotal);
        Grid1->setTextMatrix(2 * r + 1, rankCol, cells.rawRank);
        Grid1->setTextMatrix(2 * r + 2, rankCol, cells.standardRank);
    }
    if (Grid1->Rows() >= 2 * n + 3) {
        for (int k = 0; k < subjects; ++k) {
            Grid1->setTextMatrix(2 * n + 1, 3 + k, m_analysis.averageCells[k]);
            Grid1->setTextMatrix(2 * n + 2, 3 + k, m_analysis.standardSums[k]);
        }
    }
    Grid1->setUpdatesEnabled(true);

    grades::drawAverageBars(AverageChart->frame(), m_matrix, selected, Combo2->currentText(), n);
    const QString exam = Combo3->currentText();
    const QString head = Combo1->currentText().left(2) + Combo2->currentText() + exam.left(exam.size() - 2);
    AverageChart->frame().caption = head + QStringLiteral("各学科平均分");
    AverageChart->update();
    Frame4->setTitle(head + QStringLiteral("各薄弱学科统计(%1)人").arg(n));
    Text1->setPlainText(shownLines(m_analysis.statistics));
    Command1->setEnabled(true);
}

void WeakSubjectWindow::DrawStudentSubjects()
{
    if (!passesSubjectCount(grades::OverLimitText::Student))
        return;
    const int i = Combo4->currentIndex();
    if (Combo4->currentText().isEmpty() || i < 0) {
        showNotice(this, QStringLiteral("请选出一名学生才能进行分析"), kTitleHintDots);
        return;
    }
    // The analysis runs first so that grid, averages and ranks match the ticks;
    // its count check was just made.
    analyse();
    const QString rank = i < m_analysis.students.size() ? m_analysis.students[i].rawRank : QString();
    grades::drawStudentBars(StudentChart->frame(), m_matrix, m_analysis.selected, i, Combo4->currentText(), rank,
                            Combo2->currentText());
    StudentChart->update();
}

void WeakSubjectWindow::Grid1_Click()
{
    const int row = Grid1->Row();
    if (Grid1->Cols() <= kLoadedCols || Grid1->Rows() <= 1 || row < 1)
        return;
    const int student = (row - 1) / 2;
    if (student >= m_students.size() || student >= Combo4->count())
        return;   // the class rows
    Combo4->setCurrentIndex(student);
    DrawStudentSubjects();
}

void WeakSubjectWindow::Command2_Click()
{
    QString text = Text1->toPlainText();
    host().handToPrintPage(Label4->text() + kCrLf + text.replace(QLatin1Char('\n'), kCrLf));
}

// ---- Key-student sheet ---------------------------------------------------------------------

void WeakSubjectWindow::Command1_Click()
{
    if (!passesSubjectCount(grades::OverLimitText::Analysis))
        return;
    Picture2->show();
    Picture2->raise();
    SheetArea->show();
    SheetArea->raise();
    VScroll1->setValue(0);
    const QDate today = session().today();
    grades::setKeySheetDate(Picture3->frame(), shortDateText(today));
    Picture3->update();
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(grey);
    setAutoFillBackground(true);
}

void WeakSubjectWindow::ShowKeyStudents()
{
    if (Text2->text().isEmpty()) {
        showNotice(this, QStringLiteral("请输入重点生数量。"), kTitleHintDots);
        return;
    }
    chart::ChartFrame &sheet = Picture3->frame();
    grades::hideKeyPanels(sheet);
    QStringList ranks;
    for (const grades::StudentCells &cells : m_analysis.students)
        ranks << cells.rawRank;
    const int start = Text2->text().toInt();
    const grades::KeyStudentPick pick = grades::pickKeyStudents(ranks, start, Combo2->currentText());
    for (int f = 0; f < pick.students.size(); ++f) {
        const int s = pick.students[f];
        grades::fillKeyPanel(sheet, f, {s, m_students[s].name, ranks[s]}, m_matrix, m_analysis.selected,
                             Combo2->currentText());
    }
    if (!pick.rangeLine.isEmpty())
        sheet.label(QStringLiteral("Label7"), 75).caption = pick.rangeLine;
    Picture3->update();
}

void WeakSubjectWindow::Command5_Click()
{
    Picture2->hide();
    SheetArea->hide();
    setPalette(QPalette());
    setAutoFillBackground(false);
}

void WeakSubjectWindow::Command7_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
