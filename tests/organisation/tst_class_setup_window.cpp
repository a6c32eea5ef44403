// 班级设置: ticks and grid from the stored classes, rebuilding the grid from
// the ticks, the cell editor, the save, and the unsaved-changes question.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "organisation/class_setup_window.h"
#include "db/database.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "kit/cell_editor.h"
#include "shell/sign_in_dialog.h"
#include "kit/window_names.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using tessaly::test::TestSchool;
using namespace Qt::StringLiterals;

namespace {

const QString kFirst = u"初一年级组"_s;
const QString kSecond = u"初二年级组"_s;

// A school with two grade groups; 初二年级组 has 三班 (stored first) and 一班,
// and a class outside the fixed list.
struct School {
    TestSchool school;
    int third = 0;
    int first = 0;
    School()
    {
        school.setAdminPassword(u"adm"_s);
        school.addGradeGroup(kFirst);
        school.addGradeGroup(kSecond);
        third = school.addClass(kSecond, u"三班"_s, u"王老师"_s, u"p3"_s, u"火箭班"_s);
        first = school.addClass(kSecond, u"一班"_s, u"李老师"_s, u"p1"_s);
        school.addClass(kSecond, u"特长班"_s, u"赵老师"_s, u"px"_s);
        school.closeDb();
    }
};

WindowHarness::Options signedIn(bool admin)
{
    return {.signedIn = admin ? WindowHarness::kAdmin : QString()};
}

// 班级设置 opened in a main window large enough to show it whole.
ClassSetupWindow *openWindow(WindowHarness &h)
{
    h.main.resize(1000, 700);
    return h.open<ClassSetupWindow>(kClassSetupWindow);
}

// The grid's data rows, one text per row: columns 0 to 4 joined by "|".
QStringList gridTexts(FlexGrid *grid)
{
    return gridRows(grid, 0, 4);
}

// The 班级名 rows of a grade group, by id: 名称|其它|其次|密码.
QMap<int, QString> storedClasses(TestSchool &school, const QString &gradeGroup)
{
    QMap<int, QString> out;
    QSqlQuery q = school.db().query(
        uR"(select "id","名称","其它","其次","密码" from "教导处" where "类别"='班级名' and "对应内容"=?)"_s,
        {gradeGroup});
    while (q.next())
        out.insert(q.value(0).toInt(), QStringList{q.value(1).toString(), q.value(2).toString(),
                                                   q.value(3).toString(), q.value(4).toString()}
                                           .join(QLatin1Char('|')));
    return out;
}

// Types into the grid cell through the cell editor and returns the focus to the grid.
void typeInto(ClassSetupWindow *w, int row, int col, const QString &text)
{
    clickCell(w->classGrid, row, col);
    QVERIFY(w->cellEditor()->isOpen());
    QCOMPARE(w->cellEditorBox->text(), w->classGrid->TextMatrix(row, col));
    w->cellEditorBox->selectAll();
    // Chinese text comes from the input method as committed text.
    commitText(w->cellEditorBox, text);
    QCOMPARE(w->cellEditorBox->text(), text);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    QVERIFY(!w->cellEditor()->isOpen());
}

} // namespace

class TestClassSetupWindow : public QObject {
    Q_OBJECT

private slots:
    void opensSignedOut();
    void opensInTheAdministratorsSignIn_data();
    void opensInTheAdministratorsSignIn();
    void signInThroughTheToggle();
    void noGradeGroup();
    void gridAndTicksFromStoredRows();
    void refusedReadIsReportedLikeARefusedSave();
    void ticksRebuildInListOrder();
    void rebuildKeepsCellsOfClassesThatStay();
    void saveAndReopenRoundTrips();
    void rowsKeepIdAndPasswordThroughARebuild();
    void saveWithoutClasses();
    void twoComputersEditOneClass_data();
    void twoComputersEditOneClass();
    void classAddedOrDeletedElsewhere_data();
    void classAddedOrDeletedElsewhere();
    void removingAClassWithTeachingAsks_data();
    void removingAClassWithTeachingAsks();
    void questionOnChoosingNamesTheOldGradeGroup_data();
    void questionOnChoosingNamesTheOldGradeGroup();
    void typedHeadTeacherIsAnUnsavedChange_data();
    void typedHeadTeacherIsAnUnsavedChange();
    void leavingWithoutChangesAsksNothing();
    void questionAfterSignOutDoesNotSave();
    void editorMovesOnlyUpAndDown();
    void looksRight();
};

