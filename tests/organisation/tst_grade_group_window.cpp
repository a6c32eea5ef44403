// 年级组设置: ticks from the stored grade groups, the administrator toggle, and
// the save with what goes along with a removed grade group.
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "organisation/grade_group_window.h"
#include "widgets/messages.h"
#include "shell/sign_in_dialog.h"
#include "kit/window_names.h"

#include <QApplication>
#include <QFrame>
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

// 年级组名 rows by id: 名称.
QMap<int, QString> storedGroups(TestSchool &school)
{
    QMap<int, QString> out;
    QSqlQuery q = school.db().query(uR"(select "id","名称" from "教导处" where "类别"='年级组名')"_s);
    while (q.next())
        out.insert(q.value(0).toInt(), q.value(1).toString());
    return out;
}

} // namespace

class TestGradeGroupWindow : public QObject {
    Q_OBJECT

private slots:
    void opensSignedOut();
    void ticksReflectStoredRows_data();
    void ticksReflectStoredRows();
    void signInThroughTheToggle();
    void noAdministratorRow();
    void saveAndReopenRoundTrips();
    void removingAGradeGroupWithClassesAsks_data();
    void removingAGradeGroupWithClassesAsks();
    void saveAfterSignOutElsewhere();
    void closingWithUnsavedTicksAsks_data();
    void closingWithUnsavedTicksAsks();
};

void TestGradeGroupWindow::opensSignedOut()
{
    TestSchool school;
    WindowHarness h(school, {.shown = false});
    ScriptedResponder &responder = h.responder;
    GradeGroupWindow *w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    QVERIFY(w);
    QCOMPARE(w->objectName(), u"年级组设置"_s);
    QCOMPARE(w->windowTitle(), u"年级组设置"_s);
    QVERIFY(responder.shown().isEmpty());
    QCOMPARE(w->gradeGroupList->count(), 12);
    QCOMPARE(w->gradeGroupList->item(6)->text(), u"初一年级组"_s);
    QVERIFY(!w->listFrame->isEnabled());
    QVERIFY(!w->saveButton->isEnabled());
    QCOMPARE(w->signInButton->text(), u"管理员 登陆(&K)"_s);
    QCOMPARE(w->saveButton->text(), u"保存设置(&S)"_s);
    QCOMPARE(w->closeButton->text(), u"退 出 设 置(&E)"_s);
    QCOMPARE(w->listHeading->text(), u"年级组列表"_s);
    QCOMPARE(w->setupHeading->text(), u"进行年级组设置"_s);
    QCOMPARE(w->countLabel->text(), u"现共（0）个年级组"_s);
}

void TestGradeGroupWindow::ticksReflectStoredRows_data()
{
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("ticks");
    QTest::addColumn<int>("count");
    QTest::newRow("none") << QStringList{} << QStringList{} << 0;
    QTest::newRow("list order") << QStringList{u"高三年级组"_s, u"初一年级组"_s}
                                << QStringList{u"初一年级组"_s, u"高三年级组"_s} << 2;
    QTest::newRow("twins tick one and count two") << QStringList{u"初二年级组"_s, u"初二年级组"_s}
                                                  << QStringList{u"初二年级组"_s} << 2;
    QTest::newRow("a name outside the list") << QStringList{u"实验组"_s, u"一年级组"_s}
                                             << QStringList{u"一年级组"_s} << 1;
}

void TestGradeGroupWindow::ticksReflectStoredRows()
{
    QFETCH(QStringList, stored);
    QFETCH(QStringList, ticks);
    QFETCH(int, count);
    TestSchool school;
    for (const QString &name : stored)
        school.addGradeGroup(name);
    school.closeDb();
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin, .shown = false});
    ScriptedResponder &responder = h.responder;
    GradeGroupWindow *w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    QCOMPARE(ticked(w->gradeGroupList), ticks);
    QCOMPARE(w->countLabel->text(), u"现共（%1）个年级组"_s.arg(count));
    // Signed in from another window: enabled at once.
    QVERIFY(w->listFrame->isEnabled());
    QVERIFY(w->saveButton->isEnabled());
    QCOMPARE(w->signInButton->text(), u"管理员退出登陆(&K)"_s);
    // The count follows the ticks before they are saved.
    tick(w->gradeGroupList, u"五年级组"_s, true);
    QCOMPARE(w->countLabel->text(), u"现共（%1）个年级组"_s.arg(ticked(w->gradeGroupList).size()));
    tick(w->gradeGroupList, u"五年级组"_s, false);
    QCOMPARE(w->countLabel->text(), u"现共（%1）个年级组"_s.arg(ticked(w->gradeGroupList).size()));
}

