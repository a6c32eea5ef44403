#include "kit/workbook_export.h"

#include "workbook/export_workbook.h"
#include "widgets/messages.h"

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
