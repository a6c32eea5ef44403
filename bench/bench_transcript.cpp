// Transcripts on a large school: a grade group's transcript in 打印成绩单 (read,
// compute, fill the grid), the computation alone on 600 students × 9 subjects,
// and a page turn of the paper preview.
//
// The school: 60 students in each of 108 classes (TESSALY_BENCH_DB, or one
// generated into a temporary folder); the grade group with the most classes is used.
#include "run_benchmarks.h"

#include "app/main_window.h"
#include "kit/window_names.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "reports/paper_preview.h"
#include "reports/transcript.h"
#include "reports/transcript_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace tessaly;

namespace {

const QDate kToday(2025, 10, 15);
QString g_dbPath;

// The window on the largest grade group, with the exam of the most subjects chosen.
TranscriptWindow *openGradeTranscript(MainWindow &main)
{
    main.session().openpath = g_dbPath;
    main.session().today = fixedToday(kToday);
    auto *w = qobject_cast<TranscriptWindow *>(main.showWindow(kTranscriptWindow));
    QTreeWidgetItem *largest = nullptr;
    for (int i = 0; i < w->groupTree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *root = w->groupTree->topLevelItem(i);
        if (!largest || root->childCount() > largest->childCount())
            largest = root;
    }
    if (!largest)
        return w;
    w->groupNodeClicked(largest);
    int best = -1, bestCount = 0;
    for (int i = 0; i < w->examCombo->count(); ++i) {
        w->examCombo->setCurrentIndex(i);
        w->examChosen();
        if (w->subjectList->count() > bestCount) {
            best = i;
            bestCount = w->subjectList->count();
        }
    }
    w->examCombo->setCurrentIndex(best);
    w->examChosen();
    return w;
}

void BM_GradeTranscript_Window(benchmark::State &state)
{
    MainWindow main(QFileInfo(g_dbPath).absolutePath());
    ScriptedResponder responder;
    TranscriptWindow *w = openGradeTranscript(main);
    for (auto _ : state) {
        w->showClicked();
        QCoreApplication::processEvents();
    }
    if (w->transcript().rows.isEmpty() || !responder.shown().isEmpty())
        state.SkipWithError("no transcript");
    state.counters["students"] = double(w->transcript().rows.size());
    state.counters["subjects"] = double(w->transcript().summaries.size());
}
BENCHMARK(BM_GradeTranscript_Window)->Unit(benchmark::kMillisecond);

// The computation alone: 600 students of 10 classes, 9 subjects, every rank.
void BM_GradeTranscript_Compute(benchmark::State &state)
{
    reports::TranscriptInput input;
    input.classCode = QStringLiteral("2023");
    for (int k = 0; k < 9; ++k)
        input.subjects << QStringLiteral("科目%1").arg(k);
    for (int i = 0; i < 600; ++i) {
        reports::TranscriptStudent s;
        s.studentNumber = QStringLiteral("2023%1%2").arg(i / 60 + 1, 2, 10, QLatin1Char('0')).arg(i % 60 + 1, 2, 10, QLatin1Char('0'));
        s.name = QStringLiteral("学生");
        for (int k = 0; k < 9; ++k)
            s.scores << float((i * 37 + k * 11) % 101);
        input.students << s;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(reports::computeTranscript(input));
}
BENCHMARK(BM_GradeTranscript_Compute)->Unit(benchmark::kMillisecond);

// One page turn forward and one back on the grade group's preview.
void BM_PreviewPageTurns(benchmark::State &state)
{
    MainWindow main(QFileInfo(g_dbPath).absolutePath());
    ScriptedResponder responder;
    TranscriptWindow *w = openGradeTranscript(main);
    w->showClicked();
    w->previewClicked();
    reports::PaperPreview *p = w->Preview;
    for (auto _ : state) {
        p->nextPageClicked();
        p->previousPageClicked();
    }
    state.counters["rowsPerPage"] = p->rowsPerPage();
    state.counters["pages"] = reports::pageCount(w->resultGrid->Rows(), p->rowsPerPage());
}
BENCHMARK(BM_PreviewPageTurns)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, [](const QString &temp) {
        bench::LargeSchoolOptions options;
        options.students = 60 * 108;   // 60 in every class
        options.reference = kToday;
        return bench::openBenchSchool(temp, options, false, &g_dbPath);
    });
}
