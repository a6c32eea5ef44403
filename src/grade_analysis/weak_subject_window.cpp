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

// statisticsBox shows lines; the statistics and the print page keep CR LF.
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


    connect(gradeGroupCombo, &QComboBox::activated, this, &WeakSubjectWindow::gradeGroupChosen);
    connect(classCombo, &QComboBox::activated, this, &WeakSubjectWindow::LoadClassStudents);
    connect(examCombo, &QComboBox::activated, this, &WeakSubjectWindow::LoadExamSubjects);
    connect(studentCombo, &QComboBox::activated, this, &WeakSubjectWindow::DrawStudentSubjects);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = gradeGroupCombo, .klass = classCombo, .classes = ClassVariant::HeadTeacher}, *this, this);
    connect(subjectList, &QListWidget::itemChanged, this, &WeakSubjectWindow::subjectClicked);
    connect(resultGrid, &FlexGrid::Click, this, &WeakSubjectWindow::gridClicked);
    connect(analyseButton, &QPushButton::clicked, this, &WeakSubjectWindow::AnalyseWeakSubjects);
    connect(printButton, &QPushButton::clicked, this, &WeakSubjectWindow::printClicked);
    connect(keyStudentsButton, &QPushButton::clicked, this, &WeakSubjectWindow::keyStudentsClicked);
    connect(showButton, &QPushButton::clicked, this, &WeakSubjectWindow::ShowKeyStudents);
    connect(closeSheetButton, &QPushButton::clicked, this, &WeakSubjectWindow::closeSheetClicked);
    connect(closeButton, &QPushButton::clicked, this, &WeakSubjectWindow::closeClicked);
}

WeakSubjectWindow::~WeakSubjectWindow() = default;

QSize WeakSubjectWindow::sizeHint() const
{
    return minimumSize();
}

