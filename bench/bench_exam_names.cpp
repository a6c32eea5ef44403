// Listing the exam names of a section table (the exam choice of the analysis
// and report windows): a table at the column limit, every column a different
// quiz, so no name repeats and each is compared with all listed before it.
#include "run_benchmarks.h"

#include "school/class_code.h"
#include "school/exam_columns.h"

#include <benchmark/benchmark.h>

using namespace tessaly;

namespace {

QStringList quizColumns(int count)
{
    QStringList columns = school::registerColumns();
    while (columns.size() < count)
        columns << QStringLiteral("C测%1语文251015").arg(columns.size());
    return columns;
}

void BM_ListExamNames(benchmark::State &state)
{
    const QStringList columns = quizColumns(int(state.range(0)));
    qsizetype listed = 0;
    for (auto _ : state) {
        const QStringList names = school::ListExamNames(columns);
        listed = names.size();
        benchmark::DoNotOptimize(names);
    }
    if (listed != columns.size() - school::kRegisterColumnCount)
        state.SkipWithError("a quiz name was listed twice or not at all");
    state.counters["names"] = double(listed);
}
BENCHMARK(BM_ListExamNames)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv);
}
