#include "db/database.h"

#include "db/kept_read.h"
#include "db/schema.h"
#include "os/share_paths.h"
#include "db/typed_read.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlDriver>
#include <QScopeGuard>
#include <QSqlRecord>
#include <QTemporaryFile>
#include <QThread>

#include <sqlite3.h>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly::db {

namespace {
QString newConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tessaly-%1").arg(counter.fetchAndAddRelaxed(1));
}

// A file URI that opens an existing file read-write (or read-only) and never creates
// one. '%', '?' and '#' are escaped so they stay part of the file name.
QString openExistingUri(const QString &localPath, bool readOnly = false)
{
    QString p = QDir::cleanPath(QFileInfo(localPath).absoluteFilePath());
    p.replace(QLatin1Char('%'), QLatin1String("%25"));
    p.replace(QLatin1Char('?'), QLatin1String("%3f"));
    p.replace(QLatin1Char('#'), QLatin1String("%23"));
    return QStringLiteral("file:") + p + (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw"));
}

// Device and inode of a file; false when it cannot be reached.
bool fileIdentity(const QString &localPath, quint64 *device, quint64 *inode)
{
    struct stat st {};
    if (::stat(QFile::encodeName(localPath).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    *device = quint64(st.st_dev);
    *inode = quint64(st.st_ino);
    return true;
}

constexpr int kPreparedKept = 64;   // statements a connection keeps prepared

// SQLite's primary result codes that the error numbers rest on.
constexpr int kSqlitePerm = 3;
constexpr int kSqliteBusy = kResultBusy;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteIoErr = 10;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteCantOpen = 14;
constexpr int kSqliteNotADb = 26;

// The engine's own handle of an open connection, or nullptr.
sqlite3 *rawHandle(const QSqlDatabase &db)
{
    if (!db.isOpen())
        return nullptr;
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(h.constData());
}

// A double-quoted name that matches no column must be an error: by default SQLite
// reads it as a text literal, so a missing column would yield its own name as value.
void refuseQuotedLiterals(QSqlDatabase &db)
{
    if (sqlite3 *raw = rawHandle(db)) {
        sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    }
}
} // namespace

QString resolvePath(const QString &path)
{
    return mapSharePath(path);
}

bool isSameFile(const QString &a, const QString &b)
{
    quint64 deviceA = 0, inodeA = 0, deviceB = 0, inodeB = 0;
    return fileIdentity(resolvePath(a), &deviceA, &inodeA) && fileIdentity(resolvePath(b), &deviceB, &inodeB)
        && deviceA == deviceB && inodeA == inodeB;
}

QString fileIdentityKey(const QString &path)
{
    quint64 device = 0, inode = 0;
    if (!fileIdentity(resolvePath(path), &device, &inode))
        return QString();
    return QStringLiteral("%1:%2").arg(device).arg(inode);
}

const QStringList &schoolTables()
{
    static const QStringList tables = QStringList(queuedTables()) << QStringLiteral("上传表");
    return tables;
}

const QStringList &queuedTables()
{
    static const QStringList tables{
        QStringLiteral("教导处"), QStringLiteral("小学"), QStringLiteral("初中"), QStringLiteral("高中"),
        QStringLiteral("小学考试结果"), QStringLiteral("初中考试结果"), QStringLiteral("高中考试结果"),
        QStringLiteral("班主任"), QStringLiteral("信息")};
    return tables;
}

bool checkSchoolDatabase(Connection &c, Error &error)
{
    if (!isSchoolDatabase(c, error))
        return false;
    // quick_check answers one row "ok", or a row per fault found.
    const QVariant answer = c.scalar(QStringLiteral("PRAGMA quick_check"));
    if (c.error().isSet() || answer.toString() != QLatin1String("ok")) {
        error = {kErrNotADatabase, QStringLiteral("数据库文件已损坏，没有通过完整性检查。")};
        return false;
    }
    return true;
}

namespace {
bool moveFile(const QString &from, const QString &to)
{
    // rename(2) replaces the target in one step.
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool syncPath(const QString &path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), folder ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}
} // namespace

QString copyInProgressPath(const QString &targetPath)
{
    return resolvePath(targetPath) + QStringLiteral(".copy");
}

bool replaceFile(const QString &from, const QString &to, Error &error)
{
    if (!syncPath(from, false) || !moveFile(from, to)) {
        error = {kErrPathNotFound, QStringLiteral("无法替换文件“%1”。").arg(to)};
        return false;
    }
    syncPath(QFileInfo(to).absolutePath(), true);
    return true;
}

bool copyDatabaseOver(Connection &source, const QString &targetPath, Error &error, const QString &backupPath)
{
    error = {};
    if (!source.ok()) {
        error = source.error().isSet() ? source.error() : Error{kErrPathNotFound, QStringLiteral("数据库没有打开。")};
        return false;
    }
    if (isSameFile(source.path(), targetPath)) {
        error = {kErrSql, QStringLiteral("源数据库与目标是同一个文件。")};
        return false;
    }
    // A read transaction holds the shared lock from its first read to its end:
    // no writer commits while the database is checked and its bytes are read.
    if (!source.exec(QStringLiteral("BEGIN")) || !source.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master")).isValid()) {
        error = source.error().isSet() ? source.error() : Error{kErrNotADatabase, QStringLiteral("不是数据库文件。")};
        source.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    const auto endRead = qScopeGuard([&source] { source.exec(QStringLiteral("ROLLBACK")); });
    if (!source.isCurrentFile()) {
        error = {kErrPathNotFound, QStringLiteral("“%1”不是一个有效的路径。").arg(source.path())};
        return false;
    }
    if (!checkSchoolDatabase(source, error))
        return false;

    QFile in(resolvePath(source.path()));
    if (!in.open(QIODevice::ReadOnly)) {
        error = {kErrPathNotFound, QStringLiteral("无法读取文件“%1”：%2").arg(source.path(), in.errorString())};
        return false;
    }
    const QString target = resolvePath(targetPath);
    // One fixed name: a copy a killed run left there is replaced, never kept.
    QFile out(copyInProgressPath(targetPath));
    out.remove();
    auto removeCopy = qScopeGuard([&out] { out.remove(); });
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        error = {kErrPathNotFound, QStringLiteral("无法写入文件“%1”：%2").arg(targetPath, out.errorString())};
        return false;
    }
    // The copy takes the mode of the file it replaces (others may share the folder).
    struct stat oldStat {};
    if (::stat(QFile::encodeName(target).constData(), &oldStat) == 0)
        ::fchmod(out.handle(), oldStat.st_mode & 07777);
    qint64 copied = 0;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            break;
        copied += chunk.size();
    }
    if (copied != in.size() || in.error() != QFileDevice::NoError || !out.flush()) {
        error = {kErrPathNotFound, QStringLiteral("复制文件“%1”没有完成。").arg(source.path())};
        return false;
    }
    out.close();
    {
        Connection copy(out.fileName());
        if (!copy.ok() || !checkSchoolDatabase(copy, error)) {
            if (!error.isSet())
                error = copy.error();
            return false;
        }
    }

    // No writer of the old database may be half-way when the name moves to the copy.
    Connection old;
    const bool targetExists = QFileInfo::exists(target);
    if (targetExists && old.open(targetPath) && !old.exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
        error = old.error();
        return false;
    }
    const QString backup = backupPath.isEmpty() ? QString() : resolvePath(backupPath);
    if (targetExists && !backup.isEmpty() && !QFile::copy(target, backup)) {
        QFile::remove(backup);
        error = {kErrPathNotFound, QStringLiteral("无法备份文件“%1”到“%2”。").arg(targetPath, backupPath)};
        return false;
    }
    if (!replaceFile(out.fileName(), target, error)) {
        if (targetExists && !backup.isEmpty())
            QFile::remove(backup);
        error.text = QStringLiteral("无法替换文件“%1”。").arg(targetPath);
        return false;
    }
    removeCopy.dismiss();
    return true;
}

bool backupDatabase(Connection &source, const QString &targetPath, Error &error)
{
    error = {};
    sqlite3 *from = rawHandle(source.handle());
    if (!from) {
        error = {kErrPathNotFound, QStringLiteral("数据库没有打开。")};
        return false;
    }
    const QString target = resolvePath(targetPath);
    if (QFileInfo::exists(target)) {
        error = {kErrSql, QStringLiteral("文件“%1”已经存在。").arg(targetPath)};
        return false;
    }
    QTemporaryFile out(target + QStringLiteral(".XXXXXX"));
    if (!out.open()) {
        error = {kErrPathNotFound, QStringLiteral("无法写入文件“%1”：%2").arg(targetPath, out.errorString())};
        return false;
    }
    out.close();
    sqlite3 *to = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(out.fileName()).constData(), &to, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup *copy = sqlite3_backup_init(to, "main", from, "main");
        if (!copy) {
            rc = sqlite3_errcode(to);
        } else {
            // One step copies every page under one read lock; a writer committing
            // at that moment makes it wait and try again.
            for (int waited = 0; (rc = sqlite3_backup_step(copy, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED;
                 waited += 50) {
                if (waited >= 5000)
                    break;
                QThread::msleep(50);
            }
            const int finished = sqlite3_backup_finish(copy);
            if (rc == SQLITE_DONE)
                rc = finished;
        }
    }
    const QString engineText = to ? QString::fromUtf8(sqlite3_errmsg(to)) : QString();
    sqlite3_close(to);
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        const int primary = rc & 0xff;
        error = {primary == kSqliteBusy || primary == kSqliteLocked ? kErrLocked : kErrPathNotFound,
                 QStringLiteral("备份数据库没有完成：%1").arg(engineText)};
        return false;
    }
    if (QFileInfo::exists(target) || !moveFile(out.fileName(), target)) {
        error = {kErrPathNotFound, QStringLiteral("无法写入文件“%1”。").arg(targetPath)};
        return false;
    }
    out.setAutoRemove(false);
    return true;
}

QString backupFileName(const QString &folder, const QString &prefix)
{
    const QString suffix = QStringLiteral(".mdb");
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"));
    const QDir dir(folder);
    QString name = prefix + stamp + suffix;
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = prefix + stamp + QStringLiteral("-%1").arg(n) + suffix;
    return name;
}

namespace {
QString &queueFile()
{
    static QString path;
    return path;
}
} // namespace

void setChangeQueueFile(const QString &path)
{
    queueFile() = path;
}

QString changeQueueFile()
{
    return queueFile();
}

namespace {
// "no such table: X" (or "main.X") naming one of the school's tables.
bool namesMissingSchoolTable(const QString &text)
{
    static const QRegularExpression missing(QStringLiteral("no such table: (?:main\\.)?([^\\s]+)"));
    const QRegularExpressionMatch m = missing.match(text);
    return m.hasMatch() && schoolTables().contains(m.captured(1), Qt::CaseInsensitive);
}
} // namespace

QString failureSentence(int resultCode)
{
    switch (resultCode & 0xff) {
    case kSqliteBusy:
    case kSqliteLocked:
        return QStringLiteral("数据库正被其他用户使用，暂时不能读写，请稍后再试。");
    case kSqlitePerm:
    case kSqliteReadOnly:
        return QStringLiteral("数据库文件是只读的，不能写入。请检查文件的只读属性和文件夹的写入权限，或与管理员联系。");
    case kSqliteIoErr:
        return QStringLiteral("读写数据库文件时出错，可能是网络连接中断或磁盘故障。请检查网络和磁盘后再试。");
    case kSqliteCorrupt:
        return QStringLiteral("数据库文件已经损坏。请用“数据安全维护”恢复备份，或与管理员联系。");
    case kSqliteFull:
        return QStringLiteral("磁盘已满，数据没有写入。请清理磁盘空间后再试。");
    case kSqliteCantOpen:
        return QStringLiteral("无法打开数据库文件。请检查文件是否存在、网络是否连通。");
    case kSqliteNotADb:
        return QStringLiteral("这个文件不是数据库文件。请用“数据安全维护”恢复备份，或与管理员联系。");
    default:
        return QString();
    }
}

QString notSchoolDatabaseSentence()
{
    return QStringLiteral("不是本程序的数据库。请用“数据安全维护”恢复备份，或下载服务器数据库。");
}

Error translate(const QSqlError &e)
{
    const QString text = e.text().trimmed();
    const QString shown = text.isEmpty() ? QStringLiteral("数据库操作失败") : text;
    // The engine's result code decides; the text may quote a user's table or column name.
    bool haveCode = false;
    int code = e.nativeErrorCode().toInt(&haveCode) & 0xff;   // extended codes keep the primary in the low byte
    if (!haveCode) {
        const QString lower = text.toLower();
        if (lower.contains(QLatin1String("database is locked")) || lower.contains(QLatin1String("table is locked")))
            code = kSqliteBusy;
        else if (lower.contains(QLatin1String("malformed")))
            code = kSqliteCorrupt;
        else if (lower.contains(QLatin1String("not a database")))
            code = kSqliteNotADb;
        else if (lower.contains(QLatin1String("unable to open")))
            code = kSqliteCantOpen;
    }
    const QString sentence = failureSentence(code);
    switch (code) {
    case kSqliteBusy:
    case kSqliteLocked:
        return {kErrLocked, sentence};
    case kSqliteNotADb:
    case kSqliteCorrupt:
        return {kErrNotADatabase, sentence};
    case kSqliteCantOpen:
        return {kErrPathNotFound, sentence};
    default:
        if (!sentence.isEmpty())
            return {kErrSql, sentence};
        if (namesMissingSchoolTable(text))
            return {kErrNotSchoolDatabase, notSchoolDatabaseSentence()};
        return {kErrSql, shown};
    }
}

Connection::Connection(const QString &path, Access access)
{
    open(path, access);
}

Connection::~Connection()
{
    close();
}

Connection::Connection(Connection &&other) noexcept
{
    *this = std::move(other);
}

Connection &Connection::operator=(Connection &&other) noexcept
{
    if (this != &other) {
        close();
        m_db = other.m_db;
        m_name = other.m_name;
        m_path = other.m_path;
        m_error = other.m_error;
        m_lastInsertId = other.m_lastInsertId;
        m_rowsAffected = other.m_rowsAffected;
        m_device = other.m_device;
        m_inode = other.m_inode;
        m_recording = other.m_recording;
        other.m_recording = false;
        m_prepared = std::move(other.m_prepared);
        other.m_prepared.clear();
        other.m_db = QSqlDatabase();
        other.m_name.clear();
        other.m_path.clear();
    }
    return *this;
}

void Connection::setError(int number, const QString &text)
{
    m_error = {number, text};
}

bool Connection::fail(int number, const QString &text)
{
    setError(number, text);
    return false;
}

void Connection::setError(const QSqlError &e)
{
    m_error = translate(e);
}

namespace {
std::atomic<int> g_defaultBusyTimeout{5000};
} // namespace

int setDefaultBusyTimeout(int ms)
{
    return g_defaultBusyTimeout.exchange(qMax(0, ms));
}

int defaultBusyTimeout()
{
    return g_defaultBusyTimeout.load();
}

bool Connection::open(const QString &path, Access access)
{
    const bool readOnly = access == Access::ReadOnly;
    close();
    m_error = {};
    m_path = path;
    const QString local = resolvePath(path);
    if (path.trimmed().isEmpty() || !fileIdentity(local, &m_device, &m_inode)) {
        setError(kErrPathNotFound, QStringLiteral("“%1”不是一个有效的路径。").arg(path));
        return false;
    }
    m_name = newConnectionName();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // mode=rw (ro): a file that went away since the check above is an error, never a
    // new empty database. Wait for a busy writer on a share.
    m_db.setDatabaseName(openExistingUri(local, readOnly));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(defaultBusyTimeout()));
    if (!m_db.open()) {
        setError(m_db.lastError());
        close();
        return false;
    }
    refuseQuotedLiterals(m_db);
    QSqlQuery q(m_db);
    // The rollback journal works over a network share; WAL does not. Reading the
    // schema also tells a non-database file at once.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=DELETE")) ||
        !q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        setError(q.lastError());
        if (m_error.number == kErrSql)
            m_error.number = kErrNotADatabase;
        q = QSqlQuery();
        close();
        return false;
    }
    q = QSqlQuery();
    if (!readOnly && !queueFile().isEmpty() && isSameFile(path, queueFile()) && !startRecordingChanges()) {
        close();
        return false;
    }
    return true;
}

