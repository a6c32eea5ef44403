#include "workbook/xls_book.h"

#include "workbook/excel_values.h"
#include "workbook/formula.h"
#include "workbook/gbk.h"

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
    kExternSheet = 0x0017,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kSupBook = 0x01AE,
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

// An error cell's value; Empty for a code that is none.
formula::Value errorValue(quint8 code)
{
    using formula::ErrorCode;
    switch (code) {
    case 0x00: return formula::Value::ofError(ErrorCode::Null);
    case 0x07: return formula::Value::ofError(ErrorCode::Div0);
    case 0x0F: return formula::Value::ofError(ErrorCode::Value);
    case 0x17: return formula::Value::ofError(ErrorCode::Ref);
    case 0x1D: return formula::Value::ofError(ErrorCode::Name);
    case 0x24: return formula::Value::ofError(ErrorCode::Num);
    case 0x2A: return formula::Value::ofError(ErrorCode::NA);
    default: return formula::Value();
    }
}

// --- Formula tokens -----------------------------------------------------------------

// The functions evaluated, by their index in the function table; argc -1 where the
// token gives the count.
struct TableFunction {
    quint16 index;
    formula::Function function;
    int argc;
};
constexpr TableFunction kTableFunctions[] = {
    {0, formula::Function::Count, -1},   {1, formula::Function::If, -1},
    {4, formula::Function::Sum, -1},     {5, formula::Function::Average, -1},
    {6, formula::Function::Min, -1},     {7, formula::Function::Max, -1},
    {24, formula::Function::Abs, 1},     {27, formula::Function::Round, 2},
    {36, formula::Function::And, -1},    {37, formula::Function::Or, -1},
    {169, formula::Function::CountA, -1}, {216, formula::Function::Rank, -1},
    {345, formula::Function::SumIf, -1}, {346, formula::Function::CountIf, 2},
};

