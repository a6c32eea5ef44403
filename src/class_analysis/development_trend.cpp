#include "class_analysis/development_trend.h"

#include "db/database.h"
#include "workbook/format.h"
#include "school/class_code.h"
#include "school/exam_columns.h"
#include "school/score_sheet.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tessaly::analysis {

QStringList totalledColumns(const QStringList &fields)
{
    QStringList columns;
    for (qsizetype f = school::kFirstScannedColumn; f < fields.size(); ++f)
        if (school::isExamColumnName(fields[f]))
            columns << fields[f];
    return columns;
}

ClassTotals classTotals(const QStringList &examColumns, const QVector<school::StudentScores> &rows,
                        const QString &classCode)
{
    ClassTotals out;
    // The exam of each column: columns of one display name share it.
    QList<int> examOf;
    QHash<QString, int> examIndex;
    for (const QString &column : examColumns) {
        const QString shown = school::DecodeExamName(column, school::kTrendNames);
        auto it = examIndex.constFind(shown);
        if (it == examIndex.cend()) {
            it = examIndex.insert(shown, int(out.exams.size()));
            out.exams << shown;
        }
        examOf << *it;
    }
    const int exams = int(out.exams.size());
    const int students = int(rows.size());

    // Per student and exam, row after row: the sum of the scores and the total as shown.
    std::vector<std::optional<double>> sums(size_t(students) * size_t(exams));
    out.students.reserve(students);
    for (int i = 0; i < students; ++i) {
        const school::StudentScores &row = rows[i];
        std::optional<double> *sum = sums.data() + size_t(i) * size_t(exams);
        for (qsizetype f = 0; f < examOf.size() && f < row.scores.size(); ++f) {
            if (const std::optional<double> v = row.scores[f])
                sum[examOf[f]] = sum[examOf[f]].value_or(0.0) + *v;
        }
        StudentTotals s;
        s.shownId = school::shownId(classCode, row.studentNumber);
        s.name = row.name;
        s.totals.resize(exams);
        s.ranks.fill(0, exams);
        for (int e = 0; e < exams; ++e) {
            if (sum[e])
                s.totals[e] = roundedFixed(*sum[e], 1);   // as shown
        }
        out.students.append(std::move(s));
    }

    // A rank is one plus the number of higher totals: the place of the first of its
    // equals among the exam's totals from the highest down.
    std::vector<std::pair<double, int>> order;   // (total, student)
    for (int e = 0; e < exams; ++e) {
        order.clear();
        int count = 0;
        double sum = 0;
        for (int i = 0; i < students; ++i) {
            const std::optional<double> &t = std::as_const(out.students)[i].totals[e];
            if (!t)
                continue;
            ++count;
            sum += *sums[size_t(i) * size_t(exams) + size_t(e)];
            order.push_back({*t, i});
        }
        std::sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
        int rank = 0;
        for (size_t k = 0; k < order.size(); ++k) {
            if (k == 0 || order[k - 1].first != order[k].first)
                rank = int(k) + 1;
            out.students[order[k].second].ranks[e] = rank;
        }
        out.participants.append(count);
        out.averages.append(count > 0 ? std::optional<double>(sum / count) : std::nullopt);
    }
    return out;
}

std::optional<ClassTotals> readClassTotals(db::Connection &c, const school::ClassIdentity &identity)
{
    const QStringList columns = totalledColumns(db::tableColumns(c, identity.sectionTable));
    const auto rows = school::readClassScores(c, identity.sectionTable, identity.classCode, columns);
    if (!rows)
        return std::nullopt;
    return classTotals(columns, *rows, identity.classCode);
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
