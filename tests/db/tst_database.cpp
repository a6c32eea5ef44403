// Connection, transactions, identifiers and schema questions on real SQLite files.
#include "db/database.h"
#include "fixtures/busy_timeout_scope.h"
#include "fixtures/files.h"
#include "fixtures/test_school.h"
#include "os/share_paths.h"
#include "db/kept_read.h"
#include "db/typed_read.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QRegularExpression>
#include <QSqlError>
#include <QTemporaryDir>
#include <QtTest>

using namespace tessaly::db;
using tessaly::test::fileBytes;

namespace {

// A new database at path with one table "名单" (名称 TEXT NOT NULL, 分数 REAL).
bool makeDatabase(const QString &path)
{
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    Connection c(path);
    return c.ok() && c.exec(QStringLiteral(R"(CREATE TABLE "名单" ("名称" TEXT NOT NULL, "分数" REAL))"));
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_shares;
    QString m_dbPath;

private slots:
    void initTestCase();
    void init();

    void readRowsDecodesOnceAndHoldsNoLock();
    void engineRowsReadAsTheQueryDoes();
    void keptReadsFollowTheTableAndHoldNoLock();
    void aReadStoppedPartWayFails();

    void openMissingPath_data();
    void openMissingPath();
    void openSharePath();
    void openPathWithUnusualCharacters();
    void openRefusesNonDatabase();
    void openSwitchesFromWal();

    void execBindsValues();
    void statementsRunAgainWithNewValues();
    void transactionCommitsAll();
    void transactionIsAllOrNothing_data();
    void transactionIsAllOrNothing();
    void transactionBodyRefusal();
    void lockedDatabaseIsAnError();
    void busyTimeoutDefault();
    void busyTimeoutScopeRestores();

    void translateByEngineCode_data();
    void translateByEngineCode();
    void engineFailuresInChinese_data();
    void engineFailuresInChinese();
    void missingNamesAreErrors();

    void identifiers_data();
    void identifiers();

    void tableColumnsInStoredOrder();
    void addColumnAppends();
    void addColumnRefuses_data();
    void addColumnRefuses();
    void addColumnStopsAtTheColumnLimit();

    void moveKeepsTheConnection();
    void knowsWhenTheFileIsReplaced();

    void changeQueueRecordsEachRowOnce();
    void readOnlyConnectionRecordsNothing();
};

void TestDatabase::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_shares = m_dir.filePath(QStringLiteral("shares"));
    QVERIFY(QDir().mkpath(m_shares + QStringLiteral("/server1/共享")));
    qputenv("TESSALY_SHARES", m_shares.toUtf8());
}

void TestDatabase::init()
{
    static int n = 0;
    m_dbPath = m_dir.filePath(QStringLiteral("db%1.mdb").arg(++n));
    QVERIFY(makeDatabase(m_dbPath));
}

void TestDatabase::openMissingPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");   // folder that must stay as it was
    QTest::newRow("missing file") << QStringLiteral("none.mdb") << QString();
    QTest::newRow("missing file in missing folder") << QStringLiteral("没有/data.mdb") << QString();
    QTest::newRow("share without server") << QStringLiteral("\\\\server9\\共享\\data.mdb") << QStringLiteral("shares");
    QTest::newRow("share with folder but no file") << QStringLiteral("\\\\server1\\共享\\data.mdb")
                                                    << QStringLiteral("shares/server1/共享");
    QTest::newRow("share, slash form") << QStringLiteral("//server1/共享/data.mdb") << QStringLiteral("shares/server1/共享");
    QTest::newRow("empty path") << QString() << QString();
    QTest::newRow("blank path") << QStringLiteral("  ") << QString();
    QTest::newRow("a folder") << QStringLiteral("shares") << QString();
}

void TestDatabase::openMissingPath()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    // Relative test paths live in the temporary folder; share paths are mapped.
    const QString full = path.startsWith(QLatin1Char('\\')) || path.startsWith(QLatin1Char('/')) || path.trimmed().isEmpty()
                             ? path
                             : m_dir.filePath(path);
    const QString watched = m_dir.filePath(folder);
    const QStringList before = folderEntries(watched);

    Connection c(full);
    QVERIFY(!c.ok());
    QCOMPARE(c.error().number, kErrPathNotFound);
    QVERIFY(!c.error().text.isEmpty());
    QCOMPARE(folderEntries(watched), before);
    if (!path.trimmed().isEmpty() && path != QLatin1String("shares"))
        QVERIFY(!QFileInfo::exists(resolvePath(full)));

    // The same for a second attempt on an existing Connection object.
    Connection again(m_dbPath);
    QVERIFY(again.ok());
    QVERIFY(!again.open(full));
    QCOMPARE(again.error().number, kErrPathNotFound);
    QVERIFY(!again.ok());
}

void TestDatabase::openSharePath()
{
    const QString local = m_shares + QStringLiteral("/server1/共享/data.mdb");
    QVERIFY(makeDatabase(local));
    Connection c(QStringLiteral("\\\\server1\\共享\\data.mdb"));
    QVERIFY2(c.ok(), qPrintable(c.error().text));
    QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES (?))"), {QStringLiteral("张三")}));
    Connection direct(local);
    QCOMPARE(direct.scalar(QStringLiteral(R"(SELECT "名称" FROM "名单")")).toString(), QStringLiteral("张三"));
}

void TestDatabase::openPathWithUnusualCharacters()
{
    // Characters that mean something in a file URI must stay part of the name.
    const QString folder = m_dir.filePath(QStringLiteral("学校 #1 %20 ?a=b"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/数据 %41#.mdb");
    QVERIFY(makeDatabase(path));
    Connection c(path);
    QVERIFY2(c.ok(), qPrintable(c.error().text));
    QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('甲'))")));
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单")")).toInt(), 1);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("数据 %41#.mdb")});
}

