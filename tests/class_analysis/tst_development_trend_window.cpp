// 学生发展趋势 driven through its controls on a school whose day is 15 October
// 2025 (初二年级组 is the cohort 2024, 三班 the class 202403).
#include "class_analysis/development_trend_chart.h"
#include "class_analysis/development_trend_window.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/class_tree.h"
#include "kit/window_names.h"
#include "widgets/chart_surface.h"
#include "widgets/flex_grid.h"

#include <QApplication>
#include <QLabel>
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
const QDate kToday(2025, 10, 15);

// Five exams: a mid-term of three subjects, two finals, a quiz nobody took and
// an entrance exam.
const QString kMidChinese = u"Z25S语文250915"_s;
const QString kMidMaths = u"Z25S数学250915"_s;
const QString kMidEnglish = u"Z25S英语250915"_s;
const QString kFinal = u"M25S语文260115"_s;
const QString kQuiz = u"C一单元语文251001"_s;
const QString kEntrance = u"R语文240901"_s;
const QString kLaterFinal = u"M25X数学260628"_s;

struct School {
    TestSchool school;
    explicit School(bool oneExam = false)
    {
        school.addGradeGroup(kGrade);
        school.addGradeGroup(u"初三年级组"_s);   // no classes
        school.addClass(kGrade, kClass, u"王芳"_s, u"w1"_s, u"实验"_s);
        school.addClass(kGrade, u"四班"_s, u"钱红"_s);
        const QStringList columns = oneExam ? QStringList{kMidChinese}
                                            : QStringList{kMidChinese, kMidMaths, kFinal, kQuiz, kMidEnglish,
                                                          kEntrance, kLaterFinal};
        for (const QString &c : columns)
            school.addExamColumn(kJunior, c);
        const int wang = school.addStudent(kJunior, u"20240303"_s, u"王五"_s);
        const int zhang = school.addStudent(kJunior, u"20240301"_s, u"张三"_s);
        const int li = school.addStudent(kJunior, u"20240302"_s, u"李四"_s);
        school.addStudent(kJunior, u"20240304"_s, u"赵六"_s);   // no score anywhere
        const int other = school.addStudent(kJunior, u"20240401"_s, u"孙八"_s);
        school.setScore(kJunior, zhang, kMidChinese, 100);
        school.setScore(kJunior, li, kMidChinese, 90);
        school.setScore(kJunior, wang, kMidChinese, 120);
        school.setScore(kJunior, other, kMidChinese, 150);
        if (!oneExam) {
            school.setScore(kJunior, zhang, kMidMaths, 100);
            school.setScore(kJunior, zhang, kMidEnglish, 50);
            school.setScore(kJunior, li, kMidMaths, 80);
            school.setScore(kJunior, li, kMidEnglish, 80);
            school.setScore(kJunior, wang, kMidMaths, 120);   // two of three subjects
            school.setScore(kJunior, zhang, kFinal, 0);
            school.setScore(kJunior, wang, kFinal, 88.5);
            school.setScore(kJunior, zhang, kEntrance, 178.74);
            school.setScore(kJunior, li, kEntrance, 178.72);
            school.setScore(kJunior, li, kLaterFinal, 60);
            school.setScore(kJunior, wang, kLaterFinal, 70);
        }
        school.closeDb();
    }
};

WindowHarness::Options on(bool realSize = false)
{
    return {.shown = false, .today = kToday, .realSize = realSize};
}

DevelopmentTrendWindow *openWindow(WindowHarness &h)
{
    return h.open<DevelopmentTrendWindow>(kStudentTrendWindow);
}

void loadClass(DevelopmentTrendWindow *w, const QString &className = kClass)
{
    clickTreeNode(w->classTree, treeNode(w->classTree, kGrade, className));
}

// What the chart shows of its points: every marker, tick and segment shown.
QStringList chartPoints(const chart::ChartFrame &f)
{
    QStringList out;
    for (int k = 0; k < analysis::kTrendPoints; ++k) {
        const chart::LabelElement *r = f.findLabel(u"Label1"_s, k);
        const chart::ShapeElement *t = f.findShape(u"Shape2"_s, k);
        const chart::LineElement *tick = f.findLine(u"Line3"_s, k);
        QString text = u"%1:"_s.arg(k);
        if (r->visible)
            text += u" rank %1,%2 %3"_s.arg(r->left).arg(r->top).arg(r->toolTip);
        if (t->visible)
            text += u" total %1,%2"_s.arg(t->left).arg(t->top);
        if (tick->visible)
            text += u" tick %1 %2"_s.arg(tick->x1).arg(tick->width);
        for (const char *segments : {"Line4", "Line5"}) {
            const chart::LineElement *s = f.findLine(QString::fromLatin1(segments), k);
            if (s && s->visible)
                text += u" %1 %2,%3-%4,%5"_s.arg(QString::fromLatin1(segments)).arg(s->x1).arg(s->y1)
                            .arg(s->x2).arg(s->y2);
        }
        out << text;
    }
    return out;
}

} // namespace

