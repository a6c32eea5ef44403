#include "app/start_up.h"

#include "app/main_window.h"
#include "kit/program_font.h"
#include "widgets/icons.h"
#include "os/translations.h"

#include <QApplication>

namespace tessaly {

std::unique_ptr<MainWindow> startProgram(QApplication &app, const QString &programFolder)
{
    app.setApplicationName(QStringLiteral("Tessaly"));
    installQtTranslations();
    useIconTheme();
    app.setWindowIcon(programIcon());
    applyProgramFont();
    auto w = std::make_unique<MainWindow>(programFolder);
    w->MDIForm_Load();
    w->show();
    return w;
}

} // namespace tessaly
