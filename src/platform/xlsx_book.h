#pragma once
// Reading and patching an .xlsx package (a zip of XML parts) held in memory.
// Sheets are found through the relationship parts; element names are compared without
// their namespace prefix; every part read is capped in size. A formula cell without a
// stored result is evaluated from the workbook's cells (platform/formula).
#include "platform/workbook_cells.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <utility>

namespace tessaly::workbook {

// Uncompressed size above which an XML part is refused.
inline constexpr qint64 kMaxPartBytes = 32 * 1024 * 1024;
// Entries above which a package is refused.
inline constexpr qint64 kMaxEntries = 20000;

// Texts to write, per sheet position, per (row, column).
using CellEdits = std::map<std::pair<int, int>, QString>;
using BookEdits = std::map<int, CellEdits>;

class XlsxBook {
public:
    // The package in bytes (the book keeps its own shared copy).
    static std::unique_ptr<XlsxBook> open(const QByteArray &bytes, Failure *failure);
    ~XlsxBook();

    QStringList sheetNames() const;
    bool readSheet(int index, SheetCells *cells, Failure *failure) const;

    // The package with the edited cells written in as inline strings. Only the edited
    // sheets' XML is rewritten (and, when a formula was overwritten, the calculation
    // chain dropped). False with *problem set to a message for the user.
    bool patch(const BookEdits &edits, QByteArray *out, QString *problem) const;

    struct Package;

private:
    XlsxBook();
    std::unique_ptr<Package> p;
};

} // namespace tessaly::workbook
