#include "register/register_sheet.h"

#include <algorithm>

namespace tessaly::reg {

void RegisterSheet::load(const school::ClassIdentity &identity, const QList<RegisterRow> &rows)
{
    m_identity = identity;
    m_rows = rows;
    m_import.reset();
}

void RegisterSheet::clear()
{
    load(school::ClassIdentity{}, {});
}

bool RegisterSheet::edit(int i, int col, const QString &text)
{
    return i >= 0 && i < size() && editField(m_rows[i], col, text);
}

bool RegisterSheet::addStudent()
{
    return m_identity.isValid() && reg::addStudent(m_rows, m_identity.classCode);
}

bool RegisterSheet::deleteStudent(int i)
{
    return isShown(i) && reg::deleteStudent(m_rows, i);
}

const ImportSummary &RegisterSheet::applyImport(ImportMode mode, const ImportWorkbook &book,
                                                const ImportMapping &mapping, const ImportProgress &progress)
{
    int count = 0;
    int matched = 0;
    if (mode == ImportMode::Fresh)
        count = freshImport(m_rows, book, mapping, m_identity.classCode, progress);
    else
        count = importByName(m_rows, book, mapping, progress, &matched);
    m_import = summarizeImport(mode, count, matched, book, mapping, m_rows);
    return *m_import;
}

bool RegisterSheet::hasUnsaved() const
{
    return hasRegisterChanges(m_rows);
}

QList<RegisterRow> RegisterSheet::rowsToSave() const
{
    QList<RegisterRow> out;
    std::copy_if(m_rows.begin(), m_rows.end(), std::back_inserter(out), needsWrite);
    return out;
}

QString RegisterSheet::missingName() const
{
    return missingNameMessage(m_rows);
}

void RegisterSheet::applySaveOutcome(const RegisterSaveOutcome &outcome)
{
    if (!outcome.ok)
        return;
    const auto vanished = [&outcome](const RegisterRow &row) {
        return row.id && std::any_of(outcome.vanished.begin(), outcome.vanished.end(),
                                     [&row](const RegisterRow &gone) { return gone.id == row.id; });
    };
    QList<RegisterRow> kept;
    int inserted = 0;
    for (RegisterRow &row : m_rows) {
        if (row.isDeleted() || row.dropped || vanished(row))
            continue;
        if (row.state == RowState::New)
            row.id = inserted < outcome.insertedIds.size() ? std::optional<qint64>(outcome.insertedIds[inserted++])
                                                           : std::nullopt;
        if (row.state != RowState::Unchanged)
            row.stored = writtenRecord(row, row.id);
        row.state = RowState::Unchanged;
        kept << row;
    }
    m_rows = kept;
}

QStringList RegisterSheet::takenNumbers() const
{
    return reg::takenNumbers(m_rows);
}

int RegisterSheet::shownCount() const
{
    return reg::shownCount(m_rows);
}

} // namespace tessaly::reg
