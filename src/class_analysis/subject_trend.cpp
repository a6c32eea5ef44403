#include "class_analysis/subject_trend.h"

#include "db/database.h"
#include "school/class_code.h"
#include "school/exam_columns.h"
#include "school/exam_registry.h"
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
    return school::RankInClass(score(student, exam), present);
}

QString studentItemText(const TrendStudent &student)
{
    return student.name.isEmpty() ? student.shownId : student.shownId + QLatin1Char(' ') + student.name;
}

QString nameOfStudentItem(const QString &itemText)
{
    return itemText.mid(9, 5);
}

SubjectScores gatherSubjectScores(const QStringList &exams, const QVector<school::StudentScores> &records,
                                  const QString &classCode)
{
    SubjectScores out;
    for (const school::StudentScores &record : records)
        out.students.append({school::shownId(classCode, record.studentNumber), record.name});

    // One column of scores per scored exam: -1 where there is none.
    struct Column {
        QString exam;
        QVector<float> scores;
        float sum = 0;
        int participants = 0;
    };
    QList<Column> columns;
    for (int e = 0; e < exams.size(); ++e) {
        Column c{exams[e], QVector<float>(records.size(), kNoScore)};
        for (int r = 0; r < records.size(); ++r) {
            if (const std::optional<double> s = records[r].scores.value(e)) {
                c.scores[r] = float(*s);
                c.sum += float(*s);
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

std::optional<SubjectScores> readSubjectScores(db::Connection &c, const school::ClassIdentity &identity,
                                               const QString &gradeGroup, const QString &className,
                                               const QString &subject)
{
    const QStringList exams = school::FindExamsOfSubject(db::tableColumns(c, identity.sectionTable), subject);
    const auto records = school::readClassScores(c, identity.sectionTable, identity.classCode, exams);
    if (!records)
        return std::nullopt;
    SubjectScores s = gatherSubjectScores(exams, *records, identity.classCode);
    const auto stored = school::readStoredFullMarks(c, identity.sectionTable, s.exams);
    if (!stored)
        return std::nullopt;
    for (int e = 0; e < s.exams.size(); ++e) {
        QList<std::optional<float>> scores;
        for (int i = 1; i <= s.matrix.students(); ++i)
            if (const float v = s.matrix.cell(i, e + 1); v != kNoScore)
                scores << v;
        s.fullMarks << school::examFullMark(stored->of(s.exams[e], gradeGroup, className), scores);
    }
    return s;
}

QString examCountText(int count)
{
    return QStringLiteral("(分析%1次考试情况)").arg(count);
}

} // namespace tessaly::analysis
