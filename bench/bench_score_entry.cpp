// Score entry on a large school: opening an exam of a class of 60, creating an
// exam column, saving 60 scores and the statistics panel over 60 students, each
// beside the bare SQLite work (the same query, ALTER TABLE or UPDATEs issued
// through the engine directly).
//
// The school: 60 students in each of 108 classes (3,240 in 小学) and 200 exam
// columns in each section table (TESSALY_BENCH_DB, or one generated into a
// temporary folder). Creation runs on copies of it: as generated, and with the
// section table grown to 1,900 columns, near the engine's limit of 2,000.
#include "run_benchmarks.h"
#include "main_road.h"

#include "app/main_window.h"
#include "kit/window_names.h"
#include "db/database.h"
#include "widgets/messages.h"
#include "school/class_code.h"
#include "school/exam_columns.h"
#include "score_entry/score_save.h"
#include "score_entry/exam_creation.h"
#include "score_entry/score_entry_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <cstdio>
#include <map>
#include <memory>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

const QString &kTable = kRoadTable;
const QString &kGrade = kRoadGrade;
const QString &kClass = kRoadClass;
const QString &kSubject = kRoadSubject;

QString g_dbPath;
QString g_tempFolder;
QString g_classCode;
QString g_exam;   // the subject's last exam column

// ---- Opening an exam --------------------------------------------------------

// The window: choosing the exam in examCombo (query, rows, grid, full mark).
void BM_OpenExam_Window(benchmark::State &state)
{
    ScoreEntryOnClass open(g_dbPath);
    ScoreEntryWindow *w = open.w;
    const ScriptedResponder &responder = open.responder;
    const int last = open.lastExam;
    for (auto _ : state) {
        w->examCombo->setCurrentIndex(last);
        w->examChosen();
    }
    if (w->scoreRows().size() != 60 || !responder.shown().isEmpty())
        state.SkipWithError("the class is not the class of 60 with scores");
    state.counters["rows"] = double(w->scoreRows().size());
    state.counters["exams"] = w->examCombo->count();
}
BENCHMARK(BM_OpenExam_Window)->Unit(benchmark::kMillisecond);

// The bare engine: the same query, prepared, bound and stepped through every value.
void BM_OpenExam_Bare(benchmark::State &state)
{
    SqliteFile file(g_dbPath);
    if (!file.db()) {
        state.SkipWithError("cannot open");
        return;
    }
    const school::Statement q = school::classMembersQuery(kTable, g_classCode,
                                                    {QStringLiteral("ID"), QStringLiteral("学籍号"),
                                                     QStringLiteral("姓名"), QStringLiteral("性别"),
                                                     QStringLiteral("民族"), g_exam});
    int rows = 0;
    for (auto _ : state)
        rows = bareSelect(file.db(), q);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_OpenExam_Bare)->Unit(benchmark::kMillisecond);

// ---- Saving 60 scores and the statistics panel ---------------------------------

// The window's save of a class of 60, every row marked: a connection opened on
// openpath and one transaction of 60 bound UPDATEs, as saveButton runs it.
void BM_SaveScores(benchmark::State &state)
{
    ScoreEntryOnClass open(g_dbPath);
    QList<school::ScoreRow> rows = open.w->scoreRows();
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].state = QStringLiteral("1");
        rows[i].score = double(40 + i);
    }
    int saved = 0;
    for (auto _ : state) {
        const auto outcome = saveWith<score::ScoreSaveOutcome>(g_dbPath, [&](db::Connection &c) {
            return score::SaveScores(c, kTable, g_exam, rows);
        });
        if (!outcome.ok) {
            state.SkipWithError(qPrintable(outcome.error.text));
            break;
        }
        saved = outcome.saved;
    }
    state.counters["saved"] = saved;
}
BENCHMARK(BM_SaveScores)->Unit(benchmark::kMillisecond);

// The bare engine: open, BEGIN, the same 60 UPDATEs through one prepared statement, COMMIT.
void BM_SaveScores_Bare(benchmark::State &state)
{
    QList<qint64> ids;
    {
        db::Connection c(g_dbPath);
        const school::Statement q = school::classMembersQuery(kTable, g_classCode, {QStringLiteral("ID")});
        QSqlQuery r = c.query(q.sql, q.params);
        while (r.next())
            ids << r.value(0).toLongLong();
    }
    for (auto _ : state)
        bareSaveScores(g_dbPath, kTable, g_exam, ids);
    state.counters["saved"] = double(ids.size());
}
BENCHMARK(BM_SaveScores_Bare)->Unit(benchmark::kMillisecond);

