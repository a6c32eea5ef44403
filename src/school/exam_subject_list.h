#pragma once
// The subjects of one exam: every exam column of a section table whose
// display name is the chosen one, with the subject it lists.
#include <QList>
#include <QString>
#include <QStringList>

namespace tessaly::grades {

struct ExamSubject {
    QString column;    // the exam column
    QString subject;   // as listed: 语文, or a quiz's name with its subject (一单元语文)
};

// The subject a column lists: a mid-term or final column (first letter Z or M) without its
// first four characters and its last six; a quiz or entrance column without its
// first character and its last six.
QString examSubjectOf(const QString &column);

// The columns from the first scanned column on, in column order, whose name
// holds M, Z, C or R and whose display name (kCanonicalNames) is `examName`.
QList<ExamSubject> examSubjects(const QStringList &columns, const QString &examName);

} // namespace tessaly::grades
