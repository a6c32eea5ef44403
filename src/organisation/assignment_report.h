#pragma once
// The staff-assignment reports of 班主任分工 and 任课教师分工: fixed-width plain
// text built from the organisation rows of 教导处, lines ending in CR LF, the
// title first. Columns are filled up to GBK byte widths (PadToBytes), so in a
// font where a full-width character is two half-width columns they line up.
// Rows come in the order the table holds them; nothing is sorted. Empty or
// null columns are skipped.
#include <QString>

namespace tessaly::db {
class Connection;
}

namespace tessaly::organisation {

struct AssignmentReport {
    QString text;
    QString error;   // the database's error text when a query failed; text is then empty
    bool ok() const { return error.isEmpty(); }
};

// Per grade group, "<grade group>:" and a line per class: "　　" + class name,
// "　　" + actual name, "　　" + head teacher (each padded to 8 bytes), or
// "无班主任信息" for a class without one. Without any grade group only
// "目前教导处还没有设置年级组,无法显示班主任分工。".
AssignmentReport BuildHeadTeacherReport(db::Connection &c);

// Per grade group and class, a block opened by a line end, the heading
// "<grade group>(<class name>):" and the class's assignments two to a line:
// "　　" + teacher (8 bytes) + " " + subject (9 bytes); "　　无教师信息" for a
// class without any. A grade group without classes is left out. Without any
// grade group only "目前教导处还没有设置年级组,无法显示任课教师分工。".
AssignmentReport BuildTeacherReport(db::Connection &c);

inline const QString kNoGradeGroupHeadTeachers =
    QStringLiteral("目前教导处还没有设置年级组,无法显示班主任分工。");
inline const QString kNoGradeGroupTeachers =
    QStringLiteral("目前教导处还没有设置年级组,无法显示任课教师分工。");

} // namespace tessaly::organisation
