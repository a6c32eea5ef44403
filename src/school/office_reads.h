#pragma once
// Typed reads of 教导处 that the selection steps share: the administrator's
// password, the grade groups, the classes of a grade group and the rows of the
// class tree. Each returns nullopt when the query failed (the connection's
// error() says why); values are bound, never pasted into the SQL.
#include "db/database.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

namespace tessaly::school {

// The 密码 of the administrator rows (名称 = "管理员"): empty when there is none.
std::optional<QVector<QString>> adminPasswords(db::Connection &c);

// 名称 of the 年级组名 rows, in table order.
std::optional<QVector<QString>> gradeGroupNames(db::Connection &c);

// One 班级名 row: texts are empty for null.
struct ClassRow {
    QString name;          // 名称
    QString actualName;    // 其它
    QString headTeacher;   // 其次
    QString password;      // 密码
    QString id;            // id, as text
};

// The 班级名 rows of the grade group (trimmed), in table order.
std::optional<QVector<ClassRow>> classesOfGradeGroup(db::Connection &c, const QString &gradeGroup);

// The grade-group and class rows as (类别, 名称, 对应内容, 其它, 其次), in id
// order: the input of classTreeFromRows.
std::optional<QVector<QVector<QVariant>>> classTreeRows(db::Connection &c);

} // namespace tessaly::school