void TestDatabase::openRefusesNonDatabase()
{
    const QString path = m_dir.filePath(QStringLiteral("notes.mdb"));
    const QByteArray content = QStringLiteral("这不是数据库，只是一段文字。\r\n").repeated(40).toUtf8();
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    Connection c(path);
    QVERIFY(!c.ok());
    QCOMPARE(c.error().number, kErrNotADatabase);
    QVERIFY(!c.error().text.isEmpty());
    QCOMPARE(fileBytes(path), content);   // left untouched
}

void TestDatabase::openSwitchesFromWal()
{
    {
        Connection c(m_dbPath);
        QVERIFY(c.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
    }
    QCOMPARE(fileBytes(m_dbPath).mid(18, 2), QByteArray("\x02\x02"));   // WAL file format
    {
        Connection c(m_dbPath);
        QVERIFY(c.ok());
        QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('乙'))")));
    }
    QCOMPARE(fileBytes(m_dbPath).mid(18, 2), QByteArray("\x01\x01"));   // rollback journal
    QVERIFY(!QFileInfo::exists(m_dbPath + QStringLiteral("-wal")));
}

void TestDatabase::execBindsValues()
{
    Connection c(m_dbPath);
    const QString name = QStringLiteral("O'Brien'); DROP TABLE \"名单\"; --");
    QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称", "分数") VALUES (?, ?))"), {name, 85.5}));
    QCOMPARE(c.rowsAffected(), 1);
    QCOMPARE(c.lastInsertId().toInt(), 1);
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT "名称" FROM "名单" WHERE "分数" = ?)"), {85.5}).toString(), name);
    QVERIFY(tableExists(c, QStringLiteral("名单")));

    // A wrong number of values is an error, not a row with nulls.
    QVERIFY(!c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称", "分数") VALUES (?, ?))"), {QStringLiteral("x")}));
    QVERIFY(c.error().isSet());
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单")")).toInt(), 1);
}

// exec and scalar keep their statements prepared: a statement run again takes the
// new values, a kept statement holds no lock another user waits for, and the table
// can still be altered under it.
void TestDatabase::statementsRunAgainWithNewValues()
{
    Connection c(m_dbPath);
    const QString insert = QStringLiteral(R"(INSERT INTO "名单" ("名称", "分数") VALUES (?, ?))");
    const QString scoreOf = QStringLiteral(R"(SELECT "分数" FROM "名单" WHERE "名称" = ?)");
    for (int i = 1; i <= 3; ++i)
        QVERIFY(c.exec(insert, {QStringLiteral("学生%1").arg(i), 60 + i}));
    QCOMPARE(c.scalar(scoreOf, {QStringLiteral("学生2")}).toInt(), 62);
    QCOMPARE(c.scalar(scoreOf, {QStringLiteral("学生3")}).toInt(), 63);
    QVERIFY(c.scalar(scoreOf, {QStringLiteral("无此人")}).isNull());
    // Only the first of three rows was read: the statement must not keep reading.
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT "名称" FROM "名单" ORDER BY "名称")")).toString(),
             QStringLiteral("学生1"));

    Connection other(m_dbPath);
    QVERIFY(other.setBusyTimeout(0));
    QVERIFY2(other.exec(QStringLiteral(R"(DELETE FROM "名单" WHERE "名称" = ?)"), {QStringLiteral("学生1")}),
             qPrintable(other.error().text));
    QVERIFY2(addColumn(c, QStringLiteral("名单"), QStringLiteral("C一单元语文251001"), ColumnType::Real),
             qPrintable(c.error().text));
    QVERIFY(c.exec(insert, {QStringLiteral("学生4"), 64}));
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单")")).toInt(), 3);
    QCOMPARE(c.scalar(scoreOf, {QStringLiteral("学生4")}).toInt(), 64);
}

void TestDatabase::transactionCommitsAll()
{
    Connection c(m_dbPath);
    const bool done = c.transaction([&] {
        for (const QString &n : {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")})
            if (!c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES (?))"), {n}))
                return false;
        return true;
    });
    QVERIFY(done);
    QVERIFY(!c.error().isSet());
    Connection other(m_dbPath);
    QCOMPARE(other.scalar(QStringLiteral(R"(SELECT group_concat("名称", ',') FROM "名单")")).toString(),
             QStringLiteral("甲,乙,丙"));
}

void TestDatabase::transactionIsAllOrNothing_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<QVariantList>("params");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("null into NOT NULL") << QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES (?))")
                                        << QVariantList{QVariant()} << QStringLiteral("NOT NULL");
    QTest::newRow("missing table") << QStringLiteral(R"(INSERT INTO "没有的表" ("名称") VALUES (?))")
                                   << QVariantList{QStringLiteral("乙")} << QStringLiteral("没有的表");
    QTest::newRow("missing column") << QStringLiteral(R"(UPDATE "名单" SET "语文" = ?)")
                                    << QVariantList{1} << QStringLiteral("语文");
    QTest::newRow("syntax") << QStringLiteral("INSRT INTO \"名单\" VALUES (1)") << QVariantList{} << QStringLiteral("syntax");
}

void TestDatabase::transactionIsAllOrNothing()
{
    QFETCH(QString, second);
    QFETCH(QVariantList, params);
    QFETCH(QString, errorPart);
    Connection c(m_dbPath);
    const bool done = c.transaction([&] {
        return c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES (?))"), {QStringLiteral("甲")}) &&
               c.exec(second, params);
    });
    QVERIFY(!done);
    QCOMPARE(c.error().number, kErrSql);
    QVERIFY2(c.error().text.contains(errorPart), qPrintable(c.error().text));
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单")")).toInt(), 0);
    Connection other(m_dbPath);
    QCOMPARE(other.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单")")).toInt(), 0);

    // The connection is usable afterwards (no transaction left open).
    QVERIFY(c.transaction([&] {
        return c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('丁'))"));
    }));
    QCOMPARE(other.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单")")).toInt(), 1);
}

