// 打印点名册: the title rule, the class chosen in the tree, the roll-call grid
// and the roll-call workbook read back from its file.
#include "fixtures/export_files.h"
#include "fixtures/files.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "workbook/export_workbook.h"
#include "widgets/flex_grid.h"
#include "workbook/import_workbook.h"
#include "register/roll_call.h"
#include "register/roll_call_window.h"

#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

// October 2025: 初一 is the cohort of 2025, so 三班 is 202503 and 二十一班 202521.
const QDate kToday(2025, 10, 15);

void seed(TestSchool &s)
{
    s.addGradeGroup(u"初一年级组"_s);
    s.addGradeGroup(u"初二年级组"_s);
    s.addClass(u"初一年级组"_s, u"三班"_s, u"王老师"_s, u"1"_s, u"实验班"_s);
    s.addClass(u"初一年级组"_s, u"二十一班"_s, u"李老师"_s, QString(), u"火箭班"_s);
    s.addClass(u"初一年级组"_s, u"四班"_s);
    s.addStudent(u"初中"_s, u"20250305"_s, u"王五"_s);
    s.addStudent(u"初中"_s, u"20250301"_s, u"张三"_s);
    s.addStudent(u"初中"_s, u"20250302"_s, u"欧阳春秋"_s);
    s.addStudent(u"初中"_s, u"20240301"_s, u"去年三班"_s);   // 初二's 三班
    s.addStudent(u"初中"_s, u"92025030"_s, u"号中有码"_s);   // holds 202503, does not begin with it
    s.addStudent(u"初中"_s, u"20252101"_s, u"赵六"_s);
    s.addStudent(u"小学"_s, u"20250301"_s, u"一年级三班"_s);
}

} // namespace

class TestRollCall : public QObject {
    Q_OBJECT

private slots:
    void title_data();
    void title();
    void treeAndGrid();
    void sheetReadBack();
    void emptyClassGivesHeaderRows();
    void gradeGroupChoosesNoClass();
    void unwrittenWorkbookReported_data();
    void unwrittenWorkbookReported();
    void menuOpensAtTopLeft();
};

void TestRollCall::title_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("title");
    const QString blanks(9, u' ');
    QTest::newRow("two-character class") << u"初一年级组"_s << u"三班"_s << QString() << u"王老师"_s
                                         << u"初一三班学生点名册"_s + blanks + u"班主任:王老师"_s;
    QTest::newRow("二十一班") << u"初一年级组"_s << u"二十一班"_s << u"重点"_s << u"李老师"_s
                             << u"初一二十一班学生点名册"_s + blanks + u"班主任:李老师"_s;
    QTest::newRow("actual name holding 班") << u"高二年级组"_s << u"五班"_s << u"实验班"_s << u"赵老师"_s
                                            << u"高二五班学生点名册"_s + blanks + u"班主任:赵老师"_s;
    QTest::newRow("no head teacher") << u"一年级组"_s << u"二班"_s << QString() << QString()
                                     << u"一年二班学生点名册"_s + blanks + u"班主任:"_s;
}

void TestRollCall::title()
{
    QFETCH(QString, group);
    QFETCH(QString, name);
    QFETCH(QString, actual);
    QFETCH(QString, head);
    QFETCH(QString, title);
    const ClassNode node{group, name, actual, head, classNodeKey(group, name, actual, head)};
    QCOMPARE(reg::rollCallTitle(node), title);
    QCOMPARE(reg::rollCallSheetName(node), name + u"点名册"_s);
}

void TestRollCall::treeAndGrid()
{
    ProgramFontScope font;   // the program's look, for the picture
    TestSchool school;
    seed(school);
    school.closeDb();
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<RollCallWindow>(kRollCallWindow);
    QVERIFY(w);
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(w->windowTitle(), u"打印点名册"_s);
    QCOMPARE(w->classTree->topLevelItemCount(), 2);

    QCOMPARE(w->rollCallGrid->Cols(), 33);
    QCOMPARE(w->rollCallGrid->Rows(), 1);
    QStringList header{u"学号"_s, u" 姓  名"_s};
    for (int day = 1; day <= 31; ++day)
        header << QString::number(day);
    QCOMPARE(gridRow(w->rollCallGrid, 0), header);

    clickTreeNode(w->classTree, treeNode(w->classTree, u"初一年级组"_s, u"三班"_s));
    QCOMPARE(w->titleLabel->text(), u"初一三班(实验班)班主任:王老师"_s);
    // Students whose 学籍号 begins with 202503 in 初中, in seat order.
    QCOMPARE(gridRows(w->rollCallGrid, 0, 1), (QStringList{u"01|张三"_s, u"02|欧阳春秋"_s, u"05|王五"_s}));
    QCOMPARE(gridRows(w->rollCallGrid, 2, 32).first(), QString(30, u'|'));

    // Another class replaces the list.
    clickTreeNode(w->classTree, treeNode(w->classTree, u"初一年级组"_s, u"二十一班"_s));
    QCOMPARE(gridRows(w->rollCallGrid, 0, 1), QStringList{u"01|赵六"_s});
    QCOMPARE(w->titleLabel->text(), u"初一二十一班(火箭班)班主任:李老师"_s);
    saveShot(h.main.grab().toImage(), u"roll_call"_s);
}

