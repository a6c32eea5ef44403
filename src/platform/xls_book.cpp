#include "platform/xls_book.h"

#include "platform/excel_values.h"
#include "platform/gbk.h"

#include <QHash>
#include <QtEndian>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <bit>
#include <optional>
#include <vector>

namespace tessaly::workbook {

namespace {

// --- The compound file --------------------------------------------------------------

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GsfRef = std::unique_ptr<T, Unref>;

// The workbook stream: "Workbook" in BIFF8 files, "Book" in BIFF5 ones; compound file
// names compare without case.
Failure readWorkbookStream(const QByteArray &file, QByteArray *out)
{
    static const bool initialised = (gsf_init(), true);
    Q_UNUSED(initialised);
    GsfRef<GsfInput> input(gsf_input_memory_new(reinterpret_cast<const guint8 *>(file.constData()),
                                                gsf_off_t(file.size()), FALSE));
    if (!input)
        return Failure::Damaged;
    GError *error = nullptr;
    GsfRef<GsfInfile> ole(gsf_infile_msole_new(input.get(), &error));
    if (error)
        g_error_free(error);
    if (!ole)
        return Failure::Damaged;
    int found = -1;
    for (const char *wanted : {"Workbook", "Book"}) {
        for (int i = 0; i < gsf_infile_num_children(ole.get()) && found < 0; ++i) {
            const char *name = gsf_infile_name_by_index(ole.get(), i);
            if (name && g_ascii_strcasecmp(name, wanted) == 0)
                found = i;
        }
        if (found >= 0)
            break;
    }
    if (found < 0)
        return Failure::NotWorkbook;
    GsfRef<GsfInput> stream(gsf_infile_child_by_index(ole.get(), found));
    if (!stream)
        return Failure::Damaged;
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size > kMaxStreamBytes)
        return Failure::TooLarge;
    // A stream lies in the file's sectors: it cannot be larger than the file.
    if (size < 0 || size > file.size())
        return Failure::Damaged;
    QByteArray data(qsizetype(size), Qt::Uninitialized);
    for (qsizetype at = 0; at < data.size();) {
        const qsizetype n = std::min<qsizetype>(data.size() - at, 65536);
        if (!gsf_input_read(stream.get(), size_t(n), reinterpret_cast<guint8 *>(data.data() + at)))
            return Failure::Damaged;
        at += n;
    }
    *out = std::move(data);
    return Failure::None;
}

// --- Records ------------------------------------------------------------------------

enum : quint16 {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormat = 0x041E,
    kBof = 0x0809,
};

// Substream types a BOF record gives.
enum : quint16 { kGlobals = 0x0005, kWorksheet = 0x0010 };

quint16 get16(const uchar *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 get32(const uchar *p)
{
    return qFromLittleEndian<quint32>(p);
}

double getDouble(const uchar *p)
{
    return std::bit_cast<double>(qFromLittleEndian<quint64>(p));
}

// A record with the CONTINUE records that carry the rest of its data.
struct Record {
    quint16 id = 0;
    const uchar *data = nullptr;
    qsizetype size = 0;
    qsizetype continues = 0;  // the first CONTINUE's offset in the stream
    qsizetype next = 0;       // the offset after the last CONTINUE
};

// A walk over the records of a stream from an offset.
class Records {
public:
    Records(const QByteArray &stream, qsizetype from)
        : m_base(reinterpret_cast<const uchar *>(stream.constData())), m_size(stream.size()), m_pos(from)
    {
    }

    // The next record; false at the end of the stream, and false with damaged() set when
    // a record's data runs past it.
    bool next(Record *r)
    {
        qsizetype size = 0;
        if (!header(m_pos, &r->id, &size))
            return false;
        if (m_pos + 4 + size > m_size) {
            m_damaged = true;
            return false;
        }
        r->data = m_base + m_pos + 4;
        r->size = size;
        qsizetype at = m_pos + 4 + size;
        r->continues = at;
        quint16 id = 0;
        while (header(at, &id, &size) && id == kContinue && at + 4 + size <= m_size)
            at += 4 + size;
        r->next = m_pos = at;
        return true;
    }

    bool damaged() const { return m_damaged; }

private:
    bool header(qsizetype at, quint16 *id, qsizetype *size) const
    {
        if (at < 0 || at + 4 > m_size)
            return false;
        *id = get16(m_base + at);
        *size = get16(m_base + at + 2);
        return true;
    }

    const uchar *m_base;
    qsizetype m_size;
    qsizetype m_pos;
    bool m_damaged = false;
};

// A record's data followed by its CONTINUE records' data, read as one sequence; only
// characters split at a boundary go on after a flags byte that says their width.
class Reader {
public:
    Reader(const QByteArray &stream, const Record &r)
        : m_base(reinterpret_cast<const uchar *>(stream.constData())),
          m_p(r.data), m_end(r.data + r.size), m_next(r.continues), m_last(r.next)
    {
    }

    bool atEnd()
    {
        while (m_p == m_end)
            if (!nextPart())
                return true;
        return false;
    }

    bool u8(quint8 *v)
    {
        if (atEnd())
            return false;
        *v = *m_p++;
        return true;
    }

    bool u16(quint16 *v)
    {
        quint8 lo = 0, hi = 0;
        if (!u8(&lo) || !u8(&hi))
            return false;
        *v = quint16(lo | hi << 8);
        return true;
    }

    bool u32(quint32 *v)
    {
        quint16 lo = 0, hi = 0;
        if (!u16(&lo) || !u16(&hi))
            return false;
        *v = quint32(lo) | quint32(hi) << 16;
        return true;
    }

    bool skip(qint64 n)
    {
        while (n > 0) {
            if (atEnd())
                return false;
            const qint64 k = std::min<qint64>(n, m_end - m_p);
            m_p += k;
            n -= k;
        }
        return true;
    }

    bool bytes(int count, QByteArray *out)
    {
        out->clear();
        while (count > 0) {
            if (atEnd())
                return false;
            const int k = int(std::min<qint64>(count, m_end - m_p));
            out->append(reinterpret_cast<const char *>(m_p), k);
            m_p += k;
            count -= k;
        }
        return true;
    }

    // BIFF8 characters: 8-bit (the first 256 code points) or UTF-16LE.
    bool chars(int count, bool wide, QString *out)
    {
        out->clear();
        out->reserve(count);
        while (count > 0) {
            if (m_p == m_end) {
                if (atEnd())
                    return false;
                wide = *m_p++ & 0x01;
                continue;
            }
            const qint64 fit = (m_end - m_p) / (wide ? 2 : 1);
            if (fit == 0) {  // half a character before a boundary: not a string
                m_p = m_end;
                continue;
            }
            const int k = int(std::min<qint64>(fit, count));
            if (wide) {
                const qsizetype at = out->size();
                out->resize(at + k);
                qFromLittleEndian<char16_t>(m_p, k, out->data() + at);
                m_p += 2 * k;
            } else {
                out->append(QLatin1StringView(reinterpret_cast<const char *>(m_p), k));
                m_p += k;
            }
            count -= k;
        }
        return true;
    }

private:
    bool nextPart()
    {
        if (m_next + 4 > m_last)
            return false;
        m_p = m_base + m_next + 4;
        m_end = m_p + get16(m_base + m_next + 2);
        m_next = m_end - m_base;
        return true;
    }

    const uchar *m_base;
    const uchar *m_p;
    const uchar *m_end;
    qsizetype m_next;
    qsizetype m_last;
};

// The iconv name of a CODEPAGE record's value, for BIFF5's 8-bit text.
QByteArray charsetOf(quint16 codePage)
{
    switch (codePage) {
    case 367:
        return "ASCII";
    case 1200:  // UTF-16 is for BIFF8, whose text does not use the code page
    case 32769:
        return "CP1252";
    case 10000:
    case 32768:
        return "MACINTOSH";
    case 65001:
        return "UTF-8";
    default:
        return "CP" + QByteArray::number(codePage);
    }
}

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00: return QStringLiteral("#NULL!");
    case 0x07: return QStringLiteral("#DIV/0!");
    case 0x0F: return QStringLiteral("#VALUE!");
    case 0x17: return QStringLiteral("#REF!");
    case 0x1D: return QStringLiteral("#NAME?");
    case 0x24: return QStringLiteral("#NUM!");
    case 0x2A: return QStringLiteral("#N/A");
    default: return QString();
    }
}

