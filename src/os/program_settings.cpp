#include "os/program_settings.h"

#include <QDir>

namespace tessaly {

QString programSettingsFile(const QString &programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("Tessaly.ini"));
}

} // namespace tessaly
