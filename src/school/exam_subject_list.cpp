#include "school/exam_subject_list.h"

#include "school/exam_columns.h"

namespace tessaly::grades {

QList<ExamSubject> examSubjects(const QStringList &columns, const QString &examName)
{
    QList<ExamSubject> out;
    for (int i = score::kFirstScannedColumn; i < columns.size(); ++i) {
        const score::ExamColumn c = score::ExamColumn::parse(columns[i]);
        if (c.isExam() && c.displayName(score::kCanonicalNames) == examName)
            out.append({c.raw, c.listedSubject()});
    }
    return out;
}

} // namespace tessaly::grades
