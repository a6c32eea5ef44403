#pragma once
// Reading a legacy .xls workbook: BIFF5 (Excel 5.0/95) or BIFF8 (Excel 97–2003) records
// in the "Workbook" or "Book" stream of a compound file, which libgsf opens.
// Only worksheets are listed (chart, macro and module sheets are not); embedded charts
// inside a worksheet are skipped. Formula cells read as their stored result; one whose
// result is the empty text (which programs that do not calculate write) is evaluated from
// its parsed tokens where they can be (platform/formula). The stream read is capped in
// size, and no count a record declares is trusted for allocation.
#include "workbook/workbook_cells.h"

#include <QByteArray>
#include <QStringList>

#include <memory>

namespace tessaly::workbook {

// Workbook stream size above which a file is refused.
inline constexpr qint64 kMaxStreamBytes = 32 * 1024 * 1024;

class XlsBook {
public:
    // The file's bytes (an OLE2 compound file); the book keeps only the workbook stream.
    static std::unique_ptr<XlsBook> open(const QByteArray &bytes, Failure *failure);
    ~XlsBook();

    QStringList sheetNames() const;
    bool readSheet(int index, SheetCells *cells, Failure *failure) const;

    struct Stream;

private:
    XlsBook();
    std::unique_ptr<Stream> s;
};

} // namespace tessaly::workbook
