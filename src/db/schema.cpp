#include "db/schema.h"

#include "db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

// The resources live in a static library: register them before the first use.
static void initDataResources()
{
    Q_INIT_RESOURCE(data);
}

namespace tessaly::db {

QString schemaSql()
{
    initDataResources();
    QFile f(QStringLiteral(":/data/schema.sql"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

bool createSchema(Connection &c, QString *error)
{
    const QString sql = schemaSql();
    if (sql.isEmpty()) {
        if (error)
            *error = QStringLiteral("schema text missing");
        return false;
    }
    const QStringList statements = sql.split(QRegularExpression(QStringLiteral("\\n;\\s*\\n?")),
                                             Qt::SkipEmptyParts);
    return c.transaction([&] {
        for (QString s : statements) {
            // Drop comment lines.
            QStringList lines;
            for (const QString &line : s.split(QLatin1Char('\n')))
                if (!line.trimmed().startsWith(QLatin1String("--")))
                    lines << line;
            s = lines.join(QLatin1Char('\n')).trimmed();
            if (s.isEmpty())
                continue;
            if (!c.exec(s)) {
                if (error)
                    *error = c.error().text;
                return false;
            }
        }
        return true;
    });
}

bool createDatabaseFile(const QString &path, const std::function<bool(Connection &, QString *)> &fill,
                        QString *error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 already exists").arg(path);
        return false;
    }
    // Create the empty file (NewOnly: never one that appeared meanwhile), then open
    // it as an existing database.
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (error)
                *error = f.errorString();
            return false;
        }
    }
    Connection c(path);
    if (!c.ok() || !fill(c, error)) {
        if (error && error->isEmpty())
            *error = c.error().text;
        c.close();
        QFile::remove(path);
        return false;
    }
    return true;
}

bool createDeliveredDatabase(const QString &path, QString *error)
{
    return createDatabaseFile(path, createSchema, error);
}

InstallResult installOnce(const QString &folder, const QString &name,
                          const std::function<bool(const QString &path, QString *error)> &create,
                          QString *error)
{
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create folder %1").arg(folder);
        return InstallResult::Failed;
    }
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return InstallResult::Kept;
    return create(path, error) ? InstallResult::Created : InstallResult::Failed;
}

InstallResult installDeliveredDatabase(const QString &folder, QString *error)
{
    return installOnce(folder, QStringLiteral("data.mdb"), createDeliveredDatabase, error);
}

} // namespace tessaly::db
