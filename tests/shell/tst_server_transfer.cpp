// Download of the server database and upload of the queued local rows,
// including two processes writing to one database file.
#include "fixtures/files.h"
#include "fixtures/server_share.h"
#include "fixtures/test_school.h"
#include "fixtures/ui_helpers.h"
#include "fixtures/window_harness.h"
#include "school/exam_locks.h"
#include "kit/save_report.h"
#include "kit/window_names.h"
#include "workbook/gbk.h"
#include "widgets/messages.h"
#include "school/class_code.h"
#include "register/register_save.h"
#include "score_entry/score_save.h"
#include "shell/download_window.h"
#include "shell/server_transfer.h"
#include "shell/upload_conflict_window.h"
#include "shell/upload_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace tessaly;
using namespace tessaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kMid = u"Z25S语文250915"_s;
const QString kFinal = u"M25X数学260620"_s;
const QString kDownloadFailed = u"\r　　数据没能下载,你本机数据库没有被更新,请以后再试。"_s;
const QString kServerBroken = u"服务器上的数据库已损坏或不是本程序的数据库……请与管理员联系。"_s;

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


// A school as downloaded: the local database, the server's copy of it and the
// local base; 初中 holds 1|20250101|张一 (备注 原) and 2|20250102|张二.
struct Downloaded {
    TestSchool local;
    ServerShare server;
    QString serverPath;

    Downloaded()
    {
        local.addStudent(u"初中"_s, u"20250101"_s, u"张一"_s, {{u"备注"_s, u"原"_s}});
        local.addStudent(u"初中"_s, u"20250102"_s, u"张二"_s);
        local.closeDb();
        serverPath = server.publish(local);
        db::Error error;
        QVERIFY2(saveUploadBase(local.dbPath(), error), qPrintable(error.text));
    }

    // Statements on the local database as the program's saves run them: queued.
    void localDo(const QStringList &statements)
    {
        db::setChangeQueueFile(local.dbPath());
        const auto stop = qScopeGuard([] { db::setChangeQueueFile(QString()); });
        db::Connection c(local.dbPath());
        for (const QString &sql : statements)
            QVERIFY2(c.exec(sql), qPrintable(sql + u": "_s + c.error().text));
    }
    // Another computer's statements on the server.
    void serverDo(const QStringList &statements)
    {
        db::Connection c(serverPath);
        for (const QString &sql : statements)
            QVERIFY2(c.exec(sql), qPrintable(sql + u": "_s + c.error().text));
    }
    // ID|学籍号|姓名|联系电话|备注 of each row of 初中 on the server (or locally).
    QStringList students(bool onServer = true)
    {
        db::Connection c(onServer ? serverPath : local.dbPath());
        QStringList out;
        QSqlQuery q = c.query(uR"(SELECT "ID","学籍号","姓名","联系电话","备注" FROM "初中" ORDER BY "ID")"_s);
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < 5; ++i)
                cells << q.value(i).toString();
            out << cells.join(u'|');
        }
        return out;
    }
    int serverCount(const QString &sql)
    {
        db::Connection c(serverPath);
        return c.scalar(sql).toInt();
    }
    int queued() { return local.count(uR"(SELECT count(*) FROM "上传表")"_s); }
};

// A conflict as the case table names it: the field, or what happened to the row.
QString conflictName(const UploadConflict &c)
{
    switch (c.kind) {
    case UploadConflict::Kind::DeletedHere:
        return u"(本机删除)"_s;
    case UploadConflict::Kind::DeletedOnServer:
        return u"(服务器删除)"_s;
    default:
        return c.field;
    }
}

