#include "shell/server_transfer.h"

#include "school/exam_locks.h"
#include "school/class_code.h"
#include "shell/server_location.h"
#include "db/kept_read.h"
#include "db/typed_read.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlQuery>
#include <QVariantList>

namespace tessaly {

namespace {

// The attached base's schema name, the table that says whose base it is, and
// the server's marks of rows added by uploads.
const QString kBase = QStringLiteral("基准");
const QString kBaseOwner = QStringLiteral("基准来源");
const QString kMarks = QStringLiteral("上传记录");

// A queued row: its place in the queue, table, key value, whether it was
// first inserted locally, and its mark (set before it is first sent).
struct QueuedRow {
    qint64 rowid = 0;
    QString table;
    QVariant id;
    bool inserted = false;
    QString mark;
};

// A row's values by lower-case column name.
using Row = QHash<QString, QVariant>;

// The table's column named like `name` (the engine compares names without case).
QString columnNamed(const QStringList &columns, const QString &name)
{
    for (const QString &c : columns) {
        if (c.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    return QString();
}

bool isNumber(const QVariant &v)
{
    const int t = v.typeId();
    return t == QMetaType::LongLong || t == QMetaType::Int || t == QMetaType::Double;
}

// Two stored values are the same: both null, equal numbers, or equal texts.
bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (isNumber(a) && isNumber(b))
        return a.toDouble() == b.toDouble();
    return a.toString() == b.toString();
}

// Reads rows by key on one connection, each (table, key) through one statement
// kept prepared for the reader's life: an upload reads every queued row this way.
class RowReader {
public:
    explicit RowReader(db::Connection &c) : m_reads(c) {}

    // The row of `from` whose `key` is id; nullopt when there is none. *ok false on a read error.
    std::optional<Row> read(const QString &from, const QString &key, const QVariant &id, bool *ok)
    {
        const QString sql = QStringLiteral("SELECT * FROM %1 WHERE %2 = ?").arg(from, key);
        Names &names = m_names[sql];
        Row r;
        bool found = false;
        *ok = m_reads.first(sql, {id}, &found, [&](int i, QStringView name, const QVariant &value) {
            if (i >= names.names.size()) {
                names.names.resize(i + 1);
                names.lower.resize(i + 1);
            }
            if (name != names.names[i]) {
                names.names[i] = name.toString();
                names.lower[i] = names.names[i].toLower();
            }
            r.insert(names.lower[i], value);
        });
        if (!*ok || !found)
            return std::nullopt;
        return r;
    }

private:
    // A statement's columns' names as last read, and in lower case.
    struct Names {
        QStringList names;
        QStringList lower;
    };
    db::KeptReads m_reads;
    std::unordered_map<QString, Names> m_names;
};

QString valueOf(const Row &r, const char *column)
{
    return r.value(QString::fromUtf8(column)).toString();
}

bool isSectionTable(const QString &table)
{
    return table == school::kTablePrimary || table == school::kTableJunior || table == school::kTableSenior;
}

bool isExamRegistry(const QString &table)
{
    return table.endsWith(QStringLiteral("考试结果"));
}

// The row as a user knows it.
QString rowLabel(const QString &table, const Row &r)
{
    if (isSectionTable(table))
        return QStringLiteral("%1学生%2（学籍号%3）").arg(table, valueOf(r, "姓名"), valueOf(r, "学籍号"));
    if (table == QStringLiteral("教导处"))
        return QStringLiteral("教导处：%1").arg(QStringList{valueOf(r, "类别"), valueOf(r, "名称"), valueOf(r, "对应内容")}
                                                  .filter(QRegularExpression(QStringLiteral("\\S")))
                                                  .join(QLatin1Char(' ')));
    if (isExamRegistry(table))
        return QStringLiteral("考试：%1 %2 %3").arg(valueOf(r, "年级组"), valueOf(r, "班级名"), valueOf(r, "考试名"));
    if (table == QStringLiteral("信息"))
        return QStringLiteral("教务信息：%1").arg(valueOf(r, "发布题目"));
    return QStringLiteral("%1：%2 %3").arg(table, valueOf(r, "类别"), valueOf(r, "内容").left(20));
}

// The columns that make a new row the same as one the server already holds.
QStringList identifyingColumns(const QString &table)
{
    if (isSectionTable(table))
        return {QStringLiteral("学籍号"), QStringLiteral("姓名")};
    if (table == QStringLiteral("教导处"))
        return {QStringLiteral("类别"), QStringLiteral("名称"), QStringLiteral("对应内容")};
    if (isExamRegistry(table))
        return {QStringLiteral("年级组"), QStringLiteral("班级名"), QStringLiteral("考试名")};
    return {};
}

// What one upload knows of a table on each side.
struct TableInfo {
    QStringList localColumns;
    QStringList serverColumns;
    QStringList baseColumns;
    QString localKey;
    QString serverKey;
    QString baseKey;
    QSet<QString> locked;   // server columns of locked exams
    qint64 nextId = 0;      // the next ID for a locally inserted row; 0 until asked
};

// What became of one queue row.
enum class Result { Added, Changed, AlreadyThere, Conflict, Failed };

class Upload {
public:
    Upload(db::Connection &local, db::Connection &server, bool haveBase, bool overwrite)
        : m_local(local), m_server(server), m_localRows(local), m_serverRows(server), m_haveBase(haveBase), m_overwrite(overwrite)
    {
    }

    // Adds the columns the server (and the base) lack for the queued tables, and
    // the server's table of marks; false on failure (see the connections' errors).
    bool prepareTables(const QList<QueuedRow> &rows)
    {
        QSet<QString> tables;
        for (const QueuedRow &row : rows) {
            if (db::queuedTables().contains(row.table))
                tables.insert(row.table);
        }
        const bool serverDone = m_server.transaction([&] {
            if (!m_server.exec(QStringLiteral(R"(CREATE TABLE IF NOT EXISTS "上传记录" ("标记" TEXT PRIMARY KEY, "表名" TEXT, "ID" INTEGER))")))
                return false;
            for (const QString &table : tables) {
                TableInfo &t = info(table);
                for (const QString &column : t.localColumns) {
                    if (!columnNamed(t.serverColumns, column).isEmpty())
                        continue;
                    if (!db::addColumn(m_server, table, column, db::columnType(m_local, table, column)))
                        return false;
                    t.serverColumns << column;
                }
            }
            return true;
        });
        if (!serverDone || !m_haveBase)
            return serverDone;
        return m_local.transaction([&] {
            for (const QString &table : tables) {
                TableInfo &t = info(table);
                for (const QString &column : t.localColumns) {
                    if (!columnNamed(t.baseColumns, column).isEmpty())
                        continue;
                    const QString type = db::columnType(m_local, table, column) == db::ColumnType::Real ? QStringLiteral("REAL")
                                                                                                          : QStringLiteral("TEXT");
                    if (!m_local.exec(QStringLiteral("ALTER TABLE %1.%2 ADD COLUMN %3 %4")
                                          .arg(db::quoteIdentifier(kBase), db::quoteIdentifier(table),
                                               db::quoteIdentifier(column), type)))
                        return false;
                    t.baseColumns << column;
                }
            }
            return true;
        });
    }

    // Counts what differs from the server for the queued rows, writing nothing.
    bool countDifferences(const QList<QueuedRow> &rows, int *differingRows, int *differingFields)
    {
        for (const QueuedRow &row : rows) {
            if (!db::queuedTables().contains(row.table) || row.id.isNull())
                continue;
            TableInfo &t = info(row.table);
            if (t.localKey.isEmpty() || t.serverKey.isEmpty())
                continue;
            bool ok = false;
            const std::optional<Row> mine = m_localRows.read(db::quoteIdentifier(row.table), db::quoteIdentifier(t.localKey), row.id, &ok);
            if (!ok)
                return false;
            const std::optional<Row> theirs =
                row.inserted ? std::nullopt : m_serverRows.read(db::quoteIdentifier(row.table), db::quoteIdentifier(t.serverKey), row.id, &ok);
            if (!ok)
                return false;
            int fields = 0;
            if (mine) {
                for (const QString &column : t.localColumns) {
                    const QString c = column.toLower();
                    if (column != t.localKey && !sameValue(mine->value(c), theirs ? theirs->value(c) : QVariant()))
                        ++fields;
                }
            }
            if (fields > 0 || (!mine && theirs))
                ++*differingRows;
            *differingFields += fields;
        }
        return true;
    }

    // Writes one queue row into the server (inside the callers' transactions).
    Result send(const QueuedRow &row, QString *why, QList<UploadConflict> *conflicts, bool *keepQueued)
    {
        const auto failWith = [why](const QString &text) {
            *why = text;
            return Result::Failed;
        };
        *keepQueued = false;
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
        const QString localKey = db::quoteIdentifier(t.localKey);
        const QString localError = QStringLiteral("本机数据库：");

        bool ok = false;
        std::optional<Row> mine = m_localRows.read(table, localKey, row.id, &ok);
        if (!ok)
            return failWith(m_local.error().text);
        const qint64 localId = row.id.toLongLong();
        qint64 serverId = localId;
        std::optional<Row> base;
        if (m_haveBase && !row.inserted) {
            base = m_localRows.read(baseTable(row.table), db::quoteIdentifier(t.baseKey), row.id, &ok);
            if (!ok)
                return failWith(m_local.error().text);
        }

        if (row.inserted) {
            if (!mine)
                return Result::AlreadyThere;   // added and deleted again here: the server never had it
            // Sent before (an interrupted upload): its mark names the server's row.
            const QVariant marked = row.mark.isEmpty() ? QVariant()
                                                       : m_server.scalar(QStringLiteral(R"(SELECT "ID" FROM "上传记录" WHERE "标记" = ?)"), {row.mark});
            if (m_server.error().isSet())
                return failWith(m_server.error().text);
            std::optional<qint64> same = marked.isValid() ? std::optional<qint64>(marked.toLongLong()) : sameRowOnServer(row.table, t, *mine, localId, &ok);
            if (!ok)
                return failWith(m_server.error().text);
            if (!same) {
                if (isSectionTable(row.table)) {
                    const QString refused = numberTakenOnServer(row.table, *mine, std::nullopt, &ok);
                    if (!ok)
                        return failWith(m_server.error().text);
                    if (!refused.isEmpty())
                        return failWith(refused);
                }
                const QVariant newId = nextId(row.table, t);
                if (!newId.isValid())
                    return failWith(m_server.error().isSet() ? m_server.error().text : m_local.error().text);
                if (!insert(row.table, t, newId, *mine))
                    return failWith(m_server.error().text);
                if (!row.mark.isEmpty()
                    && !m_server.exec(QStringLiteral(R"(INSERT INTO "上传记录" ("标记", "表名", "ID") VALUES (?, ?, ?))"),
                                      {row.mark, row.table, newId}))
                    return failWith(m_server.error().text);
                if (!renumber(row.table, t, localId, newId.toLongLong()))
                    return failWith(m_local.error().text);
                Row sent = *mine;
                if (!writeBase(row.table, t, newId.toLongLong(), sent))
                    return failWith(m_local.error().text);
                return Result::Added;
            }
            serverId = *same;
            if (serverId != localId) {
                const QVariant taken = m_local.scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(table, localKey), {serverId});
                if (m_local.error().isSet())
                    return failWith(m_local.error().text);
                if (taken.toInt() > 0)
                    return failWith(QStringLiteral("服务器上已有这条记录(ID为%1)，本机也有ID为%1的另一条记录。").arg(serverId));
                if (!renumber(row.table, t, localId, serverId))
                    return failWith(m_local.error().text);
            }
            m_renumbered = serverId;
        }

        std::optional<Row> theirs = m_serverRows.read(table, key, serverId, &ok);
        if (!ok)
            return failWith(m_server.error().text);

        if (!mine) {
            // Deleted here.
            if (!theirs)
                return clearBase(row.table, t, serverId) ? Result::AlreadyThere : failWith(m_local.error().text);
            bool untouched = m_overwrite;
            if (base) {
                untouched = true;
                for (const QString &column : t.baseColumns) {
                    const QString c = column.toLower();
                    if (column.compare(t.baseKey, Qt::CaseInsensitive) != 0 && theirs->contains(c) && !sameValue(theirs->value(c), base->value(c)))
                        untouched = false;
                }
            }
            if (!untouched) {
                conflicts->append({UploadConflict::Kind::DeletedHere, row.table, serverId, rowLabel(row.table, *theirs), QString(), QVariant(), QVariant()});
                *keepQueued = true;
                return Result::Conflict;
            }
            if (!m_server.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, key), {serverId}))
                return failWith(m_server.error().text);
            return clearBase(row.table, t, serverId) ? Result::Changed : failWith(m_local.error().text);
        }

