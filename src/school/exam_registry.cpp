#include "school/exam_registry.h"

#include "school/exam_columns.h"

#include "db/typed_read.h"

#include <QSet>
#include <QSqlQuery>

#include <cmath>

namespace tessaly::school {

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

namespace {

QString gradeGroupKey(const QString &column, const QString &gradeGroup)
{
    return column + QLatin1Char('\n') + gradeGroup.trimmed();
}

QString classKey(const QString &column, const QString &gradeGroup, const QString &className)
{
    return gradeGroupKey(column, gradeGroup) + QLatin1Char('\n') + className.trimmed();
}

// More columns than this are read with the whole registry rather than one value each.
constexpr qsizetype kMostBoundColumns = 200;

} // namespace

std::optional<float> StoredFullMarks::of(const QString &column, const QString &gradeGroup,
                                         const QString &className) const
{
    if (const auto own = m_classes.constFind(classKey(column, gradeGroup, className)); own != m_classes.cend())
        return *own;
    if (const auto group = m_gradeGroups.constFind(gradeGroupKey(column, gradeGroup)); group != m_gradeGroups.cend())
        return *group;
    return std::nullopt;
}

void StoredFullMarks::add(const QString &column, const QString &gradeGroup, const QString &className, float fullMark)
{
    const QString own = classKey(column, gradeGroup, className);
    if (!m_classes.contains(own))
        m_classes.insert(own, fullMark);
    const QString group = gradeGroupKey(column, gradeGroup);
    if (!m_gradeGroups.contains(group))
        m_gradeGroups.insert(group, fullMark);
}

std::optional<StoredFullMarks> readStoredFullMarks(db::Connection &c, const QString &sectionTable,
                                                   const QStringList &columns)
{
    StoredFullMarks marks;
    const QString registry = registryTable(sectionTable);
    if (columns.isEmpty() || !db::isValidIdentifier(registry))
        return marks;
    if (!c.ok())
        return std::nullopt;
    if (!db::tableExists(c, registry))
        return marks;

    QString sql = QStringLiteral(R"(SELECT "年级组", "班级名", "考试名", "满分" FROM %1)").arg(db::quoteIdentifier(registry));
    QVariantList params;
    if (columns.size() <= kMostBoundColumns) {
        sql += QStringLiteral(R"( WHERE "考试名" IN (?%1))").arg(QStringLiteral(",?").repeated(columns.size() - 1));
        for (const QString &column : columns)
            params << column;
    }
    sql += QStringLiteral(R"( ORDER BY "ID" DESC)");
    struct Row {
        QString gradeGroup, className, column;
        std::optional<float> fullMark;
    };
    const auto rows = db::readRows<Row>(c, sql, params, [](const QSqlQuery &q) {
        return Row{db::textOf(q, 0), db::textOf(q, 1), db::textOf(q, 2), parseFullMark(db::textOf(q, 3))};
    });
    if (!rows)
        return std::nullopt;
    const QSet<QString> wanted(columns.cbegin(), columns.cend());
    for (const Row &row : *rows) {
        if (row.fullMark && wanted.contains(row.column))
            marks.add(row.column, row.gradeGroup, row.className, *row.fullMark);
    }
    return marks;
}

float examFullMark(const std::optional<float> &stored, const QList<std::optional<float>> &scores)
{
    return stored ? *stored : float(FullMarkOf(scores));
}

} // namespace tessaly::school
