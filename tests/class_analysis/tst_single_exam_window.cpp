// 单科成绩分析 driven through its controls on a school whose day is
// 15 October 2025 (初二年级组 is the cohort 2024, 三班 the class 202403).
#include "class_analysis/single_exam.h"
#include "class_analysis/single_exam_charts.h"
#include "class_analysis/single_exam_window.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/chart_surface.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kJunior = u"初中"_s;
const QString kGrade = u"初二年级组"_s;
const QString kClass = u"三班"_s;
const QString kMidTerm = u"Z25S语文250915"_s;   // 张三 90, 李四 0, 王五 none, 赵六 90, 钱七 72
const QString kFinal = u"M25X语文260628"_s;     // 张三 100.5
const QString kQuiz = u"C一单元语文251001"_s;    // nobody
const QString kMaths = u"Z25S数学250915"_s;
const QDate kToday(2025, 10, 15);

struct School {
    TestSchool school;
    explicit School(int extraStudents = 0)
    {
        school.addGradeGroup(kGrade);
        school.addClass(kGrade, kClass, u"王芳"_s, u"w1"_s, u"实验"_s);
        school.addClass(kGrade, u"四班"_s, u"钱红"_s, u"q1"_s);
        school.addTeaching(kGrade, kClass, u"语文"_s, u"李明"_s, u"l1"_s);
        school.addTeaching(kGrade, kClass, u"数学"_s, u"赵刚"_s);
        for (const QString &c : {kMidTerm, kMaths, kQuiz, kFinal})
            school.addExamColumn(kJunior, c);
        const int wang = school.addStudent(kJunior, u"20240304"_s, u"王五"_s);
        const int zhang = school.addStudent(kJunior, u"20240301"_s, u"张三"_s);
        const int li = school.addStudent(kJunior, u"20240302"_s, u"李四"_s);
        const int zhao = school.addStudent(kJunior, u"20240305"_s, u"赵六"_s);
        const int qian = school.addStudent(kJunior, u"20240306"_s, u"钱七"_s);
        const int other = school.addStudent(kJunior, u"20240401"_s, u"孙八"_s);
        school.setScore(kJunior, zhang, kMidTerm, 90);
        school.setScore(kJunior, li, kMidTerm, 0);
        school.setScore(kJunior, wang, kMidTerm, QVariant());
        school.setScore(kJunior, zhao, kMidTerm, 90);
        school.setScore(kJunior, qian, kMidTerm, 72);
        school.setScore(kJunior, zhang, kFinal, 100.5);
        school.setScore(kJunior, li, kFinal, 100);
        school.setScore(kJunior, other, kMidTerm, 99);
        for (int i = 0; i < extraStudents; ++i) {
            const int id = school.addStudent(kJunior, u"202403%1"_s.arg(10 + i), u"学生%1"_s.arg(i));
            school.setScore(kJunior, id, kMidTerm, 50 + i % 50);
        }
        school.closeDb();
    }
};

WindowHarness::Options on(bool realSize = false)
{
    return {.shown = false, .today = kToday, .realSize = realSize};
}

SingleExamWindow *openWindow(WindowHarness &h)
{
    return h.open<SingleExamWindow>(kSingleExamWindow);
}

void chooseExam(SingleExamWindow *w, const QString &exam, const QString &subject = u"语文"_s)
{
    choose(w->gradeGroupCombo, kGrade);
    choose(w->classCombo, kClass);
    choose(w->subjectCombo, subject);
    choose(w->examCombo, exam);
}

const chart::LabelElement &label(chart::ChartSurface *s, const char *array, int index)
{
    return *s->frame().findLabel(QString::fromLatin1(array), index);
}

} // namespace

class TestSingleExamWindow : public QObject {
    Q_OBJECT
private slots:
    void opensFromMenuAndToolbar();
    void cascadeNamesTheTeacherAndListsExams();
    void examChoiceAnalyses();
    void emptyFramesUntilAnAnalysis();
    void fullMarkFollowsTheScores_data();
    void fullMarkFollowsTheScores();
    void fullMarkBoxRestoresTheComputedMark();
    void examWithoutScores();
    void rankOrderAndRowClick();
    void wideLayoutFromSixtySixStudents_data();
    void wideLayoutFromSixtySixStudents();
    void looksRight();
};

