// 发布信息, 查看信息 and 教务信息管理: publishing with its refusals, the title
// list, search and 显示全部, title clicks, the administrator toggle and 删除,
// and the windows opening each other.
#include "fixtures/server_share.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "widgets/messages.h"
#include "records/notice_admin_window.h"
#include "records/publish_notice_window.h"
#include "records/view_notices_window.h"
#include "shell/sign_in_dialog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QDate kToday(2026, 11, 5);

// Seeds notices (title, unit, time, content) in table order.
void seed(TestSchool &school, const QList<QStringList> &notices)
{
    for (const QStringList &n : notices) {
        QVERIFY(school.db().exec(
            uR"(insert into "信息" ("发布题目","发布单位","发布时间","发布内容") values (?,?,?,?))"_s,
            {n[0], n[1], n[2], n[3]}));
    }
    school.closeDb();
}

QStringList shownDetails(NoticeViewer *w)
{
    return {w->unitLabel->text(), w->timeLabel->text(), w->contentBox->toPlainText()};
}

// Answers the next 登陆 with the password, or with 取消 when it is null.
void answerSignIn(const QString &password, QString *offeredAccount = nullptr)
{
    whenModal([=](QWidget *m) {
        auto *d = qobject_cast<SignInDialog *>(m);
        QVERIFY2(d, "登陆 is not shown");
        if (offeredAccount)
            *offeredAccount = d->accountBox->text();
        if (password.isNull()) {
            d->cancelButton->click();
            return;
        }
        d->passwordBox->setText(password);
        d->okButton->click();
    });
}

void clickTitle(QListWidget *list, const QString &title)
{
    const auto items = list->findItems(title, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(title));
    list->setCurrentItem(items.first());
    emit list->itemClicked(items.first());
}

} // namespace

class TestNoticeWindows : public QObject {
    Q_OBJECT

private slots:
    void publishRefusesInOrder_data();
    void publishRefusesInOrder();
    void publishStoresTextsExactly();
    void failedPublishShowsNoSuccess();
    void unpublishedNoticeIsAskedAbout();
    void listSearchAndShowAll();
    void emptyTable();
    void equalTitles();
    void onlyTheAdministratorUnlocksDelete_data();
    void onlyTheAdministratorUnlocksDelete();
    void deleteAnsweredNoProposesTheFirstRow();
    void deletingTheLastNoticeEmptiesTheDetails();
    void failedDeleteIsReported_data();
    void failedDeleteIsReported();
    void windowsOpenEachOther();
    void deleteStaysOnTheDatabaseTheWindowOpened_data();
    void deleteStaysOnTheDatabaseTheWindowOpened();
    void shots();
};

void TestNoticeWindows::publishRefusesInOrder_data()
{
    QTest::addColumn<QStringList>("boxes");   // title, unit, time, content
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("all empty") << QStringList{u""_s, u""_s, u""_s, u""_s} << u"请填写发布题目"_s << u"Text4"_s;
    QTest::newRow("unit") << QStringList{u"题"_s, u""_s, u""_s, u"内容"_s} << u"请填写发布单位"_s << u"Text2"_s;
    QTest::newRow("time cleared") << QStringList{u"题"_s, u"教导处"_s, u""_s, u"内容"_s} << u"请填写发布时间"_s
                                  << u"Text3"_s;
    QTest::newRow("content") << QStringList{u"题"_s, u"教导处"_s, u"11月"_s, u""_s} << u"请填写教务信息内容"_s
                             << u"Text1"_s;
}

void TestNoticeWindows::publishRefusesInOrder()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestSchool school;
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<PublishNoticeWindow>(kPublishNoticeWindow);
    QVERIFY(w);
    w->titleBox->setText(boxes[0]);
    w->unitBox->setText(boxes[1]);
    w->timeBox->setText(boxes[2]);
    w->contentBox->setPlainText(boxes[3]);
    w->publishButton->click();
    QCOMPARE(h.responder.texts(), QStringList{message});
    QCOMPARE(h.responder.last().title, u"提示"_s);
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), 0);
    QCOMPARE(w->titleBox->text(), boxes[0]);   // nothing emptied
    QCOMPARE(w->contentBox->toPlainText(), boxes[3]);
}

