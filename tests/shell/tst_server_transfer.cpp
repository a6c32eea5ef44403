// Download of the server database and upload of the queued local rows,
// including two processes writing to one database file.
#include "fixtures/files.h"
#include "fixtures/server_share.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/exam_locks.h"
#include "kit/save_report.h"
#include "kit/window_names.h"
#include "platform/gbk.h"
#include "platform/messages.h"
#include "school/class_code.h"
#include "register/register_save.h"
#include "score_entry/entry_statistics.h"
#include "shell/download_window.h"
#include "shell/server_transfer.h"
#include "shell/upload_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kMid = u"Z25S语文250915"_s;
const QString kFinal = u"M25X数学260620"_s;
const QString kDownloadFailed = u"\r　　数据没能下载,你本机数据库没有被更新,请以后再试。"_s;

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

void queue(TestSchool &school, const QString &table, const QVariant &id)
{
    QVERIFY(school.db().exec(uR"(INSERT INTO "上传表" ("表名", "ID") VALUES (?, ?))"_s, {table, id}));
}

// Local: three students of 初中 with two exams, rows 1 and 3 queued. Server: the
// same exams in the other order plus a column of its own, and only student 1,
// with other values.
struct UploadCase {
    TestSchool local;
    TestSchool serverSchool;
    ServerShare server;
    QString serverPath;

    UploadCase()
    {
        local.addExamColumn(u"初中"_s, kMid);
        local.addExamColumn(u"初中"_s, kFinal);
        const int a = local.addStudent(u"初中"_s, u"20250101"_s, u"张一"_s);
        local.addStudent(u"初中"_s, u"20250102"_s, u"张二"_s);
        const int c = local.addStudent(u"初中"_s, u"20250103"_s, u"张三"_s);
        local.setScore(u"初中"_s, a, kMid, 91.5);
        local.setScore(u"初中"_s, a, kFinal, 62);
        local.setScore(u"初中"_s, c, kMid, 77);
        local.setScore(u"初中"_s, c, kFinal, 88);
        queue(local, u"初中"_s, a);
        queue(local, u"初中"_s, c);

        serverSchool.addExamColumn(u"初中"_s, kFinal);
        serverSchool.addExamColumn(u"初中"_s, u"C单元英语260320"_s);
        serverSchool.addExamColumn(u"初中"_s, kMid);
        const int s = serverSchool.addStudent(u"初中"_s, u"20250101"_s, u"旧名"_s);
        serverSchool.setScore(u"初中"_s, s, kMid, 10);
        serverSchool.setScore(u"初中"_s, s, u"C单元英语260320"_s, 55);
        serverPath = server.publish(serverSchool);
    }

    // 学籍号|姓名|期中|期末|测验 of each server row, by ID.
    QStringList serverRows()
    {
        db::Connection c(serverPath);
        QStringList out;
        QSqlQuery q = c.query(uR"(SELECT "ID","学籍号","姓名","%1","%2","C单元英语260320" FROM "初中" ORDER BY "ID")"_s
                                  .arg(kMid, kFinal));
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < 6; ++i)
                cells << (q.isNull(i) ? u"-"_s : q.value(i).toString());
            out << cells.join(u'|');
        }
        return out;
    }
    int queued() { return local.count(uR"(SELECT count(*) FROM "上传表")"_s); }
};

// The second computer: takes the write lock on the database, adds a student,
// says "locked", holds the lock for the given time, then commits.
int holdWriteLock(const QString &path, int ms)
{
    db::Connection c(path);
    if (!c.ok() || !c.exec(u"BEGIN IMMEDIATE"_s)
        || !c.exec(uR"(INSERT INTO "初中" ("学籍号", "姓名") VALUES ('20259901', '持锁'))"_s))
        return 2;
    fputs("locked\n", stdout);
    fflush(stdout);
    QThread::msleep(ms);
    return c.exec(u"COMMIT"_s) ? 0 : 3;
}

} // namespace

