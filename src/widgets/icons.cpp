#include "widgets/icons.h"

#include <QStringList>

namespace tessaly {

void useIconTheme()
{
    const QString breeze = QStringLiteral("breeze");
    QStringList paths = QIcon::themeSearchPaths();
    if (!paths.contains(QStringLiteral("/usr/share/icons"))) {
        paths << QStringLiteral("/usr/share/icons");
        QIcon::setThemeSearchPaths(paths);
    }
    QIcon::setFallbackThemeName(breeze);
    const QString current = QIcon::themeName();
    if (current.isEmpty() || current == QStringLiteral("hicolor"))
        QIcon::setThemeName(breeze);
}

QIcon programIcon()
{
    return QIcon(QStringLiteral(":/data/tessaly.svg"));
}

} // namespace tessaly