namespace {
// The queue's trigger statements of one database file at one schema version:
// every connection on the file after the first takes them from here.
struct QueueTriggers {
    qint64 schemaVersion = -1;
    QString sql;   // empty: nothing to queue (no school database)
};
QMutex g_queueTriggersLock;
QHash<QString, QueueTriggers> &queueTriggersByFile()
{
    static QHash<QString, QueueTriggers> cache;
    return cache;
}
} // namespace

bool Connection::startRecordingChanges()
{
    const QString file = QStringLiteral("%1:%2").arg(m_device).arg(m_inode);
    const auto schemaVersion = [this] {
        const QVariant v = scalar(QStringLiteral("PRAGMA schema_version"));
        return m_error.isSet() ? qint64(-1) : v.toLongLong();
    };
    const QStringList columns = tableColumns(*this, QStringLiteral("上传表"));
    if (columns.isEmpty())
        return !m_error.isSet();   // no school database: nothing to queue (unless unreadable)
    // 新增: the row was first inserted here; 标记: that row's mark, which an
    // upload leaves on the server with it.
    const QStringList added{QStringLiteral(R"("新增" INTEGER NOT NULL DEFAULT 0)"), QStringLiteral(R"("标记" TEXT)")};
    for (const QString &column : added) {
        if (columns.contains(column.section(QLatin1Char('"'), 1, 1), Qt::CaseInsensitive))
            continue;
        if (!exec(QStringLiteral(R"(ALTER TABLE "上传表" ADD COLUMN %1)").arg(column))) {
            // A read-only file takes no change, so none needs a queue row.
            sqlite3 *raw = rawHandle(m_db);
            return raw && sqlite3_db_readonly(raw, "main") == 1;
        }
    }
    const qint64 version = schemaVersion();
    if (version < 0)
        return false;
    QString sql;
    bool cached = false;
    {
        const QMutexLocker lock(&g_queueTriggersLock);
        const auto it = queueTriggersByFile().constFind(file);
        if (it != queueTriggersByFile().cend() && it->schemaVersion == version) {
            sql = it->sql;
            cached = true;
        }
    }
    if (!cached) {
        sql = queueTriggerSql();
        if (m_error.isSet())
            return false;
        const QMutexLocker lock(&g_queueTriggersLock);
        queueTriggersByFile().insert(file, {version, sql});
    }
    if (sql.isEmpty())
        return true;   // no school database: nothing to queue
    // All triggers in one call.
    sqlite3 *raw = rawHandle(m_db);
    char *message = nullptr;
    if (!raw || sqlite3_exec(raw, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = message ? QString::fromUtf8(message) : QStringLiteral("数据库没有打开。");
        sqlite3_free(message);
        setError(QSqlError(QStringLiteral("Unable to queue changes"), text, QSqlError::StatementError,
                           QString::number(raw ? sqlite3_extended_errcode(raw) : 0)));
        return false;
    }
    m_recording = true;
    return true;
}

QString Connection::queueTriggerSql()
{
    // A row already queued is not queued again; a row inserted here and deleted
    // again never reached the server, so its queue row goes with it. A trigger's
    // body takes no bound values: the names written in come only from
    // queuedTables() and the table's own key column, each checked and quoted
    // (%1 as a string literal, %2 and %3 as identifiers).
    const QString sql = QStringLiteral(
        R"(CREATE TEMP TRIGGER %4 AFTER INSERT ON %2 BEGIN
             INSERT INTO "上传表" ("表名", "ID", "新增", "标记") SELECT '%1', NEW.%3, 1, lower(hex(randomblob(16)))
               WHERE NOT EXISTS (SELECT 1 FROM "上传表" WHERE "表名" = '%1' AND "ID" = NEW.%3);
           END;
           CREATE TEMP TRIGGER %5 AFTER UPDATE ON %2 BEGIN
             INSERT INTO "上传表" ("表名", "ID", "新增") SELECT '%1', NEW.%3, 0
               WHERE NOT EXISTS (SELECT 1 FROM "上传表" WHERE "表名" = '%1' AND "ID" = NEW.%3);
           END;
           CREATE TEMP TRIGGER %6 AFTER DELETE ON %2 BEGIN
             INSERT INTO "上传表" ("表名", "ID", "新增") SELECT '%1', OLD.%3, 0
               WHERE NOT EXISTS (SELECT 1 FROM "上传表" WHERE "表名" = '%1' AND "ID" = OLD.%3);
             DELETE FROM "上传表" WHERE "表名" = '%1' AND "ID" = OLD.%3 AND "新增" = 1;
           END;
)");
    QString all;
    for (const QString &table : queuedTables()) {
        QString key;
        for (const QString &c : tableColumns(*this, table)) {
            if (c.compare(QStringLiteral("ID"), Qt::CaseInsensitive) == 0)
                key = c;
        }
        if (m_error.isSet())
            return QString();
        const QString quotedTable = quoteIdentifier(table);
        const QString quotedKey = quoteIdentifier(key);
        if (quotedTable.isEmpty() || quotedKey.isEmpty())
            continue;
        const auto trigger = [&](const char *event) {
            return quoteIdentifier(QStringLiteral("queue %1 %2").arg(table, QLatin1String(event)));
        };
        QString literal = table;
        literal.replace(QLatin1Char('\''), QStringLiteral("''"));
        all += sql.arg(literal, quotedTable, quotedKey, trigger("insert"), trigger("update"), trigger("delete"));
    }
    return all;
}

void Connection::stopRecordingChanges()
{
    if (!m_recording)
        return;
    m_prepared.clear();
    for (const QString &table : queuedTables()) {
        for (const char *what : {"insert", "update", "delete"})
            QSqlQuery(m_db).exec(QStringLiteral(R"(DROP TRIGGER IF EXISTS temp."queue %1 %2")").arg(table, QLatin1String(what)));
    }
    m_recording = false;
}

bool Connection::isCurrentFile() const
{
    quint64 device = 0, inode = 0;
    return ok() && fileIdentity(resolvePath(m_path), &device, &inode) && device == m_device && inode == m_inode;
}

void Connection::close()
{
    if (m_name.isEmpty())
        return;
    const QString name = m_name;
    m_prepared.clear();
    m_recording = false;
    m_db.close();
    m_db = QSqlDatabase();
    m_name.clear();
    QSqlDatabase::removeDatabase(name);
}

bool Connection::setBusyTimeout(int ms)
{
    return exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(qMax(0, ms)));
}

