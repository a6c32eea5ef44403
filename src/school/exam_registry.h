#pragma once
// The examination registry of a section table (小学考试结果, 初中考试结果,
// 高中考试结果): one row per created exam, with the full mark typed for it.
#include "platform/database.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace tessaly::score {

// The highest full mark an exam may have.
inline constexpr float kHighestFullMark = 1000.0f;

// A full mark as typed: a positive number no larger than kHighestFullMark
// (blanks around it allowed); nothing for any other text.
std::optional<float> parseFullMark(const QString &text);

// The examination registry of a section table: the table's name followed by "考试结果".
QString registryTable(const QString &sectionTable);

// The full mark an exam's scores are counted against: the full mark stored with
// the exam column in its section's registry (the newest row naming the column
// whose 满分 is a valid full mark); for a column without one, 150 when any of
// `scores` is above 100, else 100. Every window that needs an exam's full mark
// asks here.
float examFullMark(db::Connection &c, const QString &sectionTable, const QString &column,
                   const QList<std::optional<float>> &scores);

// Adds a column to a table (db::addColumn; tests pass a failing one).
using ColumnStep = std::function<bool(db::Connection &, const QString &table, const QString &column,
                                      db::ColumnType type)>;

} // namespace tessaly::score
