// Development trend on a large school: clicking a class of 60 in 学生发展趋势's
// class tree (students read, every exam total summed and ranked, the totals
// grid filled), and the totals rule alone.
//
// The school: 60 students in each of 108 classes and 300 exam columns in each
// section table (TESSALY_BENCH_DB, or one generated into a temporary folder; the
// class then has the students that school gives it).
#include "run_benchmarks.h"

#include "app/main_window.h"
#include "class_analysis/development_trend.h"
#include "class_analysis/development_trend_window.h"
#include "kit/class_tree.h"
#include "kit/window_names.h"
#include "widgets/data_control.h"
#include "db/database.h"
#include "widgets/flex_grid.h"
#include "widgets/messages.h"
#include "school/class_code.h"
#include "school/class_members.h"
#include "school/score_sheet.h"

#include <QApplication>
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

QTreeWidgetItem *classNode(ClassTree *tree)
{
    for (int g = 0; g < tree->topLevelItemCount(); ++g) {
        QTreeWidgetItem *root = tree->topLevelItem(g);
        if (root->text(0) != kGrade)
            continue;
        for (int i = 0; i < root->childCount(); ++i)
            if (root->child(i)->text(0) == kClass)
                return root->child(i);
    }
    return nullptr;
}

// The window: a click on the class node.
void BM_ClickClass_Window(benchmark::State &state)
{
    MainWindow main(QFileInfo(g_dbPath).absolutePath());
    main.session().openpath = g_dbPath;
    main.session().today = fixedToday(kToday);
    ScriptedResponder responder;
    auto *w = qobject_cast<DevelopmentTrendWindow *>(main.showWindow(kStudentTrendWindow));
    QTreeWidgetItem *node = classNode(w->classTree);
    if (!node) {
        state.SkipWithError("no class node");
        return;
    }
    for (auto _ : state) {
        w->LoadClassTotals(node);
        QCoreApplication::processEvents();
    }
    if (w->totalsGrid->Rows() <= 3 || w->examList->count() == 0 || !responder.shown().isEmpty())
        state.SkipWithError("the class has no students or no exams");
    state.counters["students"] = (w->totalsGrid->Rows() - 3) / 2;
    state.counters["exams"] = w->examList->count();
}
BENCHMARK(BM_ClickClass_Window)->Unit(benchmark::kMillisecond);

// The totals rule alone on the class's rows, read once.
void BM_ClassTotals(benchmark::State &state)
{
    const school::ClassIdentity identity = school::ResolveClassCode(kGrade, kClass, kToday);
    db::Connection c(g_dbPath);
    const QStringList columns = analysis::totalledColumns(db::tableColumns(c, identity.sectionTable));
    const auto read = school::readClassScores(c, identity.sectionTable, identity.classCode, columns);
    const QVector<school::StudentScores> rows = read.value_or(QVector<school::StudentScores>{});
    if (rows.isEmpty()) {
        state.SkipWithError("the class has no students");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(analysis::classTotals(columns, rows, identity.classCode));
    state.counters["students"] = double(rows.size());
    state.counters["columns"] = double(columns.size());
}
BENCHMARK(BM_ClassTotals)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, [](const QString &temp) {
        bench::LargeSchoolOptions options;
        options.students = 60 * 108;   // 60 in every class
        options.examColumns = 300;
        options.reference = kToday;
        return bench::openBenchSchool(temp, options, false, &g_dbPath);
    });
}
