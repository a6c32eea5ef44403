#include "widgets/data_control.h"

#include "widgets/messages.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QSqlError>
#include <QSqlQuery>
#include <QStyle>
#include <QToolButton>

namespace tessaly {

namespace {

// A record source without blanks that is a valid name stands for a whole table.
bool isTableName(const QString &source)
{
    for (const QChar ch : source)
        if (ch.isSpace())
            return false;
    return db::isValidIdentifier(source);
}

QToolButton *moveButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon, const QString &tip)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(12, 12));
    b->setFixedWidth(18);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

DataControl::DataControl(QWidget *parent)
    : QWidget(parent)
{
    auto *outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QFrame(this);
    bar->setFrameShape(QFrame::StyledPanel);
    bar->setFrameShadow(QFrame::Sunken);
    outer->addWidget(bar);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    m_first = moveButton(bar, "first", QStyle::SP_MediaSkipBackward, QStringLiteral("第一条记录"));
    m_previous = moveButton(bar, "previous", QStyle::SP_MediaSeekBackward, QStringLiteral("上一条记录"));
    m_next = moveButton(bar, "next", QStyle::SP_MediaSeekForward, QStringLiteral("下一条记录"));
    m_last = moveButton(bar, "last", QStyle::SP_MediaSkipForward, QStringLiteral("最后一条记录"));
    m_caption = new QLabel(bar);
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_first);
    layout->addWidget(m_previous);
    layout->addWidget(m_caption, 1);
    layout->addWidget(m_next);
    layout->addWidget(m_last);

    // The buttons stay on the records: next on the last record and previous on
    // the first do nothing, so a user never lands on EOF or BOF.
    connect(m_first, &QToolButton::clicked, this, [this] { MoveFirst(); });
    connect(m_last, &QToolButton::clicked, this, [this] { MoveLast(); });
    connect(m_next, &QToolButton::clicked, this, [this] {
        if (!m_open || m_rows.isEmpty())
            return;
        const int target = qBound(0, m_pos + 1, int(m_rows.size()) - 1);
        if (target != m_pos)
            moveTo(target, Action::MoveNext);
    });
    connect(m_previous, &QToolButton::clicked, this, [this] {
        if (!m_open || m_rows.isEmpty())
            return;
        const int target = qBound(0, m_pos - 1, int(m_rows.size()) - 1);
        if (target != m_pos)
            moveTo(target, Action::MovePrevious);
    });
    updateButtons();
}

DataControl::~DataControl()
{
    m_conn.close();
}

void DataControl::setRecordSource(const QString &source, const QVariantList &params)
{
    m_recordSource = source;
    m_params = params;
}

QString DataControl::Caption() const
{
    return m_caption->text();
}

void DataControl::setCaption(const QString &caption)
{
    m_caption->setText(caption);
}

bool DataControl::Refresh()
{
    m_open = false;
    m_rows.clear();
    m_fields.clear();
    m_pos = -1;
    updateButtons();

    // Open on the first refresh, when the path changed, or when the file went
    // away under the open connection (a server that is off, a restored copy).
    if (m_conn.path() != m_databaseName || !m_conn.isCurrentFile()) {
        if (!m_conn.open(m_databaseName)) {
            raiseError(m_conn.error().number, m_conn.error().text);
            return false;
        }
    }

    const QString source = m_recordSource.trimmed();
    const bool wholeTable = isTableName(source);
    const QString sql = wholeTable ? QStringLiteral("SELECT * FROM %1").arg(db::quoteIdentifier(source))
                                   : m_recordSource;
    const QVariantList params = wholeTable ? QVariantList() : m_params;
    QVector<QVector<QVariant>> rows;
    QStringList fields;
    {
        QSqlQuery q = m_conn.query(sql, params);
        if (m_conn.error().isSet()) {
            raiseError(m_conn.error().number, m_conn.error().text);
            return false;
        }
        const QSqlRecord record = q.record();
        const int n = record.count();
        for (int i = 0; i < n; ++i)
            fields << record.fieldName(i);
        while (q.next()) {
            QVector<QVariant> row(n);
            for (int i = 0; i < n; ++i) {
                const QVariant v = q.value(i);
                if (!v.isNull())
                    row[i] = v;
            }
            rows.append(std::move(row));
        }
        if (q.lastError().isValid()) {
            const db::Error e = db::translate(q.lastError());
            raiseError(e.number, e.text);
            return false;
        }
    }   // the statement is finished here: reading holds no lock afterwards

    m_fields = fields;
    m_rows = std::move(rows);
    m_open = true;
    m_pos = m_rows.isEmpty() ? -1 : 0;
    updateButtons();
    emit Reposition();
    return true;
}

void DataControl::Close()
{
    m_open = false;
    m_rows.clear();
    m_fields.clear();
    m_pos = -1;
    m_conn.close();
    updateButtons();
}

int DataControl::AbsolutePosition() const
{
    return (m_open && m_pos >= 0 && m_pos < m_rows.size()) ? m_pos : -1;
}

bool DataControl::moveTo(int pos, Action action)
{
    if (AbsolutePosition() >= 0) {
        int save = 0;
        m_moveCancelled = false;
        emit Validate(int(action), &save);
        if (!m_open || m_moveCancelled)   // a handler closed the record set or kept the record
            return false;
    }
    m_pos = qBound(-1, pos, int(m_rows.size()));
    updateButtons();
    emit Reposition();
    return true;
}

bool DataControl::MoveFirst()
{
    if (!m_open || m_rows.isEmpty())
        return false;
    return moveTo(0, Action::MoveFirst);
}

bool DataControl::MoveLast()
{
    if (!m_open || m_rows.isEmpty())
        return false;
    return moveTo(int(m_rows.size()) - 1, Action::MoveLast);
}

bool DataControl::MoveNext()
{
    if (Eof())
        return false;
    return moveTo(m_pos + 1, Action::MoveNext);
}

bool DataControl::MovePrevious()
{
    if (Bof())
        return false;
    return moveTo(m_pos - 1, Action::MovePrevious);
}

bool DataControl::setAbsolutePosition(int index)
{
    if (!m_open || index < 0 || index >= m_rows.size())
        return false;
    return moveTo(index, Action::Bookmark);
}

int DataControl::fieldIndex(const QString &name) const
{
    const int exact = int(m_fields.indexOf(name));
    if (exact >= 0)
        return exact;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant DataControl::field(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0 && m_open)
        qWarning("DataControl %s: no field named %s", qPrintable(objectName()), qPrintable(name));
    return field(i);
}

QVariant DataControl::field(int index) const
{
    const int pos = AbsolutePosition();
    if (pos < 0 || index < 0 || index >= m_fields.size())
        return QVariant();
    return m_rows.at(pos).at(index);
}

QString DataControl::text(const QString &name) const
{
    const QVariant v = field(name);
    return v.isValid() ? v.toString() : QStringLiteral("");
}

QString DataControl::text(int index) const
{
    const QVariant v = field(index);
    return v.isValid() ? v.toString() : QStringLiteral("");
}

void DataControl::raiseError(int number, const QString &text)
{
    int response = 1;   // show the message unless a handler takes over
    emit Error(number, text, &response);
    if (response != 0)
        showNotice(window(), text);
}

void DataControl::updateButtons()
{
    const bool any = m_open && !m_rows.isEmpty();
    for (QToolButton *b : {m_first, m_previous, m_next, m_last})
        b->setEnabled(any);
}

} // namespace tessaly

// The control's meta-object lives here, so a user of the control links only this file.
#include "moc_data_control.cpp"