        if (!theirs) {
            if (base && !m_overwrite) {
                // Deleted on the server meanwhile: not brought back without asking.
                conflicts->append({UploadConflict::Kind::DeletedOnServer, row.table, serverId, rowLabel(row.table, *mine), QString(), QVariant(), QVariant()});
                *keepQueued = true;
                return Result::Conflict;
            }
            if (isSectionTable(row.table)) {
                const QString refused = numberTakenOnServer(row.table, *mine, serverId, &ok);
                if (!ok)
                    return failWith(m_server.error().text);
                if (!refused.isEmpty())
                    return failWith(refused);
            }
            if (!insert(row.table, t, serverId, *mine))
                return failWith(m_server.error().text);
            return writeBase(row.table, t, serverId, *mine) ? Result::Added : failWith(m_local.error().text);
        }

        // Field by field: what changed here since the base.
        QStringList names;
        QVariantList values;
        Row newBase;
        bool lockedKept = false;
        bool numberWritten = false;
        int conflictsBefore = int(conflicts->size());
        for (const QString &column : t.localColumns) {
            if (column == t.localKey)
                continue;
            const QString c = column.toLower();
            const QString serverName = columnNamed(t.serverColumns, column);
            if (serverName.isEmpty())
                continue;
            const QVariant a = mine->value(c);
            const QVariant s = theirs->value(c);
            const QVariant b = m_overwrite && !base ? s : (base ? base->value(c) : QVariant());
            if (sameValue(a, b) || sameValue(a, s)) {
                newBase.insert(c, a);
                continue;
            }
            if (t.locked.contains(serverName)) {
                lockedKept = true;
                newBase.insert(c, a);
                continue;
            }
            if (sameValue(s, b)) {
                names << db::quoteIdentifier(serverName);
                values << a;
                newBase.insert(c, a);
                if (c == QStringLiteral("学籍号"))
                    numberWritten = true;
                continue;
            }
            conflicts->append({UploadConflict::Kind::Field, row.table, serverId, rowLabel(row.table, *mine), column, s, a});
            newBase.insert(c, b);
        }
        if (lockedKept)
            ++m_lockedKept;
        if (numberWritten && isSectionTable(row.table)) {
            const QString refused = numberTakenOnServer(row.table, *mine, serverId, &ok);
            if (!ok)
                return failWith(m_server.error().text);
            if (!refused.isEmpty()) {
                conflicts->resize(conflictsBefore);
                return failWith(refused);
            }
        }
        if (!names.isEmpty()) {
            QStringList sets;
            for (const QString &n : names)
                sets << n + QStringLiteral(" = ?");
            if (!m_server.exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?").arg(table, sets.join(QStringLiteral(", ")), key),
                               values + QVariantList{serverId}))
                return failWith(m_server.error().text);
        }
        if (!writeBase(row.table, t, serverId, newBase, base))
            return failWith(localError + m_local.error().text);
        m_wrote = !names.isEmpty();
        if (int(conflicts->size()) > conflictsBefore) {
            *keepQueued = true;
            return Result::Conflict;
        }
        return names.isEmpty() ? Result::AlreadyThere : Result::Changed;
    }

    // True when the last send() that listed conflicts wrote other fields of its row.
    bool takeWrote()
    {
        return std::exchange(m_wrote, false);
    }

    // The ID a row kept queued now has (after send() matched it to a server row); 0 when unchanged.
    qint64 takeRenumbered()
    {
        return std::exchange(m_renumbered, 0);
    }

    // The next batch may see other computers' rows: new IDs are asked for again.
    void newBatch()
    {
        for (TableInfo &t : m_tables)
            t.nextId = 0;
    }

    int lockedKept() const { return m_lockedKept; }

    TableInfo &info(const QString &table)
    {
        auto it = m_tables.find(table);
        if (it != m_tables.end())
            return *it;
        TableInfo t;
        t.localColumns = db::tableColumns(m_local, table);
        t.serverColumns = db::tableColumns(m_server, table);
        if (m_haveBase)
            t.baseColumns = db::tableColumns(m_local, kBase, table);
        t.localKey = columnNamed(t.localColumns, QStringLiteral("ID"));
        t.serverKey = columnNamed(t.serverColumns, QStringLiteral("ID"));
        t.baseKey = columnNamed(t.baseColumns, QStringLiteral("ID"));
        if (!m_locksRead) {
            m_locks = school::lockedExams(m_server);
            m_locksRead = true;
        }
        for (const school::ExamLock &lock : m_locks) {
            const QString column = columnNamed(t.serverColumns, lock.column);
            if (lock.table == table && !column.isEmpty())
                t.locked.insert(column);
        }
        return *m_tables.insert(table, t);
    }

