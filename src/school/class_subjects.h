#pragma once
// The subjects of a class: its teaching assignments (任课 rows of 教导处),
// each naming the subject (其次) and its teacher's account (名称, 密码, id).
#include "db/database.h"

#include <QString>
#include <QVector>

#include <optional>

namespace tessaly::school {

// One teaching assignment; texts are empty for null.
struct SubjectRow {
    QString subject;    // 其次
    QString teacher;    // 名称
    QString password;   // 密码
    QString id;         // id, as text
};

// The 任课 rows of the class, in table order; grade group and class name are
// trimmed and bound. nullopt when the query failed (c.error()).
std::optional<QVector<SubjectRow>> subjectsOfClass(db::Connection &c, const QString &gradeGroup,
                                                   const QString &className);

} // namespace tessaly::school
