#include "workbook/export_workbook.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QUrl>

#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace tessaly {

namespace {

// Ranges styled or merged cell by cell stay below this many cells; whole rows and
// columns have their own styles.
constexpr qint64 kMaxRangeCells = 100000;

template <class T>
struct Stamped {
    T value{};
    quint64 seq = 0;  // 0: never set

    void take(const std::optional<T> &v, quint64 s)
    {
        if (v) {
            value = *v;
            seq = s;
        }
    }
};

// The style changes that reached one cell, row or column, each field stamped with the
// order in which it was set.
struct StyleLayer {
    Stamped<QString> fontName;
    Stamped<double> fontSize;
    Stamped<bool> bold;
    Stamped<HAlign> hAlign;
    Stamped<VAlign> vAlign;
    Stamped<bool> wrap;
    Stamped<bool> shrink;
    Stamped<QString> numberFormat;
    Stamped<BorderLine> border;

    void apply(const CellStyle &s, quint64 seq)
    {
        fontName.take(s.fontName, seq);
        fontSize.take(s.fontSize, seq);
        bold.take(s.bold, seq);
        hAlign.take(s.hAlign, seq);
        vAlign.take(s.vAlign, seq);
        wrap.take(s.wrap, seq);
        shrink.take(s.shrink, seq);
        numberFormat.take(s.numberFormat, seq);
        border.take(s.border, seq);
    }

    bool isEmpty() const
    {
        return !fontName.seq && !fontSize.seq && !bold.seq && !hAlign.seq && !vAlign.seq
            && !wrap.seq && !shrink.seq && !numberFormat.seq && !border.seq;
    }
};

// The field set last among the layers that reach a cell, or the fallback.
template <class T>
std::optional<T> latest(Stamped<T> StyleLayer::*field, const StyleLayer *a, const StyleLayer *b,
                        const StyleLayer *c, const T &fallback)
{
    const Stamped<T> *best = nullptr;
    for (const StyleLayer *layer : {a, b, c}) {
        if (!layer)
            continue;
        const Stamped<T> &s = layer->*field;
        if (s.seq && (!best || s.seq > best->seq))
            best = &s;
    }
    return best ? best->value : fallback;
}

struct Cell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    QString text;
    double number = 0;
    StyleLayer style;
};

struct Line {
    std::optional<double> size;  // column width or row height
    StyleLayer style;
};

QString cellName(int row, int col)
{
    return QStringLiteral("第%1行第%2列").arg(row).arg(col);
}

bool validCell(int row, int col)
{
    return row >= 1 && row <= kMaxSheetRows && col >= 1 && col <= kMaxSheetColumns;
}

// Cuts a text to `units` UTF-16 units without splitting a surrogate pair.
QString cutText(const QString &text, int units)
{
    if (text.size() <= units)
        return text;
    qsizetype n = units;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

// A font size outside 1 .. 409 points is dropped, as a spreadsheet refuses it.
CellStyle withoutBadSize(const CellStyle &style)
{
    CellStyle checked = style;
    if (checked.fontSize && !(*checked.fontSize >= 1 && *checked.fontSize <= 409))
        checked.fontSize.reset();
    return checked;
}

QString styleKey(const CellStyle &s)
{
    return QStringList{s.fontName.value_or(QString()),
                       QString::number(s.fontSize.value_or(0), 'g', 17),
                       QString::number(s.bold.value_or(false)),
                       QString::number(int(s.hAlign.value_or(HAlign::General))),
                       QString::number(int(s.vAlign.value_or(VAlign::Bottom))),
                       QString::number(s.wrap.value_or(false)),
                       QString::number(s.shrink.value_or(false)),
                       s.numberFormat.value_or(QString()),
                       QString::number(int(s.border.value_or(BorderLine::None)))}
        .join(QChar(0x1f));
}

// One libxlsxwriter format per distinct resolved style, made when first needed.
class FormatCache {
public:
    explicit FormatCache(lxw_workbook *book) : m_book(book) {}

    lxw_format *get(const CellStyle &s)
    {
        const QString key = styleKey(s);
        auto it = m_formats.find(key);
        if (it != m_formats.end())
            return it->second;
        lxw_format *f = workbook_add_format(m_book);
        if (f) {
            if (s.fontName && !s.fontName->isEmpty())
                format_set_font_name(f, s.fontName->toUtf8().constData());
            if (s.fontSize)
                format_set_font_size(f, *s.fontSize);
            if (s.bold.value_or(false))
                format_set_bold(f);
            switch (s.hAlign.value_or(HAlign::General)) {
            case HAlign::General: break;
            case HAlign::Left: format_set_align(f, LXW_ALIGN_LEFT); break;
            case HAlign::Center: format_set_align(f, LXW_ALIGN_CENTER); break;
            case HAlign::Right: format_set_align(f, LXW_ALIGN_RIGHT); break;
            }
            switch (s.vAlign.value_or(VAlign::Bottom)) {
            case VAlign::Bottom: break;
            case VAlign::Center: format_set_align(f, LXW_ALIGN_VERTICAL_CENTER); break;
            case VAlign::Top: format_set_align(f, LXW_ALIGN_VERTICAL_TOP); break;
            }
            if (s.wrap.value_or(false))
                format_set_text_wrap(f);
            if (s.shrink.value_or(false))
                format_set_shrink(f);
            if (s.numberFormat && !s.numberFormat->isEmpty())
                format_set_num_format(f, s.numberFormat->toUtf8().constData());
            switch (s.border.value_or(BorderLine::None)) {
            case BorderLine::None: break;
            case BorderLine::Thin: format_set_border(f, LXW_BORDER_THIN); break;
            case BorderLine::Medium: format_set_border(f, LXW_BORDER_MEDIUM); break;
            }
        }
        m_formats.emplace(key, f);
        return f;
    }

private:
    lxw_workbook *m_book;
    std::map<QString, lxw_format *> m_formats;
};

QString writeErrorMessage(lxw_error error, const QString &path)
{
    const QString file = QDir::toNativeSeparators(path);
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
        return QStringLiteral("无法创建文件“%1”，请检查文件夹是否存在并且可以写入。").arg(file);
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
        return QStringLiteral("无法使用临时文件，工作簿“%1”没有保存。请检查磁盘空间。").arg(file);
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("内存不足，工作簿“%1”没有保存。").arg(file);
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("写入文件“%1”时出错，工作簿没有保存。请检查磁盘空间。").arg(file);
    default:
        return QStringLiteral("工作簿“%1”没有保存：%2").arg(file, QString::fromUtf8(lxw_strerror(error)));
    }
}

