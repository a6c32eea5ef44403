#pragma once
// What the register window works on, without widgets: the chosen class, its
// student rows with their stored and typed values and row states
// (register_rows.h), and what the last import into them did. The window shows
// rows() in its grid and hands every edit, addition, deletion, import and save
// outcome to the sheet; what to save and whether anything is unsaved come from here.
#include "register/register_import.h"
#include "register/register_rows.h"
#include "register/register_save.h"
#include "school/class_code.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tessaly::reg {

class RegisterSheet {
public:
    // The chosen class with its rows as stored (readRegisterRows); every unsaved
    // change and the last import are forgotten.
    void load(const school::ClassIdentity &identity, const QList<RegisterRow> &rows);
    // No class chosen: no rows.
    void clear();

    const school::ClassIdentity &identity() const { return m_identity; }
    // Every row, deleted and dropped ones included (the grid keeps them hidden).
    const QList<RegisterRow> &rows() const { return m_rows; }
    int size() const { return int(m_rows.size()); }
    const RegisterRow &row(int i) const { return m_rows.at(i); }
    bool isShown(int i) const { return i >= 0 && i < size() && m_rows[i].isShown(); }

    // Puts a typed text into column col of row i (editField). False when nothing
    // changed: no such row, a column that is not edited, the same text.
    bool edit(int i, int col, const QString &text);
    // Appends a new student on the class's first free seat. False (nothing added)
    // without a chosen class or when every seat is taken.
    bool addStudent();
    // Marks shown row i deleted: hidden, its number free. False for any other row.
    bool deleteStudent(int i);

    // Fills the rows from a worksheet (freshImport, importByName) and keeps what
    // the import did, as its report tells it.
    const ImportSummary &applyImport(ImportMode mode, const ImportWorkbook &book, const ImportMapping &mapping,
                                     const ImportProgress &progress = {});
    // What the last import since load() did; none before one.
    const std::optional<ImportSummary> &lastImport() const { return m_import; }

    // Added, edited or deleted students not saved yet.
    bool hasUnsaved() const;
    // The rows a save writes (needsWrite), in row order.
    QList<RegisterRow> rowsToSave() const;
    // Why the rows cannot be saved (missingNameMessage); empty when they can.
    QString missingName() const;
    // Takes the outcome of writing rowsToSave() (SaveRegister). A refused save
    // changes nothing: every row keeps its state. One that went through leaves the
    // rows as stored: deleted, dropped and vanished rows go; every other row is
    // unchanged, its typed values now its stored ones, a new row under its new ID.
    void applySaveOutcome(const RegisterSaveOutcome &outcome);

    // The student numbers in use (takenNumbers) and the rows shown.
    QStringList takenNumbers() const;
    int shownCount() const;

private:
    school::ClassIdentity m_identity;
    QList<RegisterRow> m_rows;
    std::optional<ImportSummary> m_import;
};

} // namespace tessaly::reg
