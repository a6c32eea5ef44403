// Flex grid: filling, sizing and sorting a class-sized and a school-sized grid;
// filling and painting a grid beside a plain QTableView over a vector model of the
// same texts (program font), the measure the grid is held to (within 2x).
//   build/bench/bench_flex_grid
#include "run_benchmarks.h"

#include "kit/program_font.h"
#include "widgets/flex_grid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QPixmap>
#include <QTableView>
#include <vector>
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

QString cellText(int r, int c)
{
    return c == 1 ? QStringLiteral("学生%1").arg(r) : QString::number((r * 7919 + c * 104729) % 1000);
}

class VectorModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex & = {}) const override { return m_rows; }
    int columnCount(const QModelIndex & = {}) const override { return m_cols; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return m_texts[size_t(index.row()) * size_t(m_cols) + size_t(index.column())];
    }
    void fill(int rows, int cols)
    {
        beginResetModel();
        m_rows = rows;
        m_cols = cols;
        m_texts.assign(size_t(rows) * size_t(cols), QString());
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                m_texts[size_t(r) * size_t(cols) + size_t(c)] = cellText(r, c);
        endResetModel();
    }

private:
    int m_rows = 0;
    int m_cols = 0;
    std::vector<QString> m_texts;
};

// Fill then paint: a window's load of a grid as the user sees it.
void BM_GridFillPaint(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const int cols = int(state.range(1));
    tessaly::applyProgramFont();
    for (auto _ : state) {
        FlexGrid g;
        g.resize(1000, 700);
        g.show();
        g.setRows(rows);
        g.setCols(cols);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                g.setTextMatrix(r, c, cellText(r, c));
        QApplication::processEvents();
        benchmark::DoNotOptimize(g.grab());
    }
    state.SetItemsProcessed(state.iterations() * rows * cols);
}
BENCHMARK(BM_GridFillPaint)->Args({605, 42})->Args({123, 907})->Unit(benchmark::kMillisecond);

void BM_PlainViewFillPaint(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const int cols = int(state.range(1));
    tessaly::applyProgramFont();
    for (auto _ : state) {
        QTableView v;
        VectorModel m;
        v.setModel(&m);
        v.resize(1000, 700);
        v.show();
        m.fill(rows, cols);
        QApplication::processEvents();
        benchmark::DoNotOptimize(v.grab());
    }
    state.SetItemsProcessed(state.iterations() * rows * cols);
}
BENCHMARK(BM_PlainViewFillPaint)->Args({605, 42})->Args({123, 907})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return tessaly::bench::runBenchmarks(argc, argv);
}