void TestSingleExamWindow::opensFromMenuAndToolbar()
{
    School s;
    for (const QString &action : {u"fenxi"_s, u"单科单次成绩分析"_s}) {
        WindowHarness h(s.school, on());
        h.trigger(action);
        auto *w = h.openWindow<SingleExamWindow>(kSingleExamWindow);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), u"单科单次成绩分析"_s);
        QCOMPARE(itemTexts(w->gradeGroupCombo), QStringList{kGrade});
        QCOMPARE(w->gradeGroupCombo->currentIndex(), -1);
        QCOMPARE(gridRow(w->scoreGrid, 0), (QStringList{u"号"_s, u"学 籍 号"_s, u" 姓  名 "_s, u"分 数"_s, u"名次"_s,
                                                    u"ID"_s}));
        QCOMPARE(w->scoreGrid->ColWidth(analysis::kColRankKey), 0);
        // The frames as designed: captions "无", "人", "满分100", "参试60人".
        QCOMPARE(label(w->levelChart, "Label3", 0).caption, u"无"_s);
        QCOMPARE(label(w->bandChart, "Label8", 0).caption, u"人"_s);
        QCOMPARE(label(w->bandChart, "Label4", 1).back, chart::kCyan);
        QCOMPARE(label(w->studentChart, "Label7", 21).caption, u"满分100"_s);
        QCOMPARE(label(w->studentChart, "Label7", 4).caption, u"参试60人"_s);
        QCOMPARE(w->spreadChart->frame().findShape(u"Shape2"_s, 89)->top, 1200);
        QVERIFY(h.responder.shown().isEmpty());
    }
}

void TestSingleExamWindow::cascadeNamesTheTeacherAndListsExams()
{
    School s;
    WindowHarness h(s.school, on());
    h.session().denglu = u"王芳"_s;
    SingleExamWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kGrade);
    QCOMPARE(itemTexts(w->classCombo), (QStringList{kClass, u"四班"_s}));
    QCOMPARE(w->titleLabel->text(), kGrade);
    choose(w->classCombo, u"四班"_s);
    QCOMPARE(w->subjectCombo->count(), 0);   // no subjects: no message
    QVERIFY(h.responder.shown().isEmpty());
    choose(w->classCombo, kClass);
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)成绩 班主任:王芳"_s);
    QCOMPARE(itemTexts(w->subjectCombo), (QStringList{u"语文"_s, u"数学"_s}));
    choose(w->subjectCombo, u"语文"_s);
    QCOMPARE(h.session().denglu, u"王芳"_s);   // the sign-in is left alone
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)语文成绩 任课教师:李明"_s);
    QCOMPARE(w->examList(), (QStringList{kMidTerm, kQuiz, kFinal}));
    QCOMPARE(itemTexts(w->examCombo),
             (QStringList{u"25-26(上)期中成绩"_s, u"一单元语文成绩"_s, u"25-26(下)期末成绩"_s}));
    QCOMPARE(w->examCombo->currentIndex(), -1);
    choose(w->subjectCombo, u"数学"_s);
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)数学成绩 任课教师:赵刚"_s);
}

void TestSingleExamWindow::examChoiceAnalyses()
{
    School s;
    WindowHarness h(s.school, on());
    SingleExamWindow *w = openWindow(h);
    chooseExam(w, u"25-26(上)期中成绩"_s);
    // By ID; a stored 0 is a score and ranked, a NULL is none.
    QCOMPARE(gridRows(w->scoreGrid, 0, 4), (QStringList{u"01|20240301|张三|90|1"_s, u"02|20240302|李四|0|4"_s,
                                                    u"03|20240304|王五||"_s, u"04|20240305|赵六|90|1"_s,
                                                    u"05|20240306|钱七|72|3"_s}));
    QCOMPARE(w->fullMarkBox->text(), u"100"_s);
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)25-26(上)期中成绩 任课教师:李明"_s);
    QVERIFY(w->summaryBox->toPlainText().startsWith(
        u"　　本考总体情况：总人数:5人；参试人数:4人；试题满分:100分；总 分:252.00分；平均分:63.00分；"
        "优秀人数(≥85分):2人；优 秀 率:50.00%；良好人数:2人；优 良 率:50.00%；及格人数:3人；及 格 率:75.00%。"_s));
    QVERIFY(w->summaryBox->toPlainText().endsWith(u"90－100段内:2人；"_s));
    QCOMPARE(label(w->levelChart, "Label3", 3).caption, u"1人25.00%"_s);
    QCOMPARE(label(w->bandChart, "Label8", 9).caption, u"2人"_s);
    QVERIFY(!w->spreadChart->frame().findShape(u"Shape2"_s, 2)->visible);
    QVERIFY(!w->spreadChart->frame().findShape(u"Shape2"_s, 5)->visible);
    QCOMPARE(label(w->studentChart, "Label7", 4).caption, u"参试4人"_s);
    QCOMPARE(label(w->bandChart, "Label4", 10).toolTip.left(30), u"语文25-26(上)期中成绩初二三班总人数:5 参考人数:4"_s.left(30));
    QVERIFY(h.responder.shown().isEmpty());
}

