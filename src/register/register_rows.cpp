#include "register/register_rows.h"

#include "school/class_code.h"
#include "db/typed_read.h"

#include <algorithm>

namespace tessaly::reg {

namespace {

QString textOf(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("") : v.toString();
}

// Register column i (姓名 … 备注) of a stored record as a grid text.
QString shownText(const QVector<QVariant> &record, int i)
{
    const QVariant value = i < record.size() ? record[i] : QVariant();
    return i == kColBoarding ? boardingText(value) : textOf(value);
}

// Whether every field of 姓名 … 备注 still holds what was loaded.
bool matchesStored(const RegisterRow &row)
{
    for (int col = kColName; col <= kColRemarks; ++col) {
        if (row.field(col) != storedText(row, col))
            return false;
    }
    return true;
}

} // namespace

QString rowStateText(RowState state)
{
    switch (state) {
    case RowState::Unchanged:
        return kRowUnchanged;
    case RowState::New:
        return kRowNew;
    case RowState::Changed:
        return kRowChanged;
    case RowState::Deleted:
        return kRowDeleted;
    }
    return kRowUnchanged;
}

QStringList RegisterRow::cells() const
{
    QStringList out;
    out.reserve(kRegisterGridCols);
    out << QString::number(number);
    for (const QString &text : fields)
        out << text;
    out << (id ? QString::number(*id) : QString()) << rowStateText(state);
    return out;
}

RegisterRow loadedRow(const QVector<QVariant> &record, const QString &classCode, int number)
{
    const auto value = [&record](int i) { return i < record.size() ? record[i] : QVariant(); };
    RegisterRow row;
    row.number = number;
    row.stored = record;
    bool isNumber = false;
    const qint64 id = value(0).toLongLong(&isNumber);
    if (!value(0).isNull() && isNumber)
        row.id = id;
    row.field(kColStudentNumber) = school::shownId(classCode, textOf(value(1)));
    for (int i = kColName; i <= kColRemarks; ++i)
        row.field(gridColumnOfRegisterColumn(i)) = shownText(record, i);
    return row;
}

QString storedText(const RegisterRow &row, int col)
{
    return row.stored.isEmpty() ? QString() : shownText(row.stored, col);
}

std::optional<QList<RegisterRow>> readRegisterRows(db::Connection &c, const school::ClassIdentity &identity)
{
    const school::Statement members = school::classMembersQuery(identity.sectionTable, identity.classCode);
    if (!members.isValid())
        return QList<RegisterRow>();
    int number = 0;
    return db::readRows<RegisterRow>(c, members.sql, members.params, [&](const QSqlQuery &q) {
        QVector<QVariant> record(school::kRegisterColumnCount);
        for (int i = 0; i < school::kRegisterColumnCount; ++i)
            record[i] = q.value(i);
        return loadedRow(record, identity.classCode, ++number);
    });
}

RegisterRow newStudentRow(const QString &studentNumber)
{
    RegisterRow row;
    row.state = RowState::New;
    row.number = seatNumber(studentNumber);
    row.field(kColStudentNumber) = studentNumber;
    row.field(kColSex) = kNewStudentSex;
    row.field(kColBoarding) = kNewStudentBoarding;
    return row;
}

int seatNumber(const QString &studentNumber)
{
    return school::seatOf(studentNumber).toInt();
}

QStringList takenNumbers(const QList<RegisterRow> &rows)
{
    QStringList taken;
    for (const RegisterRow &row : rows) {
        if (row.isShown() && !row.studentNumber().isEmpty())
            taken << row.studentNumber();
    }
    return taken;
}

bool addStudent(QList<RegisterRow> &rows, const QString &classCode)
{
    const std::optional<QString> number = school::firstFreeSeat(classCode, takenNumbers(rows));
    if (!number)
        return false;
    rows << newStudentRow(*number);
    return true;
}

bool deleteStudent(QList<RegisterRow> &rows, int i)
{
    if (i < 0 || i >= rows.size() || rows[i].isDeleted())
        return false;
    rows[i].state = RowState::Deleted;
    return true;
}

bool editField(RegisterRow &row, int col, const QString &text)
{
    if (col < kColName || col > kColRemarks || row.field(col) == text)
        return false;
    row.field(col) = text;
    if (row.state == RowState::Unchanged || (row.state == RowState::Changed && !row.stored.isEmpty()))
        row.state = !row.stored.isEmpty() && matchesStored(row) ? RowState::Unchanged : RowState::Changed;
    return true;
}

bool needsWrite(const RegisterRow &row)
{
    switch (row.state) {
    case RowState::New:
    case RowState::Changed:
        return true;
    case RowState::Deleted:
        return row.id.has_value();
    case RowState::Unchanged:
        break;
    }
    return false;
}

bool hasRegisterChanges(const QList<RegisterRow> &rows)
{
    return std::any_of(rows.begin(), rows.end(), needsWrite);
}

int shownCount(const QList<RegisterRow> &rows)
{
    return int(std::count_if(rows.begin(), rows.end(), [](const RegisterRow &row) { return row.isShown(); }));
}

QString missingNameMessage(const QList<RegisterRow> &rows)
{
    for (const RegisterRow &row : rows) {
        if ((row.state != RowState::New && row.state != RowState::Changed) || !row.name().trimmed().isEmpty())
            continue;
        if (row.studentNumber().isEmpty())
            return QStringLiteral("编号为%1的学生没有填写姓名，请填写后再保存。").arg(row.number);
        return QStringLiteral("学号为%1的学生没有填写姓名，请填写后再保存。").arg(row.studentNumber());
    }
    return QString();
}

} // namespace tessaly::reg
