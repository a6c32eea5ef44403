#include "register/roll_call.h"

#include "workbook/export_workbook.h"
#include "register/sheet_values.h"
#include "school/class_code.h"

namespace tessaly::reg {

namespace {

QString textAt(const QVector<QVariant> &record, int i)
{
    return i < record.size() && !record[i].isNull() ? record[i].toString() : QString();
}

} // namespace

QList<RollCallStudent> rollCallStudents(const QVector<QVector<QVariant>> &records)
{
    QList<RollCallStudent> students;
    students.reserve(records.size());
    for (const auto &record : records) {
        const QString number = textAt(record, 0);
        students.append({number.isEmpty() ? QString() : school::seatOf(number), textAt(record, 1)});
    }
    return students;
}

QString rollCallTitle(const ClassNode &node)
{
    return node.gradeGroup.left(2) + node.className + QStringLiteral("学生点名册") + QString(9, u' ')
        + QStringLiteral("班主任:") + node.headTeacher;
}

QString rollCallSheetName(const ClassNode &node)
{
    return node.className + QStringLiteral("点名册");
}

void writeRollCallSheet(ExportSheet &sheet, const QString &title, const QList<RollCallStudent> &students)
{
    const CellStyle centre = aligned(HAlign::Center);
    const CellStyle dayFont = fontSize(8);
    const CellStyle textFont = fontSize(10);

    startListSheet(sheet, kRollCallCols, title);
    sheet.setColumnStyle(4, centre);
    sheet.setColumnStyle(5, centre);
    sheet.setColumnStyle(9, aligned(HAlign::Right));
    sheet.setColumnWidth(1, 3);
    sheet.setColumnWidth(2, 6);
    for (int c = 3; c <= kRollCallCols; ++c) {
        sheet.setColumnWidth(c, 1.5);
        sheet.setNumber(2, c, c - 2, dayFont);
    }
    setRegisterValue(sheet, 2, 1, kRollCallSeatHeader, textFont);
    setRegisterValue(sheet, 2, 2, kRollCallNameHeader, textFont);
    for (int i = 0; i < students.size(); ++i) {
        setRegisterValue(sheet, i + 3, 1, students[i].seat, textFont);
        setRegisterValue(sheet, i + 3, 2, students[i].name, textFont);
    }
    sheet.setTable(2, 1, int(students.size()) + 2, kRollCallCols);
}

void addRollCallSheet(ExportWorkbook &book, const std::optional<ClassNode> &node,
                      const QList<RollCallStudent> &students)
{
    if (!node) {
        ExportSheet &sheet = book.insertSheet(0, QStringLiteral("Sheet%1").arg(book.sheetCount() + 1));
        writeRollCallSheet(sheet, QString(), {});
        return;
    }
    ExportSheet &sheet = book.insertSheet(0, rollCallSheetName(*node));
    writeRollCallSheet(sheet, rollCallTitle(*node), students);
}

} // namespace tessaly::reg
