// The statistics grid of 成绩对比分析 on a large school: one mid-term of a grade
// group of 12 classes × 9 subjects (600 students), as the rule alone, as
// "导入数据" in the window and as "显示报表" of 打印成绩报表 (each click with the
// repaint it leaves pending).
//
// The school: 3,000 students and 200 exam columns in each section table
// (TESSALY_BENCH_DB, copied, or one generated into a temporary folder); 初一年级组
// is then grown to 12 classes of 50 students with scores in the mid-term.
#include "main_road.h"
#include "run_benchmarks.h"

#include "app/main_window.h"
#include "grade_analysis/comparison_window.h"
#include "grade_analysis/subject_statistics.h"
#include "kit/window_names.h"
#include "reports/score_report_window.h"
#include "db/database.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace tessaly;

namespace {

const QString kGroup = QStringLiteral("初一年级组");
const QString kJunior = QStringLiteral("初中");
const QDate kToday(2025, 10, 15);
constexpr int kCohort = 2025;
constexpr int kClasses = 12;
constexpr int kPerClass = 50;
const QString kClassNames[kClasses] = {
    QStringLiteral("一班"), QStringLiteral("二班"), QStringLiteral("三班"), QStringLiteral("四班"),
    QStringLiteral("五班"), QStringLiteral("六班"), QStringLiteral("七班"), QStringLiteral("八班"),
    QStringLiteral("九班"), QStringLiteral("十班"), QStringLiteral("十一班"), QStringLiteral("十二班")};

QString g_dbPath;
grades::StatisticsRequest g_request;

// 初一年级组 with 12 classes of 50 students, each scored in the mid-term.
bool growGroup(const QString &path, QString *error)
{
    db::Connection c(path);
    const QStringList columns = bench::firstMidTerm(db::tableColumns(c, kJunior));
    if (!c.ok() || columns.size() != 9) {
        *error = QStringLiteral("no mid-term of 9 subjects");
        return false;
    }
    QStringList quoted;
    for (const QString &column : columns)
        quoted << db::quoteIdentifier(column);
    const QString insert = QStringLiteral("insert into \"初中\" (\"学籍号\", \"姓名\", %1) values (?, ?%2)")
                               .arg(quoted.join(QLatin1Char(',')), QStringLiteral(", ?").repeated(columns.size()));
    const bool ok = c.transaction([&] {
        for (int k = 0; k < kClasses; ++k) {
            const QString name = kClassNames[k];
            const QVariantList keys{QStringLiteral("班级名"), name, kGroup};
            if (c.scalar(QStringLiteral("select count(*) from \"教导处\" where \"类别\" = ? and \"名称\" = ? and \"对应内容\" = ?"),
                         keys).toInt() == 0) {
                if (!c.exec(QStringLiteral("insert into \"教导处\" (\"类别\", \"名称\", \"对应内容\", \"其它\", \"其次\") "
                                           "values (?, ?, ?, '', '')"),
                            keys))
                    return false;
                for (int s = 0; s < columns.size(); ++s) {
                    if (!c.exec(QStringLiteral("insert into \"教导处\" (\"类别\", \"名称\", \"对应内容\", \"其它\", \"其次\") "
                                               "values ('任课', ?, ?, ?, ?)"),
                                {QStringLiteral("新老师%1").arg(s), kGroup, name, columns[s].mid(4, columns[s].size() - 10)}))
                        return false;
                }
            }
            const QString code = school::formatClassCode(kCohort, k + 1);
            const int have = c.scalar(QStringLiteral("select count(*) from \"初中\" where substr(\"学籍号\", 1, 6) = ?"),
                                      {code}).toInt();
            for (int i = have; i < kPerClass; ++i) {
                QVariantList values{code + QStringLiteral("%1").arg(99 - (i - have), 2, 10, QLatin1Char('0')),
                                    QStringLiteral("学生")};
                for (int s = 0; s < columns.size(); ++s)
                    values << ((i + s) % 23 == 0 ? QVariant() : QVariant(double((i * 37 + s * 11 + k) % 101)));
                if (!c.exec(insert, values))
                    return false;
            }
            // Scores for the class's generated students too.
            for (const QString &column : columns) {
                if (!c.exec(QStringLiteral("update \"初中\" set %1 = coalesce(%1, 75) where substr(\"学籍号\", 1, 6) = ?")
                                .arg(db::quoteIdentifier(column)),
                            {code}))
                    return false;
            }
        }
        return true;
    });
    if (!ok) {
        *error = c.error().text;
        return false;
    }
    g_request = {kGroup, kJunior, kCohort, {}, {}};
    for (const QString &column : columns)
        g_request.subjects.append({column.mid(4, column.size() - 10), column});
    for (const QString &name : kClassNames)
        g_request.classes.append(name);
    return true;
}

// The rule: 1 + 12 queries and 108 rows.
void BM_FillStatistics_Rule(benchmark::State &state)
{
    db::Connection c(g_dbPath);
    int rows = 0, participants = 0;
    for (auto _ : state) {
        const grades::StatisticsFill fill = grades::fillStatistics(c, g_request);
        rows = int(fill.rows.size());
        participants = 0;
        for (const auto &row : fill.rows)
            participants += row ? row->participants : 0;
        benchmark::DoNotOptimize(fill);
    }
    if (rows != 9 * (kClasses + 1) || participants < 9 * kClasses * 40)
        state.SkipWithError("not 12 classes x 9 subjects with scores");
    state.counters["rows"] = rows;
    state.counters["participants"] = participants;
}
BENCHMARK(BM_FillStatistics_Rule)->Unit(benchmark::kMillisecond);

// A statistics window on the grade group with its mid-term chosen (every subject
// and class chosen as listed); null when the group is not in its tree.
template <typename Window>
Window *openOnMidTerm(MainWindow &main, QStringView name)
{
    main.session().openpath = g_dbPath;
    main.session().today = fixedToday(kToday);
    return bench::chooseFirstMidTerm(qobject_cast<Window *>(main.showWindow(name)), kGroup);
}

// The window: "导入数据" with the group, the mid-term and every subject and class chosen.
void BM_FillStatistics_Window(benchmark::State &state)
{
    MainWindow main(QFileInfo(g_dbPath).absolutePath());
    ScriptedResponder responder;
    auto *w = openOnMidTerm<ComparisonWindow>(main, kComparisonWindow);
    if (!w) {
        state.SkipWithError("no grade group");
        return;
    }
    for (auto _ : state) {
        w->FillStatisticsGrid();
        QCoreApplication::processEvents();
    }
    if (w->classList->count() != kClasses || w->lastFill().rows.size() != w->subjectList->count() * (kClasses + 1)
        || !responder.shown().isEmpty())
        state.SkipWithError("the window did not fill 12 classes");
    state.counters["classes"] = w->classList->count();
    state.counters["subjects"] = w->subjectList->count();
}
BENCHMARK(BM_FillStatistics_Window)->Unit(benchmark::kMillisecond);

// 打印成绩报表: "显示报表" with the group, the mid-term and every subject and class ticked.
void BM_ScoreReport_Window(benchmark::State &state)
{
    MainWindow main(QFileInfo(g_dbPath).absolutePath());
    ScriptedResponder responder;
    auto *w = openOnMidTerm<ScoreReportWindow>(main, kScoreReportWindow);
    if (!w) {
        state.SkipWithError("no grade group");
        return;
    }
    for (auto _ : state) {
        w->showClicked();
        QCoreApplication::processEvents();
    }
    if (w->classList->count() != kClasses || w->reportRows().size() != 1 + w->subjectList->count() * (kClasses + 1)
        || !responder.shown().isEmpty())
        state.SkipWithError("the report does not show 12 classes");
    state.counters["classes"] = w->classList->count();
    state.counters["subjects"] = w->subjectList->count();
}
BENCHMARK(BM_ScoreReport_Window)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, [](const QString &temp) {
        bench::LargeSchoolOptions options;
        options.students = 3000;
        options.examColumns = 200;
        options.reference = kToday;
        if (!bench::openBenchSchool(temp, options, true, &g_dbPath))
            return false;
        QString error;
        if (!growGroup(g_dbPath, &error)) {
            std::fprintf(stderr, "no large school: %s\n", qPrintable(error));
            return false;
        }
        return true;
    });
}
