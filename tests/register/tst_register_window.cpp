// 学籍管理 driven through its controls: class choice, sign-in, editing, save and
// class transfer, on a TestSchool with a fixed day (15 October 2005).
#include "fixtures/files.h"
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/cell_editor.h"
#include "kit/window_names.h"
#include "widgets/data_control.h"
#include "widgets/file_chooser.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "widgets/units.h"
#include "register/register_grid.h"
#include "register/register_window.h"
#include "shell/sign_in_dialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolBar>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace tessaly::reg;
using tessaly::test::TestSchool;

namespace {

const QString kJunior = QStringLiteral("初中");
const QString kGrade2 = QStringLiteral("初二年级组");
const QString kGrade3 = QStringLiteral("初三年级组");
const QString kClass3 = QStringLiteral("三班");
const QString kClass13 = QStringLiteral("十三班");
const QString kClass5 = QStringLiteral("五班");
const QString kWang = QStringLiteral("王老师");   // head teacher of 初二 三班, password t123
const QString kExam = QStringLiteral("Z05S语文051015");
const QString kEvaluation = QStringLiteral("P05S操行");
const QDate kToday(2005, 10, 15);   // 初二 is the cohort 2004, 初三 2003

QString numberOf(TestSchool &school, int id)
{
    return school.value(QStringLiteral("select \"学籍号\" from \"初中\" where \"ID\"=?"), {id}).toString();
}

// The school of these tests:
//   初二年级组 三班 (王老师, t123, 实验): 01 张三 (boards), 02 李四, 04 王五
//   初二年级组 十三班 (李老师, l456): 01 钱七, 02 周九
//   初二年级组 五班 (赵老师, z789): nobody
//   初二年级组 实验班 (王老师): a class name outside the fixed list
//   初三年级组 二十班 (孙老师, s000): 01 孙八, and 20200320, which contains 200320
// Every student has a score and an evaluation.
struct School {
    TestSchool school;
    int zhang = 0, li = 0, wang = 0, qian = 0, zhou = 0, sun = 0, lookAlike = 0;
    School()
    {
        school.addGradeGroup(kGrade2);
        school.addGradeGroup(kGrade3);
        school.addClass(kGrade2, kClass3, kWang, QStringLiteral("t123"), QStringLiteral("实验"));
        school.addClass(kGrade2, kClass13, QStringLiteral("李老师"), QStringLiteral("l456"));
        school.addClass(kGrade2, kClass5, QStringLiteral("赵老师"), QStringLiteral("z789"));
        school.addClass(kGrade2, QStringLiteral("实验班"), kWang, QStringLiteral("t123"));
        school.addClass(kGrade3, QStringLiteral("二十班"), QStringLiteral("孙老师"), QStringLiteral("s000"));
        school.addExamColumn(kJunior, kExam);
        school.addEvaluationColumn(kJunior, kEvaluation);
        zhang = school.addStudent(kJunior, QStringLiteral("20040301"), QStringLiteral("张三"),
                                  {{QStringLiteral("住宿"), true}, {QStringLiteral("民族"), QStringLiteral("汉")}});
        li = school.addStudent(kJunior, QStringLiteral("20040302"), QStringLiteral("李四"));
        wang = school.addStudent(kJunior, QStringLiteral("20040304"), QStringLiteral("王五"),
                                 {{QStringLiteral("联系电话"), QStringLiteral("0571-88886666")}});
        qian = school.addStudent(kJunior, QStringLiteral("20041301"), QStringLiteral("钱七"));
        zhou = school.addStudent(kJunior, QStringLiteral("20041302"), QStringLiteral("周九"));
        sun = school.addStudent(kJunior, QStringLiteral("20032001"), QStringLiteral("孙八"));
        lookAlike = school.addStudent(kJunior, QStringLiteral("20200320"), QStringLiteral("冒名"));
        for (int id : {zhang, li, wang, qian, zhou, sun, lookAlike}) {
            school.setScore(kJunior, id, kExam, 60 + id);
            school.setScore(kJunior, id, kEvaluation, QStringLiteral("评语%1").arg(id));
        }
        school.closeDb();
    }
};

// The harness of these tests: the main window at its real size on the fixed day,
// the account signed in (nobody when empty).
WindowHarness::Options at(const QString &signedIn = QString())
{
    return {.signedIn = signedIn, .today = kToday, .realSize = true};
}

void chooseClass(RegisterWindow *w, const QString &grade, const QString &klass)
{
    choose(w->gradeGroupCombo, grade);
    choose(w->classCombo, klass);
}

// How a test leaves the class it changed.
enum class Leave { Close, OtherClass, OtherGradeGroup };

// Opens the editor on a cell with a click, empties it and types the text; Enter writes it.
void editCell(RegisterWindow *w, int row, int col, const QString &text, bool enter = true)
{
    clickCell(w->registerGrid, row, col);
    QVERIFY(w->cellEditor()->isOpen());
    QCOMPARE(w->cellEditor()->editRow(), row);
    w->cellEditorBox->end(false);
    for (int i = w->cellEditorBox->text().size(); i > 0; --i)
        QTest::keyClick(w->cellEditorBox, Qt::Key_Backspace);
    commitText(w->cellEditorBox, text);   // as an input method commits Chinese
    if (enter)
        QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
}

// One change of each kind to 三班: 张三 renamed 张三丰, 王五 deleted, a student
// added on seat 03 and named 新生 (left without a name unless `name`).
void changeEachWay(RegisterWindow *w, ScriptedResponder &responder, bool name = true)
{
    editCell(w, 1, kColName, QStringLiteral("张三丰"));
    clickCell(w->registerGrid, 3, kColName);
    responder.answer(true);
    w->deleteStudentButton->click();
    w->addStudentButton->click();
    if (name)
        editCell(w, 4, kColName, QStringLiteral("新生"));
}

// What the window holds of its class: the rows, what the grid shows of them
// (hidden columns included) and the numbers in use.
struct Held {
    QList<RegisterRow> rows;
    QStringList grid;
    QStringList numbers;
    bool operator==(const Held &) const = default;
};

Held held(RegisterWindow *w)
{
    return {w->registerRows(), gridRows(w->registerGrid, kColNumber, kColRowState), itemTexts(w->usedNumbersList)};
}

} // namespace

Q_DECLARE_METATYPE(Leave)
Q_DECLARE_METATYPE(tessaly::Answer)

class TestRegisterWindow : public QObject {
    Q_OBJECT
private slots:
    void opensFromMenuAndToolbar();
    void loadsWithNothingChosen();
    void noGradeGroupSaysSo();
    void choosingAClassFillsTheGrid();
    void crossCohortLookAlikeIsNotListed();
    void namesOutsideTheFixedListsListNobody();
    void signInStateOnChoosing_data();
    void signInStateOnChoosing();
    void toggleSignsInAndOut();
    void staysOnTheDatabaseItOpened();
    void gradeGroupChangeDisablesEditing();
    void toggleAfterAGradeGroupChangeAsksForAClass();
    void addStudentTakesTheFreeSeats();
    void hundredthSeatIsRefused();
    void deleteStudent();
    void deleteNeedsAVisibleStudentRow();
    void editAddDeleteThenSave();
    void clickOnTheEditorActsOnItsCell();
    void failedSaveKeepsEveryState();
    void editingEndsWithTheSignIn();
    void saveRefusesAStudentWithoutAName();
    void leavingWithUnsavedChangesAsks_data();
    void leavingWithUnsavedChangesAsks();
    void leavingWithoutChangesAsksNothing();
    void editedBackToItsStoredTextLeavesNothingToSave();
    void transfer();
    void transferReportsAStudentWhoIsGone();
    void transferNeedsTheSignInAtItsSave();
    void transferPanelOpensAfterASave();
    void refusedReadsAreReportedLikeRefusedSaves();
    void aReadStoppedByADamagedPageListsNobody();
    void readsAndSavesOpenNoFurtherConnection();
    void everyCaptionFits();
};

