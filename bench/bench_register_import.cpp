// The register window on a large school: a fresh import of a 60-row .xlsx into the
// grid followed by its save, and the export of a 60-row register, each beside the bare
// work (the same workbook read cell by cell and the same rows deleted and inserted
// through the engine; the same cells written with libxlsxwriter).
//
// The school: 60 students in each of 108 classes (TESSALY_BENCH_DB, or one generated
// into a temporary folder); the class is 三年级组 二班 of 小学.
#include "run_benchmarks.h"
#include "main_road.h"

#include "app/main_window.h"
#include "kit/window_names.h"
#include "os/clock.h"
#include "db/database.h"
#include "workbook/export_workbook.h"
#include "widgets/file_chooser.h"
#include "widgets/flex_grid.h"
#include "workbook/import_workbook.h"
#include "widgets/messages.h"
#include "school/class_code.h"
#include "register/register_import.h"
#include "register/register_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <cstdio>
#include <memory>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kStudents = 60;

QString g_dbPath;
QString g_tempFolder;
QString g_roster;   // the 60-row .xlsx
QString g_classCode;

// ---- Fresh import and save ----------------------------------------------------

// The window: 浏览, the sheet, 16 bindings, 全新导入, 导入开始, 确定, 保存修改 (which
// reloads the class).
void BM_FreshImport_Window(benchmark::State &state)
{
    RegisterOnClass win(g_dbPath);
    RegisterWindow *w = win.w;
    ScriptedFileChooser chooser;
    if (!w->editFrame->isEnabled()) {
        state.SkipWithError("the head teacher is not signed in");
        return;
    }
    for (auto _ : state) {
        if (!freshImportAndSave(w, chooser, g_roster)) {
            state.SkipWithError("the save was refused");
            break;
        }
    }
    if (w->registerRows().size() != kStudents)
        state.SkipWithError("the class does not hold the 60 imported students");
    state.counters["rows"] = double(w->registerRows().size());
}
BENCHMARK(BM_FreshImport_Window)->Unit(benchmark::kMillisecond);

// The bare work: the workbook opened and every cell of its sheet read; the class's
// rows deleted and 60 rows inserted in one transaction through the engine.
void BM_FreshImport_Bare(benchmark::State &state)
{
    SqliteFile file(g_dbPath);
    if (!file.db()) {
        state.SkipWithError("cannot open");
        return;
    }
    sqlite3_exec(file.db(), "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    for (auto _ : state) {
        if (!bareFreshImport(file.db(), g_roster, kRoadTable, g_classCode)) {
            state.SkipWithError("cannot read the roster");
            break;
        }
    }
}
BENCHMARK(BM_FreshImport_Bare)->Unit(benchmark::kMillisecond);

// ---- Export ----------------------------------------------------------------------

// The window: 导出数据或打印 on the class of 60, the file handed to a recorder.
void BM_Export_Window(benchmark::State &state)
{
    RegisterOnClass win(g_dbPath);
    RegisterWindow *w = win.w;
    RecordingWorkbookOpener opener;
    for (auto _ : state)
        w->exportClicked();
    if (opener.paths().size() != std::size_t(state.iterations()) || w->registerRows().size() != kStudents)
        state.SkipWithError("the export was not written");
    state.counters["rows"] = double(w->registerRows().size());
}
BENCHMARK(BM_Export_Window)->Unit(benchmark::kMillisecond);

// The bare work: the same 62 x 18 texts written with libxlsxwriter into a new file.
void BM_Export_Bare(benchmark::State &state)
{
    RegisterOnClass win(g_dbPath);
    QList<QList<QByteArray>> cells;
    for (int r = 0; r < win.w->registerGrid->Rows(); ++r) {
        QList<QByteArray> row;
        for (int c = 0; c < 18; ++c)
            row << win.w->registerGrid->TextMatrix(r, c).toUtf8();
        cells << row;
    }
    int i = 0;
    for (auto _ : state) {
        if (!bareExport(QDir(g_tempFolder).filePath(QStringLiteral("bare%1.xlsx").arg(i++)), cells)) {
            state.SkipWithError("cannot write");
            break;
        }
    }
}
BENCHMARK(BM_Export_Bare)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [](const QString &temp) {
        g_tempFolder = temp;
        qputenv("TESSALY_EXPORTS", QFile::encodeName(QDir(temp).filePath(QStringLiteral("exports"))));
        LargeSchoolOptions options;
        options.students = 60 * 108;   // 60 in every class
        options.reference = kRoadToday;
        // The import replaces a class: a given database is worked on as a copy.
        if (!openBenchSchool(temp, options, true, &g_dbPath))
            return false;
        g_classCode = roadClassCode();
        g_roster = writeRoster(temp, kStudents);
        db::Connection c(g_dbPath);
        std::fprintf(stderr, "%s: %d students in %s; class %s\n", qPrintable(g_dbPath),
                     c.scalar(QStringLiteral(R"(select count(*) from "小学")")).toInt(), qPrintable(kRoadTable),
                     qPrintable(g_classCode));
        return true;
    });
}