class TestServerTransfer : public QObject {
    Q_OBJECT

private slots:
    void downloadIsByteIdentical();
    void failedDownloadLeavesTheLocalFile_data();
    void failedDownloadLeavesTheLocalFile();
    void downloadAsksOrRefuses_data();
    void downloadAsksOrRefuses();
    void localSavesReachTheServer();
    void uploadPutsScoresInTheirColumns_data();
    void uploadPutsScoresInTheirColumns();
    void failedRowStaysQueued_data();
    void failedRowStaysQueued();
    void uploadStoppedHalfWay();
    void uploadRefusesTheLocalDatabase();
    void uploadWindowCountsTheQueue_data();
    void uploadWindowCountsTheQueue();
    void twoComputers_data();
    void twoComputers();
};

void TestServerTransfer::downloadIsByteIdentical()
{
    TestSchool local;
    TestSchool serverSchool;
    serverSchool.addGradeGroup(u"初一年级组"_s);
    serverSchool.addExamColumn(u"初中"_s, kMid);
    serverSchool.addStudent(u"初中"_s, u"20250101"_s, u"张一"_s);
    ServerShare server;
    const QString serverPath = server.publish(serverSchool);
    QVERIFY(writeLineGbk(local.file(u"PATH.DLL"_s), ServerShare::installerPath()));
    local.closeDb();
    const QStringList before = filesIn(local.folder());
    const QByteArray replaced = fileBytes(local.dbPath());

    WindowHarness h(local, {.shown = false});
    auto *w = h.open<DownloadWindow>(kDownloadWindow);
    QVERIFY(w);
    saveShot(w->grab().toImage(), u"download"_s);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    QCOMPARE(h.responder.texts(), QStringList{u"恭喜！恭喜！\r　　服务器数据连接正确,下载数据成功。"_s});
    QCOMPARE(h.responder.last().title, kProgramTitle);
    QCOMPARE(fileBytes(local.dbPath()), fileBytes(db::resolvePath(serverPath)));
    // The replaced local file stays beside it as a dated backup.
    QStringList added = filesIn(local.folder());
    for (const QString &f : before)
        added.removeOne(f);
    QCOMPARE(added.size(), 1);
    QVERIFY2(QRegularExpression(u"^备份\\d{14}\\.mdb$"_s).match(added[0]).hasMatch(), qPrintable(added[0]));
    QCOMPARE(fileBytes(local.file(added[0])), replaced);
    QCOMPARE(local.count(uR"(SELECT count(*) FROM "初中")"_s), 1);
    QVERIFY(h.isOpen(kDownloadWindow));
}

void TestServerTransfer::failedDownloadLeavesTheLocalFile_data()
{
    QTest::addColumn<QString>("pathDll");     // "<none>": no PATH.DLL
    QTest::addColumn<QByteArray>("serverFile"); // \\PC1\shuju$\data.mdb: "db", "none", "damaged" or these bytes
    QTest::addColumn<QString>("reason");      // in the message; empty: any
    QTest::newRow("no PATH.DLL") << u"<none>"_s << QByteArray("db") << QString();
    QTest::newRow("path without the folder name") << uR"(\\PC1\Tessaly\setup.exe)"_s << QByteArray("db") << QString();
    QTest::newRow("no server file") << ServerShare::installerPath() << QByteArray("none") << QString();
    QTest::newRow("server file is no database") << ServerShare::installerPath()
                                                << QByteArray("this is not a database file, not at all.").repeated(200)
                                                << QString();
    QTest::newRow("zero-byte server file") << ServerShare::installerPath() << QByteArray() << u"不是本程序的数据库"_s;
    QTest::newRow("server file with damaged pages") << ServerShare::installerPath() << QByteArray("damaged")
                                                    << u"数据库文件已损坏"_s;
}

