#include "workbook/format.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

namespace tessaly {

namespace {

// A finite number as its shortest round-trip decimal: digits d1 d2 … dn (no leading
// zero unless the value is zero) with the decimal point after `point` digits
// (point may be <= 0 or > n).
struct Decimal {
    bool negative = false;
    std::string digits;
    int point = 0;
};

// The digits of a scientific text such as "-3.125e+00" or "1e+20".
Decimal scientificDecimal(const std::string &s)
{
    Decimal d;
    size_t i = 0;
    if (s[i] == '-') {
        d.negative = true;
        ++i;
    }
    const size_t e = s.find('e', i);
    for (size_t j = i; j < e; ++j) {
        if (s[j] != '.')
            d.digits += s[j];
    }
    d.point = std::stoi(s.substr(e + 1)) + 1;
    return d;
}

template <typename T>
Decimal shortestDecimal(T value)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    return scientificDecimal(std::string(buf, res.ptr));
}

// A float's exact value in decimal digits, trailing zeros dropped: every float is a
// binary fraction of at most 112 significant decimal digits.
Decimal exactDecimal(float value)
{
    char buf[160];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 112);
    Decimal d = scientificDecimal(std::string(buf, res.ptr));
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps the first `keep` digits, rounding the rest half away from zero (on the
// magnitude). A carry out of the first digit adds a digit in front.
void roundDigits(Decimal &d, int keep)
{
    if (keep >= int(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits = "0";
        d.point = 1;
        return;
    }
    const bool up = d.digits[size_t(keep)] >= '5';
    d.digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0; --i) {
            if (d.digits[size_t(i)] == '9') {
                d.digits[size_t(i)] = '0';
            } else {
                ++d.digits[size_t(i)];
                break;
            }
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        }
    }
    if (d.digits.empty()) {
        d.digits = "0";
        d.point = 1;
    }
}

bool isZero(const Decimal &d)
{
    return d.digits.find_first_not_of('0') == std::string::npos;
}

// The digits written out with `decimals` places after the point (0: no point).
std::string fixedText(const Decimal &d, int decimals)
{
    std::string intPart;
    std::string frac;
    const int n = int(d.digits.size());
    for (int i = 0; i < d.point; ++i)
        intPart += i < n ? d.digits[size_t(i)] : '0';
    if (intPart.empty())
        intPart = "0";
    for (int i = d.point; i < d.point + decimals; ++i)
        frac += (i >= 0 && i < n) ? d.digits[size_t(i)] : '0';
    // Leading zeros from a zero value ("00") collapse to one.
    const size_t nz = intPart.find_first_not_of('0');
    intPart = nz == std::string::npos ? "0" : intPart.substr(nz);
    std::string out;
    if (d.negative && !isZero(d))
        out += '-';
    out += intPart;
    if (decimals > 0)
        out += '.' + frac;
    return out;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// The value times 10^decimals rounded to a whole, where that is what rounding the
// shortest text gives: away from a half, the shortest text and the double round
// alike. None near a half, for large values and for more than nine places.
std::optional<qint64> roundedScaled(double value, int decimals)
{
    if (decimals > 9)
        return std::nullopt;
    const double scaled = value * kPowersOfTen[decimals];
    const double whole = std::floor(scaled);
    if (!(std::fabs(scaled) < 1e9) || std::fabs(scaled - whole - 0.5) <= 1e-6)
        return std::nullopt;
    return qint64(scaled - whole > 0.5 ? whole + 1 : whole);
}

// The shortest fixed text of a nonzero value whose shortest digits number at most
// maxDigits, of an exponent from -4 to below maxDigits: then the general form of
// maxDigits digits, which needs no rounding. Empty for any other value.
template <typename T>
QString plainShortest(T value, int maxDigits)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (res.ec != std::errc())
        return QString();
    const char *end = res.ptr;
    const char *begin = buf + (buf[0] == '-' ? 1 : 0);
    const char *point = std::find(begin, end, '.');
    const char *first = begin;   // the first significant digit
    while (first < end && (*first == '0' || *first == '.'))
        ++first;
    const char *last = end;      // past the last one
    while (last > first && (last[-1] == '0' || last[-1] == '.'))
        --last;
    const int exponent = first < point ? int(point - first) - 1 : -int(first - point);
    const int digits = int(last - first) - (first < point && point < last ? 1 : 0);
    if (digits > maxDigits || exponent < -4 || exponent >= maxDigits)
        return QString();
    return QString::fromLatin1(buf, end - buf);
}

} // namespace

