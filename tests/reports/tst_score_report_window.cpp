#include "fixtures/export_files.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/flex_grid.h"
#include "reports/paper_preview.h"
#include "reports/report_steps.h"
#include "reports/score_report.h"
#include "reports/score_report_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace tessaly;
using namespace tessaly::test;
using tessaly::reports::wrappableHeader;
using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2025, 10, 15);   // 初一 entered in 2025, 初二 in 2024
const QString kExam = u"04-05(上)期中成绩"_s;
const QStringList kSubjects{u"语文"_s, u"数学"_s, u"英语"_s, u"物理"_s, u"化学"_s};

QString midTerm(const QString &subject)
{
    return u"Z04S"_s + subject + u"041110"_s;
}

// 初一年级组 with 一班 (实验班), 二班 and 十一班; 初二, 高二 and 二年级组 with classes of
// their own. Five subjects' mid-terms of one half year and a final of 语文.
void seed(TestSchool &school)
{
    for (const QString &group : {u"初一年级组"_s, u"初二年级组"_s, u"高二年级组"_s, u"二年级组"_s})
        school.addGradeGroup(group);
    school.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s, {}, u"实验班"_s);
    school.addClass(u"初一年级组"_s, u"二班"_s, u"李老师"_s);
    school.addClass(u"初一年级组"_s, u"十一班"_s, u"赵老师"_s);
    school.addClass(u"初二年级组"_s, u"一班"_s, u"钱老师"_s);
    school.addClass(u"高二年级组"_s, u"一班"_s, u"孙老师"_s);
    school.addClass(u"二年级组"_s, u"一班"_s, u"周老师"_s);
    school.addClass(u"二年级组"_s, u"二班"_s, u"吴老师"_s);
    school.addTeaching(u"初一年级组"_s, u"一班"_s, u"语文"_s, u"张老师"_s);
    school.addTeaching(u"初一年级组"_s, u"十一班"_s, u"数学"_s, u"郑老师"_s);
    for (const QString &s : kSubjects)
        school.addExamColumn(u"初中"_s, midTerm(s));
    school.addExamColumn(u"初中"_s, u"M04S语文050120"_s);
    // 一班: 语文 95 and 50, 数学 80 and none; 二班 语文 70; 十一班 语文 88, 数学 120;
    // 初二 一班 (cohort 2024) must not count.
    const QList<std::tuple<QString, QVariant, QVariant>> students{
        {u"20250101"_s, 95, 80}, {u"20250102"_s, 50, QVariant()}, {u"20250201"_s, 70, QVariant()},
        {u"20251101"_s, 88, 120}, {u"20240101"_s, 10, 10},
    };
    for (const auto &[number, chinese, maths] : students) {
        const int id = school.addStudent(u"初中"_s, number, u"生"_s + number.right(3));
        school.setScore(u"初中"_s, id, midTerm(u"语文"_s), chinese);
        school.setScore(u"初中"_s, id, midTerm(u"数学"_s), maths);
    }
    school.closeDb();
}

void clickNode(ScoreReportWindow *w, const QString &group, const QString &className = {})
{
    clickTreeNode(w->groupTree, treeNode(w->groupTree, group, className));
}

// 初一年级组 (or one of its classes) with 语文 and 数学 of the mid-term shown.
ScoreReportWindow *showReport(WindowHarness &h, const QString &className = {})
{
    auto *w = h.open<ScoreReportWindow>(kScoreReportWindow);
    clickNode(w, u"初一年级组"_s, className);
    choose(w->examCombo, kExam);
    for (const QString &s : kSubjects.mid(2))
        tick(w->subjectList, s, false);
    QTest::mouseClick(w->showButton, Qt::LeftButton);
    return w;
}

QStringList columnTexts(FlexGrid *grid, int col)
{
    QStringList texts;
    for (int r = 0; r < grid->Rows(); ++r)
        texts << grid->TextMatrix(r, col);
    return texts;
}

void openOptions(ScoreReportWindow *w)
{
    QTest::mouseClick(w->Preview->optionsButton, Qt::LeftButton);
}

