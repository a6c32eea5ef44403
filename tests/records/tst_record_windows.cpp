// 学生行为纪录 and 日常工作记录: the record lists of a class, a student's list,
// adding, editing, cancelling, deleting, printing and the sign-in texts.
#include "fixtures/busy_timeout_scope.h"
#include "fixtures/server_share.h"
#include "fixtures/sign_in_steps.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "records/daily_record_window.h"
#include "records/development_record_window.h"
#include "records/head_teacher_documents.h"
#include "shell/print_page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kJunior = u"初一年级组"_s;
const QString kPrimary = u"一年级组"_s;
const QDate kOct15(2005, 10, 15);   // cohort 2005 for 初一 and 一年级

// 初一年级组: 一班 (actual name 实验班) of 王老师 (111) with 张三, 张三丰, 李四 and
// 赵六; 二班 of 李老师 (222). 一年级组: 一班 of 赵老师 (333) with 王小. Both 一班
// have the class code <cohort>01.
struct School {
    TestSchool school;
    QString code;
    explicit School(int cohort = 2005) : code(QString::number(cohort) + u"01"_s)
    {
        school.addGradeGroup(kJunior);
        school.addGradeGroup(kPrimary);
        school.addClass(kJunior, u"一班"_s, u"王老师"_s, u"111"_s, u"实验班"_s);
        school.addClass(kJunior, u"二班"_s, u"李老师"_s, u"222"_s);
        school.addClass(kPrimary, u"一班"_s, u"赵老师"_s, u"333"_s);
        int seat = 1;
        for (const QString &name : {u"张三"_s, u"张三丰"_s, u"李四"_s, u"赵六"_s})
            school.addStudent(u"初中"_s, code + u"0%1"_s.arg(seat++), name);
        school.addStudent(u"小学"_s, code + u"01"_s, u"王小"_s);
        school.closeDb();
    }
    qint64 add(const QString &kind, const QString &text, const QString &name)
    {
        const qint64 id = records::insertDocument(school.db(), kind, text, name).id;
        school.closeDb();
        return id;
    }
    qint64 development(const QString &text, const QString &name) { return add(u"W"_s + code, text, name); }
    qint64 daily(const QString &text, const QString &name) { return add(u"JL"_s + code, text, name); }
    // 类别|内容|其它 of the rows, in the order they were added.
    QStringList rows()
    {
        QStringList out;
        QSqlQuery q = school.db().query(uR"(select "类别","内容","其它" from "班主任" order by "ID")"_s);
        while (q.next())
            out << q.value(0).toString() + u'|' + q.value(1).toString() + u'|' + q.value(2).toString();
        school.closeDb();
        return out;
    }
};

// A user's click on the list's entry.
void clickEntry(QListWidget *list, int entry)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(entry)).center());
}

template <class W>
struct Records {
    WindowHarness h;
    W *w = nullptr;
    // signedIn: a head teacher already signed in (in another window), so the class step shows it.
    Records(School &s, QDate today, const QString &signedIn = {}, QStringView name = kDevelopmentRecordWindow)
        : h(s.school, {.signedIn = signedIn, .today = today, .realSize = true})
    {
        w = h.open<W>(name);
    }
    void chooseClass(const QString &grade, const QString &klass)
    {
        choose(w->gradeGroupCombo, grade);
        choose(w->classCombo, klass);
    }
    void click(int entry) { clickEntry(w->recordList, entry); }
    QString text() const { return w->recordBox->toPlainText(); }
    void setDay(QDate day) { h.session().today = fixedToday(day); }
};

using Development = Records<DevelopmentRecordWindow>;

struct Daily : Records<DailyRecordWindow> {
    Daily(School &s, QDate today, const QString &signedIn = {})
        : Records<DailyRecordWindow>(s, today, signedIn, kDailyRecordWindow)
    {
    }
};