private:
    static QString baseTable(const QString &table)
    {
        return db::quoteIdentifier(kBase) + QLatin1Char('.') + db::quoteIdentifier(table);
    }

    // The server's row that a new local row already is: the same ID with the
    // same values, or the same identifying columns.
    std::optional<qint64> sameRowOnServer(const QString &tableName, TableInfo &t, const Row &mine, qint64 localId, bool *ok)
    {
        const QString table = db::quoteIdentifier(tableName);
        const std::optional<Row> sameId = m_serverRows.read(table, db::quoteIdentifier(t.serverKey), localId, ok);
        if (!*ok)
            return std::nullopt;
        if (sameId) {
            bool equal = true;
            for (const QString &column : t.localColumns) {
                const QString c = column.toLower();
                if (column != t.localKey && !sameValue(mine.value(c), sameId->value(c)))
                    equal = false;
            }
            if (equal)
                return localId;
        }
        const QStringList columns = identifyingColumns(tableName);
        if (columns.isEmpty())
            return std::nullopt;
        if (isSectionTable(tableName) && valueOf(mine, "学籍号").trimmed().isEmpty())
            return std::nullopt;
        QStringList where;
        QVariantList values;
        for (const QString &c : columns) {
            where << db::quoteIdentifier(c) + QStringLiteral(" IS ?");
            values << mine.value(c);
        }
        const QVariant id = m_server.scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %1 LIMIT 1")
                                                .arg(db::quoteIdentifier(t.serverKey), table, where.join(QStringLiteral(" AND "))),
                                            values);
        *ok = !m_server.error().isSet();
        if (!*ok || !id.isValid() || id.isNull())
            return std::nullopt;
        return id.toLongLong();
    }

    // The refusal when the server holds the row's 学籍号 for another student
    // (another ID than except); empty when it does not.
    QString numberTakenOnServer(const QString &tableName, const Row &mine, std::optional<qint64> except, bool *ok)
    {
        const QString number = valueOf(mine, "学籍号");
        *ok = true;
        if (number.trimmed().isEmpty())
            return QString();
        QSqlQuery q = m_server.query(QStringLiteral(R"(SELECT "姓名" FROM %1 WHERE "学籍号" = ? AND "ID" IS NOT ?)").arg(db::quoteIdentifier(tableName)),
                                     {number, except ? QVariant(*except) : QVariant()});
        if (m_server.error().isSet()) {
            *ok = false;
            return QString();
        }
        if (!q.next()) {
            *ok = db::finishRead(m_server, q);
            return QString();
        }
        return QStringLiteral("学籍号%1在服务器上已经是学生“%2”的学籍号，本机学生“%3”没有上传，请班主任改正学籍号后再上传。")
            .arg(number, q.value(0).toString(), valueOf(mine, "姓名"));
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

    bool insert(const QString &tableName, const TableInfo &t, const QVariant &id, const Row &mine)
    {
        QStringList names{db::quoteIdentifier(t.serverKey)};
        QVariantList values{id};
        for (const QString &column : t.localColumns) {
            const QString serverName = columnNamed(t.serverColumns, column);
            if (column == t.localKey || serverName.isEmpty() || t.locked.contains(serverName))
                continue;
            names << db::quoteIdentifier(serverName);
            values << mine.value(column.toLower());
        }
        const QStringList marks(names.size(), QStringLiteral("?"));
        return m_server.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(db::quoteIdentifier(tableName), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                             values);
    }

    // The local row (and its base row) take the server's ID.
    bool renumber(const QString &tableName, const TableInfo &t, qint64 from, qint64 to)
    {
        if (from == to)
            return true;
        if (!m_local.exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?").arg(db::quoteIdentifier(tableName), db::quoteIdentifier(t.localKey)),
                          {to, from}))
            return false;
        return clearBase(tableName, t, from);
    }

    // The base row becomes `values` (the columns the base has); where it was
    // `old`, only the fields that differ are written.
    bool writeBase(const QString &tableName, const TableInfo &t, qint64 id, const Row &values,
                   const std::optional<Row> &old = std::nullopt)
    {
        if (!m_haveBase || t.baseKey.isEmpty())
            return true;
        if (old) {
            QStringList sets;
            QVariantList params;
            for (const QString &column : t.baseColumns) {
                const QString c = column.toLower();
                if (column == t.baseKey || !values.contains(c) || sameValue(values.value(c), old->value(c)))
                    continue;
                sets << db::quoteIdentifier(column) + QStringLiteral(" = ?");
                params << values.value(c);
            }
            if (sets.isEmpty())
                return true;
            return m_local.exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                    .arg(baseTable(tableName), sets.join(QStringLiteral(", ")), db::quoteIdentifier(t.baseKey)),
                                params << id);
        }
        QStringList names{db::quoteIdentifier(t.baseKey)};
        QVariantList params{id};
        for (const QString &column : t.baseColumns) {
            const QString c = column.toLower();
            if (column == t.baseKey || !values.contains(c))
                continue;
            names << db::quoteIdentifier(column);
            params << values.value(c);
        }
        const QStringList marks(names.size(), QStringLiteral("?"));
        return m_local.exec(QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)")
                                .arg(baseTable(tableName), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                            params);
    }

    bool clearBase(const QString &tableName, const TableInfo &t, qint64 id)
    {
        if (!m_haveBase || t.baseKey.isEmpty())
            return true;
        return m_local.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(baseTable(tableName), db::quoteIdentifier(t.baseKey)), {id});
    }

    db::Connection &m_local;
    db::Connection &m_server;
    RowReader m_localRows;
    RowReader m_serverRows;
    bool m_haveBase = false;
    bool m_overwrite = false;
    QHash<QString, TableInfo> m_tables;
    QList<school::ExamLock> m_locks;
    bool m_locksRead = false;
    int m_lockedKept = 0;
    qint64 m_renumbered = 0;
    bool m_wrote = false;
};

} // namespace

