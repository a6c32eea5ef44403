#include "os/program_folder.h"

#include <QCoreApplication>
#include <QDir>

namespace tessaly {

QString programFolder()
{
    const QString env = qEnvironmentVariable("TESSALY_HOME");
    if (!env.isEmpty())
        return QDir(env).absolutePath();
    return QCoreApplication::applicationDirPath();
}

QString programFile(const QString &name)
{
    return QDir(programFolder()).filePath(name);
}

} // namespace tessaly
