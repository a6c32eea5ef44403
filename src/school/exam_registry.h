#pragma once
// The examination registry of a section table (小学考试结果, 初中考试结果,
// 高中考试结果): one row per created exam, with the full mark typed for it.
#include "db/database.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace tessaly::school {

// The highest full mark an exam may have.
inline constexpr float kHighestFullMark = 1000.0f;

// A full mark as typed: a positive number no larger than kHighestFullMark
// (blanks around it allowed); nothing for any other text.
std::optional<float> parseFullMark(const QString &text);

// The examination registry of a section table: the table's name followed by "考试结果".
QString registryTable(const QString &sectionTable);

// The stored full marks of a section's exams, read once for a window's fill. A
// registry row belongs to the class that created the exam, while the exam column
// is shared by every grade group of the section, so a full mark is looked up for
// one class: its own row, else a row of its grade group (the newest row whose
// 满分 is a valid full mark; names compared without surrounding blanks).
class StoredFullMarks {
public:
    std::optional<float> of(const QString &column, const QString &gradeGroup, const QString &className) const;
    // Records a row's full mark unless a newer one of the same class (and grade
    // group) was recorded before it: rows are added newest first.
    void add(const QString &column, const QString &gradeGroup, const QString &className, float fullMark);

private:
    QHash<QString, float> m_classes;       // column, grade group, class name
    QHash<QString, float> m_gradeGroups;   // column, grade group
};

// The registry rows of these exam columns, with one query; nullopt when the
// database refused the read (c.error()). A section without a registry stores none.
std::optional<StoredFullMarks> readStoredFullMarks(db::Connection &c, const QString &sectionTable,
                                                   const QStringList &columns);

// The full mark an exam's scores are counted against: the stored one, else
// 150 when any of `scores` is above 100, else 100. Every window that needs an
// exam's full mark asks here.
float examFullMark(const std::optional<float> &stored, const QList<std::optional<float>> &scores);

// Adds a column to a table (db::addColumn; tests pass a failing one).
using ColumnStep = std::function<bool(db::Connection &, const QString &table, const QString &column,
                                      db::ColumnType type)>;

} // namespace tessaly::school
