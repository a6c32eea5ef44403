#pragma once
// Cell values as a user sees them: numbers, date serials, number-format kinds and the
// _xHHHH_ escapes of workbook text. Shared by the import workbook's readers and writer.
#include <QString>

namespace tessaly::excel {

// Largest row and column a worksheet can hold; cells beyond them are not read.
inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxCols = 16384;

// A number in the general form: integral values without a decimal point or exponent
// ("1", "13868106871"), others with up to 15 significant digits ("0.5", "90.25");
// an exponent only where the value is tiny or huge ("1E-05", "1E+20").
QString numberText(double value);

// How a number format shows a number.
enum class FormatKind {
    Number,    // general or any number format: numberText
    Date,      // "2013-07-31"
    DateTime,  // "2013-07-31 08:30:00"
    Time,      // time of day "08:30:00"
    Elapsed,   // hours beyond a day kept: "255:10:10" ([h]:mm:ss)
};

// The kind of a built-in number format id (14–22, 45–47 and the Chinese-locale ids
// 27–36 and 50–58 are dates or times).
FormatKind builtinFormatKind(int numFmtId);

// The kind of a format code such as "yyyy-mm-dd", "yyyy\"年\"m\"月\"d\"日\"", "h:mm",
// "[h]:mm:ss" or "0.00". Quoted text, escaped characters and bracketed colours and
// locales are ignored; only the first section counts.
FormatKind formatCodeKind(const QString &code);

// A date serial in the given kind. The 1900 system counts 1900-02-29 as Excel does
// (serial 60); date1904 starts at 1904-01-01. Seconds are rounded to the nearest. A
// serial outside 0 … 9999-12-31 (which a spreadsheet shows as ####) gives numberText.
QString serialText(double serial, FormatKind kind, bool date1904);

// Decodes _xHHHH_ escapes ("_x000D_" is CR, "_x005F_" a literal underscore).
QString decodeEscapes(const QString &text);

// The text as a workbook stores it: characters XML cannot carry (controls other than
// tab and LF, CR, lone surrogates) and underscores that would read as an escape become
// _xHHHH_. decodeEscapes(encodeEscapes(t)) == t.
QString encodeEscapes(const QString &text);

} // namespace tessaly::excel