QSqlQuery Connection::query(const QString &sql, const QVariantList &params)
{
    m_error = {};
    if (!ok()) {
        setError(kErrPathNotFound, QStringLiteral("数据库没有打开。"));
        return QSqlQuery();
    }
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) {
        setError(q.lastError());
        return QSqlQuery();
    }
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec()) {
        setError(q.lastError());
        return QSqlQuery();
    }
    m_lastInsertId = q.lastInsertId();
    m_rowsAffected = q.numRowsAffected();
    return q;
}

namespace {

sqlite3_stmt *statementOf(void *statement)
{
    return static_cast<sqlite3_stmt *>(statement);
}

QString text16(sqlite3_stmt *st, int column)
{
    const void *text = sqlite3_column_text16(st, column);
    return text ? QString(static_cast<const QChar *>(text), sqlite3_column_bytes16(st, column) / 2) : QString();
}

// A value bound as the Qt driver binds it.
int bindValue(sqlite3_stmt *st, int index, const QVariant &value)
{
    if (value.isNull())
        return sqlite3_bind_null(st, index);
    switch (value.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return sqlite3_bind_blob(st, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
        return sqlite3_bind_int64(st, index, value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(st, index, value.toDouble());
    default: {
        const QString text = value.toString();
        return sqlite3_bind_text16(st, index, text.utf16(), int(text.size()) * int(sizeof(QChar)), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

bool EngineRow::isNull(int column) const
{
    return sqlite3_column_type(statementOf(m_statement), column) == SQLITE_NULL;
}

bool EngineRow::isNumber(int column) const
{
    const int type = sqlite3_column_type(statementOf(m_statement), column);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

double EngineRow::number(int column) const
{
    return isNumber(column) ? sqlite3_column_double(statementOf(m_statement), column) : 0;
}

namespace {
// The column as QSqlQuery::value gives it.
QVariant columnValue(sqlite3_stmt *st, int column)
{
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(st, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, column));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, column)),
                                   sqlite3_column_bytes(st, column)));
    default:
        return QVariant(text16(st, column));
    }
}

// The engine's last error on db, as the Qt driver reports a failed fetch.
QSqlError engineError(sqlite3 *db)
{
    return QSqlError(QStringLiteral("Unable to fetch row"), QString::fromUtf8(sqlite3_errmsg(db)),
                     QSqlError::StatementError, QString::number(sqlite3_extended_errcode(db)));
}
} // namespace

QVariant EngineRow::value(int column) const
{
    return columnValue(statementOf(m_statement), column);
}

QString EngineRow::text(int column) const
{
    sqlite3_stmt *st = statementOf(m_statement);
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_TEXT:
        return text16(st, column);
    default:
        return value(column).toString();
    }
}

bool Connection::readEach(const QString &sql, const QVariantList &params,
                          const std::function<void(const EngineRow &)> &each)
{
    m_error = {};
    sqlite3 *db = rawHandle(m_db);
    if (!db) {
        setError(kErrPathNotFound, QStringLiteral("数据库没有打开。"));
        return false;
    }
    const auto failed = [&](sqlite3_stmt *st) {
        setError(engineError(db));
        sqlite3_finalize(st);
        return false;
    };
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size()) * int(sizeof(QChar)), &st, nullptr) != SQLITE_OK)
        return failed(st);
    if (params.size() != sqlite3_bind_parameter_count(st)) {
        sqlite3_finalize(st);
        setError(kErrSql, QStringLiteral("参数个数不符。"));
        return false;
    }
    for (int i = 0; i < params.size(); ++i)
        if (bindValue(st, i + 1, params[i]) != SQLITE_OK)
            return failed(st);
    const EngineRow row(st);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        each(row);
    if (rc != SQLITE_DONE)
        return failed(st);
    sqlite3_finalize(st);
    return true;
}