QString booleanText(quint8 value)
{
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

// An RK number: a 30-bit integer or the high bits of a double, maybe divided by 100.
double rkValue(quint32 rk)
{
    const double value = (rk & 0x02) ? double(qint32(rk) >> 2)
                                     : std::bit_cast<double>(quint64(rk & 0xFFFFFFFCu) << 32);
    return (rk & 0x01) ? value / 100 : value;
}

} // namespace

// --- The workbook stream ------------------------------------------------------------

struct XlsBook::Stream {
    QByteArray bytes;
    bool biff8 = true;
    bool date1904 = false;
    QByteArray charset = "CP1252";
    std::vector<excel::FormatKind> xfKinds;
    // The shared strings, end to end, and where each one ends.
    QString sharedText;
    std::vector<quint32> sharedEnds;
    struct Sheet {
        QString name;
        qsizetype bof = 0;
    };
    std::vector<Sheet> sheets;

    QString decode(const QByteArray &text) const
    {
        if (std::all_of(text.cbegin(), text.cend(), [](char c) { return uchar(c) < 0x80; }))
            return QString::fromLatin1(text);
        return fromCharset(text, charset.constData()).value_or(QString::fromLatin1(text));
    }

    // A string as records store it: in BIFF8 with a flags byte, rich-text runs and
    // phonetic data (skipped) after a length of lengthBytes; in BIFF5 a byte string in
    // the workbook's code page.
    bool readString(Reader &in, int lengthBytes, QString *out) const
    {
        quint16 count = 0;
        if (lengthBytes == 1) {
            quint8 c = 0;
            if (!in.u8(&c))
                return false;
            count = c;
        } else if (!in.u16(&count)) {
            return false;
        }
        if (!biff8) {
            QByteArray raw;
            if (!in.bytes(count, &raw))
                return false;
            *out = decode(raw);
            return true;
        }
        quint8 flags = 0;
        quint16 runs = 0;
        quint32 extra = 0;
        if (!in.u8(&flags) || ((flags & 0x08) && !in.u16(&runs)) || ((flags & 0x04) && !in.u32(&extra))
            || !in.chars(count, flags & 0x01, out))
            return false;
        in.skip(qint64(runs) * 4);
        in.skip(extra);
        return true;
    }