// Whether a chart surface shows any of the charts' bar and marker colours.
static bool showsChartColours(chart::ChartSurface *f)
{
    const QImage image = f->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            for (QRgb c : {chart::kCyan, chart::kRed, chart::kGreen, chart::kBrightGreen, chart::kOrange, chart::kBlue})
                if (p == (c & 0xFFFFFF))
                    return true;
        }
    return false;
}

void TestSingleExamWindow::emptyFramesUntilAnAnalysis()
{
    School s;
    WindowHarness h(s.school, on());
    SingleExamWindow *w = openWindow(h);
    const QList<chart::ChartSurface *> frames{w->studentChart, w->bandChart, w->levelChart, w->spreadChart};
    // No sample bars, "参试60人" or "平均 0.00分" before anything is chosen.
    for (chart::ChartSurface *f : frames) {
        QVERIFY2(f->isBlank(), qPrintable(f->objectName()));
        QVERIFY2(!showsChartColours(f), qPrintable(f->objectName()));
    }
    saveShot(w->grab().toImage(), u"single_exam_before_choice"_s);
    chooseExam(w, u"25-26(上)期中成绩"_s);
    for (chart::ChartSurface *f : frames) {
        QVERIFY2(!f->isBlank(), qPrintable(f->objectName()));
        QVERIFY2(showsChartColours(f), qPrintable(f->objectName()));
    }
    // An exam without scores empties them again.
    chooseExam(w, u"一单元语文成绩"_s);
    for (chart::ChartSurface *f : frames)
        QVERIFY2(f->isBlank(), qPrintable(f->objectName()));
}

void TestSingleExamWindow::fullMarkFollowsTheScores_data()
{
    QTest::addColumn<QString>("exam");
    QTest::addColumn<QString>("stored");   // 满分 stored with the exam column; empty: none
    QTest::addColumn<QString>("owner");    // the registry row's grade group and class
    QTest::addColumn<QString>("fullMark");
    QTest::addColumn<int>("bands");
    const QString mid = u"25-26(上)期中成绩"_s;
    const QString final = u"25-26(下)期末成绩"_s;
    const QString own = kGrade + u" "_s + kClass;
    QTest::newRow("100 keeps 100") << mid << QString() << own << u"100"_s << 10;
    QTest::newRow("100.5 gives 150") << final << QString() << own << u"150"_s << 15;
    QTest::newRow("stored 120 over scores within 100") << mid << u"120"_s << own << u"120"_s << 12;
    QTest::newRow("stored 120 over a score of 100.5") << final << u"120"_s << own << u"120"_s << 12;
    QTest::newRow("stored 200: more bands than shown, the rule") << final << u"200"_s << own << u"150"_s << 15;
    QTest::newRow("stored 120 by another class of the grade group") << mid << u"120"_s << u"初二年级组 四班"_s
                                                                    << u"120"_s << 12;
    QTest::newRow("stored 120 by another grade group: the rule") << mid << u"120"_s << u"初一年级组 三班"_s
                                                                 << u"100"_s << 10;
}

