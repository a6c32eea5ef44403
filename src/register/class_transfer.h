#pragma once
// Class transfer: students of other classes of the grade group are taken into a
// class by giving their rows new student numbers of that class. The row itself
// stays, with its ID, register data, scores and evaluations.
#include "kit/save_report.h"
#include "db/database.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly::reg {

// A student of a source class as the transfer lists and queues it.
struct TransferEntry {
    qint64 id = 0;
    QString sourceCode;   // class code of the class the student was listed from
    QString text;         // the list entry: ID, a blank, 姓名
};

// The list entry of a student: the ID, one blank, the name.
QString transferEntryText(qint64 id, const QString &name);
// Appended to a source-list entry once the student is queued.
inline const QString kQueuedMark = QStringLiteral("(需导入)");

// The students of a source class as the transfer lists them (ID and name, in
// table order); none for a class without a code; nullopt when the read failed.
std::optional<QList<TransferEntry>> readTransferSources(db::Connection &c, const QString &sectionTable,
                                                        const QString &classCode);

// Whether a queue already holds the student.
bool isQueued(const QList<TransferEntry> &queue, qint64 id);

struct TransferOutcome : SaveOutcome {
    QList<TransferEntry> moved;        // in queue order
    QStringList numbers;               // new 学籍号 of moved[i]
    QList<TransferEntry> vanished;     // no longer students of their source class: left alone
};

// Renumbers the queued students into the class `targetCode`, all in one
// transaction. In queue order, each student still in its source class takes
// the first free seat of the receiving class: free of every number stored for
// that class and of `taken` (the numbers the window holds). Only 学籍号 changes.
// A student no longer in its source class (deleted or moved meanwhile) is left
// alone and reported in `vanished`; a student queued twice moves once.
// No free seat left, a source class equal to the receiving class, or a failed
// write fails the whole transfer: nothing is written.
TransferOutcome SaveClassTransfer(db::Connection &c, const QString &sectionTable, const QString &targetCode,
                                  const QList<TransferEntry> &queue, const QStringList &taken = {});

} // namespace tessaly::reg
