// 单科多次成绩横向分析 driven through its controls on a school whose day is
// 15 October 2025 (初二年级组 is the cohort 2024, 三班 the class 202403).
#include "class_analysis/multi_exam_window.h"
#include "class_analysis/subject_trend_charts.h"
#include "fixtures/busy_timeout_scope.h"
#include "fixtures/chart_elements.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/chart_surface.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kJunior = u"初中"_s;
const QString kGrade = u"初二年级组"_s;
const QString kClass = u"三班"_s;
const QString kEmptyClass = u"四班"_s;   // a subject, no students
const QString kMidTerm = u"Z25S语文250915"_s;   // 张三 90, 李四 0, 王五 none
const QString kQuiz = u"C一单元语文251001"_s;    // nobody: not listed
const QString kFinal = u"M25X语文260628"_s;     // 张三 100, 李四 60, 王五 80
const QString kQuiz2 = u"C二单元语文251101"_s;   // 张三 70, 王五 75
const QDate kToday(2025, 10, 15);
const QStringList kListed{u"25-26(上)期中成绩"_s, u"25-26(下)期末成绩"_s, u"二单元语文成绩"_s};

struct School {
    TestSchool school;
    // `quizzes` more scored quizzes of 语文, after the three above.
    explicit School(int quizzes = 0)
    {
        school.addGradeGroup(kGrade);
        school.addGradeGroup(u"初三年级组"_s);
        school.addClass(kGrade, kClass, u"王芳"_s, u"w1"_s, u"实验"_s);
        school.addClass(kGrade, kEmptyClass, u"钱红"_s, u"q1"_s);
        school.addTeaching(kGrade, kClass, u"语文"_s, u"李明"_s, u"l1"_s);
        school.addTeaching(kGrade, kClass, u"数学"_s, u"赵刚"_s);
        school.addTeaching(kGrade, kEmptyClass, u"语文"_s, u"李明"_s, u"l1"_s);
        for (const QString &c : {kMidTerm, u"Z25S数学250915"_s, kQuiz, kFinal, kQuiz2})
            school.addExamColumn(kJunior, c);
        const int zhang = school.addStudent(kJunior, u"20240301"_s, u"张三"_s);
        const int wang = school.addStudent(kJunior, u"20240303"_s, u"王五"_s);
        const int li = school.addStudent(kJunior, u"20240302"_s, u"李四"_s);
        school.addStudent(kJunior, u"20240501"_s, u"孙八"_s);
        school.setScore(kJunior, zhang, kMidTerm, 90);
        school.setScore(kJunior, li, kMidTerm, 0);
        school.setScore(kJunior, zhang, kFinal, 100);
        school.setScore(kJunior, li, kFinal, 60);
        school.setScore(kJunior, wang, kFinal, 80);
        school.setScore(kJunior, zhang, kQuiz2, 70);
        school.setScore(kJunior, wang, kQuiz2, 75);
        for (int i = 0; i < quizzes; ++i) {
            const QString column = u"C第%1语文25%2"_s.arg(i).arg(1000 + i);
            school.addExamColumn(kJunior, column);
            school.setScore(kJunior, zhang, column, 50 + i % 50);
        }
        school.closeDb();
    }
};

WindowHarness::Options on(bool realSize = false)
{
    return {.shown = false, .today = kToday, .realSize = realSize};
}

MultiExamWindow *openWindow(WindowHarness &h)
{
    return h.open<MultiExamWindow>(kMultiExamWindow);
}

void chooseSubject(MultiExamWindow *w, const QString &className = kClass)
{
    choose(w->gradeGroupCombo, kGrade);
    choose(w->classCombo, className);
    choose(w->subjectCombo, u"语文"_s);
}

int visibleLabels(chart::ChartSurface *s, const char *array, int first, int last)
{
    int n = 0;
    for (int i = first; i <= last; ++i)
        n += label(s, array, i).visible ? 1 : 0;
    return n;
}

void untickAll(QListWidget *list)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(Qt::Unchecked);
}

} // namespace

class TestMultiExamWindow : public QObject {
    Q_OBJECT
private slots:
    void opensFromMenuAndToolbar();
    void cascadeLoadsTheSubject();
    void ticksRecount();
    void lockedReadIsReported();
    void choicesAboveClearTheExams_data();
    void choicesAboveClearTheExams();
    void drawsBothCharts();
    void classChartLimits_data();
    void classChartLimits();
    void studentChartLimits();
    void looksRight();
};

