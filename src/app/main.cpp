#include "platform/program_folder.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QFontDatabase>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Tessaly"));
    // A CJK face whose Latin letters are about half a Chinese character wide,
    // the proportion the grids' header texts are laid out for.
    const QString face = QStringLiteral("Noto Sans CJK SC");
    if (QFontDatabase::families().contains(face)) {
        QFont font = app.font();
        font.setFamily(face);
        app.setFont(font);
    }
    tessaly::MainWindow w(tessaly::programFolder());
    w.MDIForm_Load();
    w.show();
    return app.exec();
}
