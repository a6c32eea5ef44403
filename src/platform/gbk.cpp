#include "platform/gbk.h"

#include <QFile>
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

// Bytes of the first line, up to (without) the first CR or LF. In GBK neither byte
// occurs inside a two-byte character, so the bytes can be cut before decoding.
std::optional<QByteArray> readFirstLineBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line;
    bool any = false;
    char buf[4096];
    for (;;) {
        const qint64 n = file.read(buf, sizeof buf);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        any = true;
        for (qint64 i = 0; i < n; ++i) {
            if (buf[i] == '\r' || buf[i] == '\n') {
                line.append(buf, i);
                return line;
            }
        }
        line.append(buf, n);
    }
    if (!any)
        return std::nullopt;
    return line;
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
    std::optional<QByteArray> line = readFirstLineBytes(path);
    if (!line)
        return std::nullopt;
    static const QByteArray utf8Bom("\xEF\xBB\xBF");
    if (line->startsWith(utf8Bom))
        return QString::fromUtf8(line->mid(utf8Bom.size()));
    return fromGbk(*line);
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