void TestNoticeWindows::publishStoresTextsExactly()
{
    TestSchool school;
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<PublishNoticeWindow>(kPublishNoticeWindow);
    QCOMPARE(w->timeBox->text(), u"2026/11/5"_s);
    const QString title = u"关于\"期末考试\"的 '通知'"_s;
    typeKeys(w->titleBox, title);
    w->unitBox->setText(u" 教导处 "_s);
    w->contentBox->setPlainText(u"第一行\n\"第二行\"\n\n  第四行"_s);
    w->publishButton->click();
    QCOMPARE(h.responder.texts(), QStringList{u"发布成功！"_s});
    QCOMPARE(school.dump(u"信息"_s),
             QStringList{u"1|%1| 教导处 |2026/11/5|第一行\r\n\"第二行\"\r\n\r\n  第四行"_s.arg(title)});
    QCOMPARE(w->titleBox->text(), QString());
    QCOMPARE(w->unitBox->text(), QString());
    QCOMPARE(w->contentBox->toPlainText(), QString());
    QCOMPARE(w->timeBox->text(), u"2026/11/5"_s);   // the time stays for the next notice

    // The viewer shows it back as typed.
    w->viewButton->click();
    auto *v = h.openWindow<ViewNoticesWindow>(kViewNoticesWindow);
    QVERIFY(v);
    QCOMPARE(v->titleList->item(0)->text(), title);
    QCOMPARE(shownDetails(v), (QStringList{u" 教导处 "_s, u"2026/11/5"_s, u"第一行\n\"第二行\"\n\n  第四行"_s}));
}

void TestNoticeWindows::failedPublishShowsNoSuccess()
{
    TestSchool school;
    QVERIFY(school.db().exec(uR"(create trigger refuse before insert on "信息" begin select raise(abort, '拒绝写入'); end)"_s));
    school.closeDb();
    WindowHarness h(school, {.today = kToday});
    auto *w = h.open<PublishNoticeWindow>(kPublishNoticeWindow);
    w->titleBox->setText(u"题"_s);
    w->unitBox->setText(u"教导处"_s);
    w->contentBox->setPlainText(u"内容"_s);
    w->publishButton->click();
    QCOMPARE(h.responder.shown().size(), 1);
    QVERIFY(!h.responder.texts().contains(u"发布成功！"_s));
    QVERIFY2(h.responder.last().text.contains(u"拒绝写入"_s), qPrintable(h.responder.last().text));
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), 0);
    QCOMPARE(w->titleBox->text(), u"题"_s);   // what was typed is kept for another try
    QCOMPARE(w->contentBox->toPlainText(), u"内容"_s);
}

// A typed notice is never dropped unasked: on 关闭, on 查看信息, at the program's end.
void TestNoticeWindows::unpublishedNoticeIsAskedAbout()
{
    TestSchool school;
    WindowHarness h(school, {.today = kToday});
    int quits = 0;
    h.main.setQuitHandler([&] { ++quits; });
    const QString question = u"教务信息还没有发布，要先发布吗?"_s;
    auto *w = h.open<PublishNoticeWindow>(kPublishNoticeWindow);
    w->titleBox->setText(u"放假通知"_s);
    w->contentBox->setPlainText(u"周五放假"_s);

    // Cancel stays with the notice, and the viewer is not opened.
    h.responder.answer(Answer::Cancel);
    w->closeButton->click();
    h.responder.answer(Answer::Cancel);
    w->viewButton->click();
    h.responder.answer(Answer::Cancel);
    h.trigger(u"tuichu"_s);
    QCOMPARE(h.responder.texts(), QStringList(3, question));
    QVERIFY(h.responder.last().hasCancel);
    QCOMPARE(quits, 0);
    QVERIFY(h.isOpen(kPublishNoticeWindow));
    QVERIFY(!h.isOpen(kViewNoticesWindow));
    QCOMPARE(w->titleBox->text(), u"放假通知"_s);

    // Yes publishes: without a unit that is refused, and the window stays.
    h.responder.clear();
    h.responder.answer(Answer::Yes);
    w->closeButton->click();
    QCOMPARE(h.responder.texts(), (QStringList{question, u"请填写发布单位"_s}));
    QVERIFY(h.isOpen(kPublishNoticeWindow));
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), 0);

    // With the unit, Yes publishes it before the viewer opens on the notices.
    w->unitBox->setText(u"教导处"_s);
    h.responder.clear();
    h.responder.answer(Answer::Yes);
    w->viewButton->click();
    QCOMPARE(h.responder.texts(), (QStringList{question, u"发布成功！"_s}));
    QTRY_VERIFY(!h.isOpen(kPublishNoticeWindow));
    auto *v = h.openWindow<ViewNoticesWindow>(kViewNoticesWindow);
    QVERIFY(v);
    QCOMPARE(itemTexts(v->titleList), QStringList{u"放假通知"_s});

    // The offered time alone is no notice: closing asks nothing.
    w = h.open<PublishNoticeWindow>(kPublishNoticeWindow);
    h.responder.clear();
    w->closeButton->click();
    QTRY_VERIFY(!h.isOpen(kPublishNoticeWindow));
    QVERIFY(h.responder.shown().isEmpty());
}

