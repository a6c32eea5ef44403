// 成绩对比分析 driven through its controls on a school whose day is
// 15 October 2025 (初一年级组 is the cohort 2025 of 初中).
#include "grade_analysis/comparison_window.h"
#include "fixtures/export_files.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/chart_surface.h"
#include "widgets/flex_grid.h"

#include <QComboBox>
#include <QGroupBox>
#include <QScrollBar>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kJunior = u"初中"_s;
const QString kGroup = u"初一年级组"_s;
const QString kChinese = u"Z25S语文250915"_s;
const QString kMaths = u"Z25S数学250915"_s;
const QString kQuiz = u"C单元语文251001"_s;
const QString kMidTerm = u"25-26(上)期中成绩"_s;
const QDate kToday(2025, 10, 15);

struct School {
    TestSchool school;
    School()
    {
        school.addGradeGroup(u"一年级组"_s);
        school.addGradeGroup(kGroup);
        school.addGradeGroup(u"高一年级组"_s);
        school.addClass(u"一年级组"_s, u"一班"_s);
        school.addClass(kGroup, u"一班"_s, u"王芳"_s, {}, u"实验"_s);
        school.addClass(kGroup, u"二班"_s);
        school.addClass(kGroup, u"十一班"_s);
        school.addClass(kGroup, u"四班"_s);
        school.addClass(u"高一年级组"_s, u"一班"_s);
        school.addTeaching(kGroup, u"十一班"_s, u"语文"_s, u"周明"_s);
        school.addTeaching(kGroup, u"一班"_s, u"语文"_s, u"李'兰"_s);
        for (const QString &c : {kChinese, kMaths, kQuiz})
            school.addExamColumn(kJunior, c);
        school.addExamColumn(u"高中"_s, u"M25X英语260628"_s);   // a cohort without students
        const struct {
            const char16_t *number;
            double chinese, maths;
        } scores[] = {{u"20250101", 90, 100.5}, {u"20250102", 70, 80}, {u"20250201", 60, 95},
                      {u"20250202", 59.5, 40}, {u"20251101", 88, 77}, {u"20240101", 10, 10}};
        for (const auto &s : scores) {
            const int id = school.addStudent(kJunior, QString::fromUtf16(s.number), u"生"_s);
            school.setScore(kJunior, id, kChinese, s.chinese);
            school.setScore(kJunior, id, kMaths, s.maths);
        }
        school.closeDb();
    }
};

WindowHarness::Options on()
{
    return {.shown = false, .today = kToday};
}

QTreeWidgetItem *node(ComparisonWindow *w, const QString &name)
{
    const QList<QTreeWidgetItem *> found = w->groupTree->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void chooseGroup(ComparisonWindow *w, const QString &name)
{
    QTreeWidgetItem *item = node(w, name);
    QVERIFY(item);
    w->groupTree->setCurrentItem(item);
    w->groupNodeClicked(item);
}

void select(QListWidget *list, const QString &text, bool on)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(text));
    items.first()->setSelected(on);
}

QStringList selected(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            out << list->item(i)->text();
    }
    return out;
}

// 初一年级组, the mid-term, 四班 left out: 2 subjects × 3 classes.
ComparisonWindow *filled(WindowHarness &h)
{
    auto *w = h.open<ComparisonWindow>(kComparisonWindow);
    chooseGroup(w, kGroup);
    choose(w->examCombo, kMidTerm);
    select(w->classList, u"四班 "_s, false);
    QTest::mouseClick(w->showButton, Qt::LeftButton);
    return w;
}

QList<bool> framesShown(ComparisonWindow *w)
{
    QList<bool> out;
    for (chart::ChartSurface *f : w->chartSurfaces)
        out << !f->isHidden();
    return out;
}

} // namespace