// Whether the file is a complete zip archive (a full disk can cut it short unnoticed).
bool isCompleteArchive(const QString &path)
{
    int err = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
    if (!archive)
        return false;
    const bool ok = zip_get_num_entries(archive, 0) > 0;
    zip_discard(archive);
    return ok;
}

QString fileNamePart(const QString &wanted)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString out;
    for (QChar c : wanted)
        out += (c.unicode() < 0x20 || forbidden.contains(c)) ? QChar(u'_') : c;
    out = cutText(out.trimmed(), 80);
    while (out.endsWith(u'.') || out.endsWith(u' '))
        out.chop(1);
    return out.isEmpty() ? QStringLiteral("导出") : out;
}

WorkbookOpener &installedOpener()
{
    static WorkbookOpener opener;
    return opener;
}

// The spreadsheet's default column width in characters.
constexpr double kDefaultColumnWidth = 8.43;

bool isWideCharacter(char32_t u)
{
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2460 && u <= 0x24FF) || (u >= 0x2500 && u <= 0x257F)
        || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF)
        || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6)
        || u >= 0x20000;
}

// Lines one paragraph (no line feed) takes at `capacity` character widths; `scale`
// turns widths of the standard font into those of the cell's font.
int paragraphLines(const QString &paragraph, double capacity, double scale)
{
    struct Atom {
        QList<double> widths;  // each character's
        bool space = false;
        double width() const { return std::accumulate(widths.begin(), widths.end(), 0.0); }
    };
    QList<Atom> atoms;
    bool inWord = false;
    for (const char32_t u : paragraph.toUcs4()) {
        if (u == 0x200B) {
            inWord = false;
        } else if (u == U' ' || u == 0x3000) {
            atoms.append({{(u == U' ' ? 1.0 : 2.0) * scale}, true});
            inWord = false;
        } else if (isWideCharacter(u)) {
            atoms.append({{2.0 * scale}, false});
            inWord = false;
        } else {
            if (!inWord)
                atoms.append({{}, false});
            atoms.last().widths.append(scale);
            inWord = true;
        }
    }
    int lines = 1;
    double used = 0;
    for (const Atom &atom : atoms) {
        if (atom.space) {
            if (used > 0)
                used = std::min(capacity, used + atom.width());  // a space may hang at the end
            continue;
        }
        const double w = atom.width();
        if (used + w <= capacity) {
            used += w;
        } else if (w <= capacity) {
            ++lines;
            used = w;
        } else {
            for (double c : atom.widths) {  // longer than a line: broken anywhere
                if (used > 0 && used + c > capacity) {
                    ++lines;
                    used = 0;
                }
                used += c;
            }
        }
    }
    return lines;
}

} // namespace

// ---------------------------------------------------------------- free functions

