#pragma once
// The subjects of one exam: every exam column of a section table whose
// display name is the chosen one, with the subject it lists (ExamColumn::listedSubject).
#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::school {

struct ExamSubject {
    QString column;    // the exam column
    QString subject;   // as listed: 语文, or a quiz's name with its subject (一单元语文)
};

// The columns from the first scanned column on, in column order, whose name
// holds M, Z, C or R and whose display name (kCanonicalNames) is `examName`.
QList<ExamSubject> examSubjects(const QStringList &columns, const QString &examName);

} // namespace tessaly::school