void TestClassSetupWindow::opensSignedOut()
{
    School s;
    WindowHarness h(s.school, signedIn(false));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    QVERIFY(w);
    QCOMPARE(w->objectName(), u"班级设置"_s);
    QCOMPARE(w->windowTitle(), u"班级设置"_s);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(w->signInButton->text(), u"教导处管理员 登陆(&K)"_s);
    QVERIFY(!w->setupFrame->isEnabled());
    QCOMPARE(w->setupFrame->title(), u"进行班级设置"_s);
    QCOMPARE(w->gradeGroupCombo->count(), 2);
    QCOMPARE(w->gradeGroupCombo->currentIndex(), -1);
    QCOMPARE(w->gradeGroupCombo->placeholderText(), u"选年级组"_s);
    QCOMPARE(w->classList->count(), 30);
    QCOMPARE(w->classList->item(20)->text(), u"二十一班"_s);
    QCOMPARE(w->countLabels.value(3)->text(), u"0"_s);
    QCOMPARE(w->saveButton->text(), u"保存(&S)"_s);
    QCOMPARE(w->closeButton->text(), u"退出(&E)"_s);
    QCOMPARE(w->classGrid->Rows(), 1);
    QCOMPARE(w->classGrid->TextMatrix(0, 2), u"班 实 际 名"_s);
    QCOMPARE(w->classGrid->ColWidth(4), 0);
}

void TestClassSetupWindow::opensInTheAdministratorsSignIn_data()
{
    QTest::addColumn<QString>("signedIn");
    QTest::addColumn<bool>("unlocked");
    QTest::newRow("administrator") << WindowHarness::kAdmin << true;
    QTest::newRow("a head teacher") << u"王老师"_s << false;
    QTest::newRow("nobody") << QString() << false;
}

// Only the administrator's own sign-in, made before the window opened, opens it signed in.
void TestClassSetupWindow::opensInTheAdministratorsSignIn()
{
    QFETCH(QString, signedIn);
    QFETCH(bool, unlocked);
    School s;
    WindowHarness h(s.school, {.signedIn = signedIn});
    ClassSetupWindow *w = openWindow(h);
    QCOMPARE(w->signInButton->text(), unlocked ? u"管理员退出登陆(&K)"_s : u"教导处管理员 登陆(&K)"_s);
    QCOMPARE(w->setupFrame->isEnabled(), unlocked);
    QCOMPARE(h.session().denglu, signedIn);
}

void TestClassSetupWindow::signInThroughTheToggle()
{
    School s;
    WindowHarness h(s.school, signedIn(false));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    QTimer::singleShot(0, [] {
        auto *d = qobject_cast<SignInDialog *>(QApplication::activeModalWidget());
        QVERIFY(d);
        d->passwordBox->setText(u"adm"_s);
        d->okButton->click();
    });
    w->signInButton->click();
    QCOMPARE(w->signInButton->text(), u"管理员退出登陆(&K)"_s);
    QVERIFY(w->setupFrame->isEnabled());
    w->signInButton->click();
    QCOMPARE(w->signInButton->text(), u"管理员 登陆(&K)"_s);
    QVERIFY(!w->setupFrame->isEnabled());
    QCOMPARE(h.session().denglu, QString());
}

void TestClassSetupWindow::noGradeGroup()
{
    TestSchool school;
    WindowHarness h(school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    QCOMPARE(responder.texts(), QStringList{u"目前还不能加入班级名称，请先进行年级组设置。"_s});
    QCOMPARE(w->gradeGroupCombo->count(), 0);
}

void TestClassSetupWindow::gridAndTicksFromStoredRows()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    QVERIFY(w->setupFrame->isEnabled());
    choose(w->gradeGroupCombo, kSecond);
    // Stored order; the class outside the list is shown but neither ticked nor counted.
    QCOMPARE(gridTexts(w->classGrid), (QStringList{u"1|三班|火箭班|王老师|p3"_s, u"2|一班||李老师|p1"_s,
                                               u"3|特长班||赵老师|px"_s}));
    QCOMPARE(ticked(w->classList), (QStringList{u"一班"_s, u"三班"_s}));
    QCOMPARE(w->countLabels.value(3)->text(), u"2"_s);
    QCOMPARE(w->headingLabels.value(0)->text(), u"初二年级组全部班级列表"_s);
    QVERIFY(!w->hasUnsavedChanges());

    // Another grade group without classes: empty grid, no tick, no message.
    choose(w->gradeGroupCombo, kFirst);
    QCOMPARE(w->classGrid->Rows(), 1);
    QVERIFY(ticked(w->classList).isEmpty());
    QCOMPARE(w->countLabels.value(3)->text(), u"0"_s);
    QVERIFY(responder.shown().isEmpty());
}

