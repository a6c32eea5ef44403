#include "workbook/gbk.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>
#include <iconv.h>

namespace tessaly {

namespace {

class Iconv {
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (ok())
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }

private:
    iconv_t m_cd;
};

struct Encoded {
    QByteArray bytes;
    int missing = 0;          // characters without a GBK code, each written as '?'
    QList<uint> missingCodes; // those characters, each once, in order
};

// Text to GBK one code point at a time through UTF-32, so a character without a
// GBK code is replaced on its own. ASCII goes straight through.
Encoded encode(const QString &text)
{
    Encoded out;
    const QList<uint> ucs4 = text.toUcs4();
    out.bytes.reserve(ucs4.size() * 2);
    std::optional<Iconv> cd;
    for (uint cp : ucs4) {
        if (cp < 0x80) {
            out.bytes.append(char(cp));
            continue;
        }
        if (!cd)
            cd.emplace("GBK", "UTF-32LE");
        char in[4] = {char(cp & 0xFF), char((cp >> 8) & 0xFF), char((cp >> 16) & 0xFF),
                      char((cp >> 24) & 0xFF)};
        char buf[8];
        char *inp = in;
        char *outp = buf;
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof buf;
        if (!cd->ok() || iconv(cd->handle(), &inp, &inLeft, &outp, &outLeft) == size_t(-1)
            || inLeft != 0) {
            if (cd->ok())
                iconv(cd->handle(), nullptr, nullptr, nullptr, nullptr);
            out.bytes.append('?');
            ++out.missing;
            if (!out.missingCodes.contains(cp))
                out.missingCodes.append(cp);
        } else {
            out.bytes.append(buf, outp - buf);
        }
    }
    return out;
}

// The most bytes read from the start of a one-line file: a first line is short,
// and a huge file must not be read whole.
constexpr qint64 kFirstLineLimit = 4096;

// The first bytes of a file, at most kFirstLineLimit; nullopt when the file is
// missing, unreadable or has zero bytes.
std::optional<QByteArray> readHead(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray head(kFirstLineLimit, Qt::Uninitialized);
    qint64 got = 0;
    while (got < kFirstLineLimit) {
        const qint64 n = file.read(head.data() + got, kFirstLineLimit - got);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        got += n;
    }
    if (got == 0)
        return std::nullopt;
    head.truncate(got);
    return head;
}

// Text up to (without) the first CR or LF.
QString firstLine(const QString &text)
{
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
    return end < 0 ? text : text.left(end);
}

} // namespace

QByteArray toGbk(const QString &text)
{
    return encode(text).bytes;
}

QString fromGbk(const QByteArray &bytes)
{
    return fromCharset(bytes, "GBK").value_or(QString(bytes.size(), QChar::ReplacementCharacter));
}

std::optional<QString> fromCharset(const QByteArray &bytes, const char *charset)
{
    Iconv cd("UTF-16LE", charset);
    if (!cd.ok())
        return std::nullopt;
    QString out;
    QByteArray buf(bytes.size() * 2 + 16, Qt::Uninitialized);
    char *inp = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    while (inLeft > 0) {
        char *outp = buf.data();
        size_t outLeft = size_t(buf.size());
        const size_t r = iconv(cd.handle(), &inp, &inLeft, &outp, &outLeft);
        out.append(QString::fromUtf16(reinterpret_cast<const char16_t *>(buf.constData()),
                                      (outp - buf.data()) / 2));
        if (r == size_t(-1)) {
            if (errno == E2BIG)
                continue;
            // EILSEQ or a truncated character at the end: one replacement, skip a byte.
            out.append(QChar::ReplacementCharacter);
            ++inp;
            --inLeft;
            iconv(cd.handle(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

bool gbkCanEncode(const QString &text)
{
    return encode(text).missing == 0;
}

QStringList gbkMissingCharacters(const QString &text)
{
    QStringList out;
    for (uint cp : encode(text).missingCodes) {
        const char32_t c = cp;
        out << QString::fromUcs4(&c, 1);
    }
    return out;
}

int gbkByteWidth(const QString &text)
{
    const Encoded e = encode(text);
    // Each '?' stands for a character without a GBK code; count it as wide.
    return int(e.bytes.size()) + e.missing;
}

QString PadToBytes(const QString &text, int bytes)
{
    const int pad = bytes - gbkByteWidth(text);
    return pad > 0 ? text + QString(pad, QLatin1Char(' ')) : text;
}

std::optional<QString> readFirstLineGbk(const QString &path)
{
    const std::optional<QByteArray> head = readHead(path);
    if (!head)
        return std::nullopt;
    const QByteArray &b = *head;
    if (b.startsWith("\xEF\xBB\xBF"))
        return firstLine(QString::fromUtf8(b.mid(3)));
    const bool le = b.startsWith("\xFF\xFE");
    if (le || b.startsWith("\xFE\xFF")) {
        const QByteArray units = b.mid(2, (b.size() - 2) & ~qsizetype(1));
        return firstLine(fromCharset(units, le ? "UTF-16LE" : "UTF-16BE").value_or(QString()));
    }
    // In GBK neither CR nor LF occurs inside a two-byte character: cut before decoding.
    qsizetype end = 0;
    while (end < b.size() && b[end] != '\r' && b[end] != '\n')
        ++end;
    return fromGbk(b.left(end));
}

bool writeLineGbk(const QString &path, const QString &text)
{
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
        return false;
    Encoded e = encode(text);
    if (e.missing != 0)
        return false;
    e.bytes.append("\r\n");
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(e.bytes) != e.bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace tessaly
