#pragma once
// Registry stand-in: keys and their named values kept in an INI file read
// through QSettings, written the way a .reg file reads:
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Shared Tools\MSINFO]
//   PATH=/usr/bin/kinfocenter
//
// A text value is the value's data as stored, so "\0" at its end is a stored
// terminating NUL; a value written as @ByteArray(...) is binary data. Key and
// value names are compared without regard to case, as the registry does.
// Nothing is ever written.
#include <QString>
#include <QtGlobal>
#include <optional>

namespace tessaly {

// Root key handles and value types, with the numbers the registry gives them.
inline constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr quint32 REG_SZ = 1;
inline constexpr quint32 REG_BINARY = 3;

struct RegistryValue {
    quint32 type = REG_SZ;
    QString text;   // the data of a REG_SZ value; empty for other types
    int size = 0;   // bytes of data in the ANSI code page (GBK)
};

class Registry {
public:
    // The registry kept in that INI file; a missing file is an empty registry.
    explicit Registry(const QString &iniPath);

    // The registry of this computer: the INI file named by $TESSALY_REGISTRY,
    // else the system-wide Tessaly/registry.ini (/etc/xdg on Linux). Without
    // such a file every lookup finds nothing.
    static QString systemFile();

    // The value of the key under the root; nullopt when the root, the key or the
    // value is not there.
    std::optional<RegistryValue> queryValue(quint32 root, const QString &keyName,
                                            const QString &valueName) const;

private:
    QString m_path;
};

// Reads one value as a text: true when it was read. A text value's data loses
// exactly one terminating NUL; a value of any other type leaves KeyVal as it
// was. A value longer than the 1024-byte read buffer, or one not there, sets
// KeyVal to "" and gives false.
bool GetKeyValue(const Registry &registry, quint32 KeyRoot, const QString &KeyName,
                 const QString &SubKeyRef, QString &KeyVal);

} // namespace tessaly
