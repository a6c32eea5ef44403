#pragma once
// Writing back a row read earlier, when another computer may have changed it
// since: only the fields the user changed are written, and only while each
// still holds the value that was read.
//
//   const db::RowUpdate r = db::updateChangedFields(c, u"初中"_s, u"ID"_s, id,
//       {{u"姓名"_s, loadedName, typedName}});
//   if (r == db::RowUpdate::Conflict) … tell the user, keep the input
#include "db/database.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tessaly::db {

// A save refused because another user changed a row since it was read.
constexpr int kErrRowChanged = 3197;

// One field of a row: its value as it was read and the value to write.
struct FieldChange {
    QString column;
    QVariant loaded;   // as read from the database (a null QVariant for NULL); an
                       // empty text stands for NULL too (both show as an empty box)
    QVariant value;
};

// The refusal of a save that met rows another computer changed since they were
// read: whose names the rows ("学生(张三)的学籍"), input what the user should
// note ("您的修改"), reload how to read them again.
QString rowChangedMessage(const QString &whose, const QString &input, const QString &reload);

enum class RowUpdate {
    Updated,    // written (or nothing to write and the row is there)
    Conflict,   // the row is there but a field no longer holds its loaded value: nothing written
    Gone,       // no row with that id (and condition) any more
    Failed,     // the database refused (see c.error())
};

// UPDATE table SET each changed column = value WHERE idColumn = id [AND condition]
// AND each changed column IS its loaded value. Changes whose value equals the
// loaded one are left out; with none left nothing is written (the row is only
// looked for). condition is an
// SQL condition with its own bound values (a class's rows, say).
RowUpdate updateChangedFields(Connection &c, const QString &table, const QString &idColumn, const QVariant &id,
                              const QList<FieldChange> &changes, const QString &condition = QString(),
                              const QVariantList &conditionParams = {});

} // namespace tessaly::db