void WeakSubjectWindow::buildControls()
{
    titleLabel = named(new QLabel(QStringLiteral("薄 弱 学 科 查 询"), this), "Label4");
    QFont titleFont = titleLabel->font();
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    titleLabel->setAlignment(Qt::AlignCenter);
    placeTwips(titleLabel, 0, 60, kWindowWidth, 390);

    AverageChart = named(new chart::ChartSurface(grades::designAverageChart(), this), "Frame3");
    StudentChart = named(new chart::ChartSurface(grades::designStudentChart(), this), "Frame3_1");
    AverageChart->place();
    StudentChart->place();

    // The choices, right of the charts.
    choiceFrame = named(new QGroupBox(QStringLiteral("选择分析内容"), this), "Frame2");
    placeTwips(choiceFrame, 8640, 420, 3135, 4140);
    auto *choices = new QVBoxLayout(choiceFrame);
    choices->setContentsMargins(6, 2, 6, 4);
    choices->setSpacing(2);
    const auto row = [&](const QString &caption, QComboBox *&combo, const char *name) {
        choices->addWidget(new QLabel(caption, choiceFrame));
        combo = named(new QComboBox(choiceFrame), name);
        fitDropDown(combo);
        choices->addWidget(combo);
    };
    row(QStringLiteral("选择年级组:"), gradeGroupCombo, "Combo1");
    row(QStringLiteral("选择班级:"), classCombo, "Combo2");
    row(QStringLiteral("已有的考试:"), examCombo, "Combo3");
    subjectCountLabel = named(new QLabel(QStringLiteral("(分析0次考试科目)"), choiceFrame), "lblLabels5");
    choices->addWidget(subjectCountLabel);
    subjectList = named(new QListWidget(choiceFrame), "List1");
    choices->addWidget(subjectList, 1);
    analyseButton = named(new QPushButton(QStringLiteral("进行分析(&F)"), choiceFrame), "Command3");
    choices->addWidget(analyseButton);

    // One student.
    studentFrame = named(new QGroupBox(QStringLiteral("单生分析"), this), "Frame1");
    placeTwips(studentFrame, 8640, 4620, 3135, 1920);
    auto *single = new QVBoxLayout(studentFrame);
    single->setContentsMargins(6, 2, 6, 4);
    single->setSpacing(2);
    studentHeading = named(new QLabel(QStringLiteral("选择要要分析的学生:"), studentFrame), "lblLabels4");
    single->addWidget(studentHeading);
    studentCombo = named(new QComboBox(studentFrame), "Combo4");
    fitDropDown(studentCombo);
    single->addWidget(studentCombo);
    keyStudentsButton = named(new QPushButton(QStringLiteral("重点生分析"), studentFrame), "Command1");
    keyStudentsButton->setEnabled(false);
    single->addWidget(keyStudentsButton);
    single->addStretch();

    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), this), "Command7");
    placeTwips(closeButton, 8640, 6660, 3135, 405);

    // The grid and the statistics.
    resultFrame = named(new QGroupBox(QStringLiteral("各薄弱学科统计"), this), "Frame4");
    placeTwips(resultFrame, 120, 3840, 8415, 3960);
    resultGrid = named(new FlexGrid(resultFrame), "Grid1");
    placeTwips(resultGrid, 90, 270, 5715, 3600);
    resultGrid->setFixedRows(1);
    resultGrid->setFixedCols(0);
    resultGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    resultGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    statisticsBox = named(new QPlainTextEdit(QStringLiteral("     统计文字"), resultFrame), "Text1");
    placeTwips(statisticsBox, 5880, 270, 2445, 3120);
    printButton = named(new QPushButton(QStringLiteral("打印结果(&P)"), resultFrame), "Command2");
    placeTwips(printButton, 5880, 3465, 2445, 405);


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
    sheetChart = named(new chart::ChartSurface(grades::designKeySheet(), page), "Picture3");
    sheetChart->place();
    SheetArea->setWidget(page);
    sheetScroll = SheetArea->verticalScrollBar();
    sheetScroll->setObjectName(QStringLiteral("VScroll1"));
    SheetArea->hide();

    controlStrip = named(new QWidget(this), "Picture2");
    controlStrip->setAutoFillBackground(true);
    placeTwips(controlStrip, 0, kStripTop, kWindowWidth, 1095);
    // "分析重点生从 [startRankBox] 名开始后10名": the box stands between the caption's two parts.
    auto *caption = named(new QLabel(QStringLiteral("分析重点生从"), controlStrip), "lblLabels7");
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    placeTwips(caption, 3000, 200, 1620, 300);
    auto *after = new QLabel(QStringLiteral("名开始后10名"), controlStrip);
    placeTwips(after, 5235, 200, 1440, 300);
    startRankBox = named(new QLineEdit(controlStrip), "Text2");
    startRankBox->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), startRankBox));
    startRankBox->setMaxLength(grades::kStartRankDigits);
    startRankBox->setAlignment(Qt::AlignCenter);
    placeTwips(startRankBox, 4680, 200, 495, 300);
    showButton = named(new QPushButton(QStringLiteral("显示结果"), controlStrip), "Command6");
    placeTwips(showButton, 6720, 120, 1095, 375);
    closeSheetButton = named(new QPushButton(QStringLiteral("关闭分析"), controlStrip), "Command5");
    placeTwips(closeSheetButton, 10800, 120, 975, 375);
    for (QPushButton *b : {showButton, closeSheetButton})
        b->setStyleSheet(kPinkButton);
    auto *preview = named(new QLabel(QStringLiteral("成绩报表单预览图"), controlStrip), "Label4_16");
    QFont bold = preview->font();
    bold.setBold(true);
    preview->setFont(bold);
    preview->setAlignment(Qt::AlignCenter);
    preview->setAutoFillBackground(true);
    preview->setStyleSheet(QStringLiteral("background: rgb(224,255,255);"));
    placeTwips(preview, 0, 600, kWindowWidth, 495);
    controlStrip->hide();
}

// ---- Selection ---------------------------------------------------------------------------

void WeakSubjectWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_choice->loadGradeGroups();
    resultGrid->setRows(1);
    resultGrid->setCols(kLoadedCols);
    const QStringList header = {QStringLiteral(" 学  号"), QStringLiteral(" 姓  名"), QStringLiteral("分数"),
                                QStringLiteral(" 科  目")};
    const int widths[] = {800, 750, 455};
    for (int c = 0; c < kLoadedCols; ++c) {
        resultGrid->setTextMatrix(0, c, header[c]);
        if (c < 3)
            resultGrid->setColWidth(c, widths[c]);
    }
}

void WeakSubjectWindow::gradeGroupChosen()
{
    m_choice->chooseGradeGroup();
    subjectList->clear();
    examCombo->clear();
    studentCombo->clear();
    subjectClicked();
    titleLabel->setText(gradeGroupCombo->currentText() + classCombo->currentText());
    subjectCountLabel->setText(QStringLiteral("(分析0次考试情况)"));
}

QString WeakSubjectWindow::classTitle() const
{
    return QStringLiteral("分析") + gradeGroupCombo->currentText().left(2) + classCombo->currentText() + QLatin1Char('(')
           + m_choice->classEntry().actualName + QLatin1Char(')');
}

void WeakSubjectWindow::LoadClassStudents()
{
    if (!m_choice->chooseClass(classCombo->currentIndex()))
        return;
    Session &s = session();
    m_selectedCount = 0;
    m_analysis = {};
    m_identity = school::ResolveClassCode(gradeGroupCombo->currentText(), classCombo->currentText(), s.today());
    const ClassStudents loaded = OpenClassStudents(connection(), m_identity, this);
    studentCombo->clear();
    resultGrid->setRows(1);
    m_students.clear();
    m_matrix.clear();
    const QList<school::ScoreRow> &rows = loaded.students;
    if (rows.isEmpty()) {
        // The subjects listed belonged to the class before; none of them counts now.
        subjectList->clear();
        subjectClicked();
        return;
    }
    m_columns = loaded.columns;

    resultGrid->setUpdatesEnabled(false);
    const int n = int(rows.size());
    resultGrid->setRows(1 + 2 * n + 2);
    const int height = RowHeightForFont(*resultGrid, kRowHeight);
    for (int r = 0; r < n; ++r) {
        const school::ScoreRow &row = rows[r];
        m_students.append({row.shownId, row.name});
        for (int k = 0; k < 2; ++k) {
            const int g = 2 * r + 1 + k;
            resultGrid->setTextMatrix(g, 0, row.shownId);
            resultGrid->setTextMatrix(g, 1, row.name);
            resultGrid->setTextMatrix(g, 2, k == 0 ? QStringLiteral("原分") : QStringLiteral("标分"));
            resultGrid->setRowHeight(g, height);
        }
        studentCombo->addItem(row.name.isEmpty() ? row.shownId : row.shownId + QLatin1Char(' ') + row.name);
    }
    for (int k = 0; k < 2; ++k) {
        const int g = 2 * n + 1 + k;
        resultGrid->setTextMatrix(g, 0, QStringLiteral("  全班"));
        resultGrid->setTextMatrix(g, 1, QStringLiteral("平均分 "));
        resultGrid->setTextMatrix(g, 2, k == 0 ? QStringLiteral("原分") : QStringLiteral("标分"));
        resultGrid->setRowHeight(g, height);
    }
    resultGrid->widenColumnsToText(0, 1, 1, 2 * n);
    resultGrid->clearMerges();
    resultGrid->mergeCol(0);
    resultGrid->mergeCol(1);
    resultGrid->setUpdatesEnabled(true);
    studentCombo->setCurrentIndex(-1);

    studentHeading->setText(gradeGroupCombo->currentText().left(2) + classCombo->currentText() + QStringLiteral("全体学生例表")
                        + QString::number(studentCombo->count()) + QStringLiteral("人"));
    titleLabel->setText(classTitle() + QStringLiteral("薄弱学科情况"));
    examCombo->clear();
    examCombo->addItems(school::ListExamNames(m_columns));
    examCombo->setCurrentIndex(-1);
    fitDropDown(examCombo);
    subjectList->clear();
    subjectClicked();
}

