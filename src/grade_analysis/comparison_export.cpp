#include "grade_analysis/comparison_export.h"

#include "grade_analysis/subject_statistics.h"
#include "workbook/export_workbook.h"

namespace tessaly::grades {

namespace {

struct ColumnFormat {
    double width;
    const char *format;   // "" for none
};

// Width (characters) and number format of each statistics column.
ColumnFormat formatOf(int gridColumn)
{
    static const ColumnFormat formats[kStatisticsCols] = {
        {3, ""}, {3, ""}, {6, ""}, {2, ""}, {2, ""}, {5, "0.00"}, {4, ""}, {2, ""}, {4, "0.0"}, {5, ""},
        {4, "0.0"}, {4, "0.0"}, {4, "0.0"}, {2, ""}, {2, ""}, {2, ""}, {2, ""}, {3, ""}, {3, ""},
        {5, "0.00"}, {5, "0.00"}, {5, "0.00"}};
    if (gridColumn < 0 || gridColumn >= kStatisticsCols)
        return {2, ""};
    return formats[gridColumn];
}

CellStyle centred(bool horizontal, bool vertical)
{
    CellStyle s;
    if (horizontal)
        s.hAlign = HAlign::Center;
    if (vertical)
        s.vAlign = VAlign::Center;
    return s;
}

// The excellent count's heading on paper states its line, 0.8 of each subject's full
// mark (the window's grid keeps the short heading: its 22 columns fill the page).
const QString kExcellentCountHeading = QStringLiteral("优秀人数(≥80%)");

// A score band's heading ("60│79") too wide for its column, broken only beside its
// bar: one number a line.
QString brokenAtBar(const QString &heading, double width, double points)
{
    const qsizetype bar = heading.indexOf(u'│');
    if (bar < 0 || wrappedLineCount(heading, width, points) <= 1)
        return heading;
    return heading.left(bar).trimmed() + QStringLiteral("\n│\n") + heading.mid(bar + 1).trimmed();
}

} // namespace

ExportSheet &writeStatisticsSheet(ExportWorkbook &book, const QString &title, const GridView &grid,
                                  const StatisticsSheetKind &kind)
{
    ExportSheet &sheet = book.insertSheet(0, kind.name);
    sheet.setLandscape(true);
    sheet.setRowHeight(1, 18);
    sheet.setRowHeight(2, 50);
    CellStyle titleFont;
    titleFont.fontSize = 14;
    titleFont.bold = true;
    sheet.setStyle(1, 1, titleFont);
    sheet.setColumnStyle(1, centred(true, true));
    sheet.setColumnStyle(2, centred(true, false));
    sheet.setColumnStyle(3, centred(true, false));
    sheet.setRowStyle(1, centred(true, false));
    // The 50-point header row holds its captions in wrapped lines.
    CellStyle header = centred(true, true);
    header.wrap = true;
    sheet.setRowStyle(2, header);

    auto shown = [](const QList<bool> &flags, int index) { return index < flags.size() && flags[index]; };
    int columnCount = 0;
    for (const QStringList &row : grid.cells)
        columnCount = std::max(columnCount, int(row.size()));

    int j = 0;
    for (int c = 0; c < columnCount; ++c) {
        if (!shown(grid.columnShown, c))
            continue;
        ++j;
        const ColumnFormat f = formatOf(c);
        sheet.setColumnWidth(j, f.width);
        if (*f.format) {
            CellStyle number;
            number.numberFormat = QString::fromLatin1(f.format);
            sheet.setColumnStyle(j, number);
        }
    }
    if (j > 0)
        sheet.merge(1, 1, 1, j);
    sheet.setValue(1, 1, title);

    CellStyle small;
    small.fontSize = 9;
    int i = 0;
    for (int r = 0; r < grid.cells.size(); ++r) {
        if (!shown(grid.rowShown, r))
            continue;
        ++i;
        if (i > 1)
            sheet.setRowHeight(i + 1, 10);
        int col = 0;
        for (int c = 0; c < columnCount; ++c) {
            if (!shown(grid.columnShown, c))
                continue;
            ++col;
            QString text = grid.cells[r].value(c);
            if (i == 1 && c == kStatExcellentCount && !text.isEmpty())
                text = kExcellentCountHeading;
            if (i == 1)
                text = brokenAtBar(text, formatOf(c).width, *small.fontSize);
            sheet.setValue(i + 1, col, text, small);
        }
    }

    if (i > 0 && j > 0)
        sheet.setTable(2, 1, i + 1, j);

    // Each subject once, merged over its rows.
    int b = 3;
    for (int x = 4; x <= i + 1; ++x) {
        if (sheet.text(x, 1) == sheet.text(b, 1)) {
            sheet.clearValue(x, 1);
        } else {
            if (x - b >= 2)
                sheet.merge(b, 1, x - 1, 1);
            b = x;
        }
    }
    return sheet;
}

} // namespace tessaly::grades
