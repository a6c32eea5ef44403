// 薄弱学科查询 driven through its controls on a school whose day is 15 October
// 2025 (初二年级组 is the cohort 2024, 三班 the class 202403).
#include "grade_analysis/weak_subject_window.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/chart_surface.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "shell/print_page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kJunior = u"初中"_s;
const QString kGrade = u"初二年级组"_s;
const QString kClass = u"三班"_s;
const QString kChinese = u"Z25S语文250915"_s;   // 张三 60, 李四 80, 王五 none
const QString kMaths = u"Z25S数学250915"_s;     // 张三 a stored 0, 李四 none, 王五 50
const QString kEnglish = u"Z25S英语250915"_s;   // 90, 70, 80
const QString kFinal = u"M25X语文260628"_s;     // another exam
const QString kMidTerm = u"25-26(上)期中成绩"_s;
const QDate kToday(2025, 10, 15);

struct School {
    TestSchool school;
    School()
    {
        school.addGradeGroup(kGrade);
        school.addClass(kGrade, kClass, u"王芳"_s, u"w1"_s, u"实验"_s);
        school.addClass(kGrade, u"四班"_s, u"钱红"_s, u"q1"_s);
        school.addClass(kGrade, u"五班"_s, u"周敏"_s, u"z1"_s);   // no students
        for (const QString &c : {kChinese, kMaths, kFinal, kEnglish})
            school.addExamColumn(kJunior, c);
        const int wang = school.addStudent(kJunior, u"20240303"_s, u"王五"_s);
        const int zhang = school.addStudent(kJunior, u"20240301"_s, u"张三"_s);
        const int li = school.addStudent(kJunior, u"20240302"_s, u"李四"_s);
        const int other = school.addStudent(kJunior, u"20240401"_s, u"孙八"_s);
        school.setScore(kJunior, zhang, kChinese, 60);
        school.setScore(kJunior, li, kChinese, 80);
        school.setScore(kJunior, zhang, kMaths, 0);
        school.setScore(kJunior, wang, kMaths, 50);
        school.setScore(kJunior, zhang, kEnglish, 90);
        school.setScore(kJunior, li, kEnglish, 70);
        school.setScore(kJunior, wang, kEnglish, 80);
        school.setScore(kJunior, zhang, kFinal, 99);
        school.setScore(kJunior, other, kChinese, 10);
        school.closeDb();
    }
};

WindowHarness::Options on()
{
    return {.shown = false, .today = kToday};
}

WeakSubjectWindow *openExam(WindowHarness &h)
{
    auto *w = h.open<WeakSubjectWindow>(kWeakSubjectWindow);
    choose(w->gradeGroupCombo, kGrade);
    choose(w->classCombo, kClass);
    choose(w->examCombo, kMidTerm);
    return w;
}

const chart::LabelElement *label(chart::ChartSurface *s, const QString &array, int index)
{
    const chart::LabelElement *l = s->frame().findLabel(array, index);
    if (!l)
        qFatal("no %s %d", qPrintable(array), index);
    return l;
}

bool shown(chart::ChartSurface *s, const QString &array, int index)
{
    const chart::LabelElement *l = s->frame().findLabel(array, index);
    return l && l->visible;
}

} // namespace

class TestWeakSubjectWindow : public QObject {
    Q_OBJECT
private slots:
    void openedFromTheMenu();
    void classAndExamFillTheMatrix();
    void analysisFillsGridTextAndBars();
    void printHandOff();
    void studentBarsFromGridOrChoice();
    void subjectCountChecks();
    void keyStudentSheet();
    void shot();
};

void TestWeakSubjectWindow::openedFromTheMenu()
{
    School s;
    WindowHarness h(s.school, on());
    h.trigger(u"ruoxueke"_s);
    auto *w = h.openWindow<WeakSubjectWindow>(kWeakSubjectWindow);
    QVERIFY(w);
    QCOMPARE(itemTexts(w->gradeGroupCombo), QStringList{kGrade});
    QCOMPARE(gridRow(w->resultGrid, 0), QStringList({u" 学  号"_s, u" 姓  名"_s, u"分数"_s, u" 科  目"_s}));
    QVERIFY(!w->keyStudentsButton->isEnabled());
}

