#pragma once
// 关于's system-information button: finding the system-information program
// through the registry and starting it.
#include <QString>

namespace tessaly {
class Registry;
}

namespace tessaly {

// The registry's keys and value names for the program.
inline const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString kMsinfoPathValue = QStringLiteral("PATH");
inline const QString kSharedToolsLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString kSharedToolsLocationValue = QStringLiteral("MSINFO");
inline const QString kMsinfoFileName = QStringLiteral("MSINFO32.EXE");

// Whether the registry names a program, and which: the PATH value's text (as it
// is, not checked, empty for a value that is not text), else MSINFO32.EXE in the
// folder the Shared Tools Location names when that file is there.
struct SysInfoLookup {
    bool named = false;
    QString path;
};
SysInfoLookup FindSysInfoProgram(const Registry &registry);

// Starts the program the registry names; when it names none, the desktop's own
// system-information program. False when nothing was started.
bool StartSysInfoProgram(const Registry &registry);

// What the program can tell of the system itself, shown when no program could
// be started: operating system, Qt and SQLite versions, program and data folders.
QString SystemSummary(const QString &programFolder);

} // namespace tessaly
