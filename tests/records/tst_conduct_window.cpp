// 学生操行评定: the class's students and evaluations, creating the half year's
// evaluation, saving and printing the texts, and the phrase panel.
#include "fixtures/busy_timeout_scope.h"
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "widgets/flex_grid.h"
#include "records/conduct_window.h"
#include "records/evaluation_columns.h"
#include "records/phrase_panel.h"
#include "shell/print_page.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kGrade = u"初二年级组"_s;

// 初二年级组 (cohort 2004 from September 2005): 一班 of 王老师 (password 111) with
// 张三 and 李四, 二班 of 李老师 (222) with 赵六; 王五 of cohort 2020, whose number
// holds 200401 further in; a quiz column holding a P.
struct School {
    TestSchool school;
    int zhang = 0, li = 0;
    School()
    {
        school.addGradeGroup(kGrade);
        school.addClass(kGrade, u"一班"_s, u"王老师"_s, u"111"_s);
        school.addClass(kGrade, u"二班"_s, u"李老师"_s, u"222"_s);
        li = school.addStudent(u"初中"_s, u"20040102"_s, u"李四"_s, {{u"性别"_s, u"女"_s}, {u"民族"_s, u"汉"_s}});
        zhang = school.addStudent(u"初中"_s, u"20040101"_s, u"张三"_s, {{u"性别"_s, u"男"_s}, {u"民族"_s, u"回"_s}});
        school.addStudent(u"初中"_s, u"20200401"_s, u"王五"_s);
        school.addStudent(u"初中"_s, u"20040201"_s, u"赵六"_s);
        school.addExamColumn(u"初中"_s, u"CP测验数学051010"_s);
        school.closeDb();
    }
};

struct Conduct {
    WindowHarness h;
    ConductWindow *w = nullptr;
    Conduct(School &s, QDate today) : h(s.school, {.today = today, .realSize = true})
    {
        w = h.open<ConductWindow>(kConductWindow);
        QVERIFY(w);
    }
    void chooseClass(const QString &klass)
    {
        choose(w->gradeGroupCombo, kGrade);
        choose(w->classCombo, klass);
    }
    void signIn(const QString &password) { QVERIFY(signInThrough(w->signInButton, password)); }
    // 王老师 signed in on 一班, evaluating 05-06上学年.
    void evaluate()
    {
        chooseClass(u"一班"_s);
        signIn(u"111"_s);
        choose(w->evaluationCombo, u"初二一班05-06上学年操行评定"_s);
    }
    // Proposes and creates the evaluation of today, answering the question with yes.
    void create()
    {
        w->createButton->click();
        h.responder.answer(true);
        w->confirmCreateButton->click();
    }
    void moveTo(int student) { w->studentData->setAbsolutePosition(student); }
    void type(const QString &text) { w->evaluationBox->setPlainText(text); }
};

} // namespace

class TestConductWindow : public QObject {
    Q_OBJECT

private slots:
    void menuItemOpensIt();
    void classShowsItsStudentsOnly();
    void createListsAndChoosesTheEvaluation();
    void duplicateNamesTheChosenHeadTeacher();
    void creationBlockedIsReported();
    void evaluationsListedByCohort();
    void saveWritesAndPatchesTheGrid();
    void saveRefusals();
    void twoComputersEvaluateOneStudent();
    void printHandsOverTheTexts();
    void phrasePanel();
    void hidingThePanelEndsTheMode();
    void leavingTheTypedTextAsks_data();
    void leavingTheTypedTextAsks();
    void yesSavesBeforeTheMove();
    void shot();
};

