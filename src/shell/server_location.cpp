#include "shell/server_location.h"

#include "kit/window_host.h"
#include "workbook/gbk.h"

#include <QDir>
#include <QSqlQuery>

namespace tessaly {

namespace {
QString pathFile(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("PATH.DLL"));
}
} // namespace

std::optional<QString> ServerDatabasePath(const QString &installerPath)
{
    const qsizetype k = installerPath.indexOf(kInstallerFolder) + 1;   // 1-based, 0 when missing
    if (k - 2 < 0)
        return std::nullopt;
    return installerPath.left(k - 2) + QStringLiteral("\\shuju$\\data.mdb");
}

std::optional<QString> readServerInstallerPath(const QString &programFolder)
{
    return readFirstLineGbk(pathFile(programFolder));
}

bool saveServerInstallerPath(const QString &programFolder, const QString &installerPath)
{
    return writeLineGbk(pathFile(programFolder), installerPath);
}

db::Error testServerDatabase(const QString &path)
{
    db::Connection c(path);
    db::Error error;
    db::isSchoolDatabase(c, error);
    return error;
}

void UseLocalDatabase(WindowHost &host)
{
    Session &s = host.session();
    s.openpath = s.programFile(QStringLiteral("data.mdb"));
    host.switchOffMenuItem(QStringLiteral("BDSC"));
    host.switchOffMenuItem(QStringLiteral("TBSJ"));
}

} // namespace tessaly