void TestDatabase::transactionBodyRefusal()
{
    // The body refuses on a rule of its own: nothing is written and the failure is reported.
    Connection c(m_dbPath);
    QVERIFY(!c.transaction([&] {
        c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('甲'))"));
        return false;
    }));
    QVERIFY(c.error().isSet());
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单")")).toInt(), 0);

    QVERIFY(!c.transaction([&] { return c.fail(kErrSql, QStringLiteral("分数超过满分")); }));
    QCOMPARE(c.error().text, QStringLiteral("分数超过满分"));
}

// Connections wait 5 s for another user's lock unless the default was changed;
// a connection opened before the change keeps its own.
void TestDatabase::busyTimeoutDefault()
{
    Connection before(m_dbPath);
    QCOMPARE(before.scalar(QStringLiteral("PRAGMA busy_timeout")).toInt(), 5000);
    const int old = setDefaultBusyTimeout(40);
    QCOMPARE(old, 5000);
    Connection after(m_dbPath);
    setDefaultBusyTimeout(old);
    QCOMPARE(after.scalar(QStringLiteral("PRAGMA busy_timeout")).toInt(), 40);
    QCOMPARE(before.scalar(QStringLiteral("PRAGMA busy_timeout")).toInt(), 5000);
    QCOMPARE(Connection(m_dbPath).scalar(QStringLiteral("PRAGMA busy_timeout")).toInt(), 5000);
}

// A test that lowers the default for itself hands the next one the usual wait,
// through nested scopes too.
void TestDatabase::busyTimeoutScopeRestores()
{
    {
        const tessaly::test::BusyTimeoutScope outer(50);
        QCOMPARE(Connection(m_dbPath).scalar(QStringLiteral("PRAGMA busy_timeout")).toInt(), 50);
        {
            const tessaly::test::BusyTimeoutScope inner(0);
            QCOMPARE(defaultBusyTimeout(), 0);
        }
        QCOMPARE(defaultBusyTimeout(), 50);
    }
    QCOMPARE(defaultBusyTimeout(), 5000);
    QCOMPARE(Connection(m_dbPath).scalar(QStringLiteral("PRAGMA busy_timeout")).toInt(), 5000);
}

void TestDatabase::lockedDatabaseIsAnError()
{
    Connection writer(m_dbPath);
    Connection other(m_dbPath);
    QVERIFY(writer.ok() && other.ok());
    other.setBusyTimeout(50);

    bool plainWrite = true;
    bool txWrite = true;
    bool bodyRan = false;
    Error plainError, txError;
    QVERIFY(writer.transaction([&] {
        if (!writer.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('写入者'))")))
            return false;
        plainWrite = other.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('他人'))"));
        plainError = other.error();
        txWrite = other.transaction([&] {
            bodyRan = true;
            return other.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('他人2'))"));
        });
        txError = other.error();
        return true;
    }));
    QVERIFY(!plainWrite);
    QCOMPARE(plainError.number, kErrLocked);
    QVERIFY(!txWrite);
    QCOMPARE(txError.number, kErrLocked);
    QVERIFY(!bodyRan);   // the write lock is taken before any work is done
    QCOMPARE(other.scalar(QStringLiteral(R"(SELECT group_concat("名称", ',') FROM "名单")")).toString(),
             QStringLiteral("写入者"));
    // Once the writer is done the other connection writes normally.
    QVERIFY(other.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('他人'))")));
}

void TestDatabase::translateByEngineCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("shown");   // a part of the text the user reads
    const QString busy = QStringLiteral("其他用户使用");
    QTest::newRow("busy") << QStringLiteral("5") << QStringLiteral("database is locked") << kErrLocked << busy;
    QTest::newRow("busy, extended code") << QStringLiteral("261") << QStringLiteral("database is locked") << kErrLocked << busy;
    QTest::newRow("locked table") << QStringLiteral("6") << QStringLiteral("database table is locked") << kErrLocked << busy;
    QTest::newRow("read-only") << QStringLiteral("8") << QStringLiteral("attempt to write a readonly database") << kErrSql
                               << QStringLiteral("只读");
    QTest::newRow("I/O error, extended code") << QStringLiteral("266") << QStringLiteral("disk I/O error") << kErrSql
                                              << QStringLiteral("网络连接中断");
    QTest::newRow("full") << QStringLiteral("13") << QStringLiteral("database or disk is full") << kErrSql
                          << QStringLiteral("磁盘已满");
    QTest::newRow("not a database") << QStringLiteral("26") << QStringLiteral("file is not a database") << kErrNotADatabase
                                    << QStringLiteral("不是数据库文件");
    QTest::newRow("corrupt") << QStringLiteral("11") << QStringLiteral("database disk image is malformed") << kErrNotADatabase
                             << QStringLiteral("已经损坏");
    QTest::newRow("cannot open") << QStringLiteral("14") << QStringLiteral("unable to open database file") << kErrPathNotFound
                                 << QStringLiteral("无法打开");
    QTest::newRow("school table missing") << QStringLiteral("1") << QStringLiteral("no such table: 教导处 Unable to execute statement")
                                          << kErrNotSchoolDatabase << QStringLiteral("不是本程序的数据库");
    QTest::newRow("school table missing, schema name") << QStringLiteral("1") << QStringLiteral("no such table: main.高中")
                                                       << kErrNotSchoolDatabase << QStringLiteral("不是本程序的数据库");
    QTest::newRow("other table missing") << QStringLiteral("1") << QStringLiteral("no such table: 教导处备份")
                                         << kErrSql << QStringLiteral("教导处备份");
    QTest::newRow("error naming a lock") << QStringLiteral("1") << QStringLiteral("no such table: locked") << kErrSql
                                         << QStringLiteral("locked");
    QTest::newRow("error naming busy") << QStringLiteral("1") << QStringLiteral("no such column: busy") << kErrSql
                                       << QStringLiteral("busy");
    QTest::newRow("constraint") << QStringLiteral("19") << QStringLiteral("NOT NULL constraint failed") << kErrSql
                                << QStringLiteral("NOT NULL");
    QTest::newRow("no code, locked text") << QString() << QStringLiteral("database is locked") << kErrLocked << busy;
}