void WeakSubjectWindow::LoadExamSubjects()
{
    if (examCombo->currentIndex() < 0)
        return;
    m_analysis = {};
    resultGrid->setCols(3);
    resultGrid->setCols(kLoadedCols);
    resultGrid->setTextMatrix(0, 3, QStringLiteral("学科"));
    statisticsBox->setPlainText(kStatisticsHead);
    subjectList->clear();
    m_matrix.clear();

    const QList<school::ExamSubject> subjects = school::examSubjects(m_columns, examCombo->currentText());
    QStringList wanted;
    for (const school::ExamSubject &s : subjects)
        wanted << s.column;
    QVector<QVector<std::optional<float>>> scores(subjects.size());
    const auto read = school::readClassScores(connection(), m_identity.sectionTable, m_identity.classCode, wanted);
    if (!read)
        reportReadFailure(this, connection().error());
    for (const school::StudentScores &record : read.value_or(QVector<school::StudentScores>())) {
        for (int c = 0; c < subjects.size(); ++c) {
            const std::optional<double> stored = record.scores.value(c);
            scores[c].append(stored ? std::optional<float>(float(*stored)) : std::nullopt);
        }
    }
    const int students = int(m_students.size());
    QSignalBlocker quiet(subjectList);
    for (int c = 0; c < subjects.size(); ++c) {
        scores[c].resize(students);   // the matrix is the class's students, in their order
        m_matrix.append(grades::summariseSubject(subjects[c], scores[c]));
        auto *item = new QListWidgetItem(subjects[c].subject
                                         + grades::participantText(students, m_matrix.last().participants));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        subjectList->addItem(item);
    }
    subjectClicked();
    subjectCountLabel->setText(QStringLiteral("(分析全部考试科目情况)"));
    titleLabel->setText(classTitle() + examCombo->currentText() + QStringLiteral("薄弱学科情况"));
}

void WeakSubjectWindow::subjectClicked()
{
    m_selectedCount = int(tickedSubjects().size());
    subjectCountLabel->setText(QStringLiteral("(分析%1科考试情况)").arg(m_selectedCount));
}

