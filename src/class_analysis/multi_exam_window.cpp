#include "class_analysis/multi_exam_window.h"

#include "class_analysis/subject_trend_charts.h"
#include "kit/save_report.h"
#include "kit/session.h"
#include "kit/window_steps.h"
#include "widgets/chart_surface.h"
#include "widgets/data_control.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "school/class_code.h"
#include "school/exam_columns.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

namespace {

// The right-hand column beside the charts.
constexpr int kRightLeft = 8640;
constexpr int kRightWidth = 3135;
constexpr int kWindowWidth = 11895;
constexpr int kStripHeight = 375;

QLabel *strip(QWidget *parent, const char *name, const QString &text)
{
    QLabel *l = named(new QLabel(text, parent), name);
    l->setAlignment(Qt::AlignCenter);
    l->setAutoFillBackground(true);
    QPalette p = l->palette();
    p.setColor(QPalette::Window, QColor(chart::bgr(0xFFFFC0)));
    l->setPalette(p);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

// The height a frame's layout needs at its width (wrapped notes included).
int neededHeight(QWidget *frame, int width)
{
    const int forWidth = frame->hasHeightForWidth() ? frame->heightForWidth(width) : -1;
    return std::max(forWidth, frame->minimumSizeHint().height());
}

QLabel *note(QWidget *parent, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

} // namespace

MultiExamWindow::MultiExamWindow(WindowHost &host, QWidget *parent) : QWidget(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("单科多次成绩横向分析"));
    setWindowTitle(QStringLiteral("单科多次成绩横向分析"));
    buildControls();


    connect(gradeGroupCombo, &QComboBox::activated, this, &MultiExamWindow::gradeGroupChosen);
    connect(classCombo, &QComboBox::activated, this, &MultiExamWindow::classChosen);
    connect(subjectCombo, &QComboBox::activated, this, &MultiExamWindow::subjectChosen);
    connect(studentCombo, &QComboBox::activated, this, &MultiExamWindow::studentChosen);
    m_choice = std::make_unique<ClassChoice>(ClassChoice::Steps{.gradeGroup = gradeGroupCombo,
                                                                .klass = classCombo,
                                                                .subject = subjectCombo,
                                                                .classes = ClassVariant::HeadTeacher,
                                                                .noticeWhenNoSubject = false},
                                             *this, this);
    connect(examList, &QListWidget::itemChanged, this, &MultiExamWindow::examTicked);
    connect(analyseButton, &QPushButton::clicked, this, &MultiExamWindow::analyseClicked);
    connect(studentButton, &QPushButton::clicked, this, &MultiExamWindow::studentClicked);
    connect(closeButton, &QPushButton::clicked, this, &MultiExamWindow::closeClicked);
}

MultiExamWindow::~MultiExamWindow() = default;

QSize MultiExamWindow::sizeHint() const
{
    return minimumSize();
}

void MultiExamWindow::buildControls()
{
    titleLabel = strip(this, "Label4", QStringLiteral("单 科 多 次 成 绩 分 析"));
    bottomLabel = strip(this, "Label5", QStringLiteral("进行单科多次成绩横向分析"));

    classTrendChart = named(new chart::ChartSurface(analysis::designClassTrendChart(), this), "Frame3");
    classTrendChart->setEnabled(false);   // until a subject is loaded
    studentTrendChart = named(new chart::ChartSurface(analysis::designStudentTrendChart(), this), "Frame5");

    classFrame = named(new QGroupBox(QStringLiteral("总体分析"), this), "Frame2");
    gradeGroupCombo = named(new QComboBox(classFrame), "Combo1");
    classCombo = named(new QComboBox(classFrame), "Combo2");
    subjectCombo = named(new QComboBox(classFrame), "Combo3");
    for (QComboBox *c : {gradeGroupCombo, classCombo, subjectCombo})
        fitDropDown(c);
    auto *form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->setVerticalSpacing(2);
    form->addRow(new QLabel(QStringLiteral("选择年级组:"), classFrame), gradeGroupCombo);
    form->addRow(new QLabel(QStringLiteral("选 择班 级:"), classFrame), classCombo);
    form->addRow(new QLabel(QStringLiteral("选 择学 科:"), classFrame), subjectCombo);
    examCountLabel = named(new QLabel(analysis::examCountText(0), classFrame), "lblLabels5");
    form->addRow(new QLabel(QStringLiteral("已有的考试:"), classFrame), examCountLabel);
    examList = named(new QListWidget(classFrame), "List1");
    examList->setMinimumHeight(twipsToPixels(1200));
    printButton = named(new QPushButton(QStringLiteral("打印结果(&P)"), classFrame), "Command2");
    printButton->hide();   // has no operation
    analyseButton = named(new QPushButton(QStringLiteral("进行分析(&F)"), classFrame), "Command3");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(printButton);
    buttons->addStretch();
    buttons->addWidget(analyseButton);
    auto *column = new QVBoxLayout(classFrame);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(4);
    column->addLayout(form);
    column->addWidget(examList, 1);
    column->addWidget(note(classFrame, QStringLiteral("    说明：需要选中多个考试名称后，才能分析。")));
    column->addLayout(buttons);

    studentFrame = named(new QGroupBox(QStringLiteral("单生分析"), this), "Frame1");
    studentCountLabel = named(new QLabel(QStringLiteral("选择要要分析的学生:"), studentFrame), "lblLabels4");
    studentCombo = named(new QComboBox(studentFrame), "Combo4");
    studentCombo->setEditable(true);   // a typed name is no choice
    studentCombo->setInsertPolicy(QComboBox::NoInsert);
    fitDropDown(studentCombo);
    studentButton = named(new QPushButton(QStringLiteral("单生分析(&X)"), studentFrame), "Command1");
    closeButton = named(new QPushButton(QStringLiteral("关闭(&C)"), studentFrame), "Command7");
    auto *studentButtons = new QHBoxLayout;
    studentButtons->addWidget(studentButton);
    studentButtons->addStretch();
    studentButtons->addWidget(closeButton);
    auto *studentColumn = new QVBoxLayout(studentFrame);
    studentColumn->setContentsMargins(8, 4, 8, 6);
    studentColumn->setSpacing(4);
    studentColumn->addWidget(studentCountLabel);
    studentColumn->addWidget(studentCombo);
    studentColumn->addWidget(note(studentFrame, QStringLiteral("    说明：选中你要分析的学生后，点分析即可。")));
    studentColumn->addStretch();
    studentColumn->addLayout(studentButtons);


    placeControls();
}

// The charts at their places; on the right the two frames, the lower one as
// tall as its controls need (1935 twips at least) and ending with the charts,
// the exam list taking what is left above it.
void MultiExamWindow::placeControls()
{
    titleLabel->setGeometry(twipsRect(0, 0, kWindowWidth, kStripHeight));
    classTrendChart->place();
    studentTrendChart->place();
    const int gap = twipsToPixels(105);
    const QRect column = twipsRect(kRightLeft, 480, kRightWidth, 0);
    const int chartsBottom = studentTrendChart->geometry().bottom() + 1;
    const int frame1Height = std::max(twipsToPixels(1935), neededHeight(studentFrame, column.width()));
    const int frame2Height = std::max(chartsBottom - frame1Height - gap - column.top(),
                                      classFrame->minimumSizeHint().height());
    classFrame->setGeometry(column.left(), column.top(), column.width(), frame2Height);
    studentFrame->setGeometry(column.left(), column.top() + frame2Height + gap, column.width(), frame1Height);
    const int stripTop = std::max(chartsBottom, studentFrame->geometry().bottom() + 1) + gap;
    const int stripHeight = twipsToPixels(kStripHeight);
    bottomLabel->setGeometry(0, stripTop, twipsToPixels(kWindowWidth), stripHeight);
    setMinimumSize(twipsToPixels(kWindowWidth), stripTop + stripHeight);
}

// ---- Selection -------------------------------------------------------------

void MultiExamWindow::Form_Load()
{
    MoveToTopLeft(this);
    m_choice->loadGradeGroups();
}

// The exam list, the matrix and the count belong to one class and subject: a
// new choice above them empties them, so a chart never reads another class.
void MultiExamWindow::clearExams()
{
    const QSignalBlocker quiet(examList);
    examList->clear();
    m_scores = {};
    m_selectedCount = 0;
    examCountLabel->setText(analysis::examCountText(0));
}

void MultiExamWindow::gradeGroupChosen()
{
    m_choice->chooseGradeGroup();
    studentCombo->clear();
    clearExams();
    titleLabel->setText(gradeGroupCombo->currentText() + classCombo->currentText());
}

void MultiExamWindow::classChosen()
{
    if (!m_choice->chooseClass(classCombo->currentIndex()))
        return;
    fitDropDown(subjectCombo);
    studentCombo->clear();
    clearExams();
    const ClassEntry chosen = m_choice->classEntry();
    titleLabel->setText(QStringLiteral("分析") + gradeGroupCombo->currentText().left(2) + classCombo->currentText()
                    + QLatin1Char('(') + chosen.actualName + QStringLiteral(")成绩 班主任:") + chosen.headTeacher);
}

void MultiExamWindow::subjectChosen()
{
    if (!m_choice->chooseSubject(subjectCombo->currentIndex()))
        return;
    clearExams();
    const QString grade = gradeGroupCombo->currentText();
    const QString className = classCombo->currentText();
    const QString subject = subjectCombo->currentText();
    const school::ClassIdentity identity = school::ResolveClassCode(grade, className, session().today());

    studentCombo->clear();
    studentTrendChart->frame().label(QStringLiteral("Label7"), 11).caption = QStringLiteral("显示学生名");
    studentTrendChart->update();

    const std::optional<analysis::SubjectScores> read = analysis::readSubjectScores(connection(), identity, grade, className, subject);
    if (!read) {
        reportReadFailure(this, connection().error());
        return;
    }
    if (read->students.isEmpty())
        return;
    analysis::SubjectScores loaded = *read;

    for (const analysis::TrendStudent &s : loaded.students)
        studentCombo->addItem(analysis::studentItemText(s));
    studentCombo->setCurrentIndex(-1);
    studentCountLabel->setText(grade.left(2) + className + QStringLiteral("全体学生例表%1人").arg(studentCombo->count()));
    const ClassEntry chosen = m_choice->classEntry();
    titleLabel->setText(QStringLiteral("分析") + grade.left(2) + className + QLatin1Char('(') + chosen.actualName
                    + QLatin1Char(')') + subject + QStringLiteral("成绩 任课教师:") + m_choice->subjectEntry().teacher);
    classTrendChart->setEnabled(true);

    {
        const QSignalBlocker quiet(examList);
        for (const QString &exam : loaded.exams) {
            auto *item = new QListWidgetItem(school::DecodeExamName(exam, school::kCanonicalNames), examList);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
    }
    m_scores = std::move(loaded);
    m_selectedCount = examList->count();
    examCountLabel->setText(analysis::examCountText(m_selectedCount));
}

void MultiExamWindow::examTicked()
{
    m_selectedCount = int(chosenExams().size());
    examCountLabel->setText(analysis::examCountText(m_selectedCount));
}

QList<int> MultiExamWindow::chosenExams() const
{
    QList<int> chosen;
    for (int i = 0; i < examList->count(); ++i) {
        if (examList->item(i)->checkState() == Qt::Checked)
            chosen << i;
    }
    return chosen;
}

QStringList MultiExamWindow::examNames() const
{
    QStringList names;
    for (int i = 0; i < examList->count(); ++i)
        names << examList->item(i)->text();
    return names;
}

// The student picked from the list; -1 when none is, or the box holds typed text.
int MultiExamWindow::chosenStudent() const
{
    const int i = studentCombo->currentIndex();
    if (i < 0 || i >= m_scores.matrix.students() || studentCombo->currentText() != studentCombo->itemText(i))
        return -1;
    return i;
}

// ---- Charts ------------------------------------------------------------------

void MultiExamWindow::analyseClicked()
{
    const int z = m_selectedCount;
    if (z == 0)
        return showNotice(this, analysis::kNoExamChosen, kTitleHintDots);
    if (z > analysis::kMaxTrendExams)
        return showNotice(this, analysis::kTooManyExams, kTitleHintDots);
    if (z == 1)
        return showNotice(this, analysis::kOneExamRefused, kTitleHintDots);
    analysis::drawClassTrend(classTrendChart->frame(), m_scores.matrix, chosenExams(), examNames(), m_scores.fullMarks);
    classTrendChart->update();
}

void MultiExamWindow::studentChosen()
{
    const int student = chosenStudent();
    if (student < 0)
        return showNotice(this, analysis::kNoStudentChosen, kTitleHintDots);
    if (!analysis::confirmStudentTrendCount(this, m_selectedCount))
        return;
    analysis::drawStudentTrend(studentTrendChart->frame(), m_scores.matrix, student, studentCombo->itemText(student), chosenExams(),
                               examNames());
    studentTrendChart->update();
}

void MultiExamWindow::studentClicked()
{
    studentChosen();
}

void MultiExamWindow::closeClicked()
{
    CloseWindow(this);
}

} // namespace tessaly