class TestDevelopmentTrendWindow : public QObject {
    Q_OBJECT
private slots:
    void opensFromMenuAndToolbar();
    void loadsTheClassTotals();
    void gradeGroupNodesChangeNothing();
    void ticksHideAndShowColumns();
    void eitherRowOfAStudentDrawsTheSameChart();
    void classRowsDrawAsAStudent();
    void studentWithoutTotalsDrawsNothing();
    void examCountChecks();
    void singleExamColumnDrawsNothing();
    void looksRight();
};

void TestDevelopmentTrendWindow::opensFromMenuAndToolbar()
{
    School s;
    for (const QString &action : {u"QUSHI"_s, u"发展趋势"_s}) {
        WindowHarness h(s.school, on());
        h.trigger(action);
        auto *w = h.openWindow<DevelopmentTrendWindow>(kStudentTrendWindow);
        QVERIFY(w);
        QCOMPARE(w->parentWidget()->pos(), QPoint(0, 0));   // top left corner
        QCOMPARE(w->classTree->topLevelItemCount(), 2);
        QCOMPARE(gridRow(w->totalsGrid, 0),
                 (QStringList{u" 学  号"_s, u" 姓  名"_s, u"分数"_s, u"      考   试   名   称"_s}));
        QCOMPARE(w->totalsGrid->Rows(), 1);
        QCOMPARE(w->examListHeading->text(), u"②需分析的考试(分析0次)"_s);
        QVERIFY(h.responder.shown().isEmpty());
        QTest::mouseClick(w->closeButton, Qt::LeftButton);
        QTRY_VERIFY(!h.isOpen(kStudentTrendWindow));
    }
}

void TestDevelopmentTrendWindow::loadsTheClassTotals()
{
    School s;
    WindowHarness h(s.school, on());
    DevelopmentTrendWindow *w = openWindow(h);
    loadClass(w, u"四班"_s);   // another class first: nothing of it remains
    loadClass(w);

    QCOMPARE(w->titleLabel->text(), u"初二三班(实验)班主任:王芳"_s);
    QCOMPARE(w->classKeyLabel->text(), w->titleLabel->text());
    QCOMPARE(w->examListHeading->text(), u"②去掉你不分析的考试"_s);
    QCOMPARE(itemTexts(w->examList), (QStringList{u"25-26上期中成绩"_s, u"25-26上期末成绩"_s, u"一单元语文成绩"_s,
                                              u"入学成绩"_s, u"25-26下期末成绩"_s}));
    QCOMPARE(ticked(w->examList), itemTexts(w->examList));
    QCOMPARE(w->analysedExams(), 5);
    QCOMPARE(gridRow(w->totalsGrid, 0), (QStringList{u" 学  号"_s, u" 姓  名"_s, u"分数"_s, u"25-26上期中"_s,
                                               u"25-26上期末"_s, u"一单元语文"_s, u"入学"_s, u"25-26下期末"_s}));
    // Rank row and total row per student in 学籍号 order, then the class rows.
    QCOMPARE(gridRows(w->totalsGrid, 0, 7), (QStringList{
        u"20240301|张三|名次|1|2||1|"_s,
        u"20240301|张三|总分|250.0|0.0||178.7|"_s,
        u"20240302|李四|名次|1|||1|2"_s,
        u"20240302|李四|总分|250.0|||178.7|60.0"_s,
        u"20240303|王五|名次|3|1|||1"_s,
        u"20240303|王五|总分|240.0|88.5|||70.0"_s,
        u"20240304|赵六|名次|||||"_s,
        u"20240304|赵六|总分|||||"_s,
        u"  全班|平均分 |人数|3|2||2|2"_s,
        u"  全班|平均分 |分数|246.67|44.25||178.73|65.00"_s,
    }));
    QCOMPARE(w->totalsGrid->FixedCols(), 3);
    QVERIFY(w->totalsGrid->ColWidth(3) > 0);
    QVERIFY(h.responder.shown().isEmpty());
}

