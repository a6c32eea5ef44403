#include "shell/server_transfer.h"

#include "kit/exam_locks.h"
#include "shell/server_location.h"
#include "platform/typed_read.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantList>

namespace tessaly {

namespace {

// A queued row: its place in the queue, table, key value and whether it was
// first inserted locally.
struct QueuedRow {
    qint64 rowid = 0;
    QString table;
    QVariant id;
    bool inserted = false;
};

// The table's column named like `name` (the engine compares names without case).
QString columnNamed(const QStringList &columns, const QString &name)
{
    for (const QString &c : columns) {
        if (c.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return QString();
}

// What one upload knows of a table on both sides.
struct TableInfo {
    QStringList localColumns;
    QStringList serverColumns;
    QString localKey;
    QString serverKey;
    QSet<QString> locked;   // server columns of locked exams
    qint64 nextId = 0;      // the next ID for a locally inserted row; 0 until asked
};

class Upload {
public:
    Upload(db::Connection &local, db::Connection &server) : m_local(local), m_server(server) {}

    // Adds the columns the server lacks for the queued tables; false (server error) on failure.
    bool addMissingColumns(const QList<QueuedRow> &rows)
    {
        QSet<QString> done;
        return m_server.transaction([&] {
            for (const QueuedRow &row : rows) {
                if (done.contains(row.table) || !db::queuedTables().contains(row.table))
                    continue;
                done.insert(row.table);
                TableInfo &t = info(row.table);
                for (const QString &column : t.localColumns) {
                    if (!columnNamed(t.serverColumns, column).isEmpty())
                        continue;
                    if (!db::addColumn(m_server, row.table, column, db::columnType(m_local, row.table, column)))
                        return false;
                    t.serverColumns << column;
                }
            }
            return true;
        });
    }

    // Writes one queue row into the server (inside the callers' transactions).
    bool send(const QueuedRow &row, QString *why)
    {
        const auto failWith = [why](const QString &text) {
            *why = text;
            return false;
        };
        if (!db::queuedTables().contains(row.table))
            return failWith(QStringLiteral("上传表中的表名“%1”不能上传。").arg(row.table));
        if (row.id.isNull())
            return failWith(QStringLiteral("上传表中表“%1”的记录没有ID。").arg(row.table));
        TableInfo &t = info(row.table);
        if (t.serverColumns.isEmpty())
            return failWith(QStringLiteral("服务器数据库中找不到表“%1”。").arg(row.table));
        if (t.localKey.isEmpty() || t.serverKey.isEmpty())
            return failWith(QStringLiteral("表“%1”没有ID字段。").arg(row.table));
        const QString table = db::quoteIdentifier(row.table);
        const QString key = db::quoteIdentifier(t.serverKey);

        QSqlQuery q = m_local.query(
            QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(table, db::quoteIdentifier(t.localKey)), {row.id});
        if (m_local.error().isSet())
            return failWith(m_local.error().text);
        if (!q.next()) {
            if (!db::finishRead(m_local, q))
                return failWith(m_local.error().text);
            q = QSqlQuery();
            // Gone locally: a row that never reached the server has nothing to delete.
            if (row.inserted)
                return true;
            return m_server.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, key), {row.id})
                   || failWith(m_server.error().text);
        }
        const QSqlRecord record = q.record();
        QStringList names;
        QVariantList values;
        QStringList lockedNames;
        QVariantList lockedValues;
        for (int i = 0; i < record.count(); ++i) {
            const QString serverName = columnNamed(t.serverColumns, record.fieldName(i));
            if (serverName.isEmpty() || serverName == t.serverKey)
                continue;
            const QVariant value = q.isNull(i) ? QVariant() : q.value(i);
            if (t.locked.contains(serverName)) {
                lockedNames << db::quoteIdentifier(serverName);
                lockedValues << value;
                continue;
            }
            names << db::quoteIdentifier(serverName);
            values << value;
        }
        q = QSqlQuery();

        if (!lockedNames.isEmpty() && !row.inserted && keepsOtherLockedValues(table, key, row.id, lockedNames, lockedValues))
            ++m_lockedKept;

        if (row.inserted) {
            const QVariant newId = nextId(row.table, t);
            if (!newId.isValid())
                return failWith(m_server.error().isSet() ? m_server.error().text : m_local.error().text);
            if (!insert(table, key, newId, names, values))
                return failWith(m_server.error().text);
            if (newId != row.id
                && !m_local.exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?").arg(table, db::quoteIdentifier(t.localKey)),
                                 {newId, row.id}))
                return failWith(m_local.error().text);
            return true;
        }
        if (!names.isEmpty()) {
            QStringList sets;
            for (const QString &n : names)
                sets << n + QStringLiteral(" = ?");
            if (!m_server.exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?").arg(table, sets.join(QStringLiteral(", ")), key),
                               values + QVariantList{row.id}))
                return failWith(m_server.error().text);
            if (m_server.rowsAffected() > 0)
                return true;
        } else {
            const QVariant present = m_server.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(table, key), {row.id});
            if (m_server.error().isSet())
                return failWith(m_server.error().text);
            if (present.toInt() > 0)
                return true;
        }
        // The server lost the row meanwhile: it comes back under its own ID.
        return insert(table, key, row.id, names, values) || failWith(m_server.error().text);
    }

    // The next batch may see other computers' rows: new IDs are asked for again.
    void newBatch()
    {
        for (TableInfo &t : m_tables)
            t.nextId = 0;
    }

    int lockedKept() const { return m_lockedKept; }

