// 年初工作计划 and 年终工作总结: a class's plans (summaries) of the window's section,
// creating the one of today's half year, opening by list position, saving into
// the open row only, the unsaved-changes question, sign-in and printing.
#include "fixtures/busy_timeout_scope.h"
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/database_unavailable.h"
#include "kit/text_box.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "records/class_document_window.h"
#include "records/head_teacher_documents.h"
#include "shell/print_page.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kJunior = u"初二年级组"_s;
const QString kSenior = u"高二年级组"_s;
const QString kPrimary = u"二年级组"_s;
const QString kQuestion = u"保存你刚才修改的工作计划内容吗?"_s;

// In the school year 2005-06 初二一班, 高二一班 and 二年级一班 are all of cohort
// 2004 and share the class code 200401. 初二三班 has no head teacher.
struct School {
    TestSchool school;
    School()
    {
        school.addGradeGroup(u"初一年级组"_s);
        school.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s, u"111"_s);
        school.addGradeGroup(kJunior);
        school.addClass(kJunior, u"一班"_s, u"王老师"_s, u"111"_s);
        school.addClass(kJunior, u"二班"_s, u"李老师"_s, u"222"_s);
        school.addClass(kJunior, u"三班"_s);
        school.addGradeGroup(kSenior);
        school.addClass(kSenior, u"一班"_s, u"赵老师"_s, u"333"_s);
        school.addGradeGroup(kPrimary);
        school.addClass(kPrimary, u"一班"_s, u"孙老师"_s, u"444"_s);
        school.closeDb();
    }
    qint64 add(const QString &kind, const QString &name, const QString &text)
    {
        const records::InsertOutcome r = records::insertDocument(school.db(), kind, text, name);
        school.closeDb();
        return r.id;
    }
    QString text(qint64 id)
    {
        const QString t = school.value(uR"(select "内容" from "班主任" where "ID"=?)"_s, {id}).toString();
        school.closeDb();
        return t;
    }
    QStringList rows()
    {
        const QStringList all = school.dump(u"班主任"_s);
        school.closeDb();
        return all;
    }
};

struct Docs {
    WindowHarness h;
    ClassDocumentWindow *w = nullptr;
    Docs(School &s, QDate today, QStringView name = kPlanWindow) : h(s.school, {.today = today})
    {
        w = h.open<ClassDocumentWindow>(name);
        QVERIFY(w);
    }
    void chooseClass(const QString &grade, const QString &klass)
    {
        choose(w->gradeGroupCombo, grade);
        choose(w->classCombo, klass);
    }
    void signIn(const QString &password) { QVERIFY(signInThrough(w->signInButton, password)); }
    // Creates today's document, answering the question with yes.
    void create()
    {
        h.responder.answer(true);
        w->createButton->click();
    }
    // Types at the end of the editor's text.
    void type(const QString &text)
    {
        w->documentBox->moveCursor(QTextCursor::End);
        typeKeys(w->documentBox, text);
    }
};

} // namespace

class TestClassDocumentWindow : public QObject {
    Q_OBJECT

private slots:
    void classChoiceAndSignIn();
    void classWithoutHeadTeacherIsNeverSignedIn();
    void creation_data();
    void creation();
    void duplicateOfThisSection();
    void unsavedQuestion();
    void blockedSaveKeepsTheText();
    void twoComputersEditOnePlan();
    void everyEditMarksUnsaved_data();
    void everyEditMarksUnsaved();
    void entryOpensTheRowItNames();
    void sectionsKeepTheirOwnPlans();
    void saveNeedsAnOpenDocument();
    void printHandsOverTheEditor();
    void summaryWindow();
    void databaseThatCannotBeOpened();
    void dataErrorsNameTheWindow_data();
    void dataErrorsNameTheWindow();
    void closingAsksAboutUnsavedText();
    void signInElsewhereKeepsTheText();
    void shot();
};

