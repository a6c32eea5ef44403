#include "shell/system_information.h"

#include "os/registry.h"
#include "os/system_info.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QtGlobal>

#include <sqlite3.h>

namespace tessaly {

SysInfoLookup FindSysInfoProgram(const Registry &registry)
{
    QString path;
    if (GetKeyValue(registry, HKEY_LOCAL_MACHINE, kMsinfoKey, kMsinfoPathValue, path))
        return {true, path};
    if (!GetKeyValue(registry, HKEY_LOCAL_MACHINE, kSharedToolsLocationKey, kSharedToolsLocationValue, path))
        return {};
    const QString program = QDir(path).filePath(kMsinfoFileName);
    if (path.isEmpty() || !QFileInfo(program).isFile())
        return {};
    return {true, program};
}

bool StartSysInfoProgram(const Registry &registry)
{
    const SysInfoLookup lookup = FindSysInfoProgram(registry);
    return startProgram(lookup.named ? lookup.path : desktopSystemInfoProgram());
}

QString SystemSummary(const QString &programFolder)
{
    const QString folder = QDir::toNativeSeparators(QDir(programFolder).absolutePath());
    return QStringLiteral("操作系统：%1\r\nQt 版本：%2\r\nSQLite 版本：%3\r\n程序文件夹：%4\r\n数据文件：%5")
        .arg(QSysInfo::prettyProductName(), QString::fromLatin1(qVersion()),
             QString::fromLatin1(sqlite3_libversion()), folder,
             QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("data.mdb"))));
}

} // namespace tessaly
