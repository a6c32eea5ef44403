#pragma once
// The main of a Google Benchmark program: a QApplication (offscreen unless the
// environment names a platform), the benchmark flags, a temporary folder, an optional
// preparation (false ends the program with 1), then every registered benchmark.
#include "large_school.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>

namespace tessaly::bench {

inline int runBenchmarks(int argc, char **argv,
                         const std::function<bool(const QString &tempFolder)> &prepare = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir temp;
    if (!temp.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    if (prepare && !prepare(temp.path()))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// benchSchool() into *path; says why on stderr when there is none.
inline bool openBenchSchool(const QString &folder, const LargeSchoolOptions &options, bool copy,
                            QString *path)
{
    QString error;
    *path = benchSchool(folder, options, copy, &error);
    if (path->isEmpty())
        std::fprintf(stderr, "no large school: %s\n", qPrintable(error));
    return !path->isEmpty();
}

} // namespace tessaly::bench