void TestClassDocumentWindow::classChoiceAndSignIn()
{
    School s;
    WindowHarness h(s.school, {.today = QDate(2005, 10, 15)});
    h.trigger(u"nianchu"_s);
    auto *w = h.openWindow<PlanWindow>(kPlanWindow);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), u"班主任年初工作计划"_s);
    QCOMPARE(w->statusLabel->text(), u"提示：请选择年级组、班级，并且在班主任登陆后，方可操作。"_s);
    QCOMPARE(itemTexts(w->gradeGroupCombo), (QStringList{u"初一年级组"_s, kJunior, kSenior, kPrimary}));
    QVERIFY(!w->editorPanel->isEnabled());
    QVERIFY(w->documentBox->isReadOnly());

    choose(w->gradeGroupCombo, kJunior);
    QCOMPARE(w->titleLabel->text(), kJunior);
    QCOMPARE(itemTexts(w->headTeacherCombo), (QStringList{u"王老师"_s, u"李老师"_s, QString()}));
    choose(w->classCombo, u"一班"_s);
    QCOMPARE(w->headTeacherCombo->currentText(), u"王老师"_s);
    QCOMPARE(w->titleLabel->text(), u"初二一班工作计划   班主任:王老师"_s);
    QCOMPARE(w->statusLabel->text(), u"班主任任(王老师)没有登陆，还不可以进行本班工作计划。"_s);
    QVERIFY(!w->editorPanel->isEnabled());

    QVERIFY(signInThrough(w->signInButton, u"111"_s));
    QCOMPARE(w->signInButton->text(), u"退出登陆 修改(&K)"_s);
    QCOMPARE(w->statusLabel->text(), u"班主任(王老师)已经登陆，可以进行本班工作计划了。"_s);
    QVERIFY(w->editorPanel->isEnabled());
    QVERIFY(!w->documentBox->isReadOnly());

    // Choosing a head teacher chooses the class at the same position.
    choose(w->headTeacherCombo, u"李老师"_s);
    QCOMPARE(w->classCombo->currentText(), u"二班"_s);
    QCOMPARE(w->context()->toggle()->ownAccount().name, u"李老师"_s);
    QVERIFY(!w->editorPanel->isEnabled());
    choose(w->headTeacherCombo, u"王老师"_s);
    QVERIFY(w->editorPanel->isEnabled());

    typeKeys(w->documentBox, u"草稿"_s);
    w->signInButton->click();
    QCOMPARE(w->statusLabel->text(), u"班主任(王老师)退出了登陆，不可以进行本班工作计划了。"_s);
    QVERIFY(h.session().denglu.isEmpty());
    QVERIFY(!w->editorPanel->isEnabled());
    QVERIFY(w->documentBox->isReadOnly());
    QCOMPARE(w->documentBox->toPlainText(), u"草稿"_s);
    QVERIFY(w->hasUnsavedChanges());
}

void TestClassDocumentWindow::classWithoutHeadTeacherIsNeverSignedIn()
{
    School s;
    Docs d(s, QDate(2005, 10, 15));
    QVERIFY(d.h.session().denglu.isEmpty());
    d.chooseClass(kJunior, u"三班"_s);
    QCOMPARE(d.w->signInButton->text(), u"班主任登陆 修改(&K)"_s);
    QVERIFY(!d.w->editorPanel->isEnabled());
    QCOMPARE(d.w->statusLabel->text(), u"班主任任()没有登陆，还不可以进行本班工作计划。"_s);
    QVERIFY(!signInThrough(d.w->signInButton, QString()));
    QCOMPARE(d.h.responder.texts(), QStringList{u"班主任还没定密码,请教导处添加,才能修改。"_s});
    QVERIFY(!d.w->editorPanel->isEnabled());
}

void TestClassDocumentWindow::creation_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    const QString first = u"04-05初一一班上学年工作计划"_s;
    const QString second = u"04-05初一一班下学年工作计划"_s;
    QTest::newRow("October") << QDate(2004, 10, 15) << u"J200401S"_s << first;
    QTest::newRow("January") << QDate(2005, 1, 20) << u"J200401S"_s << first;
    QTest::newRow("end of February") << QDate(2005, 2, 28) << u"J200401S"_s << first;
    QTest::newRow("March") << QDate(2005, 3, 1) << u"J200401X"_s << second;
    QTest::newRow("end of July") << QDate(2005, 7, 31) << u"J200401X"_s << second;
    QTest::newRow("August") << QDate(2005, 8, 1) << u"J200401S"_s << u"05-06初一一班上学年工作计划"_s;
}

