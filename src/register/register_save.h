#pragma once
// Writing the register grid of one class to its section table.
#include "kit/save_report.h"
#include "platform/database.h"
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
    QList<GridRow> vanished;
};

// Writes the rows by their row state, all in one transaction:
//   "1"  inserted: 学籍号 from column 1, 姓名 … 备注 from columns 2 … 17;
//   "2"  updated by ID: 姓名 … 备注 (学籍号 and the run-time columns stay);
//   "3"  deleted by ID; a row without ID was never stored and is dropped;
//   ""   nothing.
// 住宿 is stored 1 for "是", 0 for anything else. Updates and deletes touch only
// rows whose 学籍号 still begins with classCode. Deletes run first, then updates,
// then inserts, so a number freed by a deletion may be taken by a new row.
// A new row whose number does not belong to the class, or is used by a stored
// student already, fails the save. On failure nothing is written and `error`
// tells why. With nothing to write no transaction is opened.
RegisterSaveOutcome SaveRegister(db::Connection &c, const QString &sectionTable, const QString &classCode,
                         const QList<GridRow> &rows);

} // namespace tessaly::reg
