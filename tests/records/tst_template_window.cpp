// 计划模板 and 总结模板: the picker over the library's rows, adding and revising
// through the two-mode editor, copying from the read-only text, and one window
// of each kind.
#include "fixtures/busy_timeout_scope.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "records/class_document_window.h"
#include "records/head_teacher_documents.h"
#include "records/template_window.h"
#include "records/two_mode_editor.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

// Rows of 班主任 in this order: the given templates of kind, a template of the
// other library and a class plan, neither of which the library shows.
void seed(TestSchool &school, const QString &kind, const QStringList &texts)
{
    db::Connection &db = school.db();
    for (const QString &text : texts)
        QVERIFY(records::insertDocument(db, kind, text).ok);
    QVERIFY(records::insertDocument(db, kind == u"J"_s ? u"G"_s : u"J"_s, u"另一库"_s).ok);
    QVERIFY(records::insertDocument(db, kind + u"200401S"_s, u"班级文档"_s, u"04-05初一一班上学年工作计划"_s).ok);
    school.closeDb();
}

} // namespace

class TestTemplateWindow : public QObject {
    Q_OBJECT

private slots:
    void emptyLibrary_data();
    void emptyLibrary();
    void pickAddAndRevise();
    void closingAsksAboutTypedText();
    void readOnlyTextIsCopied();
    void oneWindowOfEachKind();
    void lockedLibraryIsReported();
    void shot();
};

void TestTemplateWindow::emptyLibrary_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("noRow");
    QTest::newRow("计划模板") << QString::fromUtf16(kPlanTemplateWindow) << u"J"_s << u"班主任工作计划模板"_s
                          << u"请选择要修改的计划内容"_s;
    QTest::newRow("总结模板") << QString::fromUtf16(kSummaryTemplateWindow) << u"G"_s << u"班主任工作总结模板"_s
                          << u"请选择要修改的总结内容"_s;
}

void TestTemplateWindow::emptyLibrary()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QString, noRow);
    TestSchool school;
    seed(school, kind, {});
    WindowHarness h(school);
    auto *w = h.open<TemplateWindow>(name);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), name);
    QCOMPARE(w->headingLabel->text(), title);
    QCOMPARE(w->templateCombo->count(), 0);
    QVERIFY(w->templateBox->toPlainText().isEmpty());
    QVERIFY(w->templateBox->isReadOnly());
    QCOMPARE(w->updateButton->text(), u"更新(&U)"_s);
    QCOMPARE(w->refreshButton->text(), u"刷新(&R)"_s);

    w->editButton->click();
    QCOMPARE(h.responder.texts(), QStringList{noRow});
    QCOMPARE(h.responder.last().title, u"提示"_s);

    // Saving an empty text is refused and stays adding.
    w->addButton->click();
    QVERIFY(!w->templateCombo->isEnabled());
    QVERIFY(!w->templateBox->isReadOnly());
    w->updateButton->click();
    QCOMPARE(h.responder.last().text, u"请填加新的内容后再保存"_s);
    QCOMPARE(w->updateButton->text(), u"保存(&U)"_s);

    w->templateBox->setPlainText(u"第一条\n第二行"_s);
    w->updateButton->click();
    QCOMPARE(itemTexts(w->templateCombo), QStringList{u"模板内容 1"_s});
    QCOMPARE(w->templateCombo->currentIndex(), 0);
    QVERIFY(w->templateBox->isReadOnly());
    QVERIFY(w->templateCombo->isEnabled());
    QCOMPARE(school.dump(u"班主任"_s).last(), u"3|"_s + kind + u"|第一条\n第二行|<null>"_s);
}