QString sanitizeSheetName(const QString &wanted, const QStringList &taken)
{
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    QString name;
    for (QChar c : wanted)
        name += (c.unicode() < 0x20 || forbidden.contains(c)) ? QChar(u'_') : c;
    while (name.startsWith(u'\''))
        name.remove(0, 1);
    while (name.endsWith(u'\''))
        name.chop(1);
    name = cutText(name, kMaxSheetNameLength);
    // Cutting may leave an apostrophe at the end.
    while (name.endsWith(u'\''))
        name.chop(1);
    if (name.isEmpty())
        name = QStringLiteral("Sheet");

    auto isTaken = [&taken](const QString &n) {
        if (n.compare(QStringLiteral("History"), Qt::CaseInsensitive) == 0)
            return true;
        for (const QString &t : taken)
            if (t.compare(n, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    };
    if (!isTaken(name))
        return name;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral("(%1)").arg(n);
        QString candidate = cutText(name, kMaxSheetNameLength - int(suffix.size()));
        while (candidate.endsWith(u'\''))
            candidate.chop(1);
        candidate += suffix;
        if (!isTaken(candidate))
            return candidate;
    }
}

bool isPlainNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && text.at(i) == u'-')
        ++i;
    const qsizetype intStart = i;
    while (i < n && text.at(i) >= u'0' && text.at(i) <= u'9')
        ++i;
    const qsizetype intEnd = i;
    if (intEnd == intStart)
        return false;
    if (intEnd - intStart > 1 && text.at(intStart) == u'0')
        return false;  // a leading zero marks a code ("007"), not a number
    qsizetype fracStart = i, fracEnd = i;
    if (i < n && text.at(i) == u'.') {
        fracStart = ++i;
        while (i < n && text.at(i) >= u'0' && text.at(i) <= u'9')
            ++i;
        fracEnd = i;
        if (fracEnd == fracStart)
            return false;
    }
    if (i != n)
        return false;
    // Significant digits: leading zeros and trailing zeros of the fraction do not count.
    QString digits = text.mid(intStart, intEnd - intStart) + text.mid(fracStart, fracEnd - fracStart);
    qsizetype first = 0;
    while (first < digits.size() && digits.at(first) == u'0')
        ++first;
    qsizetype last = digits.size();
    const qsizetype fracLen = fracEnd - fracStart;
    for (qsizetype k = 0; k < fracLen && last > first && digits.at(last - 1) == u'0'; ++k)
        --last;
    return last - first <= 15;
}

double neededRowHeight(double points, int lines)
{
    constexpr double pixel = 0.75;  // points in a screen pixel
    return std::min(kMaxRowHeight, std::ceil(points * 1.45 * std::max(lines, 1) / pixel) * pixel);
}

int wrappedLineCount(const QString &text, double widthChars, double points, bool bold)
{
    if (text.isEmpty())
        return 1;
    const double scale = points / 11.0 * (bold ? 1.08 : 1.0);
    const double capacity = std::max(widthChars, 0.0);
    int lines = 0;
    for (const QString &paragraph : text.split(u'\n'))
        lines += paragraphLines(paragraph, capacity, scale);
    return lines;
}

