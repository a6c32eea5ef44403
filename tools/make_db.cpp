// Build step: writes the delivered database data.mdb into a program folder
// when none is there. It never overwrites one.
#include "platform/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_db PROGRAM_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("data.mdb"));
    if (QFileInfo::exists(path))
        return 0;
    QString error;
    if (!tessaly::db::createDeliveredDatabase(path, &error)) {
        std::fprintf(stderr, "make_db: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
