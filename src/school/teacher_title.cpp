#include "school/teacher_title.h"

namespace tessaly::school {

QString teacherTitleAfter(const QString &name)
{
    static const QString title = QStringLiteral("老师");
    return name.endsWith(title) ? QString() : title;
}

QString withTeacherTitle(const QString &name)
{
    return name + teacherTitleAfter(name);
}

} // namespace tessaly::school
