// 系统数据安全维护: the exam names it shows, the list of the server database's
// exams and files, the exam locks, the server copies, and the window outside
// network mode.
#include "fixtures/files.h"
#include "fixtures/server_share.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "school/exam_locks.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "maintenance/data_maintenance_window.h"
#include "widgets/messages.h"
#include "school/exam_columns.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QPushButton>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

class TestDataMaintenance : public QObject {
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void inertOutsideNetworkMode();
    void listsTheServersExamsAndFiles();
    void confirmStoresTheLocks();
    void backUpAndDeleteCopies();
    void useCopy_data();
    void useCopy();
};

namespace {

// A server with one exam in 初中 and one student scored in it, and the
// administrator signed in on the maintenance window in network mode.
struct ServerCase {
    TestSchool local;
    TestSchool serverSchool;
    ServerShare server;
    QString serverPath;
    QString folder;

    ServerCase()
    {
        serverSchool.addExamColumn(u"初中"_s, u"Z04S语文041015"_s);
        serverSchool.addExamColumn(u"高中"_s, u"M04X数学050620"_s);
        for (int i = 0; i < 40; ++i) {
            const int id = serverSchool.addStudent(u"初中"_s, u"200401%1"_s.arg(i, 2, 10, QLatin1Char('0')), u"李四"_s);
            serverSchool.setScore(u"初中"_s, id, u"Z04S语文041015"_s, 80);
        }
        serverPath = server.publish(serverSchool);
        folder = QFileInfo(db::resolvePath(serverPath)).absolutePath();
    }
    DataMaintenanceWindow *open(WindowHarness &h)
    {
        h.session().openpath = serverPath;
        return h.open<DataMaintenanceWindow>(kDataMaintenanceWindow);
    }
    QString file(const QString &name) const { return QDir(folder).filePath(name); }
    int students(const QString &path)
    {
        db::Connection c(path);
        return c.scalar(uR"(SELECT count(*) FROM "初中")"_s).toInt();
    }
};

void choose(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> items = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!items.isEmpty(), qPrintable(text));
    list->setCurrentItem(items.first());
}

QStringList backups(const QStringList &files)
{
    return files.filter(QRegularExpression(u"^备份\\d{14}(-\\d+)?\\.mdb$"_s));
}

} // namespace

void TestDataMaintenance::decode_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("shown");
    QTest::newRow("mid-term, first half") << u"Z04S语文041015"_s << u"04-05语文(上)期中成绩"_s;
    QTest::newRow("final, second half") << u"M04X语文050620"_s << u"04-05语文(下)期末成绩"_s;
    QTest::newRow("year 09") << u"Z09X数学100410"_s << u"09-10数学(下)期中成绩"_s;
    QTest::newRow("quiz") << u"C单元语文050315"_s << u"单元语文成绩"_s;
    QTest::newRow("entrance") << u"R入学语文050901"_s << u"入学成绩"_s;
    QTest::newRow("quiz holding a capital, no year") << u"C单元S语文050315"_s << u"单元S语文成绩"_s;
    QTest::newRow("quiz holding M, no year") << u"CMP测验数学050315"_s << u"MP测验数学成绩"_s;
    QTest::newRow("quiz holding X, one digit") << u"C1X英语050315"_s << u"1X英语成绩"_s;
}

void TestDataMaintenance::decode()
{
    QFETCH(QString, raw);
    QFETCH(QString, shown);
    QCOMPARE(school::DecodeExamName(raw, school::kMaintenanceNames), shown);
}

void TestDataMaintenance::inertOutsideNetworkMode()
{
    TestSchool school;
    school.addExamColumn(u"高中"_s, u"Z04S语文041015"_s);
    WindowHarness h(school, {.signedIn = WindowHarness::kAdmin, .shown = false});
    auto *w = h.open<DataMaintenanceWindow>(kDataMaintenanceWindow);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), u"管理员维护系统数据安全"_s);
    QCOMPARE(h.responder.texts(), QStringList{u"你现在还没有连接网络服务器,不能进行系统数据安全维护。"_s});
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    QVERIFY(!w->signInButton->isEnabled());
    for (QPushButton *b : {w->saveLocksButton, w->backUpButton, w->deleteBackupButton, w->useBackupButton})
        QVERIFY(!b->isEnabled());
    QVERIFY(w->closeButton->isEnabled());
    QCOMPARE(itemTexts(w->examList), QStringList{u"无数据库内容!"_s});
    QCOMPARE(w->backupList->count(), 0);
}

