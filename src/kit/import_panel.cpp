#include "kit/import_panel.h"

#include "widgets/file_chooser.h"
#include "widgets/messages.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>

namespace tessaly {

bool OpenImportWorkbook(QWidget *parent, std::unique_ptr<ImportWorkbook> &book, QLineEdit *pathBox,
                        QComboBox *sheetBox)
{
    const QString path = chooseOpenFile(parent, QStringLiteral("打开"), workbookFilters());
    if (path.isEmpty())
        return false;
    book.reset();
    sheetBox->clear();
    QString error;
    book = ImportWorkbook::open(path, &error);
    if (!book) {
        pathBox->clear();
        showNotice(parent, error, kTitleHintDots);
        return false;
    }
    pathBox->setText(QDir::toNativeSeparators(path));
    sheetBox->addItems(book->sheetNames());
    sheetBox->setCurrentIndex(-1);
    return true;
}

int ListSheetHeaders(QWidget *parent, ImportWorkbook &book, int index, QListWidget *headers, HeaderText form,
                     const CaptionSearch &search)
{
    headers->clear();
    if (!book.selectSheet(index)) {
        showNotice(parent, book.errorString(), kTitleHintDots);
        return 1;
    }
    const int row = search.keys.isEmpty() ? 1 : captionRow(book, search.known, search.keys);
    headers->addItems(sheetHeaders(book, form, row));
    return row;
}

} // namespace tessaly
