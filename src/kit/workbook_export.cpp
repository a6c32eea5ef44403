#include "kit/workbook_export.h"

#include "platform/export_workbook.h"
#include "platform/messages.h"

namespace tessaly {

bool handOverWorkbook(ExportWorkbook &book, QWidget *parent)
{
    QString error;
    if (book.saveAndOpen(nullptr, &error))
        return true;
    showNotice(parent, error);
    return false;
}

} // namespace tessaly
