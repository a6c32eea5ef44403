// Opening a class-sized .xls workbook and reading every cell of its first sheet, as an
// import does:
//   build/bench/bench_read_xls [--benchmark_filter=…]
// TESSALY_BENCH_XLS names another .xls to read besides the shared rosters.
// BM_ReadUncalculated reads a 60-student score sheet (.xls and .xlsx) whose 240
// formulas (SUM, ROUND(AVERAGE), IF, RANK) carry no stored results, so each is evaluated.
#include "fixtures/files.h"
#include "fixtures/workbook_bytes.h"
#include "workbook/import_workbook.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

void BM_ReadXls(benchmark::State &state, const QString &path)
{
    if (!QFileInfo::exists(path)) {
        state.SkipWithError(qPrintable(QStringLiteral("no workbook at ") + path));
        return;
    }
    qint64 cells = 0;
    for (auto _ : state) {
        QString error;
        std::unique_ptr<tessaly::ImportWorkbook> book = tessaly::ImportWorkbook::open(path, &error);
        if (!book || !book->selectSheet(0)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        cells = 0;
        for (int r = 1; r <= book->usedRows(); ++r)
            for (int c = 1; c <= book->usedCols(); ++c) {
                benchmark::DoNotOptimize(book->cell(r, c));
                ++cells;
            }
    }
    state.counters["cells"] = double(cells);
    state.SetItemsProcessed(state.iterations() * cells);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const QString shared = QStringLiteral(TESSALY_WORKBOOKS "/rosters/");
    benchmark::RegisterBenchmark("BM_ReadXls/roster-45", BM_ReadXls, shared + QStringLiteral("roster-45.xls"))
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_ReadXls/scores-40", BM_ReadXls, shared + QStringLiteral("scores-40.xls"))
        ->Unit(benchmark::kMicrosecond);
    if (const QString other = qEnvironmentVariable("TESSALY_BENCH_XLS"); !other.isEmpty())
        benchmark::RegisterBenchmark("BM_ReadXls/other", BM_ReadXls, other)->Unit(benchmark::kMicrosecond);
    QTemporaryDir temp;
    const std::vector<tessaly::test::ScoreRow> rows = tessaly::test::sampleScoreRows(60);
    const QString xls = temp.filePath(QStringLiteral("uncalculated.xls"));
    const QString xlsx = temp.filePath(QStringLiteral("uncalculated.xlsx"));
    tessaly::test::putFile(xls, tessaly::test::uncalculatedScoresXls(rows));
    tessaly::test::writeXlsxBook(xlsx, {{QStringLiteral("成绩"), tessaly::test::uncalculatedScoresXlsxSheet(rows)}});
    benchmark::RegisterBenchmark("BM_ReadUncalculated/xls-60", BM_ReadXls, xls)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_ReadUncalculated/xlsx-60", BM_ReadXls, xlsx)->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
