// Flex grid: filling, sizing and sorting a class-sized and a school-sized grid.
//   build/bench/bench_flex_grid
#include "run_benchmarks.h"

#include "platform/flex_grid.h"

#include <QApplication>
#include <benchmark/benchmark.h>

using tessaly::FlexGrid;

namespace {

constexpr int kCols = 20;

void fill(FlexGrid &g, int rows)
{
    g.setRows(rows + 1);
    g.setCols(kCols);
    for (int r = 1; r <= rows; ++r) {
        g.setRowHeight(r, 225);
        for (int c = 0; c < kCols; ++c)
            g.setTextMatrix(r, c, QString::number((r * 7919 + c * 104729) % 1000));
    }
}

void BM_Fill(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const bool shown = state.range(1) != 0;
    for (auto _ : state) {
        FlexGrid g;
        g.setFixedCols(2);
        g.mergeCol(0);
        if (shown) {
            g.resize(800, 600);
            g.show();
        }
        fill(g, rows);
        QApplication::processEvents();
        benchmark::DoNotOptimize(g.TextMatrix(rows, kCols - 1));
    }
    state.SetItemsProcessed(state.iterations() * rows * kCols);
}
BENCHMARK(BM_Fill)->Args({50, 1})->Args({5000, 0})->Args({5000, 1})->Unit(benchmark::kMillisecond);

void BM_Sort(benchmark::State &state)
{
    const int rows = int(state.range(0));
    FlexGrid g;
    g.resize(800, 600);
    g.show();
    fill(g, rows);
    QApplication::processEvents();
    bool ascending = true;
    for (auto _ : state) {
        g.sortRows(3, 5, ascending);
        ascending = !ascending;
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Sort)->Arg(50)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return tessaly::bench::runBenchmarks(argc, argv);
}
