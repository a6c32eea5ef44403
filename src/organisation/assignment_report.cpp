#include "organisation/assignment_report.h"

#include "organisation/organisation_save.h"
#include "school/school_tables.h"
#include "db/database.h"
#include "workbook/gbk.h"
#include "db/typed_read.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

namespace tessaly::organisation {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kIndent = QStringLiteral("　　");   // two full-width blanks

QString text(const QSqlQuery &q, int field)
{
    const QVariant v = q.value(field);
    return v.isNull() ? QString() : v.toString();
}

// The rows of one grade group of one kind, in table order; false when the query failed.
bool rowsOf(db::Connection &c, const QString &gradeGroup, const QString &kind,
            const std::function<void(const QSqlQuery &)> &each)
{
    QSqlQuery q = c.query(QStringLiteral(R"(select "名称","其它","其次" from "教导处" where "对应内容"=? AND "类别"=?)"),
                          {gradeGroup, kind});
    if (!q.isActive())
        return false;
    while (q.next())
        each(q);
    return db::finishRead(c, q);
}

AssignmentReport failed(db::Connection &c)
{
    return {QString(), c.error().text.isEmpty() ? QStringLiteral("查询教导处失败。") : c.error().text};
}

// The grade-group names in table order into `names`; or, when there are none or
// the query failed, the report to give instead: the notice, or the failure.
std::optional<AssignmentReport> gradeGroups(db::Connection &c, const QString &notice, QStringList &names)
{
    const std::optional<QStringList> stored = readGradeGroupNames(c);
    if (!stored)
        return failed(c);
    names = *stored;
    if (names.isEmpty())
        return AssignmentReport{notice, {}};
    return std::nullopt;
}

} // namespace

AssignmentReport BuildHeadTeacherReport(db::Connection &c)
{
    QStringList groups;
    if (std::optional<AssignmentReport> instead = gradeGroups(c, kNoGradeGroupHeadTeachers, groups))
        return *instead;

    QString out = QStringLiteral("　　　　　　　各年级组班主任分工表") + kCrLf;
    for (const QString &group : groups) {
        out += group + QLatin1Char(':') + kCrLf;
        const bool ok = rowsOf(c, group, school::kKindClass, [&out](const QSqlQuery &q) {
            const QString name = text(q, 0);
            const QString actualName = text(q, 1);
            const QString headTeacher = text(q, 2);
            if (!name.isEmpty())
                out += kIndent + PadToBytes(name, 8);
            if (!actualName.isEmpty())
                out += kIndent + PadToBytes(actualName, 8);
            if (!headTeacher.isEmpty())
                out += kIndent + PadToBytes(headTeacher, 8);
            else
                out += QStringLiteral("无班主任信息");
            out += kCrLf;
        });
        if (!ok)
            return failed(c);
    }
    return {out, {}};
}

AssignmentReport BuildTeacherReport(db::Connection &c)
{
    QStringList groups;
    if (std::optional<AssignmentReport> instead = gradeGroups(c, kNoGradeGroupTeachers, groups))
        return *instead;

    // First pass: the class names of every grade group.
    QList<QStringList> classes;
    for (const QString &group : groups) {
        QStringList names;
        if (!rowsOf(c, group, school::kKindClass, [&names](const QSqlQuery &q) { names.append(text(q, 0)); }))
            return failed(c);
        classes.append(names);
    }

    QString out = QStringLiteral("　　　　　各年级组各班任课教师分工表") + kCrLf;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        for (const QString &className : classes[g]) {
            out += kCrLf;
            out += groups[g] + QLatin1Char('(') + className + QStringLiteral("):") + kCrLf;
            QSqlQuery q = c.query(
                QStringLiteral(R"(select "名称","其次" from "教导处" where "对应内容"=? AND "类别"=? AND "其它"=?)"),
                {groups[g], school::kKindTeaching, className});
            if (!q.isActive())
                return failed(c);
            int row = 0;
            while (q.next()) {
                ++row;
                const QString teacher = text(q, 0);
                const QString subject = text(q, 1);
                if (!teacher.isEmpty())
                    out += kIndent + PadToBytes(teacher, 8);
                if (!subject.isEmpty())
                    out += QLatin1Char(' ') + PadToBytes(subject, 9);
                if (row % 2 == 0)
                    out += kCrLf;
            }
            if (!db::finishRead(c, q))
                return failed(c);
            if (row == 0)
                out += kIndent + QStringLiteral("无教师信息");
        }
    }
    return {out, {}};
}

} // namespace tessaly::organisation