void TestDatabase::translateByEngineCode()
{
    QFETCH(QString, code);
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(QString, shown);
    const Error e = translate(QSqlError(QString(), text, QSqlError::StatementError, code));
    QCOMPARE(e.number, number);
    QVERIFY2(e.text.contains(shown), qPrintable(e.text));
}

void TestDatabase::engineFailuresInChinese_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("shown");
    QTest::newRow("read while another holds the write lock") << QStringLiteral("locked") << kErrLocked
                                                             << QStringLiteral("其他用户使用");
    QTest::newRow("write to a read-only database") << QStringLiteral("read-only") << kErrSql << QStringLiteral("只读");
    QTest::newRow("database full") << QStringLiteral("full") << kErrSql << QStringLiteral("磁盘已满");
    QTest::newRow("file of garbage") << QStringLiteral("garbage") << kErrNotADatabase << QStringLiteral("不是数据库文件");
    QTest::newRow("truncated file") << QStringLiteral("truncated") << kErrNotADatabase << QStringLiteral("已经损坏");
    QTest::newRow("school table missing") << QStringLiteral("no school table") << kErrNotSchoolDatabase
                                          << QStringLiteral("不是本程序的数据库");
}

void TestDatabase::engineFailuresInChinese()
{
    QFETCH(QString, failure);
    QFETCH(int, number);
    QFETCH(QString, shown);
    const QString insert = QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES (?))");
    const QString read = QStringLiteral(R"(SELECT count(*), max(length("名称")) FROM "名单")");
    Error error;
    if (failure == QLatin1String("locked")) {
        Connection writer(m_dbPath);
        Connection reader(m_dbPath);
        QVERIFY(reader.setBusyTimeout(50));
        QVERIFY(writer.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QVERIFY(!reader.scalar(read).isValid());
        error = reader.error();
        writer.exec(QStringLiteral("ROLLBACK"));
    } else if (failure == QLatin1String("read-only")) {
        Connection c(m_dbPath);
        QVERIFY(c.exec(QStringLiteral("PRAGMA query_only = 1")));
        QVERIFY(!c.exec(insert, {QStringLiteral("甲")}));
        error = c.error();
    } else if (failure == QLatin1String("full")) {
        Connection c(m_dbPath);
        const int pages = c.scalar(QStringLiteral("PRAGMA page_count")).toInt();
        QVERIFY(c.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
        const bool written = c.transaction([&] {
            for (int i = 0; i < 200; ++i)
                if (!c.exec(insert, {QString(400, QChar(u'字'))}))
                    return false;
            return true;
        });
        QVERIFY(!written);
        error = c.error();
    } else if (failure == QLatin1String("garbage")) {
        QFile f(m_dbPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 64; ++i)
            f.write(QByteArray(1024, char(0x5a + i)));
        f.close();
        Connection c(m_dbPath);
        QVERIFY(!c.ok());
        error = c.error();
    } else if (failure == QLatin1String("truncated")) {
        {
            Connection c(m_dbPath);
            QVERIFY(c.transaction([&] {
                for (int i = 0; i < 400; ++i)
                    if (!c.exec(insert, {QString(300, QChar(u'字'))}))
                        return false;
                return true;
            }));
        }
        QFile f(m_dbPath);
        QVERIFY(f.resize(f.size() / 2));
        // Found when the file is opened, or at the latest when its rows are read.
        Connection c(m_dbPath);
        QVERIFY(!c.ok() || !c.scalar(read).isValid());
        error = c.error();
    } else {
        Connection c(m_dbPath);
        QVERIFY(!c.scalar(QStringLiteral(R"(SELECT count(*) FROM "教导处")")).isValid());
        error = c.error();
    }
    QCOMPARE(error.number, number);
    QVERIFY2(error.text.contains(shown), qPrintable(error.text));
    QVERIFY2(!error.text.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(error.text));
}

void TestDatabase::missingNamesAreErrors()
{
    Connection c(m_dbPath);
    QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('甲'))")));
    // A missing table whose name speaks of a lock is a statement error, not a lock.
    QVERIFY(!c.exec(QStringLiteral(R"(SELECT * FROM "locked")")));
    QCOMPARE(c.error().number, kErrSql);
    // A quoted column that does not exist is an error, not its own name as a value.
    QSqlQuery q = c.query(QStringLiteral(R"(SELECT "Z25S语文250915" FROM "名单")"));
    QVERIFY(!q.isActive());
    QCOMPARE(c.error().number, kErrSql);
    QVERIFY2(c.error().text.contains(QStringLiteral("Z25S语文250915")), qPrintable(c.error().text));
    QVERIFY(!c.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单" WHERE "busy" = 'busy')")).isValid());
    QCOMPARE(c.error().number, kErrSql);
}