KeptReads::~KeptReads()
{
    for (void *st : std::as_const(m_statements))
        sqlite3_finalize(statementOf(st));
}

bool KeptReads::first(const QString &sql, const QVariantList &params, bool *found,
                      const std::function<void(int index, QStringView name, const QVariant &value)> &column)
{
    *found = false;
    sqlite3 *db = rawHandle(m_c.handle());
    if (!db)
        return m_c.fail(kErrPathNotFound, QStringLiteral("数据库没有打开。"));
    const auto failed = [&] {
        const Error error = translate(engineError(db));
        return m_c.fail(error.number, error.text);
    };
    sqlite3_stmt *st = statementOf(m_statements.value(sql));
    if (!st) {
        if (sqlite3_prepare16_v2(db, sql.utf16(), int(sql.size()) * int(sizeof(QChar)), &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            return failed();
        }
        m_statements.insert(sql, st);
    }
    const auto reset = qScopeGuard([st] {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    });
    if (params.size() != sqlite3_bind_parameter_count(st))
        return m_c.fail(kErrSql, QStringLiteral("参数个数不符。"));
    for (int i = 0; i < params.size(); ++i)
        if (bindValue(st, i + 1, params[i]) != SQLITE_OK)
            return failed();
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_DONE)
        return true;
    if (rc != SQLITE_ROW)
        return failed();
    *found = true;
    const int count = sqlite3_column_count(st);
    for (int i = 0; i < count; ++i) {
        const auto *name = static_cast<const char16_t *>(sqlite3_column_name16(st, i));
        column(i, name ? QStringView(name) : QStringView(),
               sqlite3_column_type(st, i) == SQLITE_NULL ? QVariant() : columnValue(st, i));
    }
    return true;
}

