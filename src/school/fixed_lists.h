#pragma once
// The fixed name lists the organisation set-up windows offer. Grade-group and
// class names carry meaning: a grade-group name tells the section table and the
// grade numeral, a class name tells the class number.
#include <QString>
#include <QStringList>

namespace tessaly::school {

// 一年级组 … 六年级组, 初一年级组 … 初三年级组, 高一年级组 … 高三年级组 (12 names).
const QStringList &gradeGroupNames();

// 一班 … 三十班 (30 names).
const QStringList &classNames();

// 语文, 数学, … 劳动 (17 names). The subject window may add further names.
const QStringList &subjectNames();

// The class number of a class name: its position in classNames(), 1 to 30
// (二十一班 is 21). 0 for a name outside the list. Blanks around the name are ignored.
int classNumber(const QString &className);

} // namespace tessaly::school
