#pragma once
// The organisation table 教导处: its row kinds, the fixed name lists the set-up
// windows offer, and the class number of a class name.
//
// 教导处 columns per row kind:
//   类别       名称             对应内容      其它                其次          密码
//   年级组名   grade group      -             -                   -             -
//   班级名     class name       grade group   actual class name   head teacher  head teacher's password
//   任课       teacher          grade group   class name          subject       teacher's password
//   (admin)    管理员           -             -                   -             administrator password
// The administrator row is found by 名称 = "管理员" alone; its 类别 is never tested.
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly::org {

inline const QString kTable = QStringLiteral("教导处");
inline const QString kKindGradeGroup = QStringLiteral("年级组名");
inline const QString kKindClass = QStringLiteral("班级名");
inline const QString kKindTeaching = QStringLiteral("任课");
inline const QString kAdminName = QStringLiteral("管理员");

// 一年级组 … 六年级组, 初一年级组 … 初三年级组, 高一年级组 … 高三年级组 (12).
const QStringList &fixedGradeGroupList();
// 一班 … 三十班 (30).
const QStringList &fixedClassList();
// 语文, 数学, … 劳动 (17).
const QStringList &fixedSubjectList();

// The class number: the name's position in the fixed class list, 1 to 30
// (二十一班 is 21). A name outside the list has none.
std::optional<int> classNumber(const QString &className);

} // namespace tessaly::org
