#pragma once
// Binding the columns of a worksheet to the fields a window imports: the row that
// holds the sheet's captions, its header list, one binding per field, and the extent
// of the data rows. Widget-free; the import windows show the headers and bindings and
// call these.
#include "workbook/import_workbook.h"

#include <QString>
#include <QStringList>

namespace tessaly {

// The current sheet's texts of the caption row (row 1 unless told), trimmed (or as
// stored), from column 1 up to but not including the first empty cell. A cell of
// blanks only is not empty: trimmed, it gives an empty item. Item k stands for sheet
// column k + 1.
enum class HeaderText { Trimmed, AsStored };
QStringList sheetHeaders(const ImportWorkbook &book, HeaderText form = HeaderText::Trimmed, int row = 1);

// The rows below row 1 that may hold the captions when a title stands above them.
inline constexpr int kLastCaptionRow = 10;

// The row of the current sheet that holds its captions: row 1 when one of its cells
// reads a caption of `known`; otherwise the first of rows 2 … kLastCaptionRow with a
// cell that reads one of `keys` (the captions of the key field, 姓名); otherwise row 1.
// A cell reads a caption when it equals it with every blank taken out (" 姓  名").
int captionRow(const ImportWorkbook &book, const QStringList &known, const QStringList &keys);

// What the import panel says when the captions are not in row 1; empty when they are.
QString captionRowNote(int row);

// A field's binding to a header: the header's position in the list and its text. The
// field counts as bound while the label is not empty (a header of blanks binds nothing).
struct ColumnBinding {
    int position = 0;
    QString label;

    bool isBound() const { return !label.isEmpty(); }
    int sheetColumn() const { return position + 1; }
    void reset() { *this = ColumnBinding{}; }
};

// Binds the header at `position` of the list; false (nothing changes) when there is none.
bool bindColumn(ColumnBinding &binding, const QStringList &headers, int position);

// The first row, from row `from` down, whose cell in sheet column `col` is empty (blanks
// are not empty). Past the last used row every cell is empty, so it always ends.
int firstEmptyRow(const ImportWorkbook &book, int col, int from = 1);

// The rows below `emptyRow` (an empty key cell that ends the data rows) whose cell in
// sheet column `col` holds something: rows a gap in the list leaves out.
QList<int> rowsBelowGap(const ImportWorkbook &book, int col, int emptyRow);

} // namespace tessaly
