#pragma once
// Copying between the server database and the local one (the program
// folder's data.mdb): the download of the whole server file, and the upload of
// the rows queued in the local table 上传表 (表名, ID, 新增).
#include "kit/save_report.h"
#include "platform/database.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tessaly {

// Copies the server database named by PATH.DLL over the local database: the
// local file becomes a byte-for-byte copy of the server's, or stays exactly as
// it was. A server file that is not the school's database or fails its
// integrity check is refused. The replaced local file is kept in the program
// folder as a dated backup (backupFile). errorText tells why it failed.
struct DownloadOutcome {
    bool ok = false;
    QString errorText;
    QString backupFile;
};
DownloadOutcome DownloadServerDatabase(const QString &programFolder);

// Rows in 上传表; -1 when the queue cannot be read (see the connection's error).
int queuedRowCount(db::Connection &local);

// A queue row that stayed queued, and why.
struct UploadFailure {
    QString table;
    QVariant id;
    QString text;
};

struct UploadOutcome : SaveOutcome {
    int uploaded = 0;             // queue rows that reached the server and left the queue
    QList<UploadFailure> failed;  // queue rows kept, each with its reason
    int lockedKept = 0;           // rows whose scores in a locked exam the server kept
    bool serverUpdated = false;   // a batch reached the server but its queue rows could not be removed
};

// Called after each batch: queue rows done so far, of total.
using UploadProgress = std::function<void(int done, int total)>;

// Writes each queued row into the server, batchSize queue rows per server
// transaction. First the columns the local tables have and the server's lack
// (exams, evaluations) are added on the server. A row still present locally
// takes the local values of every column both tables have, by name: a row the
// server has (same table, same ID) is updated; a row first inserted locally
// (新增) gets a new ID above every ID of the server and of the local table, and
// the local row takes that ID too; a row the server lost is added again with
// its ID. A row gone locally is deleted on the server. Columns of exams locked
// on the server keep the server's values. A row that fails is named in failed
// and stays queued; the others of its batch go on. Only rows whose batch
// reached the server leave the queue. The local and the server database must
// both be school databases and the server must pass its integrity check.
UploadOutcome uploadQueue(db::Connection &local, db::Connection &server, const UploadProgress &progress = {},
                          int batchSize = 200);

// The same between the local database file and the database at serverPath;
// refused (ok false, error set) when serverPath is the local file itself.
UploadOutcome UploadLocalChanges(const QString &localPath, const QString &serverPath,
                                 const UploadProgress &progress = {});

} // namespace tessaly