void TestDataMaintenance::listsTheServersExamsAndFiles()
{
    TestSchool local;
    TestSchool serverSchool;
    serverSchool.addExamColumn(u"高中"_s, u"Z04S语文041015"_s);
    serverSchool.addExamColumn(u"初中"_s, u"Z04S语文041015"_s);
    serverSchool.addEvaluationColumn(u"初中"_s, u"P2004上"_s);
    serverSchool.addExamColumn(u"小学"_s, u"R入学语文050901"_s);
    serverSchool.addExamColumn(u"小学"_s, u"C单元语文050315"_s);
    ServerShare server;
    const QString serverPath = server.publish(serverSchool);
    const QString folder = QFileInfo(db::resolvePath(serverPath)).absolutePath();
    QVERIFY(QFile::copy(db::resolvePath(serverPath), folder + u"/备份0301.mdb"_s));
    QFile notes(folder + u"/说明.txt"_s);
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.close();

    WindowHarness h(local, {.shown = false});
    h.session().openpath = serverPath;
    auto *w = h.open<DataMaintenanceWindow>(kDataMaintenanceWindow);
    QVERIFY(h.responder.shown().isEmpty());
    QCOMPARE(itemTexts(w->examList), (QStringList{u"高中04-05语文(上)期中成绩"_s, u"初中04-05语文(上)期中成绩"_s,
                                               u"小学入学成绩"_s, u"小学单元语文成绩"_s}));
    QCOMPARE(w->lockableExams().size(), 4);
    QCOMPARE(w->lockableExams()[3].table, u"小学"_s);
    QCOMPARE(w->lockableExams()[3].column, u"C单元语文050315"_s);
    QCOMPARE(w->examList->item(0)->checkState(), Qt::Unchecked);
    QCOMPARE(itemTexts(w->backupList), (QStringList{u"data.mdb"_s, u"备份0301.mdb"_s}));
    QVERIFY(w->signInButton->isEnabled());
    QVERIFY(!w->saveLocksButton->isEnabled());   // until the administrator signs in
}

void TestDataMaintenance::confirmStoresTheLocks()
{
    ServerCase sc;
    const QString mid = u"初中04-05语文(上)期中成绩"_s;
    {
        WindowHarness h(sc.local, {.signedIn = WindowHarness::kAdmin, .shown = false});
        auto *w = sc.open(h);
        QCOMPARE(w->signInButton->text(), u"管理员退出登陆(&K)"_s);
        for (QPushButton *b : {w->saveLocksButton, w->backUpButton, w->deleteBackupButton, w->useBackupButton})
            QVERIFY(b->isEnabled());
        tick(w->examList, mid);
        saveShot(windowFrame(w)->grab().toImage(), u"data_maintenance"_s);
        QTest::mouseClick(w->saveLocksButton, Qt::LeftButton);
        QCOMPARE(h.responder.texts(),
                 QStringList{u"已经保存：打勾的1项考试已经锁定，任课教师不能再修改这些考试的成绩。"_s});
        QVERIFY(h.isOpen(kDataMaintenanceWindow));
    }
    db::Connection c(sc.serverPath);
    QCOMPARE(school::lockedExams(c), (QList<school::ExamLock>{{u"初中"_s, u"Z04S语文041015"_s}}));
    c.close();

    // Opened again: the stored lock is ticked; unticking and saving unlocks.
    WindowHarness h(sc.local, {.signedIn = WindowHarness::kAdmin, .shown = false});
    auto *w = sc.open(h);
    QCOMPARE(ticked(w->examList), QStringList{mid});
    tick(w->examList, mid, false);
    QTest::mouseClick(w->saveLocksButton, Qt::LeftButton);
    QCOMPARE(h.responder.last().text, u"已经保存：没有锁定的考试，任课教师可以修改所有考试的成绩。"_s);
    c.open(sc.serverPath);
    QVERIFY(school::lockedExams(c).isEmpty());
}