void TestConductWindow::menuItemOpensIt()
{
    School s;
    WindowHarness h(s.school);
    h.trigger(u"caoxing"_s);
    auto *w = h.openWindow<ConductWindow>(kConductWindow);
    QVERIFY(w);
    QCOMPARE(itemTexts(w->gradeGroupCombo), QStringList{kGrade});
    QCOMPARE(w->gradeGroupCombo->currentIndex(), -1);
    QCOMPARE(w->signInButton->text(), u"班主任登陆 修改(&K)"_s);
    QVERIFY(!w->createButton->isEnabled());
    QVERIFY(!w->phrasesFrame->isEnabled());
    QVERIFY(!w->isPhrasePanelShown() && !w->isCreationPanelShown());
    QCOMPARE(w->phrasesFrame->phraseKindCombo->currentText(), u"学习方面"_s);
    QCOMPARE(w->studentGrid->Rows(), 1);
    QVERIFY(h.responder.shown().isEmpty());
}

void TestConductWindow::classShowsItsStudentsOnly()
{
    School s;
    Conduct c(s, QDate(2005, 10, 15));
    c.chooseClass(u"一班"_s);
    QCOMPARE(gridRows(c.w->studentGrid, 0, 4), (QStringList{u"1|20040101|张三|男|回"_s, u"2|20040102|李四|女|汉"_s}));
    QCOMPARE(gridRow(c.w->studentGrid, 0), (QStringList{u"编号"_s, u"学 籍 号"_s, u" 姓  名 "_s, u"性别"_s, u"民族"_s}));
    QCOMPARE(c.w->studentData->Caption(), u"共2人 第1人"_s);
    QCOMPARE(c.w->studentNameBox->text(), u"张三"_s);
    QCOMPARE(c.w->evaluationCombo->count(), 0);   // the quiz column is no evaluation
    c.chooseClass(u"二班"_s);
    QCOMPARE(gridColumn(c.w->studentGrid, 2), QStringList{u"赵六"_s});
    // A new grade-group choice empties the class's lists.
    choose(c.w->gradeGroupCombo, kGrade);
    QCOMPARE(c.w->studentGrid->Rows(), 1);
    QVERIFY(c.w->studentNameBox->text().isEmpty());
}

void TestConductWindow::createListsAndChoosesTheEvaluation()
{
    School s;
    Conduct c(s, QDate(2005, 10, 15));
    c.chooseClass(u"一班"_s);
    QVERIFY(!c.w->createButton->isEnabled());
    c.signIn(u"111"_s);
    QVERIFY(c.w->createButton->isEnabled());
    c.w->createButton->click();
    QVERIFY(c.w->isCreationPanelShown());
    QCOMPARE(c.w->newColumnBox->text(), u"P05S051015"_s);
    QCOMPARE(c.w->newEvaluationBox->text(), u"初二一班05-06上学年操行评定"_s);
    c.h.responder.answer(true);
    c.w->confirmCreateButton->click();
    QCOMPARE(c.h.responder.last().text, u"尊敬的王老师,您要添加\r（初二一班05-06上学年操行评定）吗?"_s);
    QCOMPARE(c.h.responder.last().title, u"提示……"_s);
    const QStringList columns = s.school.columns(u"初中"_s);
    s.school.closeDb();
    QCOMPARE(columns.size(), 20);
    QCOMPARE(columns.last(), u"P05S051015"_s);
    QCOMPARE(itemTexts(c.w->evaluationCombo), QStringList{u"初二一班05-06上学年操行评定"_s});
    QCOMPARE(c.w->evaluationCombo->currentIndex(), 0);
    QCOMPARE(c.w->gridHeading->text(), u"初二一班05-06上学年操行评定"_s);
    QCOMPARE(c.w->studentGrid->Cols(), 4);
    QVERIFY(!c.w->isCreationPanelShown());

    // Declined: nothing added, the students are there again.
    QVERIFY(s.school.db().exec(uR"(alter table "初中" drop column "P05S051015")"_s));
    s.school.closeDb();
    c.w->createButton->click();
    c.h.responder.answer(false);
    c.w->confirmCreateButton->click();
    QCOMPARE(s.school.columns(u"初中"_s).size(), 19);
    s.school.closeDb();
    QCOMPARE(c.w->studentData->RecordCount(), 2);
}

