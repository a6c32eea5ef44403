#pragma once
// Reading a class's students.
#include "db/database.h"
#include "school/class_code.h"

#include <QStringList>
#include <QVariant>
#include <QVector>

#include <optional>

namespace tessaly::school {

// A class's records and the names of the columns they hold, in order.
struct MemberRows {
    QStringList columns;
    QVector<QVector<QVariant>> rows;
};

// The records of the class query (classMembersQuery) of the class, reading
// `columns` in order (all when empty). A class without a code (names outside
// the fixed lists) has no students: nothing is read. nullopt when the query
// failed (c.error()).
std::optional<MemberRows> classMembers(db::Connection &c, const ClassIdentity &identity, const QStringList &columns);

} // namespace tessaly::school
