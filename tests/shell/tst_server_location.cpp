// The server database's location: the path derivation, 服务器设置 and
// 与服务器的连接.
#include "fixtures/files.h"
#include "fixtures/server_share.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "workbook/gbk.h"
#include "widgets/messages.h"
#include "shell/connection_failure_dialog.h"
#include "shell/server_location.h"
#include "shell/server_settings_window.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kRefusal = u"您输入的网络路径不正确,无法连接网络服务器数据库。\r\r     请重新设置路径,或与管理员联系。"_s;

bool menuItemOn(WindowHarness &h, const QString &name)
{
    auto *a = h.main.findChild<QAction *>(name);
    return a && a->isEnabled();
}

// A local school, a server school published on \\PC1, and the harness.
struct Setup {
    TestSchool local;
    TestSchool serverSchool;
    ServerShare server;
    QString serverPath = server.publish(serverSchool);
    WindowHarness h{local, {.shown = false}};
    int quits = 0;
    Setup() { h.main.setQuitHandler([this] { ++quits; }); }
};

} // namespace

class TestServerLocation : public QObject {
    Q_OBJECT

private slots:
    void derivation_data();
    void derivation();
    void goodPathIsSavedAndUsed();
    void labelsExampleConnects();
    void badPathIsRefused_data();
    void badPathIsRefused();
    void answerNoKeepsTheDatabase();
    void localDatabaseChoice_data();
    void localDatabaseChoice();
    void exitTestsTheDatabaseInUse_data();
    void exitTestsTheDatabaseInUse();
    void failureDialogOpensServerSettings();
    void failureDialogQuits();
};

void TestServerLocation::derivation_data()
{
    QTest::addColumn<QString>("installer");
    QTest::addColumn<QString>("database");   // empty: no derivation
    QTest::newRow("the usual path") << uR"(\\PC1\Tessaly安装\setup.exe)"_s << uR"(\\PC1\shuju$\data.mdb)"_s;
    QTest::newRow("none") << uR"(\\server\Tessaly\setup.exe)"_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("first") << uR"(Tessaly安装\setup.exe)"_s << QString();
    QTest::newRow("second character") << uR"(\Tessaly安装\setup.exe)"_s << uR"(\shuju$\data.mdb)"_s;
    QTest::newRow("twice: cut at the first")
        << uR"(\\PC1\a\Tessaly安装\b\Tessaly安装\setup.exe)"_s << uR"(\\PC1\a\shuju$\data.mdb)"_s;
}

void TestServerLocation::derivation()
{
    QFETCH(QString, installer);
    QFETCH(QString, database);
    QCOMPARE(ServerDatabasePath(installer).value_or(QString()), database);
}

void TestServerLocation::goodPathIsSavedAndUsed()
{
    Setup s;
    // A saved path fills the box when the window loads.
    QVERIFY(writeLineGbk(s.local.file(u"PATH.DLL"_s), ServerShare::installerPath()));
    auto *w = s.h.open<ServerSettingsWindow>(kServerSettingsWindow);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), u"连接服务器设置"_s);
    QCOMPARE(w->pathBox->text(), ServerShare::installerPath());
    saveShot(w->grab().toImage(), u"server_settings"_s);

    QFile::remove(s.local.file(u"PATH.DLL"_s));
    s.h.responder.answer(true);
    QTest::mouseClick(w->testButton, Qt::LeftButton);

    QCOMPARE(s.h.responder.texts(), QStringList{u"恭喜！您输入的路径与服务器数据连接正确，是否保存本路径？"_s});
    QCOMPARE(s.h.responder.last().title, u"提示"_s);
    QCOMPARE(fileBytes(s.local.file(u"PATH.DLL"_s)), toGbk(ServerShare::installerPath()) + "\r\n");
    QCOMPARE(s.h.session().openpath, s.serverPath);
    QVERIFY(!menuItemOn(s.h, u"LJFWQ"_s));
    QVERIFY(menuItemOn(s.h, u"TBSJ"_s));
    QVERIFY(s.h.main.findChild<QAction *>(u"服务器设置"_s)->isEnabled());   // toolbar buttons stay
    QTRY_VERIFY(!s.h.isOpen(kServerSettingsWindow));
}

void TestServerLocation::labelsExampleConnects()
{
    // The path the window's own text shows as the way to write it, on a server
    // named as in the example, connects.
    Setup s;
    const QString serverPath = s.server.publish(s.serverSchool, u"server"_s);
    auto *w = s.h.open<ServerSettingsWindow>(kServerSettingsWindow);
    const QRegularExpressionMatch example
        = QRegularExpression(uR"(\\\\server\\\S+?\\setup\.exe)"_s).match(w->howToLabel->text());
    QVERIFY2(example.hasMatch(), qPrintable(w->howToLabel->text()));
    w->pathBox->setText(example.captured());
    s.h.responder.answer(true);
    QTest::mouseClick(w->testButton, Qt::LeftButton);
    QCOMPARE(s.h.responder.texts(), QStringList{u"恭喜！您输入的路径与服务器数据连接正确，是否保存本路径？"_s});
    QCOMPARE(s.h.session().openpath, serverPath);
}

void TestServerLocation::badPathIsRefused_data()
{
    QTest::addColumn<QString>("installer");
    QTest::newRow("empty") << QString();
    QTest::newRow("name first") << u"Tessaly安装\\setup.exe"_s;
    QTest::newRow("no database on that computer") << ServerShare::installerPath(u"PC2"_s);
}