// Copies the bytes of from into the existing file to, keeping to's identity.
void overwriteInPlace(const QString &from, const QString &to)
{
    QFile out(to);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(out.write(fileBytes(from)), QFileInfo(from).size());
}

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
    void uploadRefusesWhileWindowsHoldTheDatabase();
    void localSavesReachTheServer();
    void uploadPutsScoresInTheirColumns_data();
    void uploadPutsScoresInTheirColumns();
    void failedRowStaysQueued_data();
    void failedRowStaysQueued();
    void uploadStoppedHalfWay();
    void uploadRefusesTheLocalDatabase();
    void uploadWindowCountsTheQueue_data();
    void uploadWindowCountsTheQueue();
    void queueCountFollowsTheFile();
    void twoComputers_data();
    void twoComputers();
    void mergesFieldByField_data();
    void mergesFieldByField();
    void serverAlreadyHoldsTheRows();
    void interruptedUploadSendsNothingTwice_data();
    void interruptedUploadSendsNothingTwice();
    void uploadWindowSaysARetryIsSafe();
    void twoUploadsAtOnce();
    void conflictsDecidedInTheWindow();
    void conflictNamesTheExam();
    void downloadFiles();
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
    QTest::mouseClick(w->startButton, Qt::LeftButton);

    QCOMPARE(h.responder.texts(), QStringList{u"恭喜！恭喜！\r　　服务器数据连接正确,下载数据成功。"_s});
    QCOMPARE(h.responder.last().title, kProgramTitle);
    QCOMPARE(fileBytes(local.dbPath()), fileBytes(db::resolvePath(serverPath)));
    // The replaced local file stays beside it as a dated backup, the copy as the upload's base.
    QStringList added = filesIn(local.folder());
    for (const QString &f : before)
        added.removeOne(f);
    QCOMPARE(added.size(), 2);
    QCOMPARE(added[0], u"data.mdb.base"_s);
    QVERIFY2(QRegularExpression(u"^下载前备份\\d{14}\\.mdb$"_s).match(added[1]).hasMatch(), qPrintable(added[1]));
    QCOMPARE(fileBytes(local.file(added[1])), replaced);
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
                                                << kServerBroken;
    QTest::newRow("zero-byte server file") << ServerShare::installerPath() << QByteArray() << kServerBroken;
    QTest::newRow("server file with damaged pages") << ServerShare::installerPath() << QByteArray("damaged")
                                                    << kServerBroken;
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
    QTest::mouseClick(w->startButton, Qt::LeftButton);

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
    QTest::mouseClick(w->startButton, Qt::LeftButton);

    const QStringList texts = h.responder.texts();
    QVERIFY(!texts.isEmpty());
    if (windowOpen) {
        QCOMPARE(texts, QStringList{u"本机数据库正在被这些窗口使用：学生学籍管理。请先关闭这些窗口。"_s + kDownloadFailed});
    } else {
        QCOMPARE(texts.first(), u"本机还有2条修改没有上传到服务器，下载服务器数据后这些修改将全部丢失。\r"
                                u"要放弃这些修改，下载服务器数据吗?"_s);
        QCOMPARE(texts.size(), downloads ? 2 : 1);
        QVERIFY(h.responder.shown().first().defaultNo);   // Enter or Esc keeps the changes
    }
    QCOMPARE(fileBytes(u.local.dbPath()), downloads ? fileBytes(db::resolvePath(u.serverPath)) : before);
}

// The upload renumbers the local rows: while a window holds them it sends nothing.
void TestServerTransfer::uploadRefusesWhileWindowsHoldTheDatabase()
{
    UploadCase u;
    u.local.closeDb();
    const QStringList serverBefore = u.serverRows();
    WindowHarness h(u.local, {.shown = false});
    QVERIFY(h.open<QWidget>(kRegisterWindow));   // opened while working on the local database
    h.session().openpath = u.serverPath;
    auto *w = h.open<UploadWindow>(kUploadWindow);
    h.responder.clear();
    QTest::mouseClick(w->startButton, Qt::LeftButton);
    QCOMPARE(h.responder.texts(), QStringList{u"本机数据库正在被这些窗口使用：学生学籍管理。请先关闭这些窗口，再上传。"_s});
    QCOMPARE(u.queued(), 2);
    QCOMPARE(u.serverRows(), serverBefore);
}