void TestServerTransfer::failedDownloadLeavesTheLocalFile()
{
    QFETCH(QString, pathDll);
    QFETCH(QByteArray, serverFile);
    QFETCH(QString, reason);
    TestSchool local;
    local.addGradeGroup(u"初二年级组"_s);
    TestSchool serverSchool;
    for (int i = 0; i < 40; ++i)
        serverSchool.addStudent(u"初中"_s, u"202501%1"_s.arg(i, 2, 10, QLatin1Char('0')), u"学生"_s);
    ServerShare server;
    const QString serverPath = server.publish(serverSchool);
    const QString serverFilePath = db::resolvePath(serverPath);
    if (serverFile == "none") {
        QVERIFY(QFile::remove(serverFilePath));
    } else if (serverFile == "damaged") {
        damageDatabasePages(serverFilePath);
    } else if (serverFile != "db") {
        putFile(serverFilePath, serverFile);
    }
    if (pathDll != u"<none>"_s)
        QVERIFY(writeLineGbk(local.file(u"PATH.DLL"_s), pathDll));
    local.closeDb();
    const QByteArray bytes = fileBytes(local.dbPath());
    const QStringList before = filesIn(local.folder());

    WindowHarness h(local, {.shown = false});
    auto *w = h.open<DownloadWindow>(kDownloadWindow);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    QCOMPARE(h.responder.shown().size(), 1);
    QVERIFY2(h.responder.last().text.endsWith(kDownloadFailed), qPrintable(h.responder.last().text));
    QVERIFY(h.responder.last().text.size() > kDownloadFailed.size());   // the reason comes first
    QVERIFY2(h.responder.last().text.contains(reason), qPrintable(h.responder.last().text));
    if (pathDll == u"<none>"_s)   // says where to set the server
        QVERIFY(h.responder.last().text.contains(u"请先在“连接服务器设置”中设置"_s));
    QCOMPARE(fileBytes(local.dbPath()), bytes);
    QCOMPARE(filesIn(local.folder()), before);
}

void TestServerTransfer::downloadAsksOrRefuses_data()
{
    QTest::addColumn<bool>("windowOpen");   // 学籍管理 open on the local database
    QTest::addColumn<int>("answer");        // to the question about queued changes: -1 none asked, 0 No, 1 Yes
    QTest::addColumn<bool>("downloads");
    QTest::newRow("a window holds the local database") << true << -1 << false;
    QTest::newRow("queued changes, No keeps them") << false << 0 << false;
    QTest::newRow("queued changes, Yes drops them") << false << 1 << true;
}

void TestServerTransfer::downloadAsksOrRefuses()
{
    QFETCH(bool, windowOpen);
    QFETCH(int, answer);
    QFETCH(bool, downloads);
    UploadCase u;
    QVERIFY(writeLineGbk(u.local.file(u"PATH.DLL"_s), ServerShare::installerPath()));
    u.local.closeDb();
    const QByteArray before = fileBytes(u.local.dbPath());

    WindowHarness h(u.local, {.shown = false});
    if (windowOpen)
        QVERIFY(h.open<QWidget>(kRegisterWindow));
    h.responder.clear();
    auto *w = h.open<DownloadWindow>(kDownloadWindow);
    if (answer >= 0)
        h.responder.answer(answer == 1);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    const QStringList texts = h.responder.texts();
    QVERIFY(!texts.isEmpty());
    if (windowOpen) {
        QCOMPARE(texts, QStringList{u"本机数据库正在被这些窗口使用：学生学籍管理。请先关闭这些窗口。"_s + kDownloadFailed});
    } else {
        QCOMPARE(texts.first(), u"本机还有2条修改没有上传到服务器，下载服务器数据后这些修改将全部丢失。\r"
                                u"要放弃这些修改，下载服务器数据吗?"_s);
        QCOMPARE(texts.size(), downloads ? 2 : 1);
    }
    QCOMPARE(fileBytes(u.local.dbPath()), downloads ? fileBytes(db::resolvePath(u.serverPath)) : before);
}

