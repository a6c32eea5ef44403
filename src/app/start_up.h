#pragma once
// The program's start-up, shared by main() and the start-up benchmark.
#include <QString>
#include <memory>

class QApplication;

namespace tessaly {

class MainWindow;

// Names the application, installs translations, icons and the program font, then
// makes the main window on the program folder, runs its start-up (MDIForm_Load)
// and shows it.
std::unique_ptr<MainWindow> startProgram(QApplication &app, const QString &programFolder);

} // namespace tessaly