void TestDatabase::identifiers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("chinese") << QStringLiteral("语文") << true;
    QTest::newRow("exam column") << QStringLiteral("Z25S语文250915") << true;
    QTest::newRow("quiz column") << QStringLiteral("单元语文241203") << true;
    QTest::newRow("register column") << QStringLiteral("学籍号") << true;
    QTest::newRow("ascii") << QStringLiteral("ID") << true;
    QTest::newRow("inner blank") << QStringLiteral("期中 语文") << true;
    QTest::newRow("digits and parentheses") << QStringLiteral("成绩(1)") << true;
    QTest::newRow("64 characters") << QString(64, QChar(u'分')) << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("leading blank") << QStringLiteral(" 语文") << false;
    QTest::newRow("leading ideographic blank") << QStringLiteral("\u3000语文") << false;
    QTest::newRow("leading tab") << QStringLiteral("\t语文") << false;
    QTest::newRow("double quote") << QStringLiteral("语\"文") << false;
    QTest::newRow("single quote") << QStringLiteral("语'文") << false;
    QTest::newRow("backtick") << QStringLiteral("语`文") << false;
    QTest::newRow("chinese quotes") << QStringLiteral("“语文”") << false;
    QTest::newRow("chinese single quotes") << QStringLiteral("‘语文’") << false;
    QTest::newRow("open bracket") << QStringLiteral("语[文") << false;
    QTest::newRow("close bracket") << QStringLiteral("语]文") << false;
    QTest::newRow("dot") << QStringLiteral("语.文") << false;
    QTest::newRow("exclamation mark") << QStringLiteral("语!文") << false;
    QTest::newRow("newline") << QStringLiteral("语\n文") << false;
    QTest::newRow("carriage return") << QStringLiteral("语文\r") << false;
    QTest::newRow("nul") << QString::fromUtf16(u"语\u0000文", 3) << false;
    QTest::newRow("delete") << QStringLiteral("语\x7f文") << false;
    QTest::newRow("C1 control") << QStringLiteral("语\u0085文") << false;
    QTest::newRow("65 characters") << QString(65, QChar(u'分')) << false;
}

void TestDatabase::identifiers()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(isValidIdentifier(name), valid);
    QCOMPARE(quoteIdentifier(name), valid ? QLatin1Char('"') + name + QLatin1Char('"') : QString());
    if (!valid)
        return;
    // A valid name works as a column once quoted.
    Connection c(m_dbPath);
    QVERIFY2(addColumn(c, QStringLiteral("名单"), name, ColumnType::Text), qPrintable(c.error().text));
    QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称", %1) VALUES ('甲', ?))").arg(quoteIdentifier(name)),
                   {QStringLiteral("值")}));
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT %1 FROM "名单")").arg(quoteIdentifier(name))).toString(),
             QStringLiteral("值"));
}

void TestDatabase::tableColumnsInStoredOrder()
{
    Connection c(m_dbPath);
    QVERIFY(c.exec(QStringLiteral(R"(CREATE TABLE "小学" ("ID" INTEGER PRIMARY KEY, "学籍号" TEXT, "姓名" TEXT, "性别" TEXT, "备注" TEXT, "住宿" INTEGER))")));
    const QStringList expected{QStringLiteral("ID"), QStringLiteral("学籍号"), QStringLiteral("姓名"),
                               QStringLiteral("性别"), QStringLiteral("备注"), QStringLiteral("住宿")};
    QCOMPARE(tableColumns(c, QStringLiteral("小学")), expected);
    QCOMPARE(tableColumns(c, QStringLiteral("名单")), (QStringList{QStringLiteral("名称"), QStringLiteral("分数")}));
    QVERIFY(tableColumns(c, QStringLiteral("没有的表")).isEmpty());
    QVERIFY(tableColumns(c, QStringLiteral("小学\"; DROP TABLE \"名单")).isEmpty());
    QVERIFY(tableExists(c, QStringLiteral("名单")));
}

void TestDatabase::addColumnAppends()
{
    Connection c(m_dbPath);
    QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('甲'))")));
    QVERIFY2(addColumn(c, QStringLiteral("名单"), QStringLiteral("Z25S语文250915"), ColumnType::Real),
             qPrintable(c.error().text));
    QVERIFY2(addColumn(c, QStringLiteral("名单"), QStringLiteral("操行评定"), ColumnType::Text),
             qPrintable(c.error().text));
    QCOMPARE(tableColumns(c, QStringLiteral("名单")),
             (QStringList{QStringLiteral("名称"), QStringLiteral("分数"), QStringLiteral("Z25S语文250915"),
                          QStringLiteral("操行评定")}));
    // Existing rows have no value in the new columns.
    QVERIFY(c.scalar(QStringLiteral(R"(SELECT "Z25S语文250915" FROM "名单")")).isNull());
    // A REAL column stores numbers as numbers, a TEXT column keeps the text as typed.
    QVERIFY(c.exec(QStringLiteral(R"(UPDATE "名单" SET "Z25S语文250915" = ?, "操行评定" = ?)"),
                   {QStringLiteral("85.5"), 90}));
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT typeof("Z25S语文250915") FROM "名单")")).toString(), QStringLiteral("real"));
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT typeof("操行评定") FROM "名单")")).toString(), QStringLiteral("text"));
    QCOMPARE(c.scalar(QStringLiteral(R"(SELECT "Z25S语文250915" FROM "名单" WHERE "Z25S语文250915" > 85)")).toDouble(), 85.5);
}

void TestDatabase::addColumnRefuses_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("named");   // the name the error text mentions
    QTest::newRow("existing column") << QStringLiteral("名单") << QStringLiteral("分数") << QStringLiteral("分数");
    QTest::newRow("existing column, other case") << QStringLiteral("名单") << QStringLiteral("id") << QStringLiteral("id");
    QTest::newRow("dot in name") << QStringLiteral("名单") << QStringLiteral("语.文") << QStringLiteral("语.文");
    QTest::newRow("quote in name") << QStringLiteral("名单") << QStringLiteral("语\"文") << QStringLiteral("语\"文");
    QTest::newRow("empty name") << QStringLiteral("名单") << QString() << QString();
    QTest::newRow("unknown table") << QStringLiteral("没有的表") << QStringLiteral("语文") << QStringLiteral("没有的表");
    QTest::newRow("invalid table") << QStringLiteral("名[单") << QStringLiteral("语文") << QStringLiteral("名[单");
}