private:
    TableInfo &info(const QString &table)
    {
        auto it = m_tables.find(table);
        if (it != m_tables.end())
            return *it;
        TableInfo t;
        t.localColumns = db::tableColumns(m_local, table);
        t.serverColumns = db::tableColumns(m_server, table);
        t.localKey = columnNamed(t.localColumns, QStringLiteral("ID"));
        t.serverKey = columnNamed(t.serverColumns, QStringLiteral("ID"));
        if (!m_locksRead) {
            m_locks = lockedExams(m_server);
            m_locksRead = true;
        }
        for (const ExamLock &lock : m_locks) {
            const QString column = columnNamed(t.serverColumns, lock.column);
            if (lock.table == table && !column.isEmpty())
                t.locked.insert(column);
        }
        return *m_tables.insert(table, t);
    }

    // Above every ID either side has or had (the server's sequence included):
    // no row another computer added, and no local row, can hold it.
    QVariant nextId(const QString &tableName, TableInfo &t)
    {
        if (t.nextId == 0) {
            const QString table = db::quoteIdentifier(tableName);
            const QVariant serverMax = m_server.scalar(
                QStringLiteral("SELECT max(%1) FROM %2").arg(db::quoteIdentifier(t.serverKey), table));
            if (m_server.error().isSet())
                return QVariant();
            const QVariant used = m_server.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {tableName});
            const QVariant localMax = m_local.scalar(
                QStringLiteral("SELECT max(%1) FROM %2").arg(db::quoteIdentifier(t.localKey), table));
            if (m_local.error().isSet())
                return QVariant();
            t.nextId = std::max({serverMax.toLongLong(), used.toLongLong(), localMax.toLongLong()}) + 1;
        }
        return t.nextId++;
    }

    bool insert(const QString &table, const QString &key, const QVariant &id, QStringList names, QVariantList values)
    {
        names.prepend(key);
        values.prepend(id);
        const QStringList marks(names.size(), QStringLiteral("?"));
        return m_server.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                             values);
    }

    // True when the server's row holds other values than the local row in its locked columns.
    bool keepsOtherLockedValues(const QString &table, const QString &key, const QVariant &id, const QStringList &names,
                                const QVariantList &localValues)
    {
        QSqlQuery q = m_server.query(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(names.join(QStringLiteral(", ")), table, key),
                                     {id});
        if (!q.next())
            return false;
        for (int i = 0; i < names.size(); ++i) {
            const QVariant server = q.isNull(i) ? QVariant() : q.value(i);
            if (server.isNull() != localValues[i].isNull() || (!server.isNull() && server.toString() != localValues[i].toString()))
                return true;
        }
        return false;
    }

    db::Connection &m_local;
    db::Connection &m_server;
    QHash<QString, TableInfo> m_tables;
    QList<ExamLock> m_locks;
    bool m_locksRead = false;
    int m_lockedKept = 0;
};

} // namespace

DownloadOutcome DownloadServerDatabase(const QString &programFolder)
{
    const std::optional<QString> installer = readServerInstallerPath(programFolder);
    if (!installer || installer->isEmpty())
        return {false, QStringLiteral("还没有设置服务器：请先在“连接服务器设置”中设置服务器路径，再下载。"), QString()};
    const std::optional<QString> serverPath = ServerDatabasePath(*installer);
    if (!serverPath)
        return {false, QStringLiteral("服务器路径“%1”中没有“%2”。").arg(*installer, kInstallerFolder), QString()};
    db::Connection server(*serverPath);
    if (!server.ok())
        return {false, saveErrorText(server.error()), QString()};
    const QDir folder(programFolder);
    const QString backup = folder.filePath(db::backupFileName(programFolder));
    const QString local = folder.filePath(QStringLiteral("data.mdb"));
    const bool hadLocal = QFileInfo::exists(local);
    db::Error error;
    if (!db::copyDatabaseOver(server, local, error, backup))
        return {false, saveErrorText(error), QString()};
    return {true, QString(), hadLocal ? backup : QString()};
}

int queuedRowCount(db::Connection &local)
{
    const QVariant n = local.scalar(QStringLiteral(R"(SELECT count(*) FROM "上传表")"));
    return local.error().isSet() ? -1 : n.toInt();
}