void TestNoticeWindows::listSearchAndShowAll()
{
    TestSchool school;
    seed(school, {{u"期末考试安排"_s, u"教导处"_s, u"11月1日"_s, u"A"_s},
                  {u"Exam week"_s, u"教务处"_s, u"11月2日"_s, u"B"_s},
                  {u"运动会通知"_s, u""_s, u"11月3日"_s, u"C"_s}});
    WindowHarness h(school);
    for (const QString &name : {QString::fromUtf16(kViewNoticesWindow), QString::fromUtf16(kNoticeAdminWindow)}) {
        auto *w = qobject_cast<NoticeViewer *>(h.main.showWindow(name));
        QVERIFY(w);
        QCOMPARE(itemTexts(w->titleList), (QStringList{u"运动会通知"_s, u"Exam week"_s, u"期末考试安排"_s}));
        // The last notice; its empty unit leaves the label empty.
        QCOMPARE(shownDetails(w), (QStringList{u""_s, u"11月3日"_s, u"C"_s}));
        QVERIFY(w->searchResultList->isHidden());
        QVERIFY(!w->showAllButton->isEnabled());

        w->keywordBox->setText(u"考试"_s);
        w->searchButton->click();
        QVERIFY(w->searchResultList->isVisible());
        QCOMPARE(itemTexts(w->searchResultList), QStringList{u"期末考试安排"_s});
        QCOMPARE(shownDetails(w), (QStringList{u""_s, u""_s, u""_s}));
        QVERIFY(w->showAllButton->isEnabled());
        clickTitle(w->searchResultList, u"期末考试安排"_s);
        QCOMPARE(shownDetails(w), (QStringList{u"教导处"_s, u"11月1日"_s, u"A"_s}));

        // Case matters: nothing found, the titles show again, 显示全部 as it was.
        w->keywordBox->setText(u"EXAM"_s);
        w->searchButton->click();
        QCOMPARE(h.responder.texts(), QStringList{u"您要找的内容不存在！"_s});
        QCOMPARE(h.responder.last().title, u"提示"_s);
        QVERIFY(w->searchResultList->isHidden());
        QVERIFY(w->showAllButton->isEnabled());
        QCOMPARE(shownDetails(w), (QStringList{u"教导处"_s, u"11月1日"_s, u"A"_s}));
        w->showAllButton->click();
        QVERIFY(!w->showAllButton->isEnabled());

        // An empty keyword lists every title.
        w->keywordBox->clear();
        w->searchButton->click();
        QCOMPARE(itemTexts(w->searchResultList), itemTexts(w->titleList));
        w->showAllButton->click();
        QVERIFY(w->searchResultList->isHidden());
        QVERIFY(!w->showAllButton->isEnabled());
        h.responder.clear();
    }
}

void TestNoticeWindows::emptyTable()
{
    TestSchool school;
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin});
    auto *w = h.open<NoticeAdminWindow>(kNoticeAdminWindow);
    QCOMPARE(w->titleList->count(), 0);
    QCOMPARE(shownDetails(w), (QStringList{u""_s, u""_s, u""_s}));
    answerSignIn(QString());   // the administrator signed in elsewhere: Cancel signs in here
    w->signInButton->click();
    QVERIFY(w->deleteButton->isEnabled());
    w->deleteButton->click();   // nothing to delete: no question, no message
    QVERIFY(h.responder.shown().isEmpty());
}