void TestGradeGroupWindow::signInThroughTheToggle()
{
    TestSchool school;
    school.setAdminPassword(u"adm"_s);
    WindowHarness h(school, {.shown = false});
    ScriptedResponder &responder = h.responder;
    GradeGroupWindow *w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    QTimer::singleShot(0, [] {
        auto *d = qobject_cast<SignInDialog *>(QApplication::activeModalWidget());
        QVERIFY(d);
        d->passwordBox->setText(u"adm"_s);
        d->okButton->click();
    });
    w->signInButton->click();
    QVERIFY(w->listFrame->isEnabled());
    QVERIFY(w->saveButton->isEnabled());
    QCOMPARE(w->signInButton->text(), u"管理员退出登陆(&K)"_s);
    w->signInButton->click();
    QVERIFY(!w->listFrame->isEnabled());
    QVERIFY(!w->saveButton->isEnabled());
    QCOMPARE(h.main.session().denglu, QString());
}

void TestGradeGroupWindow::noAdministratorRow()
{
    TestSchool school;
    school.addGradeGroup(u"一年级组"_s);
    school.removeAdmin();
    school.closeDb();
    WindowHarness h(school, {.shown = false});
    ScriptedResponder &responder = h.responder;
    GradeGroupWindow *w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    QCOMPARE(responder.texts(), QStringList{u"管理员数据丢失,请确认服务器连接路径是否正确?否则无法登陆。"_s});
    QCOMPARE(ticked(w->gradeGroupList), QStringList{u"一年级组"_s});
    QVERIFY(!w->listFrame->isEnabled());
}

void TestGradeGroupWindow::saveAndReopenRoundTrips()
{
    TestSchool school;
    const int kept = school.addGradeGroup(u"初一年级组"_s);
    school.addGradeGroup(u"初二年级组"_s);
    school.addGradeGroup(u"初一年级组"_s);   // a twin
    school.closeDb();
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin, .shown = false});
    ScriptedResponder &responder = h.responder;
    GradeGroupWindow *w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    QCOMPARE(w->countLabel->text(), u"现共（3）个年级组"_s);
    tick(w->gradeGroupList, u"初二年级组"_s, false);
    tick(w->gradeGroupList, u"高一年级组"_s, true);
    tick(w->gradeGroupList, u"一年级组"_s, true);
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{u"年级组设置已经保存。"_s});
    QCOMPARE(w->countLabel->text(), u"现共（3）个年级组"_s);
    const QMap<int, QString> stored = storedGroups(school);
    QCOMPARE(stored.values(), (QStringList{u"初一年级组"_s, u"一年级组"_s, u"高一年级组"_s}));
    QCOMPARE(stored.firstKey(), kept);

    w->closeButton->click();
    QTRY_VERIFY(!h.main.openWindow(kGradeGroupWindow));
    w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    QCOMPARE(ticked(w->gradeGroupList), (QStringList{u"一年级组"_s, u"初一年级组"_s, u"高一年级组"_s}));
    QCOMPARE(w->countLabel->text(), u"现共（3）个年级组"_s);
}

void TestGradeGroupWindow::removingAGradeGroupWithClassesAsks_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No") << false;
    QTest::newRow("Yes") << true;
}

void TestGradeGroupWindow::removingAGradeGroupWithClassesAsks()
{
    QFETCH(bool, answer);
    TestSchool school;
    school.addGradeGroup(u"初一年级组"_s);
    school.addGradeGroup(u"初二年级组"_s);
    school.addClass(u"初二年级组"_s, u"二班"_s, u"王老师"_s, u"1"_s);
    school.addClass(u"初二年级组"_s, u"四班"_s, u"李老师"_s, u"2"_s);
    school.addTeaching(u"初二年级组"_s, u"四班"_s, u"语文"_s, u"李老师"_s);
    school.closeDb();
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin, .shown = false});
    ScriptedResponder &responder = h.responder;
    GradeGroupWindow *w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    tick(w->gradeGroupList, u"初二年级组"_s, false);
    responder.answer(answer);
    w->saveButton->click();
    QVERIFY(!responder.shown().isEmpty());
    const ScriptedResponder::Shown question = responder.shown().first();
    QVERIFY(question.isQuestion);
    QCOMPARE(question.title, u"提示……"_s);
    QVERIFY2(question.text.contains(u"初二年级组"_s) && question.text.contains(u"二班、四班"_s)
                 && question.text.contains(u"任课 1项"_s),
             qPrintable(question.text));
    const int left = school.count(uR"(select count(*) from "教导处" where "对应内容"='初二年级组')"_s);
    if (!answer) {
        QCOMPARE(responder.shown().size(), 1);
        QCOMPARE(storedGroups(school).size(), 2);
        QCOMPARE(left, 3);
        QCOMPARE(ticked(w->gradeGroupList), QStringList{u"初一年级组"_s});   // the user's ticks stay
        return;
    }
    QCOMPARE(responder.last().text, u"年级组设置已经保存。"_s);
    QCOMPARE(storedGroups(school).values(), QStringList{u"初一年级组"_s});
    QCOMPARE(left, 0);
}

