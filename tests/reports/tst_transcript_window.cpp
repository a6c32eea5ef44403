#include "fixtures/export_files.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/flex_grid.h"
#include "reports/paper_preview.h"
#include "reports/transcript_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2025, 10, 15);   // 初一 entered in 2025
const QString kChinese = u"Z25S语文250915"_s;
const QString kMaths = u"Z25S数学250916"_s;
const QString kExam = u"25-26(上)期中成绩"_s;

// 初一年级组 with 一班 and 二班; 一年级组 (primary) with its own 一班; a class row
// naming no grade group and a second 初一 二班 row, which the tree leaves out.
void seed(TestSchool &school)
{
    school.addGradeGroup(u"初一年级组"_s);
    school.addGradeGroup(u"一年级组"_s);
    school.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s);
    school.addClass(u"初一年级组"_s, u"二班"_s, u"李老师"_s);
    school.addClass(u"一年级组"_s, u"一班"_s, u"赵老师"_s);
    school.addClass(u"三年级组"_s, u"四班"_s, u"孤老师"_s);
    school.addClass(u"初一年级组"_s, u"二班"_s, u"李老师"_s);
    school.addExamColumn(u"初中"_s, kChinese);
    school.addExamColumn(u"初中"_s, kMaths);
    // 一班: 95, 90, 90, 85 in 语文; 二班: two students above everyone.
    const QList<std::tuple<QString, QString, QVariant, QVariant>> students{
        {u"20250101"_s, u"甲"_s, 95, 80}, {u"20250102"_s, u"乙"_s, 90, 70},
        {u"20250103"_s, u"丙"_s, 90, 75}, {u"20250104"_s, u"丁"_s, 85, QVariant()},
        {u"20250201"_s, u"戊"_s, 99, 99}, {u"20250202"_s, u"己"_s, 98, 98},
    };
    for (const auto &[number, name, chinese, maths] : students) {
        const int id = school.addStudent(u"初中"_s, number, name);
        school.setScore(u"初中"_s, id, kChinese, chinese);
        school.setScore(u"初中"_s, id, kMaths, maths);
    }
    school.closeDb();
}

QTreeWidgetItem *node(TranscriptWindow *w, const QString &group, const QString &className = {})
{
    return treeNode(w->groupTree, group, className);
}

void clickNode(TranscriptWindow *w, QTreeWidgetItem *item)
{
    clickTreeNode(w->groupTree, item);
}

// The window with 一班 (or the grade group) chosen and the transcript of both subjects shown.
TranscriptWindow *showTranscript(WindowHarness &h, const QString &className = u"一班"_s)
{
    auto *w = h.open<TranscriptWindow>(kTranscriptWindow);
    clickNode(w, node(w, u"初一年级组"_s, className));
    choose(w->examCombo, kExam);
    QTest::mouseClick(w->showButton, Qt::LeftButton);
    return w;
}

QStringList shownColumn(FlexGrid *grid, int col)
{
    QStringList texts;
    for (int r = 2; r < grid->Rows(); ++r)
        if (grid->RowHeight(r) > 0)
            texts << grid->TextMatrix(r, col);
    return texts;
}

// The students' texts that their shown column cuts off in the grid's font.
QStringList cutTexts(FlexGrid *grid)
{
    const QFontMetrics fm(grid->font());
    QStringList cut;
    for (int r = 2; r < grid->Rows(); ++r) {
        if (grid->TextMatrix(r, 0) == u" 全部参  考学生"_s)
            continue;
        for (int c = 0; c < grid->Cols(); ++c) {
            const QString text = grid->TextMatrix(r, c);
            if (grid->ColWidth(c) > 0 && fm.horizontalAdvance(text) + 8 > grid->columnWidth(c))
                cut << text;
        }
    }
    return cut;
}

void applyOptions(TranscriptWindow *w)
{
    QTest::mouseClick(w->applyOptionsButton, Qt::LeftButton);
}

} // namespace

