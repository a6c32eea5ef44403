#include "school/exam_subject_list.h"

#include "school/exam_columns.h"

namespace tessaly::grades {

QString examSubjectOf(const QString &column)
{
    // The kind is the first letter: a quiz name may hold Latin capitals.
    const bool term = column.startsWith(QLatin1Char('Z')) || column.startsWith(QLatin1Char('M'));
    const int head = term ? 4 : 1;
    return column.mid(head, std::max(0, int(column.size()) - head - 6));
}

QList<ExamSubject> examSubjects(const QStringList &columns, const QString &examName)
{
    QList<ExamSubject> out;
    for (int i = score::kFirstScannedColumn; i < columns.size(); ++i) {
        const QString &c = columns[i];
        if (score::isExamColumnName(c) && score::DecodeExamName(c, score::kCanonicalNames) == examName)
            out.append({c, examSubjectOf(c)});
    }
    return out;
}

} // namespace tessaly::grades