void TestRegisterWindow::opensFromMenuAndToolbar()
{
    School s;
    WindowHarness h(s.school, {.shown = false});
    h.trigger(QStringLiteral("xueji"));
    auto *w = h.openWindow<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    QCOMPARE(w->objectName(), QStringLiteral("学籍管理"));
    QCOMPARE(w->windowTitle(), QStringLiteral("学生学籍管理"));
    QVERIFY(qobject_cast<QMdiSubWindow *>(w->parentWidget()));
    QCOMPARE(w->parentWidget()->pos(), QPoint(0, 0));   // top left corner
    w->closeButton->click();
    QTRY_VERIFY(!h.isOpen(kRegisterWindow));
    QTRY_VERIFY(h.main.mdiArea()->subWindowList().isEmpty());

    QAction *key = nullptr;
    for (QAction *a : h.main.findChild<QToolBar *>(QStringLiteral("tbToolBar"))->actions()) {
        if (a->objectName() == QStringLiteral("管理学籍"))
            key = a;
    }
    QVERIFY(key && key->isEnabled());
    key->trigger();
    QVERIFY(h.openWindow<RegisterWindow>(kRegisterWindow));
    QVERIFY(h.responder.shown().isEmpty());
}

void TestRegisterWindow::loadsWithNothingChosen()
{
    School s;
    WindowHarness h(s.school, at());
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    QCOMPARE(itemTexts(w->gradeGroupCombo), QStringList({kGrade2, kGrade3}));
    QCOMPARE(w->gradeGroupCombo->currentIndex(), -1);
    QCOMPARE(w->classCombo->count(), 0);
    QCOMPARE(w->choiceFrame->title(), QStringLiteral("选择班级"));
    QCOMPARE(w->operationsLabel->text(), QStringLiteral("操作选择"));
    QCOMPARE(w->titleLabel->text(), QStringLiteral("学  籍  管  理"));
    QCOMPARE(w->statusLabel->text(), QStringLiteral("提示：请班主任选择年级组、班级，并且登陆后，才有权管理本班学籍。"));
    QCOMPARE(w->signInButton->text(), QStringLiteral("班主任登陆 修改(&K)"));
    QVERIFY(!w->editFrame->isEnabled());
    QCOMPARE(w->transferButton->text(), QStringLiteral("学生转班(&I)"));
    QCOMPARE(w->addStudentButton->text(), QStringLiteral("添加学生(&A)"));
    QCOMPARE(w->deleteStudentButton->text(), QStringLiteral("删除学生(&D)"));
    QCOMPARE(w->saveButton->text(), QStringLiteral("保存修改(&S)"));
    QCOMPARE(w->closeButton->text(), QStringLiteral("关闭窗体(&C)"));
    // The import is an edit button; the export needs no sign-in.
    QVERIFY(!w->importButton->isEnabled());
    QVERIFY(w->exportButton->isEnabled());
    QVERIFY(!w->importFrame->isVisible());
    QVERIFY(!w->importReportFrame->isVisible());
    QVERIFY(!w->transferFrame->isVisible());
    QVERIFY(!w->usedNumbersList->isVisible());
    QVERIFY(!w->cellEditorBox->isVisible());

    // The register grid: its header row only, 20 columns, the last two hidden.
    QCOMPARE(w->registerGrid->Rows(), 1);
    QCOMPARE(w->registerGrid->Cols(), int(kRegisterGridCols));
    QCOMPARE(w->registerGrid->FixedCols(), 2);
    QCOMPARE(w->registerGrid->TextMatrix(0, kColStudentNumber), QStringLiteral("学 籍 号"));
    QCOMPARE(w->registerGrid->TextMatrix(0, kColRemarks), QStringLiteral("　　备      注　　"));
    QCOMPARE(w->registerGrid->ColWidth(kColId), 0);
    QCOMPARE(w->registerGrid->ColWidth(kColRowState), 0);
    QVERIFY(w->registerGrid->ColWidth(kColRemarks) > 0);
    QVERIFY(responder.shown().isEmpty());
}

void TestRegisterWindow::noGradeGroupSaysSo()
{
    TestSchool school;
    WindowHarness h(school, at());
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("目前教导处还没进行年级组设置。")});
    QCOMPARE(w->gradeGroupCombo->count(), 0);
    QCOMPARE(w->registerGrid->Rows(), 1);
}

void TestRegisterWindow::choosingAClassFillsTheGrid()
{
    School s;
    WindowHarness h(s.school, at());
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    choose(w->gradeGroupCombo, kGrade2);
    QCOMPARE(itemTexts(w->classCombo), QStringList({kClass3, kClass13, kClass5, QStringLiteral("实验班")}));
    QCOMPARE(itemTexts(w->sourceClassCombo), itemTexts(w->classCombo));
    QCOMPARE(w->classCombo->currentIndex(), -1);
    QCOMPARE(w->titleLabel->text(), kGrade2);
    choose(w->classCombo, kClass3);

    const Account head = w->toggle()->ownAccount();
    QCOMPARE(head.name, kWang);
    QCOMPARE(head.password, QStringLiteral("t123"));
    QCOMPARE(head.id, s.school.value(QStringLiteral("select \"id\" from \"教导处\" where \"名称\"='三班'")).toString());
    QCOMPARE(w->classIdentity().classCode, QStringLiteral("200403"));
    QCOMPARE(w->classIdentity().sectionTable, kJunior);
    QCOMPARE(w->classCodeLabel->text(), QStringLiteral("200403"));
    QCOMPARE(w->titleLabel->text(), QStringLiteral("初二年级组三班(实验)学籍表       班主任:王老师"));

    FlexGrid *g = w->registerGrid;
    QCOMPARE(g->Rows(), 4);
    QCOMPARE(gridColumn(g, kColNumber), QStringList({"1", "2", "3"}));
    QCOMPARE(gridColumn(g, kColStudentNumber), QStringList({"20040301", "20040302", "20040304"}));
    QCOMPARE(gridColumn(g, kColName), QStringList({"张三", "李四", "王五"}));
    QCOMPARE(gridColumn(g, kColBoarding), QStringList({"是", "否", "否"}));
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("汉"));
    QCOMPARE(g->TextMatrix(3, kColPhone), QStringLiteral("0571-88886666"));
    QCOMPARE(gridColumn(g, kColId), QStringList({QString::number(s.zhang), QString::number(s.li), QString::number(s.wang)}));
    QCOMPARE(gridColumn(g, kColRowState), QStringList({"", "", ""}));
    // Every row as high as the font needs, and all alike.
    const int fontRow = pixelsToTwips(QFontMetrics(g->font()).height());
    for (int r = 1; r < g->Rows(); ++r) {
        QVERIFY(g->RowHeight(r) >= std::max(kLoadedRowHeight, fontRow));
        QCOMPARE(g->RowHeight(r), g->RowHeight(1));
    }
    QCOMPARE(itemTexts(w->usedNumbersList), QStringList({"20040301", "20040302", "20040304"}));

    // Another class replaces the grid; an empty class shows the header row only.
    choose(w->classCombo, kClass5);
    QCOMPARE(g->Rows(), 1);
    QCOMPARE(w->usedNumbersList->count(), 0);
    QCOMPARE(w->titleLabel->text(), QStringLiteral("初二年级组五班()学籍表       班主任:赵老师"));
    QVERIFY(responder.shown().isEmpty());
}