void TestMultiExamWindow::opensFromMenuAndToolbar()
{
    School s;
    for (const QString &action : {u"DUOCIFENXI"_s, u"单科多次成绩分析"_s}) {
        WindowHarness h(s.school, on());
        h.trigger(action);
        auto *w = h.openWindow<MultiExamWindow>(kMultiExamWindow);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), u"单科多次成绩横向分析"_s);
        QCOMPARE(itemTexts(w->gradeGroupCombo), (QStringList{kGrade, u"初三年级组"_s}));
        QCOMPARE(w->gradeGroupCombo->currentIndex(), -1);
        QCOMPARE(w->examCountLabel->text(), u"(分析0次考试情况)"_s);
        QCOMPARE(w->titleLabel->text(), u"单 科 多 次 成 绩 分 析"_s);
        QVERIFY(!w->classTrendChart->isEnabled());
        // The class chart as designed: 65 nodes in a row at Top 1155.
        QCOMPARE(visibleLabels(w->classTrendChart, "Label1", 65, 129), 65);
        QCOMPARE(label(w->classTrendChart, "Label1", 129).left, 8040);
        QCOMPARE(label(w->classTrendChart, "Label1", 65).toolTip, u"还没分析内容"_s);
        QVERIFY(h.responder.shown().isEmpty());
    }
}

void TestMultiExamWindow::cascadeLoadsTheSubject()
{
    School s;
    WindowHarness h(s.school, on());
    h.session().denglu = u"王芳"_s;
    MultiExamWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kGrade);
    QCOMPARE(itemTexts(w->classCombo), (QStringList{kClass, kEmptyClass}));
    QCOMPARE(w->titleLabel->text(), kGrade);
    choose(w->classCombo, kClass);
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)成绩 班主任:王芳"_s);
    QCOMPARE(itemTexts(w->subjectCombo), (QStringList{u"语文"_s, u"数学"_s}));
    choose(w->subjectCombo, u"语文"_s);
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)语文成绩 任课教师:李明"_s);
    QCOMPARE(h.session().denglu, u"王芳"_s);   // the sign-in is left alone
    QCOMPARE(itemTexts(w->studentCombo), (QStringList{u"20240301 张三"_s, u"20240302 李四"_s, u"20240303 王五"_s}));
    QCOMPARE(w->studentCountLabel->text(), u"初二三班全体学生例表3人"_s);
    QVERIFY(w->classTrendChart->isEnabled());
    // The quiz nobody sat is skipped; the matrix columns follow the list.
    QCOMPARE(itemTexts(w->examList), kListed);
    QCOMPARE(ticked(w->examList), kListed);
    QCOMPARE(w->scores().exams, (QStringList{kMidTerm, kFinal, kQuiz2}));
    const analysis::ScoreMatrix &m = w->scores().matrix;
    QCOMPARE(m.score(1, 0), 0.0f);
    QCOMPARE(m.score(2, 0), -1.0f);
    QCOMPARE(m.average(0), 45.0f);
    QCOMPARE(m.participants(0), 2);
    QCOMPARE(m.average(2), 72.5f);
    QCOMPARE(w->examCountLabel->text(), u"(分析3次考试情况)"_s);
    QCOMPARE(w->selectedExamCount(), 3);
    QVERIFY(h.responder.shown().isEmpty());
}

void TestMultiExamWindow::ticksRecount()
{
    School s;
    WindowHarness h(s.school, on());
    MultiExamWindow *w = openWindow(h);
    chooseSubject(w);
    tick(w->examList, kListed[1], false);
    QCOMPARE(w->examCountLabel->text(), u"(分析2次考试情况)"_s);
    QCOMPARE(w->selectedExamCount(), 2);
    tick(w->examList, kListed[1], true);
    QCOMPARE(w->examCountLabel->text(), u"(分析3次考试情况)"_s);
    QCOMPARE(w->selectedExamCount(), 3);
}

void TestMultiExamWindow::lockedReadIsReported()
{
    const BusyTimeoutScope failFast(50);   // the lock is held throughout: fail fast
    School s;
    WindowHarness h(s.school, on());
    MultiExamWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kGrade);
    choose(w->classCombo, kClass);
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(u"begin exclusive"_s));
    choose(w->subjectCombo, u"语文"_s);
    QVERIFY(other.exec(u"rollback"_s));
    QCOMPARE(h.responder.shown().size(), 1);
    QCOMPARE(h.responder.last().text, u"数据错误事件命中错误：数据库正被其他用户使用，暂时不能读写，请稍后再试。"_s);
    QCOMPARE(w->studentCombo->count(), 0);
    QCOMPARE(w->examList->count(), 0);
    // Released, the same choice reads.
    choose(w->subjectCombo, u"语文"_s);
    QCOMPARE(itemTexts(w->examList), kListed);
}

