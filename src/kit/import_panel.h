#pragma once
// The workbook steps the import panels share: choosing and opening the workbook, and
// listing a worksheet's headers. The windows keep the workbook and their bindings.
#include "kit/column_mapping.h"
#include "workbook/import_workbook.h"

#include <memory>

class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace tessaly {

// The file dialog "打开" for a workbook. On a choice the workbook open so far is
// released first (it was only read: nothing is written), then the chosen one opens:
// its path shown in pathBox and its worksheets listed in sheetBox, none chosen. A file
// that cannot be read is reported ("提示……") and leaves no workbook and an empty path.
// False when the user cancelled (nothing changes) or the file could not be read.
bool OpenImportWorkbook(QWidget *parent, std::unique_ptr<ImportWorkbook> &book, QLineEdit *pathBox,
                        QComboBox *sheetBox);

// Where ListSheetHeaders looks for the captions: the captions of every field and
// those of the key field (see captionRow); without them, in row 1.
struct CaptionSearch {
    QStringList known;
    QStringList keys;
};

// Makes the worksheet at `index` current and lists the headers of its caption row in
// `headers` (cleared first); returns that row. A sheet that cannot be read is reported
// ("提示……") and lists nothing.
int ListSheetHeaders(QWidget *parent, ImportWorkbook &book, int index, QListWidget *headers,
                     HeaderText form = HeaderText::Trimmed, const CaptionSearch &search = {});

} // namespace tessaly
