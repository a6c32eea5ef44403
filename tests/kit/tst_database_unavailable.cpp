// The prompt every window gives when it cannot open its database.
#include "fixtures/server_share.h"
#include "fixtures/test_school.h"
#include "fixtures/window_harness.h"
#include "kit/database_unavailable.h"
#include "kit/window_base.h"
#include "kit/window_names.h"
#include "db/database.h"
#include "widgets/messages.h"

#include <QFile>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

class TestDatabaseUnavailable : public QObject {
    Q_OBJECT

private slots:
    void networkMode_data();
    void networkMode();
    void everyWindowOffersThePrompt_data();
    void everyWindowOffersThePrompt();
    void answers_data();
    void answers();
    void fileWithoutTheSchoolTables_data();
    void fileWithoutTheSchoolTables();
    void windowKeepsItsConnection();
};

void TestDatabaseUnavailable::networkMode_data()
{
    QTest::addColumn<QString>("openpath");
    QTest::addColumn<bool>("network");
    QTest::newRow("server") << uR"(\\PC1\shuju$\data.mdb)"_s << true;
    QTest::newRow("program folder on a share") << uR"(D:\\apps\data.mdb)"_s << true;
    QTest::newRow("local") << u"/home/school/data.mdb"_s << false;
    QTest::newRow("server, forward slashes") << u"//PC1/shuju$/data.mdb"_s << true;
    QTest::newRow("one backslash") << uR"(C:\Tessaly\data.mdb)"_s << false;
}

void TestDatabaseUnavailable::networkMode()
{
    QFETCH(QString, openpath);
    QFETCH(bool, network);
    QCOMPARE(isNetworkMode(openpath), network);
}

void TestDatabaseUnavailable::everyWindowOffersThePrompt_data()
{
    QTest::addColumn<QString>("window");
    for (const char16_t *name : {kGradeGroupWindow, kClassSetupWindow, kSubjectSetupWindow, kPasswordAdminWindow,
                                 kHeadTeacherListWindow, kTeacherListWindow, kRegisterWindow, kScoreEntryWindow,
                                 kDataMaintenanceWindow}) {
        const QString n = QString::fromUtf16(name);
        QTest::newRow(n.toUtf8().constData()) << n;
    }
}

// A missing server database: each window's loading shows the prompt once and
// no data error of its own.
void TestDatabaseUnavailable::everyWindowOffersThePrompt()
{
    QFETCH(QString, window);
    TestSchool school;
    ServerShare server;
    WindowHarness h(school, {.shown = false});
    h.session().openpath = uR"(\\PC1\shuju$\data.mdb)"_s;
    int quits = 0;
    h.main.setQuitHandler([&] { ++quits; });
    h.responder.answer(false);
    QVERIFY(h.main.showWindow(window));
    QCOMPARE(h.responder.texts(), QStringList{databaseUnavailableText(true)});
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    QCOMPARE(quits, 1);
}

void TestDatabaseUnavailable::answers_data()
{
    QTest::addColumn<bool>("network");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("opens");   // the window Yes opens; empty: the program ends
    QTest::newRow("local, yes") << false << true << QString::fromUtf16(kDownloadWindow);
    QTest::newRow("network, yes") << true << true << QString::fromUtf16(kConnectionFailureDialog);
    QTest::newRow("local, no") << false << false << QString();
    QTest::newRow("network, no") << true << false << QString();
}

