#pragma once
// The school name in XM.DLL (first line, GBK) and the main window's caption.
#include <QString>

namespace tessaly {

// The first line of XM.DLL in the program folder. A missing, unreadable or
// zero-byte file reads as an empty line.
QString readSchoolName(const QString &programFolder);

// Why the school-name window cannot save the name, as it tells the user: an
// empty name, or the characters GBK has no code for. Empty when it can be saved.
QString schoolNameRefusal(const QString &name);

// Replaces XM.DLL with one line: the name followed by CR LF, in GBK. False
// when the file cannot be written (or the name is refused, see above).
bool saveSchoolName(const QString &programFolder, const QString &name);

// The main window's caption: the name directly followed by "Tessaly".
QString mainCaption(const QString &schoolName);

} // namespace tessaly