void TestSingleExamWindow::fullMarkFollowsTheScores()
{
    QFETCH(QString, exam);
    QFETCH(QString, stored);
    QFETCH(QString, owner);
    QFETCH(QString, fullMark);
    QFETCH(int, bands);
    School s;
    if (!stored.isEmpty()) {
        const QString column = exam.contains(u"期中"_s) ? kMidTerm : kFinal;
        QVERIFY(s.school.db().exec(uR"(INSERT INTO "初中考试结果" ("年级组","班级名","考试名","满分") VALUES (?,?,?,?))"_s,
                                   {owner.section(u' ', 0, 0), owner.section(u' ', 1), column, stored}));
        s.school.closeDb();
    }
    WindowHarness h(s.school, on());
    SingleExamWindow *w = openWindow(h);
    chooseExam(w, exam);
    QCOMPARE(w->fullMarkBox->text(), fullMark);
    QCOMPARE(w->summaryBox->toPlainText().count(u"段内:"_s), bands);
    for (int k = 1; k <= 15; ++k)
        QCOMPARE(label(w->bandChart, "Label4", k).visible, k <= bands);
}

void TestSingleExamWindow::fullMarkBoxRestoresTheComputedMark()
{
    School s;
    WindowHarness h(s.school, on());
    SingleExamWindow *w = openWindow(h);
    chooseExam(w, u"25-26(下)期末成绩"_s);
    for (const QString &typed : {u"0"_s, u"155"_s, u"abc"_s}) {
        w->fullMarkBox->setText(typed);
        emit w->fullMarkBox->editingFinished();
        QCOMPARE(w->fullMarkBox->text(), u"150"_s);
    }
    // A valid mark is used by the next run (a row click keeps the grid).
    w->fullMarkBox->setText(u"120"_s);
    emit w->fullMarkBox->editingFinished();
    clickCell(w->scoreGrid, 1, 2);
    QCOMPARE(w->fullMarkBox->text(), u"120"_s);
    QVERIFY(w->summaryBox->toPlainText().contains(u"试题满分:120分"_s));
    QCOMPARE(w->summaryBox->toPlainText().count(u"段内:"_s), 12);
}

void TestSingleExamWindow::examWithoutScores()
{
    School s;
    WindowHarness h(s.school, on());
    SingleExamWindow *w = openWindow(h);
    // An analysis first: neither its summary nor its charts stay beside the
    // grid of the exam without scores.
    chooseExam(w, u"25-26(上)期中成绩"_s);
    QVERIFY(!w->summaryBox->toPlainText().isEmpty());
    chooseExam(w, u"一单元语文成绩"_s);
    QCOMPARE(w->scoreGrid->Rows(), 6);
    QCOMPARE(w->summaryBox->toPlainText(), QString());
    const auto caption = [](const chart::ChartFrame &f, const QString &array, int index) {
        const chart::LabelElement *l = f.findLabel(array, index);
        return l ? l->caption : u"(none)"_s;
    };
    QCOMPARE(caption(w->bandChart->frame(), u"Label8"_s, 9), caption(analysis::designBandChart(), u"Label8"_s, 9));
    QCOMPARE(caption(w->levelChart->frame(), u"Label3"_s, 3), caption(analysis::designLevelChart(), u"Label3"_s, 3));
    QCOMPARE(caption(w->studentChart->frame(), u"Label7"_s, 4),
             caption(analysis::designSingleStudentChart(), u"Label7"_s, 4));
    QCOMPARE(h.responder.shown().size(), 1);
    QCOMPARE(h.responder.last().text, u"学生成绩还没有添入,请添入后再进行分析"_s);
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)一单元语文成绩 任课教师:李明"_s);
    QCOMPARE(label(w->levelChart, "Label3", 0).caption, u"无"_s);   // no charts
    // A row click says it again; the next exam choice still loads.
    clickCell(w->scoreGrid, 1, 2);
    QCOMPARE(h.responder.shown().size(), 2);
    choose(w->examCombo, u"25-26(上)期中成绩"_s);
    QCOMPARE(w->examRows().size(), 5);
    QCOMPARE(w->statistics().participants, 4);
}

