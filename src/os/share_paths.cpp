#include "os/share_paths.h"

#include <QDir>
#include <QStringList>

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
    // //server/share/rest -> <root>/server/share/rest. "." and ".." are resolved here
    // and never climb above the mount root.
    QStringList parts;
    for (const QString &part : p.mid(2).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    const QString root = QDir::cleanPath(shareMountRoot());
    if (parts.isEmpty())
        return root;
    return (root == QLatin1String("/") ? QString() : root) + QLatin1Char('/')
        + parts.join(QLatin1Char('/'));
}

QString unmapSharePath(const QString &localPath)
{
    const QString root = QDir::cleanPath(shareMountRoot());
    const QString path = QDir::cleanPath(localPath);
    const QString prefix = root == QLatin1String("/") ? root : root + QLatin1Char('/');
    if (!path.startsWith(prefix) || path.size() == prefix.size())
        return localPath;
    QString rest = path.mid(prefix.size());
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QStringLiteral("\\\\") + rest;
}

} // namespace tessaly