    QString recordString(const Record &r, int skip, int lengthBytes) const
    {
        Reader in(bytes, r);
        QString text;
        if (!in.skip(skip) || !readString(in, lengthBytes, &text))
            return QString();
        return text;
    }

    // The table's count is not trusted: strings are read while there is data.
    void loadSharedStrings(const Record &r)
    {
        Reader in(bytes, r);
        if (!in.skip(8))
            return;
        QString text;
        while (!in.atEnd() && readString(in, 2, &text)) {
            sharedText += text;
            sharedEnds.push_back(quint32(sharedText.size()));
        }
    }

    QString shared(quint32 index) const
    {
        if (index >= sharedEnds.size())
            return QString();
        const quint32 start = index ? sharedEnds[index - 1] : 0;
        return sharedText.mid(start, sharedEnds[index] - start);
    }

    QString numberText(double value, quint16 xf) const
    {
        const excel::FormatKind kind = xf < xfKinds.size() ? xfKinds[xf] : excel::FormatKind::Number;
        return excel::serialText(value, kind, date1904);
    }

    // The substream type of the BOF record at an offset; 0 when there is none.
    quint16 bofType(qsizetype at) const
    {
        Records records(bytes, at);
        Record r;
        return records.next(&r) && r.id == kBof && r.size >= 4 ? get16(r.data + 2) : 0;
    }

    Failure loadGlobals()
    {
        Records records(bytes, 0);
        Record r;
        if (!records.next(&r) || r.id != kBof || r.size < 4 || get16(r.data + 2) != kGlobals)
            return Failure::Damaged;
        biff8 = get16(r.data) >= 0x0600;
        QHash<int, QString> codes;
        std::vector<quint16> xfFormats;
        std::vector<Record> boundSheets;
        while (records.next(&r) && r.id != kEof) {
            switch (r.id) {
            case kFilePass:
                return Failure::Protected;
            case kCodePage:
                if (r.size >= 2)
                    charset = charsetOf(get16(r.data));
                break;
            case kDateMode:
                date1904 = r.size >= 2 && get16(r.data) == 1;
                break;
            case kFormat:
                if (r.size >= 2)
                    codes.insert(get16(r.data), recordString(r, 2, biff8 ? 2 : 1));
                break;
            case kXf:
                xfFormats.push_back(r.size >= 4 ? get16(r.data + 2) : 0);
                break;
            case kBoundSheet:
                boundSheets.push_back(r);
                break;
            case kSst:
                loadSharedStrings(r);
                break;
            default:
                break;
            }
        }
        if (records.damaged())
            return Failure::Damaged;

        xfKinds.reserve(xfFormats.size());
        for (const quint16 id : xfFormats) {
            const auto code = codes.constFind(id);
            xfKinds.push_back(code != codes.cend() ? excel::formatCodeKind(*code) : excel::builtinFormatKind(id));
        }
        // Worksheets only: the sheet type is 0, and the substream is no chart or macro
        // sheet. One whose substream cannot be found is listed, and fails when read.
        for (const Record &sheet : boundSheets) {
            if (sheet.size < 6 || sheet.data[5] != 0)
                continue;
            const qsizetype bof = get32(sheet.data);
            const quint16 type = bofType(bof);
            if (type != 0 && type != kWorksheet)
                continue;
            sheets.push_back({recordString(sheet, 6, 1), bof});
        }
        return sheets.empty() ? Failure::NoSheets : Failure::None;
    }

