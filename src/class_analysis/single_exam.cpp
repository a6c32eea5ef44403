#include "class_analysis/single_exam.h"

#include "widgets/chart_surface.h"
#include "workbook/format.h"
#include "school/exam_columns.h"

#include <algorithm>

namespace tessaly::analysis {

namespace {

// A sort key as the grid's generic order reads it: a number or a text.
struct GenericKey {
    bool empty = false;
    bool number = false;
    double value = 0;
    QString text;
};

GenericKey genericKey(const QString &text)
{
    GenericKey k;
    const QString t = text.trimmed();
    k.empty = text.isEmpty();
    bool ok = false;
    const double v = t.toDouble(&ok);
    k.number = ok && !t.isEmpty() && !t.contains(QLatin1Char('e'), Qt::CaseInsensitive);
    k.value = v;
    k.text = text;
    return k;
}

// Empty < numbers (by value) < other texts (by text).
bool genericLess(const GenericKey &a, const GenericKey &b)
{
    const auto rankOf = [](const GenericKey &k) { return k.empty ? 0 : k.number ? 1 : 2; };
    if (rankOf(a) != rankOf(b))
        return rankOf(a) < rankOf(b);
    if (a.number)
        return a.value < b.value;
    return a.text < b.text;
}

template <class Key>
void stableSortBy(QList<ExamRow> &rows, Key key)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const ExamRow &a, const ExamRow &b) { return genericLess(key(a), key(b)); });
}

QString rate(int count, int participants)
{
    return FormatFixed(100.0 * count / participants, 2);
}

} // namespace

QStringList examRowTexts(const ExamRow &row)
{
    QStringList cells(kSingleExamCols);
    cells[kColNumber] = QStringLiteral("%1").arg(row.number, 2, 10, QLatin1Char('0'));
    cells[kColShownId] = row.shownId;
    cells[kColName] = row.name;
    cells[kColScore] = row.score ? formatSingle(*row.score) : QString();
    cells[kColRank] = row.rank;
    cells[kColRankKey] = row.rankKey;
    return cells;
}

std::optional<float> parseFullMarkBox(const QString &text)
{
    bool ok = false;
    const float f = text.trimmed().toFloat(&ok);
    if (!ok || !(f >= 1.0f) || !(f < 155.0f))
        return std::nullopt;
    return f;
}

int bandCountOf(float fullMark)
{
    const int bands = chart::roundEven(chart::roundEven(fullMark) / 10.0);
    return std::clamp(bands, 1, 15);
}

int bandOf(float score, int bands)
{
    for (int k = 1; k <= bands; ++k)
        if (score < 10.0f * k)
            return k;
    return bands;
}

ExamStatistics analyseExam(QList<ExamRow> &rows, float fullMark)
{
    ExamStatistics s;
    s.fullMark = fullMark;
    s.bands = bandCountOf(fullMark);
    s.students = int(rows.size());

    QList<float> scores;
    for (const ExamRow &row : rows)
        if (row.score)
            scores << *row.score;

    // Thresholds are fractions of the full mark rounded to single precision.
    const float excellent = float(0.85 * fullMark);
    s.excellentLine = excellent;
    const float good = float(0.75 * fullMark);
    const float pass = float(0.6 * fullMark);
    int number = 0;
    for (ExamRow &row : rows) {
        row.number = ++number;
        if (!row.score) {
            row.rank.clear();
            continue;
        }
        const float v = *row.score;
        ++s.band[bandOf(v, s.bands)];
        const int level = v >= excellent ? 0 : v >= good ? 1 : v >= pass ? 2 : 3;
        ++s.levels[level];
        ++s.participants;
        row.rank = QString::number(school::RankInClass(v, scores));
        s.sum += v;
    }
    s.average = s.participants ? s.sum / float(s.participants) : 0.0f;
    return s;
}

QString examSummaryText(const ExamStatistics &s, const QString &fullMarkText)
{
    const int n = s.participants;
    const int a = s.levels[0];
    const int ab = a + s.levels[1];
    const int abc = s.passed();
    QString text = QStringLiteral("　　本考总体情况：总人数:%1人；参试人数:%2人；试题满分:%3分；总 分:%4分；平均分:%5分；")
                       .arg(s.students)
                       .arg(n)
                       .arg(fullMarkText, FormatFixed(s.sum, 2), FormatFixed(s.average, 2));
    text += school::excellentCountCaption(s.excellentLine)
        + QStringLiteral(":%1人；优 秀 率:%2%；良好人数:%3人；优 良 率:%4%；及格人数:%5人；及 格 率:%6%。")
                .arg(a)
                .arg(rate(a, n))
                .arg(ab)
                .arg(rate(ab, n))
                .arg(abc)
                .arg(rate(abc, n));
    text += QStringLiteral("\r\n　　每个分数段的统计：");
    for (int k = 1; k <= s.bands; ++k)
        text += QStringLiteral("%1－%2段内:%3人；").arg((k - 1) * 10).arg(k * 10).arg(s.band[k]);
    return text;
}

void sortByShownIdText(QList<ExamRow> &rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const ExamRow &a, const ExamRow &b) {
        return a.shownId.compare(b.shownId, Qt::CaseInsensitive) < 0;
    });
}

void sortByShownIdGeneric(QList<ExamRow> &rows)
{
    stableSortBy(rows, [](const ExamRow &r) { return genericKey(r.shownId); });
}

void sortByRank(QList<ExamRow> &rows)
{
    for (ExamRow &row : rows)
        row.rankKey = row.rank.isEmpty() ? QStringLiteral("90000") : row.rank;
    stableSortBy(rows, [](const ExamRow &r) { return genericKey(r.rankKey); });
}

Standing standingOf(const ExamRow &row, const QList<ExamRow> &rows)
{
    Standing s;
    if (!row.score)
        return s;
    for (const ExamRow &other : rows) {
        if (!other.score)
            continue;
        if (*other.score > *row.score)
            ++s.above;
        else if (*other.score < *row.score)
            ++s.below;
    }
    return s;
}

} // namespace tessaly::analysis
