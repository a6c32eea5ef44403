#include "class_analysis/development_trend.h"

#include "platform/format.h"
#include "school/class_code.h"
#include "school/exam_columns.h"

namespace tessaly::analysis {

namespace {

std::optional<double> scoreOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
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
    for (qsizetype f = score::kFirstScannedColumn; f < fields.size(); ++f) {
        if (!score::isExamColumnName(fields[f]))
            continue;
        const QString shown = score::DecodeExamName(fields[f], score::kTrendNames);
        qsizetype e = out.exams.indexOf(shown);
        if (e < 0) {
            e = out.exams.size();
            out.exams << shown;
        }
        examOf[f] = int(e);
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
                s.totals[e] = totalText(sum[e]).toDouble();   // as shown
        }
        sums.append(sum);
        out.students.append(s);
    }

    for (int e = 0; e < exams; ++e) {
        int count = 0;
        double sum = 0;
        for (int i = 0; i < out.students.size(); ++i) {
            const std::optional<double> &t = out.students[i].totals[e];
            if (!t)
                continue;
            ++count;
            sum += *sums[i][e];
            int rank = 1;
            for (const StudentTotals &other : std::as_const(out.students)) {
                if (other.totals[e] && *other.totals[e] > *t)
                    ++rank;
            }
            out.students[i].ranks[e] = rank;
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
