#include "school/class_code.h"

#include "school/fixed_lists.h"
#include "db/database.h"

namespace tessaly::school {

const QStringList &registerColumns()
{
    static const QStringList columns = {
        QStringLiteral("ID"), QStringLiteral("学籍号"), QStringLiteral("姓名"), QStringLiteral("性别"),
        QStringLiteral("民族"), QStringLiteral("政治面貌"), QStringLiteral("出生日期"),
        QStringLiteral("户口性质"), QStringLiteral("原毕业学校"), QStringLiteral("住宿"),
        QStringLiteral("联系电话"), QStringLiteral("籍贯"), QStringLiteral("家庭住址"),
        QStringLiteral("特长"), QStringLiteral("家长姓名"), QStringLiteral("与生关系"),
        QStringLiteral("家长单位"), QStringLiteral("备注"),
    };
    return columns;
}

int gradeOf(const QString &gradeGroup)
{
    const QString name = gradeGroup.trimmed();
    if (!gradeGroupNames().contains(name))
        return 0;
    static const QString numerals = QStringLiteral("一二三四五六");
    int grade = 0;
    for (int i = 0; i < numerals.size(); ++i)
        if (name.contains(numerals[i]))
            grade = i + 1;
    return grade;
}

QString sectionTableOf(const QString &gradeGroup)
{
    const QString name = gradeGroup.trimmed();
    if (!gradeGroupNames().contains(name))
        return QString();
    if (name.contains(QStringLiteral("初")))
        return kTableJunior;
    if (name.contains(QStringLiteral("高")))
        return kTableSenior;
    return kTablePrimary;
}

int cohortYear(int grade, const QDate &today)
{
    return today.month() > 8 ? today.year() - (grade - 1) : today.year() - grade;
}

int schoolYearStart(const QDate &today)
{
    return today.month() >= 8 ? today.year() : today.year() - 1;
}

QString formatClassCode(int cohortYear, int classNumber)
{
    return QStringLiteral("%1%2").arg(cohortYear, 4, 10, QLatin1Char('0'))
        .arg(classNumber, 2, 10, QLatin1Char('0'));
}

ClassIdentity ResolveClassCode(const QString &gradeGroup, const QString &className, const QDate &today)
{
    const int grade = gradeOf(gradeGroup);
    const int number = classNumber(className);
    if (grade == 0 || number == 0 || !today.isValid())
        return {};
    ClassIdentity id;
    id.sectionTable = sectionTableOf(gradeGroup);
    id.cohortYear = cohortYear(grade, today);
    id.classNumber = number;
    id.classCode = formatClassCode(id.cohortYear, number);
    return id;
}

bool isClassCode(const QString &code)
{
    if (code.size() != 6)
        return false;
    for (QChar c : code)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QString shownId(const QString &classCode, const QString &studentNumber)
{
    if (studentNumber.isEmpty())
        return QString();
    return classCode.left(4) + studentNumber.right(4);
}

QString seatOf(const QString &studentNumber)
{
    return studentNumber.right(2);
}

std::optional<QString> firstFreeSeat(const QString &classCode, const QStringList &taken)
{
    if (!isClassCode(classCode))
        return std::nullopt;
    for (int seat = 1; seat <= 99; ++seat) {
        const QString candidate = classCode + QStringLiteral("%1").arg(seat, 2, 10, QLatin1Char('0'));
        if (!taken.contains(candidate))
            return candidate;
    }
    return std::nullopt;
}

Statement classCondition(const QString &classCode)
{
    if (!isClassCode(classCode))
        return {};
    // Every text beginning with the code sorts at or after it and before the code
    // with its last character raised by one; no other text does.
    QString successor = classCode;
    successor.back() = QChar(successor.back().unicode() + 1);
    const QString number = db::quoteIdentifier(QStringLiteral("学籍号"));
    return {QStringLiteral("%1 >= ? and %1 < ?").arg(number), {QVariant(classCode), QVariant(successor)}};
}

Statement classMembersQuery(const QString &sectionTable, const QString &classCode, const QStringList &columns)
{
    if (sectionTable != kTablePrimary && sectionTable != kTableJunior && sectionTable != kTableSenior)
        return {};
    const Statement inClass = classCondition(classCode);
    if (!inClass.isValid())
        return {};
    QStringList quoted;
    for (const QString &column : columns) {
        if (!db::isValidIdentifier(column))
            return {};
        quoted << db::quoteIdentifier(column);
    }
    const QString list = quoted.isEmpty() ? QStringLiteral("*") : quoted.join(QLatin1Char(','));
    const QString number = db::quoteIdentifier(QStringLiteral("学籍号"));
    Statement s;
    s.sql = QStringLiteral("select %1 from %2 where %3 order by %4 asc")
                .arg(list, db::quoteIdentifier(sectionTable), inClass.sql, number);
    s.params = inClass.params;
    return s;
}

} // namespace tessaly::school
