#include "platform/icons.h"
#include "platform/program_folder.h"
#include "platform/translations.h"
#include "app/main_window.h"
#include "kit/program_font.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Tessaly"));
    tessaly::installQtTranslations();
    tessaly::useIconTheme();
    app.setWindowIcon(tessaly::programIcon());
    tessaly::applyProgramFont();
    tessaly::MainWindow w(tessaly::programFolder());
    w.MDIForm_Load();
    w.show();
    return app.exec();
}