void TestTemplateWindow::pickAddAndRevise()
{
    TestSchool school;
    seed(school, u"J"_s, {u"甲模板"_s, u"乙模板"_s, u"丙模板"_s});
    WindowHarness h(school);
    auto *w = h.open<PlanTemplateWindow>(kPlanTemplateWindow);
    QVERIFY(w);
    QCOMPARE(itemTexts(w->templateCombo), (QStringList{u"模板内容 1"_s, u"模板内容 2"_s, u"模板内容 3"_s}));
    QCOMPARE(w->templateCombo->currentText(), u"模板内容 1"_s);
    QCOMPARE(w->templateBox->toPlainText(), u"甲模板"_s);
    choose(w->templateCombo, u"模板内容 2"_s);
    QCOMPARE(w->templateBox->toPlainText(), u"乙模板"_s);

    // A new template is the fourth entry and is shown at once.
    w->addButton->click();
    QVERIFY(w->templateBox->toPlainText().isEmpty());
    w->templateBox->setPlainText(u"丁模板"_s);
    w->updateButton->click();
    QCOMPARE(w->templateCombo->count(), 4);
    QCOMPARE(w->templateCombo->currentText(), u"模板内容 4"_s);
    QCOMPARE(w->templateBox->toPlainText(), u"丁模板"_s);
    QCOMPARE(w->updateButton->text(), u"刷新(&U)"_s);
    QCOMPARE(w->refreshButton->text(), u"更新(&R)"_s);

    // A cancelled add shows the last template, not the one shown before.
    choose(w->templateCombo, u"模板内容 1"_s);
    w->addButton->click();
    w->templateBox->setPlainText(u"不要了"_s);
    w->refreshButton->click();
    QCOMPARE(w->templateCombo->currentText(), u"模板内容 4"_s);
    QCOMPARE(w->templateBox->toPlainText(), u"丁模板"_s);

    // Revising: a cancelled edit shows the stored text; a saved one replaces it.
    choose(w->templateCombo, u"模板内容 2"_s);
    h.responder.answer(true);
    w->editButton->click();
    QCOMPARE(h.responder.last().text, u"确定要修改(乙模板...)内容吗?"_s);
    w->templateBox->setPlainText(u"改了没存"_s);
    w->refreshButton->click();
    QCOMPARE(w->templateBox->toPlainText(), u"乙模板"_s);
    h.responder.answer(true);
    w->editButton->click();
    w->templateBox->setPlainText(u"乙模板（修订）"_s);
    w->updateButton->click();
    QCOMPARE(w->templateCombo->currentText(), u"模板内容 2"_s);
    QCOMPARE(w->templateCombo->count(), 4);
    QCOMPARE(school.value(uR"(select "内容" from "班主任" where "类别"='J' order by "ID" limit 1 offset 1)"_s).toString(),
             u"乙模板（修订）"_s);
    QCOMPARE(school.count(uR"(select count(*) from "班主任" where "类别"='J')"_s), 4);
    school.closeDb();
}

void TestTemplateWindow::closingAsksAboutTypedText()
{
    TestSchool school;
    seed(school, u"J"_s, {u"甲模板"_s});
    WindowHarness h(school);
    auto *w = h.open<PlanTemplateWindow>(kPlanTemplateWindow);
    QVERIFY(w);
    const QString question = u"模板内容还没有保存，要先保存吗?"_s;
    const auto stored = [&] {
        const int n = school.count(uR"(select count(*) from "班主任" where "类别"='J')"_s);
        school.closeDb();
        return n;
    };

    // Cancel keeps the window with the typed text; No closes it and writes nothing.
    w->addButton->click();
    w->templateBox->setPlainText(u"关窗前"_s);
    h.responder.answer(Answer::Cancel);
    w->closeButton->click();
    QCOMPARE(h.responder.texts(), QStringList{question});
    QVERIFY(h.isOpen(kPlanTemplateWindow));
    QVERIFY(w->editor()->inMode());
    QCOMPARE(w->templateBox->toPlainText(), u"关窗前"_s);
    h.responder.answer(Answer::No);
    w->closeButton->click();
    QTRY_VERIFY(!h.isOpen(kPlanTemplateWindow));
    QCOMPARE(stored(), 1);

    // The program's end asks too; Yes saves the revision before it ends.
    w = h.open<PlanTemplateWindow>(kPlanTemplateWindow);
    h.responder.answer(true);
    w->editButton->click();
    w->templateBox->setPlainText(u"甲模板（修订）"_s);
    int quits = 0;
    h.main.setQuitHandler([&] { ++quits; });
    h.responder.clear();
    h.responder.answer(Answer::Cancel);
    h.trigger(u"tuichu"_s);
    QCOMPARE(quits, 0);
    QVERIFY(h.isOpen(kPlanTemplateWindow));
    h.responder.answer(Answer::Yes);
    h.trigger(u"tuichu"_s);
    QCOMPARE(quits, 1);
    QCOMPARE(h.responder.texts(), QStringList(2, question));
    QCOMPARE(school.value(uR"(select "内容" from "班主任" where "类别"='J')"_s).toString(), u"甲模板（修订）"_s);
    school.closeDb();

    // Nothing typed: closing asks nothing.
    QTRY_VERIFY(!h.isOpen(kPlanTemplateWindow));
    w = h.open<PlanTemplateWindow>(kPlanTemplateWindow);
    w->addButton->click();
    h.responder.clear();
    w->closeButton->click();
    QTRY_VERIFY(!h.isOpen(kPlanTemplateWindow));
    QVERIFY(h.responder.shown().isEmpty());
}

