#include "reports/transcript_export.h"

#include "workbook/export_workbook.h"

#include <algorithm>

namespace tessaly::reports {

using namespace Qt::StringLiterals;

namespace {

double widthOfHeading(const QString &heading, double otherwise)
{
    if (heading == u"原分"_s || heading == u"班名"_s || heading == u"组名"_s)
        return 3;
    if (heading == u"标分"_s)
        return 4;
    return otherwise;
}

// A text with two decimals keeps them in the sheet. A number shrinks to its narrow
// column (an average such as 90.00 is wider than a 原分 column) rather than print as ###.
CellStyle cellStyle(const QString &text)
{
    CellStyle style;
    style.fontSize = 9;
    const qsizetype dot = text.indexOf(u'.');
    if (isPlainNumber(text) && dot >= 0 && text.size() - dot - 1 == 2)
        style.numberFormat = QStringLiteral("0.00");
    if (isPlainNumber(text))
        style.shrink = true;
    return style;
}

// The heading of the student-number column (" 学  号" in the grid).
bool isStudentNumberHeading(QString heading)
{
    heading.remove(u' ');
    return heading == u"学号"_s;
}

} // namespace

void addTranscriptSheet(ExportWorkbook &book, const ShownTable &table)
{
    ExportSheet &sheet = book.insertSheet(0, kTranscriptSheet);
    const int n = table.rows.isEmpty() ? 0 : int(table.rows.first().size());
    CellStyle centred;
    centred.hAlign = HAlign::Center;
    sheet.setRowHeight(1, 18);
    for (int row = 1; row <= 3; ++row)
        sheet.setRowStyle(row, centred);
    for (int col = 4; col <= 6; ++col)
        sheet.setColumnStyle(col, centred);
    const double presets[] = {6, 6, 4, 3, 3};
    for (int col = 1; col <= 5; ++col)
        sheet.setColumnWidth(col, presets[col - 1]);
    CellStyle titleStyle;
    titleStyle.fontSize = 14;
    titleStyle.bold = true;
    if (n > 0)
        sheet.merge(1, 1, 1, n, table.title, titleStyle);

    // Rows: the two header rows, then the data rows, 10 points high. A student
    // number is a code, not a quantity: it stays a text.
    const QStringList noHeadings;
    const QStringList &headings = table.rows.isEmpty() ? noHeadings : table.rows.first();
    for (int r = 0; r < table.rows.size(); ++r) {
        const QStringList &texts = table.rows.at(r);
        sheet.setRowHeight(r + 2, 10);
        for (int c = 0; c < texts.size(); ++c) {
            if (isStudentNumberHeading(headings.value(c)))
                sheet.setText(r + 2, c + 1, texts.at(c), cellStyle(QString()));
            else
                sheet.setValue(r + 2, c + 1, texts.at(c), cellStyle(texts.at(c)));
        }
    }
    if (n > 0)
        sheet.setTable(2, 1, int(table.rows.size()) + 1, n, std::min(int(table.rows.size()), 2));
    if (table.rows.size() < 2)
        return;
    const QStringList &top = table.rows.at(0);
    const QStringList &second = table.rows.at(1);
    for (int c = 0; c < n; ++c) {
        const auto preset = sheet.columnWidth(c + 1);
        const double width = widthOfHeading(second.value(c), preset.value_or(-1));
        if (width >= 0)
            sheet.setColumnWidth(c + 1, width);
    }

    // Columns whose two header cells agree span both rows.
    int lastVertical = 0;
    for (int c = 0; c < n; ++c) {
        if (top.value(c) == second.value(c)) {
            sheet.merge(2, c + 1, 3, c + 1);
            lastVertical = c + 1;
        }
    }
    // To their right, equal neighbouring headings of the first header row share a cell.
    int start = lastVertical + 1;
    for (int c = lastVertical + 2; c <= n + 1; ++c) {
        if (c <= n && top.value(c - 1) == top.value(start - 1))
            continue;
        if (c - start >= 2 && !top.value(start - 1).isEmpty())
            sheet.merge(2, start, 2, c - 1);
        start = c;
    }
}

} // namespace tessaly::reports