void TestClassSetupWindow::ticksRebuildInListOrder()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    // Ticks before a grade group is chosen rebuild nothing.
    tick(w->classList, u"五班"_s, true);
    QCOMPARE(w->classGrid->Rows(), 1);
    QVERIFY(!w->hasUnsavedChanges());

    choose(w->gradeGroupCombo, kFirst);
    tick(w->classList, u"三班"_s, true);
    tick(w->classList, u"一班"_s, true);
    QCOMPARE(gridTexts(w->classGrid), (QStringList{u"1|一班|||"_s, u"2|三班|||"_s}));
    QCOMPARE(w->countLabels.value(3)->text(), u"2"_s);
    QVERIFY(w->hasUnsavedChanges());
}

void TestClassSetupWindow::rebuildKeepsCellsOfClassesThatStay()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    tick(w->classList, u"二班"_s, true);
    // List order now; the class outside the list is gone; 三班 keeps its cells.
    QCOMPARE(gridTexts(w->classGrid), (QStringList{u"1|一班||李老师|p1"_s, u"2|二班|||"_s, u"3|三班|火箭班|王老师|p3"_s}));
    QCOMPARE(w->countLabels.value(3)->text(), u"3"_s);
    // Unticked and ticked again: back with empty cells and no password.
    tick(w->classList, u"三班"_s, false);
    tick(w->classList, u"三班"_s, true);
    QCOMPARE(gridTexts(w->classGrid).last(), u"3|三班|||"_s);
}

void TestClassSetupWindow::saveAndReopenRoundTrips()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kFirst);
    tick(w->classList, u"二班"_s, true);
    tick(w->classList, u"十班"_s, true);
    typeInto(w, 1, 2, u"O'Brien班"_s);
    typeInto(w, 2, 3, u"张'老师"_s);
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{u"您设置的初一年级组所有班级,已经保存。"_s});
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(storedClasses(s.school, kFirst).values(), (QStringList{u"二班|O'Brien班||"_s, u"十班||张'老师|"_s}));

    w->closeButton->click();
    QTRY_VERIFY(!h.isOpen(kClassSetupWindow));
    QCOMPARE(responder.shown().size(), 1);   // nothing left to ask
    w = openWindow(h);
    choose(w->gradeGroupCombo, kFirst);
    QCOMPARE(gridTexts(w->classGrid), (QStringList{u"1|二班|O'Brien班||"_s, u"2|十班||张'老师|"_s}));
    QCOMPARE(ticked(w->classList), (QStringList{u"二班"_s, u"十班"_s}));
}

void TestClassSetupWindow::rowsKeepIdAndPasswordThroughARebuild()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    tick(w->classList, u"五班"_s, true);
    typeInto(w, 2, 3, u"孙老师"_s);   // 三班 after the rebuild (一班, 三班, 五班)
    w->saveButton->click();
    QCOMPARE(responder.last().text, u"您设置的初二年级组所有班级,已经保存。"_s);
    const QMap<int, QString> stored = storedClasses(s.school, kSecond);
    QCOMPARE(stored.value(s.first), u"一班||李老师|p1"_s);
    QCOMPARE(stored.value(s.third), u"三班|火箭班|孙老师|p3"_s);
    QCOMPARE(stored.size(), 3);   // 特长班, dropped at the rebuild, is gone
    QCOMPARE(stored.last(), u"五班|||"_s);
}

void TestClassSetupWindow::saveWithoutClasses()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    // Before any grade group is chosen, and for a grade group without classes.
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{u"没有任何班级,无法保存。"_s});
    choose(w->gradeGroupCombo, kFirst);
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList(2, u"没有任何班级,无法保存。"_s));
}