void applyOptions(ScoreReportWindow *w)
{
    QTest::mouseClick(w->applyOptionsButton, Qt::LeftButton);
}

} // namespace

class ScoreReportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void gradeGroupsListOnlyTheirOwnClasses()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = h.open<ScoreReportWindow>(kScoreReportWindow);
        QCOMPARE(w->groupTree->topLevelItemCount(), 4);
        QCOMPARE(w->resultGrid->Rows(), 2);
        QCOMPARE(w->resultGrid->Cols(), 22);
        QCOMPARE(w->resultGrid->RowHeight(0), 900);
        QCOMPARE(w->columnWidths(), (QVector<int>{450, 450, 820, 300, 300, 630, 450, 300, 500, 300, 500,
                                                   630, 630, 350, 350, 350, 350, 350, 350, 630, 630, 630}));
        QCOMPARE(gridRow(w->resultGrid, 0).mid(7, 4), (QStringList{u"及格人数"_s, u"及格率％"_s, u"优秀人数"_s, u"优秀率％"_s}));
        QCOMPARE(w->resultGrid->ColAlignment(8), Qt::Alignment(Qt::AlignCenter));
        QVERIFY(!w->previewButton->isEnabled());

        clickNode(w, u"初二年级组"_s);
        QCOMPARE(itemTexts(w->classList), QStringList{u"一班 "_s});
        QCOMPARE(w->sectionTable(), u"初中"_s);
        QCOMPARE(w->cohortYear(), 2024);
        clickNode(w, u"二年级组"_s);
        QCOMPARE(itemTexts(w->classList), (QStringList{u"一班 "_s, u"二班 "_s}));
        QCOMPARE(ticked(w->classList).size(), 2);
        QCOMPARE(w->sectionTable(), u"小学"_s);
        QCOMPARE(w->examCombo->count(), 0);

        clickNode(w, u"初一年级组"_s);
        QCOMPARE(w->titleLabel->text(), u"打印初一年级组成绩报表"_s);
        QCOMPARE(w->captionLabels[0]->text(), u"②选择(初一年级)可比较的班级"_s);
        QCOMPARE(w->gridTitle->text(), u"初一年级组各科成绩报表"_s);
        QCOMPARE(itemTexts(w->classList), (QStringList{u"一班 实验班"_s, u"二班 "_s, u"十一班 "_s}));
        // Five subjects' mid-terms of one half year are one exam.
        QCOMPARE(itemTexts(w->examCombo), (QStringList{kExam, u"04-05(上)期末成绩"_s}));

        choose(w->examCombo, kExam);
        QCOMPARE(itemTexts(w->subjectList), kSubjects);
        QCOMPARE(ticked(w->subjectList), kSubjects);
        QCOMPARE(w->captionLabels[5]->text(), u"(打印全部科目)"_s);
        QCOMPARE(w->gridTitle->text(), u"初一年级组"_s + kExam + u"报表"_s);
        tick(w->subjectList, u"物理"_s, false);
        QCOMPARE(w->captionLabels[5]->text(), u"(打印4科)"_s);

        // A second click starts over: classes ticked again, boxes 0 to 5 ticked, 6 to 9 kept.
        tick(w->classList, u"二班 "_s, false);
        w->fieldChecks[2]->click();
        w->fieldChecks[7]->click();
        QCOMPARE(w->columnWidths()[4], 0);
        clickNode(w, u"初一年级组"_s);
        QCOMPARE(ticked(w->classList).size(), 3);
        QCOMPARE(w->subjectList->count(), 0);
        QVERIFY(w->fieldChecks[2]->isChecked());
        QCOMPARE(w->columnWidths()[4], 300);
        QVERIFY(!w->fieldChecks[7]->isChecked());
        QCOMPARE(w->columnWidths()[11], 0);
    }

    void emptyOrganisationStillOpens()
    {
        TestSchool school;
        school.closeDb();
        WindowHarness h(school, {.today = kToday});
        auto *w = h.open<ScoreReportWindow>(kScoreReportWindow);
        QVERIFY(w);
        QCOMPARE(h.responder.last().text, u"目前教导处还没进行年级组设置。"_s);
        // Before a choice the captions name what the window prints.
        QCOMPARE(w->titleLabel->text(), u"打印成绩报表"_s);
        QCOMPARE(w->gridTitle->text(), u"显示各科成绩报表内容"_s);
        QCOMPARE(w->groupTree->topLevelItemCount(), 0);
        QCOMPARE(w->resultGrid->Cols(), 22);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.last().text, u"请选择考试名称。"_s);
    }

    void refusals()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = h.open<ScoreReportWindow>(kScoreReportWindow);
        clickNode(w, u"初一年级组"_s);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.last().text, u"请选择考试名称。"_s);
        QCOMPARE(h.responder.last().title, u"提示……"_s);
        choose(w->examCombo, kExam);
        for (const QString &s : kSubjects)
            tick(w->subjectList, s, false);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.last().text, u"请选择考试科目后,才能显示。"_s);
        tick(w->subjectList, u"语文"_s);
        for (const QString &c : itemTexts(w->classList))
            tick(w->classList, c, false);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.last().text, u"请选择报表班级后,才能显示。"_s);
        QCOMPARE(w->resultGrid->Rows(), 2);
        QVERIFY(!w->previewButton->isEnabled());
    }

    void statisticsRows()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = showReport(h);
        QVERIFY(h.responder.texts().isEmpty());
        QVERIFY(w->previewButton->isEnabled());
        QVERIFY(!w->progressPanel->isVisible());
        // 1 + S (n + 1) rows, column 0 empty exactly in the blank rows.
        QCOMPARE(w->resultGrid->Rows(), 1 + 2 * 4);
        QCOMPARE(columnTexts(w->resultGrid, 0), (QStringList{u"学科"_s, u"语文"_s, u"语文"_s, u"语文"_s, QString(),
                                                        u"数学"_s, u"数学"_s, u"数学"_s, QString()}));
        QCOMPARE(columnTexts(w->resultGrid, 1).mid(1, 3), (QStringList{u"一班"_s, u"二班"_s, u"十一班"_s}));
        QCOMPARE(columnTexts(w->resultGrid, 2).mid(1), (QStringList{u"张老师"_s, QString(), QString(), QString(),
                                                               QString(), QString(), u"郑老师"_s, QString()}));
        // 语文 of 一班: 95 and 50; the 初二 student of 一班's number is not counted.
        QCOMPARE(gridRow(w->resultGrid, 1).mid(3, 10),
                 (QStringList{u"2"_s, u"2"_s, u"72.50"_s, QString(), u"1"_s, u"50.0"_s, u"1"_s, u"50.0"_s,
                              u"95.0"_s, u"50.0"_s}));
        // 数学 of 十一班: 120 makes the full mark 150.
        QCOMPARE(gridRow(w->resultGrid, 7).mid(3, 4), (QStringList{u"1"_s, u"1"_s, u"120.00"_s, QString()}));
        QCOMPARE(w->reportRows().size(), w->resultGrid->Rows());

        // A class node stands for its grade group; its teacher is still found.
        clickNode(w, u"初一年级组"_s, u"一班"_s);
        QVERIFY(!w->previewButton->isEnabled());
        QCOMPARE(w->resultGrid->Rows(), 2);
        QCOMPARE(itemTexts(w->classList).size(), 3);
        choose(w->examCombo, kExam);
        QVERIFY(w->gridTitle->text().startsWith(u"初一一班(实验班)"_s));
        QVERIFY(w->gridTitle->text().endsWith(kExam + u"报表"_s));
        for (const QString &s : kSubjects.mid(1))
            tick(w->subjectList, s, false);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(w->resultGrid->TextMatrix(1, 2), u"张老师"_s);

        // A class without any student row leaves its row empty and says why.
        school.db().exec(u"DELETE FROM \"初中\" WHERE \"学籍号\" = '20250201'"_s);
        school.closeDb();
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.last().text, u"显示空内容的行,是因为本科本班没有成绩。"_s);
        QCOMPARE(h.responder.last().title, u"说明……"_s);
        QCOMPARE(gridRow(w->resultGrid, 2).mid(1, 3), (QStringList{u"二班"_s, QString(), QString()}));
    }

    void columnBoxes()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = showReport(h);
        w->fieldChecks[8]->click();   // 打印分数段人数
        for (int c = 13; c <= 18; ++c)
            QCOMPARE(w->resultGrid->ColWidth(c), 0);
        w->fieldChecks[8]->click();
        QCOMPARE(w->columnWidths().mid(13, 6), QVector<int>(6, 350));
        w->fieldChecks[5]->click();   // 打印及格人数及格率: 500 after loading, 450 when ticked again
        QCOMPARE(w->columnWidths()[8], 0);
        w->fieldChecks[5]->click();
        QCOMPARE(w->columnWidths()[7], 300);
        QCOMPARE(w->columnWidths()[8], 450);
        // Shown columns are at least as wide as their header needs.
        QVERIFY(w->resultGrid->ColWidth(3) >= 300);
    }

    void optionsZoomAndOrder()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = showReport(h);
        const QList<QStringList> filled = w->reportRows();
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        openOptions(w);
        QVERIFY(w->optionsPanel->isVisible());
        QVERIFY(!w->Preview->toolbarPanel->isEnabled());

        // 缩小 then 正常, then 缩小 then 放大; a hidden column stays hidden; the font follows.
        w->fieldChecks[4]->click();
        const double size = w->resultGrid->font().pointSizeF();
        const QList<std::tuple<int, int, double>> steps{
            {0, 656, size * 4.1 / 4.5}, {1, 820, size}, {0, 656, size * 4.1 / 4.5}, {2, 984, size * 5 / 4.5}, {1, 820, size}};
        for (const auto &[option, width, fontSize] : steps) {
            w->zoomOptions[option]->setChecked(true);
            applyOptions(w);
            QCOMPARE(w->columnWidths()[2], width);
            QCOMPARE(w->columnWidths()[6], 0);
            QCOMPARE(w->resultGrid->ColWidth(6), 0);
            QCOMPARE(w->resultGrid->font().pointSizeF(), fontSize);
            openOptions(w);
        }
        QCOMPARE(w->zoomFactor(), u"1"_s);
        // 取消 applies nothing.
        w->zoomOptions[0]->setChecked(true);
        w->byClassOption->setChecked(true);
        QTest::mouseClick(w->cancelOptionsButton, Qt::LeftButton);
        QVERIFY(!w->optionsPanel->isVisible());
        QVERIFY(w->Preview->toolbarPanel->isEnabled());
        QCOMPARE(w->columnWidths()[2], 820);
        QCOMPARE(w->resultGrid->TextMatrix(0, 0), u"学科"_s);

        // By class: S 2, n 3; each class's subjects, then a blank row.
        w->zoomOptions[1]->setChecked(true);
        openOptions(w);
        applyOptions(w);
        QCOMPARE(w->Preview->pageLabel->text(), u"第1页"_s);
        QCOMPARE(columnTexts(w->resultGrid, 0), (QStringList{u"班级"_s, u"一班"_s, u"一班"_s, QString(), u"二班"_s,
                                                        u"二班"_s, QString(), u"十一班"_s, u"十一班"_s, QString()}));
        QCOMPARE(columnTexts(w->resultGrid, 1).mid(0, 3), (QStringList{u"学科"_s, u"语文"_s, u"数学"_s}));
        QCOMPARE(gridRow(w->resultGrid, 1).mid(2, 4), (QStringList{u"张老师"_s, u"2"_s, u"2"_s, u"72.50"_s}));
        // Twice by class leaves it alone.
        openOptions(w);
        applyOptions(w);
        QCOMPARE(w->resultGrid->Rows(), 10);

        // Closing the preview brings the subject order back exactly.
        QTest::mouseClick(w->Preview->closePreviewButton, Qt::LeftButton);
        QVERIFY(w->bySubjectOption->isChecked());
        QVERIFY(w->choiceFrame->isVisible());
        QCOMPARE(w->resultGrid->parentWidget(), w->gridFrame);
        QCOMPARE(w->reportRows(), filled);
        QStringList header;
        for (const QString &text : filled[0])
            header << wrappableHeader(text);
        QCOMPARE(gridRow(w->resultGrid, 0), header);
        for (int r = 1; r < filled.size(); ++r)
            QCOMPARE(gridRow(w->resultGrid, r), filled[r]);
    }

    void ticksChangedAfterTheFillLoseNoRow()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = showReport(h);
        const QList<QStringList> filled = w->reportRows();
        // The lists no longer describe the report: the report itself is counted.
        tick(w->subjectList, u"数学"_s, false);
        tick(w->classList, u"二班 "_s, false);
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        w->byClassOption->setChecked(true);
        openOptions(w);
        applyOptions(w);
        QCOMPARE(w->resultGrid->Rows(), 1 + 3 * 3);
        QCOMPARE(w->resultGrid->TextMatrix(7, 0), u"十一班"_s);
        QTest::mouseClick(w->Preview->closePreviewButton, Qt::LeftButton);
        QCOMPARE(w->reportRows(), filled);
    }

    void previewPages()
    {
        // Nine subjects and ten classes: 1 + 9 × 11 = 100 rows.
        TestSchool school;
        school.addGradeGroup(u"初一年级组"_s);
        const QStringList names{u"一班"_s, u"二班"_s, u"三班"_s, u"四班"_s, u"五班"_s,
                                u"六班"_s, u"七班"_s, u"八班"_s, u"九班"_s, u"十班"_s};
        for (const QString &c : names)
            school.addClass(u"初一年级组"_s, c);
        for (const QString &s : kSubjects + QStringList{u"政治"_s, u"历史"_s, u"地理"_s, u"生物"_s})
            school.addExamColumn(u"初中"_s, midTerm(s));
        const int id = school.addStudent(u"初中"_s, u"20250101"_s, u"甲"_s);
        school.setScore(u"初中"_s, id, midTerm(u"语文"_s), 90);
        school.closeDb();
        WindowHarness h(school, {.today = kToday, .realSize = true});
        auto *w = h.open<ScoreReportWindow>(kScoreReportWindow);
        clickNode(w, u"初一年级组"_s);
        choose(w->examCombo, kExam);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(w->resultGrid->Rows(), 100);

        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        QVERIFY(!w->choiceFrame->isVisible());
        QVERIFY(w->Preview->isVisible());
        QCOMPARE(w->Preview->titleBox->text(), u"    初一年级组"_s + kExam + u"报表    "_s);
        QCOMPARE(w->Preview->rowsPerPage(), 15);
        QCOMPARE(w->Preview->geometry().tableHeight, 13500);
        QCOMPARE(w->Preview->geometry().paperWidth, 11450);
        QCOMPARE(w->Preview->lastPage(), 7);
        saveShot(w->grab().toImage(), u"score_report_preview"_s);
        for (int i = 0; i < 8; ++i)
            QTest::mouseClick(w->Preview->nextPageButton, Qt::LeftButton);
        QCOMPARE(w->Preview->currentPage(), 7);
        QCOMPARE(w->Preview->pageLabel->text(), u"第7页"_s);
        QCOMPARE(w->resultGrid->RowHeight(79), 0);
        QVERIFY(w->resultGrid->RowHeight(80) > 0);
        QVERIFY(w->resultGrid->RowHeight(1) > 0);

        // 确定 of the options renames the page only: 上一页 still turns back through page 6.
        openOptions(w);
        applyOptions(w);
        QCOMPARE(w->Preview->pageLabel->text(), u"第1页"_s);
        QCOMPARE(w->resultGrid->RowHeight(79), 0);
        QTest::mouseClick(w->Preview->previousPageButton, Qt::LeftButton);
        QCOMPARE(w->Preview->pageLabel->text(), u"第6页"_s);
        QVERIFY(w->resultGrid->RowHeight(79) > 0);
        QCOMPARE(w->resultGrid->RowHeight(66), 0);

        // Closing shows every row again.
        QTest::mouseClick(w->Preview->closePreviewButton, Qt::LeftButton);
        for (int r = 0; r < w->resultGrid->Rows(); ++r)
            QVERIFY(w->resultGrid->RowHeight(r) > 0);
    }

    void exportReadBack()
    {
        TestSchool school;
        seed(school);
        RecordedExports exports;
        WindowHarness h(school, {.today = kToday});
        auto *w = showReport(h);
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        QTest::mouseClick(w->Preview->exportButton, Qt::LeftButton);
        QVERIFY(h.responder.texts().isEmpty());
        QCOMPARE(exports.opener.paths().size(), 1);
        {
            XlsxFile file(exports.opener.paths().first());
            QVERIFY(file.isOpen());
            QCOMPARE(file.sheetNames(), (QStringList{u"成绩报表"_s, u"Sheet1"_s, u"Sheet2"_s, u"Sheet3"_s}));
            QCOMPARE(file.orientation(0), u"landscape"_s);
            // 优秀人数 is wide enough for its line in three lines.
            const double widths[] = {3, 3, 6, 2, 2, 5, 4, 2, 4, 5, 4, 4, 4, 2, 2, 2, 2, 3, 3, 5, 5, 5};
            for (int c = 1; c <= 22; ++c) {
                const double got = file.column(0, c).attribute("width").as_double();
                QVERIFY2(got >= widths[c - 1] && got < widths[c - 1] + 1, qPrintable(QString::number(c)));
            }
            QCOMPARE(file.value(0, u"A1"_s), u"    初一年级组"_s + kExam + u"报表    "_s);
            // The header row holds 班总人数 one character a line; the 10-point rows grow
            // to their 9-point text.
            QCOMPARE(file.row(0, 2).attribute("ht").as_double(), neededRowHeight(9, 4));
            QCOMPARE(file.row(0, 4).attribute("ht").as_double(), neededRowHeight(9));
            // Score bands break only beside their bar.
            QCOMPARE(file.value(0, u"N2"_s), u"0\n│\n59"_s);
            QCOMPARE(file.value(0, u"O2"_s), u"60\n│\n79"_s);
            QCOMPARE(file.value(0, u"S2"_s), u"120\n│\n150"_s);
            QCOMPARE(file.value(0, u"J2"_s), u"优秀人数(≥80%)"_s);
            test::verifyPrintedTable(file, 0, 2, 9, 22, 1);
            QVERIFY(!QTest::currentTestFailed());
            const XlsxFile::Style header = file.style(0, u"E2"_s);
            QVERIFY(header.wrap);
            QCOMPARE(header.vertical, u"center"_s);
            QCOMPARE(header.fontSize, 9.0);
            QCOMPARE(file.style(0, u"F3"_s).numberFormat, u"0.00"_s);
            QCOMPARE(file.style(0, u"I3"_s).numberFormat, u"0.0"_s);
            QCOMPARE(file.value(0, u"B2"_s), u"班级"_s);
            QCOMPARE(file.value(0, u"F3"_s), u"72.5"_s);
            // Each subject once over its classes; the blank row closes the run.
            QCOMPARE(file.value(0, u"A3"_s), u"语文"_s);
            QCOMPARE(file.value(0, u"A4"_s), QString());
            QCOMPARE(file.value(0, u"A7"_s), u"数学"_s);
            QCOMPARE(file.mergeRefs(0), (QStringList{u"A1:V1"_s, u"A3:A5"_s, u"A7:A9"_s}));
        }

        // Without 教师姓名, on page 2 of a page of 3 rows: rows 2 and 3 are left out.
        w->fieldChecks[0]->click();
        emit w->resultGrid->MouseMove(0, 0, 100, w->Preview->geometry().tableHeight - 10);
        emit w->resultGrid->MouseDown(1, 0, 100, w->Preview->geometry().tableHeight - 10);
        emit w->resultGrid->MouseMove(1, 0, 100, 10);
        emit w->resultGrid->MouseUp(1, 0, 100, 10);
        QCOMPARE(w->Preview->rowsPerPage(), 3);
        QTest::mouseClick(w->Preview->nextPageButton, Qt::LeftButton);
        QCOMPARE(w->Preview->currentPage(), 2);
        QTest::mouseClick(w->Preview->exportButton, Qt::LeftButton);
        QCOMPARE(exports.opener.paths().size(), 2);
        XlsxFile file(exports.opener.paths().last());
        QCOMPARE(file.mergeRefs(0).first(), u"A1:U1"_s);
        QCOMPARE(file.value(0, u"C2"_s), u"班总人数"_s);
        const double got = file.column(0, 3).attribute("width").as_double();
        QVERIFY(got >= 2 && got < 3);
        // Row 1 (一班) stays; 二班 is on page 1 only; then 十一班.
        QCOMPARE(file.value(0, u"B3"_s), u"一班"_s);
        QCOMPARE(file.value(0, u"B4"_s), u"十一班"_s);
        // The export changes nothing on the page.
        QCOMPARE(w->resultGrid->Rows(), 9);
        QCOMPARE(w->Preview->currentPage(), 2);
    }

    void failedExportIsReported()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = showReport(h);
        QTemporaryDir dir;
        QFile blocker(dir.filePath(u"file"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ExportsFolder folder(dir.filePath(u"file/sub"_s));
        RecordingWorkbookOpener opener;
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        QTest::mouseClick(w->Preview->exportButton, Qt::LeftButton);
        QVERIFY(opener.paths().isEmpty());
        QCOMPARE(h.responder.texts().size(), 1);
        // The window goes on: paging, closing the preview, a new report.
        QTest::mouseClick(w->Preview->closePreviewButton, Qt::LeftButton);
        QVERIFY(w->choiceFrame->isVisible());
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(w->resultGrid->Rows(), 9);
    }

    void pageShowsEveryColumn()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday, .realSize = true});
        auto *w = showReport(h);
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        saveShot(w->grab().toImage(), u"score_report_page"_s);
        FlexGrid *g = w->resultGrid;
        // At 正常 all 22 columns stand within the table on the page.
        int right = 0;
        for (int c = 0; c < g->Cols(); ++c) {
            QVERIFY2(g->columnWidth(c) > 0, qPrintable(QString::number(c)));
            right += g->columnWidth(c);
        }
        QVERIFY2(right <= g->viewport()->width(), qPrintable(u"%1 > %2"_s.arg(right).arg(g->viewport()->width())));
        // Headers stack whole within the header row; the figures are not cut off.
        QFont bold = g->font();
        bold.setBold(true);
        const QFontMetrics header(bold), cells(g->font());
        for (int c = 0; c < g->Cols(); ++c) {
            const QRect r = header.boundingRect(QRect(0, 0, g->columnWidth(c) - 8, 1000), Qt::TextWordWrap,
                                                g->TextMatrix(0, c));
            QVERIFY2(r.width() <= g->columnWidth(c) - 8 && r.height() <= g->rowHeight(0) - 2,
                     qPrintable(g->TextMatrix(0, c)));
            for (int row = 1; c >= 3 && row < g->Rows(); ++row)
                QVERIFY2(cells.horizontalAdvance(g->TextMatrix(row, c)) + 8 <= g->columnWidth(c),
                         qPrintable(g->TextMatrix(row, c)));
        }
        // The workbook gets the headers as they are.
        QCOMPARE(w->reportRows().first().value(17), u"100│119"_s);
    }

    void namesFitTheirCells_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::newRow("正常") << 1;
        QTest::newRow("缩小") << 0;
        QTest::newRow("放大") << 2;
    }

    // A four-character class name and a long teacher name at the report's 7 pt:
    // each name is drawn whole within its cell on the page, at every zoom.
    void namesFitTheirCells()
    {
        QFETCH(int, zoom);
        TestSchool school;
        school.addGradeGroup(u"初一年级组"_s);
        school.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s);
        school.addClass(u"初一年级组"_s, u"二十一班"_s, u"欧阳老师"_s);
        school.addTeaching(u"初一年级组"_s, u"二十一班"_s, u"语文"_s, u"爱新觉罗·玄烨"_s);
        school.addTeaching(u"初一年级组"_s, u"二十一班"_s, u"数学"_s, u"司马欧阳明月"_s);
        for (const QString &s : kSubjects)
            school.addExamColumn(u"初中"_s, midTerm(s));
        for (const QString &number : {u"20250101"_s, u"20252101"_s}) {
            const int id = school.addStudent(u"初中"_s, number, u"生"_s + number.right(3));
            school.setScore(u"初中"_s, id, midTerm(u"语文"_s), 90);
            school.setScore(u"初中"_s, id, midTerm(u"数学"_s), 80);
        }
        school.closeDb();
        WindowHarness h(school, {.today = kToday, .realSize = true});
        auto *w = showReport(h);
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        openOptions(w);
        w->zoomOptions[zoom]->setChecked(true);
        applyOptions(w);
        saveShot(w->grab().toImage(), u"score_report_names_"_s + QString::number(zoom));
        FlexGrid *g = w->resultGrid;
        QCOMPARE(columnTexts(g, 1).mid(1, 2), (QStringList{u"一班"_s, u"二十一班"_s}));
        QVERIFY(columnTexts(g, 2).contains(u"爱新觉罗·玄烨"_s));
        for (int c : {0, 1, 2}) {
            QVERIFY(g->textRoom(c) <= g->columnWidth(c) - 8);
            for (int row = 1; row < g->Rows(); ++row) {
                const QVariant own = g->model()->index(row, c).data(Qt::FontRole);
                const QFont font = own.isValid() ? qvariant_cast<QFont>(own).resolve(g->font()) : g->font();
                const QString text = g->TextMatrix(row, c);
                QVERIFY2(QFontMetrics(font).horizontalAdvance(text) <= g->textRoom(c),
                         qPrintable(u"%1: %2 > %3"_s.arg(text).arg(QFontMetrics(font).horizontalAdvance(text))
                                        .arg(g->textRoom(c))));
                // Narrowed no further than the least the report allows.
                QVERIFY(font.pointSizeF() >= g->font().pointSizeF() * reports::kLeastFontShare - 0.01);
            }
        }
    }

    // The options panel as designed: optionsPanel holds the frame Frame3 with the
    // settings, and the note and buttons under it; Label27 captions the zoom in Frame4.
    void optionsPanelControls()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = h.open<ScoreReportWindow>(kScoreReportWindow);
        QVERIFY(!qobject_cast<QGroupBox *>(w->optionsPanel));
        auto *frame3 = w->optionsPanel->findChild<QGroupBox *>(u"Frame3"_s);
        QVERIFY(frame3);
        QCOMPARE(frame3->title(), u"打印的项目设置"_s);
        auto *frame4 = frame3->findChild<QGroupBox *>(u"Frame4"_s);
        QVERIFY(frame4);
        QCOMPARE(frame4->title(), QString());
        auto *label27 = frame4->findChild<QLabel *>(u"Label27"_s);
        QVERIFY(label27);
        QCOMPARE(label27->text(), u"表格内字体宽度设置："_s);
        for (QRadioButton *option : w->zoomOptions)
            QCOMPARE(option->parentWidget(), frame4);
        for (QWidget *inFrame3 : {static_cast<QWidget *>(w->byClassOption), static_cast<QWidget *>(w->bySubjectOption),
                                  static_cast<QWidget *>(w->fieldChecks.first()), static_cast<QWidget *>(w->fieldChecks.last())})
            QCOMPARE(inFrame3->parentWidget(), frame3);
        for (QWidget *below : {static_cast<QWidget *>(w->applyOptionsButton), static_cast<QWidget *>(w->cancelOptionsButton),
                               static_cast<QWidget *>(w->optionsPanel->findChild<QLabel *>(u"Label12"_s))})
            QCOMPARE(below->parentWidget(), static_cast<QWidget *>(w->optionsPanel));
    }

    void looksRight()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday, .realSize = true});
        auto *w = showReport(h);
        saveShot(w->grab().toImage(), u"score_report_window"_s);
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        openOptions(w);
        saveShot(w->grab().toImage(), u"score_report_options"_s);
        QVERIFY(w->optionsPanel->isVisible());
        w->zoomOptions[0]->setChecked(true);
        applyOptions(w);
        saveShot(w->grab().toImage(), u"score_report_smaller"_s);
    }
};

QTEST_MAIN(ScoreReportWindowTest)
#include "tst_score_report_window.moc"
