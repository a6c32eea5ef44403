#include "workbook/import_workbook.h"

#include "workbook/excel_values.h"
#include "workbook/workbook_cells.h"
#include "workbook/xls_book.h"
#include "workbook/xlsx_book.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>
#include <optional>
#include <vector>

namespace tessaly {

using workbook::BookEdits;
using workbook::SheetCells;

namespace {

// Files above this size are not opened: a school's workbook is far smaller.
constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;

const QByteArray kZipMagic("PK\x03\x04", 4);
const QByteArray kEmptyZipMagic("PK\x05\x06", 4);
const QByteArray kOle2Magic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString cannotOpen(const QString &path, const QString &why)
{
    return QStringLiteral("无法打开文件“%1”：%2").arg(shown(path), why);
}

QString notExcel(const QString &path)
{
    return QStringLiteral("“%1”不是Excel文件，无法读取。").arg(shown(path));
}

QString cannotSave(const QString &path, const QString &why)
{
    return QStringLiteral("无法保存文件“%1”：%2").arg(shown(path), why);
}

const QString kDamaged = QStringLiteral("文件已损坏。");
const QString kTooLarge = QStringLiteral("文件太大。");
const QString kNoSheets = QStringLiteral("文件中没有工作表。");
const QString kPassword = QStringLiteral("文件设有密码，请先在电子表格程序中取消密码。");

// An encrypted .xlsx is an OLE2 file holding an "EncryptedPackage" stream.
bool isEncryptedPackage(const QByteArray &bytes)
{
    const QString name = QStringLiteral("EncryptedPackage");
    const QByteArray utf16(reinterpret_cast<const char *>(name.utf16()), name.size() * 2);
    return bytes.contains(utf16);
}

// Why a workbook cannot be opened, for the user.
QString refusal(const QString &path, workbook::Failure failure)
{
    switch (failure) {
    case workbook::Failure::NotWorkbook:
        return notExcel(path);
    case workbook::Failure::Damaged:
        return cannotOpen(path, kDamaged);
    case workbook::Failure::TooLarge:
        return cannotOpen(path, kTooLarge);
    case workbook::Failure::NoSheets:
        return cannotOpen(path, kNoSheets);
    case workbook::Failure::Protected:
        return cannotOpen(path, kPassword);
    case workbook::Failure::None:
        break;
    }
    return QString();
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

struct ImportWorkbook::Impl {
    QString path;
    Format format = Format::Xlsx;
    QByteArray bytes;  // .xlsx: the file as opened or last saved
    std::unique_ptr<workbook::XlsxBook> xlsx;
    std::unique_ptr<workbook::XlsBook> xls;
    QStringList names;
    std::vector<std::optional<SheetCells>> sheets;  // loaded on first selection
    int current = -1;
    BookEdits edits;
    QString error;

    const SheetCells *currentCells() const
    {
        return current >= 0 && sheets[size_t(current)] ? &*sheets[size_t(current)] : nullptr;
    }

    bool setCell(int row, int col, const workbook::CellEdit &edit)
    {
        if (!currentCells() || row < 1 || col < 1 || row > excel::kMaxRows || col > excel::kMaxCols)
            return false;
        SheetCells &cells = *sheets[size_t(current)];
        workbook::CellEdits &cellEdits = edits.sheets[current].cells;
        const auto key = std::make_pair(row, col);
        // A cell that already shows the text keeps what it holds (a number stays a number).
        if (cellEdits.count(key) || cells.value(row, col) != edit.text) {
            cellEdits[key] = edit;
            cells.set(row, col, edit.text);
        }
        return true;
    }
};

ImportWorkbook::ImportWorkbook(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
ImportWorkbook::~ImportWorkbook() = default;

std::unique_ptr<ImportWorkbook> ImportWorkbook::open(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        setError(error, cannotOpen(path, QStringLiteral("文件不存在。")));
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, cannotOpen(path, QStringLiteral("文件无法读取。")));
        return nullptr;
    }
    if (file.size() > kMaxFileBytes) {
        setError(error, cannotOpen(path, kTooLarge));
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    auto impl = std::make_unique<Impl>();
    impl->path = path;
    workbook::Failure failure = workbook::Failure::NotWorkbook;
    if (bytes.startsWith(kZipMagic) || bytes.startsWith(kEmptyZipMagic)) {
        impl->xlsx = workbook::XlsxBook::open(bytes, &failure);
        if (impl->xlsx) {
            impl->format = Format::Xlsx;
            impl->bytes = bytes;
            impl->names = impl->xlsx->sheetNames();
        }
    } else if (bytes.startsWith(kOle2Magic)) {
        if (isEncryptedPackage(bytes))
            failure = workbook::Failure::Protected;
        else
            impl->xls = workbook::XlsBook::open(bytes, &failure);
        if (impl->xls) {
            impl->format = Format::Xls;
            impl->names = impl->xls->sheetNames();
        }
    }
    if (failure != workbook::Failure::None) {
        setError(error, refusal(path, failure));
        return nullptr;
    }
    impl->sheets.resize(size_t(impl->names.size()));

    std::unique_ptr<ImportWorkbook> book(new ImportWorkbook(std::move(impl)));
    book->selectSheet(int(book->d->names.size()) - 1);
    return book;
}

QString ImportWorkbook::path() const
{
    return d->path;
}

ImportWorkbook::Format ImportWorkbook::format() const
{
    return d->format;
}

QStringList ImportWorkbook::sheetNames() const
{
    return d->names;
}

bool ImportWorkbook::selectSheet(int index)
{
    d->current = -1;
    if (index < 0 || index >= d->names.size()) {
        d->error = QStringLiteral("没有第%1个工作表。").arg(index + 1);
        return false;
    }
    std::optional<SheetCells> &slot = d->sheets[size_t(index)];
    if (!slot) {
        SheetCells cells;
        workbook::Failure failure = workbook::Failure::None;
        const bool read = d->xlsx ? d->xlsx->readSheet(index, &cells, &failure)
                                  : d->xls && d->xls->readSheet(index, &cells, &failure);
        if (!read) {
            d->error = QStringLiteral("无法读取工作表“%1”：%2")
                           .arg(d->names[index], failure == workbook::Failure::TooLarge
                                                     ? QStringLiteral("工作表太大。") : kDamaged);
            return false;
        }
        slot = std::move(cells);
    }
    d->current = index;
    d->error.clear();
    return true;
}

bool ImportWorkbook::selectSheet(const QString &name)
{
    const qsizetype index = d->names.indexOf(name);
    if (index < 0) {
        d->current = -1;
        d->error = QStringLiteral("工作表“%1”不存在。").arg(name);
        return false;
    }
    return selectSheet(int(index));
}

int ImportWorkbook::currentSheet() const
{
    return d->current;
}

QString ImportWorkbook::cell(int row, int col) const
{
    const SheetCells *cells = d->currentCells();
    return cells ? cells->value(row, col) : QString();
}

int ImportWorkbook::usedRows() const
{
    const SheetCells *cells = d->currentCells();
    return cells ? cells->usedRows() : 0;
}

int ImportWorkbook::usedCols() const
{
    const SheetCells *cells = d->currentCells();
    return cells ? cells->usedCols() : 0;
}

bool ImportWorkbook::setCell(int row, int col, const QString &text)
{
    return d->setCell(row, col, workbook::CellEdit{text, std::nullopt});
}

bool ImportWorkbook::setNumber(int row, int col, double value)
{
    return std::isfinite(value) && d->setCell(row, col, workbook::CellEdit{excel::numberText(value), value});
}

bool ImportWorkbook::formatColumn(int col, double width, bool centred)
{
    if (!d->currentCells() || col < 1 || col > excel::kMaxCols || !(width >= 0 && width <= 255))
        return false;
    d->edits.sheets[d->current].columns[col] = workbook::ColumnLook{width, centred};
    return true;
}

void ImportWorkbook::setActiveSheet(int index)
{
    if (index >= 0 && index < d->names.size())
        d->edits.activeSheet = index;
}

bool ImportWorkbook::isModified() const
{
    if (d->edits.activeSheet >= 0)
        return true;
    for (const auto &[sheet, edits] : d->edits.sheets)
        if (!edits.empty())
            return true;
    return false;
}

bool ImportWorkbook::save(QString *error)
{
    if (d->format == Format::Xls) {
        setError(error, QStringLiteral("“%1”是旧版Excel文件（.xls），不能保存修改。"
                                       "请先在电子表格程序中把它另存为.xlsx文件，再打开新文件。")
                            .arg(shown(d->path)));
        return false;
    }
    if (!isModified())
        return true;

    // Never overwrite what another program wrote since the file was opened.
    QFile current(d->path);
    if (!current.open(QIODevice::ReadOnly) || current.size() != d->bytes.size() || current.readAll() != d->bytes) {
        setError(error, cannotSave(d->path, QStringLiteral("文件在打开后已被其他程序修改或移走，请重新打开该文件。")));
        return false;
    }
    current.close();

    QByteArray patched;
    QString problem;
    std::vector<int> rewritten;
    if (!d->xlsx->patch(d->edits, &patched, &problem, &rewritten)) {
        setError(error, cannotSave(d->path, problem));
        return false;
    }
    // What is written must read back: the package, every sheet rewritten, every cell set.
    const QString unreadable = QStringLiteral("写入后的文件无法被正确读回，文件没有改动。");
    workbook::Failure failure = workbook::Failure::None;
    std::unique_ptr<workbook::XlsxBook> reread = workbook::XlsxBook::open(patched, &failure);
    if (!reread) {
        setError(error, cannotSave(d->path, unreadable));
        return false;
    }
    for (int sheet : rewritten) {
        SheetCells cells;
        if (!reread->readSheet(sheet, &cells, &failure)) {
            setError(error, cannotSave(d->path, failure == workbook::Failure::TooLarge
                                                    ? QStringLiteral("写入后工作表“%1”超出了本程序能读取的大小，"
                                                                     "文件没有改动。").arg(d->names.value(sheet))
                                                    : unreadable));
            return false;
        }
        const auto edited = d->edits.sheets.find(sheet);
        if (edited == d->edits.sheets.end())
            continue;
        for (const auto &[position, edit] : edited->second.cells)
            if (cells.value(position.first, position.second) != edit.text) {
                setError(error, cannotSave(d->path, unreadable));
                return false;
            }
    }

    QSaveFile out(d->path);
    if (!out.open(QIODevice::WriteOnly) || out.write(patched) != patched.size() || !out.commit()) {
        setError(error, cannotSave(d->path, QStringLiteral("文件无法写入，请检查它是否被其他程序占用，"
                                                            "以及所在文件夹是否允许写入。")));
        return false;
    }
    d->bytes = patched;
    d->xlsx = std::move(reread);
    d->edits = {};
    return true;
}

QString ImportWorkbook::errorString() const
{
    return d->error;
}

} // namespace tessaly
