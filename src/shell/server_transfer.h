#pragma once
// Copying between the server database and the local one (the program
// folder's data.mdb): the download of the whole server file, and the upload of
// the rows queued in the local table 上传表 (表名, ID, 新增, 标记).
//
// The upload merges field by field against a base: the file data.mdb.base
// beside the local database, a copy of it as it was at the last download,
// brought up to date by every upload. A field the local database changed since
// (local ≠ base) is written on the server only where the server still holds the
// base value; where another computer changed it too the field is a conflict,
// left queued until the user decides.
#include "kit/save_report.h"
#include "db/database.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace tessaly {

// Copies the server database named by PATH.DLL over the local database: the
// local file becomes a byte-for-byte copy of the server's, or stays exactly as
// it was. A server file that is not the school's database or fails its
// integrity check is refused as the server's fault. The replaced local file is
// kept in the program folder as a dated backup (backupFile); only the newest
// kDownloadBackupsKept of those stay. The copy also becomes the upload's base.
// errorText tells why it failed.
struct DownloadOutcome {
    bool ok = false;
    QString errorText;
    QString backupFile;
};
DownloadOutcome DownloadServerDatabase(const QString &programFolder);

// Download backups kept in the program folder; older ones are removed.
constexpr int kDownloadBackupsKept = 10;
// The prefix of a download backup's name ("下载前备份20250915083000.mdb").
inline const QString kDownloadBackupPrefix = QStringLiteral("下载前备份");

// Removes what an interrupted download left in the program folder (its copy
// under the one fixed name). Called at start and before each download.
void removeDownloadLeftovers(const QString &programFolder);

// The base file of the local database at localPath.
QString uploadBasePath(const QString &localPath);
// Makes the base of the local database at localPath a copy of it as it is now
// (after a download: the server's state); false with error set on failure.
bool saveUploadBase(const QString &localPath, db::Error &error);

// Rows in 上传表; -1 when the queue cannot be read (see the connection's error).
int queuedRowCount(db::Connection &local);
// The same for the local database file at localPath (opened on its own
// connection); -1 when it cannot be read. A file unchanged (same file, size,
// last write and no journal) since a count made a few seconds after its last
// write gives that count again without opening it. User-interface thread only.
int pendingUploadCount(const QString &localPath);

// A queue row that stayed queued, and why.
struct UploadFailure {
    QString table;
    QVariant id;
    QString text;
};

// A field both this computer and another changed since the base (or a row one
// side deleted while the other changed it). It stays queued until decided.
struct UploadConflict {
    enum class Kind { Field, DeletedHere, DeletedOnServer };
    Kind kind = Kind::Field;
    QString table;
    qint64 id = 0;        // the row's ID (the server's and the local one)
    QString row;          // the row as a user knows it: student and 学籍号, account, notice, exam
    QString field;        // the column; empty for a deleted row
    QVariant serverValue; // the server's value (null for a row deleted there)
    QVariant localValue;  // this computer's value (null for a row deleted here)
};

struct UploadOutcome : SaveOutcome {
    int uploaded = 0;             // queue rows that reached the server and left the queue
    int added = 0;                // rows added on the server
    int changed = 0;              // rows changed or deleted on the server
    int alreadyThere = 0;         // rows the server already held as they are here
    QList<UploadConflict> conflicts;   // left queued until decided
    QList<UploadFailure> failed;  // queue rows kept, each with its reason
    int lockedKept = 0;           // rows whose scores in a locked exam the server kept
    bool serverUpdated = false;   // a batch reached the server but the local database could not note it
    // No base (the local database was never downloaded): nothing was written;
    // these many rows and fields differ from the server. Upload again with
    // overwriteWithoutBase to write the local values over them.
    bool needsBase = false;
    int differingRows = 0;
    int differingFields = 0;
};

// Called after each batch: queue rows done so far, of total.
using UploadProgress = std::function<void(int done, int total)>;

struct UploadOptions {
    // Without a base, write the local values of every queued row over the server's.
    bool overwriteWithoutBase = false;
    int batchSize = 200;   // queue rows per server transaction
};

// Writes the queued changes into the server, options.batchSize queue rows per
// server transaction. First the columns the local tables have and the server's
// lack (exams, evaluations) are added on the server.
// - A changed row: each field that differs from the base is written where the
//   server holds the base value, skipped where it holds the local value
//   already, and listed in conflicts otherwise. Columns of exams locked on the
//   server keep the server's values.
// - A row first inserted locally (新增) that the server already holds (the same
//   ID with the same values; for a section table the same 学籍号 and 姓名; for
//   教导处 the same 类别, 名称 and 对应内容; for an exam registry the same 年级组,
//   班级名 and 考试名) takes that row's ID and is merged as above; otherwise it
//   is added under a new ID above every ID of the server and of the local table,
//   and the local row takes that ID too. A 学籍号 the server holds for another
//   student is refused, naming both; the row stays queued.
// - A row gone locally is deleted on the server where the server's row still
//   holds the base values; otherwise a conflict.
// - A changed row the server lost is a conflict (without a base: added again).
// Every added row leaves a mark on the server (上传记录) in the same
// transaction, so an upload interrupted after the server's commit adds nothing
// again when run once more. The local write lock is taken before the server
// commits. A row that fails is named in failed and stays queued.
UploadOutcome uploadQueue(db::Connection &local, db::Connection &server, const UploadProgress &progress = {},
                          const UploadOptions &options = {});

// The same between the local database file and the database at serverPath;
// refused (ok false, error set) when serverPath is the local file itself.
UploadOutcome UploadLocalChanges(const QString &localPath, const QString &serverPath,
                                 const UploadProgress &progress = {}, const UploadOptions &options = {});

// The user's decision on one conflict: keep the server's value (the local
// database takes it) or write the local one on the next upload.
struct ConflictDecision {
    UploadConflict conflict;
    bool keepServer = true;
};

// Records the decisions in the local database and its base, then uploads the
// queue again; the outcome is that upload's.
UploadOutcome decideConflicts(const QString &localPath, const QString &serverPath,
                              const QList<ConflictDecision> &decisions, const UploadProgress &progress = {});

} // namespace tessaly