void TestDevelopmentTrendWindow::gradeGroupNodesChangeNothing()
{
    School s;
    WindowHarness h(s.school, on());
    DevelopmentTrendWindow *w = openWindow(h);
    loadClass(w);
    const QStringList grid = gridRows(w->totalsGrid, 0, w->totalsGrid->Cols() - 1);
    const QString title = w->titleLabel->text();
    for (const QString &group : {kGrade, u"初三年级组"_s}) {
        clickTreeNode(w->classTree, treeNode(w->classTree, group));
        QCOMPARE(gridRows(w->totalsGrid, 0, w->totalsGrid->Cols() - 1), grid);
        QCOMPARE(w->titleLabel->text(), title);
        QCOMPARE(w->examList->count(), 5);
    }
}

void TestDevelopmentTrendWindow::ticksHideAndShowColumns()
{
    School s;
    WindowHarness h(s.school, on());
    DevelopmentTrendWindow *w = openWindow(h);
    loadClass(w);
    const QList<int> shown = {w->totalsGrid->ColWidth(4), w->totalsGrid->ColWidth(5), w->totalsGrid->ColWidth(6)};
    QVERIFY(!shown.contains(0));
    tick(w->examList, u"25-26上期末成绩"_s, false);
    tick(w->examList, u"入学成绩"_s, false);
    QCOMPARE(w->examListHeading->text(), u"②已有考试(不分析2次)"_s);
    QCOMPARE(w->analysedExams(), 3);
    QCOMPARE(w->totalsGrid->ColWidth(4), 0);
    QCOMPARE(w->totalsGrid->ColWidth(6), 0);
    QCOMPARE(w->totalsGrid->ColWidth(5), shown[1]);
    tick(w->examList, u"入学成绩"_s);
    QCOMPARE(w->totalsGrid->ColWidth(6), shown[2]);
    QCOMPARE(w->examListHeading->text(), u"②已有考试(不分析1次)"_s);
    QCOMPARE(w->analysedExams(), 4);

    // A new class: every exam ticked and shown again.
    loadClass(w);
    QCOMPARE(w->analysedExams(), 5);
    QCOMPARE(w->totalsGrid->ColWidth(4), shown[0]);
}

void TestDevelopmentTrendWindow::eitherRowOfAStudentDrawsTheSameChart()
{
    School s;
    WindowHarness h(s.school, on());
    DevelopmentTrendWindow *w = openWindow(h);
    loadClass(w);
    tick(w->examList, u"一单元语文成绩"_s, false);
    clickCell(w->totalsGrid, 4, 5);   // 李四's total row
    const chart::ChartFrame &f = w->trendChart->frame();
    const QStringList fromTotal = chartPoints(f);
    QCOMPARE(f.findLabel(u"Label7"_s, 11)->caption, u"李四"_s);
    clickCell(w->totalsGrid, 1, 3);   // 张三's rank row: another chart
    QVERIFY(chartPoints(f) != fromTotal);
    clickCell(w->totalsGrid, 3, 3);   // 李四's rank row
    QCOMPARE(chartPoints(f), fromTotal);

    // Four ticked exams: 期中, 期末 (no total), 入学, 下期末; D = 2360.
    const chart::LabelElement *first = f.findLabel(u"Label1"_s, 0);
    QCOMPARE(first->toolTip, u"25-26上期中成绩:总分平均(246.67) 3人参考 本生总分(250.0) 排第(1)名"_s);
    QCOMPARE(first->top, 1960 - 2 * 520);
    QVERIFY(!f.findLabel(u"Label1"_s, 1)->visible);
    QCOMPARE(f.findLabel(u"Label1"_s, 2)->toolTip,
             u"入学成绩:总分平均(178.73) 2人参考 本生总分(178.7) 排第(1)名"_s);
    QCOMPARE(f.findLabel(u"Label1"_s, 3)->left, 360 + 3 * 2360 - 50);
    QVERIFY(!f.findLabel(u"Label1"_s, 4)->visible);
    QVERIFY(h.responder.shown().isEmpty());
}