void TestDataMaintenance::backUpAndDeleteCopies()
{
    ServerCase sc;
    WindowHarness h(sc.local, {.signedIn = WindowHarness::kAdmin, .shown = false});
    auto *w = sc.open(h);
    QTest::mouseClick(w->backUpButton, Qt::LeftButton);
    const QStringList made = backups(itemTexts(w->backupList));
    QCOMPARE(made.size(), 1);
    QCOMPARE(w->backupList->currentItem()->text(), made[0]);
    QCOMPARE(h.responder.last().text, u"现在的数据库已经备份为“%1”。"_s.arg(made[0]));
    QCOMPARE(sc.students(sc.file(made[0])), 40);

    // The live database is never deleted; a copy only after Yes.
    choose(w->backupList, u"data.mdb"_s);
    QTest::mouseClick(w->deleteBackupButton, Qt::LeftButton);
    QCOMPARE(h.responder.last().text, u"“data.mdb”是正在使用的数据库，不能删除。"_s);
    QVERIFY(QFile::exists(sc.file(u"data.mdb"_s)));
    choose(w->backupList, made[0]);
    h.responder.answer(false);
    QTest::mouseClick(w->deleteBackupButton, Qt::LeftButton);
    QCOMPARE(h.responder.last().text, u"确实要删除数据库“%1”吗？删除后不能恢复。"_s.arg(made[0]));
    QVERIFY(QFile::exists(sc.file(made[0])));
    choose(w->backupList, made[0]);
    h.responder.answer(true);
    QTest::mouseClick(w->deleteBackupButton, Qt::LeftButton);
    QVERIFY(!QFile::exists(sc.file(made[0])));
    QCOMPARE(itemTexts(w->backupList), QStringList{u"data.mdb"_s});
}

void TestDataMaintenance::useCopy_data()
{
    QTest::addColumn<QString>("copy");     // "school": a copy with fewer students; "empty"; "damaged"
    QTest::addColumn<QString>("refusal");  // in the message; empty: used
    QTest::newRow("a school copy") << u"school"_s << QString();
    QTest::newRow("zero-byte copy") << u"empty"_s << u"不是本程序的数据库"_s;
    QTest::newRow("damaged copy") << u"damaged"_s << u"数据库文件已损坏"_s;
}

void TestDataMaintenance::useCopy()
{
    QFETCH(QString, copy);
    QFETCH(QString, refusal);
    ServerCase sc;
    const QString name = u"三月.mdb"_s;
    QVERIFY(QFile::copy(db::resolvePath(sc.serverPath), sc.file(name)));
    if (copy == u"school"_s) {
        db::Connection c(sc.file(name));
        QVERIFY(c.exec(uR"(DELETE FROM "初中" WHERE "ID" > 10)"_s));
    } else if (copy == u"empty"_s) {
        putFile(sc.file(name), QByteArray());
    } else {
        damageDatabasePages(sc.file(name));
    }
    const QByteArray live = fileBytes(sc.file(u"data.mdb"_s));
    const QByteArray chosen = fileBytes(sc.file(name));

    WindowHarness h(sc.local, {.signedIn = WindowHarness::kAdmin, .shown = false});
    auto *w = sc.open(h);
    choose(w->backupList, name);
    h.responder.answer(true);
    QTest::mouseClick(w->useBackupButton, Qt::LeftButton);
    QVERIFY2(h.responder.texts().size() == 2, qPrintable(h.responder.texts().join(u'\n')));
    QVERIFY(h.responder.texts().first().startsWith(u"要用数据库“三月.mdb”替换现在的服务器数据库吗？\r现在的数据库将先备份为“备份"_s));
    const QString last = h.responder.last().text;
    const QStringList made = backups(QDir(sc.folder).entryList(QDir::Files));
    if (refusal.isEmpty()) {
        QCOMPARE(made.size(), 1);
        QCOMPARE(last, u"现在使用的是数据库“三月.mdb”的内容，原来的数据库已经备份为“%1”。"_s.arg(made[0]));
        QCOMPARE(fileBytes(sc.file(u"data.mdb"_s)), chosen);
        QCOMPARE(fileBytes(sc.file(made[0])), live);
        QCOMPARE(sc.students(sc.serverPath), 10);
    } else {
        QVERIFY2(last.startsWith(u"没有使用数据库“三月.mdb”，服务器数据库没有改变："_s) && last.contains(refusal), qPrintable(last));
        QVERIFY(made.isEmpty());
        QCOMPARE(fileBytes(sc.file(u"data.mdb"_s)), live);
    }
}

QTEST_MAIN(TestDataMaintenance)
#include "tst_data_maintenance.moc"
