#include "os/system_info.h"

#include <QProcess>
#include <QStandardPaths>

namespace tessaly {

namespace {

ProgramStarter &installedStarter()
{
    static ProgramStarter starter;
    return starter;
}

} // namespace

bool startDetachedProgram(const QString &program)
{
    return QProcess::startDetached(program, {});
}

ProgramStarter installProgramStarter(ProgramStarter starter)
{
    ProgramStarter previous = std::move(installedStarter());
    installedStarter() = std::move(starter);
    return previous;
}

bool startProgram(const QString &program)
{
    if (program.isEmpty())
        return false;
    const ProgramStarter &starter = installedStarter();
    return starter ? starter(program) : startDetachedProgram(program);
}

QString desktopSystemInfoProgram()
{
    for (const QString &name : kDesktopSystemInfoPrograms) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

RecordingProgramStarter::RecordingProgramStarter(bool result)
{
    m_previous = installProgramStarter([this, result](const QString &program) {
        started << program;
        return result;
    });
}

RecordingProgramStarter::~RecordingProgramStarter()
{
    installProgramStarter(std::move(m_previous));
}

} // namespace tessaly
