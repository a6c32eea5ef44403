// Build step: writes the delivered database data.mdb into a program folder
// when none is there. It never overwrites one.
#include "db/schema.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_db PROGRAM_FOLDER\n");
        return 2;
    }
    QString error;
    if (tessaly::db::installDeliveredDatabase(QString::fromLocal8Bit(argv[1]), &error) ==
        tessaly::db::InstallResult::Failed) {
        std::fprintf(stderr, "make_db: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
