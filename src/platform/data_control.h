#pragma once
// Data-source control: a database path, a record source (SQL text or table
// name) with bound values, and the record set held in memory with moves.
// A small bar shows the caption and move buttons; windows may hide it.
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <QWidget>

class QLabel;

namespace tessaly {

class DataControl : public QWidget {
    Q_OBJECT
public:
    // Validate actions (the action passed with validate()).
    enum class Action { MoveFirst = 1, MovePrevious, MoveNext, MoveLast, AddNew, Update, Delete, Find, Bookmark, Unload };

    explicit DataControl(QWidget *parent = nullptr);
    ~DataControl() override;

    QString DatabaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &path) { m_databaseName = path; }
    QString RecordSource() const { return m_recordSource; }
    // A table name or an SQL text; params are bound to its '?' placeholders.
    void setRecordSource(const QString &source, const QVariantList &params = {});

    QString Caption() const;
    void setCaption(const QString &caption);

    // Runs the record source again. On failure emits Error() and leaves no record set.
    bool Refresh();
    // Drops the record set (the caption is kept).
    void Close();

    bool hasRecordset() const { return m_open; }
    int RecordCount() const { return m_open ? int(m_rows.size()) : 0; }
    // 0-based; -1 when there is no current record (empty set, EOF or BOF).
    int AbsolutePosition() const;
    bool Eof() const { return !m_open || m_pos >= m_rows.size(); }
    bool Bof() const { return !m_open || m_pos < 0 || m_rows.isEmpty(); }

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void setAbsolutePosition(int index);

    int FieldCount() const { return int(m_fields.size()); }
    QStringList FieldNames() const { return m_fields; }
    int fieldIndex(const QString &name) const;
    // Current record's field; invalid QVariant (null) when there is no current record.
    QVariant field(const QString &name) const;
    QVariant field(int index) const;
    // Field as text; null becomes "".
    QString text(const QString &name) const;
    QString text(int index) const;

    // The whole record set, read once.
    const QVector<QVector<QVariant>> &rows() const { return m_rows; }

signals:
    // Data error: the engine's error number and text. A handler that sets *response
    // to 0 takes over; otherwise the control shows the text itself.
    void Error(int number, const QString &text, int *response);
    // The current record changed.
    void Reposition();
    // Before the current record is left; *save may be cleared by the handler.
    void Validate(int action, int *save);

private:
    void moveTo(int pos, Action action);
    void raiseError(int number, const QString &text);

    QString m_databaseName;
    QString m_recordSource;
    QVariantList m_params;
    QStringList m_fields;
    QVector<QVector<QVariant>> m_rows;
    int m_pos = -1;
    bool m_open = false;
    QLabel *m_caption = nullptr;
};

} // namespace tessaly