QSqlQuery *Connection::run(const QString &sql, const QVariantList &params)
{
    m_error = {};
    if (!ok()) {
        setError(kErrPathNotFound, QStringLiteral("数据库没有打开。"));
        return nullptr;
    }
    auto it = m_prepared.find(sql);
    if (it != m_prepared.end() && (*it)->params != params.size()) {
        // Other values than before: prepared afresh, so none of the last run's stay bound.
        m_prepared.erase(it);
        it = m_prepared.end();
    }
    if (it == m_prepared.end()) {
        auto prepared = std::make_shared<Prepared>(Prepared{QSqlQuery(m_db), params.size()});
        prepared->query.setForwardOnly(true);
        if (!prepared->query.prepare(sql)) {
            setError(prepared->query.lastError());
            return nullptr;
        }
        if (m_prepared.size() >= kPreparedKept)
            m_prepared.clear();
        it = m_prepared.insert(sql, prepared);
    }
    QSqlQuery &q = (*it)->query;
    for (int i = 0; i < params.size(); ++i)
        q.bindValue(i, params[i]);
    if (!q.exec()) {
        setError(q.lastError());
        q.finish();
        return nullptr;
    }
    m_lastInsertId = q.lastInsertId();
    m_rowsAffected = q.numRowsAffected();
    return &q;
}

