#include "register/register_save.h"

#include "db/row_update.h"
#include "school/class_code.h"

namespace tessaly::reg {

namespace {

// A text as stored: an empty cell is an empty text, never NULL.
QVariant textValue(const QString &text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

// 姓名 … 备注 of a row, in register order, as bound values.
QVariantList registerValues(const RegisterRow &row)
{
    QVariantList values;
    for (int col = kColName; col <= kColRemarks; ++col) {
        if (col == kColBoarding)
            values << boardingValue(row.field(col));
        else
            values << textValue(row.field(col));
    }
    return values;
}

// The fields of a changed row that differ from what was loaded, with the stored
// values they were loaded from. A row without its loaded record writes every field.
QList<db::FieldChange> changedFields(const RegisterRow &row)
{
    const QStringList &columns = school::registerColumns();
    const QVariantList values = registerValues(row);
    QList<db::FieldChange> changes;
    for (int col = kColName; col <= kColRemarks; ++col) {
        if (!row.stored.isEmpty() && row.field(col) == storedText(row, col))
            continue;
        const QVariant loaded = row.stored.isEmpty() ? QVariant() : row.stored.value(col);
        changes << db::FieldChange{columns[col], loaded, values[col - kColName]};
    }
    return changes;
}

// An 8-digit number of the class: its code followed by a seat 01 … 99.
bool isClassNumberOf(const QString &studentNumber, const QString &classCode)
{
    if (studentNumber.size() != 8 || !studentNumber.startsWith(classCode))
        return false;
    for (QChar ch : studentNumber) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    return seatNumber(studentNumber) >= 1;
}

bool isValidTable(const QString &table)
{
    return table == school::kTablePrimary || table == school::kTableJunior || table == school::kTableSenior;
}

} // namespace

QVector<QVariant> writtenRecord(const RegisterRow &row, std::optional<qint64> id)
{
    QVector<QVariant> record;
    record.reserve(school::kRegisterColumnCount);
    record << (id ? QVariant(*id) : QVariant())
           << (row.stored.size() > 1 ? row.stored[1] : textValue(row.studentNumber()));
    for (const QVariant &value : registerValues(row))
        record << value;
    return record;
}

RegisterSaveOutcome SaveRegister(db::Connection &c, const QString &sectionTable, const QString &classCode,
                                 const QList<RegisterRow> &rows)
{
    RegisterSaveOutcome out;
    if (!isValidTable(sectionTable) || !school::isClassCode(classCode)) {
        c.fail(db::kErrSql, QStringLiteral("没有选择有效的班级，无法保存。"));
        out.error = c.error();
        return out;
    }
    if (!hasRegisterChanges(rows)) {
        out.ok = true;
        return out;
    }
    if (const QString unnamed = missingNameMessage(rows); !unnamed.isEmpty()) {
        c.fail(db::kErrSql, unnamed);
        out.error = c.error();
        return out;
    }

    const QStringList &columns = school::registerColumns();
    const QString table = db::quoteIdentifier(sectionTable);
    const QString id = db::quoteIdentifier(columns[0]);
    const QString number = db::quoteIdentifier(columns[1]);
    const school::Statement inClass = school::classCondition(classCode);

    QStringList assignments;
    QStringList written;   // 姓名 … 备注
    for (int col = kColName; col <= kColRemarks; ++col) {
        written << db::quoteIdentifier(columns[col]);
        assignments << written.last() + QStringLiteral("=?");
    }
    const QString deleteSql = QStringLiteral("delete from %1 where %2=? and %3").arg(table, id, inClass.sql);
    const QString updateSql = QStringLiteral("update %1 set %2 where %3=? and %4")
                                  .arg(table, assignments.join(QLatin1Char(',')), id, inClass.sql);
    QStringList marks(1 + int(written.size()), QStringLiteral("?"));
    const QString insertSql = QStringLiteral("insert into %1 (%2,%3) values (%4)")
                                  .arg(table, number, written.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    const QString takenSql = QStringLiteral("select count(*) from %1 where %2=?").arg(table, number);

    RegisterSaveOutcome counts;

    const bool ok = c.transaction([&] {
        counts = RegisterSaveOutcome{};
        for (const RegisterRow &row : rows) {
            if (row.state != RowState::Deleted || !row.id)
                continue;
            if (!c.exec(deleteSql, QVariantList{*row.id} + inClass.params))
                return false;
            counts.deleted += c.rowsAffected();
        }
        QStringList conflicts;
        for (const RegisterRow &row : rows) {
            if (row.state != RowState::Changed)
                continue;
            if (!row.id)
                return c.fail(db::kErrSql, QStringLiteral("学生(%1)没有记录号，无法保存。").arg(row.name()));
            QList<db::FieldChange> changes = changedFields(row);
            if (row.stored.isEmpty()) {
                // Nothing loaded to compare with: written whatever is stored.
                QVariantList values = registerValues(row);
                values << *row.id << inClass.params;
                if (!c.exec(updateSql, values))
                    return false;
                if (c.rowsAffected() == 0)
                    counts.vanished << row;
                else
                    ++counts.updated;
                continue;
            }
            switch (db::updateChangedFields(c, sectionTable, columns[0], *row.id, changes, inClass.sql,
                                            inClass.params)) {
            case db::RowUpdate::Failed:
                return false;
            case db::RowUpdate::Gone:
                counts.vanished << row;
                break;
            case db::RowUpdate::Conflict:
                conflicts << row.name();
                break;
            case db::RowUpdate::Updated:
                ++counts.updated;
                break;
            }
        }
        if (!conflicts.isEmpty())
            return c.fail(db::kErrRowChanged,
                          db::rowChangedMessage(
                              QStringLiteral("学生(%1)的学籍").arg(conflicts.join(QStringLiteral("、"))),
                              QStringLiteral("您的修改"), QStringLiteral("重新选择班级读出最新学籍")));
        for (const RegisterRow &row : rows) {
            if (row.state != RowState::New)
                continue;
            const QString &studentNumber = row.studentNumber();
            if (!isClassNumberOf(studentNumber, classCode))
                return c.fail(db::kErrSql, QStringLiteral("新学生(%1)的学籍号“%2”不属于本班，无法保存。")
                                               .arg(row.name(), studentNumber));
            const QVariant used = c.scalar(takenSql, {studentNumber});
            if (c.error().isSet())
                return false;
            if (used.toInt() > 0)
                return c.fail(db::kErrSql,
                              QStringLiteral("学籍号%1已经有学生使用(可能是别的电脑刚刚保存的)，请重新选择班级后再添加学生。")
                                  .arg(studentNumber));
            QVariantList values{studentNumber};
            values << registerValues(row);
            if (!c.exec(insertSql, values))
                return false;
            ++counts.inserted;
            counts.insertedIds << c.lastInsertId().toLongLong();
        }
        return true;
    });

    if (!ok) {
        out.error = c.error();
        return out;
    }
    counts.ok = true;
    return counts;
}

} // namespace tessaly::reg
