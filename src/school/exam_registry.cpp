#include "school/exam_registry.h"

#include "school/exam_columns.h"

#include <QSqlQuery>

#include <cmath>

namespace tessaly::score {

std::optional<float> parseFullMark(const QString &text)
{
    bool ok = false;
    const float mark = text.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(mark) || mark <= 0.0f || mark > kHighestFullMark)
        return std::nullopt;
    return mark;
}

QString registryTable(const QString &sectionTable)
{
    return sectionTable + QStringLiteral("考试结果");
}

float examFullMark(db::Connection &c, const QString &sectionTable, const QString &column,
                   const QList<std::optional<float>> &scores)
{
    const QString registry = registryTable(sectionTable);
    if (c.ok() && db::isValidIdentifier(registry) && db::tableExists(c, registry)) {
        QSqlQuery rows = c.query(QStringLiteral(R"(SELECT "满分" FROM %1 WHERE "考试名" = ? ORDER BY "ID" DESC)")
                                     .arg(db::quoteIdentifier(registry)),
                                 {column});
        while (rows.next()) {
            if (const std::optional<float> stored = parseFullMark(rows.value(0).toString()))
                return *stored;
        }
    }
    return float(FullMarkOf(scores));
}

} // namespace tessaly::score