// Saves on the local database, as the windows make them, are queued with their
// own transaction and reach the server; a student added locally gets an ID no
// other computer's student holds.
void TestServerTransfer::localSavesReachTheServer()
{
    const QString table = u"初中"_s;
    const QString english = u"Z25S英语250915"_s;
    const school::ClassIdentity klass = school::ResolveClassCode(u"初一年级组"_s, u"一班"_s, QDate(2025, 10, 1));
    QCOMPARE(klass.sectionTable, table);
    TestSchool local;
    local.addExamColumn(table, kMid);
    const int a = local.addStudent(table, klass.classCode + u"01"_s, u"张一"_s);
    const int b = local.addStudent(table, klass.classCode + u"02"_s, u"张二"_s);
    ServerShare server;
    const QString serverPath = server.publish(local);   // the last download
    db::Error baseError;
    QVERIFY2(saveUploadBase(local.dbPath(), baseError), qPrintable(baseError.text));
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
        school::ScoreRow r;
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
        QVERIFY(school::saveExamLocks(s, {{u"初中"_s, kFinal}}));
    }
    const UploadOutcome r = UploadLocalChanges(u.local.dbPath(), u.serverPath, {}, {.overwriteWithoutBase = true});
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
    h.responder.answer(true);   // never downloaded: write the local values over the server's
    QTest::mouseClick(w->startButton, Qt::LeftButton);

    QCOMPARE(h.responder.shown().size(), 2);
    const QString text = h.responder.last().text;
    QVERIFY2(text.startsWith(u"上传完成：服务器上新增1条记录，修改1条记录，0条记录服务器上已经有了而跳过，0处冲突留在上传表中。"
                             u"\r有1条记录没有上传，仍留在上传表中，可以以后再上传：\r表“%1”ID为%2的记录："_s.arg(table, id.toString())),
             qPrintable(text));
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
    }, {.overwriteWithoutBase = true, .batchSize = 1});
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
    QTest::mouseClick(w->startButton, Qt::LeftButton);
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
    QCOMPARE(w->queueCountLabel->text(), empty ? u"　　本机没有需要上的数据,无需上传。"_s : u"　　需要上传到服务器的本机数据共  2 条"_s);
    QCOMPARE(w->startButton->isEnabled(), !empty);
    saveShot(w->grab().toImage(), empty ? u"upload_empty"_s : u"upload"_s);
    if (!empty) {
        h.responder.answer(true);
        QTest::mouseClick(w->startButton, Qt::LeftButton);
        QCOMPARE(h.responder.texts(),
                 (QStringList{u"本机数据库不是从服务器下载的，无法知道服务器上的数据后来是否被别人修改过。"
                              u"要上传的记录中有2条记录的8个字段与服务器上的不同。\r要用本机的数据覆盖服务器上的这些数据吗?"_s,
                              u"上传完成：服务器上新增1条记录，修改1条记录，0条记录服务器上已经有了而跳过，0处冲突留在上传表中。"_s}));
        QCOMPARE(u.queued(), 0);
        QCOMPARE(w->queueCountLabel->text(), u"　　需要上传到服务器的本机数据共  2 条"_s);   // the count at opening
    }
}

// The count of a file long unchanged is kept; every write, also a second within
// the same second and one that leaves the size, is counted again.
void TestServerTransfer::queueCountFollowsTheFile()
{
    UploadCase u;
    const QString path = u.local.dbPath();
    const auto age = [&] {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    };
    age();
    QCOMPARE(pendingUploadCount(path), 2);
    QCOMPARE(pendingUploadCount(path), 2);
    queue(u.local, u"初中"_s, 2);
    QCOMPARE(pendingUploadCount(path), 3);
    queue(u.local, u"初中"_s, 3);
    QCOMPARE(pendingUploadCount(path), 4);
    age();
    QCOMPARE(pendingUploadCount(path), 4);
    QVERIFY(u.local.db().exec(uR"(DELETE FROM "上传表" WHERE "ID" = 2)"_s));
    QCOMPARE(pendingUploadCount(path), 3);
    // Another file in its place.
    age();
    QCOMPARE(pendingUploadCount(path), 3);
    u.local.db().close();
    const QString other = path + u".new"_s;
    QVERIFY(QFile::copy(path, other));
    {
        db::Connection c(other);
        QVERIFY(c.exec(uR"(DELETE FROM "上传表")"_s));
    }
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(other, path));
    age();
    QCOMPARE(pendingUploadCount(path), 0);
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
    const UploadOutcome r = uploadQueue(local, server, {}, {.overwriteWithoutBase = true});
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