void TestClassDocumentWindow::creation()
{
    QFETCH(QDate, today);
    QFETCH(QString, kind);
    QFETCH(QString, name);
    School s;
    Docs d(s, today);
    d.chooseClass(u"初一年级组"_s, u"一班"_s);
    d.signIn(u"111"_s);
    QCOMPARE(d.w->documentCombo->count(), 0);
    d.type(u"一、指导思想"_s);
    d.h.responder.clear();
    d.create();
    // The new document holds the typed text: its opening asks nothing more.
    QCOMPARE(d.h.responder.texts(),
             QStringList{u"　　尊敬的王老师,您确实要新创建一个名称为 \r（"_s + name + u"）的工作计划吗?"_s});
    QCOMPARE(d.h.responder.shown().first().title, u"提示……"_s);
    QCOMPARE(d.w->newKindBox->text(), kind);
    QCOMPARE(d.w->newDocumentBox->text(), QString());   // emptied by the opening
    QCOMPARE(s.rows(), QStringList{u"1|"_s + kind + u"|一、指导思想|"_s + name});
    // The new document is the last entry and the open one.
    QCOMPARE(itemTexts(d.w->documentCombo), QStringList{name});
    QCOMPARE(d.w->documentCombo->currentIndex(), 0);
    QCOMPARE(d.w->openDocument(), std::optional<qint64>(1));
    QVERIFY(!d.w->hasUnsavedChanges());
    QCOMPARE(d.w->titleLabel->text(), name + u"     班主任:王老师"_s);

    // Declined: nothing added, the boxes keep the proposal.
    d.h.responder.answer(false);
    s.school.db().exec(uR"(delete from "班主任")"_s);
    s.school.closeDb();
    d.w->createButton->click();
    QCOMPARE(s.rows(), QStringList());
    QCOMPARE(d.w->newDocumentBox->text(), name);
    QCOMPARE(d.w->newKindBox->text(), kind);
}

void TestClassDocumentWindow::duplicateOfThisSection()
{
    School s;
    // Written a year ago, when the class was 初一: the same kind code.
    const qint64 old = s.add(u"J200401S"_s, u"04-05初一一班上学年工作计划"_s, u"旧计划"_s);
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    d.type(u"新的想法"_s);
    d.h.responder.clear();
    d.w->createButton->click();
    QCOMPARE(d.h.responder.texts(),
             QStringList{u"　　尊敬的王老师,您要添加的（05-06初二一班上学年工作计划） \r已经存在了,直接选中它进行修改即可。"_s});
    QCOMPARE(d.h.responder.last().title, kProgramTitle);
    QCOMPARE(s.rows().size(), 1);
    // Not loaded, and not opened: a save cannot put the editor's text into it unseen.
    QCOMPARE(d.w->documentBox->toPlainText(), u"新的想法"_s);
    QCOMPARE(d.w->openDocument(), std::nullopt);
    d.w->saveButton->click();
    QCOMPARE(s.text(old), u"旧计划"_s);
    // Opened from the list as the message says.
    d.h.responder.answer(false);
    choose(d.w->documentCombo, u"04-05初一一班上学年工作计划"_s);
    QCOMPARE(d.w->documentBox->toPlainText(), u"旧计划"_s);
    QCOMPARE(d.w->openDocument(), std::optional(old));
}