bool Connection::exec(const QString &sql, const QVariantList &params)
{
    QSqlQuery *q = run(sql, params);
    if (!q)
        return false;
    q->finish();
    return true;
}

QVariant Connection::scalar(const QString &sql, const QVariantList &params)
{
    QSqlQuery *q = run(sql, params);
    if (!q)
        return QVariant();
    if (!q->next()) {
        // No row, or a read the engine stopped with an error (error() says which).
        const QSqlError e = q->lastError();
        q->finish();
        if (e.isValid())
            setError(e);
        return QVariant();
    }
    const QVariant value = q->value(0);
    q->finish();
    return value;
}

bool Connection::transaction(const std::function<bool()> &body)
{
    m_error = {};
    if (!ok()) {
        setError(kErrPathNotFound, QStringLiteral("数据库没有打开。"));
        return false;
    }
    // Take the write lock first (waiting up to the busy timeout): a deferred
    // transaction that reads and then writes can fail half-way without waiting.
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    bool good = body();
    if (good && !exec(QStringLiteral("COMMIT")))
        good = false;
    if (!good) {
        const Error keep = m_error;
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        m_error = keep.isSet() ? keep : Error{kErrSql, QStringLiteral("保存没有完成。")};
    }
    return good;
}

bool isValidIdentifier(const QString &name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    if (name.front().isSpace())
        return false;
    for (const QChar ch : name) {
        const char16_t u = ch.unicode();
        if (ch.category() == QChar::Other_Control)   // C0, DEL and C1
            return false;
        switch (u) {
        case '"': case '\'': case '`': case '[': case ']': case '.': case '!':
        case u'“': case u'”': case u'‘': case u'’':
            return false;
        default:
            break;
        }
    }
    return true;
}

