#pragma once
// Reading a legacy .xls workbook (BIFF in an OLE2 file) through FreeXL.
#include "platform/workbook_cells.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tessaly::workbook {

enum class XlsFailure { None, Unreadable, Encrypted, NoSheets };

struct XlsContent {
    QStringList names;
    std::vector<SheetCells> sheets;
};

// Reads every worksheet. FreeXL gives dates as "YYYY-MM-DD", date-times as
// "YYYY-MM-DD HH:MM:SS" and times as "HH:MM:SS"; its sheet dimensions are counts of
// rows and columns.
XlsFailure readXls(const QString &path, XlsContent *content);

} // namespace tessaly::workbook
