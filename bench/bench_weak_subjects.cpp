// The weak-subject analysis of a class of 60 over the 9 subjects of one exam on a
// large school: in 薄弱学科查询 (the exam's score matrix read, then the analysis:
// z-scores, totals, ranks, weak lists, grid and bars), and the rules alone.
//
// The school: 60 students in each of 108 classes and 200 exam columns in each
// section table (TESSALY_BENCH_DB, or one generated into a temporary folder).
#include "run_benchmarks.h"

#include "app/main_window.h"
#include "grade_analysis/weak_subject_window.h"
#include "grade_analysis/weak_subjects.h"
#include "kit/window_names.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace tessaly;

namespace {

const QString kGrade = QStringLiteral("三年级组");
const QString kClass = QStringLiteral("二班");
const QDate kToday(2025, 10, 15);

QString g_dbPath;

void choose(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// The window: choosing the exam (its score matrix) and analysing it.
void BM_ChooseExamAndAnalyse_Window(benchmark::State &state)
{
    MainWindow main(QFileInfo(g_dbPath).absolutePath());
    main.session().openpath = g_dbPath;
    main.session().today = fixedToday(kToday);
    ScriptedResponder responder;
    auto *w = qobject_cast<WeakSubjectWindow *>(main.showWindow(kWeakSubjectWindow));
    choose(w->gradeGroupCombo, w->gradeGroupCombo->findText(kGrade));
    choose(w->classCombo, w->classCombo->findText(kClass));
    for (auto _ : state) {
        choose(w->examCombo, 0);
        w->AnalyseWeakSubjects();
    }
    if (w->studentCombo->count() != 60 || w->subjectList->count() != 9 || !responder.shown().isEmpty())
        state.SkipWithError("the exam is not the 9 subjects of the class of 60");
    state.counters["students"] = w->studentCombo->count();
    state.counters["subjects"] = w->subjectList->count();
}
BENCHMARK(BM_ChooseExamAndAnalyse_Window)->Unit(benchmark::kMillisecond);

// The rules alone on 60 students and 9 subjects: matrix figures, analysis and bars.
void BM_AnalysisRules(benchmark::State &state)
{
    QVector<QVector<std::optional<float>>> scores(9);
    QStringList names;
    for (int r = 0; r < 60; ++r) {
        names << QStringLiteral("学生%1").arg(r);
        for (int k = 0; k < 9; ++k)
            scores[k].append(r % 17 == k ? std::nullopt : std::optional<float>(float((r * 37 + k * 11) % 101)));
    }
    const QVector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    chart::ChartFrame bars = grades::designAverageChart();
    chart::ChartFrame student = grades::designStudentChart();
    for (auto _ : state) {
        QVector<grades::SubjectScores> matrix;
        for (int k = 0; k < 9; ++k)
            matrix.append(grades::summariseSubject({QString(), QStringLiteral("科%1").arg(k)}, scores[k]));
        const grades::WeakAnalysis a = grades::analyseWeakSubjects(matrix, all, names);
        grades::drawAverageBars(bars, matrix, all, QStringLiteral("二班"), 60);
        grades::drawStudentBars(student, matrix, all, 7, QStringLiteral("20230207 学生7"), a.students[7].rawRank,
                                QStringLiteral("二班"));
        benchmark::DoNotOptimize(a.statistics);
    }
}
BENCHMARK(BM_AnalysisRules)->Unit(benchmark::kMicrosecond);

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