void TestClassSetupWindow::twoComputersEditOneClass_data()
{
    QTest::addColumn<QString>("otherColumn");   // the field another computer saved after this one read
    QTest::addColumn<int>("myCol");             // the cell typed here
    QTest::addColumn<bool>("saved");
    QTest::newRow("other field: both kept") << u"其次"_s << 2 << true;
    QTest::newRow("same field: refused") << u"其次"_s << 3 << false;
    QTest::newRow("actual name on both") << u"其它"_s << 2 << false;
}

void TestClassSetupWindow::twoComputersEditOneClass()
{
    QFETCH(QString, otherColumn);
    QFETCH(int, myCol);
    QFETCH(bool, saved);
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    QCOMPARE(w->classGrid->TextMatrix(1, 1), u"三班"_s);
    QVERIFY(s.school.db().exec(uR"(update "教导处" set "%1"='别处' where "id"=?)"_s.arg(otherColumn), {s.third}));
    typeInto(w, 1, myCol, u"我的"_s);
    w->saveButton->click();
    const QString stored = storedClasses(s.school, kSecond).value(s.third);
    const QString other = otherColumn == u"其它"_s ? u"三班|别处|王老师|p3"_s : u"三班|火箭班|别处|p3"_s;
    if (saved) {
        QCOMPARE(responder.last().text, u"您设置的初二年级组所有班级,已经保存。"_s);
        QCOMPARE(stored, u"三班|我的|别处|p3"_s);
        return;
    }
    QVERIFY2(responder.last().text.contains(u"初二年级组的班级(三班)在您读出之后已被其他电脑修改"_s),
             qPrintable(responder.last().text));
    QCOMPARE(stored, other);
    QCOMPARE(w->classGrid->TextMatrix(1, myCol), u"我的"_s);
    QVERIFY(w->hasUnsavedChanges());
}

void TestClassSetupWindow::classAddedOrDeletedElsewhere_data()
{
    QTest::addColumn<QString>("otherSql");   // what another computer saved after this one read
    QTest::addColumn<QString>("named");
    QTest::newRow("added there") << uR"(insert into "教导处" ("类别","名称","对应内容","其次") values ('班级名','五班','初二年级组','周老师'))"_s
                                 << u"五班"_s;
    QTest::newRow("deleted there") << uR"(delete from "教导处" where "类别"='班级名' and "名称"='一班')"_s << u"一班"_s;
}

void TestClassSetupWindow::classAddedOrDeletedElsewhere()
{
    QFETCH(QString, otherSql);
    QFETCH(QString, named);
    School s;
    WindowHarness h(s.school, signedIn(true));
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    QVERIFY(s.school.db().exec(otherSql));
    const QMap<int, QString> before = storedClasses(s.school, kSecond);
    typeInto(w, 1, 3, u"我的"_s);
    w->saveButton->click();
    QVERIFY2(h.responder.last().text.contains(u"初二年级组的班级(%1)在您读出之后已被其他电脑修改"_s.arg(named)),
             qPrintable(h.responder.last().text));
    QCOMPARE(storedClasses(s.school, kSecond), before);
    QVERIFY(w->hasUnsavedChanges());
}

void TestClassSetupWindow::removingAClassWithTeachingAsks_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void TestClassSetupWindow::removingAClassWithTeachingAsks()
{
    QFETCH(bool, answer);
    School s;
    const int teaching = s.school.addTeaching(kSecond, u"三班"_s, u"语文"_s, u"王老师"_s, u"w"_s);
    s.school.closeDb();
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    tick(w->classList, u"三班"_s, false);
    responder.answer(answer);
    w->saveButton->click();
    QVERIFY(responder.shown().first().isQuestion);
    const QString q = responder.shown().first().text;
    QVERIFY2(q.contains(u"初二年级组三班"_s) && q.contains(u"三班 语文 王老师"_s), qPrintable(q));
    QCOMPARE(responder.shown().first().title, u"提示……"_s);
    const int teachingRows = s.school.count(uR"(select count(*) from "教导处" where "id"=?)"_s, {teaching});
    if (!answer) {
        QCOMPARE(responder.shown().size(), 1);
        QVERIFY(w->hasUnsavedChanges());
        QVERIFY(storedClasses(s.school, kSecond).contains(s.third));
        QCOMPARE(teachingRows, 1);
        return;
    }
    QCOMPARE(responder.last().text, u"您设置的初二年级组所有班级,已经保存。"_s);
    QVERIFY(!storedClasses(s.school, kSecond).contains(s.third));
    QCOMPARE(teachingRows, 0);
}