// Saves on the local database, as the windows make them, are queued with their
// own transaction and reach the server; a student added locally gets an ID no
// other computer's student holds.
void TestServerTransfer::localSavesReachTheServer()
{
    const QString table = u"初中"_s;
    const QString english = u"Z25S英语250915"_s;
    const reg::ClassIdentity klass = reg::ResolveClassCode(u"初一年级组"_s, u"一班"_s, QDate(2025, 10, 1));
    QCOMPARE(klass.sectionTable, table);
    TestSchool local;
    local.addExamColumn(table, kMid);
    const int a = local.addStudent(table, klass.classCode + u"01"_s, u"张一"_s);
    const int b = local.addStudent(table, klass.classCode + u"02"_s, u"张二"_s);
    ServerShare server;
    const QString serverPath = server.publish(local);   // the last download
    db::Connection otherComputer(serverPath);
    QVERIFY(otherComputer.exec(uR"(INSERT INTO "初中" ("学籍号", "姓名") VALUES (?, '他机'))"_s, {klass.classCode + u"09"_s}));
    const qint64 theirs = otherComputer.lastInsertId().toLongLong();
    otherComputer.close();

    db::setChangeQueueFile(local.dbPath());
    const auto stop = qScopeGuard([] { db::setChangeQueueFile(QString()); });
    db::Connection c(local.dbPath());
    reg::RegisterRow edited;
    edited.id = a;
    edited.state = reg::RowState::Changed;
    edited.field(reg::kColStudentNumber) = klass.classCode + u"01"_s;
    edited.field(reg::kColName) = u"张一改"_s;
    reg::RegisterRow removed;
    removed.id = b;
    removed.state = reg::RowState::Deleted;
    reg::RegisterRow added = reg::newStudentRow(klass.classCode + u"03"_s);
    added.field(reg::kColName) = u"新生"_s;
    const reg::RegisterSaveOutcome saved = reg::SaveRegister(c, table, klass.classCode, {edited, removed, added});
    QVERIFY2(saved.ok, qPrintable(saved.error.text));
    const qint64 mine = c.scalar(uR"(SELECT "ID" FROM "初中" WHERE "姓名" = '新生')"_s).toLongLong();
    QCOMPARE(mine, theirs);   // the same ID as the other computer's student
    QVERIFY(db::addColumn(c, table, english, db::ColumnType::Real));
    const auto score = [](qint64 id, float value) {
        score::ScoreRow r;
        r.id = id;
        r.score = value;
        r.state = u"1"_s;
        return r;
    };
    QVERIFY(score::SaveScores(c, table, kMid, {score(a, 95), score(mine, 60)}).ok);
    QVERIFY(score::SaveScores(c, table, english, {score(a, 80)}).ok);
    const auto queue = [&c] {
        QStringList rows;
        QSqlQuery q = c.query(uR"(SELECT "表名", "ID", "新增" FROM "上传表" ORDER BY rowid)"_s);
        while (q.next())
            rows << u"%1|%2|%3"_s.arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
        return rows;
    };
    QCOMPARE(queue(), (QStringList{u"初中|%1|0"_s.arg(b), u"初中|%1|0"_s.arg(a), u"初中|%1|1"_s.arg(mine)}));
    c.close();

    const auto serverRows = [&] {
        db::Connection s(serverPath);
        QStringList out;
        QSqlQuery q = s.query(uR"(SELECT "ID", "姓名", "%1", "%2" FROM "初中" ORDER BY "ID")"_s.arg(kMid, english));
        while (q.next())
            out << u"%1|%2|%3|%4"_s.arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                        q.value(3).toString());
        return out;
    };
    UploadOutcome r = UploadLocalChanges(local.dbPath(), serverPath);
    QVERIFY2(r.ok, qPrintable(r.error.text));
    QCOMPARE(r.uploaded, 3);
    const qint64 given = theirs + 1;
    QCOMPARE(serverRows(), (QStringList{u"%1|张一改|95|80"_s.arg(a), u"%1|他机||"_s.arg(theirs), u"%1|新生|60|"_s.arg(given)}));
    c.open(local.dbPath());
    QVERIFY(queue().isEmpty());
    QCOMPARE(c.scalar(uR"(SELECT "姓名" FROM "初中" WHERE "ID" = ?)"_s, {given}).toString(), u"新生"_s);

    // The new student's next change goes to its server row, not to the other computer's.
    QVERIFY(c.exec(uR"(UPDATE "初中" SET "姓名" = '新生改' WHERE "ID" = ?)"_s, {given}));
    c.close();
    r = UploadLocalChanges(local.dbPath(), serverPath);
    QVERIFY2(r.ok, qPrintable(r.error.text));
    QCOMPARE(serverRows(), (QStringList{u"%1|张一改|95|80"_s.arg(a), u"%1|他机||"_s.arg(theirs), u"%1|新生改|60|"_s.arg(given)}));
}