void TestMultiExamWindow::choicesAboveClearTheExams_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("grade group") << 0;
    QTest::newRow("class") << 1;
    QTest::newRow("class without students") << 2;
}

void TestMultiExamWindow::choicesAboveClearTheExams()
{
    QFETCH(int, step);
    School s;
    WindowHarness h(s.school, on());
    MultiExamWindow *w = openWindow(h);
    chooseSubject(w);
    w->analyseButton->click();
    const int drawnTop = label(w->classTrendChart, "Label1", 65).top;
    if (step == 0)
        choose(w->gradeGroupCombo, u"初三年级组"_s);
    else if (step == 1)
        choose(w->classCombo, kEmptyClass);
    else
        chooseSubject(w, kEmptyClass);
    QCOMPARE(w->examList->count(), 0);
    QCOMPARE(w->studentCombo->count(), 0);
    QCOMPARE(w->examCountLabel->text(), u"(分析0次考试情况)"_s);
    QCOMPARE(w->selectedExamCount(), 0);
    QCOMPARE(w->scores().matrix.students(), 0);
    QVERIFY(w->scores().exams.isEmpty());
    QCOMPARE(h.responder.shown().size(), step == 0 ? 1 : 0);   // 初三 has no class
    h.responder.clear();
    // The chart keeps its drawing; a new drawing finds nothing chosen.
    w->analyseButton->click();
    QCOMPARE(h.responder.last().text, analysis::kNoExamChosen);
    QCOMPARE(label(w->classTrendChart, "Label1", 65).top, drawnTop);
}

void TestMultiExamWindow::drawsBothCharts()
{
    School s;
    WindowHarness h(s.school, on());
    MultiExamWindow *w = openWindow(h);
    chooseSubject(w);
    tick(w->examList, kListed[0], false);
    w->analyseButton->click();
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(visibleLabels(w->classTrendChart, "Label1", 65, 129), 2);
    QCOMPARE(label(w->classTrendChart, "Label1", 65).toolTip, u"25-26(下)期末成绩 平均分(80.00) 3人参考"_s);
    QCOMPARE(label(w->classTrendChart, "Label1", 66).left, 7440 - 50);
    QCOMPARE(label(w->classTrendChart, "Label1", 66).toolTip, u"二单元语文成绩 平均分(72.50) 2人参考"_s);

    // Choosing 李四 draws him; he sat the final but not the second quiz.
    tick(w->examList, kListed[0], true);
    choose(w->studentCombo, u"20240302 李四"_s);
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(label(w->studentTrendChart, "Label7", 11).caption, u"李四"_s);
    QCOMPARE(visibleLabels(w->studentTrendChart, "Label1", 0, 64), 2);
    QCOMPARE(label(w->studentTrendChart, "Label1", 1).toolTip,
             u"25-26(下)期末成绩:平均分(80.00) 3人参考 本生得分(60) 排第(3)名"_s);
    QVERIFY(!label(w->studentTrendChart, "Label1", 2).visible);
    // The button draws the student shown in the box.
    choose(w->studentCombo, u"20240301 张三"_s);
    QCOMPARE(label(w->studentTrendChart, "Label7", 11).caption, u"张三"_s);
    w->studentButton->click();
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(visibleLabels(w->studentTrendChart, "Label1", 0, 64), 3);
}

void TestMultiExamWindow::classChartLimits_data()
{
    QTest::addColumn<int>("quizzes");
    QTest::addColumn<int>("ticks");   // -1: all
    QTest::addColumn<QString>("message");
    QTest::newRow("none") << 0 << 0 << analysis::kNoExamChosen;
    QTest::newRow("one") << 0 << 1 << analysis::kOneExamRefused;
    QTest::newRow("61") << 58 << -1 << analysis::kTooManyExams;
    QTest::newRow("60 draws") << 57 << -1 << QString();
}