    struct Position {
        quint16 row = 0;
        quint16 col = 0;
    };

    void setCell(SheetCells *cells, quint16 row, qsizetype col, const QString &text) const
    {
        if (col < excel::kMaxCols)
            cells->set(int(row) + 1, int(col) + 1, text);
    }

    // Reads a cell record into the cells. A formula with a text result leaves its
    // position in *pending for the STRING record that follows it.
    void readCell(const Record &r, SheetCells *cells, std::optional<Position> *pending) const
    {
        const uchar *d = r.data;
        if (r.id == kString) {
            if (*pending)
                setCell(cells, (*pending)->row, (*pending)->col, recordString(r, 0, 2));
            pending->reset();
            return;
        }
        if (r.size < 6)
            return;
        const quint16 row = get16(d), col = get16(d + 2), xf = get16(d + 4);
        switch (r.id) {
        case kNumber:
            if (r.size >= 14)
                setCell(cells, row, col, numberText(getDouble(d + 6), xf));
            break;
        case kRk:
            if (r.size >= 10)
                setCell(cells, row, col, numberText(rkValue(get32(d + 6)), xf));
            break;
        case kMulRk:
            for (qsizetype i = 0; 6 + 6 * i + 6 <= r.size; ++i)
                setCell(cells, row, col + i,
                        numberText(rkValue(get32(d + 6 + 6 * i)), get16(d + 4 + 6 * i)));
            break;
        case kLabelSst:
            if (r.size >= 10)
                setCell(cells, row, col, shared(get32(d + 6)));
            break;
        case kLabel:
        case kRString:
            setCell(cells, row, col, recordString(r, 6, 2));
            break;
        case kBoolErr:
            if (r.size >= 8)
                setCell(cells, row, col, d[7] ? errorText(d[6]) : booleanText(d[6]));
            break;
        case kFormula:
            if (r.size < 14)
                break;
            pending->reset();
            if (d[12] != 0xFF || d[13] != 0xFF) {
                setCell(cells, row, col, numberText(getDouble(d + 6), xf));
                break;
            }
            switch (d[6]) {  // a result that is no number
            case 0:
                *pending = Position{row, col};
                break;
            case 1:
                setCell(cells, row, col, booleanText(d[8]));
                break;
            case 2:
                setCell(cells, row, col, errorText(d[8]));
                break;
            default:  // 3: the empty text
                break;
            }
            break;
        default:
            break;
        }
    }
};

XlsBook::XlsBook() : s(std::make_unique<Stream>()) {}
XlsBook::~XlsBook() = default;

std::unique_ptr<XlsBook> XlsBook::open(const QByteArray &bytes, Failure *failure)
{
    std::unique_ptr<XlsBook> book(new XlsBook);
    *failure = readWorkbookStream(bytes, &book->s->bytes);
    if (*failure == Failure::None)
        *failure = book->s->loadGlobals();
    if (*failure != Failure::None)
        return nullptr;
    return book;
}

QStringList XlsBook::sheetNames() const
{
    QStringList names;
    for (const Stream::Sheet &sheet : s->sheets)
        names << sheet.name;
    return names;
}

bool XlsBook::readSheet(int index, SheetCells *cells, Failure *failure) const
{
    *failure = Failure::Damaged;
    if (index < 0 || index >= int(s->sheets.size()))
        return false;
    Records records(s->bytes, s->sheets[size_t(index)].bof);
    Record r;
    if (!records.next(&r) || r.id != kBof)
        return false;
    SheetCells result;
    int depth = 0;  // substreams open inside the sheet: embedded charts, skipped
    std::optional<Stream::Position> pending;
    while (records.next(&r)) {
        if (r.id == kBof) {
            ++depth;
        } else if (r.id == kEof) {
            if (depth == 0)
                break;
            --depth;
        } else if (depth == 0) {
            s->readCell(r, &result, &pending);
        }
    }
    if (records.damaged())
        return false;
    *cells = std::move(result);
    *failure = Failure::None;
    return true;
}

} // namespace tessaly::workbook
