// Download of the server database and upload of the queued local rows,
// including two processes writing to one database file.
#include "fixtures/files.h"
#include "fixtures/server_share.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "kit/save_report.h"
#include "kit/window_names.h"
#include "platform/gbk.h"
#include "platform/messages.h"
#include "shell/download_window.h"
#include "shell/server_transfer.h"
#include "shell/upload_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
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
    void uploadPutsScoresInTheirColumns();
    void failedUploadKeepsQueueAndServer_data();
    void failedUploadKeepsQueueAndServer();
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

    WindowHarness h(local, {.shown = false});
    auto *w = h.open<DownloadWindow>(kDownloadWindow);
    QVERIFY(w);
    saveShot(w->grab().toImage(), u"download"_s);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    QCOMPARE(h.responder.texts(), QStringList{u"恭喜！恭喜！\r　　服务器数据连接正确,下载数据成功。"_s});
    QCOMPARE(h.responder.last().title, kProgramTitle);
    QCOMPARE(fileBytes(local.dbPath()), fileBytes(db::resolvePath(serverPath)));
    QCOMPARE(filesIn(local.folder()), before);
    QCOMPARE(local.count(uR"(SELECT count(*) FROM "初中")"_s), 1);
    QVERIFY(h.isOpen(kDownloadWindow));
}

void TestServerTransfer::failedDownloadLeavesTheLocalFile_data()
{
    QTest::addColumn<QString>("pathDll");     // "<none>": no PATH.DLL
    QTest::addColumn<QByteArray>("serverFile"); // published as \\PC1\shuju$\data.mdb; empty: none
    QTest::newRow("no PATH.DLL") << u"<none>"_s << QByteArray("db");
    QTest::newRow("path without the folder name") << uR"(\\PC1\Tessaly\setup.exe)"_s << QByteArray("db");
    QTest::newRow("no server file") << ServerShare::installerPath() << QByteArray();
    QTest::newRow("server file is no database") << ServerShare::installerPath()
                                                << QByteArray("this is not a database file, not at all.").repeated(200);
}

void TestServerTransfer::failedDownloadLeavesTheLocalFile()
{
    QFETCH(QString, pathDll);
    QFETCH(QByteArray, serverFile);
    TestSchool local;
    local.addGradeGroup(u"初二年级组"_s);
    TestSchool serverSchool;
    ServerShare server;
    const QString serverPath = server.publish(serverSchool);
    if (serverFile.isEmpty())
        QVERIFY(QFile::remove(db::resolvePath(serverPath)));
    else if (serverFile != "db")
        putFile(db::resolvePath(serverPath), serverFile);
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
    if (pathDll == u"<none>"_s)   // says where to set the server
        QVERIFY(h.responder.last().text.contains(u"请先在“连接服务器设置”中设置"_s));
    QCOMPARE(fileBytes(local.dbPath()), bytes);
    QCOMPARE(filesIn(local.folder()), before);
}

void TestServerTransfer::uploadPutsScoresInTheirColumns()
{
    UploadCase u;
    const UploadOutcome r = UploadLocalChanges(u.local.dbPath(), u.serverPath);
    QVERIFY2(r.ok, qPrintable(r.error.text));
    QCOMPARE(r.uploaded, 2);
    // ID|学籍号|姓名|期中|期末|测验: the server's own column keeps its value,
    // the new row keeps its local ID.
    QCOMPARE(u.serverRows(), (QStringList{u"1|20250101|张一|91.5|62|55"_s, u"3|20250103|张三|77|88|-"_s}));
    QCOMPARE(u.queued(), 0);
}

void TestServerTransfer::failedUploadKeepsQueueAndServer_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QVariant>("id");
    QTest::newRow("row missing locally") << u"初中"_s << QVariant(99);
    QTest::newRow("the queue table itself") << u"上传表"_s << QVariant(1);
    QTest::newRow("a name that is no table") << uR"(初中" WHERE 1=1; --)"_s << QVariant(1);
    QTest::newRow("no ID") << u"初中"_s << QVariant();
}

void TestServerTransfer::failedUploadKeepsQueueAndServer()
{
    QFETCH(QString, table);
    QFETCH(QVariant, id);
    UploadCase u;
    queue(u.local, table, id);   // third, after two good rows
    const QStringList server = u.serverRows();

    WindowHarness h(u.local, {.shown = false});
    h.session().openpath = u.serverPath;
    auto *w = h.open<UploadWindow>(kUploadWindow);
    QVERIFY(w);
    QTest::mouseClick(w->Command1, Qt::LeftButton);

    QCOMPARE(h.responder.shown().size(), 1);
    QVERIFY2(h.responder.last().text.startsWith(u"本机数据没有上传，上传表保持不变："_s), qPrintable(h.responder.last().text));
    QCOMPARE(u.serverRows(), server);
    QCOMPARE(u.queued(), 3);
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
        QCOMPARE(saveErrorText(r.error), u"数据库正被其他用户使用，暂时不能写入。"_s);
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
