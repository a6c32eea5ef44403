#pragma once
// The delivered database: every table with its columns in order, and the
// administrator row. The same schema builds the test fixtures.
#include <QString>
#include <functional>

namespace tessaly::db {
class Connection;

// The schema text (data/schema.sql, compiled into the program).
QString schemaSql();

// Runs the schema on an open, empty database.
bool createSchema(Connection &c, QString *error = nullptr);

// Writes a new delivered database at path. Refuses (false) when a file is already there:
// an existing database is never overwritten.
bool createDeliveredDatabase(const QString &path, QString *error = nullptr);

// Writes a new database file at path and fills it through fill (which writes its
// rows in a transaction of its own). Refuses (false) when a file is already there;
// a failed fill removes the new file again.
bool createDatabaseFile(const QString &path, const std::function<bool(Connection &, QString *)> &fill,
                        QString *error = nullptr);

// The build step: makes sure folder/data.mdb exists, creating the folder and a new
// delivered database when there is none. A database already there is left as it is.
enum class InstallResult { Created, Kept, Failed };
InstallResult installDeliveredDatabase(const QString &folder, QString *error = nullptr);

// The same rule for any delivered file: creates the folder, then calls create(path)
// for folder/name unless a file (or a link) of that name is there already.
InstallResult installOnce(const QString &folder, const QString &name,
                          const std::function<bool(const QString &path, QString *error)> &create,
                          QString *error = nullptr);

} // namespace tessaly::db