void TestConductWindow::duplicateNamesTheChosenHeadTeacher()
{
    School s;
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.closeDb();
    Conduct c(s, QDate(2006, 1, 9));
    c.chooseClass(u"二班"_s);
    c.signIn(u"222"_s);
    c.w->createButton->click();
    QCOMPARE(c.w->newColumnBox->text(), u"P05S060109"_s);
    c.h.responder.clear();
    c.w->confirmCreateButton->click();
    QCOMPARE(c.h.responder.texts(),
             QStringList{u"尊敬的李老师,您要添加的评定（初二二班05-06上学年操行评定）\r已经存在了,直接进行评定即可。"_s});
    QCOMPARE(c.h.responder.last().title, kProgramTitle);
    QCOMPARE(s.school.columns(u"初中"_s).size(), 20);
    s.school.closeDb();
    QCOMPARE(c.w->evaluationCombo->currentText(), u"初二二班05-06上学年操行评定"_s);
}

void TestConductWindow::creationBlockedIsReported()
{
    const BusyTimeoutScope failFast(50);   // the lock is held throughout: fail fast
    School s;
    Conduct c(s, QDate(2005, 10, 15));
    c.chooseClass(u"一班"_s);
    c.signIn(u"111"_s);
    // Another computer holds the write lock for as long as the creation waits.
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(u"begin immediate"_s));
    c.create();
    QVERIFY(other.exec(u"rollback"_s));
    QCOMPARE(c.h.responder.last().text, u"评定没有创建：数据库正被其他用户使用，暂时不能读写，请稍后再试。"_s);
    QCOMPARE(s.school.columns(u"初中"_s).size(), 19);
    s.school.closeDb();
    // Still usable: the students are back and the creation works now.
    QCOMPARE(c.w->studentData->RecordCount(), 2);
    QVERIFY(c.w->mainPanel->isEnabled());
    c.create();
    QCOMPARE(c.w->evaluationColumns(), QStringList{u"P05S051015"_s});
}

void TestConductWindow::evaluationsListedByCohort()
{
    School s;
    s.school.addGradeGroup(u"初一年级组"_s);
    s.school.addClass(u"初一年级组"_s, u"一班"_s, u"孙老师"_s, u"333"_s);
    s.school.addEvaluationColumn(u"初中"_s, u"P04S041015"_s);
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.closeDb();
    Conduct c(s, QDate(2005, 10, 15));
    c.chooseClass(u"一班"_s);   // cohort 2004
    QCOMPARE(c.w->evaluationColumns(), (QStringList{u"P04S041015"_s, u"P05S051015"_s}));
    QCOMPARE(itemTexts(c.w->evaluationCombo), (QStringList{u"初二一班04-05上学年操行评定"_s, u"初二一班05-06上学年操行评定"_s}));
    choose(c.w->gradeGroupCombo, u"初一年级组"_s);   // cohort 2005
    choose(c.w->classCombo, u"一班"_s);
    QCOMPARE(c.w->evaluationColumns(), QStringList{u"P05S051015"_s});
}