void TestRegisterWindow::crossCohortLookAlikeIsNotListed()
{
    // 二十班 of 初三 is the class code 200320; 20200320 contains it but is not its student.
    School s;
    WindowHarness h(s.school, at());
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade3, QStringLiteral("二十班"));
    QCOMPARE(w->classIdentity().classCode, QStringLiteral("200320"));
    QCOMPARE(gridColumn(w->registerGrid, kColName), QStringList{QStringLiteral("孙八")});
    QCOMPARE(itemTexts(w->usedNumbersList), QStringList{QStringLiteral("20032001")});
}

void TestRegisterWindow::namesOutsideTheFixedListsListNobody()
{
    School s;
    WindowHarness h(s.school, at(kWang));   // its head teacher is signed in
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    QVERIFY(w->editFrame->isEnabled());
    choose(w->classCombo, QStringLiteral("实验班"));
    QVERIFY(!w->classIdentity().isValid());
    QCOMPARE(w->registerGrid->Rows(), 1);
    QCOMPARE(w->usedNumbersList->count(), 0);
    QCOMPARE(w->classCodeLabel->text(), QString());
    QVERIFY(!w->editFrame->isEnabled());   // nothing can be numbered in it
    QVERIFY(responder.shown().isEmpty());
}

void TestRegisterWindow::signInStateOnChoosing_data()
{
    QTest::addColumn<QString>("denglu");
    QTest::addColumn<bool>("signedIn");
    QTest::newRow("its head teacher") << kWang << true;
    QTest::newRow("nobody") << QString() << false;
    QTest::newRow("another head teacher") << QStringLiteral("李老师") << false;
}

void TestRegisterWindow::signInStateOnChoosing()
{
    QFETCH(QString, denglu);
    QFETCH(bool, signedIn);
    School s;
    WindowHarness h(s.school, at(denglu));   // signed in earlier, in another window
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    QCOMPARE(w->editFrame->isEnabled(), signedIn);
    QCOMPARE(w->addStudentButton->isEnabled(), signedIn);
    QCOMPARE(w->importButton->isEnabled(), signedIn);
    QCOMPARE(w->signInButton->text(), signedIn ? QStringLiteral("退出登陆 修改(&K)") : QStringLiteral("请班主任 登陆(&K)"));
    QCOMPARE(w->statusLabel->text(), signedIn ? QStringLiteral("班主任(王老师)已经登陆，可以修改学籍内容。")
                                         : QStringLiteral("班主任(王老师)没有登陆，还不可以修改学籍内容。"));
    // The cell editor opens only for the signed-in head teacher, on columns 2 … 17.
    clickCell(w->registerGrid, 1, kColName);
    QCOMPARE(w->cellEditor()->isOpen(), signedIn);
    QTest::keyClick(w->registerGrid, Qt::Key_Escape);
    clickCell(w->registerGrid, 2, kColStudentNumber);
    QVERIFY(!w->cellEditor()->isOpen());
}

void TestRegisterWindow::toggleSignsInAndOut()
{
    School s;
    WindowHarness h(s.school, at());
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);

    // Before a class is chosen the toggle refuses.
    w->signInButton->click();
    QCOMPARE(responder.last().text, QStringLiteral("请选择一个年级组。"));
    QCOMPARE(responder.last().title, QStringLiteral("提示"));
    choose(w->gradeGroupCombo, kGrade2);
    w->signInButton->click();
    QCOMPARE(responder.last().text, QStringLiteral("请至少选择一个班级。"));
    choose(w->classCombo, kClass3);

    bool shown = false;
    whenModal([&](QWidget *dialog) {
        auto *d = qobject_cast<SignInDialog *>(dialog);
        QVERIFY(d);
        QCOMPARE(d->accountBox->text(), kWang);
        d->passwordBox->setText(QStringLiteral("t123"));
        d->okButton->click();
        shown = true;
    });
    w->signInButton->click();
    QVERIFY(shown);
    QCOMPARE(h.session().denglu, kWang);
    QVERIFY(w->editFrame->isEnabled());
    QCOMPARE(w->signInButton->text(), QStringLiteral("退出登陆 修改(&K)"));
    QCOMPARE(w->statusLabel->text(), QStringLiteral("班主任(王老师)登陆成功，可以修改学籍内容。"));

    w->signInButton->click();
    QCOMPARE(h.session().denglu, QString());
    QVERIFY(!w->editFrame->isEnabled());
    QCOMPARE(w->signInButton->text(), QStringLiteral("班主任登陆 修改(&K)"));
    QCOMPARE(w->statusLabel->text(), QStringLiteral("班主任(王老师)退出了登陆，不可以修改学籍内容了。"));
    clickCell(w->registerGrid, 1, kColName);
    QVERIFY(!w->cellEditor()->isOpen());
}

// openpath switches to another database while the window is open: its class
// list and its head teacher's sign-in still come from the database it opened.
void TestRegisterWindow::staysOnTheDatabaseItOpened()
{
    School s;
    TestSchool other;
    other.addGradeGroup(kGrade2);
    other.addClass(kGrade2, kClass3, kWang, QStringLiteral("new9"));   // changed there only
    other.addClass(kGrade2, QStringLiteral("八班"), QStringLiteral("周老师"), QStringLiteral("z111"));
    other.closeDb();
    WindowHarness h(s.school, at());
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    h.session().openpath = other.dbPath();

    chooseClass(w, kGrade2, kClass3);
    QCOMPARE(itemTexts(w->classCombo), QStringList({kClass3, kClass13, kClass5, QStringLiteral("实验班")}));
    QVERIFY(signInThrough(w->signInButton, QStringLiteral("new9")));
    QCOMPARE(h.session().denglu, QString());
    QVERIFY(signInThrough(w->signInButton, QStringLiteral("t123")));
    QCOMPARE(h.session().denglu, kWang);
    QCOMPARE(w->signInButton->text(), QStringLiteral("退出登陆 修改(&K)"));
}

void TestRegisterWindow::gradeGroupChangeDisablesEditing()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    QVERIFY(w->editFrame->isEnabled());

    choose(w->gradeGroupCombo, kGrade3);
    QCOMPARE(itemTexts(w->classCombo), QStringList{QStringLiteral("二十班")});
    QCOMPARE(itemTexts(w->sourceClassCombo), QStringList{QStringLiteral("二十班")});
    QCOMPARE(w->registerGrid->Rows(), 1);
    QCOMPARE(w->titleLabel->text(), kGrade3);
    QVERIFY(!w->editFrame->isEnabled());   // until a class of this grade group is chosen
    // The session's sign-in and the class code of the previous class stay; the
    // window shows nobody signed in while no class is chosen.
    QCOMPARE(h.session().denglu, kWang);
    QCOMPARE(w->signInButton->text(), QStringLiteral("班主任登陆 修改(&K)"));
    QCOMPARE(w->classCodeLabel->text(), QStringLiteral("200403"));

    choose(w->gradeGroupCombo, kGrade2);
    choose(w->classCombo, kClass3);
    QVERIFY(w->editFrame->isEnabled());
    QCOMPARE(w->registerGrid->Rows(), 4);
}

