#pragma once
// Binding the columns of a worksheet to the fields a window imports: the header list
// of the sheet's first row, one binding per field, and the extent of the data rows.
// Widget-free; the import windows show the headers and bindings and call these.
#include "platform/import_workbook.h"

#include <QString>
#include <QStringList>

namespace tessaly {

// The current sheet's row-1 texts, trimmed (or as stored), from column 1 up to but not
// including the first empty cell. A cell of blanks only is not empty: trimmed, it gives
// an empty item. Item k stands for sheet column k + 1.
enum class HeaderText { Trimmed, AsStored };
QStringList sheetHeaders(const ImportWorkbook &book, HeaderText form = HeaderText::Trimmed);

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

// The first row, from row 1 down, whose cell in sheet column `col` is empty (blanks are
// not empty). Past the last used row every cell is empty, so it always ends.
int firstEmptyRow(const ImportWorkbook &book, int col);

} // namespace tessaly
