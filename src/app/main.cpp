#include "app/main_window.h"
#include "app/start_up.h"
#include "os/program_folder.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const std::unique_ptr<tessaly::MainWindow> w = tessaly::startProgram(app, tessaly::programFolder());
    return app.exec();
}