void TestServerTransfer::uploadPutsScoresInTheirColumns_data()
{
    QTest::addColumn<bool>("finalLocked");   // the server locked the final exam
    QTest::newRow("no lock") << false;
    QTest::newRow("final locked on the server") << true;
}

void TestServerTransfer::uploadPutsScoresInTheirColumns()
{
    QFETCH(bool, finalLocked);
    UploadCase u;
    if (finalLocked) {
        db::Connection s(u.serverPath);
        QVERIFY(saveExamLocks(s, {{u"初中"_s, kFinal}}));
    }
    const UploadOutcome r = UploadLocalChanges(u.local.dbPath(), u.serverPath);
    QVERIFY2(r.ok, qPrintable(r.error.text));
    QCOMPARE(r.uploaded, 2);
    QCOMPARE(r.lockedKept, finalLocked ? 1 : 0);
    // ID|学籍号|姓名|期中|期末|测验: the server's own column keeps its value,
    // the row the server lacks comes with its ID; a locked exam keeps the server's scores.
    if (finalLocked)
        QCOMPARE(u.serverRows(), (QStringList{u"1|20250101|张一|91.5|-|55"_s, u"3|20250103|张三|77|-|-"_s}));
    else
        QCOMPARE(u.serverRows(), (QStringList{u"1|20250101|张一|91.5|62|55"_s, u"3|20250103|张三|77|88|-"_s}));
    QCOMPARE(u.queued(), 0);
}

void TestServerTransfer::failedRowStaysQueued_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QVariant>("id");
    QTest::newRow("the queue table itself") << u"上传表"_s << QVariant(1);
    QTest::newRow("a name that is no table") << uR"(初中" WHERE 1=1; --)"_s << QVariant(1);
    QTest::newRow("no ID") << u"初中"_s << QVariant();
}

void TestServerTransfer::failedRowStaysQueued()
{
    QFETCH(QString, table);
    QFETCH(QVariant, id);
    UploadCase u;
    queue(u.local, table, id);   // third, after two good rows

    WindowHarness h(u.local, {.shown = false});
    h.session().openpath = u.serverPath;
    auto *w = h.open<UploadWindow>(kUploadWindow);
    QVERIFY(w);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    QCOMPARE(h.responder.shown().size(), 1);
    const QString text = h.responder.last().text;
    QVERIFY2(text.startsWith(u"有1条记录没有上传，仍留在上传表中，可以以后再上传：\r表“%1”ID为%2的记录："_s.arg(table, id.toString())),
             qPrintable(text));
    QVERIFY2(text.endsWith(u"\r其余2条记录已经上传。"_s), qPrintable(text));
    QCOMPARE(u.serverRows(), (QStringList{u"1|20250101|张一|91.5|62|55"_s, u"3|20250103|张三|77|88|-"_s}));
    QCOMPARE(u.local.count(uR"(SELECT count(*) FROM "上传表" WHERE "表名" = ?)"_s, {table}), u.queued());
    QCOMPARE(u.queued(), 1);
}

// A batch that cannot reach the server stops the upload: the batches before it
// are on the server and out of the queue, the rest stay queued.
void TestServerTransfer::uploadStoppedHalfWay()
{
    UploadCase u;
    db::Connection local(u.local.dbPath());
    db::Connection server(u.serverPath);
    QVERIFY(server.setBusyTimeout(200));
    db::Connection otherComputer(u.serverPath);
    const UploadOutcome r = uploadQueue(local, server, [&](int done, int) {
        if (done == 1)
            QVERIFY(otherComputer.exec(u"BEGIN IMMEDIATE"_s));   // holds the write lock from now on
    }, 1);
    QVERIFY(otherComputer.exec(u"ROLLBACK"_s));
    QVERIFY(!r.ok);
    QCOMPARE(r.error.number, db::kErrLocked);
    QCOMPARE(r.uploaded, 1);
    QCOMPARE(u.serverRows(), QStringList{u"1|20250101|张一|91.5|62|55"_s});
    QCOMPARE(u.local.count(uR"(SELECT count(*) FROM "上传表" WHERE "ID" = 3)"_s), 1);
    QCOMPARE(u.queued(), 1);
}