// Adds a record (daily window) or edits the first one (development window) of
// 初一 一班 with `typed`, lets another account sign in, and checks that the text
// outlives it: closing cannot save it, and after signing in again it saves.
void typedRecordOutlivesSignIn(WindowHarness &h, RecordWindow *w, School &s, const QString &typed,
                               const QStringList &savedRows)
{
    choose(w->gradeGroupCombo, kJunior);
    choose(w->classCombo, u"一班"_s);
    h.responder.answer(true);
    if (qobject_cast<DailyRecordWindow *>(w)) {
        w->addButton->click();
    } else {
        clickEntry(w->recordList, 0);
        w->editButton->click();
    }
    QVERIFY(w->editor()->inMode());
    w->recordBox->setPlainText(typed);
    const QStringList stored = s.rows();

    QVERIFY(signInElsewhere(h.main, u"李老师"_s, u"222"_s));
    QCOMPARE(w->recordBox->toPlainText(), typed);
    QCOMPARE(w->signInButton->text(), u"班主任登陆 修改(&K)"_s);
    QVERIFY(!w->editorFrame->isEnabled());
    // The toggle is the one way out of the selection area; the rest stays locked.
    QVERIFY(w->signInButton->isEnabled());
    for (QWidget *locked : {static_cast<QWidget *>(w->gradeGroupCombo), static_cast<QWidget *>(w->classCombo),
                            static_cast<QWidget *>(w->recordList), static_cast<QWidget *>(w->closeButton),
                            static_cast<QWidget *>(w->printButton)})
        QVERIFY2(!locked->isEnabled(), qPrintable(locked->objectName()));

    // Yes to the closing question cannot save: the window stays with the text.
    h.responder.clear();
    h.responder.answer(Answer::Yes);
    CloseWindow(w);
    QCOMPARE(h.responder.texts(), (QStringList{u"记录内容还没有保存，要先保存吗?"_s,
                                               u"班主任(王老师)没有登陆，修改没有保存。请登陆后再保存。"_s}));
    QVERIFY(h.isOpen(w->objectName()));
    QCOMPARE(s.rows(), stored);
    QCOMPARE(w->recordBox->toPlainText(), typed);
    QVERIFY(w->editor()->inMode());

    // Signed in again: the selection area is locked as before, and the record saves.
    QVERIFY(signInThrough(w->signInButton, u"111"_s));
    QVERIFY(w->editorFrame->isEnabled());
    QVERIFY(!w->choiceFrame->isEnabled());
    QVERIFY(w->gradeGroupCombo->isEnabledTo(w->choiceFrame));
    QCOMPARE(w->recordBox->toPlainText(), typed);
    w->updateButton->click();
    QCOMPARE(w->editor()->mode(), records::TwoModeEditor::Mode::Browsing);
    QCOMPARE(s.rows(), savedRows);
    QVERIFY(w->choiceFrame->isEnabled());
    QVERIFY(w->closeButton->isEnabled());
    QVERIFY(w->classCombo->isEnabled());
}

} // namespace

class TestRecordWindows : public QObject {
    Q_OBJECT

private slots:
    void menuItemsOpenThem_data();
    void menuItemsOpenThem();
    void dailyOnUnreachableDatabase();
    void developmentLists();
    void developmentAdd_data();
    void developmentAdd();
    void editCancelAndSave();
    void deleteReloadsTheShownList();
    void writeFailureKeepsTheText();
    void twoComputersEditOneRecord();
    void closingWhileEditingAsks();
    void signInElsewhereKeepsTheTypedRecord_data();
    void signInElsewhereKeepsTheTypedRecord();
    void dailyListsAndHeadTeachers();
    void dailyAddAndDelete();
    void signInTexts();
    void printBeforeAnyChoice_data();
    void printBeforeAnyChoice();
    void printARecord();
    void shots();
};

void TestRecordWindows::menuItemsOpenThem_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::newRow("sixiang") << u"sixiang"_s << QString::fromUtf16(kDevelopmentRecordWindow) << u"学生健康发展记录"_s
                             << u"提示：\n　　请选择年级组、班级，并且班主任登陆后，才可进行编辑。"_s;
    QTest::newRow("richang") << u"richang"_s << QString::fromUtf16(kDailyRecordWindow) << u"班主任日常工作记录"_s
                             << u"提示：\n　　如果您是班主任，需要编辑或添加记录，请您首先选择年级组、班级。然后登陆，才可进行各种操作。"_s;
}

void TestRecordWindows::menuItemsOpenThem()
{
    QFETCH(QString, item);
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    School s;
    WindowHarness h(s.school);
    h.trigger(item);
    auto *w = h.openWindow<RecordWindow>(name);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->recordBox->toPlainText(), hint);
    QVERIFY(w->recordBox->isReadOnly());
    QVERIFY(!w->editorFrame->isEnabled());
    QCOMPARE(itemTexts(w->gradeGroupCombo), (QStringList{kJunior, kPrimary}));
    QCOMPARE(w->signInButton->text(), u"班主任登陆 修改(&K)"_s);
    QCOMPARE(w->updateButton->text(), u"更新(&U)"_s);
    QCOMPARE(w->refreshButton->text(), u"刷新(&R)"_s);
    QVERIFY(h.responder.shown().isEmpty());
}