void TestConductWindow::saveWritesAndPatchesTheGrid()
{
    School s;
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.setScore(u"初中"_s, s.li, u"P05S051015"_s, u"已有评定"_s);
    s.school.closeDb();
    Conduct c(s, QDate(2005, 10, 15));
    c.evaluate();
    QCOMPARE(gridRows(c.w->studentGrid, 1, 3), (QStringList{u"20040101|张三|"_s, u"20040102|李四|已有评定"_s}));
    QVERIFY(c.w->evaluationBox->toPlainText().isEmpty());
    c.moveTo(1);
    QCOMPARE(c.w->evaluationBox->toPlainText(), u"已有评定"_s);
    QCOMPARE(c.w->studentData->Caption(), u"共2人 第2人"_s);

    c.moveTo(0);
    const QString full(records::kEvaluationLength, u'优');
    c.type(full);
    c.h.responder.clear();
    c.w->saveButton->click();
    QVERIFY(c.h.responder.shown().isEmpty());
    QCOMPARE(s.school.value(uR"(select "P05S051015" from "初中" where "ID"=?)"_s, {s.zhang}).toString(), full);
    s.school.closeDb();
    QCOMPARE(c.w->studentGrid->TextMatrix(1, 3), full);
    // The box takes no more typing at 225 characters.
    c.w->evaluationBox->moveCursor(QTextCursor::End);
    typeKeys(c.w->evaluationBox, u"多"_s);
    QCOMPARE(c.w->evaluationBox->toPlainText(), full);
    // Moving away and back shows the saved text.
    c.moveTo(1);
    QCOMPARE(c.w->evaluationBox->toPlainText(), u"已有评定"_s);
    c.moveTo(0);
    QCOMPARE(c.w->evaluationBox->toPlainText(), full);
    c.moveTo(1);
    QVERIFY(c.h.responder.shown().isEmpty());

    // 226 characters (phrases appended): refused with a message, nothing cut or stored.
    c.type(full + u"多"_s);
    c.w->saveButton->click();
    QCOMPARE(c.h.responder.texts(), QStringList{records::evaluationTooLongMessage(226)});
    QCOMPARE(s.school.value(uR"(select "P05S051015" from "初中" where "ID"=?)"_s, {s.li}).toString(), u"已有评定"_s);
    s.school.closeDb();
    QCOMPARE(c.w->evaluationBox->toPlainText().size(), 226);
}

void TestConductWindow::saveRefusals()
{
    School s;
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.closeDb();
    Conduct c(s, QDate(2005, 10, 15));
    c.w->saveButton->click();
    c.chooseClass(u"一班"_s);
    c.signIn(u"111"_s);
    c.w->saveButton->click();
    choose(c.w->evaluationCombo, u"初二一班05-06上学年操行评定"_s);
    c.w->studentData->MoveLast();
    c.w->studentData->MoveNext();   // past the last student
    c.w->saveButton->click();
    QCOMPARE(c.h.responder.texts(), (QStringList{u"如果您是班主任，请先登陆，然后再做相应的工作。"_s,
                                                 u"请选择原有评定或创建新评定，否则不知记录在那次评定上。"_s,
                                                 u"请移动学生名单，否则不知把您的评定内容记录给哪个学生。"_s}));
}

void TestConductWindow::twoComputersEvaluateOneStudent()
{
    School s;
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.setScore(u"初中"_s, s.li, u"P05S051015"_s, u"已有评定"_s);
    s.school.closeDb();
    Conduct c(s, QDate(2005, 10, 15));
    c.evaluate();
    const auto stored = [&](int id) {
        const QString v = s.school.value(uR"(select "P05S051015" from "初中" where "ID"=?)"_s, {id}).toString();
        s.school.closeDb();
        return v;
    };
    // This window's own saves follow each other.
    c.moveTo(0);
    for (const QString &text : {u"甲"_s, u"乙"_s}) {
        c.type(text);
        c.w->saveButton->click();
        QCOMPARE(stored(s.zhang), text);
    }
    QVERIFY(c.h.responder.shown().isEmpty());

    // Another computer saves 李四's evaluation after this window read it.
    c.moveTo(1);
    s.school.setScore(u"初中"_s, s.li, u"P05S051015"_s, u"别处的评定"_s);
    s.school.closeDb();
    c.type(u"我的评定"_s);
    c.w->saveButton->click();
    QCOMPARE(c.h.responder.shown().size(), 1);
    QVERIFY2(c.h.responder.last().text.contains(u"学生(李四)的这次评定在您读出之后已被其他电脑修改"_s),
             qPrintable(c.h.responder.last().text));
    QCOMPARE(stored(s.li), u"别处的评定"_s);
    QCOMPARE(c.w->evaluationBox->toPlainText(), u"我的评定"_s);
    QCOMPARE(c.w->studentGrid->TextMatrix(2, 3), u"已有评定"_s);
}