void TestMultiExamWindow::classChartLimits()
{
    QFETCH(int, quizzes);
    QFETCH(int, ticks);
    QFETCH(QString, message);
    School s(quizzes);
    WindowHarness h(s.school, on());
    MultiExamWindow *w = openWindow(h);
    chooseSubject(w);
    QCOMPARE(w->examList->count(), 3 + quizzes);
    if (ticks >= 0) {
        untickAll(w->examList);
        for (int i = 0; i < ticks; ++i)
            w->examList->item(i)->setCheckState(Qt::Checked);
    }
    w->analyseButton->click();
    if (message.isEmpty()) {
        QVERIFY(h.responder.shown().isEmpty());
        QCOMPARE(visibleLabels(w->classTrendChart, "Label1", 65, 129), 60);
        QCOMPARE(visibleLabels(w->classTrendChart, "Label4", 1, 12), 12);
        return;
    }
    QCOMPARE(h.responder.shown().size(), 1);
    QCOMPARE(h.responder.last().text, message);
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    QVERIFY(!h.responder.last().isQuestion);
    // Refused: the chart as designed.
    QCOMPARE(label(w->classTrendChart, "Label1", 65).top, 1155);
    QCOMPARE(visibleLabels(w->classTrendChart, "Label1", 65, 129), 65);
}

void TestMultiExamWindow::studentChartLimits()
{
    School s(58);
    WindowHarness h(s.school, on());
    MultiExamWindow *w = openWindow(h);
    chooseSubject(w);
    // No student: nothing chosen, or a typed text.
    w->studentButton->click();
    QCOMPARE(h.responder.last().text, analysis::kNoStudentChosen);
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    choose(w->studentCombo, u"20240301 张三"_s);
    QCOMPARE(h.responder.last().text, analysis::kTooManyExams);
    w->studentCombo->lineEdit()->setText(u"张三"_s);
    w->studentButton->click();
    QCOMPARE(h.responder.last().text, analysis::kNoStudentChosen);
    untickAll(w->examList);
    choose(w->studentCombo, u"20240301 张三"_s);
    QCOMPARE(h.responder.last().text, analysis::kNoExamChosen);
    QCOMPARE(h.responder.shown().size(), 4);
    QCOMPARE(label(w->studentTrendChart, "Label7", 11).caption, u"显示学生名"_s);   // nothing drawn

    // One exam: a question; No leaves the chart, Yes draws the one point.
    w->examList->item(1)->setCheckState(Qt::Checked);
    h.responder.answer(false);
    w->studentButton->click();
    QVERIFY(h.responder.last().isQuestion);
    QCOMPARE(h.responder.last().text, analysis::kOneExamQuestion);
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    QCOMPARE(label(w->studentTrendChart, "Label7", 11).caption, u"显示学生名"_s);
    h.responder.answer(true);
    w->studentButton->click();
    QCOMPARE(h.responder.shown().size(), 6);
    QCOMPARE(label(w->studentTrendChart, "Label7", 11).caption, u"张三"_s);
    QCOMPARE(visibleLabels(w->studentTrendChart, "Label1", 0, 64), 1);
    QCOMPARE(label(w->studentTrendChart, "Label1", 0).toolTip.left(12), u"25-26(下)期末成绩"_s);
}

void TestMultiExamWindow::looksRight()
{
    School s(12);
    ProgramFontScope font;
    WindowHarness h(s.school, on(true));
    MultiExamWindow *w = openWindow(h);
    saveShot(w->grab().toImage(), u"multi_exam_loaded"_s);
    chooseSubject(w);
    w->analyseButton->click();
    choose(w->studentCombo, u"20240303 王五"_s);
    QApplication::processEvents();
    for (QPushButton *b : w->findChildren<QPushButton *>())
        if (b->isVisible())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
    for (QComboBox *c : w->findChildren<QComboBox *>())
        QVERIFY2(c->height() >= c->minimumSizeHint().height() - 4, qPrintable(c->objectName()));
    for (QLabel *l : w->findChildren<QLabel *>()) {
        if (!l->isVisible())
            continue;
        if (l->wordWrap())
            QVERIFY2(l->height() >= l->heightForWidth(l->width()), qPrintable(l->text()));
        else
            QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
    }
    QVERIFY(w->examList->height() >= w->examList->minimumHeight());
    QCOMPARE(w->studentFrame->geometry().bottom(), w->studentTrendChart->geometry().bottom());
    QVERIFY(w->bottomLabel->geometry().bottom() < w->minimumHeight());
    saveShot(w->grab().toImage(), u"multi_exam"_s);
}

QTEST_MAIN(TestMultiExamWindow)
#include "tst_multi_exam_window.moc"