QString quoteIdentifier(const QString &name)
{
    if (!isValidIdentifier(name))
        return QString();
    return QLatin1Char('"') + name + QLatin1Char('"');
}

bool tableExists(Connection &c, const QString &table)
{
    const QVariant n = c.scalar(
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"), {table});
    return n.toInt() > 0;
}

QStringList tableColumns(Connection &c, const QString &table)
{
    QStringList names;
    if (!isValidIdentifier(table))
        return names;
    // Straight from the engine: a table may hold 2,000 columns. A read stopped
    // part way gives no columns rather than some of them.
    if (!c.readEach(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)), {},
                    [&](const EngineRow &r) { names << r.text(1); }))
        return {};
    return names;
}

QStringList tableColumns(Connection &c, const QString &schema, const QString &table)
{
    QStringList names;
    if (!isValidIdentifier(table) || !isValidIdentifier(schema))
        return names;
    if (!c.readEach(QStringLiteral("PRAGMA %1.table_info(%2)").arg(quoteIdentifier(schema), quoteIdentifier(table)), {},
                    [&](const EngineRow &r) { names << r.text(1); }))
        return {};
    return names;
}

ColumnType columnType(Connection &c, const QString &table, const QString &column)
{
    if (!isValidIdentifier(table))
        return ColumnType::Text;
    QSqlQuery q = c.query(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)));
    while (q.next()) {
        if (q.value(1).toString().compare(column, Qt::CaseInsensitive) != 0)
            continue;
        const QString type = q.value(2).toString().toUpper();
        const bool numeric = type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("INT"))
                             || type.contains(QLatin1String("NUM")) || type.contains(QLatin1String("DOUB"))
                             || type.contains(QLatin1String("FLOA"));
        return numeric ? ColumnType::Real : ColumnType::Text;
    }
    finishRead(c, q);
    return ColumnType::Text;
}

