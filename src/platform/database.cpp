#include "platform/database.h"

#include "platform/share_paths.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>

namespace tessaly::db {

namespace {
QString newConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("tessaly-%1").arg(counter.fetchAndAddRelaxed(1));
}
} // namespace

QString resolvePath(const QString &path)
{
    return mapSharePath(path);
}

Error translate(const QSqlError &e)
{
    const QString text = e.text().trimmed();
    const QString lower = text.toLower();
    if (lower.contains(QLatin1String("locked")) || lower.contains(QLatin1String("busy")))
        return {kErrLocked, text};
    if (lower.contains(QLatin1String("not a database")) || lower.contains(QLatin1String("malformed")))
        return {kErrNotADatabase, text};
    if (lower.contains(QLatin1String("unable to open")))
        return {kErrPathNotFound, text};
    return {kErrSql, text.isEmpty() ? QStringLiteral("数据库操作失败") : text};
}

Connection::Connection(const QString &path)
{
    open(path);
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
        other.m_db = QSqlDatabase();
        other.m_name.clear();
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

bool Connection::open(const QString &path)
{
    close();
    m_error = {};
    m_path = path;
    const QString local = resolvePath(path);
    QFileInfo info(local);
    if (path.trimmed().isEmpty() || !info.exists() || !info.isFile()) {
        setError(kErrPathNotFound, QStringLiteral("“%1”不是一个有效的路径。").arg(path));
        return false;
    }
    m_name = newConnectionName();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(local);
    // Never create a file that is not there; wait for a busy writer on a share.
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI=0;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!m_db.open()) {
        setError(m_db.lastError());
        close();
        return false;
    }
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
    return true;
}

void Connection::close()
{
    if (m_name.isEmpty())
        return;
    const QString name = m_name;
    m_db.close();
    m_db = QSqlDatabase();
    m_name.clear();
    QSqlDatabase::removeDatabase(name);
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

bool Connection::exec(const QString &sql, const QVariantList &params)
{
    QSqlQuery q = query(sql, params);
    return !m_error.isSet();
}

QVariant Connection::scalar(const QString &sql, const QVariantList &params)
{
    QSqlQuery q = query(sql, params);
    if (m_error.isSet() || !q.next())
        return QVariant();
    return q.value(0);
}

bool Connection::transaction(const std::function<bool()> &body)
{
    m_error = {};
    if (!ok()) {
        setError(kErrPathNotFound, QStringLiteral("数据库没有打开。"));
        return false;
    }
    if (!m_db.transaction()) {
        setError(m_db.lastError());
        return false;
    }
    bool good = body();
    if (good && !m_db.commit()) {
        setError(m_db.lastError());
        good = false;
    }
    if (!good) {
        const Error keep = m_error;
        m_db.rollback();
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
        if (u < 0x20 || u == 0x7f)
            return false;
        switch (u) {
        case '"': case '\'': case '`': case '[': case ']': case '.':
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
        QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?"), {table});
    return n.toInt() > 0;
}

QStringList tableColumns(Connection &c, const QString &table)
{
    QStringList names;
    if (!isValidIdentifier(table))
        return names;
    QSqlQuery q = c.query(QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(table)));
    while (q.next())
        names << q.value(1).toString();
    return names;
}

bool addColumn(Connection &c, const QString &table, const QString &column, ColumnType type)
{
    if (!isValidIdentifier(table) || !isValidIdentifier(column))
        return c.fail(kErrSql, QStringLiteral("名称“%1”含有不允许的字符。").arg(column));
    if (!tableExists(c, table))
        return c.fail(kErrSql, QStringLiteral("找不到表“%1”。").arg(table));
    for (const QString &existing : tableColumns(c, table)) {
        if (existing.compare(column, Qt::CaseInsensitive) == 0)
            return c.fail(kErrSql, QStringLiteral("字段“%1”已经存在。").arg(column));
    }
    const QString sqlType = type == ColumnType::Real ? QStringLiteral("REAL") : QStringLiteral("TEXT");
    return c.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                      .arg(quoteIdentifier(table), quoteIdentifier(column), sqlType));
}

} // namespace tessaly::db
