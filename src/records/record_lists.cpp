#include "records/record_lists.h"

#include <QRegularExpression>

namespace tessaly::records {

QString recordSubject(const QString &displayName)
{
    // 04-05(上)初一张三 10月15日: the grade prefix, the subject, one blank, the date.
    static const QRegularExpression name(QStringLiteral(R"(^\d+-\d+\((?:上|下)\)..(.+) \d\d月\d\d日$)"));
    const QRegularExpressionMatch m = name.match(displayName);
    return m.hasMatch() ? m.captured(1) : QString();
}

QVector<Document> listedRecords(const QVector<Document> &rows, const QString &gradeGroup, const QString &subject)
{
    QVector<Document> listed;
    for (const Document &d : rows) {
        if (!inGradeSection(d.displayName, gradeGroup))
            continue;
        if (!subject.isEmpty() && recordSubject(d.displayName) != subject)
            continue;
        listed << d;
    }
    return listed;
}

QString classRecordCountText(int count)
{
    return QStringLiteral("本班所有行为记录(%1)条").arg(count);
}

QString studentRecordCountText(const QString &student, int count)
{
    return QLatin1Char('(') + student + QStringLiteral(")的行为记录(%1)条").arg(count);
}

} // namespace tessaly::records