int columnLimit(Connection &c)
{
    constexpr int kEngineDefault = 2000;   // SQLITE_MAX_COLUMN
    sqlite3 *raw = rawHandle(c.handle());
    return raw ? sqlite3_limit(raw, SQLITE_LIMIT_COLUMN, -1) : kEngineDefault;
}

bool isSchoolDatabase(Connection &c, Error &error)
{
    error = {};
    if (!c.ok()) {
        error = c.error().isSet() ? c.error() : Error{kErrPathNotFound, QStringLiteral("数据库没有打开。")};
        return false;
    }
    QSqlQuery q = c.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'"));
    if (!q.isActive()) {
        error = c.error();
        return false;
    }
    QStringList present;
    while (q.next())
        present << q.value(0).toString().toLower();
    if (!finishRead(c, q)) {
        error = c.error();
        return false;
    }
    for (const QString &table : schoolTables()) {
        if (!present.contains(table, Qt::CaseInsensitive)) {
            error = {kErrNotSchoolDatabase, notSchoolDatabaseSentence()};
            return false;
        }
    }
    return true;
}

bool addColumn(Connection &c, const QString &table, const QString &column, ColumnType type)
{
    for (const QString &name : {table, column}) {
        if (!isValidIdentifier(name))
            return c.fail(kErrSql, QStringLiteral("名称“%1”不能用作表名或字段名。").arg(name));
    }
    if (!tableExists(c, table))
        return c.fail(kErrSql, QStringLiteral("找不到表“%1”。").arg(table));
    const QStringList columns = tableColumns(c, table);
    for (const QString &existing : columns) {
        if (existing.compare(column, Qt::CaseInsensitive) == 0)
            return c.fail(kErrSql, QStringLiteral("字段“%1”已经存在。").arg(column));
    }
    const int limit = columnLimit(c);
    if (columns.size() >= limit)
        return c.fail(kErrSql, QStringLiteral("表“%1”的字段数已经达到上限(%2个)。").arg(table).arg(limit));
    const QString sqlType = type == ColumnType::Real ? QStringLiteral("REAL") : QStringLiteral("TEXT");
    return c.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                      .arg(quoteIdentifier(table), quoteIdentifier(column), sqlType));
}

} // namespace tessaly::db