void TestRecordWindows::dailyOnUnreachableDatabase()
{
    School s;
    ServerShare server;   // no database published: the share's folder cannot be reached
    WindowHarness h(s.school);
    h.session().openpath = uR"(\\PC1\shuju$\data.mdb)"_s;
    QString modal;
    whenModal([&modal](QWidget *d) { modal = d ? d->objectName() : QString(); });
    auto *w = h.open<DailyRecordWindow>(kDailyRecordWindow);
    QVERIFY(w);
    QCOMPARE(modal, QString::fromUtf16(kConnectionFailureDialog));
    QCOMPARE(w->gradeGroupCombo->count(), 0);
    QVERIFY(h.responder.shown().isEmpty());
}

void TestRecordWindows::developmentLists()
{
    School s;
    s.development(u"张三上课认真"_s, u"05-06(上)初一张三 10月10日"_s);
    s.development(u"张三丰乐于助人"_s, u"05-06(上)初一张三丰 10月10日"_s);
    s.development(u"王小爱读书"_s, u"05-06(上)一年王小 10月11日"_s);   // the primary class, same code
    s.development(u"李四进步大"_s, u"05-06(上)初一李四 10月12日"_s);
    Development d(s, kOct15);
    d.chooseClass(kJunior, u"一班"_s);
    QCOMPARE(itemTexts(d.w->personCombo), (QStringList{u"全班所有记录"_s, u"张三"_s, u"张三丰"_s, u"李四"_s, u"赵六"_s}));
    QCOMPARE(d.w->personCombo->currentText(), u"全班所有记录"_s);
    QCOMPARE(itemTexts(d.w->recordList), (QStringList{u"05-06(上)初一张三 10月10日"_s, u"05-06(上)初一张三丰 10月10日"_s,
                                                 u"05-06(上)初一李四 10月12日"_s}));
    QCOMPARE(d.w->listCaption->text(), u"本班所有行为记录(3)条"_s);
    QCOMPARE(d.w->recordTitle->text(), u"初一年级组一班(实验班)记录  班主任:王老师"_s);
    QVERIFY(d.w->recordList->selectedItems().isEmpty());
    // The third entry is the fourth row of the class code.
    d.click(2);
    QCOMPARE(d.text(), u"李四进步大"_s);
    QCOMPARE(d.w->recordTitle->text(), u"05-06(上)初一李四 10月12日行为记录--王老师"_s);

    choose(d.w->personCombo, u"张三"_s);
    QCOMPARE(itemTexts(d.w->recordList), QStringList{u"05-06(上)初一张三 10月10日"_s});
    QCOMPARE(d.w->listCaption->text(), u"(张三)的行为记录(1)条"_s);
    QVERIFY(d.text().isEmpty());
    d.click(0);
    QCOMPARE(d.text(), u"张三上课认真"_s);
    choose(d.w->personCombo, u"赵六"_s);
    QCOMPARE(d.w->recordList->count(), 0);
    QCOMPARE(d.w->listCaption->text(), u"(赵六)的行为记录(0)条"_s);
    choose(d.w->personCombo, u"全班所有记录"_s);
    QCOMPARE(d.w->listCaption->text(), u"本班所有行为记录(3)条"_s);

    // The primary class lists its own row only.
    d.chooseClass(kPrimary, u"一班"_s);
    QCOMPARE(itemTexts(d.w->recordList), QStringList{u"05-06(上)一年王小 10月11日"_s});
    QCOMPARE(d.w->listCaption->text(), u"本班所有行为记录(1)条"_s);
    d.click(0);
    QCOMPARE(d.text(), u"王小爱读书"_s);
    // A new grade group empties the student list, the records and the text.
    choose(d.w->gradeGroupCombo, kJunior);
    QCOMPARE(d.w->personCombo->count(), 0);
    QCOMPARE(d.w->recordList->count(), 0);
    QVERIFY(d.text().isEmpty());
    QCOMPARE(d.w->recordTitle->text(), kJunior);
}

void TestRecordWindows::developmentAdd_data()
{
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("name");       // the name of the record added on that day
    QTest::addColumn<QString>("nextName");   // of the one added the next day
    QTest::newRow("February: first half") << QDate(2005, 2, 10) << u"04-05(上)初一张三 02月10日"_s
                                          << u"04-05(上)初一张三 02月11日"_s;
    QTest::newRow("31 July: second half") << QDate(2005, 7, 31) << u"04-05(下)初一张三 07月31日"_s
                                          << u"05-06(上)初一张三 08月01日"_s;
    QTest::newRow("1 August: next school year") << QDate(2005, 8, 1) << u"05-06(上)初一张三 08月01日"_s
                                                << u"05-06(上)初一张三 08月02日"_s;
}