QString uploadBasePath(const QString &localPath)
{
    return db::resolvePath(localPath) + QStringLiteral(".base");
}

bool saveUploadBase(const QString &localPath, db::Error &error)
{
    const QString base = uploadBasePath(localPath);
    const QString copy = base + QStringLiteral(".new");
    QFile::remove(copy);
    {
        db::Connection local(localPath);
        if (!local.ok()) {
            error = local.error();
            return false;
        }
        if (!db::backupDatabase(local, copy, error))
            return false;
    }
    bool written = false;
    {
        db::Connection c(copy);
        written = c.ok() && c.transaction([&] {
            return c.exec(QStringLiteral(R"(CREATE TABLE "基准来源" ("文件" TEXT))"))
                   && c.exec(QStringLiteral(R"(INSERT INTO "基准来源" ("文件") VALUES (?))"), {db::fileIdentityKey(localPath)});
        });
        if (!written)
            error = c.error();
    }
    if (!written || !db::replaceFile(copy, base, error)) {
        QFile::remove(copy);
        return false;
    }
    return true;
}

void removeDownloadLeftovers(const QString &programFolder)
{
    const QString local = QDir(programFolder).filePath(QStringLiteral("data.mdb"));
    QFile::remove(db::copyInProgressPath(local));
    QFile::remove(uploadBasePath(local) + QStringLiteral(".new"));
}