bool openWithDesktop(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

WorkbookOpener installWorkbookOpener(WorkbookOpener opener)
{
    WorkbookOpener previous = std::move(installedOpener());
    installedOpener() = std::move(opener);
    return previous;
}

QString exportFolder()
{
    const QString env = qEnvironmentVariable("TESSALY_EXPORTS");
    if (!env.isEmpty())
        return env;
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return QDir(documents).filePath(QStringLiteral("Tessaly导出"));
}

RecordingWorkbookOpener::RecordingWorkbookOpener(bool result) : m_result(result)
{
    m_previous = installWorkbookOpener([this](const QString &path) {
        m_paths.append(path);
        return m_result;
    });
}

RecordingWorkbookOpener::~RecordingWorkbookOpener()
{
    installWorkbookOpener(std::move(m_previous));
}

// ---------------------------------------------------------------- ExportSheet

struct ExportSheet::Data {
    QString name;
    std::map<std::pair<int, int>, Cell> cells;
    std::map<int, Line> rows;
    std::map<int, Line> cols;
    std::optional<double> allRowHeights;
    QList<CellRange> merges;
    bool landscape = false;
    std::optional<CellRange> table;
    int headerRows = 0;
    quint64 seq = 0;

    bool inTable(int row, int col) const { return table && table->contains(row, col); }
    // The merge a cell belongs to, or the cell alone.
    CellRange spanOf(int row, int col) const
    {
        for (const CellRange &m : merges)
            if (m.contains(row, col))
                return m;
        return {row, col, row, col};
    }

    Cell *find(int row, int col)
    {
        auto it = cells.find({row, col});
        return it == cells.end() ? nullptr : &it->second;
    }
    const Cell *find(int row, int col) const
    {
        auto it = cells.find({row, col});
        return it == cells.end() ? nullptr : &it->second;
    }
    const StyleLayer *rowLayer(int row) const
    {
        auto it = rows.find(row);
        return it == rows.end() ? nullptr : &it->second.style;
    }
    const StyleLayer *colLayer(int col) const
    {
        auto it = cols.find(col);
        return it == cols.end() ? nullptr : &it->second.style;
    }
};

ExportSheet::ExportSheet(ExportWorkbook &book, const QString &name)
    : d(std::make_unique<Data>()), m_book(book)
{
    d->name = name;
}

ExportSheet::~ExportSheet() = default;

QString ExportSheet::name() const
{
    return d->name;
}

QString ExportSheet::setName(const QString &name)
{
    const QString given = sanitizeSheetName(name, m_book.namesExcept(this));
    if (given != name)
        m_book.note(QStringLiteral("工作表名“%1”不符合电子表格的要求，已改为“%2”。").arg(name, given));
    d->name = given;
    return given;
}

bool ExportSheet::inSheet(int row, int col)
{
    if (validCell(row, col))
        return true;
    m_book.note(QStringLiteral("工作表“%1”：%2在工作表之外，已跳过。").arg(d->name, cellName(row, col)));
    return false;
}

void ExportSheet::setText(int row, int col, const QString &text, const CellStyle &style)
{
    if (!inSheet(row, col))
        return;
    setStyle(row, col, style);
    Cell &cell = d->cells[{row, col}];
    if (text.isEmpty()) {
        cell.kind = Cell::Kind::Empty;
        cell.text.clear();
        return;
    }
    cell.kind = Cell::Kind::Text;
    cell.text = cutText(text, kMaxCellTextLength);
    if (cell.text.size() != text.size())
        m_book.note(QStringLiteral("工作表“%1”：%2的文字超过%3个字符，已截断。")
                        .arg(d->name, cellName(row, col))
                        .arg(kMaxCellTextLength));
}

void ExportSheet::setNumber(int row, int col, double value, const CellStyle &style)
{
    if (!inSheet(row, col))
        return;
    setStyle(row, col, style);
    Cell &cell = d->cells[{row, col}];
    if (!std::isfinite(value)) {
        cell.kind = Cell::Kind::Empty;
        cell.text.clear();
        m_book.note(QStringLiteral("工作表“%1”：%2的数值无效，单元格留空。").arg(d->name, cellName(row, col)));
        return;
    }
    cell.kind = Cell::Kind::Number;
    cell.text.clear();
    cell.number = value == 0 ? 0.0 : value;  // no negative zero
}

void ExportSheet::setValue(int row, int col, const QString &text, const CellStyle &style)
{
    if (isPlainNumber(text))
        setNumber(row, col, text.toDouble(), style);
    else
        setText(row, col, text, style);
}

void ExportSheet::clearValue(int row, int col)
{
    if (Cell *cell = d->find(row, col)) {
        cell->kind = Cell::Kind::Empty;
        cell->text.clear();
    }
}

QString ExportSheet::text(int row, int col) const
{
    const Cell *cell = d->find(row, col);
    if (!cell)
        return {};
    switch (cell->kind) {
    case Cell::Kind::Empty: return {};
    case Cell::Kind::Text: return cell->text;
    case Cell::Kind::Number: return QString::number(cell->number, 'g', QLocale::FloatingPointShortest);
    }
    return {};
}

std::optional<double> ExportSheet::number(int row, int col) const
{
    const Cell *cell = d->find(row, col);
    if (cell && cell->kind == Cell::Kind::Number)
        return cell->number;
    return std::nullopt;
}

void ExportSheet::setStyle(int row, int col, const CellStyle &style)
{
    if (!inSheet(row, col))
        return;
    const CellStyle checked = withoutBadSize(style);
    const quint64 seq = ++d->seq;
    StyleLayer probe;
    probe.apply(checked, seq);
    if (probe.isEmpty())
        return;
    d->cells[{row, col}].style.apply(checked, seq);
}

namespace {

CellRange normalised(int row1, int col1, int row2, int col2)
{
    return {std::min(row1, row2), std::min(col1, col2), std::max(row1, row2), std::max(col1, col2)};
}

qint64 cellCount(const CellRange &r)
{
    return qint64(r.lastRow - r.firstRow + 1) * qint64(r.lastCol - r.firstCol + 1);
}

QString rangeName(const CellRange &r)
{
    return QStringLiteral("%1至%2").arg(cellName(r.firstRow, r.firstCol), cellName(r.lastRow, r.lastCol));
}

} // namespace

void ExportSheet::setRangeStyle(int row1, int col1, int row2, int col2, const CellStyle &style)
{
    const CellRange r = normalised(row1, col1, row2, col2);
    if (!validCell(r.firstRow, r.firstCol) || !validCell(r.lastRow, r.lastCol)) {
        m_book.note(QStringLiteral("工作表“%1”：%2在工作表之外，已跳过。").arg(d->name, rangeName(r)));
        return;
    }
    if (cellCount(r) > kMaxRangeCells) {
        m_book.note(QStringLiteral("工作表“%1”：%2的区域过大，格式已跳过。").arg(d->name, rangeName(r)));
        return;
    }
    for (int row = r.firstRow; row <= r.lastRow; ++row)
        for (int col = r.firstCol; col <= r.lastCol; ++col)
            setStyle(row, col, style);
}

void ExportSheet::setRowStyle(int row, const CellStyle &style)
{
    if (row < 1 || row > kMaxSheetRows) {
        m_book.note(QStringLiteral("工作表“%1”：第%2行在工作表之外，已跳过。").arg(d->name).arg(row));
        return;
    }
    const CellStyle checked = withoutBadSize(style);
    d->rows[row].style.apply(checked, ++d->seq);
}

void ExportSheet::setColumnStyle(int col, const CellStyle &style)
{
    if (col < 1 || col > kMaxSheetColumns) {
        m_book.note(QStringLiteral("工作表“%1”：第%2列在工作表之外，已跳过。").arg(d->name).arg(col));
        return;
    }
    const CellStyle checked = withoutBadSize(style);
    d->cols[col].style.apply(checked, ++d->seq);
}

namespace {

CellStyle resolve(const StyleLayer *cell, const StyleLayer *row, const StyleLayer *col,
                  const QString &fontName, double fontSize)
{
    CellStyle s;
    s.fontName = latest(&StyleLayer::fontName, cell, row, col, fontName);
    s.fontSize = latest(&StyleLayer::fontSize, cell, row, col, fontSize);
    s.bold = latest(&StyleLayer::bold, cell, row, col, false);
    s.hAlign = latest(&StyleLayer::hAlign, cell, row, col, HAlign::General);
    s.vAlign = latest(&StyleLayer::vAlign, cell, row, col, VAlign::Bottom);
    s.wrap = latest(&StyleLayer::wrap, cell, row, col, false);
    s.shrink = latest(&StyleLayer::shrink, cell, row, col, false);
    s.numberFormat = latest(&StyleLayer::numberFormat, cell, row, col, QString());
    s.border = latest(&StyleLayer::border, cell, row, col, BorderLine::None);
    return s;
}

} // namespace

CellStyle ExportSheet::effectiveStyle(int row, int col) const
{
    const Cell *cell = d->find(row, col);
    CellStyle style = resolve(cell ? &cell->style : nullptr, d->rowLayer(row), d->colLayer(col),
                              m_book.m_defaultFontName, m_book.m_defaultFontSize);
    if (d->inTable(row, col) && style.border == BorderLine::None)
        style.border = BorderLine::Thin;
    return style;
}

void ExportSheet::merge(int row1, int col1, int row2, int col2)
{
    const CellRange r = normalised(row1, col1, row2, col2);
    if (!validCell(r.firstRow, r.firstCol) || !validCell(r.lastRow, r.lastCol)) {
        m_book.note(QStringLiteral("工作表“%1”：%2在工作表之外，没有合并。").arg(d->name, rangeName(r)));
        return;
    }
    if (cellCount(r) == 1)
        return;
    if (cellCount(r) > kMaxRangeCells) {
        m_book.note(QStringLiteral("工作表“%1”：%2的区域过大，没有合并。").arg(d->name, rangeName(r)));
        return;
    }
    d->merges.removeIf([&r](const CellRange &m) { return m.overlaps(r); });
    d->merges.append(r);
    for (int row = r.firstRow; row <= r.lastRow; ++row) {
        for (auto it = d->cells.lower_bound({row, r.firstCol});
             it != d->cells.end() && it->first <= std::pair{row, r.lastCol}; ++it) {
            if (it->first != std::pair{r.firstRow, r.firstCol}) {
                it->second.kind = Cell::Kind::Empty;
                it->second.text.clear();
            }
        }
    }
}

void ExportSheet::merge(int row1, int col1, int row2, int col2, const QString &text,
                        const CellStyle &style)
{
    const CellRange r = normalised(row1, col1, row2, col2);
    merge(row1, col1, row2, col2);
    if (!validCell(r.firstRow, r.firstCol) || !validCell(r.lastRow, r.lastCol)
        || cellCount(r) > kMaxRangeCells)
        return;  // refused, with its note
    setRangeStyle(r.firstRow, r.firstCol, r.lastRow, r.lastCol, style);
    setText(r.firstRow, r.firstCol, text);
}

QList<CellRange> ExportSheet::merges() const
{
    return d->merges;
}

void ExportSheet::setColumnWidth(int col, double chars)
{
    if (col < 1 || col > kMaxSheetColumns || !(chars >= 0)) {
        m_book.note(QStringLiteral("工作表“%1”：第%2列的宽度%3无效，已跳过。").arg(d->name).arg(col).arg(chars));
        return;
    }
    if (chars > kMaxColumnWidth)
        m_book.note(QStringLiteral("工作表“%1”：第%2列的宽度%3超过%4，已改为%4。")
                        .arg(d->name).arg(col).arg(chars).arg(kMaxColumnWidth));
    d->cols[col].size = std::min(chars, kMaxColumnWidth);
}

std::optional<double> ExportSheet::columnWidth(int col) const
{
    auto it = d->cols.find(col);
    return it == d->cols.end() ? std::nullopt : it->second.size;
}

void ExportSheet::setRowHeight(int row, double points)
{
    if (row < 1 || row > kMaxSheetRows || !(points >= 0)) {
        m_book.note(QStringLiteral("工作表“%1”：第%2行的高度%3无效，已跳过。").arg(d->name).arg(row).arg(points));
        return;
    }
    if (points > kMaxRowHeight)
        m_book.note(QStringLiteral("工作表“%1”：第%2行的高度%3超过%4，已改为%4。")
                        .arg(d->name).arg(row).arg(points).arg(kMaxRowHeight));
    d->rows[row].size = std::min(points, kMaxRowHeight);
}

std::optional<double> ExportSheet::rowHeight(int row) const
{
    auto it = d->rows.find(row);
    if (it != d->rows.end() && it->second.size)
        return it->second.size;
    return d->allRowHeights;
}

void ExportSheet::setAllRowHeights(double points)
{
    if (!(points >= 0)) {
        m_book.note(QStringLiteral("工作表“%1”：行高%2无效，已跳过。").arg(d->name).arg(points));
        return;
    }
    if (points > kMaxRowHeight)
        m_book.note(QStringLiteral("工作表“%1”：行高%2超过%3，已改为%3。").arg(d->name).arg(points).arg(kMaxRowHeight));
    for (auto &[row, line] : d->rows)
        line.size.reset();
    d->allRowHeights = std::min(points, kMaxRowHeight);
}

std::optional<double> ExportSheet::allRowHeights() const
{
    return d->allRowHeights;
}

void ExportSheet::setLandscape(bool landscape)
{
    d->landscape = landscape;
}

bool ExportSheet::isLandscape() const
{
    return d->landscape;
}

void ExportSheet::setTable(int row1, int col1, int row2, int col2, int headerRows)
{
    const CellRange r = normalised(row1, col1, row2, col2);
    if (!validCell(r.firstRow, r.firstCol) || !validCell(r.lastRow, r.lastCol)) {
        m_book.note(QStringLiteral("工作表“%1”：%2在工作表之外，表格没有设置。").arg(d->name, rangeName(r)));
        return;
    }
    if (cellCount(r) > kMaxRangeCells) {
        m_book.note(QStringLiteral("工作表“%1”：%2的区域过大，表格没有设置。").arg(d->name, rangeName(r)));
        return;
    }
    d->table = r;
    d->headerRows = std::clamp(headerRows, 0, r.lastRow - r.firstRow + 1);
}

std::optional<CellRange> ExportSheet::table() const
{
    return d->table;
}

int ExportSheet::tableHeaderRows() const
{
    return d->table ? d->headerRows : 0;
}

std::optional<double> ExportSheet::printedRowHeight(int row) const
{
    const std::optional<double> own = rowHeight(row);
    if (own && *own == 0)
        return own;
    double needed = 0;
    for (auto it = d->cells.lower_bound({row, 1}); it != d->cells.end() && it->first.first == row; ++it) {
        if (it->second.kind == Cell::Kind::Empty)
            continue;
        const int col = it->first.second;
        const CellRange span = d->spanOf(row, col);
        if (span.lastRow > span.firstRow)
            continue;  // the rows of a taller merge share its height
        const CellStyle style = effectiveStyle(row, col);
        const double points = style.fontSize.value_or(11);
        int lines = 1;
        if (style.wrap.value_or(false) && it->second.kind == Cell::Kind::Text) {
            double width = 0;
            for (int c = span.firstCol; c <= span.lastCol; ++c)
                width += columnWidth(c).value_or(kDefaultColumnWidth);
            lines = wrappedLineCount(it->second.text, width, points, style.bold.value_or(false));
        }
        needed = std::max(needed, neededRowHeight(points, lines));
    }
    if (own)
        return std::max(*own, needed);
    // A row of its own height grows with the standard font; only more needs a height.
    if (needed > neededRowHeight(m_book.m_defaultFontSize))
        return needed;
    return std::nullopt;
}

// ---------------------------------------------------------------- ExportWorkbook

ExportWorkbook::ExportWorkbook(int blankSheets)
{
    for (int i = 1; i <= blankSheets; ++i)
        placeSheet(int(m_sheets.size()), QStringLiteral("Sheet%1").arg(i), true);
    m_active = m_sheets.empty() ? nullptr : m_sheets.front().get();
}

ExportWorkbook::~ExportWorkbook() = default;

ExportSheet &ExportWorkbook::placeSheet(int index, const QString &name, bool quiet)
{
    QString given;
    if (name.isEmpty()) {
        // No name: the next free SheetN, as a spreadsheet names a new sheet.
        for (int n = int(m_sheets.size()) + 1; given.isEmpty(); ++n)
            if (!findSheet(QStringLiteral("Sheet%1").arg(n)))
                given = QStringLiteral("Sheet%1").arg(n);
        quiet = true;
    } else {
        given = sanitizeSheetName(name, sheetNames());
    }
    if (!quiet && given != name)
        note(QStringLiteral("工作表名“%1”不符合电子表格的要求，已改为“%2”。").arg(name, given));
    index = std::clamp(index, 0, int(m_sheets.size()));
    auto it = m_sheets.insert(m_sheets.begin() + index,
                              std::unique_ptr<ExportSheet>(new ExportSheet(*this, given)));
    m_active = it->get();
    return **it;
}

ExportSheet &ExportWorkbook::addSheet(const QString &name)
{
    return placeSheet(int(m_sheets.size()), name, false);
}

ExportSheet &ExportWorkbook::insertSheet(int index, const QString &name)
{
    return placeSheet(index, name, false);
}

int ExportWorkbook::sheetCount() const
{
    return int(m_sheets.size());
}

ExportSheet &ExportWorkbook::sheet(int index)
{
    if (m_sheets.empty())
        placeSheet(0, QStringLiteral("Sheet1"), true);
    return *m_sheets.at(std::clamp(index, 0, int(m_sheets.size()) - 1));
}

ExportSheet *ExportWorkbook::findSheet(const QString &name)
{
    for (auto &s : m_sheets)
        if (s->name().compare(name, Qt::CaseInsensitive) == 0)
            return s.get();
    return nullptr;
}

QStringList ExportWorkbook::sheetNames() const
{
    return namesExcept(nullptr);
}

QStringList ExportWorkbook::namesExcept(const ExportSheet *sheet) const
{
    QStringList names;
    for (const auto &s : m_sheets)
        if (s.get() != sheet)
            names.append(s->name());
    return names;
}

ExportSheet &ExportWorkbook::activeSheet()
{
    if (!m_active)
        m_active = &sheet(0);
    return *m_active;
}

void ExportWorkbook::setActiveSheet(const ExportSheet &sheet)
{
    for (const auto &s : m_sheets)
        if (s.get() == &sheet)
            m_active = s.get();
}

void ExportWorkbook::setDefaultFont(const QString &name, double size)
{
    m_defaultFontName = name;
    if (size >= 1 && size <= 409)
        m_defaultFontSize = size;
}

QStringList ExportWorkbook::notes() const
{
    return m_notes;
}

void ExportWorkbook::note(const QString &text)
{
    m_notes.append(text);
}

bool ExportWorkbook::saveAs(const QString &path, QString *error) const
{
    const bool existed = QFileInfo::exists(path);
    auto fail = [&](const QString &message) {
        if (!existed)
            QFile::remove(path);
        if (error)
            *error = message;
        return false;
    };

    const QByteArray fileName = QFile::encodeName(path);
    lxw_workbook_options options{};
    lxw_workbook *book = workbook_new_opt(fileName.constData(), &options);
    if (!book)
        return fail(writeErrorMessage(LXW_ERROR_MEMORY_MALLOC_FAILED, path));

    FormatCache formats(book);
    const QString fontName = m_defaultFontName;
    const double fontSize = m_defaultFontSize;

    // A file needs a sheet; a workbook without any gets a blank one.
    if (m_sheets.empty())
        if (lxw_worksheet *blank = workbook_add_worksheet(book, "Sheet1"))
            worksheet_set_paper(blank, kPaperA4);

    for (const auto &sheet : m_sheets) {
        const ExportSheet::Data &d = *sheet->d;
        lxw_worksheet *ws = workbook_add_worksheet(book, d.name.toUtf8().constData());
        if (!ws)
            ws = workbook_add_worksheet(book, nullptr);  // refused name: the default one
        if (!ws) {
            lxw_workbook_free(book);
            return fail(writeErrorMessage(LXW_ERROR_MEMORY_MALLOC_FAILED, path));
        }
        if (sheet.get() == m_active)
            worksheet_activate(ws);
        worksheet_set_paper(ws, kPaperA4);
        if (d.landscape)
            worksheet_set_landscape(ws);
        if (d.allRowHeights)
            worksheet_set_default_row(ws, *d.allRowHeights, LXW_FALSE);
        const double rowDefault = d.allRowHeights.value_or(LXW_DEF_ROW_HEIGHT);

        for (const auto &[col, line] : d.cols) {
            if (!line.size && line.style.isEmpty())
                continue;
            const double width = line.size.value_or(LXW_DEF_COL_WIDTH);
            lxw_row_col_options opt{};
            opt.hidden = width == 0;
            lxw_format *f = line.style.isEmpty()
                ? nullptr
                : formats.get(resolve(nullptr, nullptr, &line.style, fontName, fontSize));
            worksheet_set_column_opt(ws, lxw_col_t(col - 1), lxw_col_t(col - 1), width, f, &opt);
        }
        std::vector<int> usedRows;
        for (const auto &entry : d.rows)
            usedRows.push_back(entry.first);
        for (const auto &entry : d.cells)
            usedRows.push_back(entry.first.first);
        std::sort(usedRows.begin(), usedRows.end());
        usedRows.erase(std::unique(usedRows.begin(), usedRows.end()), usedRows.end());
        for (const int row : usedRows) {
            const StyleLayer *layer = d.rowLayer(row);
            if (layer && layer->isEmpty())
                layer = nullptr;
            const std::optional<double> printed = sheet->printedRowHeight(row);
            const bool ownHeight = d.rows.count(row) && d.rows.at(row).size;
            if (!layer && (!printed || (!ownHeight && printed == d.allRowHeights)))
                continue;
            double height = printed.value_or(rowDefault);
            // The writer takes a height of exactly 15 points for "the default row", which
            // on a sheet of another default would be wrong; the nearest double is written
            // as 15 all the same.
            if (height == LXW_DEF_ROW_HEIGHT && rowDefault != LXW_DEF_ROW_HEIGHT)
                height = std::nextafter(LXW_DEF_ROW_HEIGHT, 16.0);
            lxw_row_col_options opt{};
            opt.hidden = height == 0;
            lxw_format *f = layer ? formats.get(resolve(nullptr, layer, nullptr, fontName, fontSize)) : nullptr;
            worksheet_set_row_opt(ws, lxw_row_t(row - 1), height, f, &opt);
        }

        auto formatAt = [&](int row, int col) { return formats.get(sheet->effectiveStyle(row, col)); };
        // Merges first: merging writes blanks over its range, the cells come after.
        for (const CellRange &m : d.merges) {
            worksheet_merge_range(ws, lxw_row_t(m.firstRow - 1), lxw_col_t(m.firstCol - 1),
                                  lxw_row_t(m.lastRow - 1), lxw_col_t(m.lastCol - 1), "",
                                  formatAt(m.firstRow, m.firstCol));
            for (int row = m.firstRow; row <= m.lastRow; ++row)
                for (int col = m.firstCol; col <= m.lastCol; ++col)
                    if (!d.find(row, col))
                        worksheet_write_blank(ws, lxw_row_t(row - 1), lxw_col_t(col - 1),
                                              formatAt(row, col));
        }
        for (const auto &[key, cell] : d.cells) {
            const auto [row, col] = key;
            lxw_format *f = formatAt(row, col);
            const lxw_row_t r = lxw_row_t(row - 1);
            const lxw_col_t c = lxw_col_t(col - 1);
            switch (cell.kind) {
            case Cell::Kind::Text:
                worksheet_write_string(ws, r, c, cell.text.toUtf8().constData(), f);
                break;
            case Cell::Kind::Number:
                worksheet_write_number(ws, r, c, cell.number, f);
                break;
            case Cell::Kind::Empty:
                worksheet_write_blank(ws, r, c, f);
                break;
            }
        }
        // The table's empty cells carry its borders too.
        if (d.table) {
            const CellRange &t = *d.table;
            for (int row = t.firstRow; row <= t.lastRow; ++row)
                for (int col = t.firstCol; col <= t.lastCol; ++col)
                    if (!d.find(row, col) && d.spanOf(row, col) == CellRange{row, col, row, col})
                        worksheet_write_blank(ws, lxw_row_t(row - 1), lxw_col_t(col - 1),
                                              formatAt(row, col));
            if (d.headerRows > 0)
                worksheet_repeat_rows(ws, lxw_row_t(t.firstRow - 1), lxw_row_t(t.firstRow + d.headerRows - 2));
            // All of a table's columns on one page's width, its rows over as many pages as they take.
            worksheet_fit_to_pages(ws, 1, 0);
        }
    }

    const lxw_error rc = workbook_close(book);  // writes the file and frees the workbook
    if (rc != LXW_NO_ERROR)
        return fail(writeErrorMessage(rc, path));
    if (!isCompleteArchive(path))
        return fail(writeErrorMessage(LXW_ERROR_ZIP_CLOSE, path));
    return true;
}

void ExportWorkbook::setFileBaseName(const QString &base)
{
    m_fileBase = base;
}

void ExportWorkbook::setClock(NowSource now)
{
    m_now = std::move(now);
}

bool ExportWorkbook::saveAndOpen(QString *pathOut, QString *error)
{
    if (pathOut)
        pathOut->clear();
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };

    const QString folder = exportFolder();
    const QFileInfo folderInfo(folder);
    if ((folderInfo.exists() && !folderInfo.isDir()) || !QDir().mkpath(folder))
        return fail(QStringLiteral("无法创建导出文件夹“%1”，工作簿没有保存。")
                        .arg(QDir::toNativeSeparators(folder)));

    const QDateTime now = m_now ? m_now() : QDateTime::currentDateTime();
    const QString base = !m_fileBase.isEmpty() ? m_fileBase : m_active ? m_active->name() : QString();
    const QString stem = fileNamePart(base) + u'_' + now.toString(QStringLiteral("yyyyMMdd_HHmmss"));

    // Claim a name no file has: created exclusively, so an existing file is never touched.
    QString path;
    for (int n = 1;; ++n) {
        if (n > 9999)
            return fail(QStringLiteral("导出文件夹“%1”中已有太多同名文件，工作簿没有保存。")
                            .arg(QDir::toNativeSeparators(folder)));
        const QString candidate = QDir(folder).filePath(
            n == 1 ? stem + QStringLiteral(".xlsx") : QStringLiteral("%1_%2.xlsx").arg(stem).arg(n));
        const QFileInfo info(candidate);
        if (info.exists() || info.isSymLink())
            continue;
        QFile claim(candidate);
        if (claim.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            path = candidate;
            break;
        }
        if (QFileInfo(candidate).exists())
            continue;  // taken in the meantime
        return fail(QStringLiteral("无法在导出文件夹“%1”中创建文件，工作簿没有保存。请检查该文件夹是否可以写入。")
                        .arg(QDir::toNativeSeparators(folder)));
    }

    QString message;
    if (!saveAs(path, &message)) {
        QFile::remove(path);
        return fail(message);
    }
    if (pathOut)
        *pathOut = path;
    const WorkbookOpener &opener = installedOpener();
    const bool opened = opener ? opener(path) : openWithDesktop(path);
    if (!opened)
        return fail(QStringLiteral("工作簿已保存为“%1”，但无法用电子表格程序打开，请自行打开该文件。")
                        .arg(QDir::toNativeSeparators(path)));
    return true;
}

} // namespace tessaly