UploadOutcome uploadQueue(db::Connection &local, db::Connection &server, const UploadProgress &progress, int batchSize)
{
    UploadOutcome out;
    local.stopRecordingChanges();   // renumbered rows are no new changes
    db::Error check;
    if (!db::checkSchoolDatabase(server, check)) {
        out.error = check;
        return out;
    }
    if (!db::isSchoolDatabase(local, check)) {
        out.error = check;
        return out;
    }

    QList<QueuedRow> rows;
    {
        const bool flagged = db::tableColumns(local, QStringLiteral("上传表")).contains(QStringLiteral("新增"), Qt::CaseInsensitive);
        QSqlQuery q = local.query(flagged ? QStringLiteral(R"(SELECT rowid, "表名", "ID", "新增" FROM "上传表" ORDER BY rowid)")
                                          : QStringLiteral(R"(SELECT rowid, "表名", "ID", 0 FROM "上传表" ORDER BY rowid)"));
        if (local.error().isSet()) {
            out.error = local.error();
            return out;
        }
        while (q.next())
            rows.append({q.value(0).toLongLong(), q.value(1).toString(), q.isNull(2) ? QVariant() : q.value(2),
                         q.value(3).toInt() == 1});
        if (!db::finishRead(local, q)) {
            out.error = local.error();
            return out;
        }
    }
    if (rows.isEmpty()) {
        out.ok = true;
        return out;
    }

    Upload upload(local, server);
    if (!upload.addMissingColumns(rows)) {
        out.error = server.error();
        return out;
    }
    const int total = int(rows.size());
    int done = 0;
    for (qsizetype first = 0; first < rows.size(); first += batchSize) {
        const QList<QueuedRow> batch = rows.mid(first, batchSize);
        // The local write lock first: the queue stays as read until the batch is done.
        if (!local.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            out.error = local.error();
            break;
        }
        if (!server.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            out.error = server.error();
            local.exec(QStringLiteral("ROLLBACK"));
            break;
        }
        upload.newBatch();
        QList<qint64> sent;
        QList<UploadFailure> failed;
        bool broken = false;
        for (const QueuedRow &row : batch) {
            QString why;
            // Each row on its own savepoints: a failed row leaves no trace on either side.
            if (!server.exec(QStringLiteral("SAVEPOINT queued_row")) || !local.exec(QStringLiteral("SAVEPOINT queued_row"))) {
                broken = true;
                break;
            }
            if (upload.send(row, &why)
                && local.exec(QStringLiteral(R"(DELETE FROM "上传表" WHERE rowid = ?)"), {row.rowid})) {
                server.exec(QStringLiteral("RELEASE queued_row"));
                local.exec(QStringLiteral("RELEASE queued_row"));
                sent << row.rowid;
                continue;
            }
            if (why.isEmpty())
                why = local.error().text;
            const bool rolledBack = server.exec(QStringLiteral("ROLLBACK TO queued_row"))
                                    && server.exec(QStringLiteral("RELEASE queued_row"))
                                    && local.exec(QStringLiteral("ROLLBACK TO queued_row"))
                                    && local.exec(QStringLiteral("RELEASE queued_row"));
            failed.append({row.table, row.id, why});
            if (!rolledBack) {
                broken = true;
                break;
            }
        }
        if (broken || !server.exec(QStringLiteral("COMMIT"))) {
            out.error = server.error().isSet() ? server.error() : local.error();
            server.exec(QStringLiteral("ROLLBACK"));
            local.exec(QStringLiteral("ROLLBACK"));
            break;
        }
        if (!local.exec(QStringLiteral("COMMIT"))) {
            out.error = local.error();
            out.serverUpdated = true;
            local.exec(QStringLiteral("ROLLBACK"));
            break;
        }
        out.uploaded += int(sent.size());
        out.failed += failed;
        done += int(batch.size());
        if (progress)
            progress(done, total);
    }
    out.lockedKept = upload.lockedKept();
    out.ok = !out.error.isSet() && out.failed.isEmpty();
    if (!out.ok && !out.error.isSet())
        out.error = {db::kErrSql, QStringLiteral("有%1条记录没有上传。").arg(out.failed.size())};
    return out;
}

UploadOutcome UploadLocalChanges(const QString &localPath, const QString &serverPath, const UploadProgress &progress)
{
    UploadOutcome out;
    if (db::isSameFile(localPath, serverPath)) {
        out.error = {db::kErrSql, QStringLiteral("现在使用的就是本机数据库，没有可以上传到的服务器数据库。")};
        return out;
    }
    db::Connection local(localPath);
    if (!local.ok()) {
        out.error = local.error();
        return out;
    }
    db::Connection server(serverPath);
    if (!server.ok()) {
        out.error = server.error();
        return out;
    }
    return uploadQueue(local, server, progress);
}

} // namespace tessaly