void TestClassDocumentWindow::unsavedQuestion()
{
    School s;
    const qint64 first = s.add(u"J200401S"_s, u"05-06初二一班上学年工作计划"_s, u"上学期"_s);
    const qint64 second = s.add(u"J200401X"_s, u"05-06初二一班下学年工作计划"_s, u"下学期"_s);
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    QCOMPARE(d.w->documentBox->toPlainText(), u"上学期"_s);
    d.h.responder.clear();

    // No: nothing saved, and every further choice asks again.
    d.type(u"补充"_s);
    d.h.responder.answer(false);
    choose(d.w->classCombo, u"二班"_s);
    QVERIFY(d.w->documentBox->toPlainText().isEmpty());
    d.h.responder.answer(false);
    choose(d.w->headTeacherCombo, u"王老师"_s);
    d.h.responder.answer(false);
    choose(d.w->gradeGroupCombo, kJunior);
    QCOMPARE(d.h.responder.texts(), QStringList(3, kQuestion));
    QCOMPARE(d.h.responder.last().title, u"提示……"_s);
    QCOMPARE(s.text(first), u"上学期"_s);

    // Opening a document settles it: the next choice asks nothing.
    choose(d.w->classCombo, u"一班"_s);   // asked a fourth time
    choose(d.w->documentCombo, u"05-06初二一班下学年工作计划"_s);   // a fifth
    QCOMPARE(d.h.responder.texts().size(), 5);
    QVERIFY(!d.w->hasUnsavedChanges());
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    QCOMPARE(d.h.responder.texts().size(), 5);

    // Yes saves into the document open before the choice, then the choice goes on.
    d.type(u"，已改"_s);
    d.h.responder.answer(true);
    choose(d.w->documentCombo, u"05-06初二一班下学年工作计划"_s);
    QCOMPARE(s.text(first), u"上学期，已改"_s);
    QCOMPARE(s.text(second), u"下学期"_s);
    QCOMPARE(d.w->documentBox->toPlainText(), u"下学期"_s);
    QVERIFY(!d.w->hasUnsavedChanges());

    // A save settles it too.
    d.type(u"。"_s);
    d.w->saveButton->click();
    QCOMPARE(s.text(second), u"下学期。"_s);
    d.h.responder.clear();
    choose(d.w->classCombo, u"二班"_s);
    QVERIFY(d.h.responder.shown().isEmpty());
}

void TestClassDocumentWindow::blockedSaveKeepsTheText()
{
    const BusyTimeoutScope failFast(50);   // the lock is held throughout: fail fast
    School s;
    const qint64 first = s.add(u"J200401S"_s, u"05-06初二一班上学年工作计划"_s, u"上学期"_s);
    s.add(u"J200401X"_s, u"05-06初二一班下学年工作计划"_s, u"下学期"_s);
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    d.type(u"，改了"_s);
    // Another computer holds the write lock: Yes cannot save, so the choice waits.
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(u"begin immediate"_s));
    d.h.responder.clear();
    d.h.responder.answer(true);
    choose(d.w->documentCombo, u"05-06初二一班下学年工作计划"_s);
    QVERIFY(other.exec(u"rollback"_s));
    QCOMPARE(d.h.responder.texts(),
             (QStringList{kQuestion, u"工作计划没有保存：数据库正被其他用户使用，暂时不能读写，请稍后再试。"_s}));
    QCOMPARE(d.w->documentBox->toPlainText(), u"上学期，改了"_s);
    QCOMPARE(d.w->openDocument(), std::optional(first));
    QCOMPARE(d.w->documentCombo->currentText(), u"05-06初二一班上学年工作计划"_s);
    QVERIFY(d.w->hasUnsavedChanges());
    d.w->saveButton->click();
    QCOMPARE(s.text(first), u"上学期，改了"_s);
}

void TestClassDocumentWindow::everyEditMarksUnsaved_data()
{
    QTest::addColumn<int>("edit");
    QTest::newRow("typed key") << 0;
    QTest::newRow("Delete key") << 1;
    QTest::newRow("cut") << 2;
    QTest::newRow("paste") << 3;
    QTest::newRow("context menu") << 4;
    QTest::newRow("undo") << 5;
}

void TestClassDocumentWindow::everyEditMarksUnsaved()
{
    QFETCH(int, edit);
    School s;
    s.add(u"J200401S"_s, u"05-06初二一班上学年工作计划"_s, u"原文"_s);
    s.add(u"J200401X"_s, u"05-06初二一班下学年工作计划"_s, u"另一篇"_s);
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    QVERIFY(!d.w->hasUnsavedChanges());
    QPlainTextEdit *t = d.w->documentBox;
    t->setFocus();
    t->moveCursor(QTextCursor::Start);
    switch (edit) {
    case 0:
        QTest::keyClick(t, Qt::Key_A);
        break;
    case 1:
        QTest::keyClick(t, Qt::Key_Delete);
        break;
    case 2:
        t->selectAll();
        QTest::keySequence(t, QKeySequence::Cut);
        break;
    case 3:
        QGuiApplication::clipboard()->setText(u"粘贴的"_s);
        QTest::keySequence(t, QKeySequence::Paste);
        break;
    case 4: {
        t->selectAll();
        std::unique_ptr<QMenu> menu(t->createStandardContextMenu());
        auto *remove = menu->findChild<QAction *>(u"edit-delete"_s);
        QVERIFY(remove && remove->isEnabled());
        remove->trigger();
        break;
    }
    case 5:
        QTest::keyClick(t, Qt::Key_Delete);
        d.w->saveButton->click();
        QVERIFY(!d.w->hasUnsavedChanges());
        QTest::keySequence(t, QKeySequence::Undo);
        break;
    }
    if (edit != 5)
        QVERIFY(t->toPlainText() != u"原文"_s);
    QVERIFY(d.w->hasUnsavedChanges());
    d.h.responder.clear();
    choose(d.w->documentCombo, u"05-06初二一班下学年工作计划"_s);
    QCOMPARE(d.h.responder.texts(), QStringList{kQuestion});
}