void TestRollCall::sheetReadBack()
{
    TestSchool school;
    seed(school);
    school.closeDb();
    RecordedExports exports;
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<RollCallWindow>(kRollCallWindow);
    clickTreeNode(w->classTree, treeNode(w->classTree, u"初一年级组"_s, u"三班"_s));
    QTest::mouseClick(w->printButton, Qt::LeftButton);
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(exports.opener.paths().size(), 1);
    const QString path = exports.opener.paths().first();

    QString error;
    const auto book = ImportWorkbook::open(path, &error);
    QVERIFY2(book, qPrintable(error));
    QCOMPARE(book->sheetNames(), (QStringList{u"三班点名册"_s, u"Sheet1"_s, u"Sheet2"_s, u"Sheet3"_s}));
    QVERIFY(book->selectSheet(u"三班点名册"_s));
    QCOMPARE(book->usedRows(), 5);
    QCOMPARE(book->usedCols(), 33);
    QCOMPARE(book->cell(1, 1), u"初一三班学生点名册         班主任:王老师"_s);
    QCOMPARE(book->cell(2, 1), u"学号"_s);
    QCOMPARE(book->cell(2, 2), u" 姓  名"_s);
    for (int c = 3; c <= 33; ++c)
        QCOMPARE(book->cell(2, c), QString::number(c - 2));
    QCOMPARE(book->cell(3, 1), u"01"_s);
    QCOMPARE(book->cell(3, 2), u"张三"_s);
    QCOMPARE(book->cell(4, 2), u"欧阳春秋"_s);
    QCOMPARE(book->cell(5, 1), u"05"_s);
    QCOMPARE(book->cell(5, 2), u"王五"_s);

    XlsxFile x(path);
    QVERIFY(x.isOpen());
    QCOMPARE(x.activeTab(), 0);
    QCOMPARE(x.mergeRefs(0), QStringList{u"A1:AG1"_s});
    QCOMPARE(x.defaultRowHeight(0), 11.0);
    // The rows are as tall as their text needs: the 14-point title more than 20.
    QCOMPARE(x.row(0, 1).attribute("ht").as_double(), neededRowHeight(14));
    verifyPrintedTable(x, 0, 2, 5, 33, 1);
    QVERIFY(!QTest::currentTestFailed());
    const double widths[] = {3, 6};
    for (int c = 1; c <= 33; ++c) {
        const double want = c <= 2 ? widths[c - 1] : 1.5;
        const double got = x.column(0, c).attribute("width").as_double();
        // The file's width adds the cell padding to the width in characters.
        QVERIFY2(got >= want && got < want + 1, qPrintable(QString::number(c)));
    }
    QVERIFY(x.isNumber(0, u"C2"_s));
    QVERIFY(x.isNumber(0, u"AG2"_s));
    QVERIFY(!x.isNumber(0, u"A3"_s));   // "01" keeps its zero
    QCOMPARE(x.style(0, u"A1"_s).fontSize, 14.0);
    QVERIFY(x.style(0, u"A1"_s).bold);
    QCOMPARE(x.style(0, u"A1"_s).horizontal, u"center"_s);
    QCOMPARE(x.style(0, u"C2"_s).fontSize, 8.0);
    QCOMPARE(x.style(0, u"AG2"_s).fontSize, 8.0);
    QCOMPARE(x.style(0, u"A2"_s).fontSize, 10.0);
    QCOMPARE(x.style(0, u"B5"_s).fontSize, 10.0);
    QCOMPARE(x.style(0, u"B2"_s).horizontal, u"center"_s);
    QCOMPARE(x.style(0, u"I2"_s).horizontal, u"right"_s);   // column I set after row 2
    QCOMPARE(x.style(0, u"D2"_s).horizontal, u"center"_s);
    QCOMPARE(x.style(0, u"B3"_s).horizontal, QString());

    // Every print is a new workbook; the first stays as it was.
    const QByteArray first = fileBytes(path);
    QTest::mouseClick(w->printButton, Qt::LeftButton);
    QCOMPARE(exports.opener.paths().size(), 2);
    QVERIFY(exports.opener.paths().at(1) != path);
    QCOMPARE(fileBytes(path), first);
}