void TestDatabase::addColumnRefuses()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(QString, named);
    Connection c(m_dbPath);
    QVERIFY(c.exec(QStringLiteral(R"(ALTER TABLE "名单" ADD COLUMN "ID" INTEGER)")));
    const QStringList before = tableColumns(c, QStringLiteral("名单"));
    QVERIFY(!addColumn(c, table, column, ColumnType::Real));
    QCOMPARE(c.error().number, kErrSql);
    QVERIFY2(c.error().text.contains(named), qPrintable(c.error().text));
    QCOMPARE(tableColumns(c, QStringLiteral("名单")), before);
}

void TestDatabase::addColumnStopsAtTheColumnLimit()
{
    Connection c(m_dbPath);
    const int limit = columnLimit(c);
    QCOMPARE(limit, 2000);
    QStringList columns;
    for (int i = 0; i < limit - 1; ++i)
        columns << QStringLiteral("\"c%1\" REAL").arg(i);
    QVERIFY(c.exec(QStringLiteral(R"(CREATE TABLE "满表" (%1))").arg(columns.join(QLatin1Char(',')))));
    // The last column the table can hold is added; the one past it is refused
    // before anything is written, in our own words.
    QVERIFY2(addColumn(c, QStringLiteral("满表"), QStringLiteral("最后"), ColumnType::Real), qPrintable(c.error().text));
    QCOMPARE(tableColumns(c, QStringLiteral("满表")).size(), limit);
    QVERIFY(!addColumn(c, QStringLiteral("满表"), QStringLiteral("多余"), ColumnType::Real));
    QCOMPARE(c.error().number, kErrSql);
    QVERIFY2(c.error().text.contains(QStringLiteral("上限")), qPrintable(c.error().text));
    QCOMPARE(tableColumns(c, QStringLiteral("满表")).size(), limit);
    QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "满表" ("最后") VALUES (1))")));
}

void TestDatabase::moveKeepsTheConnection()
{
    Connection a(m_dbPath);
    QVERIFY(a.exec(QStringLiteral(R"(INSERT INTO "名单" ("名称") VALUES ('甲'))")));
    Connection b(std::move(a));
    QVERIFY(!a.ok());
    QVERIFY(b.ok());
    QCOMPARE(b.path(), m_dbPath);
    QCOMPARE(b.lastInsertId().toInt(), 1);
    QCOMPARE(b.scalar(QStringLiteral(R"(SELECT count(*) FROM "名单")")).toInt(), 1);
    Connection d;
    d = std::move(b);
    QVERIFY(!b.ok());
    QCOMPARE(d.scalar(QStringLiteral(R"(SELECT "名称" FROM "名单")")).toString(), QStringLiteral("甲"));
}

void TestDatabase::knowsWhenTheFileIsReplaced()
{
    Connection c(m_dbPath);
    QVERIFY(c.isCurrentFile());
    const QString copy = m_dir.filePath(QStringLiteral("copy.mdb"));
    QFile::remove(copy);
    QVERIFY(QFile::copy(m_dbPath, copy));
    QVERIFY(c.isCurrentFile());   // a copy elsewhere changes nothing
    QVERIFY(QFile::remove(m_dbPath));
    QVERIFY(!c.isCurrentFile());
    QVERIFY(QFile::copy(copy, m_dbPath));
    QVERIFY(!c.isCurrentFile());   // same name, another file
    QVERIFY(c.open(m_dbPath));
    QVERIFY(c.isCurrentFile());
    c.close();
    QVERIFY(!c.isCurrentFile());
}

void TestDatabase::readOnlyConnectionRecordsNothing()
{
    // A read-only connection on the queue's file reads it, takes no change and so
    // sets up no recording; a read-write one on the same file records.
    using tessaly::test::TestSchool;
    TestSchool school;
    school.addStudent(QStringLiteral("初中"), QStringLiteral("20250101"), QStringLiteral("甲"));
    school.closeDb();
    setChangeQueueFile(school.dbPath());
    const auto stop = qScopeGuard([] { setChangeQueueFile(QString()); });
    Connection reader(school.dbPath(), Connection::Access::ReadOnly);
    QVERIFY(reader.ok());
    QVERIFY(!reader.recordsChanges());
    QCOMPARE(reader.scalar(QStringLiteral(R"(SELECT count(*) FROM "初中")")).toInt(), 1);
    QVERIFY(!reader.exec(QStringLiteral(R"(DELETE FROM "初中")")));
    Error error;
    QVERIFY(isSchoolDatabase(reader, error));
    Connection writer(school.dbPath());
    QVERIFY(writer.recordsChanges());
    QCOMPARE(writer.scalar(QStringLiteral(R"(SELECT count(*) FROM "初中")")).toInt(), 1);
    // A missing file is no more created read-only than read-write.
    const QString missing = QFileInfo(school.dbPath()).dir().filePath(QStringLiteral("none.mdb"));
    Connection none(missing, Connection::Access::ReadOnly);
    QVERIFY(!none.ok());
    QCOMPARE(none.error().number, kErrPathNotFound);
    QVERIFY(!QFile::exists(missing));
}

