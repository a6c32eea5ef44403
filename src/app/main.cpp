#include "platform/program_folder.h"
#include "app/main_window.h"
#include "kit/program_font.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Tessaly"));
    tessaly::applyProgramFont();
    tessaly::MainWindow w(tessaly::programFolder());
    w.MDIForm_Load();
    w.show();
    return app.exec();
}