void TestDevelopmentTrendWindow::classRowsDrawAsAStudent()
{
    School s;
    WindowHarness h(s.school, on());
    DevelopmentTrendWindow *w = openWindow(h);
    loadClass(w);
    const int countRow = w->totalsGrid->Rows() - 2;
    for (int row : {countRow, countRow + 1}) {
        clickCell(w->totalsGrid, row, 4);
        const chart::ChartFrame &f = w->trendChart->frame();
        QCOMPARE(f.findLabel(u"Label7"_s, 11)->caption, u"平均分 "_s);
        for (int k : {0, 1, 3, 4}) {
            QVERIFY(f.findLabel(u"Label1"_s, k)->visible);
            QCOMPARE(f.findLabel(u"Label1"_s, k)->top, 1960);
            QCOMPARE(f.findShape(u"Shape2"_s, k)->top, 1130);
        }
        QVERIFY(!f.findLabel(u"Label1"_s, 2)->visible);   // the quiz nobody took
    }
}

void TestDevelopmentTrendWindow::studentWithoutTotalsDrawsNothing()
{
    School s;
    WindowHarness h(s.school, on());
    DevelopmentTrendWindow *w = openWindow(h);
    loadClass(w);
    clickCell(w->totalsGrid, 1, 3);   // 张三 first
    clickCell(w->totalsGrid, 8, 3);   // 赵六
    const chart::ChartFrame &f = w->trendChart->frame();
    QCOMPARE(f.findLabel(u"Label7"_s, 11)->caption, u"赵六"_s);
    for (int k = 0; k < analysis::kTrendPoints; ++k) {
        QVERIFY(!f.findLabel(u"Label1"_s, k)->visible);
        QVERIFY(!f.findShape(u"Shape2"_s, k)->visible);
        QVERIFY(!f.findLine(u"Line4"_s, k)->visible);
    }
    QVERIFY(h.responder.shown().isEmpty());
}

void TestDevelopmentTrendWindow::examCountChecks()
{
    School s;
    WindowHarness h(s.school, on());
    DevelopmentTrendWindow *w = openWindow(h);
    loadClass(w);
    const chart::ChartFrame &f = w->trendChart->frame();
    for (const QString &exam : itemTexts(w->examList))
        tick(w->examList, exam, false);
    QApplication::processEvents();   // the grid lays out its narrower columns
    clickCell(w->totalsGrid, 1, 2);
    QCOMPARE(h.responder.last().text, u"你还没有在(已有的考试)中选出哪些考试需要分析。"_s);
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    QVERIFY(!f.findLabel(u"Label1"_s, 0)->visible);

    tick(w->examList, u"入学成绩"_s);
    h.responder.answer(false);
    clickCell(w->totalsGrid, 1, 2);
    QVERIFY(h.responder.last().isQuestion);
    QCOMPARE(h.responder.last().text, u"只选择一次考试进行分析，是看不出什么结果的。继续吗？"_s);
    QCOMPARE(f.findLabel(u"Label7"_s, 11)->caption, QString());
    h.responder.answer(true);
    clickCell(w->totalsGrid, 1, 2);
    QCOMPARE(f.findLabel(u"Label7"_s, 11)->caption, u"张三"_s);
    QVERIFY(f.findLabel(u"Label1"_s, 0)->visible);
    QCOMPARE(f.findLabel(u"Label1"_s, 0)->toolTip,
             u"入学成绩:总分平均(178.73) 2人参考 本生总分(178.7) 排第(1)名"_s);
    QVERIFY(!f.findLine(u"Line3"_s, 1)->visible);
}

void TestDevelopmentTrendWindow::singleExamColumnDrawsNothing()
{
    School s(true);
    WindowHarness h(s.school, on());
    DevelopmentTrendWindow *w = openWindow(h);
    clickCell(w->totalsGrid, 0, 1);   // before any class: the header row only
    loadClass(w);
    QCOMPARE(w->totalsGrid->Cols(), 4);
    clickCell(w->totalsGrid, 1, 3);
    QCOMPARE(w->trendChart->frame().findLabel(u"Label7"_s, 11)->caption, QString());
    QVERIFY(h.responder.shown().isEmpty());
}

void TestDevelopmentTrendWindow::looksRight()
{
    School s;
    ProgramFontScope font;
    WindowHarness h(s.school, on(true));
    DevelopmentTrendWindow *w = openWindow(h);
    loadClass(w);
    tick(w->examList, u"一单元语文成绩"_s, false);
    clickCell(w->totalsGrid, 4, 3);
    QApplication::processEvents();
    for (QPushButton *b : w->findChildren<QPushButton *>())
        QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
    for (QLabel *l : w->findChildren<QLabel *>())
        if (l->isVisible())
            QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
    saveShot(w->grab().toImage(), u"development_trend"_s);
}

QTEST_MAIN(TestDevelopmentTrendWindow)
#include "tst_development_trend_window.moc"
