#include "class_analysis/subject_trend.h"

#include "school/class_code.h"
#include "school/exam_columns.h"
#include "school/score_sheet.h"

namespace tessaly::analysis {

ScoreMatrix::ScoreMatrix(int students, int exams)
    : m_students(students), m_exams(exams), m_cells((students + 3) * (exams + 1), kNoScore)
{
}

int ScoreMatrix::rankOf(int student, int exam) const
{
    QList<float> present;
    for (int i = 0; i < m_students; ++i) {
        const float s = score(i, exam);
        if (s != kNoScore)
            present << s;
    }
    return score::RankInClass(score(student, exam), present);
}

QString studentItemText(const TrendStudent &student)
{
    return student.name.isEmpty() ? student.shownId : student.shownId + QLatin1Char(' ') + student.name;
}

QString nameOfStudentItem(const QString &itemText)
{
    return itemText.mid(9, 5);
}

SubjectScores gatherSubjectScores(const QStringList &fields, const QVector<QVector<QVariant>> &records,
                                  const QString &classCode, const QString &subject)
{
    SubjectScores out;
    const int numberField = int(fields.indexOf(QStringLiteral("学籍号")));
    const int nameField = int(fields.indexOf(QStringLiteral("姓名")));
    for (const QVector<QVariant> &record : records) {
        const QVariant number = record.value(numberField);
        const QVariant name = record.value(nameField);
        out.students.append({reg::shownId(classCode, number.isNull() ? QString() : number.toString()),
                             name.isNull() ? QString() : name.toString()});
    }

    // One column of scores per scored exam: -1 where there is none.
    struct Column {
        QString exam;
        QVector<float> scores;
        float sum = 0;
        int participants = 0;
    };
    QList<Column> columns;
    for (const QString &exam : score::FindExamsOfSubject(fields, subject)) {
        const int field = int(fields.indexOf(exam));
        Column c{exam, QVector<float>(records.size(), kNoScore)};
        for (int r = 0; r < records.size(); ++r) {
            if (const std::optional<float> s = score::storedScore(records[r].value(field))) {
                c.scores[r] = *s;
                c.sum += *s;
                ++c.participants;
            }
        }
        if (c.participants > 0)
            columns << c;
    }

    const int n = int(records.size());
    out.matrix = ScoreMatrix(n, int(columns.size()));
    for (int j = 0; j < columns.size(); ++j) {
        const Column &c = columns[j];
        out.exams << c.exam;
        for (int r = 0; r < n; ++r)
            out.matrix.setCell(r + 1, j + 1, c.scores[r]);
        out.matrix.setCell(n + 1, j + 1, c.sum / float(c.participants));
        out.matrix.setCell(n + 2, j + 1, float(c.participants));
    }
    return out;
}

QString examCountText(int count)
{
    return QStringLiteral("(分析%1次考试情况)").arg(count);
}

} // namespace tessaly::analysis
