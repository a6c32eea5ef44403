#pragma once
// The fonts the windows name after the Windows faces (宋体, 楷体_GB2312, 黑体),
// mapped to CJK families installed here.
#include <QFont>
#include <QString>

namespace tessaly {

// The installed family that stands for the face:
//   宋体         a monospaced CJK face, so a half-width character takes exactly half
//                the width of a full-width one and GBK-padded columns line up
//   楷体_GB2312  a Kai face when one is installed, else a serif CJK face
//   黑体         a sans-serif CJK face
// Any other face, or none of the candidates installed: the application's family.
QString cjkFamily(const QString &face);

// The face's family at the size (points), bold or not.
QFont cjkFont(const QString &face, qreal pointSize, bool bold = false);

} // namespace tessaly