void TestClassSetupWindow::questionOnChoosingNamesTheOldGradeGroup_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No drops the changes") << false;
    QTest::newRow("Yes saves them") << true;
}

void TestClassSetupWindow::questionOnChoosingNamesTheOldGradeGroup()
{
    QFETCH(bool, answer);
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kFirst);
    tick(w->classList, u"三班"_s, true);
    tick(w->classList, u"一班"_s, true);
    responder.answer(answer);
    choose(w->gradeGroupCombo, kSecond);
    QVERIFY(responder.shown().first().isQuestion);
    QCOMPARE(responder.shown().first().text, u"请问?是否将初一年级组的班级保存为现在设置的2个班？"_s);
    QCOMPARE(responder.shown().first().title, u"提示……"_s);
    // Either way the chosen grade group is loaded afterwards.
    QCOMPARE(w->shownGradeGroup(), kSecond);
    QCOMPARE(w->classGrid->Rows(), 4);
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(storedClasses(s.school, kFirst).size(), answer ? 2 : 0);
}

void TestClassSetupWindow::typedHeadTeacherIsAnUnsavedChange_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("answer");
    QTest::newRow("head teacher, Yes") << 3 << true;
    QTest::newRow("actual name, Yes") << 2 << true;
    QTest::newRow("head teacher, No") << 3 << false;
}

void TestClassSetupWindow::typedHeadTeacherIsAnUnsavedChange()
{
    QFETCH(int, col);
    QFETCH(bool, answer);
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    typeInto(w, 2, col, u"O'Neil"_s);
    QVERIFY(w->hasUnsavedChanges());
    responder.answer(answer);
    w->closeButton->click();
    QVERIFY(responder.shown().first().isQuestion);
    // The question names what changed, not the classes' count.
    QCOMPARE(responder.shown().first().text, u"请问?是否保存对初二年级组的班级(一班)所做的修改？"_s);
    QTRY_VERIFY(!h.isOpen(kClassSetupWindow));
    const QString expected = answer ? (col == 3 ? u"一班||O'Neil|p1"_s : u"一班|O'Neil|李老师|p1"_s)
                                    : u"一班||李老师|p1"_s;
    QCOMPARE(storedClasses(s.school, kSecond).value(s.first), expected);
}

void TestClassSetupWindow::leavingWithoutChangesAsksNothing()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    // The same text typed again is no change.
    typeInto(w, 1, 3, u"王老师"_s);
    QVERIFY(!w->hasUnsavedChanges());
    // Nor is a class ticked and unticked again.
    choose(w->gradeGroupCombo, kFirst);
    tick(w->classList, u"五班"_s, true);
    QVERIFY(w->hasUnsavedChanges());
    tick(w->classList, u"五班"_s, false);
    QVERIFY(!w->hasUnsavedChanges());
    w->closeButton->click();
    QVERIFY(responder.shown().isEmpty());
    QTRY_VERIFY(!h.isOpen(kClassSetupWindow));
}

void TestClassSetupWindow::questionAfterSignOutDoesNotSave()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    tick(w->classList, u"九班"_s, true);
    w->signInButton->click();   // sign out
    QVERIFY(!w->setupFrame->isEnabled());
    const QMap<int, QString> before = storedClasses(s.school, kSecond);

    responder.answer(true);
    w->closeButton->click();
    QCOMPARE(responder.texts(), (QStringList{u"请问?是否将初二年级组的班级保存为现在设置的3个班？"_s,
                                             u"请管理员先登陆,才能查看和修改。"_s}));
    QCOMPARE(storedClasses(s.school, kSecond), before);
    // The window stays with the changes, so they can still be saved after a sign-in.
    QCoreApplication::processEvents();
    QVERIFY(h.isOpen(kClassSetupWindow));
    QVERIFY(w->isVisible());
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(w->classGrid->Rows(), 4);

    // Closing the window asks the same; No lets it go.
    responder.clear();
    responder.answer(false);
    QVERIFY(qobject_cast<QMdiSubWindow *>(w->parentWidget())->close());
    QCOMPARE(responder.shown().size(), 1);
    QTRY_VERIFY(!h.isOpen(kClassSetupWindow));
    QCOMPARE(storedClasses(s.school, kSecond), before);
}

