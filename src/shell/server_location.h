#pragma once
// The server copy of the database: the installer path saved in PATH.DLL, the
// database path derived from it, and the connection test.
//
//   \\PC1\Tessaly安装\setup.exe  ->  \\PC1\shuju$\data.mdb
//
// Paths keep their Windows form in PATH.DLL and in openpath; the database layer
// maps a share path to its mounted folder when it opens it.
#include "db/database.h"

#include <QString>
#include <optional>

namespace tessaly {

class WindowHost;

inline const QString kInstallerFolder = QStringLiteral("Tessaly安装");

// The server database path of an installer path: everything before the
// character that precedes the first "Tessaly安装", followed by
// "\shuju$\data.mdb". nullopt when the name is missing or stands first.
std::optional<QString> ServerDatabasePath(const QString &installerPath);

// PATH.DLL in the program folder: its first line (nullopt when the file is
// missing, unreadable or empty), and writing it as the only line (GBK, CR LF).
std::optional<QString> readServerInstallerPath(const QString &programFolder);
bool saveServerInstallerPath(const QString &programFolder, const QString &installerPath);

// The connection test: the database at path opens and holds the school's
// tables. The error of the failed step otherwise.
db::Error testServerDatabase(const QString &path);

// Back to the local database (the program folder's data.mdb): openpath points
// at it, and the menu items 本地数据上传 (BDSC) and 下载服务器数据 (TBSJ) are off
// for the rest of the run.
void UseLocalDatabase(WindowHost &host);

} // namespace tessaly