class TranscriptWindowTest : public QObject {
    Q_OBJECT
private slots:
    void treeAndClassSelection()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = h.open<TranscriptWindow>(kTranscriptWindow);
        // The orphan row and the duplicate 二班 are left out.
        QCOMPARE(w->groupTree->topLevelItemCount(), 2);
        QCOMPARE(node(w, u"初一年级组"_s)->childCount(), 2);
        QCOMPARE(w->resultGrid->Rows(), 3);
        QCOMPARE(w->columnWidths(), (QVector<int>{800, 820, 600, 0, 450, 450, 530, 530, 450, 450}));
        QCOMPARE(gridRow(w->resultGrid, 1).mid(6), (QStringList{u"原分"_s, u"标分"_s, u"班名"_s, u"组次"_s}));

        clickNode(w, node(w, u"初一年级组"_s, u"一班"_s));
        QVERIFY(w->titleLabel->text().startsWith(u"打印初一一班"_s));
        QVERIFY(w->titleLabel->text().endsWith(u"王老师成绩单"_s));
        QCOMPARE(w->gridTitle->text(), u"初一一班各科成绩"_s);
        // Comparable classes: the other classes of 初一年级组 only, never 一年级组's.
        QCOMPARE(itemTexts(w->classList), QStringList{u"二班"_s});
        QCOMPARE(ticked(w->classList).size(), 1);
        QCOMPARE(w->classCode(), u"202501"_s);
        QCOMPARE(w->sectionTable(), u"初中"_s);
        QCOMPARE(gridColumn(w->resultGrid, 0),
                 (QStringList{u"20250101"_s, u"20250102"_s, u"20250103"_s, u"20250104"_s,
                              u" 全部参  考学生"_s, u" 全部参  考学生"_s, u" 全部参  考学生"_s}));
        QCOMPARE(gridColumn(w->resultGrid, 1).mid(4), (QStringList{u"平均分数"_s, u"参考人数"_s, u"标 准 差"_s}));
        // Every student number shows whole.
        QVERIFY(w->resultGrid->columnWidth(0) > w->resultGrid->fontMetrics().horizontalAdvance(u"20250101"_s));
        QCOMPARE(itemTexts(w->examCombo), QStringList{kExam});
        QVERIFY(!w->previewButton->isEnabled());

        choose(w->examCombo, kExam);
        QCOMPARE(itemTexts(w->subjectList), (QStringList{u"语文"_s, u"数学"_s}));
        QCOMPARE(ticked(w->subjectList).size(), 2);
        QCOMPARE(w->captionLabels[5]->text(), u"(打印全部科目)"_s);
        QCOMPARE(w->gridTitle->text(), u"初一一班"_s + kExam);
        tick(w->subjectList, u"数学"_s, false);
        QCOMPARE(w->captionLabels[5]->text(), u"(打印1科)"_s);

