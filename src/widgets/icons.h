#pragma once
// Icons: the freedesktop icon theme the toolbar draws from, and the program's own icon.
#include <QIcon>

namespace tessaly {

// Makes QIcon::fromTheme find the installed Breeze theme when the desktop names
// no theme of its own (Breeze also stands behind the desktop's theme).
void useIconTheme();

// The program's icon, for the main window and every window it opens.
QIcon programIcon();

} // namespace tessaly
