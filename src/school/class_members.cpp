#include "school/class_members.h"

#include "platform/data_control.h"

namespace tessaly::reg {

QVector<QVector<QVariant>> readClassMembers(DataControl &data, const QString &openpath,
                                            const ClassIdentity &identity, const QStringList &columns)
{
    const Statement members = classMembersQuery(identity.sectionTable, identity.classCode, columns);
    data.setDatabaseName(openpath);
    if (!members.isValid()) {
        data.Close();
        return {};
    }
    data.setRecordSource(members.sql, members.params);
    if (!data.Refresh())
        return {};
    return data.rows();
}

} // namespace tessaly::reg
