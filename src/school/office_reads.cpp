#include "school/office_reads.h"

#include "db/typed_read.h"
#include "school/school_tables.h"

namespace tessaly::school {

std::optional<QVector<QString>> adminPasswords(db::Connection &c)
{
    return db::readRows<QString>(c, QStringLiteral(R"(select "密码" from "教导处" where "名称"=?)"), {kAdminName},
                                 [](const QSqlQuery &q) { return db::textOf(q, 0); });
}

std::optional<QVector<QString>> gradeGroupNames(db::Connection &c)
{
    return db::readRows<QString>(c, QStringLiteral(R"(select "名称" from "教导处" where "类别"=?)"),
                                 {kKindGradeGroup}, [](const QSqlQuery &q) { return db::textOf(q, 0); });
}

std::optional<QVector<ClassRow>> classesOfGradeGroup(db::Connection &c, const QString &gradeGroup)
{
    return db::readRows<ClassRow>(
        c, QStringLiteral(R"(select "名称","其它","其次","密码","id" from "教导处" where "对应内容"=? AND "类别"=?)"),
        {gradeGroup.trimmed(), kKindClass}, [](const QSqlQuery &q) {
            return ClassRow{db::textOf(q, 0), db::textOf(q, 1), db::textOf(q, 2), db::textOf(q, 3), db::textOf(q, 4)};
        });
}

std::optional<QVector<QVector<QVariant>>> classTreeRows(db::Connection &c)
{
    return db::readRows<QVector<QVariant>>(
        c, QStringLiteral(R"(select "类别","名称","对应内容","其它","其次" from "教导处")"
                          R"( where "类别"=? or "类别"=? order by "id")"),
        {kKindGradeGroup, kKindClass},
        [](const QSqlQuery &q) {
            return QVector<QVariant>{q.value(0), q.value(1), q.value(2), q.value(3), q.value(4)};
        });
}

} // namespace tessaly::school
