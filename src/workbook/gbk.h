#pragma once
// GBK text files (XM.DLL, PATH.DLL), GBK byte widths of texts, and text in other
// legacy code pages.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace tessaly {

// The first line of a GBK text file, without its line end (CR LF, LF or CR), from
// at most its first 4 KB. nullopt when the file is missing, unreadable or has zero
// bytes. A file that starts with a UTF-8 or UTF-16 byte order mark is read as such.
std::optional<QString> readFirstLineGbk(const QString &path);

// Replaces the file with one line: text followed by CR LF, in GBK. False on failure,
// and false without touching the file when the text holds a line break or a character
// GBK cannot represent (see gbkCanEncode). The old file stays whole until the new one
// is complete.
bool writeLineGbk(const QString &path, const QString &text);

// True when every character of the text has a GBK code.
bool gbkCanEncode(const QString &text);

// The characters of the text without a GBK code, each once, in the order they
// first occur (a character outside the BMP is one item).
QStringList gbkMissingCharacters(const QString &text);

// Bytes the text takes in GBK: 1 for ASCII, 2 for a Chinese or full-width character.
// A character without a GBK code counts 2.
int gbkByteWidth(const QString &text);

// Text padded with blanks on the right to the given GBK byte width; never shortened,
// never a negative pad.
QString PadToBytes(const QString &text, int bytes);

// GBK bytes <-> text. toGbk writes '?' for a character without a GBK code; fromGbk
// gives U+FFFD for a byte sequence that is not GBK.
QByteArray toGbk(const QString &text);
QString fromGbk(const QByteArray &bytes);

// Bytes in a code page as iconv names it ("CP936", "CP1252") to text, with U+FFFD for a
// byte sequence that is not in it; nullopt when iconv does not know the code page.
std::optional<QString> fromCharset(const QByteArray &bytes, const char *charset);

} // namespace tessaly
