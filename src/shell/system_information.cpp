#include "shell/system_information.h"

#include "platform/registry.h"
#include "platform/system_info.h"

#include <QDir>
#include <QFileInfo>

namespace tessaly {

SysInfoLookup FindSysInfoProgram(const Registry &registry)
{
    QString path;
    if (GetKeyValue(registry, HKEY_LOCAL_MACHINE, kMsinfoKey, kMsinfoPathValue, path))
        return {true, path};
    if (!GetKeyValue(registry, HKEY_LOCAL_MACHINE, kSharedToolsLocationKey, kSharedToolsLocationValue, path))
        return {};
    const QString program = QDir(path).filePath(kMsinfoFileName);
    if (path.isEmpty() || !QFileInfo(program).isFile())
        return {};
    return {true, program};
}

bool StartSysInfoProgram(const Registry &registry)
{
    const SysInfoLookup lookup = FindSysInfoProgram(registry);
    return startProgram(lookup.named ? lookup.path : desktopSystemInfoProgram());
}

} // namespace tessaly
