#pragma once
// Reading a class's students through a window's data-source control.
#include "school/class_code.h"

#include <QStringList>
#include <QVariant>
#include <QVector>

namespace tessaly {
class DataControl;
}

namespace tessaly::reg {

// Runs the class query (classMembersQuery) of the class on openpath through the
// control and returns its records, reading `columns` in order. A class without a
// code (names outside the fixed lists) has no students: the control is closed
// and nothing is read. A data error is the control's to report.
QVector<QVector<QVariant>> readClassMembers(DataControl &data, const QString &openpath,
                                            const ClassIdentity &identity, const QStringList &columns);

} // namespace tessaly::reg