void TestClassDocumentWindow::twoComputersEditOnePlan()
{
    School s;
    const qint64 id = s.add(u"J200401S"_s, u"05-06初二一班上学年工作计划"_s, u"上学期"_s);
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    // This window's own saves follow each other.
    d.type(u"一"_s);
    d.w->saveButton->click();
    d.type(u"二"_s);
    d.w->saveButton->click();
    QCOMPARE(s.text(id), u"上学期一二"_s);

    // Another computer saves the plan after this window's last save.
    QVERIFY(s.school.db().exec(uR"(update "班主任" set "内容"='别处的' where "ID"=?)"_s, {id}));
    s.school.closeDb();
    d.h.responder.clear();
    d.type(u"三"_s);
    d.w->saveButton->click();
    QCOMPARE(d.h.responder.shown().size(), 1);
    QVERIFY2(d.h.responder.last().text.contains(
                 u"工作计划(05-06初二一班上学年工作计划)在您读出之后已被其他电脑修改"_s),
             qPrintable(d.h.responder.last().text));
    QCOMPARE(s.text(id), u"别处的"_s);
    QCOMPARE(d.w->documentBox->toPlainText(), u"上学期一二三"_s);
    QVERIFY(d.w->hasUnsavedChanges());
}

void TestClassDocumentWindow::entryOpensTheRowItNames()
{
    School s;
    // The query returns a senior plan first and between the junior ones.
    s.add(u"J200401S"_s, u"05-06高二一班上学年工作计划"_s, u"高中上"_s);
    s.add(u"J200401S"_s, u"04-05初一一班上学年工作计划"_s, u"初中上"_s);
    s.add(u"J200401X"_s, u"05-06高二一班下学年工作计划"_s, u"高中下"_s);
    const qint64 juniorSecond = s.add(u"J200401X"_s, u"04-05初一一班下学年工作计划"_s, u"初中下"_s);
    s.add(u"G200401S"_s, u"04-05初一一班上学年工作总结"_s, u"总结"_s);
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    QCOMPARE(itemTexts(d.w->documentCombo), (QStringList{u"04-05初一一班上学年工作计划"_s, u"04-05初一一班下学年工作计划"_s}));
    QCOMPARE(d.w->documentCombo->currentIndex(), -1);
    choose(d.w->documentCombo, u"04-05初一一班下学年工作计划"_s);
    QCOMPARE(d.w->documentBox->toPlainText(), u"初中下"_s);
    QCOMPARE(d.w->openDocument(), std::optional(juniorSecond));
    QCOMPARE(d.w->titleLabel->text(), u"04-05初一一班下学年工作计划     班主任:王老师"_s);
    d.type(u"，补"_s);
    d.w->saveButton->click();
    QCOMPARE(s.text(juniorSecond), u"初中下，补"_s);
    QCOMPARE(s.school.count(uR"(select count(*) from "班主任" where "内容" like '%补')"_s), 1);
    s.school.closeDb();
}

