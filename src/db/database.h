#pragma once
// Database access over SQLite (Qt SQL). The one place that knows the engine:
// connections, parameterized statements, transactions and schema questions.
//
// Rules kept here:
// - A path that does not exist or cannot be reached is error 3044; no empty
//   database is ever created by opening.
// - Rollback journal (never WAL: the file may sit on a share), busy timeout.
// - Every value goes in as a bound parameter ('?'); identifiers made at run time
//   go through quoteIdentifier(), which refuses unsafe names.
// - A double-quoted name that matches no table or column is an error, never a
//   text literal.
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>

namespace tessaly::db {

// Error numbers the windows rely on (the engine's own numbering).
constexpr int kErrPathNotFound = 3044;   // path does not exist or cannot be reached
constexpr int kErrNotADatabase = 3343;   // file is not a database
constexpr int kErrLocked = 3260;         // table or database locked by another user
constexpr int kErrSql = 3075;            // statement failed (syntax, missing table or column)
constexpr int kErrNotSchoolDatabase = 3078;   // a database without the school's tables

// The engine's primary result code for a busy database (failureSentence).
constexpr int kResultBusy = 5;

struct Error {
    int number = 0;
    QString text;
    bool isSet() const { return number != 0; }
};

// The busy timeout (ms) each connection opens with; 5000 unless changed. Tests
// that provoke a locked database shorten it; returns the previous value.
int setDefaultBusyTimeout(int ms);
int defaultBusyTimeout();

// One row of a query read straight from the engine (Connection::readEach): its
// columns as QSqlQuery::value gives them, without a QVariant for every value.
// Valid only while the row is handed over.
class EngineRow {
public:
    bool isNull(int column) const;
    // A stored number (an integer or a real).
    bool isNumber(int column) const;
    double number(int column) const;   // for a number; 0 otherwise
    // The column as QSqlQuery::value(column) gives it.
    QVariant value(int column) const;
    // Its text: "" for null, value(column).toString() otherwise.
    QString text(int column) const;

private:
    friend class Connection;
    explicit EngineRow(void *statement) : m_statement(statement) {}
    void *m_statement;
};

// One connection to one database file, closed and removed when destroyed.
class Connection {
public:
    // Read-only: the file is only read, so the connection records no change for upload.
    enum class Access { ReadWrite, ReadOnly };
    Connection() = default;
    explicit Connection(const QString &path, Access access = Access::ReadWrite);   // opens at once; see ok()/error()
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    Connection(Connection &&other) noexcept;
    Connection &operator=(Connection &&other) noexcept;

    bool open(const QString &path, Access access = Access::ReadWrite);
    void close();
    bool ok() const { return m_db.isOpen(); }
    const Error &error() const { return m_error; }
    QSqlDatabase &handle() { return m_db; }
    QString path() const { return m_path; }
    // True while the path still names the file that was opened: false once it was
    // removed, became unreachable, or was replaced by another file (a restored copy).
    bool isCurrentFile() const;
    // How long a statement waits for another user's lock before failing (ms).
    bool setBusyTimeout(int ms);

    // Runs a statement with bound values; false (and error()) on failure.
    bool exec(const QString &sql, const QVariantList &params = {});
    // Runs a query; rows are read forward only. isActive() false on failure (see error()).
    QSqlQuery query(const QString &sql, const QVariantList &params = {});
    // Runs a query and hands each row to `each` straight from the engine, for reads
    // of many values; the statement is finished after the last row. False (and
    // error()) on failure.
    bool readEach(const QString &sql, const QVariantList &params, const std::function<void(const EngineRow &)> &each);
    // First column of the first row, or an invalid QVariant.
    QVariant scalar(const QString &sql, const QVariantList &params = {});
    QVariant lastInsertId() const { return m_lastInsertId; }
    int rowsAffected() const { return m_rowsAffected; }

    // Runs body inside one transaction: commit when it returns true, roll back
    // otherwise or when the commit fails. False when anything failed (see error()).
    // The write lock is taken before body runs; while another user holds it the
    // call waits up to the busy timeout and then fails with kErrLocked.
    bool transaction(const std::function<bool()> &body);

    // Records an error of the caller's own (a refused name, say); returns false.
    bool fail(int number, const QString &text);

