#include "reports/transcript.h"

#include "school/standard_score.h"
#include "platform/database.h"
#include "platform/format.h"

#include <QHash>

#include <algorithm>
#include <vector>

namespace tessaly::reports {

namespace {

const QString kNumber = QStringLiteral("学籍号");
const QString kName = QStringLiteral("姓名");

// The class number of a shown student number (characters 5 and 6).
QString classPart(const QString &shownId)
{
    return shownId.mid(4, 2);
}

// A sum of decimal values in general number form.
QString sumText(double sum)
{
    return QString::number(sum, 'g', 15);
}

// The decimal values of a student's scores as their 原分 cells show them.
// `texts`, when given, receives the cells' texts (empty for no score).
using ShownScores = QVector<std::optional<double>>;
ShownScores shownScores(const TranscriptStudent &s, int subjects, QStringList *texts = nullptr)
{
    ShownScores shown(subjects);
    for (int k = 0; k < subjects; ++k) {
        QString text;
        if (k < s.scores.size() && s.scores.at(k)) {
            text = formatSingle(*s.scores.at(k));
            shown[k] = text.toDouble();
        }
        if (texts)
            *texts << text;
    }
    return shown;
}

// A student's total: his shown values in the subjects `counted` holds (every
// subject without it), added. Ranks compare it in single precision, so every
// total is made here, the same way, and equal totals tie.
struct ScoreTotal {
    bool any = false;   // a score among the subjects: a total of 0 is a total
    double sum = 0;
    float rankValue() const { return float(sum); }
};

ScoreTotal totalOf(const ShownScores &shown, const QVector<bool> *counted = nullptr)
{
    ScoreTotal t;
    for (int k = 0; k < shown.size(); ++k) {
        if (!shown.at(k) || (counted && !counted->at(k)))
            continue;
        t.any = true;
        t.sum += *shown.at(k);
    }
    return t;
}

// "学籍号" >= prefix and < prefix with its last character raised: the students
// whose number begins with the prefix, asked on the index.
QString prefixCondition(const QString &prefix, QVariantList &params)
{
    QString upper = prefix;
    upper[upper.size() - 1] = QChar(upper.at(upper.size() - 1).unicode() + 1);
    params << QVariant(prefix) << QVariant(upper);
    const QString number = db::quoteIdentifier(kNumber);
    return QStringLiteral("(%1 >= ? and %1 < ?)").arg(number);
}

bool isSectionTable(const QString &table)
{
    return table == reg::kTablePrimary || table == reg::kTableJunior || table == reg::kTableSenior;
}

bool isDigits(const QString &text)
{
    for (QChar c : text)
        if (!c.isDigit())
            return false;
    return !text.isEmpty();
}

} // namespace

bool inOwnClass(const QString &classCode, const QString &studentNumber)
{
    const QString id = classCode.left(4) + studentNumber.right(4);
    return id.left(classCode.size()) == classCode;
}

QString classRanksCaption(const QString &column)
{
    return QStringLiteral("正在统计(%1)的班内名次……").arg(column);
}

Transcript computeTranscript(const TranscriptInput &input, const TranscriptProgressFn &progress)
{
    const int n = int(input.subjects.size());
    const int fetched = int(input.students.size());
    Transcript t;
    t.summaries.resize(n);
    TranscriptProgress p;
    p.bar2Max = n + 6;
    auto tell = [&] {
        if (progress)
            progress(p);
    };

    // Reading: scores, totals and each subject's sums.
    QVector<double> sums(n, 0), squares(n, 0);
    QVector<int> counts(n, 0);
    QVector<float> totals;            // single precision, for the ranks
    QVector<QVector<float>> scores;   // the rows' scores as shown
    p.caption = kReadingCaption;
    p.bar1Max = fetched + 1;
    tell();
    for (const TranscriptStudent &s : input.students) {
        ++p.bar1;
        tell();
        if (!inOwnClass(input.classCode, s.studentNumber))
            continue;
        TranscriptRow row;
        if (!s.studentNumber.isEmpty())
            row.shownId = input.classCode.left(4) + s.studentNumber.right(4);
        row.name = s.name;
        row.subjects.resize(n);
        QVector<float> rowScores(n, 0);
        QStringList texts;
        const ShownScores shown = shownScores(s, n, &texts);
        for (int k = 0; k < n; ++k) {
            if (!shown[k])
                continue;
            const double value = *shown[k];
            row.subjects[k].score = texts[k];
            rowScores[k] = *s.scores.at(k);
            sums[k] += value;
            squares[k] += value * value;
            ++counts[k];
        }
        // Only a student without any score has no total.
        const ScoreTotal total = totalOf(shown);
        if (total.any)
            row.total = sumText(total.sum);
        totals << total.rankValue();
        scores << rowScores;
        t.rows << row;
    }

    // Summaries: the average and deviation as shown are those of the standard scores.
    p.bar2 = 3;
    tell();
    QVector<float> averages(n, 0), deviations(n, 0);
    for (int k = 0; k < n; ++k) {
        if (counts[k] == 0)
            continue;
        SubjectSummary &s = t.summaries[k];
        s.stdDev = FormatFixed(grades::populationStdDev(counts[k], sums[k], squares[k]), 2);
        s.participants = (k % 2 == 1 ? QStringLiteral(" ") : QString()) + QString::number(counts[k]);
        s.average = FormatFixed(sums[k] / counts[k], 2);
        averages[k] = s.average.toFloat();
        deviations[k] = s.stdDev.toFloat();
    }

    // Ranks within the rows: the class rank among the rows of the same class number.
    const int rows = int(t.rows.size());
    QVector<QString> classOf(rows);
    for (int r = 0; r < rows; ++r)
        classOf[r] = classPart(t.rows[r].shownId);
    // One plus the number of strictly higher values: the values sorted once, a
    // rank is the count beyond the value's upper bound.
    p.bar2 = 4;
    p.bar1 = 0;
    p.bar1Max = 2 + rows + 3;
    auto rank = [&](const QString &column, auto hasValue, auto valueOf, auto setRanks) {
        p.caption = classRanksCaption(column);
        p.bar1 = 0;
        tell();
        std::vector<float> all;
        QHash<QString, std::vector<float>> byClass;
        for (int r = 0; r < rows; ++r) {
            if (!hasValue(r))
                continue;
            all.push_back(valueOf(r));
            byClass[classOf[r]].push_back(valueOf(r));
        }
        std::sort(all.begin(), all.end());
        for (auto &values : byClass)
            std::sort(values.begin(), values.end());
        auto higher = [](const std::vector<float> &sorted, float v) {
            return int(sorted.end() - std::upper_bound(sorted.begin(), sorted.end(), v));
        };
        for (int r = 0; r < rows; ++r) {
            p.bar1 = r + 2;
            tell();
            if (!hasValue(r))
                continue;
            const float v = valueOf(r);
            setRanks(r, 1 + higher(byClass[classOf[r]], v), 1 + higher(all, v));
        }
        ++p.bar2;
        tell();
    };
    rank(QStringLiteral("总分"), [&](int r) { return !t.rows[r].total.isEmpty(); }, [&](int r) { return totals[r]; },
         [&](int r, int c, int g) {
             t.rows[r].classRank = QString::number(c);
             t.rows[r].gradeRank = QString::number(g);
         });
    for (int k = 0; k < n; ++k) {
        rank(input.subjects.at(k), [&](int r) { return !t.rows[r].subjects[k].score.isEmpty(); },
             [&](int r) { return scores[r][k]; },
             [&](int r, int c, int g) {
                 SubjectCells &cells = t.rows[r].subjects[k];
                 cells.classRank = QString::number(c);
                 cells.gradeRank = QString::number(g);
                 cells.standard = grades::standardScoreText(scores[r][k], averages[k], deviations[k]);
             });
    }

    // A class: the comparable classes' students add to the grade ranks.
    p.bar2 = p.bar2Max;
    if (input.classCode.size() != 6) {
        tell();
    } else {
        p.caption = kGradeRanksCaption;
        p.bar1 = 0;
        p.bar1Max = fetched + 1;
        tell();
        QVector<int> totalRaise(rows, 0);
        QVector<QVector<int>> subjectRaise(rows, QVector<int>(n, 0));
        QVector<QVector<bool>> has(rows, QVector<bool>(n, false));
        for (int r = 0; r < rows; ++r)
            for (int k = 0; k < n; ++k)
                has[r][k] = !t.rows[r].subjects[k].score.isEmpty();
        for (const TranscriptStudent &other : input.students) {
            ++p.bar1;
            tell();
            if (inOwnClass(input.classCode, other.studentNumber))
                continue;
            const ShownScores otherShown = shownScores(other, n);
            for (int r = 0; r < rows; ++r) {
                for (int k = 0; k < n; ++k) {
                    const std::optional<float> v = k < other.scores.size() ? other.scores.at(k) : std::nullopt;
                    if (v && has[r][k] && *v > scores[r][k])
                        ++subjectRaise[r][k];
                }
                // His total over the subjects the row's student has.
                const ScoreTotal running = totalOf(otherShown, &has[r]);
                if (running.any && !t.rows[r].total.isEmpty() && totals[r] < running.rankValue())
                    ++totalRaise[r];
            }
        }
        for (int r = 0; r < rows; ++r) {
            TranscriptRow &row = t.rows[r];
            if (!row.gradeRank.isEmpty())
                row.gradeRank = QString::number(row.gradeRank.toInt() + totalRaise[r]);
            for (int k = 0; k < n; ++k)
                if (!row.subjects[k].gradeRank.isEmpty())
                    row.subjects[k].gradeRank = QString::number(row.subjects[k].gradeRank.toInt() + subjectRaise[r][k]);
        }
    }
    return t;
}

reg::Statement transcriptQuery(const QString &sectionTable, const QString &classCode,
                               const QStringList &comparableCodes, const QStringList &examColumns)
{
    if (!isSectionTable(sectionTable))
        return {};
    QStringList columns{db::quoteIdentifier(kNumber), db::quoteIdentifier(kName)};
    for (const QString &column : examColumns) {
        if (!db::isValidIdentifier(column))
            return {};
        columns << db::quoteIdentifier(column);
    }
    QStringList codes;
    if (reg::isClassCode(classCode))
        codes << classCode;
    for (const QString &code : comparableCodes)
        if (reg::isClassCode(code) && !codes.contains(code))
            codes << code;
    if (codes.isEmpty())
        return {};
    reg::Statement s;
    QStringList conditions;
    for (const QString &code : codes)
        conditions << prefixCondition(code, s.params);
    s.sql = QStringLiteral("select %1 from %2 where %3 order by %4 asc")
                .arg(columns.join(QLatin1Char(',')), db::quoteIdentifier(sectionTable),
                     conditions.join(QStringLiteral(" or ")), db::quoteIdentifier(kNumber));
    return s;
}

reg::Statement cohortStudentsQuery(const QString &sectionTable, const QString &classCode)
{
    if (!isSectionTable(sectionTable) || !isDigits(classCode)
        || (classCode.size() != 4 && classCode.size() != 6))
        return {};
    reg::Statement s;
    const QString condition = prefixCondition(classCode, s.params);
    s.sql = QStringLiteral("select %1,%2 from %3 where %4 order by %1 asc")
                .arg(db::quoteIdentifier(kNumber), db::quoteIdentifier(kName),
                     db::quoteIdentifier(sectionTable), condition);
    return s;
}

} // namespace tessaly::reports