class ComparisonWindowTest : public QObject {
    Q_OBJECT
private slots:
    void choosing()
    {
        School s;
        WindowHarness h(s.school, on());
        auto *w = h.open<ComparisonWindow>(kComparisonWindow);
        QCOMPARE(w->windowTitle(), u"年级组成绩对比分析"_s);
        QCOMPARE(w->groupTree->topLevelItemCount(), 3);
        QCOMPARE(node(w, kGroup)->childCount(), 0);
        QVERIFY(!w->analyseButton->isEnabled());
        QCOMPARE(w->captionLabels[5]->text(), u"(分析0个考试科目)"_s);

        // A grade group lists exactly its own classes.
        chooseGroup(w, u"一年级组"_s);
        QCOMPARE(itemTexts(w->classList), QStringList{u"一班 "_s});
        chooseGroup(w, kGroup);
        const QStringList classes{u"一班 实验"_s, u"二班 "_s, u"十一班 "_s, u"四班 "_s};
        QCOMPARE(itemTexts(w->classList), classes);
        QCOMPARE(selected(w->classList), classes);
        QCOMPARE(w->captionLabels[0]->text(), u"②选择(初一年级)可比较的班级"_s);
        QCOMPARE(w->gridTitle->text(), u"初一年级组各科成绩分析"_s);
        QCOMPARE(w->cohortYear(), 2025);
        QCOMPARE(itemTexts(w->examCombo), (QStringList{kMidTerm, u"单元语文成绩"_s}));
        QCOMPARE(w->resultGrid->Rows(), 2);

        choose(w->examCombo, kMidTerm);
        QCOMPARE(itemTexts(w->subjectList), (QStringList{u"语文"_s, u"数学"_s}));
        QCOMPARE(selected(w->subjectList), itemTexts(w->subjectList));
        QCOMPARE(w->subjectColumns(), (QStringList{kChinese, kMaths}));
        QCOMPARE(w->captionLabels[5]->text(), u"(分析全部科目)"_s);
        QCOMPARE(w->gridTitle->text(), kGroup + kMidTerm + u"分析"_s);
        select(w->subjectList, u"数学"_s, false);
        QCOMPARE(w->captionLabels[5]->text(), u"(分析1科)"_s);
        choose(w->examCombo, u"单元语文成绩"_s);
        QCOMPARE(itemTexts(w->subjectList), QStringList{u"单元语文"_s});

        // A cohort without students still lists its section's exams.
        chooseGroup(w, u"高一年级组"_s);
        QCOMPARE(itemTexts(w->examCombo), QStringList{u"25-26(下)期末成绩"_s});
        QVERIFY(h.responder.shown().isEmpty());
    }

    void checks()
    {
        School s;
        WindowHarness h(s.school, on());
        auto *w = h.open<ComparisonWindow>(kComparisonWindow);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.texts(), QStringList{u"请选择考试名称。"_s});
        QCOMPARE(h.responder.last().title, u"提示……"_s);
        QCOMPARE(w->resultGrid->Rows(), 2);

