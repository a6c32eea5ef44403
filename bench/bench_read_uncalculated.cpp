// Reading a 60-row score sheet whose formulas carry no stored results (总分 SUM,
// 平均分 ROUND(AVERAGE), 及格 IF, 名次 RANK), so that every formula is evaluated, as an
// import does: open the file, read every cell of its sheet.
//   build/bench/bench_read_uncalculated [--benchmark_filter=…]
#include "fixtures/files.h"
#include "fixtures/workbook_bytes.h"
#include "platform/import_workbook.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kStudents = 60;

void BM_ReadUncalculated(benchmark::State &state, const QString &path)
{
    qint64 cells = 0;
    for (auto _ : state) {
        QString error;
        std::unique_ptr<tessaly::ImportWorkbook> book = tessaly::ImportWorkbook::open(path, &error);
        if (!book || !book->selectSheet(0) || book->cell(kStudents + 1, 9).isEmpty()) {
            state.SkipWithError(qPrintable(error.isEmpty() ? QStringLiteral("formulas not evaluated") : error));
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
    state.counters["formulas"] = double(kStudents * 4);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const std::vector<tessaly::test::ScoreRow> rows = tessaly::test::sampleScoreRows(kStudents);
    const QString xls = dir.filePath(QStringLiteral("scores.xls"));
    const QString xlsx = dir.filePath(QStringLiteral("scores.xlsx"));
    tessaly::test::putFile(xls, tessaly::test::uncalculatedScoresXls(rows));
    if (!tessaly::test::writeXlsxBook(xlsx, {{QStringLiteral("成绩"), tessaly::test::uncalculatedScoresXlsxSheet(rows)}}))
        return 1;
    benchmark::RegisterBenchmark("BM_ReadUncalculated/xls-60", BM_ReadUncalculated, xls)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ReadUncalculated/xlsx-60", BM_ReadUncalculated, xlsx)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
