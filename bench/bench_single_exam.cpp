// Single-exam analysis on a large school: choosing an exam of a class of 60 in
// 单科成绩分析 (load, statistics, sort, the four charts), and the rules alone.
//
// The school: 60 students in each of 108 classes and 200 exam columns in each
// section table (TESSALY_BENCH_DB, or one generated into a temporary folder).
#include "run_benchmarks.h"

#include "app/main_window.h"
#include "class_analysis/single_exam.h"
#include "class_analysis/single_exam_charts.h"
#include "class_analysis/single_exam_window.h"
#include "kit/window_names.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace tessaly;

namespace {

const QString kGrade = QStringLiteral("三年级组");
const QString kClass = QStringLiteral("二班");
const QString kSubject = QStringLiteral("语文");
const QDate kToday(2025, 10, 15);

QString g_dbPath;

// The window: choosing the subject's last exam in examCombo.
void BM_ChooseExam_Window(benchmark::State &state)
{
    MainWindow main(QFileInfo(g_dbPath).absolutePath());
    main.session().openpath = g_dbPath;
    main.session().today = fixedToday(kToday);
    ScriptedResponder responder;
    auto *w = qobject_cast<SingleExamWindow *>(main.showWindow(kSingleExamWindow));
    const auto choose = [](QComboBox *combo, const QString &text) {
        combo->setCurrentIndex(combo->findText(text));
        emit combo->activated(combo->currentIndex());
    };
    choose(w->gradeGroupCombo, kGrade);
    choose(w->classCombo, kClass);
    choose(w->subjectCombo, kSubject);
    const int last = w->examCombo->count() - 1;
    for (auto _ : state) {
        w->examCombo->setCurrentIndex(last);
        w->examChosen();
    }
    if (w->examRows().size() != 60 || w->statistics().participants == 0 || !responder.shown().isEmpty())
        state.SkipWithError("the class is not the class of 60 with scores");
    state.counters["rows"] = double(w->examRows().size());
    state.counters["exams"] = w->examCombo->count();
}
BENCHMARK(BM_ChooseExam_Window)->Unit(benchmark::kMillisecond);

// The rules alone on 60 rows: statistics, summary and the four charts' elements.
void BM_StatisticsAndCharts(benchmark::State &state)
{
    QList<analysis::ExamRow> rows;
    for (int i = 0; i < 60; ++i)
        rows.append({0, QString::number(20230201 + i), QStringLiteral("学生"), float((i * 37) % 101), {}, {}});
    chart::ChartFrame band = analysis::designBandChart();
    chart::ChartFrame level = analysis::designLevelChart();
    chart::ChartFrame single = analysis::designSingleStudentChart();
    chart::ChartFrame curve = analysis::designScoreCurveChart();
    for (auto _ : state) {
        const analysis::ExamStatistics s = analysis::analyseExam(rows, 100);
        benchmark::DoNotOptimize(analysis::examSummaryText(s, QStringLiteral("100")));
        analysis::drawSingleStudentChart(single, s, rows, nullptr);
        analysis::drawLevelChart(level, s);
        analysis::drawBandChart(band, s, QStringLiteral("语文"));
        analysis::drawScoreCurve(curve, rows, s);
    }
}
BENCHMARK(BM_StatisticsAndCharts)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, [](const QString &temp) {
        bench::LargeSchoolOptions options;
        options.students = 60 * 108;   // 60 in every class
        options.examColumns = 200;
        options.reference = kToday;
        return bench::openBenchSchool(temp, options, false, &g_dbPath);
    });
}