void TestDatabase::changeQueueRecordsEachRowOnce()
{
    using tessaly::test::TestSchool;
    const QString table = QStringLiteral("初中");
    TestSchool school;
    TestSchool other;
    const int kept = school.addStudent(table, QStringLiteral("20250101"), QStringLiteral("甲"));
    const int gone = school.addStudent(table, QStringLiteral("20250102"), QStringLiteral("乙"));
    school.closeDb();
    const auto queue = [&school] {
        Connection c(school.dbPath());
        QStringList rows;
        QSqlQuery q = c.query(QStringLiteral(R"(SELECT "表名", "ID", "新增" FROM "上传表" ORDER BY rowid)"));
        while (q.next())
            rows << QStringLiteral("%1|%2|%3").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
        return rows;
    };
    setChangeQueueFile(school.dbPath());
    const auto stop = qScopeGuard([] { setChangeQueueFile(QString()); });
    QVERIFY(queue().isEmpty());   // rows written before: nothing queued

    Connection c(school.dbPath());
    QVERIFY(c.recordsChanges());
    const QString rename = QStringLiteral(R"(UPDATE "初中" SET "姓名" = ? WHERE "ID" = ?)");
    const QString insert = QStringLiteral(R"(INSERT INTO "初中" ("学籍号", "姓名") VALUES (?, ?))");
    QVERIFY(c.exec(rename, {QStringLiteral("甲一"), kept}));
    QVERIFY(c.exec(rename, {QStringLiteral("甲二"), kept}));
    QVERIFY(c.exec(insert, {QStringLiteral("20250103"), QStringLiteral("丙")}));
    const qint64 added = c.lastInsertId().toLongLong();
    QVERIFY(c.exec(rename, {QStringLiteral("丙一"), added}));
    QVERIFY(c.exec(insert, {QStringLiteral("20250104"), QStringLiteral("丁")}));
    QVERIFY(c.exec(QStringLiteral(R"(DELETE FROM "初中" WHERE "ID" = ?)"), {c.lastInsertId()}));
    QVERIFY(c.exec(QStringLiteral(R"(DELETE FROM "初中" WHERE "ID" = ?)"), {gone}));
    QVERIFY(!c.transaction([&] { return c.exec(insert, {QStringLiteral("20250105"), QStringLiteral("戊")}) && false; }));
    QVERIFY(c.exec(QStringLiteral(R"(UPDATE "教导处" SET "密码" = '1' WHERE "名称" = '管理员')")));
    const QString admin = c.scalar(QStringLiteral(R"(SELECT "id" FROM "教导处" WHERE "名称" = '管理员')")).toString();
    QCOMPARE(queue(), (QStringList{QStringLiteral("初中|%1|0").arg(kept), QStringLiteral("初中|%1|1").arg(added),
                                   QStringLiteral("初中|%1|0").arg(gone), QStringLiteral("教导处|%1|0").arg(admin)}));

    // Another database file, and a connection that stopped recording, queue nothing.
    Connection elsewhere(other.dbPath());
    QVERIFY(!elsewhere.recordsChanges());
    c.stopRecordingChanges();
    QVERIFY(c.exec(insert, {QStringLiteral("20250106"), QStringLiteral("己")}));
    QCOMPARE(queue().size(), 4);
}

// A typed read gives every row, or nothing and the error; afterwards the
// connection stays open without holding the read lock another computer's save needs.
void TestDatabase::readRowsDecodesOnceAndHoldsNoLock()
{
    using tessaly::test::TestSchool;
    TestSchool school;
    school.addStudent(QStringLiteral("初中"), QStringLiteral("20250101"), QStringLiteral("甲"));
    school.addStudent(QStringLiteral("初中"), QStringLiteral("20250102"), QStringLiteral("乙"));
    school.closeDb();
    struct Student {
        QString number, name;
    };
    Connection reader(school.dbPath());
    const auto decode = [](const QSqlQuery &q) { return Student{textOf(q, 0), textOf(q, 1)}; };
    const auto rows = readRows<Student>(reader, QStringLiteral(R"(SELECT "学籍号", "姓名" FROM "初中" ORDER BY "学籍号")"),
                                        {}, decode);
    QVERIFY(rows);
    QCOMPARE(rows->size(), 2);
    QCOMPARE(rows->at(1).name, QStringLiteral("乙"));

    Connection writer(school.dbPath());
    QVERIFY(writer.setBusyTimeout(0));
    QVERIFY2(writer.transaction([&] { return writer.exec(QStringLiteral(R"(UPDATE "初中" SET "姓名" = '丙')")); }),
             qPrintable(writer.error().text));

    QVERIFY(!readRows<Student>(reader, QStringLiteral(R"(SELECT "无此列" FROM "初中")"), {}, decode));
    QVERIFY(!reader.error().text.isEmpty());
}

// A read that a damaged page stops after some rows is a failure, never the rows
// before the page taken for the whole: in the typed reads, straight from the engine,
// in a hand-written loop ended by finishRead, and in scalar().
void TestDatabase::aReadStoppedPartWayFails()
{
    using tessaly::test::TestSchool;
    TestSchool school;
    for (int i = 1; i <= 60; ++i)
        school.addStudent(QStringLiteral("初中"), QStringLiteral("202501%1").arg(i, 2, 10, QLatin1Char('0')),
                          QStringLiteral("学生%1").arg(i), {{QStringLiteral("家庭住址"), QString(200, QChar(u'路'))}});
    school.closeDb();
    tessaly::test::damageMiddleTablePage(school.dbPath(), QStringLiteral("初中"));
    const QString damaged = QStringLiteral("数据库文件已经损坏。请用“数据安全维护”恢复备份，或与管理员联系。");
    const QString sql = QStringLiteral(R"(SELECT "姓名" FROM "初中" ORDER BY "ID")");

    Connection c(school.dbPath());
    QVERIFY(c.ok());
    int decoded = 0;
    QVERIFY(!readRows<QString>(c, sql, {}, [&](const QSqlQuery &q) { ++decoded; return textOf(q, 0); }));
    QVERIFY2(decoded > 0 && decoded < 60, qPrintable(QString::number(decoded)));   // stopped part way
    QCOMPARE(c.error().text, damaged);

    int handed = 0;
    QVERIFY(!c.readEach(sql, {}, [&](const EngineRow &) { ++handed; }));
    QCOMPARE(handed, decoded);

    QSqlQuery q = c.query(sql);
    QVERIFY(q.isActive());
    int looped = 0;
    while (q.next())
        ++looped;
    QCOMPARE(looped, decoded);
    QVERIFY(!finishRead(c, q));
    QCOMPARE(c.error().text, damaged);

    QVERIFY(!c.scalar(QStringLiteral(R"(SELECT "姓名" FROM "初中" WHERE "家庭住址" = '无')")).isValid());
    QCOMPARE(c.error().text, damaged);
    QCOMPARE(tableColumns(c, QStringLiteral("初中")).first(), QStringLiteral("ID"));   // the schema is whole
}

