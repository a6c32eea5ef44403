#pragma once
// Number texts.
#include <QString>

namespace tessaly {

// Fixed decimals, halves rounded away from zero on the decimal value as written:
// FormatFixed(3.125, 2) == "3.13", FormatFixed(2.675, 2) == "2.68", FormatFixed(-0.5, 0) == "-1".
QString FormatFixed(double value, int decimals);

// A single-precision value in its shortest form: up to 7 significant digits,
// no trailing zeros, no exponent for ordinary scores (85.5f -> "85.5", 100.0f -> "100").
QString formatSingle(float value);

} // namespace tessaly