// Operands a token array may stack before it is refused.
constexpr size_t kMaxStackedOperands = 1024;

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
    // What 3-D references name: the worksheet of each sheet tab (-1 for other kinds),
    // whether each SUPBOOK is this workbook, and the EXTERNSHEET entries.
    std::vector<int> worksheetOfTab;
    std::vector<bool> supBookIsSelf;
    struct Xti {
        quint16 supBook = 0, firstTab = 0, lastTab = 0;
    };
    std::vector<Xti> xtis;

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
            case kSupBook:
                supBookIsSelf.push_back(r.size >= 4 && get16(r.data + 2) == 0x0401);
                break;
            case kExternSheet:
                if (biff8)
                    loadExternSheet(r);
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
            worksheetOfTab.push_back(-1);
            if (sheet.size < 6 || sheet.data[5] != 0)
                continue;
            const qsizetype bof = get32(sheet.data);
            const quint16 type = bofType(bof);
            if (type != 0 && type != kWorksheet)
                continue;
            worksheetOfTab.back() = int(sheets.size());
            sheets.push_back({recordString(sheet, 6, 1), bof});
        }
        return sheets.empty() ? Failure::NoSheets : Failure::None;
    }

    void loadExternSheet(const Record &r)
    {
        Reader in(bytes, r);
        quint16 count = 0;
        if (!in.u16(&count))
            return;
        Xti x;
        for (quint16 i = 0; i < count && in.u16(&x.supBook) && in.u16(&x.firstTab) && in.u16(&x.lastTab); ++i)
            xtis.push_back(x);
    }

    // The worksheet a 3-D reference names: -1 for another workbook or several sheets
    // (not evaluated), -2 for no worksheet (#REF!).
    int sheetOfXti(quint16 ixti) const
    {
        if (ixti >= xtis.size())
            return -2;
        const Xti &x = xtis[ixti];
        if (x.supBook >= supBookIsSelf.size() || !supBookIsSelf[x.supBook] || x.firstTab != x.lastTab)
            return -1;
        return x.firstTab < worksheetOfTab.size() && worksheetOfTab[x.firstTab] >= 0 ? worksheetOfTab[x.firstTab] : -2;
    }

    // The tree of a formula's parsed tokens (reverse Polish). A token not evaluated,
    // a token cut short or a stack that does not end with one operand gives an
    // Unsupported tree.
    formula::Node decodeTokens(const uchar *p, qsizetype size) const
    {
        using formula::Node;
        using formula::Op;
        using formula::Value;
        std::vector<Node> stack;
        const auto pop = [&](size_t n, std::vector<Node> *out) {
            if (stack.size() < n)
                return false;
            out->assign(std::make_move_iterator(stack.end() - qsizetype(n)), std::make_move_iterator(stack.end()));
            stack.resize(stack.size() - n);
            return true;
        };
        const auto push = [&](Node n) {
            stack.push_back(std::move(n));
            return stack.size() <= kMaxStackedOperands;
        };
        // A cell address: BIFF8 row and column words (flags in the column's top bits),
        // BIFF5 a row word (flags in its top bits) and a column byte.
        const auto cellAt = [&](const uchar *at, int *row, int *col) {
            if (biff8) {
                *row = get16(at) + 1;
                *col = (get16(at + 2) & 0x3FFF) + 1;
            } else {
                *row = (get16(at) & 0x3FFF) + 1;
                *col = at[2] + 1;
            }
            return *col <= excel::kMaxCols;
        };
        const qsizetype refSize = biff8 ? 4 : 3, areaSize = biff8 ? 8 : 6;
        qsizetype i = 0;
        while (i < size) {
            const quint8 token = p[i++];
            const quint8 base = token >= 0x20 ? quint8(0x20 | (token & 0x1F)) : token;
            const qsizetype left = size - i;
            bool ok = true;
            std::vector<Node> args;
            Node n;
            switch (base) {
            case 0x03: case 0x04: case 0x05: case 0x06: case 0x07: case 0x08:
            case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x0E: {
                static constexpr Op ops[] = {Op::Add, Op::Sub, Op::Mul, Op::Div, Op::Pow, Op::Concat,
                                             Op::Lt,  Op::Le,  Op::Eq,  Op::Ge,  Op::Gt,  Op::Ne};
                ok = pop(2, &args) && formula::binary(ops[base - 0x03], std::move(args[0]), std::move(args[1]), &n)
                    && push(std::move(n));
                break;
            }
            case 0x12: case 0x13: case 0x14:
                ok = pop(1, &args)
                    && formula::unary(base == 0x12 ? Op::Plus : base == 0x13 ? Op::Neg : Op::Percent,
                                      std::move(args[0]), &n)
                    && push(std::move(n));
                break;
            case 0x15:  // parentheses: the order is in the tokens already
                break;
            case 0x16:
                n.kind = Node::Kind::Missing;
                ok = push(std::move(n));
                break;
            case 0x17: {
                if (left < 1)
                    return formula::unsupported();
                const int count = p[i];
                QString text;
                if (biff8) {
                    if (left < 2)
                        return formula::unsupported();
                    const bool wide = p[i + 1] & 0x01;
                    const qsizetype bytesNeeded = qsizetype(count) * (wide ? 2 : 1);
                    if (left < 2 + bytesNeeded)
                        return formula::unsupported();
                    if (wide) {
                        text.resize(count);
                        qFromLittleEndian<char16_t>(p + i + 2, count, text.data());
                    } else {
                        text = QString::fromLatin1(reinterpret_cast<const char *>(p + i + 2), count);
                    }
                    i += 2 + bytesNeeded;
                } else {
                    if (left < 1 + count)
                        return formula::unsupported();
                    text = decode(QByteArray(reinterpret_cast<const char *>(p + i + 1), count));
                    i += 1 + count;
                }
                ok = push(formula::constant(Value::ofText(text)));
                break;
            }
            case 0x19: {  // attributes: only a one-argument SUM changes the stack
                if (left < 3)
                    return formula::unsupported();
                const quint8 flags = p[i];
                const quint16 data = get16(p + i + 1);
                i += 3;
                if (flags & 0x04) {  // the jump table of CHOOSE
                    if (size - i < (qsizetype(data) + 1) * 2)
                        return formula::unsupported();
                    i += (qsizetype(data) + 1) * 2;
                }
                if (flags & 0x10)
                    ok = pop(1, &args) && formula::call(formula::Function::Sum, std::move(args), &n)
                        && push(std::move(n));
                break;
            }
            case 0x1C: {
                if (left < 1)
                    return formula::unsupported();
                const Value error = errorValue(p[i++]);
                ok = error.isError() && push(formula::constant(error));
                break;
            }
            case 0x1D:
                if (left < 1)
                    return formula::unsupported();
                ok = push(formula::constant(Value::ofBoolean(p[i++] != 0)));
                break;
            case 0x1E:
                if (left < 2)
                    return formula::unsupported();
                ok = push(formula::constant(Value::ofNumber(get16(p + i))));
                i += 2;
                break;
            case 0x1F:
                if (left < 8)
                    return formula::unsupported();
                ok = push(formula::constant(Value::ofNumber(getDouble(p + i))));
                i += 8;
                break;
            case 0x21:
            case 0x22: {
                const bool variable = base == 0x22;
                if (left < (variable ? 3 : 2))
                    return formula::unsupported();
                int argc = variable ? p[i] & 0x7F : -1;
                const quint16 index = get16(p + i + (variable ? 1 : 0));  // the top bit: a command
                i += variable ? 3 : 2;
                formula::Function function = formula::Function::Unknown;
                for (const TableFunction &f : kTableFunctions)
                    if (f.index == index) {
                        function = f.function;
                        if (!variable)
                            argc = f.argc;
                    }
                ok = argc >= 0 && pop(size_t(argc), &args) && formula::call(function, std::move(args), &n)
                    && push(std::move(n));
                break;
            }
            case 0x24:
            case 0x25: {
                const bool area = base == 0x25;
                if (left < (area ? areaSize : refSize))
                    return formula::unsupported();
                formula::Area a;
                if (area) {
                    // Rows first and last, then columns first and last.
                    a.row1 = get16(p + i) + 1;
                    a.row2 = get16(p + i + 2) + 1;
                    if (biff8) {
                        a.col1 = (get16(p + i + 4) & 0x3FFF) + 1;
                        a.col2 = (get16(p + i + 6) & 0x3FFF) + 1;
                    } else {
                        a.row1 = ((a.row1 - 1) & 0x3FFF) + 1;
                        a.row2 = ((a.row2 - 1) & 0x3FFF) + 1;
                        a.col1 = p[i + 4] + 1;
                        a.col2 = p[i + 5] + 1;
                    }
                } else {
                    ok = cellAt(p + i, &a.row1, &a.col1);
                    a.row2 = a.row1;
                    a.col2 = a.col1;
                }
                i += area ? areaSize : refSize;
                ok = ok && push(formula::reference(a));
                break;
            }
            case 0x2A:
            case 0x2B:
                if (left < (base == 0x2B ? areaSize : refSize))
                    return formula::unsupported();
                i += base == 0x2B ? areaSize : refSize;
                ok = push(formula::constant(Value::ofError(formula::ErrorCode::Ref)));
                break;
            case 0x3A:
            case 0x3B:
            case 0x3C:
            case 0x3D: {
                const bool area = base == 0x3B || base == 0x3D;
                if (!biff8 || left < (area ? 10 : 6))
                    return formula::unsupported();
                const int sheet = sheetOfXti(get16(p + i));
                formula::Area a;
                a.sheet = sheet;
                if (area) {
                    a.row1 = get16(p + i + 2) + 1;
                    a.row2 = get16(p + i + 4) + 1;
                    a.col1 = (get16(p + i + 6) & 0x3FFF) + 1;
                    a.col2 = (get16(p + i + 8) & 0x3FFF) + 1;
                } else {
                    ok = cellAt(p + i + 2, &a.row1, &a.col1);
                    a.row2 = a.row1;
                    a.col2 = a.col1;
                }
                i += area ? 10 : 6;
                if (sheet == -1)
                    return formula::unsupported();
                if (sheet == -2 || base >= 0x3C)
                    ok = ok && push(formula::constant(Value::ofError(formula::ErrorCode::Ref)));
                else
                    ok = ok && push(formula::reference(a));
                break;
            }
            default:  // names, arrays, shared and table formulas, unions, intersections
                return formula::unsupported();
            }
            if (!ok)
                return formula::unsupported();
        }
        if (stack.size() != 1)
            return formula::unsupported();
        return std::move(stack.back());
    }

    struct Position {
        quint16 row = 0;
        quint16 col = 0;
    };

    // A cell as a record gives it: its value and XF, and for a formula whose result
    // was not calculated (an empty text result) the record, to evaluate.
    struct Cell {
        quint16 row = 0;
        qsizetype col = 0;
        quint16 xf = 0;
        formula::Value value;
        const Record *uncalculated = nullptr;
    };

    // Calls put(cell) for each cell a record holds. A formula with a text result leaves
    // its position in *pending for the STRING record that follows it.
    template <typename Put>
    void readCell(const Record &r, std::optional<Position> *pending, Put &&put) const
    {
        using formula::Value;
        const uchar *d = r.data;
        const auto give = [&](quint16 row, qsizetype col, quint16 xf, Value value, const Record *uncalculated = nullptr) {
            if (col < excel::kMaxCols)
                put(Cell{row, col, xf, std::move(value), uncalculated});
        };
        if (r.id == kString) {
            if (*pending)
                give((*pending)->row, (*pending)->col, 0, Value::ofText(recordString(r, 0, 2)));
            pending->reset();
            return;
        }
        if (r.size < 6)
            return;
        const quint16 row = get16(d), col = get16(d + 2), xf = get16(d + 4);
        switch (r.id) {
        case kNumber:
            if (r.size >= 14)
                give(row, col, xf, Value::ofNumber(getDouble(d + 6)));
            break;
        case kRk:
            if (r.size >= 10)
                give(row, col, xf, Value::ofNumber(rkValue(get32(d + 6))));
            break;
        case kMulRk:
            for (qsizetype i = 0; 6 + 6 * i + 6 <= r.size; ++i)
                give(row, col + i, get16(d + 4 + 6 * i), Value::ofNumber(rkValue(get32(d + 6 + 6 * i))));
            break;
        case kLabelSst:
            if (r.size >= 10)
                give(row, col, xf, Value::ofText(shared(get32(d + 6))));
            break;
        case kLabel:
        case kRString:
            give(row, col, xf, Value::ofText(recordString(r, 6, 2)));
            break;
        case kBoolErr:
            if (r.size >= 8)
                give(row, col, xf, d[7] ? errorValue(d[6]) : Value::ofBoolean(d[6] != 0));
            break;
        case kFormula:
            if (r.size < 14)
                break;
            pending->reset();
            if (d[12] != 0xFF || d[13] != 0xFF) {
                give(row, col, xf, Value::ofNumber(getDouble(d + 6)));
                break;
            }
            switch (d[6]) {  // a result that is no number
            case 0:
                *pending = Position{row, col};
                break;
            case 1:
                give(row, col, xf, Value::ofBoolean(d[8] != 0));
                break;
            case 2:
                give(row, col, xf, errorValue(d[8]));
                break;
            case 3:  // the empty text, which programs that do not calculate also write
                give(row, col, xf, Value::ofText(QString()), &r);
                break;
            default:
                break;
            }
            break;
        default:
            break;
        }
    }

    QString cellText(const Cell &cell) const
    {
        switch (cell.value.type) {
        case formula::Value::Type::Number:
            return numberText(cell.value.number, cell.xf);
        case formula::Value::Type::Text:
            return cell.value.text;
        case formula::Value::Type::Boolean:
            return cell.value.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case formula::Value::Type::Error:
            return formula::errorText(cell.value.error);
        case formula::Value::Type::Empty:
            break;
        }
        return QString();
    }

    // Calls put(cell) for each cell of a worksheet; false when its records are damaged.
    template <typename Put>
    bool forEachCell(int index, Put &&put) const
    {
        if (index < 0 || index >= int(sheets.size()))
            return false;
        Records records(bytes, sheets[size_t(index)].bof);
        Record r;
        if (!records.next(&r) || r.id != kBof)
            return false;
        int depth = 0;  // substreams open inside the sheet: embedded charts, skipped
        std::optional<Position> pending;
        while (records.next(&r)) {
            if (r.id == kBof) {
                ++depth;
            } else if (r.id == kEof) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0) {
                readCell(r, &pending, put);
            }
        }
        return !records.damaged();
    }

    // The typed cells of a worksheet, with the formulas that lack a result.
    bool fillGrid(int index, formula::Grid *grid) const
    {
        return forEachCell(index, [&](const Cell &cell) {
            const int row = int(cell.row) + 1, col = int(cell.col) + 1;
            if (!cell.uncalculated) {
                grid->setValue(row, col, cell.value);
                return;
            }
            if (!grid->acceptsFormulas()) {
                grid->setFormulaBeyondCap(row, col);
                return;
            }
            const Record &r = *cell.uncalculated;
            const qsizetype count = r.size >= 22 ? get16(r.data + 20) : 0;
            formula::Pending pending;
            pending.tree = std::make_shared<const formula::Node>(
                count > 0 && 22 + count <= r.size ? decodeTokens(r.data + 22, count) : formula::unsupported());
            pending.kind = cell.xf < xfKinds.size() ? xfKinds[cell.xf] : excel::FormatKind::Number;
            pending.stored = cell.value;
            grid->setFormula(row, col, std::move(pending));
        });
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
    SheetCells result;
    bool uncalculated = false;
    const bool read = s->forEachCell(index, [&](const Stream::Cell &cell) {
        result.set(int(cell.row) + 1, int(cell.col) + 1, s->cellText(cell));
        uncalculated = uncalculated || cell.uncalculated;
    });
    if (!read)
        return false;
    if (uncalculated) {
        formula::Evaluator evaluator(int(s->sheets.size()), s->date1904,
                                     [this](int other, formula::Grid *grid) { return s->fillGrid(other, grid); });
        formula::Grid grid;
        s->fillGrid(index, &grid);
        evaluator.evaluateSheet(index, std::move(grid), &result);
    }
    *cells = std::move(result);
    *failure = Failure::None;
    return true;
}

} // namespace tessaly::workbook