void TestSingleExamWindow::rankOrderAndRowClick()
{
    School s;
    WindowHarness h(s.school, on());
    SingleExamWindow *w = openWindow(h);
    chooseExam(w, u"25-26(上)期中成绩"_s);
    w->sortButton->click();
    QCOMPARE(w->sortButton->text(), u"正常排序(&X)"_s);
    // Whole rows move with their numbers; the unscored student comes last.
    QCOMPARE(gridRows(w->scoreGrid, 0, 5), (QStringList{u"01|20240301|张三|90|1|1"_s, u"04|20240305|赵六|90|1|1"_s,
                                                    u"05|20240306|钱七|72|3|3"_s, u"02|20240302|李四|0|4|4"_s,
                                                    u"03|20240304|王五|||90000"_s}));
    // A row click renumbers in rank order and draws that student.
    clickCell(w->scoreGrid, 3, 2);
    QCOMPARE(gridColumn(w->scoreGrid, 0), (QStringList{u"01"_s, u"02"_s, u"03"_s, u"04"_s, u"05"_s}));
    QCOMPARE(label(w->studentChart, "Label7", 19).caption, u"钱七"_s);
    QCOMPARE(label(w->studentChart, "Label7", 26).caption, u"3名"_s);
    QCOMPARE(label(w->studentChart, "Label7", 23).caption, u"72分"_s);
    QCOMPARE(label(w->studentChart, "Label11", 4).caption, u"2人"_s);
    QCOMPARE(label(w->studentChart, "Label11", 5).caption, u"1人"_s);
    QCOMPARE(w->titleLabel->text(), u"分析初二三班(实验)语文参试人数:4人 任课教师:李明"_s);
    QCOMPARE(w->selectedStudentRow(), 0);
    clickCell(w->scoreGrid, 5, 2);
    QCOMPARE(label(w->studentChart, "Label7", 26).caption, u"无次"_s);
    QCOMPARE(label(w->studentChart, "Label7", 23).caption, u"无分"_s);
    // Back to ID order; the caption is not reset by the next exam.
    w->sortButton->click();
    QCOMPARE(w->sortButton->text(), u"按名次排(&X)"_s);
    QCOMPARE(gridColumn(w->scoreGrid, 1).first(), u"20240301"_s);
    w->sortButton->click();
    choose(w->examCombo, u"25-26(上)期中成绩"_s);
    QCOMPARE(w->sortButton->text(), u"正常排序(&X)"_s);
    QCOMPARE(gridColumn(w->scoreGrid, 1).first(), u"20240301"_s);
    QCOMPARE(label(w->studentChart, "Label7", 19).caption, u"显示学生名"_s);
}

void TestSingleExamWindow::wideLayoutFromSixtySixStudents_data()
{
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("frameWidth");
    QTest::addColumn<int>("gridHeight");
    QTest::newRow("65") << 60 << 8415 << 4455;
    QTest::newRow("66") << 61 << 11655 << 2175;
}

void TestSingleExamWindow::wideLayoutFromSixtySixStudents()
{
    QFETCH(int, extra);
    QFETCH(int, frameWidth);
    QFETCH(int, gridHeight);
    School s(extra);
    WindowHarness h(s.school, on());
    SingleExamWindow *w = openWindow(h);
    chooseExam(w, u"25-26(上)期中成绩"_s);
    QCOMPARE(w->examRows().size(), 5 + extra);
    QCOMPARE(w->spreadChart->frame().width, frameWidth);
    QCOMPARE(w->spreadChart->width(), twipsToPixels(w->spreadChart->frame().width));
    QCOMPARE(w->scoreGrid->height(), twipsToPixels(gridHeight));
    QCOMPARE(w->sortButton->y(), twipsToPixels(gridHeight == 2175 ? 4680 : 6960));
    QVERIFY(w->spreadChart->geometry().right() <= w->minimumWidth());
    QVERIFY(w->spreadChart->frame().findShape(u"Shape2"_s, 5 + extra - 1)->visible);
}

void TestSingleExamWindow::looksRight()
{
    for (int extra : {0, 61}) {
        School s(extra);
        ProgramFontScope font;
        WindowHarness h(s.school, on(true));
        SingleExamWindow *w = openWindow(h);
        chooseExam(w, u"25-26(上)期中成绩"_s);
        clickCell(w->scoreGrid, 1, 2);
        QApplication::processEvents();
        for (QPushButton *b : w->findChildren<QPushButton *>())
            if (b->isVisible())
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        for (QComboBox *c : w->findChildren<QComboBox *>())
            QVERIFY2(c->height() >= c->minimumSizeHint().height() - 4, qPrintable(c->objectName()));
        for (QLabel *l : w->findChildren<QLabel *>())
            if (l->isVisible())
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
        saveShot(w->grab().toImage(), u"single_exam_%1"_s.arg(5 + extra));
    }
}

QTEST_MAIN(TestSingleExamWindow)
#include "tst_single_exam_window.moc"