void TestServerTransfer::mergesFieldByField_data()
{
    QTest::addColumn<QStringList>("here");      // this computer's saves after the download
    QTest::addColumn<QStringList>("there");     // another computer's on the server meanwhile
    QTest::addColumn<QStringList>("students");  // the server's 初中 after the upload
    QTest::addColumn<QStringList>("conflicts"); // fields (or rows) listed as conflicts
    QTest::addColumn<int>("queued");            // queue rows left
    QTest::addColumn<QString>("failed");        // in the failure's text; empty: none failed
    const QString one = u"1|20250101|张一||原"_s;
    const QString two = u"2|20250102|张二||"_s;
    const auto update = [](const QString &sets, int id) { return uR"(UPDATE "初中" SET %1 WHERE "ID" = %2)"_s.arg(sets).arg(id); };
    const auto add = [](const QString &number, const QString &name) {
        return uR"(INSERT INTO "初中" ("学籍号", "姓名") VALUES ('%1', '%2'))"_s.arg(number, name);
    };
    QTest::newRow("the other computer's field kept")
        << QStringList{update(uR"("联系电话" = '111')"_s, 1)} << QStringList{update(uR"("备注" = '乙改')"_s, 1)}
        << QStringList{u"1|20250101|张一|111|乙改"_s, two} << QStringList{} << 0 << QString();
    QTest::newRow("the same change on both") << QStringList{update(uR"("备注" = '同')"_s, 1)}
                                             << QStringList{update(uR"("备注" = '同')"_s, 1)}
                                             << QStringList{u"1|20250101|张一||同"_s, two} << QStringList{} << 0 << QString();
    QTest::newRow("one field changed on both")
        << QStringList{update(uR"("备注" = '甲', "联系电话" = '111')"_s, 1)} << QStringList{update(uR"("备注" = '乙')"_s, 1)}
        << QStringList{u"1|20250101|张一|111|乙"_s, two} << QStringList{u"备注"_s} << 1 << QString();
    QTest::newRow("deleted here, untouched there") << QStringList{uR"(DELETE FROM "初中" WHERE "ID" = 2)"_s} << QStringList{}
                                                   << QStringList{one} << QStringList{} << 0 << QString();
    QTest::newRow("deleted here, changed there")
        << QStringList{uR"(DELETE FROM "初中" WHERE "ID" = 2)"_s} << QStringList{update(uR"("联系电话" = '222')"_s, 2)}
        << QStringList{one, u"2|20250102|张二|222|"_s} << QStringList{u"(本机删除)"_s} << 1 << QString();
    QTest::newRow("changed here, deleted there")
        << QStringList{update(uR"("联系电话" = '222')"_s, 2)} << QStringList{uR"(DELETE FROM "初中" WHERE "ID" = 2)"_s}
        << QStringList{one} << QStringList{u"(服务器删除)"_s} << 1 << QString();
    QTest::newRow("new student the server already holds")
        << QStringList{add(u"20250103"_s, u"张三"_s)} << QStringList{add(u"20250109"_s, u"他人"_s), add(u"20250103"_s, u"张三"_s)}
        << QStringList{one, two, u"3|20250109|他人||"_s, u"4|20250103|张三||"_s} << QStringList{} << 0 << QString();
    QTest::newRow("new student's number held by another")
        << QStringList{add(u"20250103"_s, u"张三"_s)} << QStringList{add(u"20250103"_s, u"李四"_s)}
        << QStringList{one, two, u"3|20250103|李四||"_s} << QStringList{} << 1
        << u"学籍号20250103在服务器上已经是学生“李四”的学籍号，本机学生“张三”没有上传"_s;
    const QString exam = uR"(INSERT INTO "初中考试结果" ("年级组", "班级名", "考试名", "满分") VALUES ('初一年级组', '一班', 'Z25S语文250915', '%1'))"_s;
    QTest::newRow("an exam created on both") << QStringList{exam.arg(100)} << QStringList{exam.arg(100)}
                                             << QStringList{one, two} << QStringList{} << 0 << QString();
    QTest::newRow("an exam created on both, other full marks") << QStringList{exam.arg(100)} << QStringList{exam.arg(120)}
                                                               << QStringList{one, two} << QStringList{u"满分"_s} << 1 << QString();
}

void TestServerTransfer::mergesFieldByField()
{
    QFETCH(QStringList, here);
    QFETCH(QStringList, there);
    QFETCH(QStringList, students);
    QFETCH(QStringList, conflicts);
    QFETCH(int, queued);
    QFETCH(QString, failed);
    Downloaded d;
    d.localDo(here);
    d.serverDo(there);

    const UploadOutcome r = UploadLocalChanges(d.local.dbPath(), d.serverPath);
    QCOMPARE(r.needsBase, false);
    QCOMPARE(d.students(), students);
    QStringList listed;
    for (const UploadConflict &c : r.conflicts)
        listed << conflictName(c);
    QCOMPARE(listed, conflicts);
    QCOMPARE(d.queued(), queued);
    QCOMPARE(r.failed.size(), failed.isEmpty() ? 0 : 1);
    if (!failed.isEmpty())
        QVERIFY2(r.failed[0].text.contains(failed), qPrintable(r.failed[0].text));
    QCOMPARE(d.serverCount(uR"(SELECT count(*) FROM "初中考试结果")"_s), here.join(u' ').contains(u"考试结果"_s) ? 1 : 0);

    // Run again: nothing more is sent, the same conflicts are listed.
    const UploadOutcome again = UploadLocalChanges(d.local.dbPath(), d.serverPath);
    QCOMPARE(d.students(), students);
    QCOMPARE(again.added + again.changed, 0);
    QCOMPARE(again.conflicts.size(), conflicts.size());
    QCOMPARE(d.queued(), queued);
}