void TestClassDocumentWindow::sectionsKeepTheirOwnPlans()
{
    School s;
    Docs d(s, QDate(2005, 10, 15));
    d.h.signIn(u"赵老师"_s);
    d.chooseClass(kSenior, u"一班"_s);
    d.type(u"高中的计划"_s);
    d.create();
    QCOMPARE(itemTexts(d.w->documentCombo), QStringList{u"05-06高二一班上学年工作计划"_s});

    // The junior class of the same class code gets a plan of its own.
    d.h.signIn(u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    QCOMPARE(d.w->documentCombo->count(), 0);
    d.type(u"初中的计划"_s);
    d.h.responder.clear();
    d.create();
    QVERIFY(d.h.responder.shown().first().isQuestion);   // no duplicate
    QCOMPARE(itemTexts(d.w->documentCombo), QStringList{u"05-06初二一班上学年工作计划"_s});

    // So does the primary class: neither plan is listed there.
    d.h.signIn(u"孙老师"_s);
    d.chooseClass(kPrimary, u"一班"_s);
    QCOMPARE(d.w->documentCombo->count(), 0);
    d.type(u"小学的计划"_s);
    d.create();
    QCOMPARE(s.rows(), (QStringList{u"1|J200401S|高中的计划|05-06高二一班上学年工作计划"_s,
                                    u"2|J200401S|初中的计划|05-06初二一班上学年工作计划"_s,
                                    u"3|J200401S|小学的计划|05-06二年一班上学年工作计划"_s}));

    // Saving the junior plan changes it alone.
    d.h.signIn(u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    QCOMPARE(d.w->documentBox->toPlainText(), u"初中的计划"_s);
    d.type(u"（修改）"_s);
    d.w->saveButton->click();
    QCOMPARE(s.rows(), (QStringList{u"1|J200401S|高中的计划|05-06高二一班上学年工作计划"_s,
                                    u"2|J200401S|初中的计划（修改）|05-06初二一班上学年工作计划"_s,
                                    u"3|J200401S|小学的计划|05-06二年一班上学年工作计划"_s}));
}

void TestClassDocumentWindow::saveNeedsAnOpenDocument()
{
    School s;
    s.add(u"J200401S"_s, u"05-06初二一班上学年工作计划"_s, u"原文"_s);
    const QStringList stored = s.rows();
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    d.type(u"没有打开文档"_s);
    d.w->saveButton->click();
    QCOMPARE(s.rows(), stored);
    QVERIFY(d.h.responder.shown().isEmpty());

    // After a new grade group the open document is closed, and creating waits for a class.
    d.h.responder.answer(false);
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    choose(d.w->gradeGroupCombo, kSenior);
    QVERIFY(d.w->editorPanel->isEnabled());   // the sign-in is kept
    QCOMPARE(d.w->openDocument(), std::nullopt);
    d.type(u"换了年级组"_s);
    d.w->saveButton->click();
    d.h.responder.clear();
    d.w->createButton->click();
    QCOMPARE(d.h.responder.texts(), QStringList{u"请至少选择一个班级。"_s});
    QCOMPARE(s.rows(), stored);
}

void TestClassDocumentWindow::printHandsOverTheEditor()
{
    School s;
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    d.type(u"第一条"_s);
    QTest::keyClick(d.w->documentBox, Qt::Key_Return);
    d.type(u"第二条"_s);
    d.w->printButton->click();
    auto *page = d.h.openWindow<PrintPage>(kPrintPage);
    QVERIFY(page);
    QCOMPARE(page->wenben, u"初二一班工作计划\r\n   班主任:王老师\r\n第一条\r\n第二条"_s);
}

void TestClassDocumentWindow::summaryWindow()
{
    School s;
    const qint64 earlier = s.add(u"G200401X"_s, u"04-05初一一班下学年工作总结"_s, u"去年的总结"_s);
    s.add(u"J200401X"_s, u"04-05初一一班下学年工作计划"_s, u"计划"_s);
    WindowHarness h(s.school, {.today = QDate(2006, 4, 20)});
    h.trigger(u"nianzhong"_s);
    auto *w = h.openWindow<SummaryWindow>(kSummaryWindow);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), u"班主任年终工作总结"_s);
    QCOMPARE(w->statusLabel->text(), u"提示：请选择年级组、班级，然后班主任登陆，才可编写工作总结。"_s);
    QCOMPARE(w->editorHeading->text(), u"========班主任编辑工作总结========"_s);
    choose(w->gradeGroupCombo, kJunior);
    choose(w->classCombo, u"一班"_s);
    QCOMPARE(w->statusLabel->text(), u"班主任任(王老师)没有登陆，还不可以进行本班工作总结。"_s);

    // Read before signing in: the list is usable, the editor is not.
    QVERIFY(!w->editorPanel->isEnabled());
    QVERIFY(w->documentCombo->isEnabled());
    QCOMPARE(itemTexts(w->documentCombo), QStringList{u"04-05初一一班下学年工作总结"_s});
    choose(w->documentCombo, u"04-05初一一班下学年工作总结"_s);
    QCOMPARE(w->documentBox->toPlainText(), u"去年的总结"_s);
    QVERIFY(w->documentBox->isReadOnly());

    QVERIFY(signInThrough(w->signInButton, u"111"_s));
    QCOMPARE(w->statusLabel->text(), u"班主任(王老师)已经登陆，可以进行本班工作总结了。"_s);
    h.responder.clear();
    w->createButton->click();
    QCOMPARE(h.responder.texts(),
             QStringList{u"　　尊敬的王老师,您要添加的（05-06初二一班下学年工作总结）\r已经存在了,直接选中它进行修改即可。"_s});

    // The next school year's first half is new.
    h.session().today = [] { return QDate(2006, 9, 5); };
    choose(w->gradeGroupCombo, kJunior);
    choose(w->classCombo, u"一班"_s);   // 初二一班 is of cohort 2005 now
    QVERIFY(w->editorPanel->isEnabled());
    h.responder.clear();
    h.responder.answer(true);
    w->createButton->click();
    QCOMPARE(h.responder.texts(),
             QStringList{u"　　尊敬的王老师,您确实要新创建一个名称为 \r（06-07初二一班上学年工作总结）的工作总结吗?"_s});
    QCOMPARE(w->newKindBox->text(), u"G200501S"_s);
    QCOMPARE(s.text(earlier), u"去年的总结"_s);
    QCOMPARE(s.rows().size(), 3);
}