namespace {
// Removes the oldest download backups beyond kDownloadBackupsKept.
void pruneDownloadBackups(const QString &programFolder)
{
    const QRegularExpression dated(QStringLiteral("^%1\\d{14}(-\\d+)?\\.mdb$").arg(kDownloadBackupPrefix));
    QStringList backups;
    for (const QString &name : QDir(programFolder).entryList(QDir::Files, QDir::Name)) {
        if (dated.match(name).hasMatch())
            backups << name;
    }
    // The names sort by their date and time; a "-2" sorts after its first.
    std::sort(backups.begin(), backups.end(), [](const QString &a, const QString &b) {
        const auto key = [](const QString &n) {
            QString k = n.chopped(4);
            return k.contains(QLatin1Char('-')) ? k : k + QStringLiteral("-1");
        };
        return key(a) < key(b);
    });
    for (qsizetype i = 0; i + kDownloadBackupsKept < backups.size(); ++i)
        QFile::remove(QDir(programFolder).filePath(backups[i]));
}

const QString kServerBroken = QStringLiteral("服务器上的数据库已损坏或不是本程序的数据库……请与管理员联系。");
} // namespace

DownloadOutcome DownloadServerDatabase(const QString &programFolder)
{
    removeDownloadLeftovers(programFolder);
    const std::optional<QString> installer = readServerInstallerPath(programFolder);
    if (!installer || installer->isEmpty())
        return {false, QStringLiteral("还没有设置服务器：请先在“连接服务器设置”中设置服务器路径，再下载。"), QString()};
    const std::optional<QString> serverPath = ServerDatabasePath(*installer);
    if (!serverPath)
        return {false, QStringLiteral("服务器路径“%1”中没有“%2”。").arg(*installer, kInstallerFolder), QString()};
    db::Connection server(*serverPath);
    if (!server.ok()) {
        if (server.error().number == db::kErrNotADatabase)
            return {false, kServerBroken, QString()};
        return {false, saveErrorText(server.error()), QString()};
    }
    db::Error check;
    if (!db::checkSchoolDatabase(server, check)) {
        if (check.number == db::kErrNotSchoolDatabase || check.number == db::kErrNotADatabase)
            return {false, kServerBroken, QString()};
        return {false, saveErrorText(check), QString()};
    }
    const QDir folder(programFolder);
    const QString backup = folder.filePath(db::backupFileName(programFolder, kDownloadBackupPrefix));
    const QString local = folder.filePath(QStringLiteral("data.mdb"));
    const bool hadLocal = QFileInfo::exists(local);
    db::Error error;
    if (!db::copyDatabaseOver(server, local, error, backup))
        return {false, saveErrorText(error), QString()};
    // Without a base the next upload asks before writing over the server's values.
    db::Error baseError;
    if (!saveUploadBase(local, baseError))
        QFile::remove(uploadBasePath(local));
    pruneDownloadBackups(programFolder);
    return {true, QString(), hadLocal ? backup : QString()};
}