void TestClassSetupWindow::editorMovesOnlyUpAndDown()
{
    School s;
    WindowHarness h(s.school, signedIn(true));
    ScriptedResponder &responder = h.responder;
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    CellEditor *editor = w->cellEditor();
    // Columns 0 and 1 do not open the editor.
    clickCell(w->classGrid, 1, 1);
    QVERIFY(!editor->isOpen());
    clickCell(w->classGrid, 1, 3);
    QVERIFY(editor->isOpen());
    QTest::keyClick(w->cellEditorBox, Qt::Key_Up);   // first data row: stays
    QCOMPARE(editor->editRow(), 1);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Right);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Left);
    QCOMPARE(editor->editCol(), 3);
    w->cellEditorBox->setText(u"新老师"_s);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Down);
    QCOMPARE(editor->editRow(), 2);
    QVERIFY(editor->isOpen());
    QCOMPARE(w->cellEditorBox->text(), u"李老师"_s);
    QCOMPARE(w->classGrid->TextMatrix(1, 3), u"新老师"_s);
    // The moved-to name is selected: a typed name replaces it.
    QCOMPARE(w->cellEditorBox->selectedText(), u"李老师"_s);
    // So is it after a click on the editor lying over it, as after a click on the cell.
    QTest::mouseClick(w->cellEditorBox, Qt::LeftButton, Qt::NoModifier, QPoint(w->cellEditorBox->width() - 2, w->cellEditorBox->height() / 2));
    QCOMPARE(w->cellEditorBox->selectedText(), u"李老师"_s);
    typeKeys(w->cellEditorBox, u"周"_s);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Down);
    QCOMPARE(w->classGrid->TextMatrix(2, 3), u"周"_s);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Down);   // last data row: stays
    QCOMPARE(editor->editRow(), 3);
    QVERIFY(w->hasUnsavedChanges());
    // The hidden password column is never touched.
    QCOMPARE(gridTexts(w->classGrid).first(), u"1|三班|火箭班|新老师|p3"_s);
}

void TestClassSetupWindow::looksRight()
{
    School s;
    ProgramFontScope programFont;
    WindowHarness h(s.school, signedIn(true));
    ClassSetupWindow *w = openWindow(h);
    choose(w->gradeGroupCombo, kSecond);
    const QString longName = u"英才实验班(双语教学试点)"_s;
    typeInto(w, 1, 2, longName);
    // The column widens for the typed name.
    QVERIFY(w->classGrid->columnWidth(2) > QFontMetrics(w->classGrid->font()).horizontalAdvance(longName));
    clickCell(w->classGrid, 2, 3);
    // Rows as high as the font needs, all alike.
    const int glyphs = QFontMetrics(w->classGrid->font()).height();
    for (int r = 0; r < w->classGrid->Rows(); ++r) {
        QVERIFY2(w->classGrid->cellRect(r, 1).height() >= glyphs + 2, qPrintable(QString::number(r)));
        QCOMPARE(w->classGrid->RowHeight(r), w->classGrid->RowHeight(1));
    }
    for (auto *b : w->findChildren<QPushButton *>())
        QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
    const QImage shot = w->parentWidget()->grab().toImage();
    QVERIFY(!shot.isNull());
    saveShot(shot, u"class_setup"_s);
}

void TestClassSetupWindow::refusedReadIsReportedLikeARefusedSave()
{
    School s;
    WindowHarness h(s.school, signedIn(false));
    ClassSetupWindow *w = openWindow(h);
    QVERIFY(w->connection().setBusyTimeout(50));
    h.responder.clear();

    // Another computer holds a lock that keeps every reader out.
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(u"BEGIN EXCLUSIVE"_s));
    choose(w->gradeGroupCombo, kSecond);
    QCOMPARE(h.responder.texts(),
             QStringList{u"数据错误事件命中错误：数据库正被其他用户使用，暂时不能读写，请稍后再试。"_s});
    QCOMPARE(w->classGrid->Rows(), 1);
    QVERIFY(other.exec(u"ROLLBACK"_s));

    h.responder.clear();
    choose(w->gradeGroupCombo, kFirst);
    choose(w->gradeGroupCombo, kSecond);
    QCOMPARE(w->classGrid->Rows(), 4);
    QVERIFY(h.responder.shown().isEmpty());
}

QTEST_MAIN(TestClassSetupWindow)
#include "tst_class_setup_window.moc"