void TestRecordWindows::developmentAdd()
{
    QFETCH(QDate, day);
    QFETCH(QString, name);
    QFETCH(QString, nextName);
    School s(2004);   // 初一 until the end of August 2005
    Development d(s, day, u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    QVERIFY(d.w->editorFrame->isEnabled());

    // The whole class is no student.
    d.w->addButton->click();
    QCOMPARE(d.h.responder.texts(), QStringList{u"只有选择一个学生个人名单，才能为其添加记录。"_s});
    QCOMPARE(d.h.responder.last().title, u"提示……"_s);
    QCOMPARE(d.w->editor()->mode(), records::TwoModeEditor::Mode::Browsing);

    choose(d.w->personCombo, u"张三"_s);
    d.h.responder.clear();
    d.h.responder.answer(true);
    d.w->addButton->click();
    QCOMPARE(d.h.responder.texts(), QStringList{u"尊敬的(王老师),您确实要为(张三)同学新添加一个行为记录吗?"_s});
    QCOMPARE(d.h.responder.last().title, u"提示……"_s);
    QCOMPARE(d.w->recordTitle->text(), name + u"行为记录--王老师"_s);
    QVERIFY(!d.w->choiceFrame->isEnabled());
    QVERIFY(!d.w->recordBox->isReadOnly());
    QCOMPARE(d.w->updateButton->text(), u"保存(&U)"_s);
    // Saved after midnight: the name keeps the day of the click.
    d.setDay(day.addDays(1));
    d.w->recordBox->setPlainText(u"主动值日"_s);
    d.w->updateButton->click();
    QCOMPARE(s.rows(), QStringList{u"W200401|主动值日|"_s + name});
    QCOMPARE(itemTexts(d.w->recordList), QStringList{name});
    QCOMPARE(d.w->recordList->currentRow(), 0);
    QCOMPARE(d.w->listCaption->text(), u"(张三)的行为记录(1)条"_s);
    QCOMPARE(d.text(), u"主动值日"_s);
    QVERIFY(d.w->recordBox->isReadOnly());
    QVERIFY(d.w->choiceFrame->isEnabled());
    QCOMPARE(d.w->updateButton->text(), u"刷新(&U)"_s);
    QCOMPARE(d.w->refreshButton->text(), u"更新(&R)"_s);

    // The next day a new record is added; a second one that day is refused.
    d.h.responder.answer(true);
    d.w->addButton->click();
    d.w->recordBox->setPlainText(u"帮助同学"_s);
    d.w->updateButton->click();
    QCOMPARE(itemTexts(d.w->recordList), (QStringList{name, nextName}));
    d.h.responder.clear();
    d.w->addButton->click();
    QCOMPARE(d.h.responder.texts(), QStringList{u"尊敬的(王老师),您要添加的（"_s + nextName
                                                 + u"）已存在了,直接选中进行“修改记录”即可。"_s});
    QCOMPARE(d.h.responder.last().title, u"提示……"_s);
    QCOMPARE(d.w->editor()->mode(), records::TwoModeEditor::Mode::Browsing);
    QCOMPARE(d.w->chosenRow()->displayName, nextName);
    QCOMPARE(s.rows().size(), 2);
}

void TestRecordWindows::editCancelAndSave()
{
    School s;
    const QString longText = u"一二三四五六七八九十甲乙丙丁戊己庚辛壬癸子丑寅卯"_s;
    s.development(u"第一条"_s, u"05-06(上)初一张三 10月10日"_s);
    const qint64 second = s.development(longText, u"05-06(上)初一张三 10月11日"_s);
    Development d(s, kOct15, u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    choose(d.w->personCombo, u"张三"_s);

    // Nothing chosen: edit and delete say so.
    d.w->editButton->click();
    d.w->deleteButton->click();
    QCOMPARE(d.h.responder.texts(), (QStringList{u"没有选择要修改的记录，请从右侧选择记录内容。"_s,
                                                 u"没有选择要删除的记录，请从右侧选择记录内容。"_s}));

    d.click(1);
    d.h.responder.clear();
    d.h.responder.answer(true);
    d.w->editButton->click();
    QCOMPARE(d.h.responder.texts(), QStringList{u"确定要修改(一二三四五六七八九十甲乙丙丁戊己庚辛壬癸...)内容吗?"_s});
    QCOMPARE(d.w->updateButton->text(), u"保存(&B)"_s);
    QCOMPARE(d.w->refreshButton->text(), u"不改(&R)"_s);
    // An empty text is refused and the edit goes on.
    d.w->recordBox->clear();
    d.w->updateButton->click();
    QCOMPARE(d.h.responder.last().text, u"请填写新的行为记录后再保存"_s);
    QCOMPARE(d.w->editor()->mode(), records::TwoModeEditor::Mode::Editing);

    // Another computer deletes the first record meanwhile; cancelling shows the
    // edited record's stored text, not what now stands at its place.
    d.w->recordBox->setPlainText(u"改了又不要"_s);
    QVERIFY(s.school.db().exec(uR"(delete from "班主任" where "内容"='第一条')"_s));
    s.school.closeDb();
    d.w->refreshButton->click();
    QCOMPARE(itemTexts(d.w->recordList), QStringList{u"05-06(上)初一张三 10月11日"_s});
    QCOMPARE(d.w->chosenRow()->id, second);
    QCOMPARE(d.text(), longText);
    QVERIFY(d.w->recordBox->isReadOnly());

    d.h.responder.answer(true);
    d.w->editButton->click();
    d.w->recordBox->setPlainText(u"改好了"_s);
    d.w->updateButton->click();
    QCOMPARE(s.rows(), QStringList{u"W200501|改好了|05-06(上)初一张三 10月11日"_s});
    QCOMPARE(d.text(), u"改好了"_s);
    QCOMPARE(d.w->chosenRow()->id, second);

    // Cancelling an add empties the text and lists the student's records.
    d.h.responder.answer(true);
    d.w->addButton->click();
    d.w->recordBox->setPlainText(u"不存了"_s);
    d.w->refreshButton->click();
    QVERIFY(d.text().isEmpty());
    QCOMPARE(d.w->listCaption->text(), u"(张三)的行为记录(1)条"_s);
    QCOMPARE(s.rows().size(), 1);
}

void TestRecordWindows::deleteReloadsTheShownList()
{
    School s;
    s.development(u"张三一"_s, u"05-06(上)初一张三 10月10日"_s);
    s.development(u"李四一"_s, u"05-06(上)初一李四 10月10日"_s);
    s.development(u"张三二"_s, u"05-06(上)初一张三 10月11日"_s);
    Development d(s, kOct15, u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    // The whole class listed: the whole class again.
    d.click(1);
    d.h.responder.answer(true);
    d.w->deleteButton->click();
    QCOMPARE(d.h.responder.last().text, u"确实要删除(李四一...)内容吗?"_s);
    QCOMPARE(itemTexts(d.w->recordList), (QStringList{u"05-06(上)初一张三 10月10日"_s, u"05-06(上)初一张三 10月11日"_s}));
    QCOMPARE(d.w->listCaption->text(), u"本班所有行为记录(2)条"_s);
    QVERIFY(d.text().isEmpty());
    // One student listed: that student's list.
    choose(d.w->personCombo, u"张三"_s);
    d.click(0);
    d.h.responder.answer(true);
    d.w->deleteButton->click();
    QCOMPARE(itemTexts(d.w->recordList), QStringList{u"05-06(上)初一张三 10月11日"_s});
    QCOMPARE(d.w->listCaption->text(), u"(张三)的行为记录(1)条"_s);
    QCOMPARE(d.w->recordTitle->text(), u"初一年级组一班(实验班)记录  班主任:王老师"_s);
    // Answered No: nothing deleted.
    d.click(0);
    d.h.responder.answer(false);
    d.w->deleteButton->click();
    QCOMPARE(s.rows(), QStringList{u"W200501|张三二|05-06(上)初一张三 10月11日"_s});
}

void TestRecordWindows::writeFailureKeepsTheText()
{
    const BusyTimeoutScope failFast(50);   // the lock is held throughout: fail fast
    School s;
    Development d(s, kOct15, u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    choose(d.w->personCombo, u"李四"_s);
    d.h.responder.answer(true);
    d.w->addButton->click();
    d.w->recordBox->setPlainText(u"写不进去的记录"_s);
    db::Connection other(s.school.dbPath());
    QVERIFY(other.exec(u"begin immediate"_s));
    d.w->updateButton->click();
    QVERIFY(other.exec(u"rollback"_s));
    QCOMPARE(d.h.responder.last().text, u"没有保存：数据库正被其他用户使用，暂时不能读写，请稍后再试。"_s);
    QCOMPARE(d.w->editor()->mode(), records::TwoModeEditor::Mode::Adding);
    QCOMPARE(d.text(), u"写不进去的记录"_s);
    QVERIFY(s.rows().isEmpty());
    d.w->updateButton->click();
    QCOMPARE(s.rows(), QStringList{u"W200501|写不进去的记录|05-06(上)初一李四 10月15日"_s});
}

void TestRecordWindows::twoComputersEditOneRecord()
{
    School s;
    const qint64 id = s.development(u"第一条"_s, u"05-06(上)初一张三 10月10日"_s);
    Development d(s, kOct15, u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    choose(d.w->personCombo, u"张三"_s);
    d.click(0);
    d.h.responder.answer(true);
    d.w->editButton->click();
    // Another computer saves the same record while this one edits it.
    QVERIFY(s.school.db().exec(uR"(update "班主任" set "内容"='别处改过' where "ID"=?)"_s, {id}));
    s.school.closeDb();
    d.w->recordBox->setPlainText(u"我改的"_s);
    d.w->updateButton->click();
    QVERIFY2(d.h.responder.last().text.contains(u"这条内容(第一条...)在您读出之后已被其他电脑修改"_s),
             qPrintable(d.h.responder.last().text));
    QCOMPARE(s.rows(), QStringList{u"W200501|别处改过|05-06(上)初一张三 10月10日"_s});
    QCOMPARE(d.w->editor()->mode(), records::TwoModeEditor::Mode::Editing);
    QCOMPARE(d.text(), u"我改的"_s);
}

void TestRecordWindows::closingWhileEditingAsks()
{
    School s;
    s.development(u"第一条"_s, u"05-06(上)初一张三 10月10日"_s);
    Development d(s, kOct15, u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    d.click(0);
    d.h.responder.answer(true);
    d.w->editButton->click();
    d.w->recordBox->setPlainText(u"第一条，补充"_s);
    // 关闭 is locked with the selection area; the frame's close box asks.
    QVERIFY(!d.w->closeButton->isEnabled());
    d.h.responder.clear();
    d.h.responder.answer(Answer::Cancel);
    CloseWindow(d.w);
    QCOMPARE(d.h.responder.texts(), QStringList{u"记录内容还没有保存，要先保存吗?"_s});
    QVERIFY(d.h.responder.last().hasCancel);
    QVERIFY(d.h.isOpen(kDevelopmentRecordWindow));
    QCOMPARE(d.text(), u"第一条，补充"_s);
    QVERIFY(d.w->editor()->inMode());
    d.h.responder.answer(Answer::Yes);
    CloseWindow(d.w);
    QTRY_VERIFY(!d.h.isOpen(kDevelopmentRecordWindow));
    QCOMPARE(s.rows(), QStringList{u"W200501|第一条，补充|05-06(上)初一张三 10月10日"_s});
}

void TestRecordWindows::signInElsewhereKeepsTheTypedRecord_data()
{
    QTest::addColumn<bool>("daily");
    QTest::newRow("daily window, adding") << true;
    QTest::newRow("development window, editing") << false;
}

// Another account signing in while a record is typed: the text stays, no save
// runs without the head teacher, and after signing in again the record saves.
void TestRecordWindows::signInElsewhereKeepsTheTypedRecord()
{
    QFETCH(bool, daily);
    School s;
    const QString name = u"05-06(上)初一张三 10月10日"_s;
    s.development(u"第一条"_s, name);
    if (daily) {
        Daily d(s, kOct15, u"王老师"_s);
        typedRecordOutlivesSignIn(d.h, d.w, s, u"开班会，选班干部"_s,
                                  QStringList{u"W200501|第一条|"_s + name,
                                              u"JL200501|开班会，选班干部|05-06(上)初一一班 10月15日"_s});
    } else {
        Development d(s, kOct15, u"王老师"_s);
        typedRecordOutlivesSignIn(d.h, d.w, s, u"第一条，补充"_s, QStringList{u"W200501|第一条，补充|"_s + name});
    }
}

void TestRecordWindows::dailyListsAndHeadTeachers()
{
    School s;
    s.daily(u"开班会"_s, u"05-06(上)初一一班 10月10日"_s);
    s.daily(u"小学的班会"_s, u"05-06(上)一年一班 10月10日"_s);   // the primary class, same code
    Daily d(s, kOct15);
    choose(d.w->gradeGroupCombo, kJunior);
    QCOMPARE(itemTexts(d.w->personCombo), (QStringList{u"王老师"_s, u"李老师"_s}));
    QCOMPARE(d.w->recordTitle->text(), kJunior);
    // Choosing a head teacher chooses the class.
    choose(d.w->personCombo, u"王老师"_s);
    QCOMPARE(d.w->classCombo->currentText(), u"一班"_s);
    QCOMPARE(itemTexts(d.w->recordList), QStringList{u"05-06(上)初一一班 10月10日"_s});
    QCOMPARE(d.w->recordTitle->text(), u"初一年级组一班(实验班)  班主任:王老师"_s);
    QCOMPARE(d.text(), u"班主任(王老师)没有登陆\n　　还不可以进行工作记录编辑。"_s);
    QCOMPARE(d.w->listCaption->text(), u"原有工作记录:"_s);
    d.click(0);
    QCOMPARE(d.text(), u"开班会"_s);
    QCOMPARE(d.w->recordTitle->text(), u"05-06(上)初一一班 10月10日日记--王老师"_s);
    d.chooseClass(kPrimary, u"一班"_s);
    QCOMPARE(itemTexts(d.w->recordList), QStringList{u"05-06(上)一年一班 10月10日"_s});
    QCOMPARE(d.w->personCombo->currentText(), u"赵老师"_s);
    // The text stays across a change of grade group.
    d.click(0);
    choose(d.w->gradeGroupCombo, kJunior);
    QCOMPARE(d.text(), u"小学的班会"_s);
    QCOMPARE(d.w->recordList->count(), 0);
}

void TestRecordWindows::dailyAddAndDelete()
{
    School s;
    s.daily(u"小学的班会"_s, u"05-06(上)一年一班 10月15日"_s);   // the primary class, same code
    Daily d(s, kOct15, u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    QCOMPARE(d.text(), u"班主任(王老师)已经登陆\n　　可以编写日常工作记录了。"_s);
    QCOMPARE(d.w->recordList->count(), 0);
    d.h.responder.answer(true);
    d.w->addButton->click();
    QCOMPARE(d.h.responder.texts(),
             QStringList{u"尊敬的王老师,您确实要新创建一个名称为（05-06(上)初一一班 10月15日）的日常工作记录吗?"_s});
    QCOMPARE(d.w->recordTitle->text(), u"05-06(上)初一一班 10月15日工作日记--王老师"_s);
    d.w->updateButton->click();
    QCOMPARE(d.h.responder.last().text, u"请填加新的工作记录后再保存"_s);
    d.w->recordBox->setPlainText(u"家访两名学生"_s);
    d.w->updateButton->click();
    QCOMPARE(itemTexts(d.w->recordList), QStringList{u"05-06(上)初一一班 10月15日"_s});
    QCOMPARE(d.w->recordList->currentRow(), 0);

    // The same day again: the duplicate notice, under the program's title.
    d.h.responder.clear();
    d.w->addButton->click();
    QCOMPARE(d.h.responder.texts(), QStringList{u"尊敬的王老师,您要添加的（05-06(上)初一一班 10月15日）已经存在了,"
                                                 u"直接选中它进行“修改记录”即可。"_s});
    QCOMPARE(d.h.responder.last().title, kProgramTitle);

    // Deleting the last record empties the list and the text; the primary
    // class's row of the same code stays unlisted.
    d.click(0);
    d.h.responder.answer(true);
    d.w->deleteButton->click();
    QCOMPARE(d.w->recordList->count(), 0);
    QVERIFY(d.text().isEmpty());
    QCOMPARE(d.w->recordTitle->text(), u"初一年级组一班(实验班)  班主任:王老师"_s);
    QCOMPARE(s.rows(), QStringList{u"JL200501|小学的班会|05-06(上)一年一班 10月15日"_s});

    // After a new grade group no class is shown: no add, nothing stored.
    choose(d.w->gradeGroupCombo, kPrimary);
    QVERIFY(d.w->editorFrame->isEnabled());
    d.h.responder.clear();
    d.h.responder.answer(true);
    d.w->addButton->click();
    QCOMPARE(d.h.responder.texts(), QStringList{u"请至少选择一个班级。"_s});
    QCOMPARE(d.w->editor()->mode(), records::TwoModeEditor::Mode::Browsing);
    QCOMPARE(s.rows().size(), 1);
}

void TestRecordWindows::signInTexts()
{
    School s;
    Daily d(s, kOct15);
    choose(d.w->gradeGroupCombo, kJunior);
    d.w->signInButton->click();
    QCOMPARE(d.h.responder.texts(), QStringList{u"请至少选择一个班级名或班主任名。"_s});
    d.chooseClass(kJunior, u"一班"_s);
    QVERIFY(signInThrough(d.w->signInButton, u"111"_s));
    QCOMPARE(d.w->signInButton->text(), u"退出登陆 修改(&K)"_s);
    QVERIFY(d.w->editorFrame->isEnabled());
    QCOMPARE(d.text(), u"班主任(王老师)已经登陆\n　　可以进行本班日常工作记录编写了。"_s);
    d.w->signInButton->click();
    QCOMPARE(d.text(), u"班主任(王老师)退出了登陆\n　　不可以进行日常工作记录编写了。"_s);
    QVERIFY(!d.w->editorFrame->isEnabled());
    QVERIFY(d.h.session().denglu.isEmpty());

    // The development window: its own lines, and the chosen record let go.
    s.development(u"张三上课认真"_s, u"05-06(上)初一张三 10月10日"_s);
    Development v(s, kOct15);
    v.chooseClass(kJunior, u"一班"_s);
    QVERIFY(v.text().isEmpty());
    v.click(0);
    QVERIFY(signInThrough(v.w->signInButton, u"111"_s));
    QCOMPARE(v.text(), u"班主任(王老师)已经登陆\n　　可以为本班学生编写发展记录了。"_s);
    QVERIFY(v.w->recordList->selectedItems().isEmpty());
}

void TestRecordWindows::printBeforeAnyChoice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("hint");
    QTest::newRow("development") << QString::fromUtf16(kDevelopmentRecordWindow) << u"学生行为记录"_s
                                 << u"　　请选择年级组、班级，并且班主任登陆后，才可进行编辑。"_s;
    QTest::newRow("daily") << QString::fromUtf16(kDailyRecordWindow) << u"日常工作记录"_s
                           << u"　　如果您是班主任，需要编辑或添加记录，请您首先选择年级组、班级。然后登陆，才可进行各种操作。"_s;
}

void TestRecordWindows::printBeforeAnyChoice()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QString, hint);
    School s;
    WindowHarness h(s.school);
    auto *w = h.open<RecordWindow>(name);
    w->printButton->click();
    auto *page = h.openWindow<PrintPage>(kPrintPage);
    QVERIFY(page);
    QCOMPARE(page->wenben, title + u"\r\n   班主任:\r\n提示：\r\n"_s + hint);
    // A grade group only: its first two characters lead the title.
    choose(w->gradeGroupCombo, kJunior);
    w->printButton->click();
    QVERIFY(page->wenben.startsWith(u"初一"_s + title + u"\r\n   班主任:\r\n"_s));
}

void TestRecordWindows::printARecord()
{
    School s;
    s.development(u"第一行\r\n第二行"_s, u"05-06(上)初一张三 10月10日"_s);
    s.daily(u"开班会"_s, u"05-06(上)初一一班 10月10日"_s);
    Development d(s, kOct15);
    d.chooseClass(kJunior, u"一班"_s);
    d.click(0);
    d.w->printButton->click();
    auto *page = d.h.openWindow<PrintPage>(kPrintPage);
    QVERIFY(page);
    QCOMPARE(page->wenben, u"初一一班学生行为记录\r\n   班主任:王老师\r\n第一行\r\n第二行"_s);
    auto *daily = d.h.open<DailyRecordWindow>(kDailyRecordWindow);
    choose(daily->gradeGroupCombo, kJunior);
    choose(daily->classCombo, u"一班"_s);
    clickEntry(daily->recordList, 0);
    daily->printButton->click();
    QCOMPARE(page->wenben, u"初一一班日常工作记录\r\n   班主任:王老师\r\n开班会"_s);
}

void TestRecordWindows::shots()
{
    ProgramFontScope font;
    School s;
    s.development(u"张三上课认真听讲，作业按时完成，主动帮助同学。"_s, u"05-06(上)初一张三 10月10日"_s);
    s.development(u"李四进步大"_s, u"05-06(上)初一李四 10月12日"_s);
    s.daily(u"召开主题班会“我的理想”，学生发言踊跃。"_s, u"05-06(上)初一一班 10月10日"_s);
    Development d(s, kOct15, u"王老师"_s);
    d.chooseClass(kJunior, u"一班"_s);
    d.click(0);
    QCoreApplication::processEvents();
    saveShot(d.w->grab().toImage(), u"development_record_window"_s);
    auto *daily = d.h.open<DailyRecordWindow>(kDailyRecordWindow);
    choose(daily->gradeGroupCombo, kJunior);
    choose(daily->classCombo, u"一班"_s);
    QCoreApplication::processEvents();
    saveShot(daily->grab().toImage(), u"daily_record_window"_s);
    // Nothing of the texts is cut: every button shows its caption whole.
    for (QPushButton *b : {d.w->addButton, d.w->editButton, d.w->deleteButton, d.w->signInButton, daily->signInButton})
        QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
}

QTEST_MAIN(TestRecordWindows)
#include "tst_record_windows.moc"
