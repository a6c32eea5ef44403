#pragma once
// Number and date texts.
#include <QString>

#include <concepts>

class QDate;

namespace tessaly {

// Fixed decimals, halves rounded away from zero on the decimal value as written:
// FormatFixed(3.125, 2) == "3.13", FormatFixed(2.675, 2) == "2.68", FormatFixed(-0.5, 0) == "-1".
// The decimal value is the shortest text that reads back as the same double. A result
// of zero carries no minus sign; a negative decimals count means 0.
QString FormatFixed(double value, int decimals);

// The value FormatFixed(value, decimals) writes, as a number: what a figure shown
// with that many decimals reads back as.
double roundedFixed(double value, int decimals);

// The value in general form with up to 15 significant digits, as
// QString::number(value, 'g', 15) writes it (512.5 -> "512.5", 1e20 -> "1e+20").
QString formatGeneral15(double value);

// A single-precision value in its shortest form: up to 7 significant digits (halves
// away from zero), no trailing zeros, no digit grouping (85.5f -> "85.5", 100.0f -> "100",
// 1.0f / 3 -> "0.3333333"). An exponent ("1.234568e+07") only below 0.0001 or from
// 10 000 000 up, as with printf's %g.
QString formatSingle(float value);

// The double formatSingle(value) reads back as: the value as shown. `text`, when
// given, receives formatSingle's text.
double shownSingle(float value, QString *text = nullptr);

// A single-precision value with fixed decimals, rounded from its shortest form as
// formatSingle writes it: formatSingleFixed(2.675f, 2) == "2.68".
QString formatSingleFixed(float value, int decimals);

// FormatFixed of a single-precision value is formatSingleFixed: one rounding for
// every score, total and average held as a float (72.45f shows "72.5" with one
// decimal, where the double it widens to, 72.4499969…, would show "72.4").
template <std::same_as<float> Single>
QString FormatFixed(Single value, int decimals)
{
    return formatSingleFixed(value, decimals);
}

// The value FormatFixed of a single-precision value writes, as a number.
double roundedSingleFixed(float value, int decimals);

template <std::same_as<float> Single>
double roundedFixed(Single value, int decimals)
{
    return roundedSingleFixed(value, decimals);
}

// The date in the system's short form as a Chinese system writes it ("2026/9/1").
QString shortDateText(const QDate &date);

} // namespace tessaly
