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


    connect(Combo1, &QComboBox::activated, this, &MultiExamWindow::Combo1_Click);
    connect(Combo2, &QComboBox::activated, this, &MultiExamWindow::Combo2_Click);
    connect(Combo3, &QComboBox::activated, this, &MultiExamWindow::Combo3_Click);
    connect(Combo4, &QComboBox::activated, this, &MultiExamWindow::Combo4_Click);
    m_choice = std::make_unique<ClassChoice>(ClassChoice::Steps{.gradeGroup = Combo1,
                                                                .klass = Combo2,
                                                                .subject = Combo3,
                                                                .classes = ClassVariant::HeadTeacher,
                                                                .noticeWhenNoSubject = false},
                                             *this, this);
    connect(List1, &QListWidget::itemChanged, this, &MultiExamWindow::List1_Click);
    connect(Command3, &QPushButton::clicked, this, &MultiExamWindow::Command3_Click);
    connect(Command1, &QPushButton::clicked, this, &MultiExamWindow::Command1_Click);
    connect(Command7, &QPushButton::clicked, this, &MultiExamWindow::Command7_Click);
}

MultiExamWindow::~MultiExamWindow() = default;

QSize MultiExamWindow::sizeHint() const
{
    return minimumSize();
}

void MultiExamWindow::buildControls()
{
    Label4 = strip(this, "Label4", QStringLiteral("单 科 多 次 成 绩 分 析"));
    Label5 = strip(this, "Label5", QStringLiteral("进行单科多次成绩横向分析"));

    Frame3 = named(new chart::ChartSurface(analysis::designClassTrendChart(), this), "Frame3");
    Frame3->setEnabled(false);   // until a subject is loaded
    Frame5 = named(new chart::ChartSurface(analysis::designStudentTrendChart(), this), "Frame5");

    Frame2 = named(new QGroupBox(QStringLiteral("总体分析"), this), "Frame2");
    Combo1 = named(new QComboBox(Frame2), "Combo1");
    Combo2 = named(new QComboBox(Frame2), "Combo2");
    Combo3 = named(new QComboBox(Frame2), "Combo3");
    for (QComboBox *c : {Combo1, Combo2, Combo3})
        fitDropDown(c);
    auto *form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->setVerticalSpacing(2);
    form->addRow(new QLabel(QStringLiteral("选择年级组:"), Frame2), Combo1);
    form->addRow(new QLabel(QStringLiteral("选 择班 级:"), Frame2), Combo2);
    form->addRow(new QLabel(QStringLiteral("选 择学 科:"), Frame2), Combo3);
    lblLabels5 = named(new QLabel(analysis::examCountText(0), Frame2), "lblLabels5");
    form->addRow(new QLabel(QStringLiteral("已有的考试:"), Frame2), lblLabels5);
    List1 = named(new QListWidget(Frame2), "List1");
    List1->setMinimumHeight(twipsToPixels(1200));
    Command2 = named(new QPushButton(QStringLiteral("打印结果(&P)"), Frame2), "Command2");
    Command2->hide();   // has no operation
    Command3 = named(new QPushButton(QStringLiteral("进行分析(&F)"), Frame2), "Command3");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(Command3);
    auto *column = new QVBoxLayout(Frame2);
    column->setContentsMargins(8, 4, 8, 6);
    column->setSpacing(4);
    column->addLayout(form);
    column->addWidget(List1, 1);
    column->addWidget(note(Frame2, QStringLiteral("    说明：需要选中多个考试名称后，才能分析。")));
    column->addLayout(buttons);

    Frame1 = named(new QGroupBox(QStringLiteral("单生分析"), this), "Frame1");
    lblLabels4 = named(new QLabel(QStringLiteral("选择要要分析的学生:"), Frame1), "lblLabels4");
    Combo4 = named(new QComboBox(Frame1), "Combo4");
    Combo4->setEditable(true);   // a typed name is no choice
    Combo4->setInsertPolicy(QComboBox::NoInsert);
    fitDropDown(Combo4);
    Command1 = named(new QPushButton(QStringLiteral("单生分析(&X)"), Frame1), "Command1");
    Command7 = named(new QPushButton(QStringLiteral("关闭(&C)"), Frame1), "Command7");
    auto *studentButtons = new QHBoxLayout;
    studentButtons->addWidget(Command1);
    studentButtons->addStretch();
    studentButtons->addWidget(Command7);
    auto *studentColumn = new QVBoxLayout(Frame1);
    studentColumn->setContentsMargins(8, 4, 8, 6);
    studentColumn->setSpacing(4);
    studentColumn->addWidget(lblLabels4);
    studentColumn->addWidget(Combo4);
    studentColumn->addWidget(note(Frame1, QStringLiteral("    说明：选中你要分析的学生后，点分析即可。")));
    studentColumn->addStretch();
    studentColumn->addLayout(studentButtons);


    placeControls();
}

