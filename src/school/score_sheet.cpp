#include "school/score_sheet.h"

#include "workbook/format.h"
#include "db/typed_read.h"

#include <cmath>

namespace tessaly::school {

namespace {

enum SheetField { kFieldId, kFieldNumber, kFieldName, kFieldSex, kFieldNation, kFieldScore };

QString text(const QVector<QVariant> &record, int field)
{
    return field < record.size() && !record[field].isNull() ? record[field].toString() : QString();
}

ScoreRow scoreRowOf(const QVector<QVariant> &record, const QString &classCode, bool withScores)
{
    ScoreRow row;
    row.id = record.value(kFieldId).toLongLong();
    row.studentNumber = text(record, kFieldNumber);
    row.shownId = shownId(classCode, row.studentNumber);
    row.name = text(record, kFieldName);
    row.sex = text(record, kFieldSex);
    if (withScores) {
        row.loaded = record.value(kFieldScore);
        if (!row.loaded.isValid())
            row.loaded = QVariant(QMetaType(QMetaType::Double));
        row.score = storedValue(row.loaded);
    }
    return row;
}

} // namespace

QString examHeader(const QString &subject)
{
    return QStringLiteral("^ 编 号 |^ 学 籍 号 |^  姓   名  |^ 性别 |>%1成绩|^ 班级名次|　ID |保存").arg(subject);
}

Statement scoreSheetQuery(const QString &sectionTable, const QString &classCode, const QString &examColumn)
{
    QStringList columns{QStringLiteral("ID"), QStringLiteral("学籍号"), QStringLiteral("姓名"),
                        QStringLiteral("性别"), QStringLiteral("民族")};
    if (!examColumn.isEmpty())
        columns << examColumn;
    return classMembersQuery(sectionTable, classCode, columns);
}

std::optional<float> storedScore(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const float score = value.toFloat(&ok);
    if (!ok || !std::isfinite(score))
        return std::nullopt;
    return score;
}

std::optional<float> storedScore(const db::EngineRow &row, int column)
{
    if (row.isNull(column))
        return std::nullopt;
    if (!row.isNumber(column))
        return storedScore(row.value(column));
    const float score = float(row.number(column));
    return std::isfinite(score) ? std::optional<float>(score) : std::nullopt;
}

std::optional<double> storedValue(const db::EngineRow &row, int column)
{
    if (row.isNull(column))
        return std::nullopt;
    if (!row.isNumber(column))
        return storedValue(row.value(column));
    const double v = row.number(column);
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::optional<double> storedValue(const QVariant &value)
{
    if (value.isNull())
        return std::nullopt;
    bool ok = false;
    const double v = value.typeId() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok)
                                                          : value.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QList<ScoreRow> scoreRowsFrom(const QVector<QVector<QVariant>> &records, const QString &classCode, bool withScores)
{
    QList<ScoreRow> rows;
    rows.reserve(records.size());
    for (const QVector<QVariant> &record : records)
        rows << scoreRowOf(record, classCode, withScores);
    return rows;
}

std::optional<QVector<StudentScores>> readClassScores(db::Connection &c, const QString &sectionTable,
                                                      const QString &classCode, const QStringList &examColumns)
{
    const Statement query = classMembersQuery(
        sectionTable, classCode, QStringList{QStringLiteral("学籍号"), QStringLiteral("姓名")} + examColumns);
    if (!query.isValid())
        return QVector<StudentScores>{};
    return db::readEngineRows<StudentScores>(c, query.sql, query.params, [&](const db::EngineRow &r) {
        StudentScores row{r.text(0), r.text(1), {}};
        row.scores.reserve(examColumns.size());
        for (int e = 0; e < examColumns.size(); ++e)
            row.scores << storedValue(r, 2 + e);
        return row;
    });
}

std::optional<QList<ScoreRow>> readScoreSheet(db::Connection &c, const QString &sectionTable,
                                              const QString &classCode, const QString &examColumn)
{
    const Statement sheet = scoreSheetQuery(sectionTable, classCode, examColumn);
    if (!sheet.isValid())
        return QList<ScoreRow>();
    const bool withScores = !examColumn.isEmpty();
    const int fields = withScores ? kFieldScore + 1 : kFieldScore;
    return db::readRows<ScoreRow>(c, sheet.sql, sheet.params, [&](const QSqlQuery &q) {
        QVector<QVariant> record(fields);
        for (int i = 0; i < fields; ++i)
            record[i] = q.value(i);
        return scoreRowOf(record, classCode, withScores);
    });
}

QString shownScoreText(const std::optional<double> &score)
{
    return score ? formatSingle(float(*score)) : QString();
}

QStringList gridTexts(const ScoreRow &row, int number)
{
    QStringList cells(kScoreGridCols);
    cells[kColNumber] = QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
    cells[kColShownId] = row.shownId;
    cells[kColName] = row.name;
    cells[kColSex] = row.sex;
    cells[kColScore] = shownScoreText(row.score);
    cells[kColRank] = row.rank;
    cells[kColId] = QString::number(row.id);
    cells[kColRowState] = row.state;
    return cells;
}

QList<std::optional<float>> scoresOf(const QList<ScoreRow> &rows)
{
    QList<std::optional<float>> scores;
    scores.reserve(rows.size());
    for (const ScoreRow &row : rows)
        scores << shownScore(row.score);
    return scores;
}

} // namespace tessaly::school