// An administrator copied the local database to the server on day one: the
// first upload (no base: it asks first) adds none of the queued rows again.
void TestServerTransfer::serverAlreadyHoldsTheRows()
{
    TestSchool local;
    local.closeDb();
    {
        db::setChangeQueueFile(local.dbPath());
        const auto stop = qScopeGuard([] { db::setChangeQueueFile(QString()); });
        db::Connection c(local.dbPath());
        for (int i = 0; i < 40; ++i)
            QVERIFY(c.exec(uR"(INSERT INTO "初中" ("学籍号", "姓名") VALUES (?, ?))"_s, {u"202501%1"_s.arg(i, 2, 10, QLatin1Char('0')), u"学生%1"_s.arg(i)}));
        QVERIFY(c.exec(uR"(INSERT INTO "教导处" ("类别", "名称", "对应内容") VALUES ('年级组', '初一年级组', '初中'))"_s));
        QVERIFY(c.exec(uR"(INSERT INTO "班主任" ("类别", "内容") VALUES ('记录', '开学'))"_s));
    }
    ServerShare server;
    const QString serverPath = server.publish(local);
    const QByteArray serverBytes = fileBytes(db::resolvePath(serverPath));

    UploadOutcome r = UploadLocalChanges(local.dbPath(), serverPath);
    QVERIFY(r.needsBase);
    QCOMPARE(r.differingRows, 42);
    QCOMPARE(fileBytes(db::resolvePath(serverPath)), serverBytes);   // asked first, wrote nothing
    r = UploadLocalChanges(local.dbPath(), serverPath, {}, {.overwriteWithoutBase = true});
    QVERIFY2(r.ok, qPrintable(r.error.text));
    QCOMPARE(r.added, 0);
    QCOMPARE(r.alreadyThere, 42);
    db::Connection s(serverPath);
    QCOMPARE(s.scalar(uR"(SELECT count(*) FROM "初中")"_s).toInt(), 40);
    QCOMPARE(s.scalar(uR"(SELECT count(*) FROM "教导处")"_s).toInt(), 2);
    QCOMPARE(s.scalar(uR"(SELECT count(*) FROM "班主任")"_s).toInt(), 1);
    QCOMPARE(local.count(uR"(SELECT count(*) FROM "上传表")"_s), 0);
    QVERIFY(QFileInfo::exists(uploadBasePath(local.dbPath())));   // the next upload has a base
}

void TestServerTransfer::interruptedUploadSendsNothingTwice_data()
{
    QTest::addColumn<bool>("reader");   // a reader holds the local file; else the local commit is lost
    QTest::newRow("the local commit lost after the server's") << false;
    QTest::newRow("a reader holds the local file") << true;
}