void TestWeakSubjectWindow::classAndExamFillTheMatrix()
{
    School s;
    WindowHarness h(s.school, on());
    auto *w = h.open<WeakSubjectWindow>(kWeakSubjectWindow);
    choose(w->gradeGroupCombo, kGrade);
    choose(w->classCombo, kClass);
    QCOMPARE(itemTexts(w->examCombo), QStringList({kMidTerm, u"25-26(下)期末成绩"_s}));
    QCOMPARE(itemTexts(w->studentCombo), QStringList({u"20240301 张三"_s, u"20240302 李四"_s, u"20240303 王五"_s}));
    QCOMPARE(w->studentHeading->text(), u"初二三班全体学生例表3人"_s);
    QCOMPARE(gridColumn(w->resultGrid, 2), QStringList({u"原分"_s, u"标分"_s, u"原分"_s, u"标分"_s, u"原分"_s,
                                                   u"标分"_s, u"原分"_s, u"标分"_s}));
    QCOMPARE(gridRow(w->resultGrid, 7).mid(0, 2), QStringList({u"  全班"_s, u"平均分 "_s}));

    choose(w->examCombo, kMidTerm);
    // The stored 0 of 张三 in 数学 is a participant; 王五's missing 语文 is not.
    QCOMPARE(itemTexts(w->subjectList), QStringList({u"语文(共3人,2人参考)"_s, u"数学(共3人,2人参考)"_s,
                                               u"英语(共3人,3人参考)"_s}));
    QCOMPARE(ticked(w->subjectList).size(), 3);
    QCOMPARE(w->selectedSubjectCount(), 3);
    const grades::SubjectScores &chinese = w->matrix().at(0);
    QCOMPARE(chinese.average, 70.f);
    QCOMPARE(chinese.participants, 2);
    QCOMPARE(chinese.stdDev, 10.f);
    QCOMPARE(w->matrix().at(1).average, 25.f);
    QCOMPARE(w->subjectCountLabel->text(), u"(分析全部考试科目情况)"_s);
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)25-26(上)期中成绩薄弱学科情况"_s);
    QCOMPARE(w->resultGrid->TextMatrix(0, 3), u"学科"_s);

    tick(w->subjectList, u"数学(共3人,2人参考)"_s, false);
    QCOMPARE(w->selectedSubjectCount(), 2);
    QCOMPARE(w->subjectCountLabel->text(), u"(分析2科考试情况)"_s);
    QVERIFY(h.responder.shown().isEmpty());

    // A class without students: no rows, no students, nothing left to analyse.
    choose(w->classCombo, u"五班"_s);
    QCOMPARE(w->resultGrid->Rows(), 1);
    QCOMPARE(w->studentCombo->count(), 0);
    QCOMPARE(w->subjectList->count(), 0);
    QCOMPARE(w->selectedSubjectCount(), 0);
    QTest::mouseClick(w->analyseButton, Qt::LeftButton);
    QCOMPARE(h.responder.last().text, u"你还没有在(已有的考试)中选出哪些考试科目需要分析。"_s);
}

void TestWeakSubjectWindow::analysisFillsGridTextAndBars()
{
    School s;
    WindowHarness h(s.school, on());
    WeakSubjectWindow *w = openExam(h);
    QTest::mouseClick(w->analyseButton, Qt::LeftButton);
    QCOMPARE(gridRow(w->resultGrid, 0).mid(3),
             QStringList({u"语文"_s, u"数学"_s, u"英语"_s, u"总  分"_s, u"名次"_s}));
    QCOMPARE(gridRow(w->resultGrid, 1), QStringList({u"20240301"_s, u"张三"_s, u"原分"_s, u"60.0"_s, u"0.0"_s, u"90.0"_s,
                                                u"150.0"_s, u"1"_s}));
    QCOMPARE(gridRow(w->resultGrid, 2).mid(3), QStringList({u"-1.00"_s, u"-1.00"_s, u"1.22"_s, u"-0.78"_s, u"3"_s}));
    QCOMPARE(gridRow(w->resultGrid, 3).mid(3), QStringList({u"80.0"_s, QString(), u"70.0"_s, u"150.0"_s, u"1"_s}));
    QCOMPARE(gridRow(w->resultGrid, 6).mid(3), QStringList({QString(), u"1.00"_s, u"0.00"_s, u"1.00"_s, u"1"_s}));
    QCOMPARE(gridRow(w->resultGrid, 7).mid(3), QStringList({u"70.0"_s, u"25.0"_s, u"80.0"_s, QString(), QString()}));
    QCOMPARE(gridRow(w->resultGrid, 8).mid(3), QStringList({u"0.00"_s, u"0.00"_s, u"0.00"_s, QString(), QString()}));
    QCOMPARE(w->statisticsBox->toPlainText(), u"     薄弱学科统计\n"
                                      "\n科目:语文\n………………………\n张三(-1.00)\n"
                                      "\n科目:数学\n………………………\n张三(-1.00)\n"
                                      "\n科目:英语\n………………………\n李四(-1.22)\n"_s);
    QCOMPARE(w->resultFrame->title(), u"初二三班25-26(上)期中各薄弱学科统计(3)人"_s);
    QCOMPARE(w->AverageChart->frame().caption, u"初二三班25-26(上)期中各学科平均分"_s);
    // m = 80, scale = 2200 / 80 -> 28 (27.5 to even).
    QCOMPARE(label(w->AverageChart, u"Label4"_s, 1)->height, 28 * 70);
    QCOMPARE(label(w->AverageChart, u"Label8"_s, 1)->caption, u"25.00分"_s);
    QVERIFY(w->keyStudentsButton->isEnabled());

    // A new exam removes the analysis's columns and resets the text.
    choose(w->examCombo, u"25-26(下)期末成绩"_s);
    QCOMPARE(w->resultGrid->Cols(), 4);
    QCOMPARE(w->statisticsBox->toPlainText(), u"     薄弱学科统计"_s);
    QCOMPARE(itemTexts(w->subjectList), QStringList({u"语文(共3人,1人参考)"_s}));
}

