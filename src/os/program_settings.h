#pragma once
// The program's own settings (the main window's place and size): an INI file in
// the program folder, read and written through QSettings. Nothing goes into the
// user's or the system's settings store, so each program folder keeps its own.
#include <QString>

namespace tessaly {

// The settings file of the program folder.
QString programSettingsFile(const QString &programFolder);

} // namespace tessaly