    // True while this connection writes each row change of a school table into
    // the upload queue 上传表 (see setChangeQueueFile).
    bool recordsChanges() const { return m_recording; }
    // Stops that recording for this connection (the upload itself writes the
    // local database without queueing its own changes).
    void stopRecordingChanges();

private:
    QSqlDatabase m_db;
    QString m_name;
    QString m_path;
    Error m_error;
    QVariant m_lastInsertId;
    int m_rowsAffected = 0;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_recording = false;
    // Statements exec() and scalar() ran, kept prepared with the number of values
    // they were run with: a save runs the same one per row.
    struct Prepared {
        QSqlQuery query;
        qsizetype params = 0;
    };
    QHash<QString, std::shared_ptr<Prepared>> m_prepared;
    // The prepared statement for sql, bound to params and run; null (and error()) on failure.
    QSqlQuery *run(const QString &sql, const QVariantList &params);
    bool startRecordingChanges();
    // The statements that create the queue's triggers on this connection's database.
    QString queueTriggerSql();
    void setError(int number, const QString &text);
    void setError(const QSqlError &e);
};

// Maps a stored or typed path to a local file path (share paths included).
QString resolvePath(const QString &path);

// True when both paths name one existing file (share paths resolved, links followed).
bool isSameFile(const QString &a, const QString &b);
// "device:inode" of the file at path (share paths resolved); empty when it cannot be
// reached. A file replaced by another under the same name gets another identity.
QString fileIdentityKey(const QString &path);

// The tables every school database holds (the delivered schema's), the
// upload queue 上传表 among them.
const QStringList &schoolTables();
// The school tables whose rows are queued for upload: all but 上传表.
const QStringList &queuedTables();

// Checks that c is a school database and passes the engine's quick integrity
// check; false with error set ("不是本程序的数据库", "数据库文件已损坏…") otherwise.
bool checkSchoolDatabase(Connection &c, Error &error);

// Replaces the file at targetPath with a byte-for-byte copy of the database
// that source has open. The source must pass checkSchoolDatabase. The bytes
// are read while source holds a read transaction, so no other user can commit a
// change half-way through the copy; they are written to a new file beside the
// target, which is checked again and then takes the target's name in one
// rename, so the target is either the old file or the whole copy; the copy
// is flushed to disk before the rename and keeps the old file's mode. When
// backupPath is not empty the replaced file is first copied there (while no
// writer holds it). While a writer holds the target database the replacement
// waits up to the busy timeout and then fails with kErrLocked. On failure (see
// error) the target is unchanged and no backup is left.
bool copyDatabaseOver(Connection &source, const QString &targetPath, Error &error,
                      const QString &backupPath = QString());

// The one name under which copyDatabaseOver writes its copy beside targetPath;
// removed before each copy (a copy left there by a killed run is never used).
QString copyInProgressPath(const QString &targetPath);

// Moves the file at from over the file at to in one rename, first flushing it
// to disk, then flushing the folder; false with error set on failure.
bool replaceFile(const QString &from, const QString &to, Error &error);

// Writes a consistent copy of source's database to targetPath with the
// engine's online backup (a save running meanwhile cannot tear it). Refuses a
// targetPath that exists; on failure no file is left there.
bool backupDatabase(Connection &source, const QString &targetPath, Error &error);

// The name of a new backup copy in folder, not yet taken there: prefix, the
// date and time (yyyyMMddhhmmss), a "-2", "-3" … when that is taken, ".mdb".
QString backupFileName(const QString &folder, const QString &prefix = QStringLiteral("备份"));

// The upload queue. Every connection opened afterwards on the database file at
// path (the program folder's data.mdb) records in its table 上传表 (表名, ID,
// 新增, 标记) each row of a queued table that it inserts, changes or deletes, once
// per row and inside the writer's own transaction; 新增 is 1 for a row first
// inserted there (it has no server row yet), 标记 then a random mark of that
// row for the upload. The triggers' statements are made once per database file
// and schema version, and run in one call. A row inserted and deleted again
// before an upload leaves no queue row. An empty path stops the recording for
// connections opened afterwards.
void setChangeQueueFile(const QString &path);
QString changeQueueFile();

// Identifier rules for names made at run time: non-empty, at most 64 characters,
// no quote of any kind, no bracket, no dot, no exclamation mark, no control
// character, no leading blank.
bool isValidIdentifier(const QString &name);
// "name" in double quotes; empty for an invalid name (callers check isValidIdentifier first).
QString quoteIdentifier(const QString &name);

// Schema questions, asked here only.
bool tableExists(Connection &c, const QString &table);
QStringList tableColumns(Connection &c, const QString &table);   // in stored order
// The same for a table of an attached database (schema: its name in ATTACH).
QStringList tableColumns(Connection &c, const QString &schema, const QString &table);
// The most columns a table may hold (2000 with the engine's default limit).
int columnLimit(Connection &c);
enum class ColumnType { Real, Text };
// The declared type of a table's column: Real for a numeric one, else Text.
ColumnType columnType(Connection &c, const QString &table, const QString &column);
// Appends a column; refuses an invalid name, an unknown table, an existing column
// or a table that already holds columnLimit() columns, each before any write.
bool addColumn(Connection &c, const QString &table, const QString &column, ColumnType type);

// True when c is open on the school's database: every table of the delivered
// schema is there. Otherwise false with error set: kErrNotSchoolDatabase when
// tables are missing (an empty or foreign file), or the engine's error when the
// file could not be read at all.
bool isSchoolDatabase(Connection &c, Error &error);

// The Chinese sentence, saying what to do, for a failure by the engine's result
// code (busy or locked, read-only, I/O error, corrupt, disk full, cannot open,
// not a database); empty for other codes, whose own text is kept.
QString failureSentence(int resultCode);
// The sentence for a database without the school's tables.
QString notSchoolDatabaseSentence();

// Maps an engine error to the error numbers above and its Chinese sentence (by
// the engine's result code). A missing school table is kErrNotSchoolDatabase;
// other statement errors keep the engine's text.
Error translate(const class QSqlError &e);

} // namespace tessaly::db