void TestClassDocumentWindow::databaseThatCannotBeOpened()
{
    School s;
    WindowHarness h(s.school);
    h.session().openpath = s.school.file(u"missing.mdb"_s);
    int quits = 0;
    h.main.setQuitHandler([&] { ++quits; });
    h.responder.answer(true);
    h.trigger(u"nianchu"_s);
    auto *w = h.openWindow<PlanWindow>(kPlanWindow);
    QVERIFY(w);
    QCOMPARE(h.responder.texts(), QStringList{databaseUnavailableText(false)});
    QCOMPARE(quits, 0);
    QCOMPARE(w->gradeGroupCombo->count(), 0);
}

void TestClassDocumentWindow::dataErrorsNameTheWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("plan") << QString::fromUtf16(kPlanWindow) << u"数据错误提示："_s;
    QTest::newRow("summary") << QString::fromUtf16(kSummaryWindow) << u"数据错误事件命中错误："_s;
}

void TestClassDocumentWindow::dataErrorsNameTheWindow()
{
    QFETCH(QString, name);
    QFETCH(QString, prefix);
    School s;
    Docs d(s, QDate(2005, 10, 15), name);
    choose(d.w->gradeGroupCombo, kJunior);
    // The documents' table is gone when the class's documents are read.
    QVERIFY(s.school.db().exec(uR"(drop table "班主任")"_s));
    s.school.closeDb();
    d.h.responder.clear();
    choose(d.w->classCombo, u"一班"_s);
    QCOMPARE(d.h.responder.shown().size(), 1);
    const QString text = d.h.responder.last().text;
    QVERIFY2(text.startsWith(prefix) && text.size() > prefix.size(), qPrintable(text));
}

void TestClassDocumentWindow::closingAsksAboutUnsavedText()
{
    School s;
    const qint64 first = s.add(u"J200401S"_s, u"05-06初二一班上学年工作计划"_s, u"上学期"_s);
    const QStringList stored = s.rows();
    Docs d(s, QDate(2005, 10, 15));
    int quits = 0;
    d.h.main.setQuitHandler([&] { ++quits; });
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    d.type(u"，补充"_s);

    // Cancel stays with the text, after 关闭 as at the program's end.
    d.h.responder.clear();
    d.h.responder.answer(Answer::Cancel);
    d.w->closeButton->click();
    d.h.responder.answer(Answer::Cancel);
    d.h.trigger(u"tuichu"_s);
    QCOMPARE(d.h.responder.texts(), QStringList(2, kQuestion));
    QVERIFY(d.h.responder.last().hasCancel);
    QCOMPARE(quits, 0);
    QVERIFY(d.h.isOpen(kPlanWindow));
    QCOMPARE(d.w->documentBox->toPlainText(), u"上学期，补充"_s);
    QCOMPARE(s.rows(), stored);

    // Yes saves into the open plan, then the window closes.
    d.h.responder.answer(Answer::Yes);
    d.w->closeButton->click();
    QTRY_VERIFY(!d.h.isOpen(kPlanWindow));
    QCOMPARE(s.text(first), u"上学期，补充"_s);

    // Typed with no plan open: Yes says there is nowhere to save and stays; No drops it.
    d.w = d.h.open<ClassDocumentWindow>(kPlanWindow);
    d.chooseClass(kJunior, u"一班"_s);
    d.type(u"新的计划"_s);
    d.h.responder.clear();
    d.h.responder.answer(Answer::Yes);
    d.w->closeButton->click();
    QCOMPARE(d.h.responder.texts(),
             (QStringList{kQuestion, u"没有打开的工作计划，内容无处保存。请先选择或创建工作计划。"_s}));
    QVERIFY(d.h.isOpen(kPlanWindow));
    d.h.responder.answer(Answer::No);
    d.w->closeButton->click();
    QTRY_VERIFY(!d.h.isOpen(kPlanWindow));
    QCOMPARE(s.rows().size(), 1);
    QCOMPARE(s.text(first), u"上学期，补充"_s);
}