// The server committed but the local database did not note it (a kill, a full
// disk), or a reader kept the local database busy: running the upload again
// adds no row twice and loses none of the changes.
void TestServerTransfer::interruptedUploadSendsNothingTwice()
{
    QFETCH(bool, reader);
    Downloaded d;
    d.localDo({uR"(INSERT INTO "初中" ("学籍号", "姓名") VALUES ('20250103', '张三'))"_s,
               uR"(INSERT INTO "初中" ("学籍号", "姓名") VALUES ('20250104', '张四'))"_s,
               uR"(INSERT INTO "班主任" ("类别", "内容") VALUES ('记录', '家访'))"_s,
               uR"(UPDATE "初中" SET "备注" = '甲' WHERE "ID" = 1)"_s});
    // Meanwhile the server's numbers moved on: the new rows get other IDs there.
    d.serverDo({uR"(INSERT INTO "初中" ("学籍号", "姓名") VALUES ('20250109', '他人'))"_s,
                uR"(INSERT INTO "班主任" ("类别", "内容") VALUES ('记录', '他人的'))"_s});
    // New IDs lie above every ID of either side.
    const QStringList expected{u"1|20250101|张一||甲"_s, u"2|20250102|张二||"_s, u"3|20250109|他人||"_s,
                               u"5|20250103|张三||"_s, u"6|20250104|张四||"_s};
    const QString base = uploadBasePath(d.local.dbPath());
    UploadOutcome r;
    if (reader) {
        const int previous = db::setDefaultBusyTimeout(200);
        const auto restore = qScopeGuard([previous] { db::setDefaultBusyTimeout(previous); });
        db::Connection other(d.local.dbPath());
        QVERIFY(other.exec(u"BEGIN"_s));
        QVERIFY(other.scalar(uR"(SELECT count(*) FROM "初中")"_s).isValid());
        r = UploadLocalChanges(d.local.dbPath(), d.serverPath);
        QVERIFY(other.exec(u"ROLLBACK"_s));
        QCOMPARE(r.error.number, db::kErrLocked);
        QCOMPARE(d.students(), (QStringList{u"1|20250101|张一||原"_s, u"2|20250102|张二||"_s, u"3|20250109|他人||"_s}));
    } else {
        const QTemporaryDir keep;
        QVERIFY(QFile::copy(d.local.dbPath(), keep.filePath(u"local"_s)));
        QVERIFY(QFile::copy(base, keep.filePath(u"base"_s)));
        r = UploadLocalChanges(d.local.dbPath(), d.serverPath);
        QVERIFY2(r.ok, qPrintable(r.error.text));
        QCOMPARE(r.added, 3);
        QCOMPARE(d.students(), expected);
        // The local side as if its commit never happened.
        overwriteInPlace(keep.filePath(u"local"_s), d.local.dbPath());
        overwriteInPlace(keep.filePath(u"base"_s), base);
        QCOMPARE(d.queued(), 4);
    }
    r = UploadLocalChanges(d.local.dbPath(), d.serverPath);
    QVERIFY2(r.ok, qPrintable(r.error.text));
    QCOMPARE(r.added, reader ? 3 : 0);
    QCOMPARE(r.conflicts.size(), 0);
    QCOMPARE(d.students(), expected);
    QCOMPARE(d.serverCount(uR"(SELECT count(*) FROM "班主任" WHERE "内容" = '家访')"_s), 1);
    QCOMPARE(d.queued(), 0);
    // The local rows took the server's IDs.
    QCOMPARE(d.students(false), (QStringList{u"1|20250101|张一||甲"_s, u"2|20250102|张二||"_s, u"5|20250103|张三||"_s,
                                             u"6|20250104|张四||"_s}));
}

// The server committed and the local commit failed: the window says the data is
// on the server and that uploading again is safe. The local commit writes the
// database and its base, so it needs a super-journal named after the database
// file plus eleven characters; data.mdb links to a file whose name leaves room
// for its journal and none for that.
void TestServerTransfer::uploadWindowSaysARetryIsSafe()
{
    Downloaded d;
    d.localDo({uR"(UPDATE "初中" SET "备注" = '甲' WHERE "ID" = 1)"_s});
    d.local.closeDb();
    const QString target = QFileInfo(d.local.dbPath()).dir().filePath(QString(246, u'a'));
    QVERIFY(QFile::rename(d.local.dbPath(), target));
    QVERIFY(QFile::link(target, d.local.dbPath()));

    WindowHarness h(d.local, {.shown = false});
    h.session().openpath = d.serverPath;
    auto *w = h.open<UploadWindow>(kUploadWindow);
    h.responder.clear();
    QTest::mouseClick(w->startButton, Qt::LeftButton);
    const QStringList texts = h.responder.texts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().startsWith(u"本机数据已经上传到服务器，但本机没能记下："_s), qPrintable(texts.first()));
    QVERIFY2(texts.first().endsWith(u"\r可以放心再上传一次：已经上传的数据不会重复。"_s), qPrintable(texts.first()));
    QCOMPARE(d.students(), (QStringList{u"1|20250101|张一||甲"_s, u"2|20250102|张二||"_s}));
    QCOMPARE(d.queued(), 1);
}

