#pragma once
// The subjects of a class: its teaching assignments (任课 rows of 教导处),
// each naming the subject (其次) and its teacher's account (名称, 密码, id).
#include "school/class_code.h"

#include <QString>

namespace tessaly {

// The 任课 rows of the class, in table order, reading id, 类别, 名称, 对应内容,
// 其它, 其次 and 密码; grade group and class name are trimmed and bound.
reg::Statement subjectsOfClassQuery(const QString &gradeGroup, const QString &className);

} // namespace tessaly