QString FormatFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (decimals < 0)
        decimals = 0;
    if (const std::optional<qint64> scaled = roundedScaled(value, decimals)) {
        // The rounded whole written out with the point `decimals` digits from its end.
        char buf[32];
        char *end = buf + sizeof buf;
        char *p = end;
        quint64 magnitude = quint64(*scaled < 0 ? -*scaled : *scaled);
        for (int i = 0; i <= decimals || magnitude > 0; ++i) {
            if (i == decimals && decimals > 0)
                *--p = '.';
            *--p = char('0' + magnitude % 10);
            magnitude /= 10;
        }
        if (*scaled < 0)
            *--p = '-';
        return QString::fromLatin1(p, end - p);
    }
    Decimal d = shortestDecimal(value);
    roundDigits(d, d.point + decimals);
    return QString::fromStdString(fixedText(d, decimals));
}

double roundedFixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    if (decimals < 0)
        decimals = 0;
    // The quotient of the rounded whole by the exact power of ten is the double the text reads as.
    if (const std::optional<qint64> scaled = roundedScaled(value, decimals))
        return *scaled == 0 ? 0.0 : double(*scaled) / kPowersOfTen[decimals];
    Decimal d = shortestDecimal(value);
    roundDigits(d, d.point + decimals);
    const std::string text = fixedText(d, decimals);
    double out = 0;
    std::from_chars(text.data(), text.data() + text.size(), out);
    return out;
}

QString formatGeneral15(double value)
{
    if (value != 0 && std::isfinite(value) && std::fabs(value) < 1e15) {
        if (const QString text = plainShortest(value, 15); !text.isEmpty())
            return text;
    }
    return QString::number(value, 'g', 15);
}

QString formatSingle(float value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    constexpr int kDigits = 7;
    if (value == 0)
        return QStringLiteral("0");
    // The shortest text of at most seven digits is the value rounded to seven where
    // a float's spacing is finer than seven digits' (not from 2^-10 up to 0.001).
    if (std::fabs(value) >= 1e-3f && std::fabs(value) < 1e8f) {
        if (const QString text = plainShortest(value, kDigits); !text.isEmpty())
            return text;
    }
    // Rounded once, from the exact value: 73.3849945f is 73.38499, not 73.385 by
    // way of its shortest text 73.384995.
    Decimal d = exactDecimal(value);
    roundDigits(d, kDigits);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    if (isZero(d))
        return QStringLiteral("0");
    const int exponent = d.point - 1;
    if (exponent < -4 || exponent >= kDigits) {
        // Outside ordinary magnitudes: d.ddddddE+XX, as QString::number writes it.
        std::string out = d.negative ? "-" : "";
        out += d.digits[0];
        if (d.digits.size() > 1)
            out += '.' + d.digits.substr(1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return QString::fromStdString(out + exp);
    }
    const int decimals = std::max(0, int(d.digits.size()) - d.point);
    return QString::fromStdString(fixedText(d, decimals));
}

double shownSingle(float value, QString *text)
{
    const QString written = formatSingle(value);
    if (text)
        *text = written;
    if (!std::isfinite(value))
        return value;
    // The text is a plain decimal or exponent form in Latin-1 digits.
    char buf[32];
    const qsizetype n = written.size();
    if (n > qsizetype(sizeof buf))
        return written.toDouble();
    for (qsizetype i = 0; i < n; ++i)
        buf[i] = char(written.at(i).unicode());
    double out = 0;
    if (std::from_chars(buf, buf + n, out).ec != std::errc())
        return written.toDouble();
    return out;
}

QString formatSingleFixed(float value, int decimals)
{
    if (!std::isfinite(value))
        return FormatFixed(double(value), decimals);
    return FormatFixed(shownSingle(value), decimals);
}

double roundedSingleFixed(float value, int decimals)
{
    if (!std::isfinite(value))
        return roundedFixed(double(value), decimals);
    return roundedFixed(shownSingle(value), decimals);
}

QString shortDateText(const QDate &date)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(date, QLocale::ShortFormat);
}

} // namespace tessaly
