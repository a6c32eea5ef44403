#pragma once
// GBK text files (XM.DLL, PATH.DLL) and GBK byte widths of texts.
#include <QString>
#include <optional>

namespace tessaly {

// The first line of a GBK text file, without its line end (CR LF, LF or CR).
// nullopt when the file is missing, unreadable or has zero bytes.
std::optional<QString> readFirstLineGbk(const QString &path);

// Replaces the file with one line: text followed by CR LF, in GBK. False on failure.
bool writeLineGbk(const QString &path, const QString &text);

// Bytes the text takes in GBK: 1 for ASCII, 2 for a Chinese or full-width character.
int gbkByteWidth(const QString &text);

// Text padded with blanks on the right to the given GBK byte width; never shortened,
// never a negative pad.
QString PadToBytes(const QString &text, int bytes);

// GBK bytes <-> text.
QByteArray toGbk(const QString &text);
QString fromGbk(const QByteArray &bytes);

} // namespace tessaly