QVector<int> WeakSubjectWindow::tickedSubjects() const
{
    QVector<int> ticked;
    for (int i = 0; i < subjectList->count() && i < m_matrix.size(); ++i) {
        if (subjectList->item(i)->checkState() == Qt::Checked)
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

    resultGrid->setUpdatesEnabled(false);
    // One column set-up: every cell right of the kind column is written below.
    resultGrid->setCols(3 + subjects + 2);
    for (int k = 0; k < subjects; ++k) {
        resultGrid->setColWidth(3 + k, 520);
        resultGrid->setTextMatrix(0, 3 + k, m_analysis.headers[k]);
    }
    const int totalCol = 3 + subjects, rankCol = totalCol + 1;
    resultGrid->setColWidth(totalCol, 600);
    resultGrid->setTextMatrix(0, totalCol, QStringLiteral("总  分"));
    resultGrid->setColWidth(rankCol, 420);
    resultGrid->setTextMatrix(0, rankCol, QStringLiteral("名次"));
    for (int r = 0; r < n && 2 * r + 2 < resultGrid->Rows(); ++r) {
        const grades::StudentCells &cells = m_analysis.students[r];
        for (int k = 0; k < subjects; ++k) {
            resultGrid->setTextMatrix(2 * r + 1, 3 + k, cells.raw[k]);
            resultGrid->setTextMatrix(2 * r + 2, 3 + k, cells.standard[k]);
        }
        resultGrid->setTextMatrix(2 * r + 1, totalCol, cells.rawTotal);
        resultGrid->setTextMatrix(2 * r + 2, totalCol, cells.standardTotal);
        resultGrid->setTextMatrix(2 * r + 1, rankCol, cells.rawRank);
        resultGrid->setTextMatrix(2 * r + 2, rankCol, cells.standardRank);
    }
    if (resultGrid->Rows() >= 2 * n + 3) {
        for (int k = 0; k < subjects; ++k) {
            resultGrid->setTextMatrix(2 * n + 1, 3 + k, m_analysis.averageCells[k]);
            resultGrid->setTextMatrix(2 * n + 2, 3 + k, m_analysis.standardSums[k]);
        }
    }
    resultGrid->setUpdatesEnabled(true);

    grades::drawAverageBars(AverageChart->frame(), m_matrix, selected, classCombo->currentText(), n);
    const QString exam = examCombo->currentText();
    const QString head = gradeGroupCombo->currentText().left(2) + classCombo->currentText() + exam.left(exam.size() - 2);
    AverageChart->frame().caption = head + QStringLiteral("各学科平均分");
    AverageChart->update();
    resultFrame->setTitle(head + QStringLiteral("各薄弱学科统计(%1)人").arg(n));
    statisticsBox->setPlainText(shownLines(m_analysis.statistics));
    keyStudentsButton->setEnabled(true);
}

void WeakSubjectWindow::DrawStudentSubjects()
{
    if (!passesSubjectCount(grades::OverLimitText::Student))
        return;
    const int i = studentCombo->currentIndex();
    if (studentCombo->currentText().isEmpty() || i < 0) {
        showNotice(this, QStringLiteral("请选出一名学生才能进行分析"), kTitleHintDots);
        return;
    }
    // The analysis runs first so that grid, averages and ranks match the ticks;
    // its count check was just made.
    analyse();
    const QString rank = i < m_analysis.students.size() ? m_analysis.students[i].rawRank : QString();
    grades::drawStudentBars(StudentChart->frame(), m_matrix, m_analysis.selected, i, studentCombo->currentText(), rank,
                            classCombo->currentText());
    StudentChart->update();
}

void WeakSubjectWindow::gridClicked()
{
    const int row = resultGrid->Row();
    if (resultGrid->Cols() <= kLoadedCols || resultGrid->Rows() <= 1 || row < 1)
        return;
    const int student = (row - 1) / 2;
    if (student >= m_students.size() || student >= studentCombo->count())
        return;   // the class rows
    studentCombo->setCurrentIndex(student);
    DrawStudentSubjects();
}

void WeakSubjectWindow::printClicked()
{
    QString text = statisticsBox->toPlainText();
    host().handToPrintPage(titleLabel->text() + kCrLf + text.replace(QLatin1Char('\n'), kCrLf));
}

// ---- Key-student sheet ---------------------------------------------------------------------

void WeakSubjectWindow::keyStudentsClicked()
{
    if (!passesSubjectCount(grades::OverLimitText::Analysis))
        return;
    controlStrip->show();
    controlStrip->raise();
    SheetArea->show();
    SheetArea->raise();
    sheetScroll->setValue(0);
    const QDate today = session().today();
    grades::setKeySheetDate(sheetChart->frame(), shortDateText(today));
    sheetChart->update();
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(grey);
    setAutoFillBackground(true);
}

void WeakSubjectWindow::ShowKeyStudents()
{
    if (startRankBox->text().isEmpty()) {
        showNotice(this, QStringLiteral("请输入重点生数量。"), kTitleHintDots);
        return;
    }
    chart::ChartFrame &sheet = sheetChart->frame();
    grades::hideKeyPanels(sheet);
    QStringList ranks;
    for (const grades::StudentCells &cells : m_analysis.students)
        ranks << cells.rawRank;
    const int start = startRankBox->text().toInt();
    const grades::KeyStudentPick pick = grades::pickKeyStudents(ranks, start, classCombo->currentText());
    for (int f = 0; f < pick.students.size(); ++f) {
        const int s = pick.students[f];
        grades::fillKeyPanel(sheet, f, {s, m_students[s].name, ranks[s]}, m_matrix, m_analysis.selected,
                             classCombo->currentText());
    }
    if (!pick.rangeLine.isEmpty())
        sheet.label(QStringLiteral("Label7"), 75).caption = pick.rangeLine;
    sheetChart->update();
}

void WeakSubjectWindow::closeSheetClicked()
{
    controlStrip->hide();
    SheetArea->hide();
    setPalette(QPalette());
    setAutoFillBackground(false);
}

void WeakSubjectWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
