#pragma once
// How messages address a teacher: the name followed by "老师", unless the name
// as stored ends with that title already ("孙老师").
#include <QString>

namespace tessaly::school {

// "老师", or nothing for a name that carries the title.
QString teacherTitleAfter(const QString &name);
// The name with the title after it.
QString withTeacherTitle(const QString &name);

} // namespace tessaly::school
