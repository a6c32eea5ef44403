#include "reports/score_report.h"

#include "grade_analysis/subject_statistics.h"

#include <algorithm>

namespace tessaly::reports {

using namespace grades;

QString scoreReportHeader()
{
    QString header = kStatisticsHeader;
    header.replace(QStringLiteral("|>及格率％|"), QStringLiteral("|^及格率％|"));
    header.replace(QStringLiteral("|>优秀率％|"), QStringLiteral("|^优秀率％|"));
    return header;
}

QString wrappableHeader(const QString &header)
{
    QString shown = header;
    shown.replace(QStringLiteral("│"), QStringLiteral("\u200B│\u200B"));
    return shown;
}

ReportBox reportBox(int index)
{
    switch (index) {
    case 0: return {QStringLiteral("打印教师名"), {kStatTeacher}, {820}};
    case 1: return {QStringLiteral("打印班级总人数"), {kStatStudents}, {300}};
    case 2: return {QStringLiteral("打印参加考试人数"), {kStatParticipants}, {300}};
    case 3: return {QStringLiteral("打印班级平均分"), {kStatAverage}, {630}};
    case 4: return {QStringLiteral("打印各科标准分"), {kStatStandard}, {450}};
    case 5: return {QStringLiteral("打印及格人数及格率"), {kStatPassCount, kStatPassRate}, {300, 450}};
    case 6: return {QStringLiteral("打印优秀人数优秀率"), {kStatExcellentCount, kStatExcellentRate}, {300, 450}};
    case 7: return {QStringLiteral("打印班内最高最低数"), {kStatHighest, kStatLowest}, {630, 630}};
    case 8: {
        ReportBox box{QStringLiteral("打印分数段人数"), {}, {}};
        for (int b = 0; b < kBandCount; ++b) {
            box.columns << kStatFirstBand + b;
            box.widths << 350;
        }
        return box;
    }
    case 9: {
        ReportBox box{QStringLiteral("打印前几名平均分"), {}, {}};
        for (size_t k = 0; k < kTopCounts.size(); ++k) {
            box.columns << kStatFirstTop + int(k);
            box.widths << 630;
        }
        return box;
    }
    default: return {};
    }
}

ReportOrder reportOrderOf(const QList<QStringList> &rows)
{
    return !rows.isEmpty() && rows.first().value(kStatSubject) == QStringLiteral("班级") ? ReportOrder::ByClass
                                                                                         : ReportOrder::BySubject;
}

QList<QStringList> arrangeReport(const QList<QStringList> &rows, ReportOrder order)
{
    if (rows.isEmpty() || reportOrderOf(rows) == order)
        return rows;
    auto swapped = [](QStringList row) {
        while (row.size() < 2)
            row << QString();
        row.swapItemsAt(kStatSubject, kStatClass);
        return row;
    };

    int width = 0;
    for (const QStringList &row : rows)
        width = std::max(width, int(row.size()));
    QList<QList<QStringList>> blocks;
    QList<QStringList> block;
    for (int r = 1; r < rows.size(); ++r) {
        if (rows[r].value(kStatSubject).isEmpty()) {
            if (!block.isEmpty())
                blocks << block;
            block.clear();
        } else {
            block << rows[r];
        }
    }
    if (!block.isEmpty())
        blocks << block;

    qsizetype longest = 0;
    for (const QList<QStringList> &b : blocks)
        longest = std::max(longest, b.size());
    QList<QStringList> out{swapped(rows.first())};
    QStringList blank;
    for (int c = 0; c < width; ++c)
        blank << QString();
    for (qsizetype k = 0; k < longest; ++k) {
        for (const QList<QStringList> &b : blocks)
            if (k < b.size())
                out << swapped(b[k]);
        out << blank;
    }
    return out;
}

} // namespace tessaly::reports