void TestRegisterWindow::toggleAfterAGradeGroupChangeAsksForAClass()
{
    School s;
    WindowHarness h(s.school, at());
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    whenModal([](QWidget *dialog) {
        auto *d = qobject_cast<SignInDialog *>(dialog);
        QVERIFY(d);
        d->passwordBox->setText(QStringLiteral("t123"));
        d->okButton->click();
    });
    w->signInButton->click();
    QCOMPARE(h.session().denglu, kWang);

    // Another grade group: no class is chosen, so the window shows nobody signed in.
    const QString startStatus = QStringLiteral("提示：请班主任选择年级组、班级，并且登陆后，才有权管理本班学籍。");
    choose(w->gradeGroupCombo, kGrade3);
    QCOMPARE(w->signInButton->text(), QStringLiteral("班主任登陆 修改(&K)"));
    QCOMPARE(w->statusLabel->text(), startStatus);
    QVERIFY(!w->editFrame->isEnabled());

    // The toggle asks for a class; it neither signs out nor names an empty head teacher.
    responder.clear();
    w->signInButton->click();
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("请至少选择一个班级。")});
    QCOMPARE(responder.last().title, QStringLiteral("提示"));
    QCOMPARE(h.session().denglu, kWang);
    QCOMPARE(w->signInButton->text(), QStringLiteral("班主任登陆 修改(&K)"));
    QCOMPARE(w->statusLabel->text(), startStatus);
    QVERIFY(!w->editFrame->isEnabled());

    // Back on the class, its head teacher is still signed in.
    chooseClass(w, kGrade2, kClass3);
    QCOMPARE(w->signInButton->text(), QStringLiteral("退出登陆 修改(&K)"));
    QVERIFY(w->editFrame->isEnabled());
}

void TestRegisterWindow::addStudentTakesTheFreeSeats()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);   // seats 01, 02, 04
    w->addStudentButton->click();
    w->addStudentButton->click();
    FlexGrid *g = w->registerGrid;
    QCOMPARE(g->Rows(), 6);
    QCOMPARE(g->TextMatrix(4, kColStudentNumber), QStringLiteral("20040303"));
    QCOMPARE(g->TextMatrix(5, kColStudentNumber), QStringLiteral("20040305"));
    QCOMPARE(g->TextMatrix(4, kColNumber), QStringLiteral("3"));
    QCOMPARE(g->TextMatrix(5, kColNumber), QStringLiteral("5"));
    for (int r : {4, 5}) {
        QCOMPARE(g->TextMatrix(r, kColSex), QStringLiteral("男"));
        QCOMPARE(g->TextMatrix(r, kColBoarding), QStringLiteral("是"));
        QCOMPARE(g->TextMatrix(r, kColRowState), kRowNew);
        QCOMPARE(g->TextMatrix(r, kColId), QString());
        QCOMPARE(g->TextMatrix(r, kColName), QString());
        QVERIFY(g->RowHeight(r) > 0);
    }
    QCOMPARE(itemTexts(w->usedNumbersList), QStringList({"20040301", "20040302", "20040304", "20040303", "20040305"}));

    // An empty class starts at 01 (the two new students of 三班 dropped on leaving it).
    responder.answer(Answer::No);
    choose(w->classCombo, kClass5);
    h.session().denglu = QStringLiteral("赵老师");
    choose(w->classCombo, kClass5);
    w->addStudentButton->click();
    QCOMPARE(w->registerGrid->TextMatrix(1, kColStudentNumber), QStringLiteral("20040501"));
    QCOMPARE(itemTexts(w->usedNumbersList), QStringList{QStringLiteral("20040501")});
    QCOMPARE(responder.shown().size(), 1);   // only the question about 三班's unsaved students
    QVERIFY(responder.last().hasCancel);
}

void TestRegisterWindow::hundredthSeatIsRefused()
{
    School s;
    for (int seat = 1; seat <= 99; ++seat)
        s.school.addStudent(kJunior, QStringLiteral("200405%1").arg(seat, 2, 10, QLatin1Char('0')),
                            QStringLiteral("学生%1").arg(seat));
    s.school.closeDb();
    WindowHarness h(s.school, at(QStringLiteral("赵老师")));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass5);
    QCOMPARE(w->registerGrid->Rows(), 100);
    w->addStudentButton->click();
    QCOMPARE(responder.texts(), QStringList{school::kSeatsFullMessage});
    QCOMPARE(responder.last().title, QStringLiteral("提示……"));
    QCOMPARE(w->registerGrid->Rows(), 100);
    QCOMPARE(w->usedNumbersList->count(), 99);
}

void TestRegisterWindow::deleteStudent()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    FlexGrid *g = w->registerGrid;

    // No: the hint, nothing changes.
    clickCell(g, 2, kColName);
    responder.answer(false);
    w->deleteStudentButton->click();
    QCOMPARE(responder.shown().size(), 2);
    QCOMPARE(responder.shown()[0].text, QStringLiteral("你真的要删除(2号 李四)同学的学籍吗?"));
    QVERIFY(responder.shown()[0].isQuestion);
    QCOMPARE(responder.shown()[0].title, QStringLiteral("提示……"));
    QCOMPARE(responder.shown()[1].text,
             QStringLiteral("如果你真的要删除学生学籍，请先点击表格内的学生姓名，然后再点击<删除学生>按钮。"));
    QCOMPARE(g->TextMatrix(2, kColRowState), kRowUnchanged);
    QCOMPARE(w->usedNumbersList->count(), 3);

    // Yes: hidden, marked deleted, its number free at once.
    responder.clear();
    clickCell(g, 2, kColName);
    responder.answer(true);
    w->deleteStudentButton->click();
    QCOMPARE(responder.shown().size(), 1);
    QCOMPARE(g->TextMatrix(2, kColRowState), kRowDeleted);
    QCOMPARE(g->RowHeight(2), 0);
    QCOMPARE(itemTexts(w->usedNumbersList), QStringList({"20040301", "20040304"}));
    w->addStudentButton->click();
    QCOMPARE(g->TextMatrix(4, kColStudentNumber), QStringLiteral("20040302"));
    QCOMPARE(g->TextMatrix(2, kColRowState), kRowDeleted);   // the old row stays, hidden

    // The same, hidden row again: the hint only; the new student keeps number 02.
    responder.clear();
    w->deleteStudentButton->click();
    QCOMPARE(responder.texts(),
             QStringList{QStringLiteral("如果你真的要删除学生学籍，请先点击表格内的学生姓名，然后再点击<删除学生>按钮。")});
    QVERIFY(itemTexts(w->usedNumbersList).contains(QStringLiteral("20040302")));

    // A new row deleted before any save: hidden with state 3 and no ID.
    responder.clear();
    clickCell(g, 4, kColName);
    responder.answer(true);
    w->deleteStudentButton->click();
    QCOMPARE(g->TextMatrix(4, kColRowState), kRowDeleted);
    QCOMPARE(g->TextMatrix(4, kColId), QString());
    QCOMPARE(g->RowHeight(4), 0);
}