void TestWeakSubjectWindow::printHandOff()
{
    School s;
    WindowHarness h(s.school, on());
    WeakSubjectWindow *w = openExam(h);
    QTest::mouseClick(w->analyseButton, Qt::LeftButton);
    QTest::mouseClick(w->printButton, Qt::LeftButton);
    auto *page = h.openWindow<PrintPage>(kPrintPage);
    QVERIFY(page);
    QCOMPARE(page->wenben, u"分析初二三班(实验)25-26(上)期中成绩薄弱学科情况\r\n     薄弱学科统计\r\n"
                           "\r\n科目:语文\r\n………………………\r\n张三(-1.00)\r\n"
                           "\r\n科目:数学\r\n………………………\r\n张三(-1.00)\r\n"
                           "\r\n科目:英语\r\n………………………\r\n李四(-1.22)\r\n"_s);
}

void TestWeakSubjectWindow::studentBarsFromGridOrChoice()
{
    School s;
    WindowHarness h(s.school, on());
    WeakSubjectWindow *w = openExam(h);
    QTest::mouseClick(w->analyseButton, Qt::LeftButton);
    clickCell(w->resultGrid, 4, 3);   // 李四's standard row
    QCOMPARE(w->studentCombo->currentIndex(), 1);
    chart::ChartSurface *c = w->StudentChart;
    QCOMPARE(label(c, u"Label7"_s, 20)->caption, u"李四 全班第(1)名"_s);
    QCOMPARE(label(c, u"Label9"_s, 1)->toolTip, u"三班3人 参考2人 语文平均70.00分 得80分全班第1名"_s);
    QCOMPARE(label(c, u"Label9"_s, 2)->toolTip, u"三班3人 参考2人 数学平均25.00分 得0分全班第2名"_s);
    QCOMPARE(label(c, u"Label8"_s, 16)->caption, u"数学无成绩"_s);
    QCOMPARE(label(c, u"Label9"_s, 2)->height, 0);
    QCOMPARE(label(c, u"Label9"_s, 3)->height, 12 * 70);   // 970 / 80 -> 12

    // The class rows choose nobody.
    clickCell(w->resultGrid, 7, 3);
    QCOMPARE(w->studentCombo->currentIndex(), 1);

    choose(w->studentCombo, u"20240301 张三"_s);
    QCOMPARE(label(c, u"Label7"_s, 6)->caption, u"张三"_s);
    QCOMPARE(label(c, u"Label9"_s, 2)->toolTip, u"三班3人 参考2人 数学平均25.00分 得0分全班第2名"_s);
    QCOMPARE(label(c, u"Label8"_s, 16)->caption, u"0.0分"_s);
    QVERIFY(h.responder.shown().isEmpty());
}

