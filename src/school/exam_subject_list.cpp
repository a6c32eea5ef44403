#include "school/exam_subject_list.h"

#include "school/exam_columns.h"

namespace tessaly::school {

QList<ExamSubject> examSubjects(const QStringList &columns, const QString &examName)
{
    QList<ExamSubject> out;
    for (int i = kFirstScannedColumn; i < columns.size(); ++i) {
        const ExamColumn c = ExamColumn::parse(columns[i]);
        if (c.isExam() && c.displayName(kCanonicalNames) == examName)
            out.append({c.raw, c.listedSubject()});
    }
    return out;
}

} // namespace tessaly::school
