#include "platform/xls_book.h"

#include "platform/excel_values.h"

#include <QFile>

#include <freexl.h>

#include <algorithm>

namespace tessaly::workbook {

namespace {

struct Handle {
    const void *h = nullptr;
    ~Handle()
    {
        if (h)
            freexl_close(h);
    }
};

QString cellText(const FreeXL_CellValue &v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
        return QString::number(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return excel::numberText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return v.value.text_value ? QString::fromUtf8(v.value.text_value) : QString();
    default:
        return QString();
    }
}

} // namespace

XlsFailure readXls(const QString &path, XlsContent *content)
{
    Handle handle;
    // FreeXL may report success yet give no handle for a file it cannot read.
    if (freexl_open(QFile::encodeName(path).constData(), &handle.h) != FREEXL_OK || !handle.h)
        return XlsFailure::Unreadable;
    unsigned int info = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        return XlsFailure::Encrypted;
    unsigned int count = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        return XlsFailure::Unreadable;
    if (count == 0)
        return XlsFailure::NoSheets;
    XlsContent result;
    for (unsigned int s = 0; s < count && s <= 0xffff; ++s) {
        const char *name = nullptr;
        if (freexl_get_worksheet_name(handle.h, (unsigned short)s, &name) != FREEXL_OK
            || freexl_select_active_worksheet(handle.h, (unsigned short)s) != FREEXL_OK)
            return XlsFailure::Unreadable;
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_worksheet_dimensions(handle.h, &rows, &cols) != FREEXL_OK)
            return XlsFailure::Unreadable;
        rows = std::min<unsigned int>(rows, excel::kMaxRows);
        SheetCells cells;
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(handle.h, r, c, &v) == FREEXL_OK)
                    cells.set(int(r) + 1, int(c) + 1, cellText(v));
            }
        result.names << (name ? QString::fromUtf8(name) : QString());
        result.sheets.push_back(std::move(cells));
    }
    *content = std::move(result);
    return XlsFailure::None;
}

} // namespace tessaly::workbook
