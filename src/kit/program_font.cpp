#include "kit/program_font.h"

#include <QApplication>
#include <QFontDatabase>

namespace tessaly {

QFont programFont(const QFont &base)
{
    const QString face = QStringLiteral("Noto Sans CJK SC");
    QFont font = base;
    if (QFontDatabase::families().contains(face))
        font.setFamily(face);
    return font;
}

void applyProgramFont()
{
    QApplication::setFont(programFont(QApplication::font()));
}

} // namespace tessaly