void TestNoticeWindows::equalTitles()
{
    TestSchool school;
    school.setAdminPassword(u"adm"_s);
    seed(school, {{u"同名"_s, u"先"_s, u"1日"_s, u"早的"_s},
                  {u"别的"_s, u"中"_s, u"2日"_s, u"中间"_s},
                  {u"同名"_s, u"后"_s, u"3日"_s, u"晚的"_s}});
    WindowHarness h(school);
    auto *v = h.open<ViewNoticesWindow>(kViewNoticesWindow);
    clickTitle(v->titleList, u"别的"_s);
    clickTitle(v->titleList, u"同名"_s);
    QCOMPARE(shownDetails(v), (QStringList{u"后"_s, u"3日"_s, u"晚的"_s}));

    auto *a = h.open<NoticeAdminWindow>(kNoticeAdminWindow);
    clickTitle(a->titleList, u"同名"_s);
    QCOMPARE(shownDetails(a), (QStringList{u"先"_s, u"1日"_s, u"早的"_s}));
    answerSignIn(u"adm"_s);
    a->signInButton->click();
    QVERIFY(a->deleteButton->isEnabled());
    h.responder.answer(true);
    a->deleteButton->click();
    QCOMPARE(h.responder.last().text, u" 确 实 要 删 除 (同名) 这 一 记 录 ？"_s);
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    QCOMPARE(school.dump(u"信息"_s), (QStringList{u"2|别的|中|2日|中间"_s, u"3|同名|后|3日|晚的"_s}));
    QCOMPARE(itemTexts(a->titleList), (QStringList{u"同名"_s, u"别的"_s}));
    QCOMPARE(shownDetails(a), (QStringList{u"后"_s, u"3日"_s, u"晚的"_s}));
    QCOMPARE(a->signInButton->text(), u"管理员退出登陆(&K)"_s);
    QVERIFY(a->deleteButton->isEnabled());
}

void TestNoticeWindows::onlyTheAdministratorUnlocksDelete_data()
{
    QTest::addColumn<QString>("signedInElsewhere");   // denglu before the click
    QTest::addColumn<QString>("password");             // typed into 登陆; null: Cancel
    QTest::addColumn<bool>("unlocked");
    QTest::newRow("head teacher's password") << u"王老师"_s << u"123"_s << false;
    QTest::newRow("head teacher signed in, Cancel") << u"王老师"_s << QString() << false;
    QTest::newRow("nobody, Cancel") << QString() << QString() << false;
    QTest::newRow("administrator's password") << u"王老师"_s << u"adm"_s << true;
    QTest::newRow("administrator signed in elsewhere, Cancel") << u"管理员"_s << QString() << true;
}

void TestNoticeWindows::onlyTheAdministratorUnlocksDelete()
{
    QFETCH(QString, signedInElsewhere);
    QFETCH(QString, password);
    QFETCH(bool, unlocked);
    TestSchool school;
    school.setAdminPassword(u"adm"_s);
    school.addGradeGroup(u"初一年级组"_s);
    school.addClass(u"初一年级组"_s, u"一班"_s, u"王老师"_s, u"123"_s);
    seed(school, {{u"通知"_s, u"教导处"_s, u"1日"_s, u"内容"_s}});
    WindowHarness h(school);
    auto *w = h.open<NoticeAdminWindow>(kNoticeAdminWindow);
    // Signed out when it opens, whoever is signed in.
    QCOMPARE(w->signInButton->text(), u"管理员登陆"_s);
    QVERIFY(!w->deleteButton->isEnabled());
    // Another window has signed its account in since.
    Session &s = h.session();
    s.denglu = signedInElsewhere;
    QString offered;
    answerSignIn(password, &offered);
    w->signInButton->click();
    QCOMPARE(offered, u"管理员"_s);
    QCOMPARE(w->deleteButton->isEnabled(), unlocked);
    QCOMPARE(w->signInButton->text(), unlocked ? u"管理员退出登陆(&K)"_s : u"管理员登陆"_s);
    QCOMPARE(s.denglu == u"管理员"_s, unlocked);
    if (!unlocked)
        return;
    w->signInButton->click();
    QCOMPARE(w->signInButton->text(), u"管理员 登陆(&K)"_s);
    QVERIFY(!w->deleteButton->isEnabled());
    QCOMPARE(s.denglu, QString());
}