void TestRegisterWindow::deleteNeedsAVisibleStudentRow()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    const QString hint = QStringLiteral("如果你真的要删除学生学籍，请先点击表格内的学生姓名，然后再点击<删除学生>按钮。");
    chooseClass(w, kGrade2, kClass3);
    // Nothing clicked yet.
    w->deleteStudentButton->click();
    QCOMPARE(responder.texts(), QStringList{hint});
    // A row clicked before the class was filled again is no row of this fill.
    clickCell(w->registerGrid, 3, kColName);
    choose(w->classCombo, kClass3);
    responder.clear();
    w->deleteStudentButton->click();
    QCOMPARE(responder.texts(), QStringList{hint});
    QCOMPARE(gridColumn(w->registerGrid, kColRowState), QStringList({"", "", ""}));
}

void TestRegisterWindow::editAddDeleteThenSave()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    FlexGrid *g = w->registerGrid;
    const QStringList before = s.school.dump(kJunior);

    // 张三's 民族 edited; 王五's phone edited twice (stays "2").
    editCell(w, 1, 4, QStringLiteral("回"));
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("回"));
    QCOMPARE(g->TextMatrix(1, kColRowState), kRowChanged);
    clickCell(g, 3, kColPhone);
    QTest::keyClick(w->cellEditorBox, Qt::Key_End);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Backspace);
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    clickCell(g, 3, kColPhone);
    QTest::keyClick(w->cellEditorBox, Qt::Key_End);
    QTest::keyClicks(w->cellEditorBox, "7x");   // the letter is refused in a phone number
    QTest::keyClick(w->cellEditorBox, Qt::Key_Return);
    QCOMPARE(g->TextMatrix(3, kColPhone), QStringLiteral("0571-88886667"));
    QCOMPARE(g->TextMatrix(3, kColRowState), kRowChanged);
    // 李四 deleted.
    clickCell(g, 2, kColName);
    responder.answer(true);
    w->deleteStudentButton->click();
    // A new student takes the freed seat 02; the name typed is in the editor when 保存 is pressed.
    w->addStudentButton->click();
    QCOMPARE(g->TextMatrix(4, kColStudentNumber), QStringLiteral("20040302"));
    editCell(w, 4, kColName, QStringLiteral("新生"), false);
    w->saveButton->click();

    // Exactly the intended rows changed.
    QCOMPARE(s.school.value(QStringLiteral("select \"民族\" from \"初中\" where \"ID\"=?"), {s.zhang}).toString(),
             QStringLiteral("回"));
    QCOMPARE(s.school.value(QStringLiteral("select \"联系电话\" from \"初中\" where \"ID\"=?"), {s.wang}).toString(),
             QStringLiteral("0571-88886667"));
    QCOMPARE(s.school.value(QStringLiteral("select %1 from \"初中\" where \"ID\"=?").arg(db::quoteIdentifier(kExam)), {s.zhang})
                 .toDouble(),
             60.0 + s.zhang);
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"ID\"=?"), {s.li}), 0);
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"学籍号\"='20040302' and \"姓名\"='新生' "
                                           "and \"性别\"='男' and \"住宿\"=1")),
             1);
    const QStringList after = s.school.dump(kJunior);
    QCOMPARE(after.size(), before.size());   // one deleted, one inserted
    for (const QString &line : before) {
        const int id = line.section(QLatin1Char('|'), 0, 0).toInt();
        if (id != s.zhang && id != s.li && id != s.wang)
            QVERIFY2(after.contains(line), qPrintable(line));   // nobody else touched
    }

    // The class is read again: new IDs, every state empty, the hidden row gone.
    QCOMPARE(gridColumn(g, kColName), QStringList({"张三", "新生", "王五"}));
    QCOMPARE(gridColumn(g, kColRowState), QStringList({"", "", ""}));
    QVERIFY(!g->TextMatrix(2, kColId).isEmpty());
    QCOMPARE(itemTexts(w->usedNumbersList), QStringList({"20040301", "20040302", "20040304"}));
    QVERIFY(responder.texts().size() == 1);   // the deletion question only

    // A second save changes nothing.
    w->saveButton->click();
    QCOMPARE(s.school.dump(kJunior), after);
    QCOMPARE(g->Rows(), 4);
    QCOMPARE(responder.texts().size(), 1);
}

// A click on the editor lying over its cell, before any key, is a click on the
// cell: the text stays selected and what is typed replaces it.
void TestRegisterWindow::clickOnTheEditorActsOnItsCell()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    QWidget *w = h.open<QWidget>(kRegisterWindow);
    QVERIFY(w);
    choose(w->findChild<QComboBox *>(QStringLiteral("Combo1")), kGrade2);
    choose(w->findChild<QComboBox *>(QStringLiteral("Combo2")), kClass3);
    auto *grid = w->findChild<FlexGrid *>(QStringLiteral("Grid1"));
    auto *editor = w->findChild<QLineEdit *>(QStringLiteral("Text1"));
    QVERIFY(grid && editor);

    clickCell(grid, 3, kColPhone);
    QCOMPARE(editor->selectedText(), QStringLiteral("0571-88886666"));
    QTest::mouseClick(editor, Qt::LeftButton, Qt::NoModifier, QPoint(editor->width() - 2, editor->height() / 2));
    typeKeys(editor, QStringLiteral("13900001111"));
    QCOMPARE(editor->text(), QStringLiteral("13900001111"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(grid->TextMatrix(3, kColPhone), QStringLiteral("13900001111"));
}

// The window edits only under the account signed in: a save checks it when it
// runs, and another account's sign-in ends this window's at once.
void TestRegisterWindow::editingEndsWithTheSignIn()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    chooseClass(w, kGrade2, kClass3);
    QVERIFY(w->editFrame->isEnabled());
    editCell(w, 1, kColName, QStringLiteral("张三丰"));
    const QStringList before = s.school.dump(kJunior);
    s.school.closeDb();
    const QString refusal = QStringLiteral("班主任(王老师)没有登陆，修改没有保存。请登陆后再保存。");

    // denglu changed with the window not yet told.
    h.signIn(QStringLiteral("李老师"));
    w->saveButton->click();
    QCOMPARE(h.responder.texts(), QStringList{refusal});
    QCOMPARE(s.school.dump(kJunior), before);
    s.school.closeDb();
    QCOMPARE(w->signInButton->text(), QStringLiteral("班主任登陆 修改(&K)"));
    QVERIFY(!w->editFrame->isEnabled());
    QCOMPARE(w->registerGrid->TextMatrix(1, kColName), QStringLiteral("张三丰"));   // kept for a later save

    // Signed in again here, then another account signs in elsewhere.
    QVERIFY(signInThrough(w->signInButton, QStringLiteral("t123")));
    QVERIFY(w->editFrame->isEnabled());
    QVERIFY(signInElsewhere(h.main, QStringLiteral("赵老师"), QStringLiteral("z789")));
    QCOMPARE(w->signInButton->text(), QStringLiteral("班主任登陆 修改(&K)"));
    QVERIFY(!w->editFrame->isEnabled());
    QCOMPARE(w->statusLabel->text(), QStringLiteral("班主任(王老师)退出了登陆，不可以修改学籍内容了。"));
    clickCell(w->registerGrid, 2, kColName);
    QVERIFY(!w->cellEditor()->isOpen());
    h.responder.clear();
    h.responder.answer(true);   // save first: refused, the window stays with the change
    QVERIFY(!w->parentWidget()->close());
    QCOMPARE(h.responder.texts().last(), refusal);
    QCOMPARE(s.school.dump(kJunior), before);
}

