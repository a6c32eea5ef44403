#include "os/registry.h"

#include "workbook/gbk.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QSettings>
#include <QVariant>

namespace tessaly {

namespace {

constexpr int kReadBufferBytes = 1024;

QString rootName(quint32 root)
{
    return root == HKEY_LOCAL_MACHINE ? QStringLiteral("HKEY_LOCAL_MACHINE") : QString();
}

// A key path as QSettings spells it: parts joined by '/', none empty.
QString settingsPath(const QString &root, const QString &keyName, const QString &valueName)
{
    QStringList parts{root};
    for (const QString &part : QString(keyName).replace(QLatin1Char('\\'), QLatin1Char('/')).split(QLatin1Char('/')))
        if (!part.isEmpty())
            parts << part;
    parts << valueName;
    return parts.join(QLatin1Char('/'));
}

} // namespace

Registry::Registry(const QString &iniPath) : m_path(iniPath) {}

QString Registry::systemFile()
{
    const QString named = QProcessEnvironment::systemEnvironment().value(QStringLiteral("TESSALY_REGISTRY"));
    if (!named.isEmpty())
        return named;
    return QSettings(QSettings::IniFormat, QSettings::SystemScope, QStringLiteral("Tessaly"),
                     QStringLiteral("registry"))
        .fileName();
}

std::optional<RegistryValue> Registry::queryValue(quint32 root, const QString &keyName,
                                                  const QString &valueName) const
{
    const QString rootText = rootName(root);
    if (rootText.isEmpty() || valueName.isEmpty())
        return std::nullopt;
    const QString wanted = settingsPath(rootText, keyName, valueName);
    QSettings settings(m_path, QSettings::IniFormat);
    for (const QString &key : settings.allKeys()) {
        if (key.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        const QVariant v = settings.value(key);
        RegistryValue value;
        if (v.typeId() == QMetaType::QByteArray) {
            value.type = REG_BINARY;
            value.size = int(v.toByteArray().size());
        } else {
            value.text = v.toString();
            value.size = gbkByteWidth(value.text);
        }
        return value;
    }
    return std::nullopt;
}

bool GetKeyValue(const Registry &registry, quint32 KeyRoot, const QString &KeyName,
                 const QString &SubKeyRef, QString &KeyVal)
{
    const std::optional<RegistryValue> value = registry.queryValue(KeyRoot, KeyName, SubKeyRef);
    if (!value || value->size > kReadBufferBytes) {
        KeyVal.clear();
        return false;
    }
    if (value->type == REG_SZ) {
        QString text = value->text;
        if (text.endsWith(QChar(0)))
            text.chop(1);
        KeyVal = text;
    }
    return true;
}

} // namespace tessaly