// Two computers upload new students at once, thirty each, fifteen numbers on
// both: no 学籍号 ends up twice on the server; each refused one names both.
void TestServerTransfer::twoUploadsAtOnce()
{
    Downloaded a;
    TestSchool c;
    c.closeDb();
    QVERIFY(QFile::remove(c.dbPath()));
    QVERIFY(QFile::copy(db::resolvePath(a.serverPath), c.dbPath()));
    db::Error error;
    QVERIFY(saveUploadBase(c.dbPath(), error));
    const auto addStudents = [](const QString &path, int first, const QString &name) {
        db::setChangeQueueFile(path);
        const auto stop = qScopeGuard([] { db::setChangeQueueFile(QString()); });
        db::Connection conn(path);
        QVERIFY(conn.transaction([&] {
            for (int i = first; i < first + 30; ++i) {
                if (!conn.exec(uR"(INSERT INTO "初中" ("学籍号", "姓名") VALUES (?, ?))"_s, {u"2025%1"_s.arg(i, 4, 10, QLatin1Char('0')), name + QString::number(i)}))
                    return false;
            }
            return true;
        }));
    };
    addStudents(a.local.dbPath(), 10, u"甲"_s);
    addStudents(c.dbPath(), 25, u"丙"_s);

    UploadOutcome ra, rc;
    QThread *ta = QThread::create([&] { ra = UploadLocalChanges(a.local.dbPath(), a.serverPath, {}, {.batchSize = 5}); });
    QThread *tc = QThread::create([&] { rc = UploadLocalChanges(c.dbPath(), a.serverPath, {}, {.batchSize = 5}); });
    ta->start();
    tc->start();
    QVERIFY(ta->wait(60000));
    QVERIFY(tc->wait(60000));
    delete ta;
    delete tc;
    QVERIFY2(!ra.error.isSet() || !ra.failed.isEmpty(), qPrintable(ra.error.text));
    QVERIFY2(!rc.error.isSet() || !rc.failed.isEmpty(), qPrintable(rc.error.text));
    QCOMPARE(a.serverCount(uR"(SELECT count(*) FROM (SELECT "学籍号" FROM "初中" GROUP BY "学籍号" HAVING count(*) > 1))"_s), 0);
    QCOMPARE(a.serverCount(uR"(SELECT count(*) FROM "初中")"_s), 2 + 45);
    QCOMPARE(ra.added + rc.added, 45);
    QCOMPARE(ra.failed.size() + rc.failed.size(), 15);
    for (const UploadFailure &f : ra.failed + rc.failed)
        QVERIFY2(f.text.contains(u"甲"_s) && f.text.contains(u"丙"_s), qPrintable(f.text));
}

// A downloads, works offline, B works on the server, A uploads: B's fields are
// kept, the conflicts are listed in one window and decided there.
void TestServerTransfer::conflictsDecidedInTheWindow()
{
    TestSchool local;
    TestSchool serverSchool;
    serverSchool.addStudent(u"初中"_s, u"20250101"_s, u"张一"_s);
    serverSchool.addStudent(u"初中"_s, u"20250102"_s, u"张二"_s);
    ServerShare server;
    const QString serverPath = server.publish(serverSchool);
    QVERIFY(writeLineGbk(local.file(u"PATH.DLL"_s), ServerShare::installerPath()));
    local.closeDb();

    WindowHarness h(local, {.shown = false});
    auto *down = h.open<DownloadWindow>(kDownloadWindow);
    QTest::mouseClick(down->startButton, Qt::LeftButton);
    QCOMPARE(h.responder.texts(), QStringList{u"恭喜！恭喜！\r　　服务器数据连接正确,下载数据成功。"_s});
    h.responder.clear();
    {
        db::Connection a(local.dbPath());   // a program connection: queued
        QVERIFY(a.exec(uR"(UPDATE "初中" SET "备注" = '甲1', "联系电话" = '111' WHERE "ID" = 1)"_s));
        QVERIFY(a.exec(uR"(UPDATE "初中" SET "备注" = '甲2' WHERE "ID" = 2)"_s));
        db::Connection b(serverPath);
        QVERIFY(b.exec(uR"(UPDATE "初中" SET "备注" = '乙1', "家庭住址" = '乙地' WHERE "ID" = 1)"_s));
        QVERIFY(b.exec(uR"(UPDATE "初中" SET "备注" = '乙2' WHERE "ID" = 2)"_s));
    }
    const auto rows = [](const QString &path) {
        db::Connection c(path);
        QStringList out;
        QSqlQuery q = c.query(uR"(SELECT "ID","备注","联系电话","家庭住址" FROM "初中" ORDER BY "ID")"_s);
        while (q.next())
            out << u"%1|%2|%3|%4"_s.arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
        return out;
    };
    h.session().openpath = serverPath;
    auto *up = h.open<UploadWindow>(kUploadWindow);
    QTest::mouseClick(up->startButton, Qt::LeftButton);
    QCOMPARE(h.responder.texts(), QStringList{u"上传完成：服务器上新增0条记录，修改1条记录，0条记录服务器上已经有了而跳过，2处冲突留在上传表中。"_s});
    QCOMPARE(rows(serverPath), (QStringList{u"1|乙1|111|乙地"_s, u"2|乙2||"_s}));   // B's fields kept, A's phone written
    QVERIFY(up->conflictWindow);
    QTableWidget *grid = up->conflictWindow->conflictGrid;
    QCOMPARE(grid->rowCount(), 2);
    const auto rowText = [grid](int r) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << grid->item(r, c)->text();
        return cells.join(u'|');
    };
    QCOMPARE(rowText(0), u"初中学生张一（学籍号20250101）|备注|乙1|甲1"_s);
    QCOMPARE(rowText(1), u"初中学生张二（学籍号20250102）|备注|乙2|甲2"_s);
    saveShot(up->conflictWindow->grab().toImage(), u"upload_conflicts"_s);
    // Keep the server's value for the first, write this computer's for the second.
    QTest::mouseClick(up->conflictWindow->useLocalAllButton, Qt::LeftButton);
    grid->item(0, UploadConflictWindow::kUseLocalColumn)->setCheckState(Qt::Unchecked);
    h.responder.clear();
    QTest::mouseClick(up->conflictWindow->confirmButton, Qt::LeftButton);
    QCOMPARE(h.responder.texts(), QStringList{u"上传完成：服务器上新增0条记录，修改1条记录，1条记录服务器上已经有了而跳过，0处冲突留在上传表中。"_s});
    QTRY_VERIFY(!up->conflictWindow || !up->conflictWindow->isVisible());

    QCOMPARE(rows(serverPath), (QStringList{u"1|乙1|111|乙地"_s, u"2|甲2||"_s}));
    QCOMPARE(rows(local.dbPath()), (QStringList{u"1|乙1|111|"_s, u"2|甲2||"_s}));
    QCOMPARE(local.count(uR"(SELECT count(*) FROM "上传表")"_s), 0);
}