void TestConductWindow::printHandsOverTheTexts()
{
    School s;
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.setScore(u"初中"_s, s.li, u"P05S051015"_s, u"团结同学"_s);
    s.school.closeDb();
    Conduct c(s, QDate(2005, 10, 15));
    // Nothing chosen, then a class without students: nothing is printed.
    c.w->printButton->click();
    c.chooseClass(u"一班"_s);
    c.w->printButton->click();
    QVERIFY(!c.h.isOpen(kPrintPage));
    choose(c.w->evaluationCombo, u"初二一班05-06上学年操行评定"_s);
    c.w->printButton->click();
    auto *page = c.h.openWindow<PrintPage>(kPrintPage);
    QVERIFY(page);
    QCOMPARE(page->wenben, u"初二一班李四操行评定\r\n团结同学\r\n"_s);
}

void TestConductWindow::phrasePanel()
{
    School s;
    {
        db::Connection &db = s.school.db();
        for (const auto &[kind, text] : {std::pair{u"3"_s, u"爱好体育"_s}, std::pair{u"3"_s, u"擅长书法"_s},
                                         std::pair{u"1"_s, u"热爱祖国"_s}})
            QVERIFY(records::insertDocument(db, kind, text, u"操行评定"_s).ok);
        s.school.closeDb();
    }
    Conduct c(s, QDate(2005, 10, 15));
    records::PhrasePanel *p = c.w->phrasesFrame;
    QVERIFY(!c.w->isPhrasePanelShown());
    QCOMPARE(p->phraseKindCombo->currentText(), u"学习方面"_s);
    c.chooseClass(u"一班"_s);
    c.w->openPhrasesButton->click();
    QVERIFY(c.w->isPhrasePanelShown());
    QVERIFY(!p->isEnabled());   // signed out
    QCOMPARE(gridRows(p->phraseGrid, 0, 1), QStringList{u"1|热爱祖国"_s});
    c.signIn(u"111"_s);
    QVERIFY(p->isEnabled());
    choose(p->phraseKindCombo, u"文体专长方面"_s);
    QCOMPARE(gridRows(p->phraseGrid, 0, 1), (QStringList{u"1|爱好体育"_s, u"2|擅长书法"_s}));

    // Two clicks on the texts append both phrases; the second is the current one.
    c.type(u"该生"_s);
    clickCell(p->phraseGrid, 1, 1);
    clickCell(p->phraseGrid, 2, 1);
    QCOMPARE(c.w->evaluationBox->toPlainText(), u"该生爱好体育擅长书法"_s);
    QCOMPARE(p->currentPhrase(), 1);
    // A click on a number picks that phrase and appends nothing.
    clickCell(p->phraseGrid, 1, 0);
    QCOMPARE(p->currentPhrase(), 0);
    clickCell(p->phraseGrid, 2, 0);
    QCOMPARE(p->currentPhrase(), 1);
    QCOMPARE(c.w->evaluationBox->toPlainText(), u"该生爱好体育擅长书法"_s);
    c.h.responder.clear();
    c.h.responder.answer(true);
    p->editButton->click();
    QCOMPARE(c.h.responder.last().text, u"确定要修改(擅长书法...)内容吗?"_s);
    QVERIFY(!c.w->mainPanel->isEnabled());
    QVERIFY(!c.w->signInButton->isEnabled());
    QVERIFY(p->phraseBox->isVisible());
    QCOMPARE(p->phraseBox->text(), u"擅长书法"_s);
    p->phraseBox->setText(u"擅长书法和绘画"_s);
    p->updateButton->click();
    QCOMPARE(gridColumn(p->phraseGrid, 1), (QStringList{u"爱好体育"_s, u"擅长书法和绘画"_s}));
    QVERIFY(c.w->mainPanel->isEnabled());
    QVERIFY(!p->phraseBox->isVisible());

    // A new phrase goes to the category chosen when it is saved.
    p->addButton->click();
    QCOMPARE(p->phraseBox->text(), u"擅长书法和绘画"_s);   // the editor is not emptied
    p->phraseBox->setText(u"遵守纪律"_s);
    choose(p->phraseKindCombo, u"尊纪守法方面"_s);
    p->updateButton->click();
    QCOMPARE(s.school.value(uR"(select "类别" from "班主任" where "内容"='遵守纪律')"_s).toString(), u"5"_s);
    QCOMPARE(s.school.value(uR"(select "其它" from "班主任" where "内容"='遵守纪律')"_s).toString(), u"操行评定"_s);
    s.school.closeDb();
    QCOMPARE(gridColumn(p->phraseGrid, 1), QStringList{u"遵守纪律"_s});

    // Delete acts on the picked phrase, which was not appended.
    clickCell(p->phraseGrid, 1, 0);
    c.h.responder.answer(true);
    p->deleteButton->click();
    QCOMPARE(c.h.responder.last().text, u"确实要删除(遵守纪律...)内容吗?"_s);
    QCOMPARE(p->phraseGrid->Rows(), 1);
    QCOMPARE(c.w->evaluationBox->toPlainText(), u"该生爱好体育擅长书法"_s);
}

