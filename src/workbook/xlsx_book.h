#pragma once
// Reading and patching an .xlsx package (a zip of XML parts) held in memory.
// Sheets are found through the relationship parts; element names are compared without
// their namespace prefix; every part read is capped in size. A formula cell without a
// stored result is evaluated from the workbook's cells (platform/formula).
#include "workbook/workbook_cells.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tessaly::workbook {

// Uncompressed size above which an XML part is refused.
inline constexpr qint64 kMaxPartBytes = 32 * 1024 * 1024;
// Entries above which a package is refused.
inline constexpr qint64 kMaxEntries = 20000;

// A cell to write: a text (an inline string; empty empties the cell) or a number.
struct CellEdit {
    QString text;
    std::optional<double> number;
    bool blank() const { return !number && text.isEmpty(); }
};
// Cells to write per (row, column).
using CellEdits = std::map<std::pair<int, int>, CellEdit>;

// A column's new look: its width in characters of the standard font (0 keeps it) and
// whether its cells are centred.
struct ColumnLook {
    double width = 0;
    bool centred = false;
};

struct SheetEdits {
    CellEdits cells;
    std::map<int, ColumnLook> columns;
    bool empty() const { return cells.empty() && columns.empty(); }
};

struct BookEdits {
    std::map<int, SheetEdits> sheets;  // per sheet position
    int activeSheet = -1;              // the sheet shown on opening; -1 keeps the book's
};

class XlsxBook {
public:
    // The package in bytes (the book keeps its own shared copy).
    static std::unique_ptr<XlsxBook> open(const QByteArray &bytes, Failure *failure);
    ~XlsxBook();

    QStringList sheetNames() const;
    bool readSheet(int index, SheetCells *cells, Failure *failure) const;

    // The package with the edits written in: texts as inline strings, numbers as
    // values, each keeping its cell's style (a centred column's cells take a centred
    // copy of theirs). Only the parts that change are rewritten: the edited sheets, the
    // styles when a column is centred, the workbook and the sheets whose selection
    // changes when another sheet becomes the active one, and, when a formula was
    // overwritten, the calculation chain dropped. *rewritten receives the positions of
    // the worksheets rewritten. False with *problem set to a message for the user.
    bool patch(const BookEdits &edits, QByteArray *out, QString *problem,
               std::vector<int> *rewritten = nullptr) const;

    struct Package;

private:
    XlsxBook();
    std::unique_ptr<Package> p;
};

} // namespace tessaly::workbook
