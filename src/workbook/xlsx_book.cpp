#include "workbook/xlsx_book.h"

#include "workbook/excel_values.h"
#include "workbook/formula.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QUrl>

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace tessaly::workbook {

namespace {

// --- XML helpers: names compared without their namespace prefix ---------------------

const char *localName(const char *name)
{
    const char *colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

bool isNamed(pugi::xml_node node, const char *local)
{
    return node.type() == pugi::node_element && std::strcmp(localName(node.name()), local) == 0;
}

pugi::xml_node childNamed(pugi::xml_node node, const char *local)
{
    for (pugi::xml_node c : node.children())
        if (isNamed(c, local))
            return c;
    return {};
}

std::string prefixOf(pugi::xml_node node)
{
    const char *name = node.name();
    return std::string(name, localName(name) - name);
}

QString utf8(const char *text)
{
    return QString::fromUtf8(text);
}

// The text content of an element: its text and CDATA children joined.
QString nodeText(pugi::xml_node node)
{
    QByteArray bytes;
    for (pugi::xml_node c : node.children())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            bytes += c.value();
    return QString::fromUtf8(bytes);
}

// A string item (<si>, <is>): plain text and rich-text runs joined, phonetic runs skipped.
QString richText(pugi::xml_node item)
{
    QString text;
    for (pugi::xml_node c : item.children()) {
        if (isNamed(c, "t")) {
            text += nodeText(c);
        } else if (isNamed(c, "r")) {
            for (pugi::xml_node t : c.children())
                if (isNamed(t, "t"))
                    text += nodeText(t);
        }
    }
    return excel::decodeEscapes(text);
}

constexpr unsigned kReadOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;
// For parts that are rewritten: keep everything the part holds, line ends and line
// breaks in attribute values (a validation prompt's &#10;) included.
constexpr unsigned kKeepOptions =
    (pugi::parse_full | pugi::parse_ws_pcdata) & ~(pugi::parse_wconv_attribute | pugi::parse_eol);

bool parseXml(const QByteArray &bytes, pugi::xml_document *doc, unsigned options)
{
    return doc->load_buffer(bytes.constData(), size_t(bytes.size()), options, pugi::encoding_auto)
        && doc->document_element();
}

struct ByteWriter : pugi::xml_writer {
    QByteArray data;
    void write(const void *bytes, size_t size) override
    {
        data.append(static_cast<const char *>(bytes), qsizetype(size));
    }
};

// A rewritten part whose root element starts where the parser found it in the original
// UTF-8 bytes: everything before the root (declaration, blank lines, comments) is kept
// byte for byte and the root element written after it.
QByteArray serializeAfterProlog(pugi::xml_document &doc, const QByteArray &original)
{
    const pugi::xml_node root = doc.document_element();
    const qsizetype at = qsizetype(root.offset_debug());
    const QByteArray name(root.name());
    if (at < 1 || at + name.size() > original.size() || original.at(at - 1) != '<'
        || original.mid(at, name.size()) != name)
        return QByteArray();
    ByteWriter writer;
    writer.data = original.left(at - 1);
    root.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.data;
}

QByteArray serialize(pugi::xml_document &doc, const QByteArray &original)
{
    if (const QByteArray kept = serializeAfterProlog(doc, original); !kept.isEmpty())
        return kept;

    // The part is written as UTF-8 whatever its declaration said.
    for (pugi::xml_node c : doc.children()) {
        if (c.type() == pugi::node_declaration) {
            if (pugi::xml_attribute enc = c.attribute("encoding"))
                enc.set_value("UTF-8");
            break;
        }
    }
    ByteWriter writer;
    doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return writer.data;
}

// --- Cell references ----------------------------------------------------------------

bool parseRef(const char *ref, int *row, int *col)
{
    const char *s = ref;
    qint64 c = 0;
    while ((*s >= 'A' && *s <= 'Z') || (*s >= 'a' && *s <= 'z')) {
        c = c * 26 + ((*s & ~0x20) - 'A' + 1);
        if (c > excel::kMaxCols)
            return false;
        ++s;
    }
    qint64 r = 0;
    const char *digits = s;
    while (*s >= '0' && *s <= '9') {
        r = r * 10 + (*s - '0');
        if (r > excel::kMaxRows)
            return false;
        ++s;
    }
    if (*s != '\0' || c == 0 || s == digits || r == 0)
        return false;
    *row = int(r);
    *col = int(c);
    return true;
}

QString refText(int row, int col)
{
    QString letters;
    for (int c = col; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

// The row number of a <row>: its r, or the one after the previous row; -1 for an r
// that is no row number (such a row is not read).
int rowNumber(pugi::xml_node row, int previous)
{
    const pugi::xml_attribute r = row.attribute("r");
    if (!r)
        return previous + 1;
    qint64 n = 0;
    const char *s = r.value();
    for (; *s >= '0' && *s <= '9' && n <= excel::kMaxRows; ++s)
        n = n * 10 + (*s - '0');
    return *s == '\0' && n >= 1 && n <= excel::kMaxRows ? int(n) : -1;
}

// Where a <c> sits: its r, or the column after the previous cell of its row. False for
// an r that is no cell reference (such a cell is not read).
bool cellPosition(pugi::xml_node c, int row, int previousCol, int *cellRow, int *cellCol)
{
    const pugi::xml_attribute r = c.attribute("r");
    if (r)
        return parseRef(r.value(), cellRow, cellCol);
    *cellRow = row;
    *cellCol = previousCol + 1;
    return *cellCol <= excel::kMaxCols;
}

// Calls fn(row, col, c) for each cell of a worksheet that has a position.
// Calls fn(row, col, cell) for every cell of a sheetData node, in document order.
template <typename Fn>
void forEachCell(pugi::xml_node sheetData, Fn &&fn)
{
    int row = 0;
    for (pugi::xml_node rowNode : sheetData.children()) {
        if (!isNamed(rowNode, "row"))
            continue;
        const int number = rowNumber(rowNode, row);
        if (number < 0)
            continue;
        row = number;
        int col = 0;
        for (pugi::xml_node c : rowNode.children()) {
            int cellRow = 0, cellCol = 0;
            if (!isNamed(c, "c") || !cellPosition(c, row, col, &cellRow, &cellCol))
                continue;
            col = cellCol;
            fn(cellRow, cellCol, c);
        }
    }
}

template <typename Fn>
void forEachCell(const pugi::xml_document &doc, Fn &&fn)
{
    forEachCell(childNamed(doc.document_element(), "sheetData"), std::forward<Fn>(fn));
}

// A formula cell whose program did not calculate it: no <v>, or an empty one where
// the result is no text.
bool lacksResult(pugi::xml_node c)
{
    if (!childNamed(c, "f"))
        return false;
    const pugi::xml_node v = childNamed(c, "v");
    if (!v)
        return true;
    return std::strcmp(c.attribute("t").value(), "str") != 0 && nodeText(v).trimmed().isEmpty();
}

// An ISO date and time as a date serial.
double serialOf(const QDateTime &when, bool date1904)
{
    const QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    return double(base.daysTo(when.date())) + when.time().msecsSinceStartOfDay() / 86400000.0;
}

// --- Package paths ------------------------------------------------------------------

// Part names compare case-insensitively, with either slash, with or without a leading one.
QString partKey(QString name)
{
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    return name.toLower();
}

QString folderOf(const QString &part)
{
    return part.left(part.lastIndexOf(QLatin1Char('/')) + 1);
}

QString relsOf(const QString &part)
{
    const QString folder = folderOf(part);
    return folder + QStringLiteral("_rels/") + part.mid(folder.size()) + QStringLiteral(".rels");
}

// A relationship target as a part name: absolute ("/xl/…") or relative to the source's folder.
QString resolveTarget(const QString &folder, QString target)
{
    target.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (target.contains(QLatin1Char('%')))
        target = QUrl::fromPercentEncoding(target.toUtf8());
    const QString path = target.startsWith(QLatin1Char('/')) ? target : folder + target;
    QStringList parts;
    for (const QString &segment : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String("."))
            continue;
        if (segment == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << segment;
    }
    return partKey(parts.join(QLatin1Char('/')));
}

struct Rel {
    QString id;
    QString type;
    QString target;  // resolved part key
};

bool typeIs(const QString &type, const char *kind)
{
    return type.endsWith(QLatin1Char('/') + QLatin1String(kind));
}

// The relationship id of a workbook's <sheet>: a prefixed "id" attribute, whatever the prefix.
QString sheetRelId(pugi::xml_node sheet)
{
    QString id;
    for (pugi::xml_attribute a : sheet.attributes())
        if (std::strchr(a.name(), ':') && std::strcmp(localName(a.name()), "id") == 0
            && std::strncmp(a.name(), "xmlns:", 6) != 0)
            id = utf8(a.value());
    return id;
}

enum class ReadResult { Ok, Missing, Damaged, TooLarge };

Failure failureOf(ReadResult r)
{
    switch (r) {
    case ReadResult::TooLarge:
        return Failure::TooLarge;
    case ReadResult::Missing:
    case ReadResult::Damaged:
        return Failure::Damaged;
    case ReadResult::Ok:
        break;
    }
    return Failure::None;
}

} // namespace

// --- The package --------------------------------------------------------------------

struct XlsxBook::Package {
    QByteArray bytes;  // shared copy: keeps the zip's buffer alive
    zip_t *zip = nullptr;
    QHash<QString, zip_uint64_t> index;  // part key -> entry
    QString workbookPart;
    struct Sheet {
        QString name;
        QString part;  // empty when its relationship is missing
    };
    std::vector<Sheet> sheets;
    std::vector<QString> shared;
    std::vector<excel::FormatKind> xfKinds;
    bool date1904 = false;
    QStringList sheetNames;  // as formulas name them

    ~Package()
    {
        if (zip)
            zip_discard(zip);
    }

    ReadResult read(const QString &part, QByteArray *out) const
    {
        const auto it = index.constFind(partKey(part));
        if (it == index.cend())
            return ReadResult::Missing;
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, *it, 0, &st) != 0)
            return ReadResult::Damaged;
        if ((st.valid & ZIP_STAT_SIZE) && st.size > zip_uint64_t(kMaxPartBytes))
            return ReadResult::TooLarge;
        zip_file_t *file = zip_fopen_index(zip, *it, 0);
        if (!file)
            return ReadResult::Damaged;
        QByteArray data;
        if (st.valid & ZIP_STAT_SIZE)
            data.reserve(qsizetype(st.size));
        char buffer[65536];
        ReadResult result = ReadResult::Ok;
        for (;;) {
            const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
            if (n < 0) {
                result = ReadResult::Damaged;  // includes a CRC mismatch
                break;
            }
            if (n == 0)
                break;
            if (data.size() + n > kMaxPartBytes) {  // the declared size lied
                result = ReadResult::TooLarge;
                break;
            }
            data.append(buffer, qsizetype(n));
        }
        if (zip_fclose(file) != 0 && result == ReadResult::Ok)
            result = ReadResult::Damaged;
        if (result == ReadResult::Ok)
            *out = std::move(data);
        return result;
    }

    // The relationships of a part; a missing rels part has none.
    ReadResult rels(const QString &part, std::vector<Rel> *out) const
    {
        QByteArray bytes;
        const ReadResult r = read(relsOf(part), &bytes);
        if (r != ReadResult::Ok)
            return r;
        pugi::xml_document doc;
        if (!parseXml(bytes, &doc, kReadOptions))
            return ReadResult::Damaged;
        const QString folder = folderOf(part);
        for (pugi::xml_node rel : doc.document_element().children()) {
            if (!isNamed(rel, "Relationship"))
                continue;
            if (QString::fromUtf8(rel.attribute("TargetMode").value()).compare(
                    QLatin1String("External"), Qt::CaseInsensitive) == 0)
                continue;
            out->push_back({utf8(rel.attribute("Id").value()), utf8(rel.attribute("Type").value()),
                            resolveTarget(folder, utf8(rel.attribute("Target").value()))});
        }
        return ReadResult::Ok;
    }

    bool has(const QString &part) const { return index.contains(partKey(part)); }

    Failure load()
    {
        // The workbook part, through the package relationships.
        std::vector<Rel> rootRels;
        ReadResult r = rels(QString(), &rootRels);
        if (r == ReadResult::Damaged || r == ReadResult::TooLarge)
            return failureOf(r);
        for (const Rel &rel : rootRels)
            if (typeIs(rel.type, "officeDocument") && has(rel.target)) {
                workbookPart = rel.target;
                break;
            }
        if (workbookPart.isEmpty() && has(QStringLiteral("xl/workbook.xml")))
            workbookPart = QStringLiteral("xl/workbook.xml");
        if (workbookPart.isEmpty())
            return Failure::NotWorkbook;

        QByteArray bytes;
        if ((r = read(workbookPart, &bytes)) != ReadResult::Ok)
            return failureOf(r);
        pugi::xml_document workbook;
        if (!parseXml(bytes, &workbook, kReadOptions))
            return Failure::Damaged;
        const pugi::xml_node root = workbook.document_element();
        if (!isNamed(root, "workbook"))
            return Failure::NotWorkbook;
        const QString flag = utf8(childNamed(root, "workbookPr").attribute("date1904").value());
        date1904 = flag == QLatin1String("1") || flag.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;

        std::vector<Rel> bookRels;
        r = rels(workbookPart, &bookRels);
        if (r == ReadResult::Damaged || r == ReadResult::TooLarge)
            return failureOf(r);

        for (pugi::xml_node sheet : childNamed(root, "sheets").children()) {
            if (!isNamed(sheet, "sheet"))
                continue;
            const QString id = sheetRelId(sheet);
            const auto rel = std::find_if(bookRels.begin(), bookRels.end(),
                                          [&](const Rel &x) { return x.id == id; });
            if (rel != bookRels.end() && !typeIs(rel->type, "worksheet"))
                continue;  // chart, dialog or macro sheet
            sheets.push_back({utf8(sheet.attribute("name").value()),
                              rel != bookRels.end() ? rel->target : QString()});
        }
        if (sheets.empty())
            return Failure::NoSheets;
        for (const Sheet &sheet : sheets)
            sheetNames << sheet.name;

        QString stylesPart, stringsPart;
        for (const Rel &rel : bookRels) {
            if (typeIs(rel.type, "styles") && stylesPart.isEmpty())
                stylesPart = rel.target;
            if (typeIs(rel.type, "sharedStrings") && stringsPart.isEmpty())
                stringsPart = rel.target;
        }
        if (stringsPart.isEmpty())
            stringsPart = folderOf(workbookPart) + QStringLiteral("sharedstrings.xml");
        if (const Failure f = loadStyles(stylesPart); f != Failure::None)
            return f;
        return loadSharedStrings(stringsPart);
    }

    Failure loadStyles(const QString &part)
    {
        QByteArray bytes;
        const ReadResult r = part.isEmpty() ? ReadResult::Missing : read(part, &bytes);
        if (r == ReadResult::Missing)
            return Failure::None;
        if (r != ReadResult::Ok)
            return failureOf(r);
        pugi::xml_document doc;
        if (!parseXml(bytes, &doc, kReadOptions))
            return Failure::Damaged;
        const pugi::xml_node root = doc.document_element();
        QHash<int, QString> codes;
        for (pugi::xml_node f : childNamed(root, "numFmts").children())
            if (isNamed(f, "numFmt"))
                codes.insert(f.attribute("numFmtId").as_int(-1), utf8(f.attribute("formatCode").value()));
        for (pugi::xml_node xf : childNamed(root, "cellXfs").children()) {
            if (!isNamed(xf, "xf"))
                continue;
            const int id = xf.attribute("numFmtId").as_int(0);
            const auto code = codes.constFind(id);
            xfKinds.push_back(code != codes.cend() ? excel::formatCodeKind(*code)
                                                   : excel::builtinFormatKind(id));
        }
        return Failure::None;
    }

    Failure loadSharedStrings(const QString &part)
    {
        QByteArray bytes;
        const ReadResult r = read(part, &bytes);
        if (r == ReadResult::Missing)
            return Failure::None;
        if (r != ReadResult::Ok)
            return failureOf(r);
        pugi::xml_document doc;
        if (!parseXml(bytes, &doc, kReadOptions))
            return Failure::Damaged;
        for (pugi::xml_node si : doc.document_element().children())
            if (isNamed(si, "si"))
                shared.push_back(richText(si));
        return Failure::None;
    }

    QString cellText(pugi::xml_node c) const
    {
        const char *type = c.attribute("t").value();
        if (std::strcmp(type, "inlineStr") == 0) {
            if (const pugi::xml_node is = childNamed(c, "is"))
                return richText(is);
            return excel::decodeEscapes(nodeText(childNamed(c, "v")));
        }
        const QString raw = nodeText(childNamed(c, "v"));
        if (std::strcmp(type, "s") == 0) {
            bool ok = false;
            const qint64 i = raw.trimmed().toLongLong(&ok);
            return ok && i >= 0 && i < qint64(shared.size()) ? shared[size_t(i)] : QString();
        }
        if (std::strcmp(type, "str") == 0)
            return excel::decodeEscapes(raw);
        const QString value = raw.trimmed();
        if (value.isEmpty())
            return QString();
        if (std::strcmp(type, "b") == 0)
            return value == QLatin1String("1") || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        if (std::strcmp(type, "e") == 0)
            return value;
        if (std::strcmp(type, "d") == 0) {
            const QDateTime when = QDateTime::fromString(value, Qt::ISODate);
            if (!when.isValid())
                return value;
            return when.time() == QTime(0, 0) ? when.date().toString(QStringLiteral("yyyy-MM-dd"))
                                             : when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        }
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return value;
        return excel::serialText(number, formatKind(c), date1904);
    }

    excel::FormatKind formatKind(pugi::xml_node c) const
    {
        const long long style = c.attribute("s").as_llong(0);
        return style >= 0 && style < qint64(xfKinds.size()) ? xfKinds[size_t(style)] : excel::FormatKind::Number;
    }

    // A cell's value for formulas to use.
    formula::Value cellValue(pugi::xml_node c) const
    {
        using formula::Value;
        const char *type = c.attribute("t").value();
        if (std::strcmp(type, "s") == 0 || std::strcmp(type, "inlineStr") == 0 || std::strcmp(type, "str") == 0)
            return Value::ofText(cellText(c));
        const QString value = nodeText(childNamed(c, "v")).trimmed();
        if (value.isEmpty())
            return Value();
        if (std::strcmp(type, "b") == 0)
            return Value::ofBoolean(cellText(c) == QLatin1String("TRUE"));
        if (std::strcmp(type, "e") == 0) {
            const auto error = formula::errorOf(value);
            return error ? Value::ofError(*error) : Value::ofText(value);
        }
        if (std::strcmp(type, "d") == 0) {
            const QDateTime when = QDateTime::fromString(value, Qt::ISODate);
            return when.isValid() ? Value::ofNumber(serialOf(when, date1904)) : Value::ofText(value);
        }
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok && std::isfinite(number) ? Value::ofNumber(number) : Value::ofText(value);
    }

    // The typed cells of a worksheet, with the formulas that lack a result. A shared
    // formula's other cells use its first cell's tree, moved.
    void fillGrid(const pugi::xml_document &doc, formula::Grid *grid) const
    {
        struct Shared {
            QString text;
            int row = 0, col = 0;
            std::shared_ptr<const formula::Node> tree;
        };
        QHash<QString, Shared> sharedFormulas;
        forEachCell(doc, [&](int row, int col, pugi::xml_node c) {
            const pugi::xml_node f = childNamed(c, "f");
            const bool isShared = f && std::strcmp(f.attribute("t").value(), "shared") == 0 && f.attribute("si");
            const QString si = isShared ? utf8(f.attribute("si").value()) : QString();
            const QString text = f ? nodeText(f) : QString();
            if (isShared && !text.trimmed().isEmpty())
                sharedFormulas.insert(si, {text, row, col, nullptr});
            if (!lacksResult(c)) {
                grid->setValue(row, col, cellValue(c));
                return;
            }
            if (!grid->acceptsFormulas()) {
                grid->setFormulaBeyondCap(row, col);
                return;
            }
            formula::Pending pending;
            pending.kind = formatKind(c);
            const auto master = isShared ? sharedFormulas.find(si) : sharedFormulas.end();
            if (master != sharedFormulas.end()) {
                if (!master->tree)
                    master->tree = std::make_shared<const formula::Node>(formula::parseFormula(master->text, sheetNames));
                pending.tree = master->tree;
                pending.rowShift = row - master->row;
                pending.colShift = col - master->col;
            } else {
                pending.tree = std::make_shared<const formula::Node>(formula::parseFormula(text, sheetNames));
            }
            grid->setFormula(row, col, std::move(pending));
        });
    }

    bool loadGrid(int sheet, formula::Grid *grid) const
    {
        if (sheet < 0 || sheet >= int(sheets.size()) || sheets[size_t(sheet)].part.isEmpty())
            return false;
        QByteArray bytes;
        pugi::xml_document doc;
        if (read(sheets[size_t(sheet)].part, &bytes) != ReadResult::Ok || !parseXml(bytes, &doc, kReadOptions))
            return false;
        fillGrid(doc, grid);
        return true;
    }

    // Sets the results of the sheet's formulas that lack one.
    void evaluate(int sheet, const pugi::xml_document &doc, SheetCells *cells) const
    {
        formula::Evaluator evaluator(int(sheets.size()), date1904,
                                     [this](int other, formula::Grid *grid) { return loadGrid(other, grid); });
        formula::Grid grid;
        fillGrid(doc, &grid);
        evaluator.evaluateSheet(sheet, std::move(grid), cells);
    }
};

// --- Reading ------------------------------------------------------------------------

XlsxBook::XlsxBook() : p(std::make_unique<Package>()) {}
XlsxBook::~XlsxBook() = default;

std::unique_ptr<XlsxBook> XlsxBook::open(const QByteArray &bytes, Failure *failure)
{
    std::unique_ptr<XlsxBook> book(new XlsxBook);
    Package &p = *book->p;
    p.bytes = bytes;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(p.bytes.constData(), zip_uint64_t(p.bytes.size()), 0, &error);
    if (source)
        p.zip = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (source && !p.zip)
        zip_source_free(source);
    zip_error_fini(&error);
    if (!p.zip) {
        *failure = Failure::Damaged;
        return nullptr;
    }
    const zip_int64_t entries = zip_get_num_entries(p.zip, 0);
    if (entries < 0 || entries > kMaxEntries) {
        *failure = Failure::TooLarge;
        return nullptr;
    }
    // Backwards, so that of two entries with one name the first wins.
    for (zip_int64_t i = entries - 1; i >= 0; --i)
        if (const char *name = zip_get_name(p.zip, zip_uint64_t(i), 0))
            p.index.insert(partKey(QString::fromUtf8(name)), zip_uint64_t(i));
    *failure = p.load();
    if (*failure != Failure::None)
        return nullptr;
    return book;
}

QStringList XlsxBook::sheetNames() const
{
    QStringList names;
    for (const Package::Sheet &s : p->sheets)
        names << s.name;
    return names;
}

bool XlsxBook::readSheet(int index, SheetCells *cells, Failure *failure) const
{
    *failure = Failure::Damaged;
    if (index < 0 || index >= int(p->sheets.size()) || p->sheets[size_t(index)].part.isEmpty())
        return false;
    QByteArray bytes;
    const ReadResult r = p->read(p->sheets[size_t(index)].part, &bytes);
    if (r != ReadResult::Ok) {
        *failure = failureOf(r);
        return false;
    }
    pugi::xml_document doc;
    if (!parseXml(bytes, &doc, kReadOptions))
        return false;
    bytes.clear();
    SheetCells result;
    bool uncalculated = false;
    forEachCell(doc, [&](int row, int col, pugi::xml_node c) {
        result.set(row, col, p->cellText(c));
        uncalculated = uncalculated || lacksResult(c);
    });
    if (uncalculated)
        p->evaluate(index, doc, &result);
    *cells = std::move(result);
    *failure = Failure::None;
    return true;
}

// --- Patching -----------------------------------------------------------------------

namespace {

const QString kDamaged = QStringLiteral("文件已损坏，无法写入。");

// The child `local` of `root`; when missing, made where the schema puts it: after the
// last child named in `before`, or first.
pugi::xml_node ensureChild(pugi::xml_node root, const std::string &prefix, const char *local,
                           std::initializer_list<const char *> before)
{
    if (pugi::xml_node n = childNamed(root, local))
        return n;
    pugi::xml_node after;
    for (pugi::xml_node c : root.children())
        for (const char *name : before)
            if (isNamed(c, name))
                after = c;
    const std::string name = prefix + local;
    return after ? root.insert_child_after(name.c_str(), after) : root.prepend_child(name.c_str());
}

pugi::xml_node ensureSheetData(pugi::xml_node root, const std::string &prefix)
{
    return ensureChild(root, prefix, "sheetData", {"sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols"});
}

bool parseRange(const char *text, int *r1, int *c1, int *r2, int *c2)
{
    const std::string range(text);
    const size_t colon = range.find(':');
    if (colon == std::string::npos) {
        if (!parseRef(range.c_str(), r1, c1))
            return false;
        *r2 = *r1;
        *c2 = *c1;
        return true;
    }
    return parseRef(range.substr(0, colon).c_str(), r1, c1)
        && parseRef(range.substr(colon + 1).c_str(), r2, c2);
}

void setAttribute(pugi::xml_node node, const char *name, const char *value)
{
    pugi::xml_attribute a = node.attribute(name);
    (a ? a : node.append_attribute(name)).set_value(value);
}

void setAttribute(pugi::xml_node node, const char *name, int value)
{
    setAttribute(node, name, QByteArray::number(value).constData());
}

// The width a <col> stores for a width in characters of the standard font (a digit
// 7 pixels wide, 5 pixels of padding), as spreadsheets write it.
double storedColumnWidth(double chars)
{
    constexpr double digit = 7, padding = 5;
    const double pixels = chars < 1 ? std::floor(chars * (digit + padding) + 0.5)
                                    : std::floor(chars * digit + 0.5) + padding;
    return std::floor(pixels / digit * 256) / 256;
}

// The styles part, changed on demand: centred copies of cell formats.
struct StylePatch {
    pugi::xml_document doc;
    QByteArray original;
    pugi::xml_node cellXfs;   // null: the workbook has no formats to copy
    std::map<int, int> centred;
    bool changed = false;

    // The format that is `xf` centred; -1 when there are no formats.
    int centredOf(int xf)
    {
        if (!cellXfs)
            return -1;
        if (const auto it = centred.find(xf); it != centred.end())
            return it->second;
        std::vector<pugi::xml_node> xfs;
        for (pugi::xml_node n : cellXfs.children())
            if (isNamed(n, "xf"))
                xfs.push_back(n);
        if (xfs.empty())
            return -1;
        const bool known = xf >= 0 && xf < int(xfs.size());
        const pugi::xml_node base = xfs[known ? size_t(xf) : 0];
        if (known && std::strcmp(childNamed(base, "alignment").attribute("horizontal").value(), "center") == 0)
            return centred[xf] = xf;
        pugi::xml_node copy = cellXfs.insert_copy_after(base, xfs.back());
        pugi::xml_node align = childNamed(copy, "alignment");
        if (!align)
            align = copy.prepend_child((prefixOf(copy) + "alignment").c_str());
        setAttribute(align, "horizontal", "center");
        setAttribute(copy, "applyAlignment", "1");
        setAttribute(cellXfs, "count", int(xfs.size()) + 1);
        changed = true;
        return centred[xf] = int(xfs.size());
    }
};

// Writes an edit into a cell, keeping its style: a text as an inline string, a number
// as a value. A formula in the cell is dropped; one that spans other cells (shared or
// array) cannot be.
bool writeCell(pugi::xml_node cell, int row, int col, const CellEdit &edit, const std::string &prefix,
               bool *formulaDropped, QString *problem)
{
    if (const pugi::xml_node f = childNamed(cell, "f")) {
        int r1, c1, r2, c2;
        const char *ref = f.attribute("ref").value();
        if (*ref && !(parseRange(ref, &r1, &c1, &r2, &c2) && r1 == row && r2 == row && c1 == col && c2 == col)) {
            *problem = QStringLiteral("第%1行第%2列的单元格属于一个多单元格公式，不能单独改写。").arg(row).arg(col);
            return false;
        }
        *formulaDropped = true;
    }
    std::vector<pugi::xml_node> old;
    for (pugi::xml_node c : cell.children())
        if (isNamed(c, "f") || isNamed(c, "v") || isNamed(c, "is"))
            old.push_back(c);
    for (pugi::xml_node c : old)
        cell.remove_child(c);
    for (const char *a : {"t", "cm", "vm"})
        cell.remove_attribute(a);
    if (edit.blank())
        return true;
    const pugi::xml_node ext = childNamed(cell, "extLst");
    auto add = [&](const char *local) {
        const std::string name = prefix + local;
        return ext ? cell.insert_child_before(name.c_str(), ext) : cell.append_child(name.c_str());
    };
    if (edit.number) {
        const QString value = QString::number(*edit.number, 'g', QLocale::FloatingPointShortest);
        add("v").append_child(pugi::node_pcdata).set_value(value.toLatin1().constData());
        return true;
    }
    cell.append_attribute("t").set_value("inlineStr");
    pugi::xml_node t = add("is").append_child((prefix + "t").c_str());
    const QString stored = excel::encodeEscapes(edit.text);
    if (stored != stored.trimmed() || stored.contains(QLatin1Char('\n')) || stored.contains(QLatin1Char('\t')))
        t.append_attribute("xml:space").set_value("preserve");
    t.append_child(pugi::node_pcdata).set_value(stored.toUtf8().constData());
    return true;
}

// Gives column `col` its own <col> (splitting a range that covers it) with the look's
// width, and centres its format and the format of every cell in it.
void setColumnLook(pugi::xml_node root, pugi::xml_node sheetData, const std::string &prefix, int col,
                   const ColumnLook &look, StylePatch &styles)
{
    pugi::xml_node cols = ensureChild(root, prefix, "cols", {"sheetPr", "dimension", "sheetViews", "sheetFormatPr"});
    pugi::xml_node own, next;
    for (pugi::xml_node c : cols.children()) {
        if (!isNamed(c, "col"))
            continue;
        const int lo = c.attribute("min").as_int(), hi = c.attribute("max").as_int();
        if (lo <= col && col <= hi) {
            own = c;
            break;
        }
        if (lo > col && !next)
            next = c;
    }
    if (own) {
        const int lo = own.attribute("min").as_int(), hi = own.attribute("max").as_int();
        if (lo < col)
            setAttribute(cols.insert_copy_before(own, own), "max", col - 1);
        if (hi > col)
            setAttribute(cols.insert_copy_after(own, own), "min", col + 1);
    } else {
        const std::string name = prefix + "col";
        own = next ? cols.insert_child_before(name.c_str(), next) : cols.append_child(name.c_str());
    }
    setAttribute(own, "min", col);
    setAttribute(own, "max", col);
    if (look.width > 0) {
        setAttribute(own, "width", QByteArray::number(storedColumnWidth(look.width), 'g', 17).constData());
        setAttribute(own, "customWidth", "1");
        own.remove_attribute("hidden");
        own.remove_attribute("bestFit");
    }
    if (!look.centred)
        return;
    if (const int xf = styles.centredOf(own.attribute("style").as_int(0)); xf >= 0)
        setAttribute(own, "style", xf);
    forEachCell(sheetData, [&](int, int cellCol, pugi::xml_node c) {
        if (cellCol != col)
            return;
        if (const int xf = styles.centredOf(c.attribute("s").as_int(0)); xf >= 0)
            setAttribute(c, "s", xf);
    });
}

bool patchSheet(pugi::xml_document &doc, const SheetEdits &edits, StylePatch &styles, bool *formulaDropped,
                QString *problem)
{
    const pugi::xml_node root = doc.document_element();
    pugi::xml_node sheetData = childNamed(root, "sheetData");
    const std::string prefix = prefixOf(sheetData ? sheetData : root);
    sheetData = ensureSheetData(root, prefix);
    const std::string rowName = prefix + "row", cellName = prefix + "c";

    std::vector<std::pair<int, pugi::xml_node>> rows;  // in document order
    int previous = 0;
    for (pugi::xml_node r : sheetData.children()) {
        const int number = isNamed(r, "row") ? rowNumber(r, previous) : -1;
        if (number > 0)
            rows.push_back({previous = number, r});
    }

    for (const auto &[position, edit] : edits.cells) {
        const auto [row, col] = position;
        auto it = std::find_if(rows.begin(), rows.end(), [&](const auto &x) { return x.first == row; });
        if (it == rows.end() && edit.blank())
            continue;
        if (it == rows.end()) {
            const auto next = std::find_if(rows.begin(), rows.end(), [&](const auto &x) { return x.first > row; });
            pugi::xml_node node = next == rows.end() ? sheetData.append_child(rowName.c_str())
                                                     : sheetData.insert_child_before(rowName.c_str(), next->second);
            node.append_attribute("r").set_value(row);
            it = rows.insert(next, {row, node});
        }
        pugi::xml_node rowNode = it->second;

        pugi::xml_node cell, before;
        int prevCol = 0;
        for (pugi::xml_node c : rowNode.children()) {
            int cellRow = 0, cellCol = 0;
            if (!isNamed(c, "c") || !cellPosition(c, row, prevCol, &cellRow, &cellCol))
                continue;
            prevCol = cellCol;
            if (cellRow == row && cellCol == col) {
                cell = c;
                break;
            }
            if (cellCol > col && !before)
                before = c;
        }
        if (!cell) {
            if (edit.blank())
                continue;
            cell = before ? rowNode.insert_child_before(cellName.c_str(), before)
                          : rowNode.append_child(cellName.c_str());
            cell.append_attribute("r").set_value(refText(row, col).toLatin1().constData());
            rowNode.remove_attribute("spans");
        }
        if (!writeCell(cell, row, col, edit, prefix, formulaDropped, problem))
            return false;
    }
    for (const auto &[col, look] : edits.columns)
        setColumnLook(root, sheetData, prefix, col, look, styles);

    if (pugi::xml_attribute ref = childNamed(root, "dimension").attribute("ref")) {
        int r1, c1, r2, c2;
        if (parseRange(ref.value(), &r1, &c1, &r2, &c2)) {
            for (const auto &[position, edit] : edits.cells) {
                if (edit.blank())
                    continue;
                r1 = std::min(r1, position.first);
                c1 = std::min(c1, position.second);
                r2 = std::max(r2, position.first);
                c2 = std::max(c2, position.second);
            }
            const QString range = r1 == r2 && c1 == c2 ? refText(r1, c1)
                                                       : refText(r1, c1) + QLatin1Char(':') + refText(r2, c2);
            ref.set_value(range.toLatin1().constData());
        }
    }
    return true;
}

// Marks a sheet's view selected, or none of its views; false when nothing changed.
bool setTabSelected(pugi::xml_node root, bool selected)
{
    if (!selected) {
        bool changed = false;
        for (pugi::xml_node view : childNamed(root, "sheetViews").children())
            if (isNamed(view, "sheetView") && view.attribute("tabSelected").as_bool()) {
                view.remove_attribute("tabSelected");
                changed = true;
            }
        return changed;
    }
    const std::string prefix = prefixOf(root);
    pugi::xml_node views = ensureChild(root, prefix, "sheetViews", {"sheetPr", "dimension"});
    pugi::xml_node view = childNamed(views, "sheetView");
    if (!view) {
        view = views.append_child((prefix + "sheetView").c_str());
        view.append_attribute("workbookViewId").set_value(0);
    }
    if (view.attribute("tabSelected").as_bool())
        return false;
    setAttribute(view, "tabSelected", "1");
    return true;
}

// One patch of a package: the XML parts it changes, each pass on its own, then the
// package written with those parts replaced.
class PackagePatch {
public:
    PackagePatch(const XlsxBook::Package &p, QString *problem) : p(p), problem(problem) {}

    bool readStyles();
    bool patchSheets(const std::map<int, SheetEdits> &sheets);
    bool selectActiveSheet(int active);
    void collectChangedParts(std::vector<int> *rewritten);
    void dropCalculationChain();
    bool writePackage(QByteArray *out);

    bool formulaDropped = false;

private:
    struct Part {
        QByteArray original;
        pugi::xml_document doc;
        bool changed = false;
    };
    struct Replacement {
        zip_uint64_t entry;
        QByteArray data;
    };

    Part *load(const QString &name, QByteArray bytes);
    bool damaged()
    {
        *problem = kDamaged;
        return false;
    }

    const XlsxBook::Package &p;
    QString *problem;
    std::vector<Rel> workbookRels;
    StylePatch styles;
    QString stylesPart;
    std::map<QString, std::unique_ptr<Part>> parts;   // the XML parts changed, by part key
    std::vector<Replacement> replacements;
    std::vector<zip_uint64_t> removals;
};

// A part parsed for changing (read from the package when `bytes` is empty).
PackagePatch::Part *PackagePatch::load(const QString &name, QByteArray bytes)
{
    if (bytes.isEmpty() && p.read(name, &bytes) != ReadResult::Ok)
        return nullptr;
    auto part = std::make_unique<Part>();
    part->original = std::move(bytes);
    if (!parseXml(part->original, &part->doc, kKeepOptions))
        return nullptr;
    return (parts[partKey(name)] = std::move(part)).get();
}

// The workbook's relationships and its styles part, where centred formats are added.
bool PackagePatch::readStyles()
{
    if (const ReadResult r = p.rels(p.workbookPart, &workbookRels); r != ReadResult::Ok && r != ReadResult::Missing)
        return damaged();
    const auto stylesRel = std::find_if(workbookRels.begin(), workbookRels.end(),
                                        [](const Rel &r) { return typeIs(r.type, "styles"); });
    stylesPart = stylesRel != workbookRels.end() ? stylesRel->target : QString();
    if (!stylesPart.isEmpty() && p.has(stylesPart)) {
        if (p.read(stylesPart, &styles.original) != ReadResult::Ok
            || !parseXml(styles.original, &styles.doc, kKeepOptions))
            return damaged();
        styles.cellXfs = childNamed(styles.doc.document_element(), "cellXfs");
    }
    return true;
}

bool PackagePatch::patchSheets(const std::map<int, SheetEdits> &sheets)
{
    for (const auto &[sheet, sheetEdits] : sheets) {
        if (sheetEdits.empty())
            continue;
        Part *part = sheet >= 0 && sheet < int(p.sheets.size()) && !p.sheets[size_t(sheet)].part.isEmpty()
            ? load(p.sheets[size_t(sheet)].part, QByteArray()) : nullptr;
        if (!part)
            return damaged();
        if (!patchSheet(part->doc, sheetEdits, styles, &formulaDropped, problem))
            return false;
        part->changed = true;
    }
    return true;
}

// The active sheet: the workbook's active tab, the one selected tab.
bool PackagePatch::selectActiveSheet(int active)
{
    Part *book = active < int(p.sheets.size()) && !p.sheets[size_t(active)].part.isEmpty()
        ? load(p.workbookPart, QByteArray()) : nullptr;
    if (!book)
        return damaged();
    const pugi::xml_node root = book->doc.document_element();
    int tab = -1, position = 0;
    for (pugi::xml_node sheet : childNamed(root, "sheets").children()) {
        if (!isNamed(sheet, "sheet"))
            continue;
        const QString id = sheetRelId(sheet);
        const auto rel = std::find_if(workbookRels.begin(), workbookRels.end(), [&](const Rel &x) { return x.id == id; });
        const QString name = rel != workbookRels.end() ? rel->target : QString();
        const bool selected = !name.isEmpty() && name == p.sheets[size_t(active)].part;
        if (selected)
            tab = position;
        ++position;
        if (name.isEmpty() || !p.has(name))
            continue;
        Part *part = parts.count(name) ? parts[name].get() : nullptr;
        if (!part) {
            // A sheet that names no selection needs no change.
            QByteArray bytes;
            if (p.read(name, &bytes) != ReadResult::Ok || (!selected && !bytes.contains("tabSelected")))
                continue;
            if (!(part = load(name, std::move(bytes))))
                return damaged();
        }
        if (setTabSelected(part->doc.document_element(), selected))
            part->changed = true;
    }
    if (tab < 0)
        return damaged();
    pugi::xml_node views = ensureChild(
        root, prefixOf(root), "bookViews",
        {"fileVersion", "fileSharing", "workbookPr", "AlternateContent", "revisionPtr", "absPath", "workbookProtection"});
    pugi::xml_node view = childNamed(views, "workbookView");
    if (!view)
        view = views.append_child((prefixOf(views) + "workbookView").c_str());
    setAttribute(view, "activeTab", tab);
    if (pugi::xml_attribute first = view.attribute("firstSheet"); first && first.as_int() > tab)
        first.set_value(tab);
    book->changed = true;
    return true;
}

void PackagePatch::collectChangedParts(std::vector<int> *rewritten)
{
    for (auto &[name, part] : parts) {
        if (!part->changed)
            continue;
        replacements.push_back({p.index.value(name), serialize(part->doc, part->original)});
        if (rewritten)
            for (size_t i = 0; i < p.sheets.size(); ++i)
                if (p.sheets[i].part == name)
                    rewritten->push_back(int(i));
    }
    if (styles.changed)
        replacements.push_back({p.index.value(partKey(stylesPart)), serialize(styles.doc, styles.original)});
}

// Without its formulas, the calculation chain would name cells that have none: it is
// dropped with its relationship and content type, and the spreadsheet rebuilds it.
void PackagePatch::dropCalculationChain()
{
    const QString bookRels = relsOf(p.workbookPart);
    QByteArray bytes;
    pugi::xml_document rels;
    QString chain;
    if (p.read(bookRels, &bytes) == ReadResult::Ok && parseXml(bytes, &rels, kKeepOptions)) {
        std::vector<pugi::xml_node> drop;
        for (pugi::xml_node rel : rels.document_element().children())
            if (isNamed(rel, "Relationship") && typeIs(utf8(rel.attribute("Type").value()), "calcChain")) {
                chain = resolveTarget(folderOf(p.workbookPart), utf8(rel.attribute("Target").value()));
                drop.push_back(rel);
            }
        for (pugi::xml_node rel : drop)
            rels.document_element().remove_child(rel);
        if (!drop.empty())
            replacements.push_back({p.index.value(partKey(bookRels)), serialize(rels, bytes)});
    }
    if (chain.isEmpty())
        return;
    if (p.has(chain))
        removals.push_back(p.index.value(chain));
    const QString typesPart = QStringLiteral("[Content_Types].xml");
    pugi::xml_document types;
    if (p.read(typesPart, &bytes) == ReadResult::Ok && parseXml(bytes, &types, kKeepOptions)) {
        std::vector<pugi::xml_node> drop;
        for (pugi::xml_node o : types.document_element().children())
            if (isNamed(o, "Override") && partKey(utf8(o.attribute("PartName").value())) == chain)
                drop.push_back(o);
        for (pugi::xml_node o : drop)
            types.document_element().remove_child(o);
        if (!drop.empty())
            replacements.push_back({p.index.value(partKey(typesPart)), serialize(types, bytes)});
    }
}

// The package with the replacements and removals, written into *out.
bool PackagePatch::writePackage(QByteArray *out)
{
    const QString failed = QStringLiteral("无法生成新的文件内容。");
    zip_error_t error;
    zip_error_init(&error);
    // The writable buffer source owns its data: on writing, libzip may free the
    // original buffer, so it gets a malloc'd copy of the package.
    void *copy = std::malloc(size_t(std::max<qsizetype>(p.bytes.size(), 1)));
    if (!copy) {
        *problem = failed;
        return false;
    }
    std::memcpy(copy, p.bytes.constData(), size_t(p.bytes.size()));
    zip_source_t *source = zip_source_buffer_create(copy, zip_uint64_t(p.bytes.size()), 1, &error);
    if (!source)
        std::free(copy);
    zip_t *zip = source ? zip_open_from_source(source, 0, &error) : nullptr;
    zip_error_fini(&error);
    if (!zip) {
        if (source)
            zip_source_free(source);
        *problem = failed;
        return false;
    }
    zip_source_keep(source);
    bool ok = true;
    for (const Replacement &r : replacements) {
        zip_source_t *part = zip_source_buffer(zip, r.data.constData(), zip_uint64_t(r.data.size()), 0);
        if (!part || zip_file_replace(zip, r.entry, part, 0) < 0) {
            if (part)
                zip_source_free(part);
            ok = false;
            break;
        }
        zip_set_file_compression(zip, r.entry, ZIP_CM_DEFLATE, 0);
    }
    for (zip_uint64_t entry : removals)
        ok = ok && zip_delete(zip, entry) == 0;
    if (!ok || zip_close(zip) < 0) {
        zip_discard(zip);
        zip_source_free(source);
        *problem = failed;
        return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    ok = zip_source_stat(source, &st) == 0 && (st.valid & ZIP_STAT_SIZE) && zip_source_open(source) == 0;
    if (ok) {
        QByteArray result(qsizetype(st.size), Qt::Uninitialized);
        ok = zip_source_read(source, result.data(), st.size) == zip_int64_t(st.size);
        zip_source_close(source);
        if (ok)
            *out = std::move(result);
    }
    zip_source_free(source);
    if (!ok)
        *problem = failed;
    return ok;
}

} // namespace

bool XlsxBook::patch(const BookEdits &edits, QByteArray *out, QString *problem, std::vector<int> *rewritten) const
{
    PackagePatch patch(*p, problem);
    if (!patch.readStyles() || !patch.patchSheets(edits.sheets)
        || (edits.activeSheet >= 0 && !patch.selectActiveSheet(edits.activeSheet)))
        return false;
    patch.collectChangedParts(rewritten);
    if (patch.formulaDropped)
        patch.dropCalculationChain();
    return patch.writePackage(out);
}

} // namespace tessaly::workbook