int queuedRowCount(db::Connection &local)
{
    const QVariant n = local.scalar(QStringLiteral(R"(SELECT count(*) FROM "上传表")"));
    return local.error().isSet() ? -1 : n.toInt();
}

namespace {
// What the file looks like from outside: which file it is, its size and last
// write, and whether a journal lies beside it (a write under way or unfinished).
QString fileState(const QString &path)
{
    const QString file = db::resolvePath(path);
    const QFileInfo info(file);
    const QString identity = db::fileIdentityKey(path);
    if (identity.isEmpty())
        return QString();
    return QStringLiteral("%1/%2/%3/%4")
        .arg(identity)
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(QFileInfo::exists(file + QStringLiteral("-journal")) || QFileInfo::exists(file + QStringLiteral("-wal")));
}

// Files keep their last write to a few milliseconds (some to two seconds): a file
// written this recently may be written again without its time changing.
constexpr qint64 kSettledMs = 3000;
} // namespace

int pendingUploadCount(const QString &localPath)
{
    // Opening a connection reads the whole schema, so the count of a file unchanged
    // since it was last counted is kept.
    struct Counted {
        QString state;
        int count = -1;
    };
    static QHash<QString, Counted> counted;
    const QString state = fileState(localPath);
    if (!state.isEmpty()) {
        const auto it = counted.constFind(localPath);
        if (it != counted.cend() && it->state == state)
            return it->count;
    }
    // Read only: a count needs no queue triggers of its own.
    db::Connection local(localPath, db::Connection::Access::ReadOnly);
    const int count = local.ok() ? queuedRowCount(local) : -1;
    const QDateTime written = QFileInfo(db::resolvePath(localPath)).lastModified();
    if (count >= 0 && !state.isEmpty() && state == fileState(localPath)
        && written.msecsTo(QDateTime::currentDateTime()) >= kSettledMs)
        counted.insert(localPath, {state, count});
    else
        counted.remove(localPath);
    return count;
}

namespace {
// Attaches the base of the local database; false when there is none or it
// belongs to another file (a restored or replaced data.mdb).
bool attachBase(db::Connection &local)
{
    const QString path = uploadBasePath(local.path());
    if (!QFileInfo::exists(path))
        return false;
    if (!local.exec(QStringLiteral("ATTACH DATABASE ? AS %1").arg(db::quoteIdentifier(kBase)), {path}))
        return false;
    const QVariant owner = local.scalar(QStringLiteral(R"(SELECT "文件" FROM "基准"."基准来源")"));
    if (!local.error().isSet() && owner.toString() == db::fileIdentityKey(local.path()))
        return true;
    local.exec(QStringLiteral("DETACH DATABASE %1").arg(db::quoteIdentifier(kBase)));
    return false;
}
} // namespace

