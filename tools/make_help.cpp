// Build step: writes the help file help.dll into a program folder from its text
// source when none is there. It never overwrites one.
#include "shell/help_file.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_help PROGRAM_FOLDER HELP_SOURCE\n");
        return 2;
    }
    QString error;
    if (tessaly::help::InstallHelpFile(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]), &error)
        == tessaly::db::InstallResult::Failed) {
        std::fprintf(stderr, "make_help: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