void TestRegisterWindow::failedSaveKeepsEveryState()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    changeEachWay(w, responder);
    const Held kept = held(w);
    const QStringList before = s.school.dump(kJunior);
    responder.clear();

    // Another computer holds the write lock.
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(QStringLiteral("BEGIN IMMEDIATE")));
    QVERIFY(w->connection().setBusyTimeout(50));
    w->saveButton->click();
    QCOMPARE(responder.shown().size(), 1);
    const QString message = responder.last().text;
    QVERIFY2(message.startsWith(QStringLiteral("学籍没有保存：数据库正被其他用户使用")), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("表格中的修改都还保留着")), qPrintable(message));
    QVERIFY(held(w) == kept);   // every row and its state as it was
    QCOMPARE(w->registerGrid->RowHeight(3), 0);
    QVERIFY(other.exec(QStringLiteral("ROLLBACK")));
    QCOMPARE(s.school.dump(kJunior), before);

    // Once the lock is gone the same changes save.
    responder.clear();
    w->saveButton->click();
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(gridColumn(w->registerGrid, kColName), QStringList({"张三丰", "李四", "新生"}));
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"ID\"=?"), {s.wang}), 0);
}

void TestRegisterWindow::saveRefusesAStudentWithoutAName()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    editCell(w, 2, kColName, QStringLiteral("李四四"));
    w->addStudentButton->click();   // 20040303, its name not typed
    const Held kept = held(w);
    const QStringList before = s.school.dump(kJunior);

    const QString refusal = QStringLiteral("学号为20040303的学生没有填写姓名，请填写后再保存。");
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{refusal});
    QCOMPARE(responder.last().title, QStringLiteral("提示……"));
    QVERIFY(held(w) == kept);
    QCOMPARE(gridColumn(w->registerGrid, kColRowState), QStringList({"", "2", "", "1"}));
    QCOMPARE(s.school.dump(kJunior), before);   // not even the other change
    // The transfer saves first: refused the same way, its panel stays shut.
    responder.clear();
    w->transferButton->click();
    QCOMPARE(responder.texts(), QStringList{refusal});
    QVERIFY(!w->transferFrame->isVisible());

    // Named, the same changes save.
    editCell(w, 4, kColName, QStringLiteral("新生"));
    responder.clear();
    w->saveButton->click();
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(gridColumn(w->registerGrid, kColName), QStringList({"张三", "李四四", "新生", "王五"}));
    QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"学籍号\"='20040303' and \"姓名\"='新生'")), 1);
}

void TestRegisterWindow::leavingWithUnsavedChangesAsks_data()
{
    QTest::addColumn<Leave>("leave");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("saveRefused");   // the new student has no name
    const QList<std::pair<const char *, Leave>> leaves{
        {"close", Leave::Close}, {"another class", Leave::OtherClass}, {"another grade group", Leave::OtherGradeGroup}};
    for (const auto &[what, leave] : leaves) {
        QTest::addRow("%s, Yes", what) << leave << Answer::Yes << false;
        QTest::addRow("%s, Yes, save refused", what) << leave << Answer::Yes << true;
        QTest::addRow("%s, No", what) << leave << Answer::No << false;
        QTest::addRow("%s, Cancel", what) << leave << Answer::Cancel << false;
    }
}

void TestRegisterWindow::leavingWithUnsavedChangesAsks()
{
    QFETCH(Leave, leave);
    QFETCH(Answer, answer);
    QFETCH(bool, saveRefused);
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    changeEachWay(w, responder, !saveRefused);
    const Held kept = held(w);
    const QStringList before = s.school.dump(kJunior);
    responder.clear();

    responder.answer(answer);
    switch (leave) {
    case Leave::Close:
        w->closeButton->click();
        break;
    case Leave::OtherClass:
        choose(w->classCombo, kClass13);
        break;
    case Leave::OtherGradeGroup:
        choose(w->gradeGroupCombo, kGrade3);
        break;
    }
    QVERIFY(!responder.shown().isEmpty());
    const ScriptedResponder::Shown question = responder.shown().first();
    QCOMPARE(question.text, QStringLiteral("初二年级组三班学籍表的修改还没有保存，要先保存吗?"));
    QCOMPARE(question.title, QStringLiteral("提示……"));
    QVERIFY(question.hasCancel);

    const bool saved = answer == Answer::Yes && !saveRefused;
    const bool left = saved || answer == Answer::No;
    if (saveRefused)
        QCOMPARE(responder.texts().mid(1),
                 QStringList{QStringLiteral("学号为20040303的学生没有填写姓名，请填写后再保存。")});
    else
        QCOMPARE(responder.shown().size(), 1);
    if (saved) {
        QCOMPARE(s.school.value(QStringLiteral("select \"姓名\" from \"初中\" where \"ID\"=?"), {s.zhang}).toString(),
                 QStringLiteral("张三丰"));
        QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"ID\"=?"), {s.wang}), 0);
        QCOMPARE(s.school.count(QStringLiteral("select count(*) from \"初中\" where \"学籍号\"='20040303' and \"姓名\"='新生'")),
                 1);
    } else {
        QCOMPARE(s.school.dump(kJunior), before);
    }

    if (!left) {
        // Everything as it was: the window, the class chosen, every row and its state.
        QVERIFY(h.isOpen(kRegisterWindow));
        QCOMPARE(w->gradeGroupCombo->currentText(), kGrade2);
        QCOMPARE(w->classCombo->currentText(), kClass3);
        QVERIFY(held(w) == kept);
        QCOMPARE(w->registerGrid->RowHeight(3), 0);
        QVERIFY(w->editFrame->isEnabled());
        return;
    }
    switch (leave) {
    case Leave::Close:
        QTRY_VERIFY(!h.isOpen(kRegisterWindow));
        break;
    case Leave::OtherClass:
        QCOMPARE(gridColumn(w->registerGrid, kColName), QStringList({"钱七", "周九"}));
        QVERIFY(!w->hasUnsavedChanges());
        break;
    case Leave::OtherGradeGroup:
        QCOMPARE(w->registerGrid->Rows(), 1);
        QCOMPARE(itemTexts(w->classCombo), QStringList{QStringLiteral("二十班")});
        QVERIFY(!w->hasUnsavedChanges());
        break;
    }
}

void TestRegisterWindow::leavingWithoutChangesAsksNothing()
{
    // A student added and deleted again, and a cell typed back to its text, leave
    // nothing to save.
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    w->addStudentButton->click();
    clickCell(w->registerGrid, 4, kColName);
    responder.answer(true);
    w->deleteStudentButton->click();
    editCell(w, 1, kColName, QStringLiteral("张三"));
    QVERIFY(!w->hasUnsavedChanges());
    responder.clear();
    choose(w->classCombo, kClass13);
    choose(w->gradeGroupCombo, kGrade3);
    w->closeButton->click();
    QTRY_VERIFY(!h.isOpen(kRegisterWindow));
    QVERIFY(responder.shown().isEmpty());
}

