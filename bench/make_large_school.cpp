// make_large_school FOLDER [--students N] [--exams N] [--classes N] [--section 小学|初中|高中]...
// Writes FOLDER/data.mdb holding a large generated school; never overwrites a file.
#include "large_school.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    tessaly::bench::LargeSchoolOptions options;
    QString folder;
    const std::pair<const char *, int *> numbers[] = {
        {"--students", &options.students}, {"--exams", &options.examColumns}, {"--classes", &options.classesPerGroup}};
    for (int i = 0; i < args.size(); ++i) {
        const auto number = std::find_if(std::begin(numbers), std::end(numbers),
                                          [&](const auto &n) { return args[i] == QLatin1String(n.first); });
        if (number != std::end(numbers) && i + 1 < args.size()) {
            bool ok = false;
            *number->second = args[++i].toInt(&ok);
            if (!ok) {
                std::fprintf(stderr, "make_large_school: %s needs a number\n", number->first);
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