        chooseGroup(w, kGroup);
        choose(w->examCombo, kMidTerm);
        select(w->subjectList, u"语文"_s, false);
        select(w->subjectList, u"数学"_s, false);
        h.responder.clear();
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.texts(), QStringList{u"请选择考试科目后,才能显示。"_s});
        select(w->subjectList, u"语文"_s, true);
        for (int i = 0; i < w->classList->count(); ++i)
            w->classList->item(i)->setSelected(false);
        h.responder.clear();
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.texts(), QStringList{u"请选择分析班级后,才能显示。"_s});
        QVERIFY(!w->analyseButton->isEnabled());
    }

    void fill()
    {
        School s;
        WindowHarness h(s.school, on());
        ComparisonWindow *w = filled(h);
        QVERIFY(h.responder.shown().isEmpty());
        QCOMPARE(w->resultGrid->Rows(), 9);
        QCOMPARE(gridRows(w->resultGrid, 0, 5),
                 (QStringList{u"语文|一班|李'兰|2|2|80.00"_s, u"语文|二班||2|2|59.75"_s, u"语文|十一班|周明|1|1|88.00"_s,
                              u"|||||"_s, u"数学|一班||2|2|90.25"_s, u"数学|二班||2|2|67.50"_s,
                              u"数学|十一班||1|1|77.00"_s, u"|||||"_s}));
        // 数学 of 一班 has 100.5: full mark 150, so 90.25 is one pass (100.5) and no excellent.
        QCOMPARE(gridRow(w->resultGrid, 5).mid(7, 6),
                 (QStringList{u"1"_s, u"50.0"_s, u"0"_s, u"0.0"_s, u"100.5"_s, u"80.0"_s}));
        QVERIFY(w->analyseButton->isEnabled());

        // Any change of choice disables the charts until the next fill.
        select(w->classList, u"二班 "_s, false);
        QVERIFY(!w->analyseButton->isEnabled());
        QCOMPARE(w->resultGrid->Rows(), 9);

        // A class without any student row: its row holds subject, class and teacher, then the note.
        select(w->classList, u"四班 "_s, true);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.texts(), QStringList{u"显示空内容的行,是因为本科本班没有成绩。"_s});
        QCOMPARE(h.responder.last().title, u"说明……"_s);
        QCOMPARE(gridRow(w->resultGrid, 3).join(u'|'), u"语文|四班|"_s + QString(19, u'|'));
        QVERIFY(w->analyseButton->isEnabled());
    }

    void queryFailure()
    {
        School s;
        WindowHarness h(s.school, on());
        ComparisonWindow *w = filled(h);
        QVERIFY(w->analyseButton->isEnabled());
        QVERIFY(s.school.db().exec(u"alter table \"初中\" rename to \"初中旧\""_s));
        s.school.closeDb();
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.shown().size(), 1);
        QVERIFY2(h.responder.last().text.startsWith(u"数据错误事件命中错误："_s), qPrintable(h.responder.last().text));
        QVERIFY(h.responder.last().text.size() > 11);
        QVERIFY(h.isOpen(kComparisonWindow));
        QVERIFY(!w->analyseButton->isEnabled());
        QVERIFY(w->progressPanel->isHidden());
        QCOMPARE(w->resultGrid->Rows(), 2);
    }

    void charts()
    {
        School s;
        WindowHarness h(s.school, {.shown = false, .today = kToday, .realSize = true});
        ComparisonWindow *w = filled(h);
        saveShot(w->grab().toImage(), u"comparison_grid"_s);

        QTest::mouseClick(w->analyseButton, Qt::LeftButton);
        QVERIFY(w->chartViewShown());
        QVERIFY(w->choiceFrame->isHidden());
        QCOMPARE(w->titleBox->text(), u"    初一年级组25-26(上)期中成绩分析    "_s);
        QCOMPARE(w->drawnAtLabel->text(), u"制图时间:2025/10/15"_s);
        QVERIFY(w->chartOptions[0]->isChecked());
        QCOMPARE(framesShown(w), (QList<bool>{true, true, false, false, false, false, false, false, false, false}));
        const chart::ChartFrame &first = w->chartSurfaces[0]->frame();
        QCOMPARE(first.caption, u"各班(语文)成绩对比分析图"_s);
        // (80 × 2 + 59.75 × 2 + 88) / 5 = 73.5
        QCOMPARE(first.findLabel(u"Label100"_s, 0)->caption, u"组平均分73.5"_s);
        QCOMPARE(first.findLabel(u"Label3"_s, 1)->toolTip,
                 u"平均分:80.00 参考人数:2 最高分:90.0 最低分:70.0 及格率:100.0%"_s);
        saveShot(w->grab().toImage(), u"comparison_charts"_s);

        QTest::mouseClick(w->chartOptions[1], Qt::LeftButton);
        QCOMPARE(w->chartSurfaces[1]->frame().caption, u"学科(数学)任课教师成绩对比分析图"_s);
        saveShot(w->grab().toImage(), u"comparison_teachers"_s);
        QTest::mouseClick(w->chartOptions[2], Qt::LeftButton);
        QCOMPARE(framesShown(w).count(true), 1);
        QCOMPARE(w->chartSurfaces[0]->frame().caption, u"各班(整体)成绩对比分析图"_s);
        saveShot(w->grab().toImage(), u"comparison_whole_classes"_s);
        QCOMPARE(w->pageScroll->value(), w->pageScroll->minimum());
        QTest::mouseClick(w->chartOptions[0], Qt::LeftButton);
        QCOMPARE(w->chartSurfaces[0]->frame().left, 840);
        QCOMPARE(w->chartSurfaces[0]->frame().top, 1680);

        QTest::mouseClick(w->closeSheetButton, Qt::LeftButton);
        QVERIFY(!w->chartViewShown());
        QVERIFY(!w->choiceFrame->isHidden());
        QVERIFY(h.responder.shown().isEmpty());
    }

    void exportGrid()
    {
        School s;
        WindowHarness h(s.school, on());
        RecordedExports exports;
        ComparisonWindow *w = filled(h);
        QTest::mouseClick(w->analyseButton, Qt::LeftButton);
        w->resultGrid->setColWidth(2, 0);   // the teacher column hidden
        QTest::mouseClick(w->exportButton, Qt::LeftButton);
        w->resultGrid->setRowHeight(2, 0);   // and 二班's 语文 row
        QTest::mouseClick(w->exportButton, Qt::LeftButton);
        QCOMPARE(exports.opener.paths().size(), 2);
        QVERIFY(exports.opener.paths()[0] != exports.opener.paths()[1]);
        QVERIFY(h.responder.shown().isEmpty());

        XlsxFile book(exports.opener.paths()[0]);
        QVERIFY(book.isOpen());
        QCOMPARE(book.sheetNames(), (QStringList{u"成绩分析"_s, u"Sheet1"_s, u"Sheet2"_s, u"Sheet3"_s}));
        QCOMPARE(book.orientation(0), u"landscape"_s);
        QCOMPARE(book.value(0, u"A1"_s), w->titleBox->text());
        // 21 columns: the hidden teacher column moves the rest one to the left.
        QCOMPARE(book.value(0, u"B2"_s), u"班级"_s);
        QCOMPARE(book.value(0, u"C2"_s), u"班总人数"_s);
        QCOMPARE(book.value(0, u"U2"_s), u"前30名平均分"_s);
        QCOMPARE(book.value(0, u"E3"_s), u"80"_s);
        QVERIFY(book.isNumber(0, u"E3"_s));
        QCOMPARE(book.value(0, u"B5"_s), u"十一班"_s);
        // Each subject once, merged over its classes; the separators stay single rows.
        QCOMPARE(book.value(0, u"A3"_s), u"语文"_s);
        QCOMPARE(book.value(0, u"A4"_s), QString());
        QCOMPARE(book.value(0, u"A7"_s), u"数学"_s);
        QCOMPARE(book.mergeRefs(0), (QStringList{u"A1:U1"_s, u"A3:A5"_s, u"A7:A9"_s}));
        QCOMPARE(book.column(0, 5).attribute("width").as_double() > 0, true);
        verifyPrintedTable(book, 0, 2, 9, 21, 1);
        QVERIFY(!QTest::currentTestFailed());
        // The captions wrap in the header row, a band's only at its bar.
        QVERIFY(book.style(0, u"C2"_s).wrap);
        QCOMPARE(book.value(0, u"M2"_s), u"0\n│\n59"_s);

        // A hidden row leaves no sheet row.
        XlsxFile second(exports.opener.paths()[1]);
        QCOMPARE(second.value(0, u"B4"_s), u"十一班"_s);
        QCOMPARE(second.mergeRefs(0), (QStringList{u"A1:U1"_s, u"A3:A4"_s, u"A6:A8"_s}));

        // A workbook that cannot be opened is reported once.
        exports.opener.setResult(false);
        QTest::mouseClick(w->exportButton, Qt::LeftButton);
        QCOMPARE(h.responder.shown().size(), 1);
    }
};

QTEST_MAIN(ComparisonWindowTest)
#include "tst_comparison_window.moc"
