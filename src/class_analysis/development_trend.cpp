#include "class_analysis/development_trend.h"

#include "platform/format.h"
#include "school/class_code.h"
#include "school/exam_columns.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessaly::analysis {

namespace {

std::optional<double> scoreOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    // A stored number is taken as it is; a text as it reads.
    switch (value.typeId()) {
    case QMetaType::Double:
        if (const double v = value.toDouble(); std::isfinite(v))
            return v;
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
        return value.toDouble();
    default:
        break;
    }
    bool ok = false;
    const double v = value.toString().trimmed().toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

} // namespace

ClassTotals classTotals(const QStringList &fields, const QVector<QVector<QVariant>> &rows,
                        const QString &classCode)
{
    ClassTotals out;
    // The exam of each field (-1: no exam column).
    QList<int> examOf(fields.size(), -1);
    QHash<QString, int> examIndex;
    for (qsizetype f = score::kFirstScannedColumn; f < fields.size(); ++f) {
        if (!score::isExamColumnName(fields[f]))
            continue;
        const QString shown = score::DecodeExamName(fields[f], score::kTrendNames);
        auto it = examIndex.constFind(shown);
        if (it == examIndex.cend()) {
            it = examIndex.insert(shown, int(out.exams.size()));
            out.exams << shown;
        }
        examOf[f] = *it;
    }
    const int exams = int(out.exams.size());
    const int number = int(fields.indexOf(QStringLiteral("学籍号")));
    const int name = int(fields.indexOf(QStringLiteral("姓名")));

    QList<QList<std::optional<double>>> sums;
    for (const QVector<QVariant> &row : rows) {
        StudentTotals s;
        if (number >= 0 && number < row.size())
            s.shownId = reg::shownId(classCode, row[number].toString());
        if (name >= 0 && name < row.size())
            s.name = row[name].toString();
        QList<std::optional<double>> sum(exams);
        for (qsizetype f = 0; f < fields.size() && f < row.size(); ++f) {
            if (examOf[f] < 0)
                continue;
            if (const auto v = scoreOf(row[f]))
                sum[examOf[f]] = sum[examOf[f]].value_or(0.0) + *v;
        }
        s.totals.resize(exams);
        s.ranks.fill(0, exams);
        for (int e = 0; e < exams; ++e) {
            if (sum[e])
                s.totals[e] = roundedFixed(*sum[e], 1);   // as shown
        }
        sums.append(sum);
        out.students.append(s);
    }

    // A rank is one plus the number of higher totals: those beyond the total's upper
    // bound among the exam's totals sorted.
    std::vector<double> sorted;
    for (int e = 0; e < exams; ++e) {
        sorted.clear();
        for (const StudentTotals &s : std::as_const(out.students))
            if (s.totals[e])
                sorted.push_back(*s.totals[e]);
        std::sort(sorted.begin(), sorted.end());
        int count = 0;
        double sum = 0;
        for (int i = 0; i < out.students.size(); ++i) {
            const std::optional<double> &t = out.students[i].totals[e];
            if (!t)
                continue;
            ++count;
            sum += *sums[i][e];
            out.students[i].ranks[e] = 1 + int(sorted.end() - std::upper_bound(sorted.begin(), sorted.end(), *t));
        }
        out.participants.append(count);
        out.averages.append(count > 0 ? std::optional<double>(sum / count) : std::nullopt);
    }
    return out;
}

QString totalText(const std::optional<double> &total)
{
    return total ? FormatFixed(*total, 1) : QString();
}

QString averageText(const std::optional<double> &average)
{
    return average ? FormatFixed(*average, 2) : QString();
}

QString countText(int count)
{
    return count > 0 ? QString::number(count) : QString();
}

QString examHeader(const QString &displayName)
{
    return displayName.chopped(std::min<qsizetype>(2, displayName.size()));
}

} // namespace tessaly::analysis
