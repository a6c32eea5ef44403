#include "kit/import_panel.h"

#include "platform/file_chooser.h"
#include "platform/messages.h"

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

void ListSheetHeaders(QWidget *parent, ImportWorkbook &book, int index, QListWidget *headers, HeaderText form)
{
    headers->clear();
    if (book.selectSheet(index))
        headers->addItems(sheetHeaders(book, form));
    else
        showNotice(parent, book.errorString(), kTitleHintDots);
}

} // namespace tessaly