void TestGradeGroupWindow::saveAfterSignOutElsewhere()
{
    TestSchool school;
    school.addGradeGroup(u"初一年级组"_s);
    school.closeDb();
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin, .shown = false});
    ScriptedResponder &responder = h.responder;
    GradeGroupWindow *w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    tick(w->gradeGroupList, u"高二年级组"_s, true);
    // Another window signs the administrator out; this one still shows signed in.
    h.main.session().denglu.clear();
    QVERIFY(w->saveButton->isEnabled());
    w->saveButton->click();
    QCOMPARE(responder.texts(), QStringList{u"请管理员先登陆,才能查看和修改。"_s});
    QCOMPARE(storedGroups(school).values(), QStringList{u"初一年级组"_s});
    // The window catches up with the state.
    QVERIFY(!w->saveButton->isEnabled());
    QCOMPARE(w->signInButton->text(), u"管理员 登陆(&K)"_s);
}

void TestGradeGroupWindow::closingWithUnsavedTicksAsks_data()
{
    QTest::addColumn<QString>("change");    // "tick" 高一年级组, "untick" 初二年级组 (it has a class), "back"
    QTest::addColumn<bool>("signOut");      // signed out elsewhere before closing
    QTest::addColumn<QString>("answers");   // Y, N, C in order
    QTest::addColumn<bool>("byFrame");      // the frame's close instead of 退 出 设 置
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<int>("messages");
    const QStringList before{u"初一年级组"_s, u"初二年级组"_s};
    QTest::newRow("Yes saves") << u"tick"_s << false << u"Y"_s << false << true
                               << QStringList{u"初一年级组"_s, u"初二年级组"_s, u"高一年级组"_s} << 2;
    QTest::newRow("No drops") << u"tick"_s << false << u"N"_s << true << true << before << 1;
    QTest::newRow("Cancel stays") << u"tick"_s << false << u"C"_s << false << false << before << 1;
    QTest::newRow("Yes, removal answered No: stays") << u"untick"_s << false << u"YN"_s << true << false << before
                                                     << 2;
    QTest::newRow("Yes while signed out: stays") << u"tick"_s << true << u"Y"_s << false << false << before << 2;
    QTest::newRow("ticked back: nothing asked") << u"back"_s << false << QString() << false << true << before << 0;
}

void TestGradeGroupWindow::closingWithUnsavedTicksAsks()
{
    QFETCH(QString, change);
    QFETCH(bool, signOut);
    QFETCH(QString, answers);
    QFETCH(bool, byFrame);
    QFETCH(bool, closes);
    QFETCH(QStringList, stored);
    QFETCH(int, messages);
    TestSchool school;
    school.addGradeGroup(u"初一年级组"_s);
    school.addGradeGroup(u"初二年级组"_s);
    school.addClass(u"初二年级组"_s, u"二班"_s, u"王老师"_s);
    school.closeDb();
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin});
    ScriptedResponder &responder = h.responder;
    GradeGroupWindow *w = h.open<GradeGroupWindow>(kGradeGroupWindow);
    QVERIFY(!w->hasUnsavedChanges());
    if (change == u"untick"_s) {
        tick(w->gradeGroupList, u"初二年级组"_s, false);
    } else {
        tick(w->gradeGroupList, u"高一年级组"_s, true);
        if (change == u"back"_s)
            tick(w->gradeGroupList, u"高一年级组"_s, false);
    }
    if (signOut)
        h.signOut();
    for (const QChar a : answers)
        responder.answer(a == u'Y' ? Answer::Yes : a == u'N' ? Answer::No : Answer::Cancel);
    const QStringList ticks = ticked(w->gradeGroupList);
    if (byFrame)
        QVERIFY(qobject_cast<QMdiSubWindow *>(w->parentWidget())->close() == closes);
    else
        w->closeButton->click();

    QCOMPARE(responder.shown().size(), messages);
    if (messages > 0) {
        const ScriptedResponder::Shown question = responder.shown().first();
        QVERIFY(question.isQuestion);
        QVERIFY(question.hasCancel);
        QCOMPARE(question.title, u"提示……"_s);
        QCOMPARE(question.text, u"请问?是否将年级组保存为现在设置的%1个年级组？"_s.arg(ticks.size()));
    }
    if (signOut)
        QCOMPARE(responder.last().text, u"请管理员先登陆,才能查看和修改。"_s);
    QCOMPARE(storedGroups(school).values(), stored);
    if (closes) {
        QTRY_VERIFY(!h.isOpen(kGradeGroupWindow));
        return;
    }
    QCoreApplication::processEvents();
    QVERIFY(h.isOpen(kGradeGroupWindow));
    QVERIFY(w->isVisible());
    QCOMPARE(ticked(w->gradeGroupList), ticks);   // the changes stay
    QVERIFY(w->hasUnsavedChanges());
}

QTEST_MAIN(TestGradeGroupWindow)
#include "tst_grade_group_window.moc"
