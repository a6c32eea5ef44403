#include "score_entry/entry_statistics.h"

#include "workbook/format.h"
#include "school/exam_columns.h"

#include <QStringList>

namespace tessaly::score {

namespace {

float threshold(float fullMark, double fraction)
{
    return float(double(fullMark) * fraction);
}

QString rate(int count, int participants)
{
    return FormatFixed(double(count * 100) / participants, 2);
}

} // namespace

EntryStatistics entryStatistics(const QList<school::ScoreRow> &rows, float fullMark)
{
    EntryStatistics s;
    QList<float> values;
    values.reserve(rows.size());
    for (const school::ScoreRow &row : rows)
        if (row.score)
            values << float(*row.score);

    const float excellent = threshold(fullMark, 0.9);
    s.excellentLine = excellent;
    const float good = threshold(fullMark, 0.85);
    const float pass = threshold(fullMark, 0.6);
    s.ranks.reserve(rows.size());
    for (const school::ScoreRow &row : rows) {
        if (!row.score) {
            s.ranks << 0;
            continue;
        }
        const float v = float(*row.score);
        s.excellent += v >= excellent;
        s.good += v >= good;
        s.pass += v >= pass;
        ++s.participants;
        s.ranks << school::RankInClass(v, values);
        s.total += v;
    }
    return s;
}

QString statisticsPanelText(const EntryStatistics &s, const QString &fullMarkText)
{
    const int n = s.participants;
    const float average = n ? s.total / n : 0.0f;
    const QStringList lines{
        QString(),
        QStringLiteral("　　　本次考试情况统计如下"),
        QString(),
        QStringLiteral("参试人数:%1人").arg(n),
        QStringLiteral("试题满分:%1分").arg(fullMarkText),
        school::excellentCountCaption(s.excellentLine) + QStringLiteral(":%1人").arg(s.excellent),
        QStringLiteral("优 秀 率:%1%").arg(rate(s.excellent, n)),
        QStringLiteral("优良人数:%1人").arg(s.good),
        QStringLiteral("优 良 率:%1%").arg(rate(s.good, n)),
        QStringLiteral("及格人数:%1人").arg(s.pass),
        QStringLiteral("及 格 率:%1%").arg(rate(s.pass, n)),
        QStringLiteral("总    分:%1分").arg(FormatFixed(s.total, 2)),
        QStringLiteral("平 均 分:%1分").arg(FormatFixed(average, 2)),
    };
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace tessaly::score
