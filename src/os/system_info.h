#pragma once
// Stand-in for the system-information program: starting a program as a
// separate process, and the desktop's own system-information program.
//
// Tests install a starter that records the programs instead of starting them.
#include <QString>
#include <QStringList>
#include <functional>

namespace tessaly {

// Starts the program as a separate process without waiting for it; false when
// it could not be started.
using ProgramStarter = std::function<bool(const QString &program)>;

// QProcess::startDetached: the program's path, no arguments.
bool startDetachedProgram(const QString &program);
// Replaces the starter (an empty one restores startDetachedProgram); returns the previous one.
ProgramStarter installProgramStarter(ProgramStarter starter);
// Starts the program through the installed starter; an empty path is never started.
bool startProgram(const QString &program);

// The desktop's system-information programs, in the order they are looked for.
inline const QStringList kDesktopSystemInfoPrograms = {
    QStringLiteral("kinfocenter"), QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
    QStringLiteral("gnome-system-monitor"), QStringLiteral("mate-system-monitor"),
};
// The full path of the first of them found on PATH; "" when none is installed.
QString desktopSystemInfoProgram();

// For tests: while it lives, programs are recorded instead of started, and each
// start gives `result`.
class RecordingProgramStarter {
public:
    explicit RecordingProgramStarter(bool result = true);
    ~RecordingProgramStarter();
    RecordingProgramStarter(const RecordingProgramStarter &) = delete;
    RecordingProgramStarter &operator=(const RecordingProgramStarter &) = delete;

    QStringList started;

private:
    ProgramStarter m_previous;
};

} // namespace tessaly
