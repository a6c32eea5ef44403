#include "workbook/excel_values.h"

#include <QDate>

#include <cmath>

namespace tessaly::excel {

QString numberText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0");  // also -0
    if (std::floor(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0)
        text[e] = QLatin1Char('E');
    return text;
}

FormatKind builtinFormatKind(int id)
{
    switch (id) {
    case 14: case 15: case 16: case 17:
    case 27: case 28: case 29: case 30: case 31: case 36:
    case 50: case 51: case 52: case 53: case 54: case 57: case 58:
        return FormatKind::Date;
    case 22:
        return FormatKind::DateTime;
    case 18: case 19: case 20: case 21:
    case 32: case 33: case 34: case 35:
    case 45: case 47: case 55: case 56:
        return FormatKind::Time;
    case 46:
        return FormatKind::Elapsed;
    default:
        return FormatKind::Number;
    }
}

FormatKind formatCodeKind(const QString &code)
{
    // Keep only the letters that carry meaning: drop quoted text, escaped characters,
    // padding/fill pairs and bracketed parts except the elapsed-time markers.
    QString letters;
    bool elapsed = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar ch = code[i];
        if (ch == QLatin1Char(';'))
            break;
        if (ch == QLatin1Char('"')) {
            const qsizetype close = code.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0)
                break;
            i = close;
        } else if (ch == QLatin1Char('\\') || ch == QLatin1Char('_') || ch == QLatin1Char('*')) {
            ++i;
        } else if (ch == QLatin1Char('[')) {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                break;
            const QString inner = code.mid(i + 1, close - i - 1).toLower();
            if (!inner.isEmpty()
                && (inner.count(QLatin1Char('h')) == inner.size()
                    || inner.count(QLatin1Char('m')) == inner.size()
                    || inner.count(QLatin1Char('s')) == inner.size())) {
                elapsed = true;
                letters += inner.at(0);
            }
            i = close;
        } else {
            letters += ch.toLower();
        }
    }
    if (letters.contains(QLatin1String("general")))
        return FormatKind::Number;
    const bool hasTime = letters.contains(QLatin1Char('h')) || letters.contains(QLatin1Char('s'));
    const bool hasDate = letters.contains(QLatin1Char('y')) || letters.contains(QLatin1Char('d'))
        || (letters.contains(QLatin1Char('m')) && !hasTime);
    if (hasDate && hasTime)
        return FormatKind::DateTime;
    if (hasDate)
        return FormatKind::Date;
    if (hasTime || elapsed)
        return elapsed ? FormatKind::Elapsed : FormatKind::Time;
    return FormatKind::Number;
}

namespace {

QString twoDigits(qint64 n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString clockText(qint64 hours, qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(twoDigits(hours), twoDigits(seconds / 60 % 60), twoDigits(seconds % 60));
}

// The date of a whole-day serial, as text; Excel's day 0 and its 1900-02-29 have no
// real date but show as these texts.
QString dayText(qint64 days, bool date1904)
{
    if (date1904)
        return QDate(1904, 1, 1).addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
    if (days == 0)
        return QStringLiteral("1900-01-00");
    if (days == 60)
        return QStringLiteral("1900-02-29");
    const QDate base = days < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30);
    return base.addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

QString serialText(double serial, FormatKind kind, bool date1904)
{
    // 9999-12-31 is serial 2958465 in the 1900 system and 1462 fewer in the 1904 one.
    const double limit = date1904 ? 2958465.0 - 1462.0 + 1.0 : 2958466.0;
    if (kind == FormatKind::Number || !std::isfinite(serial) || serial < 0 || serial >= limit)
        return numberText(serial);
    if (kind == FormatKind::Date)
        return dayText(static_cast<qint64>(std::floor(serial)), date1904);
    const qint64 total = std::llround(serial * 86400.0);
    const qint64 days = total / 86400;
    const qint64 seconds = total % 86400;
    switch (kind) {
    case FormatKind::DateTime:
        if (days >= (date1904 ? 2958465 - 1462 + 1 : 2958466))
            return numberText(serial);
        return dayText(days, date1904) + QLatin1Char(' ') + clockText(seconds / 3600, seconds);
    case FormatKind::Time:
        return clockText(seconds / 3600, seconds);
    case FormatKind::Elapsed:
        return clockText(total / 3600, total);
    default:
        return numberText(serial);
    }
}

namespace {

int hexValue(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The code unit of an escape starting at i ("_xHHHH_"), or -1.
int escapeAt(const QString &text, qsizetype i)
{
    if (i + 7 > text.size() || text[i] != QLatin1Char('_') || text[i + 1] != QLatin1Char('x')
        || text[i + 6] != QLatin1Char('_'))
        return -1;
    int value = 0;
    for (qsizetype k = i + 2; k < i + 6; ++k) {
        const int h = hexValue(text[k]);
        if (h < 0)
            return -1;
        value = value * 16 + h;
    }
    return value;
}

QString escapeOf(char16_t unit)
{
    return QStringLiteral("_x%1_").arg(QString::number(unit, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

} // namespace

QString decodeEscapes(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int unit = escapeAt(text, i);
        if (unit >= 0) {
            out += QChar(char16_t(unit));
            i += 6;
        } else {
            out += text[i];
        }
    }
    return out;
}

QString encodeEscapes(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool control = c < 0x20 && c != u'\t' && c != u'\n';
        const bool notXml = c == 0xFFFE || c == 0xFFFF;
        bool loneSurrogate = false;
        if (QChar::isHighSurrogate(c))
            loneSurrogate = i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
        else if (QChar::isLowSurrogate(c))
            loneSurrogate = i == 0 || !text[i - 1].isHighSurrogate();
        if (control || notXml || loneSurrogate || (c == u'_' && escapeAt(text, i) >= 0))
            out += escapeOf(c);
        else
            out += text[i];
    }
    return out;
}

} // namespace tessaly::excel
