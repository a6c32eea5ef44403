#include "school/class_subjects.h"

#include "db/typed_read.h"
#include "school/school_tables.h"

namespace tessaly::school {

std::optional<QVector<SubjectRow>> subjectsOfClass(db::Connection &c, const QString &gradeGroup,
                                                   const QString &className)
{
    return db::readRows<SubjectRow>(
        c,
        QStringLiteral(R"(select "其次","名称","密码","id" from "教导处" where "对应内容"=? and "其它"=? AND "类别"=?)"),
        {gradeGroup.trimmed(), className.trimmed(), kKindTeaching}, [](const QSqlQuery &q) {
            return SubjectRow{db::textOf(q, 0), db::textOf(q, 1), db::textOf(q, 2), db::textOf(q, 3)};
        });
}

} // namespace tessaly::school