void TestRegisterWindow::editedBackToItsStoredTextLeavesNothingToSave()
{
    // 张三's 民族 edited, then typed back to the stored 汉 over another edit: the
    // row shows no state, and a change of class asks nothing.
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    FlexGrid *g = w->registerGrid;
    editCell(w, 1, 4, QStringLiteral("回"));
    editCell(w, 1, 4, QStringLiteral("蒙"));
    QCOMPARE(g->TextMatrix(1, kColRowState), kRowChanged);
    QVERIFY(w->hasUnsavedChanges());
    editCell(w, 1, 4, QStringLiteral("汉"));
    QCOMPARE(g->TextMatrix(1, 4), QStringLiteral("汉"));
    QCOMPARE(g->TextMatrix(1, kColRowState), kRowUnchanged);
    QVERIFY(!w->hasUnsavedChanges());
    const QStringList before = s.school.dump(kJunior);
    responder.clear();
    choose(w->classCombo, kClass13);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(gridColumn(g, kColName), QStringList({"钱七", "周九"}));
    QCOMPARE(s.school.dump(kJunior), before);
}

void TestRegisterWindow::transfer()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);   // seats 01, 02, 04

    w->transferButton->click();
    QVERIFY(w->transferFrame->isVisible());
    QCOMPARE(w->transferFrame->title(), QStringLiteral("=====学生转班操作====="));
    QVERIFY(!w->editFrame->isEnabled());
    QVERIFY(!w->choiceFrame->isEnabled());
    QVERIFY(!w->signInButton->isEnabled());
    QVERIFY(!w->exportButton->isEnabled());

    choose(w->sourceClassCombo, kClass3);
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("同一个班级不能导入学生。")});
    QCOMPARE(w->sourceStudentList->count(), 0);
    choose(w->sourceClassCombo, kClass13);
    const QString qian = QStringLiteral("%1 钱七").arg(s.qian);
    const QString zhou = QStringLiteral("%1 周九").arg(s.zhou);
    QCOMPARE(itemTexts(w->sourceStudentList), QStringList({qian, zhou}));

    responder.clear();
    w->queueStudentButton->click();
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("请在右面选择一名要导入的学生。")});

    responder.clear();
    w->sourceStudentList->setCurrentRow(0);
    responder.answer(true);
    w->queueStudentButton->click();
    QCOMPARE(responder.texts(), QStringList{QStringLiteral("确实要把十三班的") + qian + QStringLiteral("导入本班吗?")});
    QCOMPARE(itemTexts(w->transferQueueList), QStringList{qian});
    QCOMPARE(w->sourceStudentList->item(0)->text(), qian + QStringLiteral("(需导入)"));

    // Queued already: refused without a question.
    responder.clear();
    w->sourceStudentList->setCurrentRow(0);
    w->queueStudentButton->click();
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY(!responder.last().isQuestion);
    QVERIFY2(responder.last().text.contains(QStringLiteral("不能重复导入")), qPrintable(responder.last().text));
    QCOMPARE(w->transferQueueList->count(), 1);

    // No leaves both lists as they were.
    w->sourceStudentList->setCurrentRow(1);
    responder.answer(false);
    w->queueStudentButton->click();
    QCOMPARE(itemTexts(w->transferQueueList), QStringList{qian});
    QCOMPARE(w->sourceStudentList->item(1)->text(), zhou);
    responder.answer(true);
    w->queueStudentButton->click();
    QCOMPARE(itemTexts(w->transferQueueList), QStringList({qian, zhou}));

    // Another source class replaces sourceStudentList, also when it has nobody; the queue stays.
    choose(w->sourceClassCombo, kClass5);
    QCOMPARE(w->sourceStudentList->count(), 0);
    QCOMPARE(w->transferQueueList->count(), 2);

    const QVariant score = s.school.value(QStringLiteral("select %1 from \"初中\" where \"ID\"=?").arg(db::quoteIdentifier(kExam)), {s.zhou});
    responder.clear();
    w->saveTransferButton->click();
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(numberOf(s.school, s.qian), QStringLiteral("20040303"));
    QCOMPARE(numberOf(s.school, s.zhou), QStringLiteral("20040305"));
    QCOMPARE(s.school.value(QStringLiteral("select %1 from \"初中\" where \"ID\"=?").arg(db::quoteIdentifier(kExam)), {s.zhou}),
             score);
    QCOMPARE(s.school.value(QStringLiteral("select %1 from \"初中\" where \"ID\"=?").arg(db::quoteIdentifier(kEvaluation)), {s.qian})
                 .toString(),
             QStringLiteral("评语%1").arg(s.qian));

    // The panel closes and the class is read again with the newcomers.
    QVERIFY(!w->transferFrame->isVisible());
    QVERIFY(w->editFrame->isEnabled());
    QVERIFY(w->choiceFrame->isEnabled());
    QVERIFY(w->signInButton->isEnabled());
    QVERIFY(w->exportButton->isEnabled());
    QCOMPARE(w->sourceStudentList->count(), 0);
    QCOMPARE(w->transferQueueList->count(), 0);
    QCOMPARE(gridColumn(w->registerGrid, kColName), QStringList({"张三", "李四", "钱七", "王五", "周九"}));
    QCOMPARE(gridColumn(w->registerGrid, kColId).at(2), QString::number(s.qian));

    // 十三班 has nobody left.
    choose(w->classCombo, kClass13);
    QCOMPARE(w->registerGrid->Rows(), 1);
}

void TestRegisterWindow::transferReportsAStudentWhoIsGone()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    w->transferButton->click();
    choose(w->sourceClassCombo, kClass13);
    for (int row : {0, 1}) {
        w->sourceStudentList->setCurrentRow(row);
        responder.answer(true);
        w->queueStudentButton->click();
    }
    // 钱七 is deleted from another computer before the transfer is saved.
    QVERIFY(s.school.db().exec(QStringLiteral("delete from \"初中\" where \"ID\"=?"), {s.qian}));
    s.school.closeDb();
    responder.clear();
    w->saveTransferButton->click();
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY2(responder.last().text.contains(QStringLiteral("%1 钱七").arg(s.qian)), qPrintable(responder.last().text));
    QVERIFY2(!responder.last().text.contains(QStringLiteral("周九")), qPrintable(responder.last().text));
    QCOMPARE(numberOf(s.school, s.zhou), QStringLiteral("20040303"));
    QCOMPARE(gridColumn(w->registerGrid, kColName), QStringList({"张三", "李四", "周九", "王五"}));
}

// Another account signs in while the transfer panel is open: 保存转入 moves nobody.
void TestRegisterWindow::transferNeedsTheSignInAtItsSave()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    w->transferButton->click();
    choose(w->sourceClassCombo, kClass13);
    w->sourceStudentList->setCurrentRow(0);
    h.responder.answer(true);
    w->queueStudentButton->click();
    QVERIFY(signInElsewhere(h.main, QStringLiteral("李老师"), QStringLiteral("l456")));
    h.responder.clear();
    w->saveTransferButton->click();
    QCOMPARE(h.responder.texts(),
             QStringList{QStringLiteral("班主任(王老师)没有登陆，没有学生转入本班。请登陆后再保存转入。")});
    QCOMPARE(numberOf(s.school, s.qian), QStringLiteral("20041301"));
    QCOMPARE(gridColumn(w->registerGrid, kColName), QStringList({"张三", "李四", "王五"}));
}