// The charts at their places; on the right the two frames, the lower one as
// tall as its controls need (1935 twips at least) and ending with the charts,
// the exam list taking what is left above it.
void MultiExamWindow::placeControls()
{
    Label4->setGeometry(twipsRect(0, 0, kWindowWidth, kStripHeight));
    Frame3->place();
    Frame5->place();
    const int gap = twipsToPixels(105);
    const QRect column = twipsRect(kRightLeft, 480, kRightWidth, 0);
    const int chartsBottom = Frame5->geometry().bottom() + 1;
    const int frame1Height = std::max(twipsToPixels(1935), neededHeight(Frame1, column.width()));
    const int frame2Height = std::max(chartsBottom - frame1Height - gap - column.top(),
                                      Frame2->minimumSizeHint().height());
    Frame2->setGeometry(column.left(), column.top(), column.width(), frame2Height);
    Frame1->setGeometry(column.left(), column.top() + frame2Height + gap, column.width(), frame1Height);
    const int stripTop = std::max(chartsBottom, Frame1->geometry().bottom() + 1) + gap;
    const int stripHeight = twipsToPixels(kStripHeight);
    Label5->setGeometry(0, stripTop, twipsToPixels(kWindowWidth), stripHeight);
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
    const QSignalBlocker quiet(List1);
    List1->clear();
    m_scores = {};
    m_selectedCount = 0;
    lblLabels5->setText(analysis::examCountText(0));
}

void MultiExamWindow::Combo1_Click()
{
    m_choice->chooseGradeGroup();
    Combo4->clear();
    clearExams();
    Label4->setText(Combo1->currentText() + Combo2->currentText());
}

void MultiExamWindow::Combo2_Click()
{
    if (!m_choice->chooseClass(Combo2->currentIndex()))
        return;
    fitDropDown(Combo3);
    Combo4->clear();
    clearExams();
    const ClassEntry chosen = m_choice->classEntry();
    Label4->setText(QStringLiteral("分析") + Combo1->currentText().left(2) + Combo2->currentText()
                    + QLatin1Char('(') + chosen.actualName + QStringLiteral(")成绩 班主任:") + chosen.headTeacher);
}

void MultiExamWindow::Combo3_Click()
{
    if (!m_choice->chooseSubject(Combo3->currentIndex()))
        return;
    clearExams();
    const QString grade = Combo1->currentText();
    const QString className = Combo2->currentText();
    const QString subject = Combo3->currentText();
    const reg::ClassIdentity identity = reg::ResolveClassCode(grade, className, session().today());

    Combo4->clear();
    Frame5->frame().label(QStringLiteral("Label7"), 11).caption = QStringLiteral("显示学生名");
    Frame5->update();

    const std::optional<analysis::SubjectScores> read = analysis::readSubjectScores(connection(), identity, grade, className, subject);
    if (!read) {
        reportReadFailure(this, connection().error());
        return;
    }
    if (read->students.isEmpty())
        return;
    analysis::SubjectScores loaded = *read;

    for (const analysis::TrendStudent &s : loaded.students)
        Combo4->addItem(analysis::studentItemText(s));
    Combo4->setCurrentIndex(-1);
    lblLabels4->setText(grade.left(2) + className + QStringLiteral("全体学生例表%1人").arg(Combo4->count()));
    const ClassEntry chosen = m_choice->classEntry();
    Label4->setText(QStringLiteral("分析") + grade.left(2) + className + QLatin1Char('(') + chosen.actualName
                    + QLatin1Char(')') + subject + QStringLiteral("成绩 任课教师:") + m_choice->subjectEntry().teacher);
    Frame3->setEnabled(true);

    {
        const QSignalBlocker quiet(List1);
        for (const QString &exam : loaded.exams) {
            auto *item = new QListWidgetItem(score::DecodeExamName(exam, score::kCanonicalNames), List1);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
    }
    m_scores = std::move(loaded);
    m_selectedCount = List1->count();
    lblLabels5->setText(analysis::examCountText(m_selectedCount));
}

void MultiExamWindow::List1_Click()
{
    m_selectedCount = int(chosenExams().size());
    lblLabels5->setText(analysis::examCountText(m_selectedCount));
}

QList<int> MultiExamWindow::chosenExams() const
{
    QList<int> chosen;
    for (int i = 0; i < List1->count(); ++i) {
        if (List1->item(i)->checkState() == Qt::Checked)
            chosen << i;
    }
    return chosen;
}

QStringList MultiExamWindow::examNames() const
{
    QStringList names;
    for (int i = 0; i < List1->count(); ++i)
        names << List1->item(i)->text();
    return names;
}

// The student picked from the list; -1 when none is, or the box holds typed text.
int MultiExamWindow::chosenStudent() const
{
    const int i = Combo4->currentIndex();
    if (i < 0 || i >= m_scores.matrix.students() || Combo4->currentText() != Combo4->itemText(i))
        return -1;
    return i;
}

// ---- Charts ------------------------------------------------------------------

void MultiExamWindow::Command3_Click()
{
    const int z = m_selectedCount;
    if (z == 0)
        return showNotice(this, analysis::kNoExamChosen, kTitleHintDots);
    if (z > analysis::kMaxTrendExams)
        return showNotice(this, analysis::kTooManyExams, kTitleHintDots);
    if (z == 1)
        return showNotice(this, analysis::kOneExamRefused, kTitleHintDots);
    analysis::drawClassTrend(Frame3->frame(), m_scores.matrix, chosenExams(), examNames(), m_scores.fullMarks);
    Frame3->update();
}

void MultiExamWindow::Combo4_Click()
{
    const int student = chosenStudent();
    if (student < 0)
        return showNotice(this, analysis::kNoStudentChosen, kTitleHintDots);
    if (!analysis::confirmStudentTrendCount(this, m_selectedCount))
        return;
    analysis::drawStudentTrend(Frame5->frame(), m_scores.matrix, student, Combo4->itemText(student), chosenExams(),
                               examNames());
    Frame5->update();
}

void MultiExamWindow::Command1_Click()
{
    Combo4_Click();
}

void MultiExamWindow::Command7_Click()
{
    CloseWindow(this);
}

} // namespace tessaly
