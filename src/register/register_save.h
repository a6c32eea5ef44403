#pragma once
// Writing the register rows of one class to its section table.
#include "kit/save_report.h"
#include "db/database.h"
#include "register/register_rows.h"

#include <QList>
#include <QString>

namespace tessaly::reg {

struct RegisterSaveOutcome : SaveOutcome {
    int inserted = 0;
    int updated = 0;
    int deleted = 0;
    // Changed rows whose ID is no longer a student of the class (deleted or moved
    // meanwhile, from another computer say): their changes had nowhere to go.
    QList<RegisterRow> vanished;
    // The IDs the inserted rows were given, in the order of the new rows.
    QList<qint64> insertedIds;
};

// Writes the rows by their row state, all in one transaction:
//   New        inserted: 学籍号, 姓名 … 备注;
//   Changed    updated by ID: only the fields of 姓名 … 备注 that differ from the
//              loaded record, and only while the database still holds their loaded
//              values; a row another user changed meanwhile fails the save
//              (db::kErrRowChanged, naming the student). 学籍号 and the run-time
//              columns stay;
//   Deleted    deleted by ID; a row without ID was never stored and is dropped;
//   Unchanged  nothing.
// 住宿 is stored 1 for "是", 0 for anything else. Updates and deletes touch only
// rows whose 学籍号 still begins with classCode. Deletes run first, then updates,
// then inserts, so a number freed by a deletion may be taken by a new row.
// A new row whose number does not belong to the class, or is used by a stored
// student already, fails the save. A new or changed row without a 姓名 fails
// it before anything is written (missingNameMessage). On failure nothing is
// written and `error` tells why. With nothing to write no transaction is opened.
RegisterSaveOutcome SaveRegister(db::Connection &c, const QString &sectionTable, const QString &classCode,
                                 const QList<RegisterRow> &rows);

// The stored record (ID, 学籍号 … 备注, as registerColumns()) a save leaves for a
// written row: its loaded 学籍号 (a new row's own), its 姓名 … 备注 as bound.
QVector<QVariant> writtenRecord(const RegisterRow &row, std::optional<qint64> id);

} // namespace tessaly::reg