void TestRegisterWindow::transferPanelOpensAfterASave()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    editCell(w, 2, kColName, QStringLiteral("李四四"));

    // A save that fails keeps the panel shut.
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(QStringLiteral("BEGIN IMMEDIATE")));
    QVERIFY(w->connection().setBusyTimeout(50));
    w->transferButton->click();
    QCOMPARE(responder.shown().size(), 1);
    QVERIFY(!w->transferFrame->isVisible());
    QVERIFY(w->editFrame->isEnabled());
    QCOMPARE(w->registerGrid->TextMatrix(2, kColRowState), kRowChanged);
    QVERIFY(other.exec(QStringLiteral("ROLLBACK")));

    w->transferButton->click();
    QVERIFY(w->transferFrame->isVisible());
    QCOMPARE(s.school.value(QStringLiteral("select \"姓名\" from \"初中\" where \"ID\"=?"), {s.li}).toString(),
             QStringLiteral("李四四"));
    clickCell(w->registerGrid, 1, kColName);   // the grid is only a view while the panel is open
    QVERIFY(!w->cellEditor()->isOpen());
    w->closeTransferButton->click();
    QVERIFY(!w->transferFrame->isVisible());
    QVERIFY(w->editFrame->isEnabled());
    QVERIFY(w->choiceFrame->isEnabled());
    QVERIFY(w->signInButton->isEnabled());
    clickCell(w->registerGrid, 1, kColName);
    QVERIFY(w->cellEditor()->isOpen());
}

void TestRegisterWindow::everyCaptionFits()
{
    ProgramFontScope programFont;   // as the program shows it
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    const auto check = [w](const char *what) {
        QApplication::processEvents();
        for (QPushButton *b : w->findChildren<QPushButton *>()) {
            if (b->isVisible())
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(QString::fromLatin1(what) + b->text()));
        }
        for (QLabel *l : w->findChildren<QLabel *>()) {
            if (l->isVisible() && !l->wordWrap())
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(QString::fromLatin1(what) + l->text()));
        }
        for (QComboBox *c : w->findChildren<QComboBox *>()) {
            if (c->isVisible())
                QVERIFY2(c->width() >= c->minimumSizeHint().width(), qPrintable(QString::fromLatin1(what) + c->objectName()));
        }
        // The grid, unless the import panel takes its place, keeps room for its rows,
        // and every text fits its cell, except in a column widened to its limit (the
        // text then shows in a tooltip).
        QVERIFY(!w->registerGrid->isVisible() || w->registerGrid->height() > 100);
        const QFontMetrics fm(w->registerGrid->font());
        const int widest = 16 * fm.horizontalAdvance(QChar(0x4E00));
        for (int r = 1; r < w->registerGrid->Rows(); ++r) {
            for (int c = 0; c <= kColRemarks; ++c) {
                const QString text = w->registerGrid->TextMatrix(r, c);
                const int width = w->registerGrid->columnWidth(c);
                QVERIFY2(fm.horizontalAdvance(text) < width || width >= widest,
                         qPrintable(QString::fromLatin1(what) + text));
            }
        }
    };
    editCell(w, 2, 12, QStringLiteral("浙江省杭州市西湖区文三路一百号三单元"));   // a long address
    check("register: ");
    saveShot(h.main.grab().toImage(), QStringLiteral("register_window"));

    w->transferButton->click();
    choose(w->sourceClassCombo, kClass13);
    w->sourceStudentList->setCurrentRow(0);
    responder.answer(true);
    w->queueStudentButton->click();
    check("transfer panel: ");
    saveShot(h.main.grab().toImage(), QStringLiteral("register_transfer"));

    w->closeTransferButton->click();
    ScriptedFileChooser chooser;
    chooser.answer(QStringLiteral(TESSALY_WORKBOOKS "/rosters/roster-45.xlsx"));
    w->importButton->click();
    w->browseButton->click();
    choose(w->sheetCombo, QStringLiteral("初一(1)班"));
    w->sheetHeaderList->setCurrentRow(1);   // 姓名
    w->sheetHeaderChosen();
    check("import panel: ");
    saveShot(h.main.grab().toImage(), QStringLiteral("register_import"));
    w->startImportButton->click();
    check("import report: ");
    saveShot(h.main.grab().toImage(), QStringLiteral("register_import_report"));
}

void TestRegisterWindow::refusedReadsAreReportedLikeRefusedSaves()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    w->transferButton->click();   // the transfer panel
    QVERIFY(w->connection().setBusyTimeout(50));
    responder.clear();

    // Another computer holds a lock that keeps every reader out.
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(QStringLiteral("BEGIN EXCLUSIVE")));
    const QString refused = QStringLiteral("数据错误事件命中错误：数据库正被其他用户使用，暂时不能读写，请稍后再试。");
    choose(w->sourceClassCombo, kClass13);
    QCOMPARE(responder.texts(), QStringList{refused});
    QCOMPARE(w->sourceStudentList->count(), 0);
    responder.clear();
    w->ChooseClass();
    QCOMPARE(responder.texts(), QStringList{refused});
    QCOMPARE(w->registerGrid->Rows(), 1);
    QVERIFY(other.exec(QStringLiteral("ROLLBACK")));

    // The same connection reads again once the lock is gone.
    responder.clear();
    w->ChooseClass();
    QCOMPARE(w->registerGrid->Rows(), 4);
    QVERIFY(responder.shown().isEmpty());
}

void TestRegisterWindow::aReadStoppedByADamagedPageListsNobody()
{
    School s;
    // 五班 gets 60 students with long addresses: their rows span several pages.
    for (int seat = 1; seat <= 60; ++seat)
        s.school.addStudent(kJunior, QStringLiteral("200405%1").arg(seat, 2, 10, QLatin1Char('0')),
                            QStringLiteral("学生%1").arg(seat),
                            {{QStringLiteral("家庭住址"), QString(200, QChar(u'路'))}});
    s.school.closeDb();
    damageMiddleTablePage(s.school.dbPath(), kJunior);

    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    responder.clear();
    chooseClass(w, kGrade2, kClass5);
    QCOMPARE(responder.texts(),
             QStringList{QStringLiteral("数据错误事件命中错误：数据库文件已经损坏。请用“数据安全维护”恢复备份，或与管理员联系。")});
    QCOMPARE(w->registerGrid->Rows(), 1);   // no part of the class shown as the whole
}

void TestRegisterWindow::readsAndSavesOpenNoFurtherConnection()
{
    School s;
    WindowHarness h(s.school, at(kWang));
    ScriptedResponder &responder = h.responder;
    RegisterWindow *w = h.open<RegisterWindow>(kRegisterWindow);
    QVERIFY(w);
    chooseClass(w, kGrade2, kClass3);
    const int before = connectionMark(s.school.dbPath());

    editCell(w, 1, kColName, QStringLiteral("张三丰"));
    w->saveButton->click();   // the save, then the class read again
    w->transferButton->click();
    choose(w->sourceClassCombo, kClass13);   // the transfer's source list
    QCOMPARE(w->sourceStudentList->count(), 2);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(gridColumn(w->registerGrid, kColName).first(), QStringLiteral("张三丰"));

    QCOMPARE(connectionMark(s.school.dbPath()), before + 1);
}

QTEST_MAIN(TestRegisterWindow)
#include "tst_register_window.moc"
