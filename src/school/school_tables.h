#pragma once
// The organisation table 教导处 and its row kinds. The fixed name lists and the
// class number are in fixed_lists.h.
//
// 教导处 columns per row kind:
//   类别       名称             对应内容      其它                其次          密码
//   年级组名   grade group      -             -                   -             -
//   班级名     class name       grade group   actual class name   head teacher  head teacher's password
//   任课       teacher          grade group   class name          subject       teacher's password
//   (admin)    管理员           -             -                   -             administrator password
// The administrator row is found by 名称 = "管理员" alone; its 类别 is never tested.
#include <QString>

namespace tessaly::school {

inline const QString kTable = QStringLiteral("教导处");
inline const QString kKindGradeGroup = QStringLiteral("年级组名");
inline const QString kKindClass = QStringLiteral("班级名");
inline const QString kKindTeaching = QStringLiteral("任课");
inline const QString kAdminName = QStringLiteral("管理员");

} // namespace tessaly::school
