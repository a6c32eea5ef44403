#pragma once
// Handing an export workbook to the user, as every window that writes one does.
class QWidget;

namespace tessaly {

class ExportWorkbook;

// Writes the workbook into the export folder under a new name and opens it in
// the spreadsheet program. A workbook that cannot be written, or written but not
// opened, is reported (OK, the program's title) with where it stands. True when
// the user has it open.
bool handOverWorkbook(ExportWorkbook &book, QWidget *parent);

} // namespace tessaly
