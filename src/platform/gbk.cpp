// Temporary stand-in so the fixture branch links; replaced by the real GBK module.
#include "platform/gbk.h"

#include <QFile>
#include <iconv.h>

namespace tessaly {

namespace {
QByteArray convert(const QByteArray &in, const char *to, const char *from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray out(in.size() * 2 + 4, '\0');
    char *src = const_cast<char *>(in.constData());
    size_t srcLeft = size_t(in.size());
    char *dst = out.data();
    size_t dstLeft = size_t(out.size());
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return {};
    out.truncate(out.size() - int(dstLeft));
    return out;
}
} // namespace

QByteArray toGbk(const QString &text)
{
    return convert(text.toUtf8(), "GBK", "UTF-8");
}

QString fromGbk(const QByteArray &bytes)
{
    return QString::fromUtf8(convert(bytes, "UTF-8", "GBK"));
}

std::optional<QString> readFirstLineGbk(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray all = f.readAll();
    if (all.isEmpty())
        return std::nullopt;
    qsizetype end = 0;
    while (end < all.size() && all[end] != '\r' && all[end] != '\n')
        ++end;
    return fromGbk(all.left(end));
}

bool writeLineGbk(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray bytes = toGbk(text) + "\r\n";
    return f.write(bytes) == bytes.size();
}

int gbkByteWidth(const QString &text)
{
    return int(toGbk(text).size());
}

QString PadToBytes(const QString &text, int bytes)
{
    const int pad = bytes - gbkByteWidth(text);
    return pad > 0 ? text + QString(pad, QLatin1Char(' ')) : text;
}

} // namespace tessaly
