#include "school/class_subjects.h"

#include "school/school_tables.h"

namespace tessaly {

reg::Statement subjectsOfClassQuery(const QString &gradeGroup, const QString &className)
{
    return {QStringLiteral(R"(select "id","类别","名称","对应内容","其它","其次","密码" from "教导处" )"
                           R"(where "对应内容"=? and "其它"=? AND "类别"=?)"),
            {gradeGroup.trimmed(), className.trimmed(), kKindTeaching}};
}

} // namespace tessaly