UploadOutcome uploadQueue(db::Connection &local, db::Connection &server, const UploadProgress &progress,
                          const UploadOptions &options)
{
    UploadOutcome out;
    local.stopRecordingChanges();   // renumbered rows are no new changes
    db::Error check;
    if (!db::checkSchoolDatabase(server, check)) {
        out.error = check.number == db::kErrNotSchoolDatabase || check.number == db::kErrNotADatabase
                        ? db::Error{db::kErrNotADatabase, kServerBroken}
                        : check;
        return out;
    }
    if (!db::isSchoolDatabase(local, check)) {
        out.error = check;
        return out;
    }

    // Every row added here gets its mark before it is first sent: a second run
    // finds it on the server.
    const QStringList queueColumns = db::tableColumns(local, QStringLiteral("上传表"));
    const bool flagged = queueColumns.contains(QStringLiteral("新增"), Qt::CaseInsensitive);
    if (!local.transaction([&] {
            if (!queueColumns.contains(QStringLiteral("标记"), Qt::CaseInsensitive)
                && !local.exec(QStringLiteral(R"(ALTER TABLE "上传表" ADD COLUMN "标记" TEXT)")))
                return false;
            return !flagged
                   || local.exec(QStringLiteral(R"(UPDATE "上传表" SET "标记" = lower(hex(randomblob(16))) WHERE "新增" = 1 AND "标记" IS NULL)"));
        })) {
        out.error = local.error();
        return out;
    }

    QList<QueuedRow> rows;
    {
        QSqlQuery q = local.query(flagged ? QStringLiteral(R"(SELECT rowid, "表名", "ID", "新增", "标记" FROM "上传表" ORDER BY rowid)")
                                          : QStringLiteral(R"(SELECT rowid, "表名", "ID", 0, "标记" FROM "上传表" ORDER BY rowid)"));
        if (local.error().isSet()) {
            out.error = local.error();
            return out;
        }
        while (q.next())
            rows.append({q.value(0).toLongLong(), q.value(1).toString(), q.isNull(2) ? QVariant() : q.value(2),
                         q.value(3).toInt() == 1, q.value(4).toString()});
        if (!db::finishRead(local, q)) {
            out.error = local.error();
            return out;
        }
    }
    if (rows.isEmpty()) {
        out.ok = true;
        return out;
    }

    // Each row's savepoints journal into memory in small pieces: with the
    // engine's default (64 KiB pieces until it spills to a file) every release
    // freed a large block, and the allocator handed it back to the system row
    // by row. The setting drops a connection's temporary objects; neither holds
    // any (the local one stopped recording above, the server never records).
    for (db::Connection *c : {&local, &server}) {
        if (!c->exec(QStringLiteral("PRAGMA temp_store = MEMORY"))) {
            out.error = c->error();
            return out;
        }
    }
    const bool haveBase = attachBase(local);
    const auto detach = qScopeGuard([&] {
        if (haveBase)
            local.exec(QStringLiteral("DETACH DATABASE %1").arg(db::quoteIdentifier(kBase)));
    });
    Upload upload(local, server, haveBase, !haveBase && options.overwriteWithoutBase);
    if (!haveBase && !options.overwriteWithoutBase) {
        out.needsBase = true;
        if (!upload.countDifferences(rows, &out.differingRows, &out.differingFields))
            out.error = server.error().isSet() ? server.error() : local.error();
        return out;
    }
    if (!upload.prepareTables(rows)) {
        out.error = server.error().isSet() ? server.error() : local.error();
        return out;
    }
    const int total = int(rows.size());
    int done = 0;
    for (qsizetype first = 0; first < rows.size(); first += options.batchSize) {
        const QList<QueuedRow> batch = rows.mid(first, options.batchSize);
        // The local write lock first, exclusive: once the server has committed
        // the local commit waits on no reader.
        if (!local.exec(QStringLiteral("BEGIN EXCLUSIVE"))) {
            out.error = local.error();
            break;
        }
        if (!server.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            out.error = server.error();
            local.exec(QStringLiteral("ROLLBACK"));
            break;
        }
        upload.newBatch();
        UploadOutcome counts;
        bool broken = false;
        for (const QueuedRow &row : batch) {
            QString why;
            // Each row on its own savepoints: a failed row leaves no trace on either side.
            if (!server.exec(QStringLiteral("SAVEPOINT queued_row")) || !local.exec(QStringLiteral("SAVEPOINT queued_row"))) {
                broken = true;
                break;
            }
            QList<UploadConflict> conflicts;
            bool keep = false;
            const Result result = upload.send(row, &why, &conflicts, &keep);
            const qint64 renumbered = upload.takeRenumbered();
            const bool wrote = upload.takeWrote();
            bool noted = result != Result::Failed;
            if (noted && keep && renumbered != 0)
                noted = local.exec(QStringLiteral(R"(UPDATE "上传表" SET "ID" = ?, "新增" = 0 WHERE rowid = ?)"), {renumbered, row.rowid});
            else if (noted && !keep)
                noted = local.exec(QStringLiteral(R"(DELETE FROM "上传表" WHERE rowid = ?)"), {row.rowid});
            if (noted) {
                server.exec(QStringLiteral("RELEASE queued_row"));
                local.exec(QStringLiteral("RELEASE queued_row"));
                switch (result) {
                case Result::Added: ++counts.added; break;
                case Result::Changed: ++counts.changed; break;
                case Result::AlreadyThere: ++counts.alreadyThere; break;
                case Result::Conflict: counts.changed += wrote ? 1 : 0; break;
                default: break;
                }
                counts.conflicts += conflicts;
                if (!keep)
                    ++counts.uploaded;
                continue;
            }
            if (why.isEmpty())
                why = local.error().text;
            const bool rolledBack = server.exec(QStringLiteral("ROLLBACK TO queued_row"))
                                    && server.exec(QStringLiteral("RELEASE queued_row"))
                                    && local.exec(QStringLiteral("ROLLBACK TO queued_row"))
                                    && local.exec(QStringLiteral("RELEASE queued_row"));
            counts.failed.append({row.table, row.id, why});
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
        out.uploaded += counts.uploaded;
        out.added += counts.added;
        out.changed += counts.changed;
        out.alreadyThere += counts.alreadyThere;
        out.conflicts += counts.conflicts;
        out.failed += counts.failed;
        done += int(batch.size());
        if (progress)
            progress(done, total);
    }
    out.lockedKept = upload.lockedKept();
    out.ok = !out.error.isSet() && out.failed.isEmpty();
    if (!out.ok && !out.error.isSet())
        out.error = {db::kErrSql, QStringLiteral("有%1条记录没有上传。").arg(out.failed.size())};
    // The first upload without a base leaves one: the local database as it now is.
    if (!haveBase && out.ok) {
        db::Error baseError;
        saveUploadBase(local.path(), baseError);
    }
    return out;
}

UploadOutcome UploadLocalChanges(const QString &localPath, const QString &serverPath, const UploadProgress &progress,
                                 const UploadOptions &options)
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
        out.error = server.error().number == db::kErrNotADatabase ? db::Error{db::kErrNotADatabase, kServerBroken}
                                                                  : server.error();
        return out;
    }
    return uploadQueue(local, server, progress, options);
}