void TestServerTransfer::uploadRefusesTheLocalDatabase()
{
    UploadCase u;
    const QStringList local = u.local.dump(u"初中"_s);
    WindowHarness h(u.local, {.shown = false});   // openpath: the local database
    auto *w = h.open<UploadWindow>(kUploadWindow);
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    QCOMPARE(h.responder.texts(),
             QStringList{u"本机数据没有上传，上传表保持不变：现在使用的就是本机数据库，没有可以上传到的服务器数据库。"_s});
    QCOMPARE(u.queued(), 2);
    QCOMPARE(u.local.dump(u"初中"_s), local);
}

void TestServerTransfer::uploadWindowCountsTheQueue_data()
{
    QTest::addColumn<bool>("empty");
    QTest::newRow("two rows") << false;
    QTest::newRow("empty queue") << true;
}

void TestServerTransfer::uploadWindowCountsTheQueue()
{
    QFETCH(bool, empty);
    UploadCase u;
    if (empty)
        QVERIFY(u.local.db().exec(uR"(DELETE FROM "上传表")"_s));
    WindowHarness h(u.local, {.shown = false});
    h.session().openpath = u.serverPath;
    auto *w = h.open<UploadWindow>(kUploadWindow);
    QCOMPARE(w->windowTitle(), u"本机修改数据上传"_s);
    QCOMPARE(w->Label2->text(), empty ? u"　　本机没有需要上的数据,无需上传。"_s : u"　　需要上传到服务器的本机数据共  2 条"_s);
    QCOMPARE(w->Command1->isEnabled(), !empty);
    saveShot(w->grab().toImage(), empty ? u"upload_empty"_s : u"upload"_s);
    if (!empty) {
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QVERIFY(h.responder.shown().isEmpty());
        QCOMPARE(u.queued(), 0);
        QCOMPARE(w->Label2->text(), u"　　需要上传到服务器的本机数据共  2 条"_s);   // the count at opening
    }
}

void TestServerTransfer::twoComputers_data()
{
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<int>("busyTimeoutMs");
    QTest::addColumn<bool>("waits");
    QTest::newRow("lock shorter than the busy timeout: waits") << 700 << 10000 << true;
    QTest::newRow("lock longer than the busy timeout: reports") << 4000 << 300 << false;
}

void TestServerTransfer::twoComputers()
{
    QFETCH(int, holdMs);
    QFETCH(int, busyTimeoutMs);
    QFETCH(bool, waits);
    UploadCase u;
    const QStringList before = u.serverRows();

    QProcess other;
    other.start(QCoreApplication::applicationFilePath(),
                {u"--hold-write-lock"_s, db::resolvePath(u.serverPath), QString::number(holdMs)});
    QVERIFY(other.waitForReadyRead(20000));
    QCOMPARE(other.readLine().trimmed(), QByteArray("locked"));

    db::Connection local(u.local.dbPath());
    db::Connection server(u.serverPath);
    QVERIFY(server.setBusyTimeout(busyTimeoutMs));
    const UploadOutcome r = uploadQueue(local, server);
    server.close();
    QVERIFY(other.waitForFinished(20000));
    QCOMPARE(other.exitCode(), 0);

    const int heldRow = 2;   // the other computer's student, the server's second row
    QCOMPARE(r.ok, waits);
    if (waits) {
        QCOMPARE(u.serverRows(), (QStringList{u"1|20250101|张一|91.5|62|55"_s, u"2|20259901|持锁|-|-|-"_s,
                                              u"3|20250103|张三|77|88|-"_s}));
        QCOMPARE(u.queued(), 0);
    } else {
        QCOMPARE(r.error.number, db::kErrLocked);
        QCOMPARE(saveErrorText(r.error), u"数据库正被其他用户使用，暂时不能读写，请稍后再试。"_s);
        QCOMPARE(u.serverRows(), QStringList(before) << u"%1|20259901|持锁|-|-|-"_s.arg(heldRow));
        QCOMPARE(u.queued(), 2);
    }
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--hold-write-lock") == 0) {
        QCoreApplication app(argc, argv);
        return holdWriteLock(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestServerTransfer tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_server_transfer.moc"