void TestServerLocation::badPathIsRefused()
{
    QFETCH(QString, installer);
    Setup s;
    const QString before = s.h.session().openpath;
    auto *w = s.h.open<ServerSettingsWindow>(kServerSettingsWindow);
    w->pathBox->setText(installer);
    QTest::mouseClick(w->testButton, Qt::LeftButton);

    QCOMPARE(s.h.responder.shown().size(), 1);
    QCOMPARE(s.h.responder.last().text, kRefusal);
    QCOMPARE(s.h.responder.last().title, u"提示"_s);
    QVERIFY(!s.h.responder.last().isQuestion);
    QVERIFY(!QFile::exists(s.local.file(u"PATH.DLL"_s)));
    QCOMPARE(s.h.session().openpath, before);
    QVERIFY(menuItemOn(s.h, u"LJFWQ"_s));
    QVERIFY(s.h.isOpen(kServerSettingsWindow));
}

void TestServerLocation::answerNoKeepsTheDatabase()
{
    Setup s;
    s.h.session().openpath = s.serverPath;   // even the server copy stays
    auto *w = s.h.open<ServerSettingsWindow>(kServerSettingsWindow);
    w->pathBox->setText(ServerShare::installerPath());
    s.h.responder.answer(false);
    QTest::mouseClick(w->testButton, Qt::LeftButton);
    QCOMPARE(s.h.responder.last().text, u"现在继续使用本机数据库。"_s);
    QCOMPARE(s.h.responder.last().title, kProgramTitle);
    QCOMPARE(s.h.session().openpath, s.serverPath);
    QVERIFY(!QFile::exists(s.local.file(u"PATH.DLL"_s)));
    QVERIFY(menuItemOn(s.h, u"LJFWQ"_s));
    QVERIFY(s.h.isOpen(kServerSettingsWindow));
}

void TestServerLocation::localDatabaseChoice_data()
{
    QTest::addColumn<bool>("fromFailureDialog");
    QTest::newRow("服务器设置") << false;
    QTest::newRow("与服务器的连接") << true;
}

void TestServerLocation::localDatabaseChoice()
{
    QFETCH(bool, fromFailureDialog);
    Setup s;
    QVERIFY(s.local.writeSchoolName(u"实验中学"_s));
    s.h.main.setWindowTitle(u"Tessaly"_s);
    s.h.session().openpath = s.serverPath;
    if (fromFailureDialog) {
        auto *w = s.h.open<ConnectionFailureDialog>(kConnectionFailureDialog);
        QTest::mouseClick(w->localDatabaseButton, Qt::LeftButton);
    } else {
        auto *w = s.h.open<ServerSettingsWindow>(kServerSettingsWindow);
        QTest::mouseClick(w->useLocalButton, Qt::LeftButton);
    }
    QCOMPARE(s.h.session().openpath, s.local.dbPath());
    QVERIFY(!menuItemOn(s.h, u"TBSJ"_s));
    QVERIFY(!menuItemOn(s.h, u"BDSC"_s));
    QVERIFY(menuItemOn(s.h, u"LJFWQ"_s));
    QCOMPARE(s.h.main.windowTitle(), fromFailureDialog ? u"实验中学Tessaly"_s : u"Tessaly"_s);
    QTRY_VERIFY(!s.h.isOpen(kServerSettingsWindow) && !s.h.isOpen(kConnectionFailureDialog));
    QVERIFY(s.h.responder.shown().isEmpty());
}

void TestServerLocation::exitTestsTheDatabaseInUse_data()
{
    QTest::addColumn<bool>("reachable");
    QTest::newRow("reachable: the window closes") << true;
    QTest::newRow("unreachable: the program ends") << false;
}

void TestServerLocation::exitTestsTheDatabaseInUse()
{
    QFETCH(bool, reachable);
    Setup s;
    s.h.session().openpath = reachable ? s.serverPath : uR"(\\PC9\shuju$\data.mdb)"_s;
    auto *w = s.h.open<ServerSettingsWindow>(kServerSettingsWindow);
    QTest::mouseClick(w->exitButton, Qt::LeftButton);
    QCOMPARE(s.quits, reachable ? 0 : 1);
    QVERIFY(s.h.responder.shown().isEmpty());
    if (reachable)
        QTRY_VERIFY(!s.h.isOpen(kServerSettingsWindow));
}

void TestServerLocation::failureDialogOpensServerSettings()
{
    Setup s;
    auto *w = s.h.open<ConnectionFailureDialog>(kConnectionFailureDialog);
    QCOMPARE(w->windowTitle(), u"与服务器的连接错误……"_s);
    saveShot(w->grab().toImage(), u"connection_failure"_s);
    QString shownModally;
    bool failureDialogHidden = false;
    whenModal([&](QWidget *modal) {
        shownModally = modal ? modal->objectName() : QString();
        failureDialogHidden = !w->isVisible();
    });
    QTest::mouseClick(w->serverPathButton, Qt::LeftButton);
    QCOMPARE(shownModally, QString::fromUtf16(kServerSettingsWindow));
    QVERIFY(failureDialogHidden);
    QCOMPARE(s.quits, 0);
}

void TestServerLocation::failureDialogQuits()
{
    Setup s;
    auto *w = s.h.open<ConnectionFailureDialog>(kConnectionFailureDialog);
    QTest::mouseClick(w->quitButton, Qt::LeftButton);
    QCOMPARE(s.quits, 1);
    QVERIFY(s.h.responder.shown().isEmpty());
}

QTEST_MAIN(TestServerLocation)
#include "tst_server_location.moc"