// A kept read, run again with other values: each row as it is now (a column
// another connection added included), no row, a bad statement; no lock kept
// between reads.
void TestDatabase::keptReadsFollowTheTableAndHoldNoLock()
{
    Connection c(m_dbPath);
    QVERIFY(c.exec(QStringLiteral(R"(CREATE TABLE "行" ("ID" INTEGER PRIMARY KEY, "名" TEXT, "分" REAL))")));
    QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "行" VALUES (1, '甲', 90.5), (2, NULL, NULL))")));
    Connection writer(m_dbPath);
    QVERIFY(writer.setBusyTimeout(0));
    KeptReads reads(c);
    const QString sql = QStringLiteral(R"(SELECT * FROM "行" WHERE "ID" = ?)");
    const auto read = [&](const QVariant &id, bool *found) {
        QVariantMap row;
        const bool ok = reads.first(sql, {id}, found, [&](int i, QStringView name, const QVariant &value) {
            QCOMPARE(row.size(), i);
            row.insert(name.toString(), value);
        });
        return ok ? std::optional<QVariantMap>(row) : std::nullopt;
    };
    bool found = false;
    const auto first = read(1, &found);
    QVERIFY(first && found);
    QCOMPARE(*first, (QVariantMap{{QStringLiteral("ID"), qlonglong(1)}, {QStringLiteral("名"), QStringLiteral("甲")},
                                  {QStringLiteral("分"), 90.5}}));
    const auto nulls = read(qlonglong(2), &found);
    QVERIFY(nulls && found);
    QVERIFY(!nulls->value(QStringLiteral("名")).isValid() && !nulls->value(QStringLiteral("分")).isValid());
    const auto none = read(3, &found);
    QVERIFY(none && !found && none->isEmpty());

    QVERIFY2(writer.exec(QStringLiteral(R"(ALTER TABLE "行" ADD COLUMN "备注" TEXT)")), qPrintable(writer.error().text));
    QVERIFY2(writer.exec(QStringLiteral(R"(UPDATE "行" SET "备注" = '新', "名" = '乙' WHERE "ID" = 1)")), qPrintable(writer.error().text));
    const auto again = read(1, &found);
    QVERIFY(again && found);
    QCOMPARE(again->value(QStringLiteral("名")), QVariant(QStringLiteral("乙")));
    QCOMPARE(again->value(QStringLiteral("备注")), QVariant(QStringLiteral("新")));

    bool unused = false;
    QVERIFY(!reads.first(QStringLiteral(R"(SELECT "无此列" FROM "行" WHERE "ID" = ?)"), {1}, &unused, [](int, QStringView, const QVariant &) {}));
    QVERIFY(!c.error().text.isEmpty());
    QVERIFY(!reads.first(sql, {}, &unused, [](int, QStringView, const QVariant &) {}));   // too few values
}

// Every kind of stored value, read straight from the engine: as QSqlQuery::value gives it.
void TestDatabase::engineRowsReadAsTheQueryDoes()
{
    Connection c(m_dbPath);
    QVERIFY(c.exec(QStringLiteral(R"(CREATE TABLE "值" ("序" INTEGER, "值" BLOB))")));
    const QVariantList values{QVariant(), QVariant(qlonglong(-42)), QVariant(85.3), QVariant(QStringLiteral(" 90.5 ")),
                              QVariant(QStringLiteral("缺考")), QVariant(QByteArray("77")), QVariant(1e300)};
    for (int i = 0; i < values.size(); ++i)
        QVERIFY(c.exec(QStringLiteral(R"(INSERT INTO "值" VALUES (?, ?))"), {i, values[i]}));
    const QString sql = QStringLiteral(R"(SELECT "值", "序" FROM "值" WHERE "序" >= ? ORDER BY "序")");
    QList<QVariant> expected;
    QStringList expectedTexts;
    QSqlQuery q = c.query(sql, {0});
    while (q.next()) {
        expected << q.value(0);
        expectedTexts << textOf(q, 0);
    }
    q.finish();
    struct Read {
        QVariant value;
        QString text;
        bool null, number;
        double n;
    };
    const auto rows = readEngineRows<Read>(c, sql, {0}, [](const EngineRow &r) {
        return Read{r.value(0), r.text(0), r.isNull(0), r.isNumber(0), r.number(0)};
    });
    QVERIFY2(rows, qPrintable(c.error().text));
    QCOMPARE(rows->size(), values.size());
    for (int i = 0; i < rows->size(); ++i) {
        const Read &r = rows->at(i);
        QCOMPARE(r.value, expected[i]);
        QCOMPARE(r.value.typeId(), expected[i].typeId());
        QCOMPARE(r.value.isNull(), expected[i].isNull());
        QCOMPARE(r.text, expectedTexts[i]);
        QCOMPARE(r.null, expected[i].isNull());
        const bool number = expected[i].typeId() == QMetaType::LongLong || expected[i].typeId() == QMetaType::Double;
        QCOMPARE(r.number, number);
        QCOMPARE(r.n, number ? expected[i].toDouble() : 0.0);
    }

    // A bound value narrows the rows; a bad query is an error, as with query().
    const auto later = readEngineRows<qlonglong>(c, sql, {5}, [](const EngineRow &r) { return r.value(1).toLongLong(); });
    QVERIFY(later);
    QCOMPARE(*later, (QVector<qlonglong>{5, 6}));
    QVERIFY(!readEngineRows<int>(c, QStringLiteral(R"(SELECT "无此列" FROM "值")"), {}, [](const EngineRow &) { return 0; }));
    QCOMPARE(c.error().number, kErrSql);
    QVERIFY(c.error().text.contains(QStringLiteral("无此列")));
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
