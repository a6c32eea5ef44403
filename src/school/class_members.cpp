#include "school/class_members.h"

#include "db/typed_read.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace tessaly::school {

std::optional<MemberRows> classMembers(db::Connection &c, const ClassIdentity &identity, const QStringList &columns)
{
    const Statement members = classMembersQuery(identity.sectionTable, identity.classCode, columns);
    if (!members.isValid())
        return MemberRows{};
    QSqlQuery q = c.query(members.sql, members.params);
    if (!q.isActive())
        return std::nullopt;
    MemberRows result;
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        result.columns << record.fieldName(i);
    while (q.next()) {
        QVector<QVariant> row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row.append(q.value(i));
        result.rows.append(row);
    }
    if (!db::finishRead(c, q))
        return std::nullopt;
    return result;
}

} // namespace tessaly::school
