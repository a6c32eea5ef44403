#pragma once
#include <QString>

namespace tessaly {

// The program folder: $TESSALY_HOME when set, else the executable's folder.
// Holds XM.DLL, PATH.DLL, data.mdb, help.dll and the key sounds.
QString programFolder();

// A file in the program folder, given by name ("data.mdb").
QString programFile(const QString &name);

} // namespace tessaly
