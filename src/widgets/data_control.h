#pragma once
// Data-source control: a database path, a record source (SQL text or table name)
// with bound values, and the record set held in memory with moves.
// A small bar shows the caption and move buttons; windows may hide it.
//
// The record set is read whole on Refresh() and behaves like a record set of the
// desktop database engine: it opens on its first record; MoveNext past the last
// record reaches EOF, MovePrevious before the first reaches BOF; an empty set is
// at EOF and BOF at once. Windows read through this control; writes go through
// db::Connection.
#include "db/database.h"

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <QWidget>

class QLabel;
class QToolButton;

namespace tessaly {

class DataControl : public QWidget {
    Q_OBJECT
public:
    // Validate actions (the action passed with validate()).
    enum class Action { MoveFirst = 1, MovePrevious, MoveNext, MoveLast, AddNew, Update, Delete, Find, Bookmark, Unload };

    explicit DataControl(QWidget *parent = nullptr);
    ~DataControl() override;

    QString DatabaseName() const { return m_databaseName; }
    // Takes effect on the next Refresh(), which opens the new path.
    void setDatabaseName(const QString &path) { m_databaseName = path; }
    QString RecordSource() const { return m_recordSource; }
    // A table name (all its rows) or an SQL text; params are bound to its '?' placeholders.
    void setRecordSource(const QString &source, const QVariantList &params = {});
    QVariantList parameters() const { return m_params; }

    QString Caption() const;
    void setCaption(const QString &caption);

    // Runs the record source again and reads the whole result. On failure emits
    // Error() and leaves no record set; on success emits Reposition().
    bool Refresh();
    // Drops the record set and closes the connection (the caption is kept).
    void Close();

    bool hasRecordset() const { return m_open; }
    int RecordCount() const { return m_open ? int(m_rows.size()) : 0; }
    // 0-based; -1 when there is no current record (empty set, EOF or BOF).
    int AbsolutePosition() const;
    bool Eof() const { return !m_open || m_rows.isEmpty() || m_pos >= m_rows.size(); }
    bool Bof() const { return !m_open || m_rows.isEmpty() || m_pos < 0; }

    // Each move emits Validate() while the record being left is still current,
    // then Reposition(). A move that is not possible (MoveNext at EOF, MoveFirst
    // on an empty set, a position out of range) changes nothing and returns false.
    bool MoveFirst();
    bool MoveLast();
    bool MoveNext();
    bool MovePrevious();
    bool setAbsolutePosition(int index);
    // Called by a Validate handler to keep the current record: the move does not
    // happen and returns false.
    void cancelMove() { m_moveCancelled = true; }

    int FieldCount() const { return int(m_fields.size()); }
    QStringList FieldNames() const { return m_fields; }
    // Exact name first, then ignoring case; -1 when there is none.
    int fieldIndex(const QString &name) const;
    // Current record's field; invalid QVariant (null) when the value is null, the
    // field does not exist or there is no current record.
    QVariant field(const QString &name) const;
    QVariant field(int index) const;
    // Field as text; null becomes "" (a non-null empty text, which binds as '' and not as NULL).
    QString text(const QString &name) const;
    QString text(int index) const;

    // The whole record set, read once (nulls are invalid QVariants).
    const QVector<QVector<QVariant>> &rows() const { return m_rows; }

    // The control's connection: open after a successful Refresh(), for schema
    // questions on the same database (db::tableColumns).
    db::Connection &connection() { return m_conn; }

signals:
    // Data error: the engine's error number and text. A handler that sets *response
    // to 0 takes over; otherwise the control shows the text itself.
    void Error(int number, const QString &text, int *response);
    // The current record changed (after Refresh() and after each move).
    void Reposition();
    // Before the current record is left. The control holds no edits, so *save is 0;
    // a handler may keep the record with cancelMove().
    void Validate(int action, int *save);

private:
    bool moveTo(int pos, Action action);
    void raiseError(int number, const QString &text);
    void updateButtons();

    QString m_databaseName;
    QString m_recordSource;
    QVariantList m_params;
    QStringList m_fields;
    QVector<QVector<QVariant>> m_rows;
    int m_pos = -1;
    bool m_open = false;
    bool m_moveCancelled = false;
    db::Connection m_conn;
    QLabel *m_caption = nullptr;
    QToolButton *m_first = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_last = nullptr;
};

} // namespace tessaly