UploadOutcome decideConflicts(const QString &localPath, const QString &serverPath, const QList<ConflictDecision> &decisions,
                              const UploadProgress &progress)
{
    UploadOutcome out;
    {
        db::Connection local(localPath);
        db::Connection server(serverPath);
        if (!local.ok() || !server.ok()) {
            out.error = local.ok() ? server.error() : local.error();
            return out;
        }
        local.stopRecordingChanges();   // taking the server's values is no change to upload
        if (!attachBase(local)) {
            out.error = {db::kErrSql, QStringLiteral("本机没有上次下载或上传时的数据，不能处理冲突。")};
            return out;
        }
        Upload upload(local, server, true, false);
        RowReader serverRows(server);
        const bool ok = local.transaction([&] {
            for (const ConflictDecision &d : decisions) {
                const UploadConflict &c = d.conflict;
                if (!db::queuedTables().contains(c.table))
                    continue;
                TableInfo &t = upload.info(c.table);
                const QString table = db::quoteIdentifier(c.table);
                const QString base = db::quoteIdentifier(kBase) + QLatin1Char('.') + table;
                bool read = false;
                const std::optional<Row> theirs =
                    serverRows.read(table, db::quoteIdentifier(t.serverKey), c.id, &read);
                if (!read)
                    return local.fail(server.error().number, server.error().text);
                // The base takes the server's row as it is now: a change kept here
                // is then written by the next upload, one given up is taken over.
                const auto baseFromServer = [&](const QStringList &columns) {
                    if (!theirs)
                        return local.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(base, db::quoteIdentifier(t.baseKey)), {c.id});
                    QStringList names{db::quoteIdentifier(t.baseKey)};
                    QVariantList values{c.id};
                    QStringList sets;
                    for (const QString &column : columns) {
                        const QString baseName = columnNamed(t.baseColumns, column);
                        if (baseName.isEmpty() || baseName == t.baseKey)
                            continue;
                        names << db::quoteIdentifier(baseName);
                        values << theirs->value(column.toLower());
                        sets << db::quoteIdentifier(baseName) + QStringLiteral(" = excluded.") + db::quoteIdentifier(baseName);
                    }
                    const QStringList marks(names.size(), QStringLiteral("?"));
                    return local.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT(%4) DO UPDATE SET %5")
                                          .arg(base, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")),
                                               db::quoteIdentifier(t.baseKey), sets.join(QStringLiteral(", "))),
                                      values);
                };
                switch (c.kind) {
                case UploadConflict::Kind::Field: {
                    if (!baseFromServer({c.field}))
                        return false;
                    if (d.keepServer && theirs
                        && !local.exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                                           .arg(table, db::quoteIdentifier(c.field), db::quoteIdentifier(t.localKey)),
                                       {theirs->value(c.field.toLower()), c.id}))
                        return false;
                    break;
                }
                case UploadConflict::Kind::DeletedHere: {
                    if (!baseFromServer(t.serverColumns))
                        return false;
                    if (d.keepServer && theirs) {
                        QStringList names;
                        QVariantList values;
                        for (const QString &column : t.localColumns) {
                            names << db::quoteIdentifier(column);
                            values << (column == t.localKey ? QVariant(c.id) : theirs->value(column.toLower()));
                        }
                        const QStringList marks(names.size(), QStringLiteral("?"));
                        if (!local.exec(QStringLiteral("INSERT OR REPLACE INTO %1 (%2) VALUES (%3)")
                                            .arg(table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))),
                                        values))
                            return false;
                    }
                    break;
                }
                case UploadConflict::Kind::DeletedOnServer:
                    if (!local.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(base, db::quoteIdentifier(t.baseKey)), {c.id}))
                        return false;
                    if (d.keepServer
                        && !local.exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, db::quoteIdentifier(t.localKey)), {c.id}))
                        return false;
                    break;
                }
            }
            return true;
        });
        local.exec(QStringLiteral("DETACH DATABASE %1").arg(db::quoteIdentifier(kBase)));
        if (!ok) {
            out.error = local.error();
            return out;
        }
    }
    return UploadLocalChanges(localPath, serverPath, progress);
}

} // namespace tessaly