// The download's files: its copy under one name, gone after a killed run; the
// old file's mode; only the newest backups kept.
void TestServerTransfer::downloadFiles()
{
    TestSchool local;
    TestSchool serverSchool;
    ServerShare server;
    server.publish(serverSchool);
    local.closeDb();
    QVERIFY(writeLineGbk(local.file(u"PATH.DLL"_s), ServerShare::installerPath()));
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser
                                    | QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(local.dbPath(), mode));
    putFile(db::copyInProgressPath(local.dbPath()), QByteArray(4096, 'x'));   // left by a killed download
    for (int i = 0; i < 12; ++i)
        putFile(local.file(u"下载前备份202501"_s + QString::number(i + 10) + u"080000.mdb"_s), QByteArray("old"));
    putFile(local.file(u"备份20250101080000.mdb"_s), QByteArray("a backup of the maintenance window"));

    const DownloadOutcome r = DownloadServerDatabase(local.folder());
    QVERIFY2(r.ok, qPrintable(r.errorText));
    QVERIFY(!QFileInfo::exists(db::copyInProgressPath(local.dbPath())));
    QCOMPARE(QFile::permissions(local.dbPath()), mode);
    const QStringList backups = QDir(local.folder()).entryList({u"下载前备份*.mdb"_s}, QDir::Files, QDir::Name);
    QCOMPARE(backups.size(), kDownloadBackupsKept);
    QVERIFY(!backups.contains(u"下载前备份20250111080000.mdb"_s));   // the oldest went
    QVERIFY(backups.contains(QFileInfo(r.backupFile).fileName()));
    QVERIFY(QFileInfo::exists(local.file(u"备份20250101080000.mdb"_s)));

    // A copy a killed run left is removed when the program starts.
    putFile(db::copyInProgressPath(local.dbPath()), QByteArray(4096, 'x'));
    WindowHarness h(local, {.shown = false});
    QVERIFY(!QFileInfo::exists(db::copyInProgressPath(local.dbPath())));
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

// A conflicting score is listed under its exam's name, not its column's.
void TestServerTransfer::conflictNamesTheExam()
{
    UploadConflict score;
    score.table = u"初中"_s;
    score.row = u"初中学生张一（学籍号20250101）"_s;
    score.field = kMid;
    score.serverValue = 80;
    score.localValue = 85;
    UploadConflict remark = score;
    remark.field = u"备注"_s;
    UploadConflictWindow window({score, remark}, [](const QList<ConflictDecision> &) { return QList<UploadConflict>(); });
    QCOMPARE(window.conflictGrid->item(0, 1)->text(), u"25-26语文(上)期中成绩"_s);
    QCOMPARE(window.conflictGrid->item(1, 1)->text(), u"备注"_s);
    QCOMPARE(window.conflictGrid->item(0, 2)->text(), u"80"_s);
    QCOMPARE(window.conflictGrid->item(0, 3)->text(), u"85"_s);
}

#include "tst_server_transfer.moc"