void TestConductWindow::hidingThePanelEndsTheMode()
{
    School s;
    Conduct c(s, QDate(2005, 10, 15));
    c.chooseClass(u"一班"_s);
    c.signIn(u"111"_s);
    c.w->openPhrasesButton->click();
    records::PhrasePanel *p = c.w->phrasesFrame;
    p->addButton->click();
    QVERIFY(!c.w->mainPanel->isEnabled());
    p->phraseBox->setText(u"不要了"_s);
    // The typed phrase is asked about: Cancel keeps the panel adding, No drops it.
    c.h.responder.answer(Answer::Cancel);
    c.w->closePhrasesButton->click();
    QCOMPARE(c.h.responder.texts(), QStringList{u"评语还没有保存，要先保存吗?"_s});
    QVERIFY(c.w->isPhrasePanelShown());
    QVERIFY(p->editor()->inMode());
    c.h.responder.answer(Answer::No);
    c.w->closePhrasesButton->click();
    QVERIFY(!c.w->isPhrasePanelShown());
    QVERIFY(!p->editor()->inMode());
    QVERIFY(c.w->mainPanel->isEnabled());
    QVERIFY(c.w->openPhrasesButton->isEnabled());
    QCOMPARE(s.school.count(uR"(select count(*) from "班主任")"_s), 0);
    s.school.closeDb();
    c.w->openPhrasesButton->click();
    QVERIFY(c.w->isPhrasePanelShown());
}

void TestConductWindow::leavingTheTypedTextAsks_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("navigator") << 0;
    QTest::newRow("another evaluation") << 1;
    QTest::newRow("another class") << 2;
    QTest::newRow("grade group") << 3;
    QTest::newRow("creating an evaluation") << 4;
    QTest::newRow("closing") << 5;
}

// Every step that shows another text asks first: Cancel keeps the student, the
// evaluation, the class and the typed text; No drops the text and goes on.
void TestConductWindow::leavingTheTypedTextAsks()
{
    QFETCH(int, step);
    School s;
    s.school.addEvaluationColumn(u"初中"_s, u"P04S041015"_s);
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.setScore(u"初中"_s, s.li, u"P05S051015"_s, u"已有评定"_s);
    s.school.closeDb();
    Conduct c(s, QDate(2005, 10, 15));
    c.evaluate();
    QCOMPARE(c.w->studentNameBox->text(), u"张三"_s);
    c.w->evaluationBox->setFocus();
    typeKeys(c.w->evaluationBox, u"好学生"_s);
    const auto run = [&] {
        switch (step) {
        case 0:
            c.w->studentData->MoveNext();
            break;
        case 1:
            choose(c.w->evaluationCombo, u"初二一班04-05上学年操行评定"_s);
            break;
        case 2:
            choose(c.w->classCombo, u"二班"_s);
            break;
        case 3:
            choose(c.w->gradeGroupCombo, kGrade);
            break;
        case 4:
            c.w->createButton->click();
            c.w->confirmCreateButton->click();
            break;
        case 5:
            CloseWindow(c.w);
            break;
        }
    };
    const QString question = u"张三的评定内容还没有保存，要先保存吗?"_s;
    c.h.responder.clear();
    c.h.responder.answer(Answer::Cancel);
    run();
    QCOMPARE(c.h.responder.texts(), QStringList{question});
    QVERIFY(c.h.responder.last().hasCancel);
    QVERIFY(c.h.isOpen(kConductWindow));
    QCOMPARE(c.w->evaluationBox->toPlainText(), u"好学生"_s);
    QCOMPARE(c.w->studentNameBox->text(), u"张三"_s);
    QCOMPARE(c.w->studentData->Caption(), u"共2人 第1人"_s);
    QCOMPARE(c.w->evaluationCombo->currentText(), u"初二一班05-06上学年操行评定"_s);
    QCOMPARE(c.w->gridHeading->text(), u"初二一班05-06上学年操行评定"_s);
    QCOMPARE(c.w->classCombo->currentText(), u"一班"_s);
    QCOMPARE(c.w->students().size(), 2);

    c.h.responder.clear();
    c.h.responder.answer(Answer::No);
    run();
    QCOMPARE(c.h.responder.texts().first(), question);
    if (step == 5)
        QTRY_VERIFY(!c.h.isOpen(kConductWindow));
    else
        QVERIFY(c.w->evaluationBox->toPlainText() != u"好学生"_s);
    QVERIFY(s.school.value(uR"(select "P05S051015" from "初中" where "ID"=?)"_s, {s.zhang}).isNull());
    s.school.closeDb();
}

