#include "platform/share_paths.h"

#include <QDir>

namespace tessaly {

QString shareMountRoot()
{
    const QString env = qEnvironmentVariable("TESSALY_SHARES");
    return env.isEmpty() ? QStringLiteral("/mnt") : env;
}

bool isSharePath(const QString &path)
{
    return path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//"));
}

QString mapSharePath(const QString &path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!isSharePath(path))
        return p;
    // //server/share/rest -> <root>/server/share/rest
    const QString rest = p.mid(2);
    return QDir::cleanPath(shareMountRoot() + QLatin1Char('/') + rest);
}

} // namespace tessaly
