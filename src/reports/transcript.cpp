#include "reports/transcript.h"

#include "school/score_sheet.h"
#include "school/standard_score.h"
#include "db/database.h"
#include "db/typed_read.h"
#include "workbook/format.h"

#include <QHash>

#include <algorithm>
#include <bit>
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
    return formatGeneral15(sum);
}

// A score's 原分 text and the decimal value it shows, made once per distinct score:
// the scores of a grade group repeat.
struct ShownScore {
    QString text;
    double value = 0;
};
class ShownScoreCache {
public:
    const ShownScore &of(float score)
    {
        const quint32 key = std::bit_cast<quint32>(score);
        auto it = m_shown.constFind(key);
        if (it == m_shown.cend()) {
            ShownScore shown;
            shown.value = shownSingle(score, &shown.text);
            it = m_shown.insert(key, shown);
        }
        return *it;
    }

private:
    QHash<quint32, ShownScore> m_shown;
};

// The decimal values of a student's scores as their 原分 cells show them.
// `texts`, when given, receives the cells' texts (empty for no score).
using ShownScores = QVector<std::optional<double>>;
ShownScores shownScores(const TranscriptStudent &s, int subjects, ShownScoreCache &cache,
                        QStringList *texts = nullptr)
{
    ShownScores shown(subjects);
    for (int k = 0; k < subjects; ++k) {
        QString text;
        if (k < s.scores.size() && s.scores.at(k)) {
            const ShownScore &score = cache.of(*s.scores.at(k));
            shown[k] = score.value;
            text = score.text;
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

// The prefix with its last character raised: the first text above all that begin with it.
QString successor(const QString &prefix)
{
    QString upper = prefix;
    upper[upper.size() - 1] = QChar(upper.at(upper.size() - 1).unicode() + 1);
    return upper;
}

// "学籍号" >= from and < below, asked on the index.
QString rangeCondition(const QString &from, const QString &below, QVariantList &params)
{
    params << QVariant(from) << QVariant(below);
    const QString number = db::quoteIdentifier(kNumber);
    return QStringLiteral("(%1 >= ? and %1 < ?)").arg(number);
}

// The students whose number begins with the prefix.
QString prefixCondition(const QString &prefix, QVariantList &params)
{
    return rangeCondition(prefix, successor(prefix), params);
}

bool isSectionTable(const QString &table)
{
    return table == school::kTablePrimary || table == school::kTableJunior || table == school::kTableSenior;
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
    // The shown id is the code's first four characters and the number's last four,
    // so only a class code's further characters need comparing.
    const qsizetype further = classCode.size() - 4;
    if (further <= 0)
        return true;
    const QStringView tail = QStringView(studentNumber).right(4);
    return tail.size() >= further && tail.left(further) == QStringView(classCode).mid(4);
}

QString classRanksCaption(const QString &column)
{
    return QStringLiteral("正在统计(%1)的班内名次……").arg(column);
}

namespace {

// The progress panel's state, told to the caller at every step.
struct ProgressTeller {
    const TranscriptProgressFn &fn;
    TranscriptProgress p;
    void tell() const
    {
        if (fn)
            fn(p);
    }
};

// What the reading pass keeps for the later passes: per subject the sums of the
// shown values, of their squares and their count; per row of the clicked class
// (grade group) its total and scores in single precision, for the ranks.
struct ReadScores {
    QVector<double> sums, squares;
    QVector<int> counts;
    QVector<float> totals;
    QVector<QVector<float>> scores;
};

// Reading: the rows of the clicked class (grade group) with their scores and totals.
ReadScores readRows(const TranscriptInput &input, int n, Transcript &t, ShownScoreCache &cache,
                    ProgressTeller &progress)
{
    TranscriptProgress &p = progress.p;
    ReadScores read{QVector<double>(n, 0), QVector<double>(n, 0), QVector<int>(n, 0), {}, {}};
    p.caption = kReadingCaption;
    p.bar1Max = int(input.students.size()) + 1;
    progress.tell();
    for (const TranscriptStudent &s : input.students) {
        ++p.bar1;
        progress.tell();
        if (!inOwnClass(input.classCode, s.studentNumber))
            continue;
        TranscriptRow row;
        if (!s.studentNumber.isEmpty())
            row.shownId = input.classCode.left(4) + s.studentNumber.right(4);
        row.name = s.name;
        row.subjects.resize(n);
        QVector<float> rowScores(n, 0);
        QStringList texts;
        const ShownScores shown = shownScores(s, n, cache, &texts);
        for (int k = 0; k < n; ++k) {
            if (!shown[k])
                continue;
            const double value = *shown[k];
            row.subjects[k].score = texts[k];
            rowScores[k] = *s.scores.at(k);
            read.sums[k] += value;
            read.squares[k] += value * value;
            ++read.counts[k];
        }
        // Only a student without any score has no total.
        const ScoreTotal total = totalOf(shown);
        if (total.any)
            row.total = sumText(total.sum);
        read.totals << total.rankValue();
        read.scores << rowScores;
        t.rows << row;
    }
    return read;
}

// Summaries: the average and deviation as shown are those of the standard scores.
void summarise(const ReadScores &read, int n, Transcript &t, QVector<float> &averages, QVector<float> &deviations)
{
    averages.fill(0, n);
    deviations.fill(0, n);
    for (int k = 0; k < n; ++k) {
        if (read.counts[k] == 0)
            continue;
        SubjectSummary &s = t.summaries[k];
        s.stdDev = FormatFixed(school::populationStdDev(read.counts[k], read.sums[k], read.squares[k]), 2);
        s.participants = (k % 2 == 1 ? QStringLiteral(" ") : QString()) + QString::number(read.counts[k]);
        s.average = FormatFixed(read.sums[k] / read.counts[k], 2);
        averages[k] = s.average.toFloat();
        deviations[k] = s.stdDev.toFloat();
    }
}

// Ranks within the rows, for the total and then each subject: the class rank among
// the rows of the same class number, the grade rank among all rows; with the
// standard scores.
void rankRows(const TranscriptInput &input, const ReadScores &read, const QVector<float> &averages,
              const QVector<float> &deviations, Transcript &t, ProgressTeller &progress)
{
    TranscriptProgress &p = progress.p;
    const int n = int(input.subjects.size());
    const int rows = int(t.rows.size());
    // Each row's class as an index, for its class's values.
    QVector<int> classOf(rows);
    QHash<QString, int> classIndex;
    for (int r = 0; r < rows; ++r) {
        const QString part = classPart(t.rows[r].shownId);
        auto it = classIndex.constFind(part);
        if (it == classIndex.cend())
            it = classIndex.insert(part, int(classIndex.size()));
        classOf[r] = *it;
    }
    // Rank texts, made once: a rank is at most the row count.
    QVector<QString> rankText(rows + 1);
    for (int i = 1; i <= rows; ++i)
        rankText[i] = QString::number(i);
    // One plus the number of strictly higher values.
    p.bar2 = 4;
    p.bar1 = 0;
    p.bar1Max = 2 + rows + 3;
    std::vector<std::pair<float, int>> order;   // (value, row)
    std::vector<int> gradeRank(static_cast<size_t>(rows)), classRank(static_cast<size_t>(rows));
    std::vector<int> counted(static_cast<size_t>(classIndex.size()));                 // per class: values ranked
    std::vector<std::pair<float, int>> classLast(static_cast<size_t>(classIndex.size()));   // and the last (value, row)
    auto rank = [&](const QString &column, auto hasValue, auto valueOf, auto setRanks) {
        p.caption = classRanksCaption(column);
        p.bar1 = 0;
        progress.tell();
        // The values from the highest down: a value's rank is one plus the place of
        // the first of its equals, in the grade and in its class.
        order.clear();
        for (int r = 0; r < rows; ++r)
            if (hasValue(r))
                order.push_back({valueOf(r), r});
        std::sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
        std::fill(counted.begin(), counted.end(), 0);
        for (size_t i = 0; i < order.size(); ++i) {
            const auto [v, r] = order[i];
            const bool tie = i > 0 && order[i - 1].first == v;
            gradeRank[r] = tie ? gradeRank[order[i - 1].second] : int(i) + 1;
            const int c = classOf[r];
            const bool classTie = counted[c] > 0 && classLast[c].first == v;
            classRank[r] = classTie ? classRank[classLast[c].second] : counted[c] + 1;
            ++counted[c];
            classLast[c] = {v, r};
        }
        for (int r = 0; r < rows; ++r) {
            p.bar1 = r + 2;
            progress.tell();
            if (hasValue(r))
                setRanks(r, classRank[r], gradeRank[r]);
        }
        ++p.bar2;
        progress.tell();
    };
    rank(QStringLiteral("总分"), [&](int r) { return !t.rows[r].total.isEmpty(); },
         [&](int r) { return read.totals[r]; },
         [&](int r, int c, int g) {
             t.rows[r].classRank = rankText[c];
             t.rows[r].gradeRank = rankText[g];
         });
    // A subject's standard score texts, made once per distinct score.
    QHash<quint32, QString> standards;
    for (int k = 0; k < n; ++k) {
        standards.clear();
        rank(input.subjects.at(k), [&](int r) { return !t.rows[r].subjects[k].score.isEmpty(); },
             [&](int r) { return read.scores[r][k]; },
             [&](int r, int c, int g) {
                 SubjectCells &cells = t.rows[r].subjects[k];
                 cells.classRank = rankText[c];
                 cells.gradeRank = rankText[g];
                 const float score = read.scores[r][k];
                 auto it = standards.constFind(std::bit_cast<quint32>(score));
                 if (it == standards.cend())
                     it = standards.insert(std::bit_cast<quint32>(score),
                                           school::standardScoreText(score, averages[k], deviations[k]));
                 cells.standard = *it;
             });
    }
}

// A class: the comparable classes' students raise the grade ranks.
void addComparableRanks(const TranscriptInput &input, const ReadScores &read, Transcript &t,
                        ShownScoreCache &cache, ProgressTeller &progress)
{
    TranscriptProgress &p = progress.p;
    const int n = int(input.subjects.size());
    const int rows = int(t.rows.size());
    p.caption = kGradeRanksCaption;
    p.bar1 = 0;
    p.bar1Max = int(input.students.size()) + 1;
    progress.tell();
    QVector<int> totalRaise(rows, 0);
    QVector<QVector<int>> subjectRaise(rows, QVector<int>(n, 0));
    QVector<QVector<bool>> has(rows, QVector<bool>(n, false));
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < n; ++k)
            has[r][k] = !t.rows[r].subjects[k].score.isEmpty();
    for (const TranscriptStudent &other : input.students) {
        ++p.bar1;
        progress.tell();
        if (inOwnClass(input.classCode, other.studentNumber))
            continue;
        const ShownScores otherShown = shownScores(other, n, cache);
        for (int r = 0; r < rows; ++r) {
            for (int k = 0; k < n; ++k) {
                const std::optional<float> v = k < other.scores.size() ? other.scores.at(k) : std::nullopt;
                if (v && has[r][k] && *v > read.scores[r][k])
                    ++subjectRaise[r][k];
            }
            // His total over the subjects the row's student has.
            const ScoreTotal running = totalOf(otherShown, &has[r]);
            if (running.any && !t.rows[r].total.isEmpty() && read.totals[r] < running.rankValue())
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

} // namespace

Transcript computeTranscript(const TranscriptInput &input, const TranscriptProgressFn &progress)
{
    const int n = int(input.subjects.size());
    Transcript t;
    t.summaries.resize(n);
    ProgressTeller teller{progress, {}};
    teller.p.bar2Max = n + 6;

    ShownScoreCache shown;
    const ReadScores read = readRows(input, n, t, shown, teller);
    teller.p.bar2 = 3;
    teller.tell();
    QVector<float> averages, deviations;
    summarise(read, n, t, averages, deviations);
    rankRows(input, read, averages, deviations, t, teller);
    teller.p.bar2 = teller.p.bar2Max;
    if (input.classCode.size() != 6)
        teller.tell();
    else
        addComparableRanks(input, read, t, shown, teller);
    return t;
}

school::Statement transcriptQuery(const QString &sectionTable, const QString &classCode,
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
    if (school::isClassCode(classCode))
        codes << classCode;
    for (const QString &code : comparableCodes)
        if (school::isClassCode(code) && !codes.contains(code))
            codes << code;
    if (codes.isEmpty())
        return {};
    // One range of the 学籍号 index from the lowest class to the highest (the classes
    // of a cohort lie side by side), and within it the rows of the classes asked for.
    const auto [lowest, highest] = std::minmax_element(codes.cbegin(), codes.cend());
    school::Statement s;
    QString condition = rangeCondition(*lowest, successor(*highest), s.params);
    if (codes.size() > 1) {
        condition += QStringLiteral(" and substr(%1, 1, 6) in (%2)")
                         .arg(db::quoteIdentifier(kNumber), QStringLiteral("?, ").repeated(codes.size() - 1) + u'?');
        for (const QString &code : codes)
            s.params << code;
    }
    s.sql = QStringLiteral("select %1 from %2 where %3 order by %4 asc")
                .arg(columns.join(QLatin1Char(',')), db::quoteIdentifier(sectionTable), condition,
                     db::quoteIdentifier(kNumber));
    return s;
}

school::Statement cohortStudentsQuery(const QString &sectionTable, const QString &classCode)
{
    if (!isSectionTable(sectionTable) || !isDigits(classCode)
        || (classCode.size() != 4 && classCode.size() != 6))
        return {};
    school::Statement s;
    const QString condition = prefixCondition(classCode, s.params);
    s.sql = QStringLiteral("select %1,%2 from %3 where %4 order by %1 asc")
                .arg(db::quoteIdentifier(kNumber), db::quoteIdentifier(kName),
                     db::quoteIdentifier(sectionTable), condition);
    return s;
}

std::optional<QVector<CohortStudent>> readCohortStudents(db::Connection &c, const QString &sectionTable,
                                                         const QString &classCode)
{
    const school::Statement query = cohortStudentsQuery(sectionTable, classCode);
    if (!query.isValid())
        return QVector<CohortStudent>{};
    return db::readRows<CohortStudent>(c, query.sql, query.params, [](const QSqlQuery &q) {
        return CohortStudent{db::textOf(q, 0), db::textOf(q, 1)};
    });
}

std::optional<QVector<TranscriptStudent>> readTranscriptStudents(db::Connection &c, const QString &sectionTable,
                                                                 const QString &classCode,
                                                                 const QStringList &comparableCodes,
                                                                 const QStringList &examColumns)
{
    const school::Statement query = transcriptQuery(sectionTable, classCode, comparableCodes, examColumns);
    if (!query.isValid())
        return QVector<TranscriptStudent>{};
    return db::readEngineRows<TranscriptStudent>(c, query.sql, query.params, [&](const db::EngineRow &r) {
        TranscriptStudent s{r.text(0), r.text(1), {}};
        s.scores.reserve(examColumns.size());
        for (int k = 0; k < examColumns.size(); ++k)
            s.scores << school::storedScore(r, 2 + k);
        return s;
    });
}

} // namespace tessaly::reports