void TestConductWindow::yesSavesBeforeTheMove()
{
    School s;
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.closeDb();
    Conduct c(s, QDate(2005, 10, 15));
    c.evaluate();
    c.type(u"好学生"_s);
    c.h.responder.answer(Answer::Yes);
    c.w->studentData->MoveNext();
    QCOMPARE(s.school.value(uR"(select "P05S051015" from "初中" where "ID"=?)"_s, {s.zhang}).toString(), u"好学生"_s);
    s.school.closeDb();
    QCOMPARE(c.w->studentNameBox->text(), u"李四"_s);
    QCOMPARE(c.w->studentGrid->TextMatrix(1, 3), u"好学生"_s);

    // A save refused after signing out keeps the student and the text.
    c.w->signInButton->click();
    c.type(u"也好"_s);
    c.h.responder.clear();
    c.h.responder.answer(Answer::Yes);
    c.w->studentData->MovePrevious();
    QCOMPARE(c.h.responder.texts(), (QStringList{u"李四的评定内容还没有保存，要先保存吗?"_s,
                                                 u"如果您是班主任，请先登陆，然后再做相应的工作。"_s}));
    QCOMPARE(c.w->studentNameBox->text(), u"李四"_s);
    QCOMPARE(c.w->evaluationBox->toPlainText(), u"也好"_s);
}

void TestConductWindow::shot()
{
    ProgramFontScope font;
    School s;
    s.school.addEvaluationColumn(u"初中"_s, u"P05S051015"_s);
    s.school.setScore(u"初中"_s, s.li, u"P05S051015"_s, u"团结同学，热爱劳动，学习认真。"_s);
    QVERIFY(records::insertDocument(s.school.db(), u"1"_s, u"热爱祖国，关心集体。"_s, u"操行评定"_s).ok);
    s.school.closeDb();
    Conduct c(s, QDate(2005, 10, 15));
    c.evaluate();
    c.moveTo(1);
    QCoreApplication::processEvents();
    saveShot(c.w->grab().toImage(), u"conduct_window"_s);
    c.w->openPhrasesButton->click();
    QCoreApplication::processEvents();
    saveShot(c.w->grab().toImage(), u"conduct_window_phrases"_s);
    c.w->createButton->click();
    QCoreApplication::processEvents();
    saveShot(c.w->grab().toImage(), u"conduct_window_creation"_s);
    QVERIFY(c.w->evaluationCombo->width() > c.w->evaluationCombo->fontMetrics().horizontalAdvance(c.w->evaluationCombo->currentText()));
}

QTEST_MAIN(TestConductWindow)
#include "tst_conduct_window.moc"
