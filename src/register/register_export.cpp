#include "register/register_export.h"

#include "register/register_grid.h"

#include <array>

namespace tessaly::reg {

namespace {

constexpr int kSheetColumns = kColRemarks + 1;   // 编号 … 备注

// Width in characters and alignment of each sheet column.
struct SheetColumn {
    double width;
    HAlign align;
};
constexpr std::array<SheetColumn, kSheetColumns> kColumns{{
    {3, HAlign::General},  {7, HAlign::General},  {6, HAlign::General},  {3, HAlign::Center},
    {3, HAlign::Center},   {6, HAlign::General},  {9, HAlign::General},  {6, HAlign::General},
    {10, HAlign::General}, {3, HAlign::Center},   {10, HAlign::Right},   {13, HAlign::General},
    {13, HAlign::General}, {6, HAlign::General},  {6, HAlign::General},  {6, HAlign::Center},
    {13, HAlign::General}, {10, HAlign::General},
}};

constexpr double kRowHeight = 11;
constexpr double kTitleHeight = 20;
constexpr double kTitleSize = 14;
constexpr double kCellSize = 10;

} // namespace

QString registerSheetName(const QString &className)
{
    return className + QStringLiteral("学籍表");
}

ExportSheet &fillRegisterSheet(ExportWorkbook &book, const QString &gradeGroup, const QString &className,
                               const QStringList &headers, const QList<RegisterRow> &rows)
{
    ExportSheet &sheet = book.insertSheet(0, registerSheetName(className));
    sheet.setLandscape();
    sheet.setAllRowHeights(kRowHeight);
    sheet.setRowHeight(1, kTitleHeight);
    sheet.merge(1, 1, 1, kSheetColumns, gradeGroup + className + QStringLiteral("学生学籍表"),
                {.fontSize = kTitleSize, .bold = true});
    sheet.setRowStyle(1, {.hAlign = HAlign::Center});
    sheet.setRowStyle(2, {.hAlign = HAlign::Center});
    for (int c = 0; c < kSheetColumns; ++c) {
        if (kColumns[c].align != HAlign::General)
            sheet.setColumnStyle(c + 1, {.hAlign = kColumns[c].align});
        sheet.setColumnWidth(c + 1, kColumns[c].width);
    }

    const CellStyle cellStyle{.fontSize = kCellSize};
    int n = 2;
    for (int c = 0; c < kSheetColumns; ++c)
        sheet.setText(n, c + 1, headers.value(c), cellStyle);
    for (const RegisterRow &row : rows) {
        if (!row.isShown())
            continue;
        ++n;
        const QStringList cells = row.cells();
        // 编号 is a count, as the spreadsheet takes it typed; every other text stays a
        // text (student numbers and phone numbers are codes, not quantities).
        sheet.setValue(n, 1, cells[kColNumber], cellStyle);
        for (int c = kColStudentNumber; c < kSheetColumns; ++c)
            sheet.setText(n, c + 1, cells[c], cellStyle);
    }
    sheet.setTable(2, 1, n, kSheetColumns);
    return sheet;
}

} // namespace tessaly::reg
