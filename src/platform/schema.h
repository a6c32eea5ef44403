#pragma once
// The delivered database: every table with its columns in order, and the
// administrator row. The same schema builds the test fixtures.
#include <QString>

namespace tessaly::db {
class Connection;

// The schema text (data/schema.sql, compiled into the program).
QString schemaSql();

// Runs the schema on an open, empty database.
bool createSchema(Connection &c, QString *error = nullptr);

// Writes a new delivered database at path. Refuses (false) when a file is already there:
// an existing database is never overwritten.
bool createDeliveredDatabase(const QString &path, QString *error = nullptr);

// The build step: makes sure folder/data.mdb exists, creating the folder and a new
// delivered database when there is none. A database already there is left as it is.
enum class InstallResult { Created, Kept, Failed };
InstallResult installDeliveredDatabase(const QString &folder, QString *error = nullptr);

} // namespace tessaly::db