void TestDatabaseUnavailable::answers()
{
    QFETCH(bool, network);
    QFETCH(bool, yes);
    QFETCH(QString, opens);
    TestSchool school;
    ServerShare server;
    school.closeDb();
    if (!network)
        QVERIFY(QFile::remove(school.dbPath()));
    WindowHarness h(school, {.shown = false});
    if (network)
        h.session().openpath = uR"(\\PC1\shuju$\data.mdb)"_s;
    int quits = 0;
    h.main.setQuitHandler([&] { ++quits; });
    h.responder.answer(yes);
    QVERIFY(h.main.showWindow(kGradeGroupWindow));

    const QString text = h.responder.shown().value(0).text;
    QCOMPARE(text, databaseUnavailableText(network));
    QVERIFY(text.startsWith(u"错误提示:\r\r    "_s));
    QVERIFY(text.endsWith(u"\r\r    你继续使用本软件吗？"_s));
    QVERIFY(text.contains(network ? u"        3、你可以过会再试。"_s : u"    你可以与管理员联系，或下载服务器数据库。"_s));
    QCOMPARE(quits, yes ? 0 : 1);
    QCOMPARE(h.isOpen(kDownloadWindow), opens == QString::fromUtf16(kDownloadWindow));
    QCOMPARE(h.isOpen(kConnectionFailureDialog), opens == QString::fromUtf16(kConnectionFailureDialog));
    QCOMPARE(h.responder.shown().size(), 1);
}

void TestDatabaseUnavailable::fileWithoutTheSchoolTables_data()
{
    QTest::addColumn<QString>("content");   // "empty": zero bytes; else the one table the file holds
    QTest::addColumn<QString>("window");    // empty: the start-up
    QTest::newRow("zero bytes at start") << u"empty"_s << QString();
    QTest::newRow("foreign database at start") << u"名单"_s << QString();
    QTest::newRow("only 教导处 at start") << u"教导处"_s << QString();
    QTest::newRow("zero bytes, register") << u"empty"_s << QString::fromUtf16(kRegisterWindow);
    QTest::newRow("foreign database, class set-up") << u"名单"_s << QString::fromUtf16(kClassSetupWindow);
}

// An empty or foreign data.mdb is no school database: the local prompt, and Yes
// offers the download.
void TestDatabaseUnavailable::fileWithoutTheSchoolTables()
{
    QFETCH(QString, content);
    QFETCH(QString, window);
    TestSchool school;
    QVERIFY(school.writeSchoolName(u"实验中学"_s));
    school.closeDb();
    {
        QFile f(school.dbPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }
    if (content != u"empty"_s) {
        db::Connection c(school.dbPath());
        QVERIFY(c.exec(uR"(CREATE TABLE "%1" ("名称" TEXT))"_s.arg(content)));
    }
    WindowHarness h(school, {.shown = false});
    int quits = 0;
    h.main.setQuitHandler([&] { ++quits; });
    h.responder.answer(true);
    if (window.isEmpty())
        h.main.MDIForm_Load();
    else
        QVERIFY(h.main.showWindow(window));
    QCOMPARE(h.responder.texts(), QStringList{databaseUnavailableText(false)});
    QCOMPARE(quits, 0);
    QVERIFY(h.isOpen(kDownloadWindow));
}

// The check opens the window's own connection, which later reads reuse; a file
// replaced meanwhile is opened again.
void TestDatabaseUnavailable::windowKeepsItsConnection()
{
    TestSchool school;
    QVERIFY(school.writeSchoolName(u"实验中学"_s));
    WindowHarness h(school, {.shown = false});
    struct Window : FormWindow {
        using FormWindow::FormWindow;
    } window(h.main);

    QVERIFY(databaseAvailable(window, nullptr));
    QVERIFY(h.responder.texts().isEmpty());
    const QString first = window.connection().handle().connectionName();
    QVERIFY(window.connection().ok());
    QCOMPARE(window.connection().handle().connectionName(), first);

    const QString copy = school.dbPath() + u".copy"_s;
    QVERIFY(QFile::copy(school.dbPath(), copy));
    QVERIFY(QFile::remove(school.dbPath()));
    QVERIFY(QFile::rename(copy, school.dbPath()));
    db::Connection &again = window.connection();
    QVERIFY(again.ok());
    QVERIFY(again.isCurrentFile());
    QVERIFY(again.handle().connectionName() != first);
    QCOMPARE(again.scalar(uR"(SELECT count(*) FROM "教导处")"_s).toInt() > 0, true);
}

QTEST_MAIN(TestDatabaseUnavailable)
#include "tst_database_unavailable.moc"