void TestNoticeWindows::deleteAnsweredNoProposesTheFirstRow()
{
    TestSchool school;
    seed(school, {{u"A"_s, u"u"_s, u"1"_s, u"a"_s}, {u"B"_s, u"u"_s, u"2"_s, u"b"_s}, {u"C"_s, u"u"_s, u"3"_s, u"c"_s}});
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin});
    auto *w = h.open<NoticeAdminWindow>(kNoticeAdminWindow);
    answerSignIn(QString());
    w->signInButton->click();
    QVERIFY(w->deleteButton->isEnabled());
    h.responder.answer(false);
    w->deleteButton->click();   // the last row after loading
    QCOMPARE(h.responder.last().text, u" 确 实 要 删 除 (C) 这 一 记 录 ？"_s);
    h.responder.answer(false);
    w->deleteButton->click();   // after a No, the first row
    QCOMPARE(h.responder.last().text, u" 确 实 要 删 除 (A) 这 一 记 录 ？"_s);
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), 3);

    // A title click that finds no equal row leaves no current row.
    w->titleList->addItem(u"不存在"_s);
    clickTitle(w->titleList, u"不存在"_s);
    h.responder.clear();
    w->deleteButton->click();
    QCOMPARE(h.responder.texts(), QStringList{u" 无 当 前 记 录"_s});
    QCOMPARE(h.responder.last().title, kProgramTitle);
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), 3);
}

void TestNoticeWindows::deletingTheLastNoticeEmptiesTheDetails()
{
    TestSchool school;
    seed(school, {{u"唯一"_s, u"教导处"_s, u"1日"_s, u"内容"_s}});
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin});
    auto *w = h.open<NoticeAdminWindow>(kNoticeAdminWindow);
    answerSignIn(QString());
    w->signInButton->click();
    w->keywordBox->clear();
    w->searchButton->click();   // results shown, 显示全部 enabled
    QVERIFY(w->showAllButton->isEnabled());
    h.responder.answer(true);
    w->deleteButton->click();
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), 0);
    QCOMPARE(w->titleList->count(), 0);
    QVERIFY(w->searchResultList->isHidden());
    QVERIFY(!w->showAllButton->isEnabled());
    QCOMPARE(shownDetails(w), (QStringList{u""_s, u""_s, u""_s}));
    QVERIFY(w->deleteButton->isEnabled());
    h.responder.clear();
    w->deleteButton->click();   // nothing left: nothing asked
    QVERIFY(h.responder.shown().isEmpty());
}

void TestNoticeWindows::failedDeleteIsReported_data()
{
    QTest::addColumn<QString>("meanwhile");   // run on the database after the window loaded
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("left");
    QTest::newRow("gone meanwhile") << uR"(delete from "信息" where "发布题目"='B')"_s << u" 无 当 前 记 录"_s << 1;
    QTest::newRow("refused by the database")
        << uR"(create trigger keep before delete on "信息" begin select raise(abort, '不能删除'); end)"_s
        << u"不能删除"_s << 2;
}

void TestNoticeWindows::failedDeleteIsReported()
{
    QFETCH(QString, meanwhile);
    QFETCH(QString, message);
    QFETCH(int, left);
    TestSchool school;
    seed(school, {{u"A"_s, u"u"_s, u"1"_s, u"a"_s}, {u"B"_s, u"u"_s, u"2"_s, u"b"_s}});
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin});
    auto *w = h.open<NoticeAdminWindow>(kNoticeAdminWindow);
    answerSignIn(QString());
    w->signInButton->click();
    QVERIFY(school.db().exec(meanwhile));
    school.closeDb();
    h.responder.answer(true);
    w->deleteButton->click();   // the last row, B
    QCOMPARE(h.responder.shown().size(), 2);
    QVERIFY2(h.responder.last().text.contains(message), qPrintable(h.responder.last().text));
    QCOMPARE(h.responder.last().title, kProgramTitle);
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), left);
}

void TestNoticeWindows::deleteStaysOnTheDatabaseTheWindowOpened_data()
{
    QTest::addColumn<bool>("openedOnServer");
    QTest::newRow("switched to the server") << false;
    QTest::newRow("switched back to the local database") << true;
}