void TestRollCall::emptyClassGivesHeaderRows()
{
    TestSchool school;
    seed(school);
    school.closeDb();
    RecordedExports exports;
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<RollCallWindow>(kRollCallWindow);
    clickTreeNode(w->classTree, treeNode(w->classTree, u"初一年级组"_s, u"三班"_s));
    clickTreeNode(w->classTree, treeNode(w->classTree, u"初一年级组"_s, u"四班"_s));
    QCOMPARE(w->rollCallGrid->Rows(), 1);
    QTest::mouseClick(w->printButton, Qt::LeftButton);
    QCOMPARE(exports.opener.paths().size(), 1);
    QString error;
    const auto book = ImportWorkbook::open(exports.opener.paths().first(), &error);
    QVERIFY2(book, qPrintable(error));
    QVERIFY(book->selectSheet(u"四班点名册"_s));
    QCOMPARE(book->usedRows(), 2);
    QCOMPARE(book->cell(1, 1), u"初一四班学生点名册         班主任:"_s);
}

void TestRollCall::gradeGroupChoosesNoClass()
{
    TestSchool school;
    seed(school);
    school.addStudent(u"初中"_s, u"20250101"_s, u"一班学生"_s);   // class 01 of 初一
    school.closeDb();
    RecordedExports exports;
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<RollCallWindow>(kRollCallWindow);

    // Without a class the sheet holds the header rows only, untitled, under the
    // new sheet's own name.
    const auto printsHeaderRowsOnly = [&] {
        h.responder.clear();
        const int before = int(exports.opener.paths().size());
        QTest::mouseClick(w->printButton, Qt::LeftButton);
        QVERIFY(h.responder.shown().isEmpty());
        QCOMPARE(int(exports.opener.paths().size()), before + 1);
        QString error;
        const auto book = ImportWorkbook::open(exports.opener.paths().last(), &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->sheetNames(), (QStringList{u"Sheet4"_s, u"Sheet1"_s, u"Sheet2"_s, u"Sheet3"_s}));
        QVERIFY(book->selectSheet(0));
        QCOMPARE(book->usedRows(), 2);
        QCOMPARE(book->cell(1, 1), QString());
        QCOMPARE(book->cell(2, 1), u"学号"_s);
        QCOMPARE(book->cell(2, 2), u" 姓  名"_s);
        QCOMPARE(book->cell(2, 33), u"31"_s);
    };
    printsHeaderRowsOnly();

    clickTreeNode(w->classTree, treeNode(w->classTree, u"初一年级组"_s, u"三班"_s));
    QCOMPARE(w->rollCallGrid->Rows(), 4);
    // A grade group (with classes, or without as 初二 is) lists nobody and
    // leaves no class chosen.
    for (const QString &group : {u"初一年级组"_s, u"初二年级组"_s}) {
        clickTreeNode(w->classTree, treeNode(w->classTree, group));
        QCOMPARE(w->rollCallGrid->Rows(), 1);
        QVERIFY(!w->chosenClass());
        QCOMPARE(w->titleLabel->text(), u"打印点名册"_s);
        printsHeaderRowsOnly();
    }
}

void TestRollCall::unwrittenWorkbookReported_data()
{
    QTest::addColumn<bool>("folderIsFile");
    QTest::addColumn<QString>("start");
    QTest::newRow("export folder cannot be made") << true << u"无法创建导出文件夹"_s;
    QTest::newRow("written but not opened") << false << u"工作簿已保存为"_s;
}

void TestRollCall::unwrittenWorkbookReported()
{
    QFETCH(bool, folderIsFile);
    QFETCH(QString, start);
    TestSchool school;
    seed(school);
    school.closeDb();
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"导出"_s);
    if (folderIsFile)
        putFile(folder, "not a folder");
    ExportsFolder exports(folder);
    RecordingWorkbookOpener opener(false);
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<RollCallWindow>(kRollCallWindow);
    clickTreeNode(w->classTree, treeNode(w->classTree, u"初一年级组"_s, u"三班"_s));
    QTest::mouseClick(w->printButton, Qt::LeftButton);
    QCOMPARE(h.responder.shown().size(), 1);
    QVERIFY2(h.responder.last().text.startsWith(start), qPrintable(h.responder.last().text));
    QCOMPARE(h.responder.last().title, u"Tessaly"_s);
}

void TestRollCall::menuOpensAtTopLeft()
{
    TestSchool school;
    seed(school);
    school.closeDb();
    WindowHarness h(school, {.today = kToday, .realSize = true});
    h.trigger(u"dianming"_s);
    auto *w = h.openWindow<RollCallWindow>(kRollCallWindow);
    QVERIFY(w);
    auto *frame = qobject_cast<QMdiSubWindow *>(w->parentWidget());
    QVERIFY(frame);
    QCOMPARE(frame->pos(), QPoint(0, 0));
    QTest::mouseClick(w->closeButton, Qt::LeftButton);
    QTRY_VERIFY(!h.isOpen(kRollCallWindow));
}

QTEST_MAIN(TestRollCall)
#include "tst_roll_call.moc"