void TestTemplateWindow::readOnlyTextIsCopied()
{
    TestSchool school;
    seed(school, u"G"_s, {u"总结的第一段。\n总结的第二段。"_s});
    WindowHarness h(school);
    auto *w = h.open<SummaryTemplateWindow>(kSummaryTemplateWindow);
    QVERIFY(w);
    QVERIFY(w->templateBox->isReadOnly());
    QGuiApplication::clipboard()->clear();
    w->templateBox->setFocus();
    QTest::keySequence(w->templateBox, QKeySequence::SelectAll);
    QTest::keySequence(w->templateBox, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"总结的第一段。\n总结的第二段。"_s);
    // Typing while browsing changes nothing.
    QTest::keyClicks(w->templateBox, u"x"_s);
    QCOMPARE(w->templateBox->toPlainText(), u"总结的第一段。\n总结的第二段。"_s);
}

void TestTemplateWindow::oneWindowOfEachKind()
{
    TestSchool school;
    seed(school, u"J"_s, {u"甲模板"_s});
    school.addGradeGroup(u"初一年级组"_s);
    school.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s, u"111"_s);
    school.closeDb();
    WindowHarness h(school, {.signedIn = u"王老师"_s});
    h.trigger(u"nianchu"_s);
    h.trigger(u"nianzhong"_s);
    auto *plan = h.openWindow<PlanWindow>(kPlanWindow);
    auto *summary = h.openWindow<SummaryWindow>(kSummaryWindow);
    QVERIFY(plan && summary);
    // 打开模板 lies in the editing panel: usable once the class's head teacher is signed in.
    QVERIFY(!plan->openTemplatesButton->isEnabled());
    for (ClassDocumentWindow *w : {static_cast<ClassDocumentWindow *>(plan), static_cast<ClassDocumentWindow *>(summary)}) {
        choose(w->gradeGroupCombo, u"初一年级组"_s);
        choose(w->classCombo, u"一班"_s);
        QVERIFY(w->openTemplatesButton->isEnabled());
    }
    plan->openTemplatesButton->click();
    auto *library = h.openWindow<PlanTemplateWindow>(kPlanTemplateWindow);
    QVERIFY(library);
    choose(library->templateCombo, u"模板内容 1"_s);
    library->addButton->click();
    plan->openTemplatesButton->click();
    QCOMPARE(h.openWindow<PlanTemplateWindow>(kPlanTemplateWindow), library);
    QVERIFY(library->editor()->inMode());   // the same window, with its state
    summary->openTemplatesButton->click();
    auto *summaries = h.openWindow<SummaryTemplateWindow>(kSummaryTemplateWindow);
    QVERIFY(summaries);
    QVERIFY(h.isOpen(kPlanWindow) && h.isOpen(kSummaryWindow) && h.isOpen(kPlanTemplateWindow));
    // 计划模板 lies in the main window's work area; 总结模板 is a window of its own.
    QVERIFY(qobject_cast<QMdiSubWindow *>(library->parentWidget()));
    QVERIFY(summaries->isWindow());
    QVERIFY(summaries->isVisible());
    QCOMPARE(summaries->windowModality(), Qt::NonModal);
}

void TestTemplateWindow::lockedLibraryIsReported()
{
    const BusyTimeoutScope failFast(50);   // the lock is held throughout: fail fast
    TestSchool school;
    seed(school, u"J"_s, {u"模板一"_s});
    WindowHarness h(school);
    db::Connection other(school.dbPath());
    QVERIFY(other.exec(u"begin exclusive"_s));
    auto *w = h.open<TemplateWindow>(QString::fromUtf16(kPlanTemplateWindow));
    QVERIFY(other.exec(u"rollback"_s));
    QVERIFY(w);
    QCOMPARE(h.responder.texts(),
             QStringList{u"数据错误事件命中错误：数据库正被其他用户使用，暂时不能读写，请稍后再试。"_s});
    QCOMPARE(w->templateCombo->count(), 0);
}

void TestTemplateWindow::shot()
{
    ProgramFontScope font;
    TestSchool school;
    seed(school, u"J"_s,
         {u"一、指导思想\n以学校工作计划为指导，加强班级管理，培养学生良好的学习和生活习惯。\n二、工作目标\n"
          u"1. 建立团结向上的班集体。\n2. 提高学生的学习成绩。"_s,
          u"乙模板"_s});
    WindowHarness h(school, {.realSize = true});
    auto *w = h.open<PlanTemplateWindow>(kPlanTemplateWindow);
    QVERIFY(w);
    QCoreApplication::processEvents();
    saveShot(w->grab().toImage(), u"plan_template_window"_s);
    QVERIFY(w->usageNote->height() >= w->usageNote->heightForWidth(w->usageNote->width()));
}

QTEST_MAIN(TestTemplateWindow)
#include "tst_template_window.moc"
