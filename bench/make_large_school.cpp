// make_large_school FOLDER [--students N] [--exams N] [--classes N] [--section 小学|初中|高中]...
// Writes FOLDER/data.mdb holding a large generated school; never overwrites a file.
#include "large_school.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    tessaly::bench::LargeSchoolOptions options;
    QString folder;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--students") && i + 1 < args.size()) {
            bool ok = false;
            options.students = args[++i].toInt(&ok);
            if (!ok) {
                std::fprintf(stderr, "make_large_school: --students needs a number\n");
                return 2;
            }
        } else if (args[i] == QLatin1String("--exams") && i + 1 < args.size()) {
            bool ok = false;
            options.examColumns = args[++i].toInt(&ok);
            if (!ok) {
                std::fprintf(stderr, "make_large_school: --exams needs a number\n");
                return 2;
            }
        } else if (args[i] == QLatin1String("--classes") && i + 1 < args.size()) {
            bool ok = false;
            options.classesPerGroup = args[++i].toInt(&ok);
            if (!ok) {
                std::fprintf(stderr, "make_large_school: --classes needs a number\n");
                return 2;
            }
        } else if (args[i] == QLatin1String("--section") && i + 1 < args.size()) {
            options.sections << args[++i];
        } else if (folder.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            folder = args[i];
        } else {
            folder.clear();
            break;
        }
    }
    if (folder.isEmpty()) {
        std::fprintf(stderr, "usage: make_large_school FOLDER [--students N] [--exams N] [--classes N] "
                             "[--section 小学|初中|高中]...\n");
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    tessaly::bench::LargeSchoolSummary s;
    QString error;
    if (!tessaly::bench::makeLargeSchool(folder, options, &s, &error)) {
        std::fprintf(stderr, "make_large_school: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s: %d grade groups, %d classes, %d teaching assignments, %d students, "
                "%d exam columns in each section table (%lld ms)\n",
                qPrintable(QDir(folder).filePath(QStringLiteral("data.mdb"))), s.gradeGroups,
                s.classes, s.teachings, s.students, s.examColumns.value(QStringLiteral("初中")),
                static_cast<long long>(timer.elapsed()));
    return 0;
}
