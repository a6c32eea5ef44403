#pragma once
// Rows of the register grid as plain data: what the grid shows for a stored
// student, what a new student's row holds, and what a save has to write.
#include "register/register_grid.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace tessaly::reg {

// One grid row: kRegisterGridCols texts (编号, 学籍号, 姓名 … 备注, ID, row state).
using GridRow = QStringList;

// The row of a stored student. `record` holds the register columns in stored
// order (ID, 学籍号 … 备注, as registerColumns()); null values give empty cells.
// 编号 is `number`, 学籍号 the shown ID, 住宿 "是" or "否", ID in column 18 and an
// empty row state.
GridRow loadedRow(const QVector<QVariant> &record, const QString &classCode, int number);

// A new student's row: 编号 = the seat in plain digits ("6"), the 学籍号,
// 性别 "男", 住宿 "是", row state "1"; every other cell empty.
GridRow newStudentRow(const QString &studentNumber);

// The seat of a student number as a whole number (0 when it has none).
int seatNumber(const QString &studentNumber);

// Whether a row still has to be written: a new row, a changed row, or a
// deleted row that is stored (has an ID).
bool needsWrite(const GridRow &row);
bool hasRegisterChanges(const QList<GridRow> &rows);

} // namespace tessaly::reg
