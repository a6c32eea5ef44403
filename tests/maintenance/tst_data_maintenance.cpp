// 系统数据安全维护: the exam names it shows, the list of the server database's
// exams and files, and the window outside network mode.
#include "fixtures/server_share.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/window_names.h"
#include "kit/window_steps.h"
#include "maintenance/data_maintenance_window.h"
#include "platform/messages.h"
#include "score_entry/exam_columns.h"

#include <QFile>
#include <QListWidget>
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
    void confirmTellsThatNothingIsLocked();
};

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
    QCOMPARE(score::DecodeExamName(raw, score::kMaintenanceNames), shown);
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
    QVERIFY(!w->Command3->isEnabled());
    for (QPushButton *b : {w->Command1, w->Command4, w->Command5, w->Command6})
        QVERIFY(!b->isEnabled());
    QVERIFY(w->Command2->isEnabled());
    QCOMPARE(itemTexts(w->List1), QStringList{u"无数据库内容!"_s});
    QCOMPARE(w->File1->count(), 0);
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
    QCOMPARE(itemTexts(w->List1), (QStringList{u"高中04-05语文(上)期中成绩"_s, u"初中04-05语文(上)期中成绩"_s,
                                               u"小学入学成绩"_s, u"小学单元语文成绩"_s}));
    QCOMPARE(w->lockableExams().size(), 4);
    QCOMPARE(w->lockableExams()[3].table, u"小学"_s);
    QCOMPARE(w->lockableExams()[3].column, u"C单元语文050315"_s);
    QCOMPARE(w->List1->item(0)->checkState(), Qt::Unchecked);
    QCOMPARE(itemTexts(w->File1), (QStringList{u"data.mdb"_s, u"备份0301.mdb"_s}));
    QVERIFY(w->Command3->isEnabled());
    QVERIFY(!w->Command1->isEnabled());   // until the administrator signs in
    QCOMPARE(h.session().username, u"管理员"_s);
}

void TestDataMaintenance::confirmTellsThatNothingIsLocked()
{
    TestSchool local;
    TestSchool serverSchool;
    serverSchool.addExamColumn(u"初中"_s, u"Z04S语文041015"_s);
    const int id = serverSchool.addStudent(u"初中"_s, u"20040101"_s, u"李四"_s);
    serverSchool.setScore(u"初中"_s, id, u"Z04S语文041015"_s, 80);
    ServerShare server;
    const QString serverPath = server.publish(serverSchool);
    const QByteArray before = [&] {
        QFile f(db::resolvePath(serverPath));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    WindowHarness h(local, {.signedIn = WindowHarness::kAdmin, .shown = false});
    h.session().openpath = serverPath;
    auto *w = h.open<DataMaintenanceWindow>(kDataMaintenanceWindow);
    QCOMPARE(w->Command3->text(), u"管理员退出登陆(&K)"_s);
    for (QPushButton *b : {w->Command1, w->Command4, w->Command5, w->Command6})
        QVERIFY(b->isEnabled());
    tick(w->List1, u"初中04-05语文(上)期中成绩"_s);
    saveShot(windowFrame(w)->grab().toImage(), u"data_maintenance"_s);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    QCOMPARE(h.responder.texts(),
             QStringList{u"锁定考试的功能还没有提供：所选的考试没有被锁定，任课教师仍然可以修改这些考试的成绩。"_s});
    QCOMPARE(h.responder.last().title, u"提示……"_s);
    QCOMPARE(ticked(w->List1), QStringList{u"初中04-05语文(上)期中成绩"_s});
    QVERIFY(h.isOpen(kDataMaintenanceWindow));
    QFile f(db::resolvePath(serverPath));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

QTEST_MAIN(TestDataMaintenance)
#include "tst_data_maintenance.moc"
