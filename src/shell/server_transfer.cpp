#include "shell/server_transfer.h"

#include "shell/server_location.h"

#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantList>

namespace tessaly {

namespace {

// A queued row: its table and key value.
struct QueuedRow {
    QString table;
    QVariant id;
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

bool uploadRow(db::Connection &local, db::Connection &server, const QueuedRow &row)
{
    if (!uploadTables().contains(row.table))
        return server.fail(db::kErrSql, QStringLiteral("上传表中的表名“%1”不能上传。").arg(row.table));
    const QStringList localColumns = db::tableColumns(local, row.table);
    const QStringList serverColumns = db::tableColumns(server, row.table);
    if (serverColumns.isEmpty())
        return server.fail(db::kErrSql, QStringLiteral("服务器数据库中找不到表“%1”。").arg(row.table));
    const QString localKey = columnNamed(localColumns, QStringLiteral("ID"));
    const QString serverKey = columnNamed(serverColumns, QStringLiteral("ID"));
    const QString missing = QStringLiteral("本机数据库的表“%1”中没有ID为%2的记录。").arg(row.table, row.id.toString());
    if (localKey.isEmpty() || serverKey.isEmpty() || row.id.isNull())
        return server.fail(db::kErrSql, missing);

    QSqlQuery q = local.query(QStringLiteral("SELECT * FROM %1 WHERE %2 = ?")
                                  .arg(db::quoteIdentifier(row.table), db::quoteIdentifier(localKey)),
                              {row.id});
    if (local.error().isSet())
        return server.fail(local.error().number, local.error().text);
    if (!q.next())
        return server.fail(db::kErrSql, missing);
    const QSqlRecord record = q.record();

    // The columns both tables have, by name, the key apart.
    QStringList names;
    QVariantList values;
    for (int i = 0; i < record.count(); ++i) {
        const QString serverName = columnNamed(serverColumns, record.fieldName(i));
        if (serverName.isEmpty() || serverName == serverKey)
            continue;
        names << db::quoteIdentifier(serverName);
        values << (q.isNull(i) ? QVariant() : q.value(i));
    }
    const QString table = db::quoteIdentifier(row.table);
    const QString key = db::quoteIdentifier(serverKey);
    const QVariant present = server.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(table, key), {row.id});
    if (server.error().isSet())
        return false;
    if (present.toInt() > 0) {
        if (names.isEmpty())
            return true;
        QStringList sets;
        for (const QString &n : names)
            sets << n + QStringLiteral(" = ?");
        return server.exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?").arg(table, sets.join(QStringLiteral(", ")), key),
                           values + QVariantList{row.id});
    }
    names.prepend(key);
    values.prepend(row.id);
    const QStringList marks(names.size(), QStringLiteral("?"));
    return server.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                       values);
}

} // namespace

DownloadOutcome DownloadServerDatabase(const QString &programFolder)
{
    const std::optional<QString> installer = readServerInstallerPath(programFolder);
    if (!installer || installer->isEmpty())
        return {false, QStringLiteral("还没有设置服务器：请先在“连接服务器设置”中设置服务器路径，再下载。")};
    const std::optional<QString> serverPath = ServerDatabasePath(*installer);
    if (!serverPath)
        return {false, QStringLiteral("服务器路径“%1”中没有“%2”。").arg(*installer, kInstallerFolder)};
    db::Connection server(*serverPath);
    if (!server.ok())
        return {false, saveErrorText(server.error())};
    db::Error error;
    if (!db::copyDatabaseOver(server, QDir(programFolder).filePath(QStringLiteral("data.mdb")), error))
        return {false, saveErrorText(error)};
    return {true, QString()};
}

const QStringList &uploadTables()
{
    static const QStringList tables{
        QStringLiteral("教导处"), QStringLiteral("小学"), QStringLiteral("初中"), QStringLiteral("高中"),
        QStringLiteral("小学考试结果"), QStringLiteral("初中考试结果"), QStringLiteral("高中考试结果"),
        QStringLiteral("班主任"), QStringLiteral("信息")};
    return tables;
}

int queuedRowCount(db::Connection &local)
{
    const QVariant n = local.scalar(QStringLiteral(R"(SELECT count(*) FROM "上传表")"));
    return local.error().isSet() ? -1 : n.toInt();
}

UploadOutcome uploadQueue(db::Connection &local, db::Connection &server)
{
    UploadOutcome out;
    bool serverCommitted = false;
    // The local write lock keeps the queue as read until it is emptied.
    const bool ok = local.transaction([&] {
        QList<QueuedRow> rows;
        {
            QSqlQuery q = local.query(QStringLiteral(R"(SELECT "表名", "ID" FROM "上传表")"));
            if (local.error().isSet())
                return false;
            while (q.next())
                rows.append({q.value(0).toString(), q.isNull(1) ? QVariant() : q.value(1)});
        }
        if (rows.isEmpty())
            return true;
        serverCommitted = server.transaction([&] {
            for (const QueuedRow &row : rows) {
                if (!uploadRow(local, server, row))
                    return false;
            }
            return true;
        });
        if (!serverCommitted)
            return false;
        out.uploaded = int(rows.size());
        return local.exec(QStringLiteral(R"(DELETE FROM "上传表")"));
    });
    out.ok = ok;
    if (!ok) {
        out.error = serverCommitted || !server.error().isSet() ? local.error() : server.error();
        out.serverUpdated = serverCommitted;
    }
    return out;
}

UploadOutcome UploadLocalChanges(const QString &localPath, const QString &serverPath)
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
    return uploadQueue(local, server);
}

} // namespace tessaly