// openpath switches while the window is open: its delete still goes to the
// database it opened, never to the row of the same ID in the other one.
void TestNoticeWindows::deleteStaysOnTheDatabaseTheWindowOpened()
{
    QFETCH(bool, openedOnServer);
    TestSchool local;
    seed(local, {{u"本地通知A"_s, u"u"_s, u"1"_s, u"a"_s}});
    TestSchool serverSchool;
    seed(serverSchool, {{u"服务器通知X"_s, u"u"_s, u"1"_s, u"x"_s}});
    ServerShare server;
    const QString serverPath = server.publish(serverSchool);
    const QString localPath = local.dbPath();
    WindowHarness h(local, {.signedIn = WindowHarness::kAdmin});
    h.session().openpath = openedOnServer ? serverPath : localPath;
    auto *w = h.open<NoticeAdminWindow>(kNoticeAdminWindow);
    h.session().openpath = openedOnServer ? localPath : serverPath;
    answerSignIn(QString());
    w->signInButton->click();
    h.responder.answer(true);
    w->deleteButton->click();
    const QString kept = openedOnServer ? u"本地通知A"_s : u"服务器通知X"_s;
    const QString removed = openedOnServer ? u"服务器通知X"_s : u"本地通知A"_s;
    QCOMPARE(h.responder.shown().value(0).text, u" 确 实 要 删 除 (%1) 这 一 记 录 ？"_s.arg(removed));
    for (const QString &path : {localPath, serverPath}) {
        db::Connection c(path);
        const QString left = c.scalar(uR"(select group_concat("发布题目") from "信息")"_s).toString();
        QCOMPARE(left, path == (openedOnServer ? localPath : serverPath) ? kept : QString());
    }
}

void TestNoticeWindows::windowsOpenEachOther()
{
    TestSchool school;
    seed(school, {{u"A"_s, u"u"_s, u"1"_s, u"a"_s}});
    WindowHarness h(school, {.today = kToday});
    for (const char *item : {"fabuxinxi", "chakanxinxi", "jwxxgl", "发布教学信息", "查看教学信息"}) {
        auto *a = h.main.findChild<QAction *>(QString::fromUtf8(item));
        QVERIFY2(a && a->isEnabled(), item);
    }
    h.trigger(u"fabuxinxi"_s);
    auto *p = h.openWindow<PublishNoticeWindow>(kPublishNoticeWindow);
    QVERIFY(p);
    p->titleBox->setText(u"没发布的"_s);
    h.responder.answer(Answer::No);
    p->viewButton->click();   // No drops the notice: the window closes and the viewer opens
    QTRY_VERIFY(!h.isOpen(kPublishNoticeWindow));
    auto *v = h.openWindow<ViewNoticesWindow>(kViewNoticesWindow);
    QVERIFY(v);
    QCOMPARE(itemTexts(v->titleList), QStringList{u"A"_s});

    // A second open only brings it to the front: nothing is read again.
    school.db().exec(uR"(delete from "信息")"_s);
    school.closeDb();
    h.trigger(u"chakanxinxi"_s);
    QCOMPARE(h.openWindow<ViewNoticesWindow>(kViewNoticesWindow), v);
    QCOMPARE(itemTexts(v->titleList), QStringList{u"A"_s});

    v->publishButton->click();
    QTRY_VERIFY(!h.isOpen(kViewNoticesWindow));
    p = h.openWindow<PublishNoticeWindow>(kPublishNoticeWindow);
    QVERIFY(p);
    QCOMPARE(p->titleBox->text(), QString());
    QCOMPARE(school.count(uR"(select count(*) from "信息")"_s), 0);
}

void TestNoticeWindows::shots()
{
    TestSchool school;
    seed(school, {{u"关于期末考试安排的通知"_s, u"教导处"_s, u"2026/11/5"_s, u"各班：\r\n期末考试定于1月10日开始。"_s},
                  {u"运动会通知"_s, u"体育组"_s, u"2026/10/8"_s, u"秋季运动会。"_s}});
    ProgramFontScope font;
    WindowHarness h(school, {.today = kToday, .realSize = true});
    for (const char16_t *name : {kPublishNoticeWindow, kViewNoticesWindow, kNoticeAdminWindow}) {
        QWidget *w = h.main.showWindow(name);
        QVERIFY(w);
        QCoreApplication::processEvents();
        // Every control shows its whole text.
        for (QPushButton *b : w->findChildren<QPushButton *>())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        for (QLabel *l : w->findChildren<QLabel *>()) {
            if (l->isVisible() && !l->text().isEmpty())
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
        }
        saveShot(h.main.grab().toImage(), QString::fromUtf16(name));
        w->parentWidget()->close();
    }
}

QTEST_MAIN(TestNoticeWindows)
#include "tst_notice_windows.moc"