void TestWeakSubjectWindow::subjectCountChecks()
{
    School s;
    WindowHarness h(s.school, on());
    WeakSubjectWindow *w = openExam(h);
    for (const QString &item : itemTexts(w->subjectList))
        tick(w->subjectList, item, false);
    QTest::mouseClick(w->analyseButton, Qt::LeftButton);
    QCOMPARE(h.responder.last().text, u"你还没有在(已有的考试)中选出哪些考试科目需要分析。"_s);
    QCOMPARE(w->resultGrid->Cols(), 4);

    // One subject: the question once; Yes goes on to the student's single bar.
    tick(w->subjectList, u"英语(共3人,3人参考)"_s);
    const int before = int(h.responder.shown().size());
    h.responder.answer(true);
    choose(w->studentCombo, u"20240303 王五"_s);
    QCOMPARE(h.responder.shown().size(), before + 1);
    QCOMPARE(h.responder.last().text, u"只选择一次考试进行分析，是看不出什么结果的。继续吗？"_s);
    QVERIFY(h.responder.last().isQuestion);
    QCOMPARE(label(w->StudentChart, u"Label9"_s, 1)->width, 3690);
    QVERIFY(!shown(w->StudentChart, u"Label9"_s, 2));
    QCOMPARE(w->resultGrid->Cols(), 3 + 1 + 2);
}

void TestWeakSubjectWindow::keyStudentSheet()
{
    School s;
    WindowHarness h(s.school, on());
    WeakSubjectWindow *w = openExam(h);
    QTest::mouseClick(w->analyseButton, Qt::LeftButton);
    QTest::mouseClick(w->keyStudentsButton, Qt::LeftButton);
    QVERIFY(w->SheetArea->isVisibleTo(w));
    QVERIFY(w->controlStrip->isVisibleTo(w));
    QCOMPARE(label(w->sheetChart, u"Label7"_s, 77)->caption, u"制表时间:2025/10/15"_s);

    QTest::mouseClick(w->showButton, Qt::LeftButton);
    QCOMPARE(h.responder.last().text, u"请输入重点生数量。"_s);

    // Unticking everything after the analysis: the sheet keeps the analysed subjects.
    for (const QString &item : itemTexts(w->subjectList))
        tick(w->subjectList, item, false);
    typeKeys(w->startRankBox, u"1x"_s);
    QCOMPARE(w->startRankBox->text(), u"1"_s);
    QTest::mouseClick(w->showButton, Qt::LeftButton);
    chart::ChartSurface *p = w->sheetChart;
    QCOMPARE(label(p, u"Frame5"_s, 0)->caption, u"第1名(张三)"_s);
    QCOMPARE(label(p, u"Frame5"_s, 1)->caption, u"第1名(李四)"_s);
    QCOMPARE(label(p, u"Frame5"_s, 2)->caption, u"第3名(王五)"_s);
    QVERIFY(!p->frame().findShape(u"Frame5"_s, 3)->visible);
    QCOMPARE(label(p, u"Label7"_s, 75)->caption, u"显示三班1—3名"_s);
    QCOMPARE(label(p, u"hai1"_s, 15 + 1)->toolTip, u"三班3人 参考2人 数学平均25.00分 得0分全班第2名"_s);
    QCOMPARE(label(p, u"fen"_s, 15 + 1)->caption, u"数学无成绩"_s);
    QVERIFY(shown(p, u"hai1"_s, 15 + 2));
    QVERIFY(!shown(p, u"hai1"_s, 15 + 3));
    // The grid keeps 李四's empty cell.
    QCOMPARE(w->resultGrid->TextMatrix(3, 4), QString());

    QTest::mouseClick(w->closeSheetButton, Qt::LeftButton);
    QVERIFY(!w->SheetArea->isVisibleTo(w));
    QVERIFY(!w->controlStrip->isVisibleTo(w));
}

void TestWeakSubjectWindow::shot()
{
    SKIP_UNLESS_SHOTS();
    School s;
    WindowHarness h(s.school, on());
    WeakSubjectWindow *w = openExam(h);
    QTest::mouseClick(w->analyseButton, Qt::LeftButton);
    choose(w->studentCombo, u"20240302 李四"_s);
    w->show();
    saveShot(w->grab().toImage(), u"weak_subjects"_s);
    QTest::mouseClick(w->keyStudentsButton, Qt::LeftButton);
    typeKeys(w->startRankBox, u"1"_s);
    QTest::mouseClick(w->showButton, Qt::LeftButton);
    saveShot(w->grab().toImage(), u"weak_subjects_key"_s);
}

QTEST_MAIN(TestWeakSubjectWindow)
#include "tst_weak_subject_window.moc"
