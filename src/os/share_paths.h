#pragma once
// Network share paths. \\server\share\rest maps to <mount root>/server/share/rest,
// the mount root being $TESSALY_SHARES or /mnt. Other paths pass through, with
// backslashes turned into slashes.
#include <QString>

namespace tessaly {

QString shareMountRoot();
bool isSharePath(const QString &path);
QString mapSharePath(const QString &path);
// The other way: a file under the mount root as \\server\share\rest; other paths unchanged.
QString unmapSharePath(const QString &localPath);

} // namespace tessaly
