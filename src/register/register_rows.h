#pragma once
// The register of one class as data: one row per student of the register grid,
// each with its row state, and the rules of adding, deleting and editing them.
// The register sheet (register_sheet.h) holds them for the window; the save reads them.
#include "register/register_grid.h"
#include "school/class_code.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <array>
#include <optional>

namespace tessaly::db {
class Connection;
}

namespace tessaly::reg {

// What the save does with a row: nothing, insert, update by ID, delete by ID.
enum class RowState { Unchanged, New, Changed, Deleted };

// The row state as the grid's hidden column 保存 shows it: "", "1", "2", "3".
QString rowStateText(RowState state);

struct RegisterRow {
    std::optional<qint64> id;   // ID of the stored row; none until the row is saved
    RowState state = RowState::Unchanged;
    // A new row a fresh import replaced before it was ever saved: hidden, never
    // written, its number free.
    bool dropped = false;
    int number = 0;             // 编号
    // Grid columns 1 … 17: 学籍号 (the shown ID), 姓名 … 备注, 住宿 as "是" / "否".
    std::array<QString, kColRemarks> fields;
    // The stored record the row was loaded from (ID, 学籍号 … 备注); empty for a new row.
    // A save writes only the fields that differ from it, and only while the
    // database still holds it.
    QVector<QVariant> stored;

    QString &field(int col) { return fields[std::size_t(col - kColStudentNumber)]; }
    const QString &field(int col) const { return fields[std::size_t(col - kColStudentNumber)]; }
    const QString &studentNumber() const { return field(kColStudentNumber); }
    const QString &name() const { return field(kColName); }
    bool isDeleted() const { return state == RowState::Deleted; }
    // A row the grid shows: neither deleted nor dropped.
    bool isShown() const { return !isDeleted() && !dropped; }

    // The row's 20 grid texts: 编号, the fields, ID, row state.
    QStringList cells() const;

    bool operator==(const RegisterRow &) const = default;
};

// The row of a stored student. `record` holds the register columns in stored
// order (ID, 学籍号 … 备注, as registerColumns()); null values give empty texts.
// 编号 is `number`, 学籍号 the shown ID, 住宿 "是" or "否".
RegisterRow loadedRow(const QVector<QVariant> &record, const QString &classCode, int number);

// The text of grid column col (姓名 … 备注) as the row was loaded: its stored
// record's value shown as loadedRow shows it. Empty for a row without a record.
QString storedText(const RegisterRow &row, int col);

// The class's register as stored (registerColumns(), in table order), numbered
// from 1; no rows for a class without a code; nullopt when the read failed (c.error()).
std::optional<QList<RegisterRow>> readRegisterRows(db::Connection &c, const school::ClassIdentity &identity);

// A new student's row: 编号 = the seat in plain digits (6 for "…06"), the 学籍号,
// 性别 "男", 住宿 "是", state New; every other field empty.
RegisterRow newStudentRow(const QString &studentNumber);

// The seat of a student number as a whole number (0 when it has none).
int seatNumber(const QString &studentNumber);

// The student numbers in use: the 学籍号 of every shown row, in row order (empty
// ones left out). A deleted or dropped row's number is free at once.
QStringList takenNumbers(const QList<RegisterRow> &rows);

// Appends a new student on the class's first free seat. False (nothing added)
// when seats 01 … 99 are all taken.
bool addStudent(QList<RegisterRow> &rows, const QString &classCode);

// Marks row i deleted. False when there is no such row or it is deleted already.
bool deleteStudent(QList<RegisterRow> &rows, int i);

// Puts an edited text into column col (2 … 17) of the row. A stored row is
// changed while a field differs from its stored value (storedText) and unchanged
// again once every field is back to it; a row without its stored record stays
// changed once changed; New and Deleted stay. False when the text is the same.
bool editField(RegisterRow &row, int col, const QString &text);

// Whether a row still has to be written: a new row, a changed row, or a
// deleted row that is stored (has an ID).
bool needsWrite(const RegisterRow &row);
bool hasRegisterChanges(const QList<RegisterRow> &rows);

// The rows the grid shows.
int shownCount(const QList<RegisterRow> &rows);

// A register is saved only when every row to be written (new or changed) has a
// 姓名 (blanks alone are none). The refusal naming the first row without one, in
// row order; empty when there is none.
QString missingNameMessage(const QList<RegisterRow> &rows);

} // namespace tessaly::reg
