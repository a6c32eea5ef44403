#include "widgets/fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

namespace tessaly {

namespace {

QStringList candidates(const QString &face)
{
    if (face == QStringLiteral("宋体"))
        return {QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("Noto Serif CJK SC")};
    if (face == QStringLiteral("楷体_GB2312") || face == QStringLiteral("楷体"))
        return {QStringLiteral("AR PL UKai CN"), QStringLiteral("Noto Serif CJK SC")};
    if (face == QStringLiteral("黑体"))
        return {QStringLiteral("Noto Sans CJK SC")};
    return {};
}

} // namespace

QString cjkFamily(const QString &face)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : candidates(face)) {
        if (installed.contains(family))
            return family;
    }
    return QApplication::font().family();
}

QFont cjkFont(const QString &face, qreal pointSize, bool bold)
{
    QFont font(cjkFamily(face));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace tessaly