        // A grade group lists all its classes.
        clickNode(w, node(w, u"初一年级组"_s));
        QCOMPARE(itemTexts(w->classList), (QStringList{u"一班"_s, u"二班"_s}));
        QCOMPARE(w->classCode(), u"2025"_s);
        QCOMPARE(w->resultGrid->Rows(), 2 + 6 + 3);
        QVERIFY(w->subjectList->count() == 0);
    }

    void guards()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = h.open<TranscriptWindow>(kTranscriptWindow);
        clickNode(w, node(w, u"初一年级组"_s, u"一班"_s));
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.last().text, u"请选择考试名称。"_s);
        QCOMPARE(h.responder.last().title, u"提示……"_s);
        choose(w->examCombo, kExam);
        tick(w->subjectList, u"语文"_s, false);
        tick(w->subjectList, u"数学"_s, false);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(h.responder.last().text, u"请选择考试科目后,才能显示。"_s);
        QVERIFY(!w->previewButton->isEnabled());
    }

    void transcriptOfAClass()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = showTranscript(h);
        QVERIFY(h.responder.texts().isEmpty());
        QVERIFY(w->previewButton->isEnabled());
        QCOMPARE(w->resultGrid->Cols(), 14);
        QCOMPARE(gridRow(w->resultGrid, 0).mid(6), (QStringList{u"语文"_s, u"语文"_s, u"语文"_s, u"语文"_s,
                                                          u"数学"_s, u"数学"_s, u"数学"_s, u"数学"_s}));
        QCOMPARE(gridRow(w->resultGrid, 1).mid(6, 4), (QStringList{u"原分"_s, u"标分"_s, u"班名"_s, u"组名"_s}));
        // 语文 95, 90, 90, 85: class ranks 1, 2, 2, 4; 二班's two students add 2 to the grade ranks.
        QCOMPARE(gridColumn(w->resultGrid, 8).mid(0, 4), (QStringList{u"1"_s, u"2"_s, u"2"_s, u"4"_s}));
        QCOMPARE(gridColumn(w->resultGrid, 9).mid(0, 4), (QStringList{u"3"_s, u"4"_s, u"4"_s, u"6"_s}));
        QCOMPARE(gridColumn(w->resultGrid, 2).mid(0, 4), (QStringList{u"175"_s, u"160"_s, u"165"_s, u"85"_s}));
        QCOMPARE(gridColumn(w->resultGrid, 4).mid(0, 4), (QStringList{u"1"_s, u"3"_s, u"2"_s, u"4"_s}));
        QCOMPARE(gridColumn(w->resultGrid, 5).mid(0, 4), (QStringList{u"3"_s, u"5"_s, u"4"_s, u"6"_s}));
        // Summary rows: 语文 average 90, 4 participants; 数学 3 with a blank.
        QCOMPARE(gridColumn(w->resultGrid, 6).mid(4), (QStringList{u"90.00"_s, u"4"_s, u"3.54"_s}));
        QCOMPARE(gridColumn(w->resultGrid, 10).mid(4, 2), (QStringList{u"75.00"_s, u" 3"_s}));
        QCOMPARE(w->resultGrid->ColWidth(3), 0);
        // The progress panel was left at the grade-rank pass: progressBar full, stepProgressBar past the 6 students read.
        QCOMPARE(w->progressLabel->text(), u"正计算各科年级组总名次……"_s);
        QCOMPARE((QList<int>{w->progressBar->value(), w->progressBar->maximum()}), (QList<int>{8, 8}));
        QCOMPARE((QList<int>{w->stepProgressBar->value(), w->stepProgressBar->maximum()}), (QList<int>{6, 7}));

        // Without the comparable class, the grade ranks are the class ranks.
        tick(w->classList, u"二班"_s, false);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QCOMPARE(gridColumn(w->resultGrid, 9).mid(0, 4), gridColumn(w->resultGrid, 8).mid(0, 4));
    }

    void columnBoxesAndZoom()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = showTranscript(h);
        w->fieldChecks[3]->click();   // 打印各科标准分 off
        QCOMPARE(w->columnWidths()[7], 0);
        QCOMPARE(w->columnWidths()[11], 0);
        QCOMPARE(w->resultGrid->ColWidth(7), 0);
        QVERIFY(w->columnWidths()[6] > 0);
        w->fieldChecks[3]->click();
        QCOMPARE(w->columnWidths()[7], 530);
        QCOMPARE(w->columnWidths()[11], 530);

        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        QTest::mouseClick(w->Preview->optionsButton, Qt::LeftButton);
        QVERIFY(w->optionsPanel->isVisible());
        QCOMPARE(w->columnWidths()[7], 530);
        // The font follows the zoom, and no number is cut off (-1.41 among the standard scores).
        const double size = w->resultGrid->font().pointSizeF();
        QVERIFY(gridColumn(w->resultGrid, 7).contains(u"-1.41"_s));
        const QList<std::tuple<int, int, double>> steps{
            {0, 424, size * 4.1 / 4.5}, {2, 636, size * 5 / 4.5}, {1, 530, size}, {1, 530, size}};
        for (const auto &[option, width, fontSize] : steps) {
            w->zoomOptions[option]->setChecked(true);
            applyOptions(w);
            QCOMPARE(w->columnWidths()[7], width);
            QCOMPARE(w->columnWidths()[3], 0);
            QCOMPARE(w->resultGrid->font().pointSizeF(), fontSize);
            QVERIFY2(cutTexts(w->resultGrid).isEmpty(), qPrintable(cutTexts(w->resultGrid).join(u' ')));
        }
        QVERIFY(!w->optionsPanel->isVisible());
    }

    void topFiltersKeepTies()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = showTranscript(h);
        // Totals 175, 160, 165, 85 with the comparable 197 and 196: grade ranks 3, 5, 4, 6.
        w->groupTopOption->setChecked(true);
        applyOptions(w);
        QCOMPARE(h.responder.last().text, u"请输入要打印的学生数目。"_s);
        QVERIFY(w->groupTopBox->hasFocus() || !w->isActiveWindow());
        for (const QString &bad : {u"abc"_s, u"99999"_s, u"0"_s}) {
            w->groupTopBox->setText(bad);
            applyOptions(w);
            QCOMPARE(h.responder.last().text, u"打印数目应是1至32767之间的整数。"_s);
        }
        w->groupTopBox->setText(u"4"_s);
        applyOptions(w);
        QCOMPARE(shownColumn(w->resultGrid, 1), (QStringList{u"甲"_s, u"丙"_s, u"平均分数"_s, u"参考人数"_s, u"标 准 差"_s}));

        // The class filter at 2 with 语文's tie: ranked by total, summary rows last.
        w->classTopOption->setChecked(true);
        w->classTopBox->setText(u"2"_s);
        applyOptions(w);
        QCOMPARE(shownColumn(w->resultGrid, 1).mid(0, 2), (QStringList{u"甲"_s, u"丙"_s}));

        // Make a tie at the limit: 乙's 数学 to 75 gives 165 as 丙 has.
        school.setScore(u"初中"_s, school.value(u"select ID from 初中 where 学籍号='20250102'"_s).toInt(), kMaths, 75);
        school.closeDb();
        w->byNumberOption->setChecked(true);
        applyOptions(w);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        w->classTopOption->setChecked(true);
        applyOptions(w);
        QCOMPARE(shownColumn(w->resultGrid, 1).mid(0, 3), (QStringList{u"甲"_s, u"乙"_s, u"丙"_s}));
        QCOMPARE(shownColumn(w->resultGrid, 4).mid(0, 3), (QStringList{u"1"_s, u"2"_s, u"2"_s}));
    }

    void previewPagingAndClosing()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday, .realSize = true});
        auto *w = showTranscript(h);
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        QVERIFY(!w->choiceFrame->isVisible());
        QVERIFY(w->Preview->isVisible());
        QCOMPARE(w->Preview->titleBox->text(), u"    初一一班"_s + kExam + u"报表    "_s);
        saveShot(w->grab().toImage(), u"transcript_preview"_s);

        w->byRankOption->setChecked(true);
        QTest::mouseClick(w->Preview->optionsButton, Qt::LeftButton);
        applyOptions(w);
        QCOMPARE(gridColumn(w->resultGrid, 1).mid(0, 4), (QStringList{u"甲"_s, u"丙"_s, u"乙"_s, u"丁"_s}));
        QCOMPARE(w->Preview->pageLabel->text(), u"第1页"_s);

        QTest::mouseClick(w->Preview->closePreviewButton, Qt::LeftButton);
        QVERIFY(w->choiceFrame->isVisible());
        QVERIFY(!w->Preview->isVisible());
        QCOMPARE(w->resultGrid->parentWidget(), w->gridFrame);
        QCOMPARE(gridColumn(w->resultGrid, 1).mid(0, 4), (QStringList{u"甲"_s, u"乙"_s, u"丙"_s, u"丁"_s}));
        QCOMPARE(gridColumn(w->resultGrid, 1).mid(4), (QStringList{u"平均分数"_s, u"参考人数"_s, u"标 准 差"_s}));
        saveShot(w->grab().toImage(), u"transcript_window"_s);
    }

    void exportReadBack()
    {
        TestSchool school;
        seed(school);
        RecordedExports exports;
        WindowHarness h(school, {.today = kToday});
        auto *w = showTranscript(h);
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        w->fieldChecks[0]->click();   // no total column
        w->groupTopOption->setChecked(true);
        w->groupTopBox->setText(u"4"_s);
        applyOptions(w);
        QTest::mouseClick(w->Preview->exportButton, Qt::LeftButton);
        QVERIFY(h.responder.texts().isEmpty());
        QCOMPARE(exports.opener.paths().size(), 1);

        XlsxFile file(exports.opener.paths().first());
        QVERIFY(file.isOpen());
        QCOMPARE(file.sheetNames().first(), u"成绩单"_s);
        QCOMPARE(file.value(0, u"A1"_s), w->Preview->titleBox->text());
        // 学号, 姓名, the two total ranks, then 4 columns a subject: 12 columns.
        QCOMPARE(file.value(0, u"A2"_s), u" 学  号"_s);
        QCOMPARE(file.value(0, u"C2"_s), u"名次"_s);
        QCOMPARE(file.value(0, u"C3"_s), u"班内"_s);
        QCOMPARE(file.value(0, u"E2"_s), u"语文"_s);
        QCOMPARE(file.value(0, u"I2"_s), u"数学"_s);
        const QStringList merges = file.mergeRefs(0);
        for (const QString &ref : {u"A1:L1"_s, u"A2:A3"_s, u"B2:B3"_s, u"C2:D2"_s, u"E2:H2"_s, u"I2:L2"_s})
            QVERIFY2(merges.contains(ref), qPrintable(merges.join(u' ')));
        // Rows shown: 甲, 丙 (grade ranks 3 and 4), then the three summary rows; 乙 and 丁 are hidden.
        QCOMPARE(file.value(0, u"B4"_s), u"甲"_s);
        QVERIFY(!file.isNumber(0, u"A4"_s));   // 学号 a text, never 2E+07
        QCOMPARE(file.value(0, u"B5"_s), u"丙"_s);
        // Every student number is a text, as the grid shows it (a number would show 2E+07).
        for (const auto &[ref, number] : {std::pair{u"A4"_s, u"20250101"_s}, std::pair{u"A5"_s, u"20250103"_s}}) {
            QVERIFY2(!file.isNumber(0, ref), qPrintable(ref));
            QCOMPARE(file.value(0, ref), number);
        }
        QCOMPARE(file.value(0, u"B6"_s), u"平均分数"_s);
        // An average is wider than its 3-character column: it shrinks to fit, never ###.
        QCOMPARE(file.style(0, u"E6"_s).numberFormat, u"0.00"_s);
        QVERIFY(file.style(0, u"E6"_s).shrink);
        QVERIFY(!file.style(0, u"B6"_s).shrink);
        QCOMPARE(file.value(0, u"B8"_s), u"标 准 差"_s);
        QCOMPARE(file.value(0, u"B9"_s), QString());
        // Widths: A to D as preset, then by each column's heading (原分 3, 标分 4, 班名 3, 组名 3).
        const double widths[] = {6, 6, 4, 3, 3, 4, 3, 3, 3, 4, 3, 3};
        for (int c = 1; c <= 12; ++c) {
            const double got = file.column(0, c).attribute("width").as_double();
            QVERIFY2(got >= widths[c - 1] && got < widths[c - 1] + 1, qPrintable(QString::number(c)));
        }
        // The two header rows on every page; the 10-point rows tall enough for 9-point text.
        verifyPrintedTable(file, 0, 2, 8, 12, 2);
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(file.row(0, 4).attribute("ht").as_double(), neededRowHeight(9));
    }

    void failuresAreReported()
    {
        TestSchool school;
        seed(school);
        WindowHarness h(school, {.today = kToday});
        auto *w = h.open<TranscriptWindow>(kTranscriptWindow);
        clickNode(w, node(w, u"初一年级组"_s, u"一班"_s));
        choose(w->examCombo, kExam);
        // The exam column goes away after it was listed: the query is refused.
        QVERIFY(school.db().exec(u"ALTER TABLE \"初中\" DROP COLUMN \"Z25S数学250916\""_s));
        school.closeDb();
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        QVERIFY(h.responder.last().text.startsWith(u"数据错误事件命中错误："_s));
        QVERIFY(!w->progressPanel->isVisible());

        // An export that cannot be written is reported.
        QTemporaryDir dir;
        QFile blocker(dir.filePath(u"file"_s));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ExportsFolder folder(dir.filePath(u"file/sub"_s));
        RecordingWorkbookOpener opener;
        tick(w->subjectList, u"数学"_s, false);
        QTest::mouseClick(w->showButton, Qt::LeftButton);
        h.responder.clear();
        QTest::mouseClick(w->previewButton, Qt::LeftButton);
        QTest::mouseClick(w->Preview->exportButton, Qt::LeftButton);
        QVERIFY(opener.paths().isEmpty());
        QCOMPARE(h.responder.texts().size(), 1);
    }
};

QTEST_MAIN(TranscriptWindowTest)
#include "tst_transcript_window.moc"