// The window's statistics panel (statisticsButton) over the class of 60 with their scores:
// levels, ranks into the grid, the panel's text.
void BM_Statistics_Window(benchmark::State &state)
{
    ScoreEntryOnClass open(g_dbPath);
    for (auto _ : state)
        open.w->statisticsClicked();
    if (!open.responder.shown().isEmpty() || open.w->statisticsLabel->text().isEmpty())
        state.SkipWithError("no statistics shown");
    state.counters["rows"] = double(open.w->scoreRows().size());
}
BENCHMARK(BM_Statistics_Window)->Unit(benchmark::kMillisecond);

// The bare engine: the same figures asked of SQLite over the class's stored scores,
// levels and total in one query and the ranks in another.
void BM_Statistics_Bare(benchmark::State &state)
{
    SqliteFile file(g_dbPath);
    if (!file.db()) {
        state.SkipWithError("cannot open");
        return;
    }
    int ranked = 0;
    for (auto _ : state)
        ranked = bareStatistics(file.db(), kTable, g_classCode, g_exam);
    state.counters["ranked"] = ranked;
}
BENCHMARK(BM_Statistics_Bare)->Unit(benchmark::kMillisecond);

// ---- Creating an exam column -------------------------------------------------

// A copy of the school whose section table holds `columns` columns (grown with quizzes).
QString schoolWithColumns(int columns)
{
    static std::map<int, QString> copies;
    if (auto it = copies.find(columns); it != copies.end()) {
        QFile::remove(it->second);
    }
    const QString path = QDir(g_tempFolder).filePath(QStringLiteral("copy%1.mdb").arg(columns));
    QFile::remove(path);
    QFile::copy(g_dbPath, path);
    db::Connection c(path);
    int n = int(db::tableColumns(c, kTable).size());
    c.transaction([&] {
        for (int i = 0; n < columns; ++i, ++n)
            if (!db::addColumn(c, kTable, QStringLiteral("C加%1数学251001").arg(i), db::ColumnType::Real))
                return false;
        return true;
    });
    copies[columns] = path;
    return path;
}

constexpr int kCreations = 40;

// CreateExam: the same-exam test, the registry row and the column in one transaction.
void BM_CreateExam(benchmark::State &state)
{
    const QString path = schoolWithColumns(int(state.range(0)));
    db::Connection c(path);
    int i = 0;
    for (auto _ : state) {
        const QString column = QStringLiteral("C测%1语文251015").arg(i++);
        const score::CreateExamOutcome outcome =
            score::CreateExam(c, {kTable, column, kGrade, kClass, QStringLiteral("王芳"), QStringLiteral("李明"),
                                  QStringLiteral("100")});
        if (!outcome.ok) {
            state.SkipWithError(qPrintable(outcome.error.text));
            break;
        }
    }
    state.counters["columns"] = double(db::tableColumns(c, kTable).size());
}
BENCHMARK(BM_CreateExam)->Arg(218)->Arg(1900)->Iterations(kCreations)->Unit(benchmark::kMillisecond);

// The bare engine: ALTER TABLE … ADD COLUMN on the same table, one statement each.
void BM_CreateExam_BareAlter(benchmark::State &state)
{
    const QString path = schoolWithColumns(int(state.range(0)));
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open");
        return;
    }
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    int i = 0;
    for (auto _ : state) {
        const QByteArray sql =
            QStringLiteral(R"(ALTER TABLE "小学" ADD COLUMN "C测%1语文251015" REAL)").arg(i++).toUtf8();
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            state.SkipWithError(sqlite3_errmsg(db));
            break;
        }
    }
    sqlite3_close(db);
}
BENCHMARK(BM_CreateExam_BareAlter)->Arg(218)->Arg(1900)->Iterations(kCreations)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runBenchmarks(argc, argv, [](const QString &temp) {
        g_tempFolder = temp;
        LargeSchoolOptions options;
        options.students = 60 * 108;   // 60 in every class
        options.examColumns = 200;
        options.reference = kRoadToday;
        if (!openBenchSchool(temp, options, false, &g_dbPath))
            return false;
        db::Connection c(g_dbPath);
        g_classCode = roadClassCode();
        const QStringList exams = school::FindExamsOfSubject(db::tableColumns(c, kTable), kSubject);
        g_exam = exams.isEmpty() ? QString() : exams.last();
        const int students = c.scalar(QStringLiteral(R"(select count(*) from "小学")")).toInt();
        std::fprintf(stderr, "%s: %d students and %lld columns in %s; class %s, exam %s\n", qPrintable(g_dbPath),
                     students, static_cast<long long>(db::tableColumns(c, kTable).size()), qPrintable(kTable),
                     qPrintable(g_classCode), qPrintable(g_exam));
        return true;
    });
}