// Another account signs in while the plan is typed: closing cannot save it
// without the head teacher; signed in again, it saves.
void TestClassDocumentWindow::signInElsewhereKeepsTheText()
{
    School s;
    const qint64 first = s.add(u"J200401S"_s, u"05-06初二一班上学年工作计划"_s, u"上学期"_s);
    const QStringList stored = s.rows();
    Docs d(s, QDate(2005, 10, 15));
    d.chooseClass(kJunior, u"一班"_s);
    d.signIn(u"111"_s);
    choose(d.w->documentCombo, u"05-06初二一班上学年工作计划"_s);
    d.type(u"，补充"_s);

    QVERIFY(signInElsewhere(d.h.main, u"李老师"_s, u"222"_s));
    QCOMPARE(d.w->signInButton->text(), u"班主任登陆 修改(&K)"_s);
    d.h.responder.clear();
    d.h.responder.answer(Answer::Yes);
    CloseWindow(d.w);
    QCOMPARE(d.h.responder.texts(),
             (QStringList{kQuestion, u"班主任(王老师)没有登陆，修改没有保存。请登陆后再保存。"_s}));
    QVERIFY(d.h.isOpen(kPlanWindow));
    QCOMPARE(s.rows(), stored);
    QCOMPARE(d.w->documentBox->toPlainText(), u"上学期，补充"_s);

    d.signIn(u"111"_s);
    d.w->saveButton->click();
    QCOMPARE(s.text(first), u"上学期，补充"_s);
    QVERIFY(!d.w->hasUnsavedChanges());
}

void TestClassDocumentWindow::shot()
{
    ProgramFontScope font;
    School s;
    s.add(u"J200401S"_s, u"05-06初二一班上学年工作计划"_s,
          u"一、指导思想\r\n以学校工作计划为指导，加强班级管理。\r\n二、工作目标\r\n1. 建立团结向上的班集体。"_s);
    s.add(u"G200401S"_s, u"05-06初二一班上学年工作总结"_s, u"本学期班级工作总结。"_s);
    for (QStringView name : {QStringView(kPlanWindow), QStringView(kSummaryWindow)}) {
        WindowHarness h(s.school, {.today = QDate(2005, 10, 15), .realSize = true});
        auto *w = h.open<ClassDocumentWindow>(name);
        QVERIFY(w);
        choose(w->gradeGroupCombo, kJunior);
        choose(w->classCombo, u"一班"_s);
        QVERIFY(signInThrough(w->signInButton, u"111"_s));
        choose(w->documentCombo, w->documentCombo->itemText(0));
        h.responder.answer(false);
        w->createButton->click();
        QCoreApplication::processEvents();
        saveShot(w->grab().toImage(), name == QStringView(kPlanWindow) ? u"plan_window"_s : u"summary_window"_s);
        QVERIFY(w->usageNote->height() >= w->usageNote->heightForWidth(w->usageNote->width()));
        QVERIFY(w->newDocumentBox->width() >= w->newDocumentBox->fontMetrics().horizontalAdvance(w->newDocumentBox->text()));
    }
}

QTEST_MAIN(TestClassDocumentWindow)
#include "tst_class_document_window.moc"
