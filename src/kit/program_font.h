#pragma once
// The program's font: a CJK face whose Latin letters are about half a Chinese
// character wide, the proportion the grids' header texts are laid out for.
#include <QFont>

namespace tessaly {

// The base font with the program's face when the machine has it.
QFont programFont(const QFont &base);

// Makes programFont() the application's font.
void applyProgramFont();

} // namespace tessaly
