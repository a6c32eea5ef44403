#include "register/register_rows.h"

#include "register/class_code.h"

namespace tessaly::reg {

namespace {

QString cellText(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("") : v.toString();
}

QString cell(const GridRow &row, int col)
{
    return col < row.size() ? row[col] : QString();
}

} // namespace

GridRow loadedRow(const QVector<QVariant> &record, const QString &classCode, int number)
{
    GridRow row(kRegisterGridCols, QStringLiteral(""));
    row[kColNumber] = QString::number(number);
    const auto field = [&record](int i) { return i < record.size() ? record[i] : QVariant(); };
    row[kColStudentNumber] = shownId(classCode, cellText(field(1)));
    for (int i = kColName; i <= kColRemarks; ++i)
        row[gridColumnOfRegisterColumn(i)] = i == kColBoarding ? boardingText(field(i)) : cellText(field(i));
    row[kColId] = cellText(field(0));
    row[kColRowState] = kRowUnchanged;
    return row;
}

GridRow newStudentRow(const QString &studentNumber)
{
    GridRow row(kRegisterGridCols, QStringLiteral(""));
    row[kColNumber] = QString::number(seatNumber(studentNumber));
    row[kColStudentNumber] = studentNumber;
    row[kColSex] = kNewStudentSex;
    row[kColBoarding] = kNewStudentBoarding;
    row[kColRowState] = kRowNew;
    return row;
}

int seatNumber(const QString &studentNumber)
{
    return seatOf(studentNumber).toInt();
}

bool needsWrite(const GridRow &row)
{
    const QString state = cell(row, kColRowState);
    if (state == kRowNew || state == kRowChanged)
        return true;
    return state == kRowDeleted && !cell(row, kColId).isEmpty();
}

bool hasRegisterChanges(const QList<GridRow> &rows)
{
    for (const GridRow &row : rows) {
        if (needsWrite(row))
            return true;
    }
    return false;
}

} // namespace tessaly::reg
