#include "grade_analysis/subject_statistics.h"

#include "school/fixed_lists.h"
#include "workbook/format.h"
#include "widgets/units.h"
#include "school/exam_columns.h"
#include "school/exam_registry.h"
#include "school/score_sheet.h"
#include "db/typed_read.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QSqlQuery>
#include <algorithm>
#include <functional>

namespace tessaly::grades {

namespace {

int bandOf(float score)
{
    if (score > 119)
        return 5;
    if (score > 99)
        return 4;
    if (score > 89)
        return 3;
    if (score > 79)
        return 2;
    if (score > 59)
        return 1;
    return 0;
}

QString teacherKey(const QString &className, const QString &subject)
{
    return className + QLatin1Char('\n') + subject;
}

} // namespace

QString missingChoice(bool examChosen, int selectedSubjects, int selectedClasses, const QString &noClassText)
{
    if (!examChosen)
        return kNoExamChosen;
    if (selectedSubjects <= 0)
        return kNoSubjectChosen;
    if (selectedClasses <= 0)
        return noClassText;
    return {};
}

int fittedHeaderWidth(const QFont &gridFont, const QString &header, int twips)
{
    QFont bold = gridFont;
    bold.setBold(true);
    const QFontMetrics fm(bold);
    const int room = 2 * 4 + 1;
    const int height = twipsToPixels(kStatisticsHeaderHeight) - 4;
    int width = twipsToPixels(twips);
    auto fits = [&] {
        const QRect r = fm.boundingRect(QRect(0, 0, width - room, 1000), Qt::TextWordWrap, header);
        return r.height() <= height && r.width() <= width - room;
    };
    while (width < 200 && !fits())
        width += 2;
    return pixelsToTwips(width);
}

std::optional<float> ClassStatisticsRow::average() const
{
    if (participants == 0)
        return std::nullopt;
    return sum / float(participants);
}

QString formatScore(float value, int decimals)
{
    return formatSingleFixed(value, decimals);
}

ClassStatisticsRow classStatistics(const QList<std::optional<float>> &scores, float fullMark)
{
    ClassStatisticsRow row;
    row.hasRecords = !scores.isEmpty();
    row.students = int(scores.size());
    row.fullMark = fullMark;

    QList<float> given;
    for (const std::optional<float> &s : scores) {
        if (s)
            given.append(*s);
    }
    // Highest first: the running sum gives the top-N sums on the way.
    std::sort(given.begin(), given.end(), std::greater<float>());
    const float passLine = row.fullMark * 3 / 5;
    const float excellentLine = row.fullMark * 4 / 5;
    for (const float s : given) {
        ++row.participants;
        row.sum += s;
        for (size_t t = 0; t < kTopCounts.size(); ++t) {
            if (row.participants == kTopCounts[t])
                row.topAverages[t] = row.sum / float(kTopCounts[t]);
        }
        if (s >= passLine)
            ++row.passCount;
        if (s >= excellentLine)
            ++row.excellentCount;
        ++row.bands[size_t(bandOf(s))];
    }
    if (!given.isEmpty()) {
        row.highest = given.first();
        row.lowest = given.last();
    }
    return row;
}

QStringList statisticsRowTexts(const ClassStatisticsRow &row)
{
    QStringList t;
    for (int c = 0; c < kStatisticsCols; ++c)
        t << QString();
    t[kStatSubject] = row.subject;
    t[kStatClass] = row.className;
    t[kStatTeacher] = row.teacher;
    if (!row.hasRecords)
        return t;
    t[kStatStudents] = QString::number(row.students);
    t[kStatParticipants] = QString::number(row.participants);
    for (int b = 0; b < kBandCount; ++b)
        t[kStatFirstBand + b] = QString::number(row.bands[size_t(b)]);
    if (row.participants == 0)
        return t;
    t[kStatAverage] = formatScore(*row.average(), 2);
    t[kStatPassCount] = QString::number(row.passCount);
    t[kStatPassRate] = FormatFixed(double(row.passCount) * 100 / row.participants, 1);
    t[kStatExcellentCount] = QString::number(row.excellentCount);
    t[kStatExcellentRate] = FormatFixed(double(row.excellentCount) * 100 / row.participants, 1);
    t[kStatHighest] = formatScore(row.highest, 1);
    t[kStatLowest] = formatScore(row.lowest, 1);
    for (size_t k = 0; k < row.topAverages.size(); ++k) {
        if (row.topAverages[k])
            t[kStatFirstTop + int(k)] = formatScore(*row.topAverages[k], 2);
    }
    return t;
}

QString classNameOfItem(const QString &classItem)
{
    return classItem.section(QLatin1Char(' '), 0, 0);
}

school::Statement teachingRowsQuery(const QString &gradeGroup)
{
    return {QStringLiteral("select \"名称\", \"其它\", \"其次\" from \"教导处\" where \"类别\" = ? and \"对应内容\" = ? "
                           "order by \"id\""),
            {QStringLiteral("任课"), gradeGroup}};
}

school::Statement classScoresQuery(const QString &sectionTable, const QString &classCode,
                                const QStringList &examColumns)
{
    if (examColumns.isEmpty())
        return {};
    return school::classMembersQuery(sectionTable, classCode, examColumns);
}

StatisticsFill fillStatistics(db::Connection &c, const StatisticsRequest &request, const StatisticsProgress &progress)
{
    if (!c.ok())
        return {{}, false, c.error()};
    StatisticsFill fill;

    // The first teacher of each class and subject.
    QHash<QString, QString> teachers;
    {
        const school::Statement q = teachingRowsQuery(request.gradeGroup);
        QSqlQuery rows = c.query(q.sql, q.params);
        if (!rows.isActive()) {
            fill.error = c.error();
            return fill;
        }
        while (rows.next()) {
            const QString key = teacherKey(rows.value(1).toString(), rows.value(2).toString());
            if (!teachers.contains(key))
                teachers.insert(key, rows.value(0).toString());
        }
        if (!db::finishRead(c, rows)) {
            fill.error = c.error();
            return fill;
        }
    }

    // Each class's scores in every subject: scores[class][subject].
    QStringList columns;
    QList<int> columnOf;   // the query column of each subject, -1 when its name is not valid
    for (const StatisticsSubject &s : request.subjects) {
        if (db::isValidIdentifier(s.examColumn)) {
            columnOf.append(int(columns.size()));
            columns.append(s.examColumn);
        } else {
            columnOf.append(-1);
        }
    }
    QList<QList<QList<std::optional<float>>>> scores;
    for (const QString &className : request.classes) {
        QList<QList<std::optional<float>>> ofClass(request.subjects.size());
        const int number = school::classNumber(className);
        const school::Statement q =
            number > 0 ? classScoresQuery(request.sectionTable, school::formatClassCode(request.cohortYear, number), columns)
                       : school::Statement{};
        if (q.isValid()) {
            const bool read = c.readEach(q.sql, q.params, [&](const db::EngineRow &row) {
                for (int s = 0; s < request.subjects.size(); ++s) {
                    if (columnOf[s] >= 0)
                        ofClass[s].append(school::storedScore(row, columnOf[s]));
                }
            });
            if (!read) {
                fill.error = c.error();
                return fill;
            }
        }
        scores.append(ofClass);
    }

    // The stored full marks of the requested exams, read once.
    const std::optional<school::StoredFullMarks> stored = school::readStoredFullMarks(c, request.sectionTable, columns);
    if (!stored) {
        fill.error = c.error();
        return fill;
    }

    for (int s = 0; s < request.subjects.size(); ++s) {
        const QString &subject = request.subjects[s].name;
        if (progress)
            progress(s, subject);
        for (int k = 0; k < request.classes.size(); ++k) {
            const float fullMark = school::examFullMark(
                stored->of(request.subjects[s].examColumn, request.gradeGroup, request.classes[k]), scores[k][s]);
            ClassStatisticsRow row = classStatistics(scores[k][s], fullMark);
            row.subject = subject;
            row.className = request.classes[k];
            row.teacher = teachers.value(teacherKey(row.className, subject));
            if (!row.hasRecords)
                fill.anyEmptyRow = true;
            fill.rows.append(row);
        }
        fill.rows.append(std::nullopt);
    }
    return fill;
}

QString statisticsProgressText(const QString &subject)
{
    return QStringLiteral("正在统计(") + subject + QStringLiteral(")分数……");
}

} // namespace tessaly::grades
