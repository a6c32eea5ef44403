#pragma once
// Copying between the server database and the local one (the program
// folder's data.mdb): the download of the whole server file, and the upload of
// the rows queued in the local table 上传表 (表名, ID).
#include "kit/save_report.h"
#include "platform/database.h"

#include <QString>
#include <QStringList>

namespace tessaly {

// Copies the server database named by PATH.DLL over the local database: the
// local file becomes a byte-for-byte copy of the server's, or stays exactly as
// it was. errorText tells why it failed.
struct DownloadOutcome {
    bool ok = false;
    QString errorText;
};
DownloadOutcome DownloadServerDatabase(const QString &programFolder);

// The tables a queue row may name.
const QStringList &uploadTables();

// Rows in 上传表; -1 when the queue cannot be read (see the connection's error).
int queuedRowCount(db::Connection &local);

struct UploadOutcome : SaveOutcome {
    int uploaded = 0;       // queue rows written to the server
    bool serverUpdated = false; // failed after the server commit: only emptying the queue failed
};

// Writes each queued row into the server: a row the server has (same table,
// same ID) takes the local values of every column both tables have, by name;
// a row it lacks is added with them, ID included. All rows go in one server
// transaction; the queue is emptied only after that commit. A queue row naming
// another table, or a row missing locally, fails the upload: the server stays
// as it was and the queue is kept.
UploadOutcome uploadQueue(db::Connection &local, db::Connection &server);

// The same between the local database file and the database at serverPath;
// refused (ok false, error set) when serverPath is the local file itself.
UploadOutcome UploadLocalChanges(const QString &localPath, const QString &serverPath);

} // namespace tessaly
