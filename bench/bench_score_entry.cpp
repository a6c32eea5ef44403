// Score entry on a large school: opening an exam of a class of 60, creating an
// exam column, saving 60 scores and the statistics panel over 60 students, each
// beside the bare SQLite work (the same query, ALTER TABLE or UPDATEs issued
// through the engine directly).
//
// The school: 60 students in each of 108 classes (3,240 in 小学) and 200 exam
// columns in each section table (TESSALY_BENCH_DB, or one generated into a
// temporary folder). Creation runs on copies of it: as generated, and with the
// section table grown to 1,900 columns, near the engine's limit of 2,000.
#include "large_school.h"

#include "app/main_window.h"
#include "kit/window_names.h"
#include "platform/database.h"
#include "platform/messages.h"
#include "register/class_code.h"
#include "score_entry/exam_columns.h"
#include "score_entry/entry_statistics.h"
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

namespace {

const QString kTable = QStringLiteral("小学");
const QString kGrade = QStringLiteral("三年级组");
const QString kClass = QStringLiteral("二班");
const QString kSubject = QStringLiteral("语文");
const QDate kToday(2025, 10, 15);

QString g_dbPath;
QTemporaryDir *g_temp = nullptr;
QString g_classCode;
QString g_exam;   // the subject's last exam column

// The score-entry window on the class of 60, the subject's last exam open.
struct OpenWindow {
    MainWindow main{QFileInfo(g_dbPath).absolutePath()};
    ScriptedResponder responder;
    ScoreEntryWindow *w = nullptr;
    int last = -1;
    OpenWindow()
    {
        main.session().openpath = g_dbPath;
        main.session().today = fixedToday(kToday);
        w = qobject_cast<ScoreEntryWindow *>(main.showWindow(kScoreEntryWindow));
        const auto choose = [](QComboBox *combo, const QString &text) {
            combo->setCurrentIndex(combo->findText(text));
            emit combo->activated(combo->currentIndex());
        };
        choose(w->Combo1, kGrade);
        choose(w->Combo2, kClass);
        choose(w->Combo3, kSubject);
        last = w->Combo5->count() - 1;
    }
};

// ---- Opening an exam --------------------------------------------------------

// The window: choosing the exam in Combo5 (query, rows, grid, full mark).
void BM_OpenExam_Window(benchmark::State &state)
{
    OpenWindow open;
    ScoreEntryWindow *w = open.w;
    const ScriptedResponder &responder = open.responder;
    const int last = open.last;
    for (auto _ : state) {
        w->Combo5->setCurrentIndex(last);
        w->Combo5_Click();
    }
    if (w->scoreRows().size() != 60 || !responder.shown().isEmpty())
        state.SkipWithError("the class is not the class of 60 with scores");
    state.counters["rows"] = double(w->scoreRows().size());
    state.counters["exams"] = w->Combo5->count();
}
BENCHMARK(BM_OpenExam_Window)->Unit(benchmark::kMillisecond);

// The bare engine: the same query, prepared, bound and stepped through every value.
void BM_OpenExam_Bare(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(g_dbPath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open");
        return;
    }
    const reg::Statement q = reg::classMembersQuery(kTable, g_classCode,
                                                    {QStringLiteral("ID"), QStringLiteral("学籍号"),
                                                     QStringLiteral("姓名"), QStringLiteral("性别"),
                                                     QStringLiteral("民族"), g_exam});
    const QByteArray sql = q.sql.toUtf8();
    const QByteArray code = g_classCode.toUtf8();
    int rows = 0;
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
        sqlite3_bind_text(st, 1, code.constData(), int(code.size()), SQLITE_TRANSIENT);
        rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                benchmark::DoNotOptimize(sqlite3_column_text(st, i));
            ++rows;
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    state.counters["rows"] = rows;
}
BENCHMARK(BM_OpenExam_Bare)->Unit(benchmark::kMillisecond);

// ---- Saving 60 scores and the statistics panel ---------------------------------

// The window's save of a class of 60, every row marked: a connection opened on
// openpath and one transaction of 60 bound UPDATEs, as Command8 runs it.
void BM_SaveScores(benchmark::State &state)
{
    OpenWindow open;
    open.w->Combo5->setCurrentIndex(open.last);
    open.w->Combo5_Click();
    QList<score::ScoreRow> rows = open.w->scoreRows();
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].state = QStringLiteral("1");
        rows[i].score = float(40 + i);
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
        const reg::Statement q = reg::classMembersQuery(kTable, g_classCode, {QStringLiteral("ID")});
        QSqlQuery r = c.query(q.sql, q.params);
        while (r.next())
            ids << r.value(0).toLongLong();
    }
    const QByteArray sql = QStringLiteral(R"(UPDATE "小学" SET "%1" = ? WHERE "ID" = ?)").arg(g_exam).toUtf8();
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(g_dbPath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr)
            != SQLITE_OK) {
            state.SkipWithError("cannot open");
            break;
        }
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
        for (int i = 0; i < ids.size(); ++i) {
            sqlite3_bind_double(st, 1, 40 + i);
            sqlite3_bind_int64(st, 2, ids[i]);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    state.counters["saved"] = double(ids.size());
}
BENCHMARK(BM_SaveScores_Bare)->Unit(benchmark::kMillisecond);

// The window's statistics panel (Command4) over the class of 60 with their scores:
// levels, ranks into the grid, the panel's text.
void BM_Statistics_Window(benchmark::State &state)
{
    OpenWindow open;
    open.w->Combo5->setCurrentIndex(open.last);
    open.w->Combo5_Click();
    for (auto _ : state)
        open.w->Command4_Click();
    if (!open.responder.shown().isEmpty() || open.w->Label3_0->text().isEmpty())
        state.SkipWithError("no statistics shown");
    state.counters["rows"] = double(open.w->scoreRows().size());
}
BENCHMARK(BM_Statistics_Window)->Unit(benchmark::kMillisecond);

// The bare engine: the same figures asked of SQLite over the class's stored scores,
// levels and total in one query and the ranks in another.
void BM_Statistics_Bare(benchmark::State &state)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(g_dbPath).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open");
        return;
    }
    const reg::Statement members = reg::classMembersQuery(kTable, g_classCode, {QStringLiteral("ID"), g_exam});
    const QString cls = QStringLiteral("(%1) AS m WHERE m.\"%2\" IS NOT NULL").arg(members.sql, g_exam);
    const QByteArray levels =
        QStringLiteral("SELECT count(*), sum(s >= 90), sum(s >= 85), sum(s >= 60), sum(s) FROM "
                       "(SELECT m.\"%1\" AS s FROM %2)")
            .arg(g_exam, cls)
            .toUtf8();
    const QByteArray ranks =
        QStringLiteral("SELECT m.ID, rank() OVER (ORDER BY m.\"%1\" DESC) FROM %2").arg(g_exam, cls).toUtf8();
    QList<QByteArray> params;
    for (const QVariant &v : members.params)
        params << v.toString().toUtf8();
    int ranked = 0;
    for (auto _ : state) {
        for (const QByteArray &sql : {levels, ranks}) {
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr);
            for (int p = 1; p <= sqlite3_bind_parameter_count(st); ++p) {
                const QByteArray &v = params[(p - 1) % params.size()];
                sqlite3_bind_text(st, p, v.constData(), int(v.size()), SQLITE_TRANSIENT);
            }
            ranked = 0;
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int i = 0; i < sqlite3_column_count(st); ++i)
                    benchmark::DoNotOptimize(sqlite3_column_double(st, i));
                ++ranked;
            }
            sqlite3_finalize(st);
        }
    }
    sqlite3_close(db);
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
    const QString path = QDir(g_temp->path()).filePath(QStringLiteral("copy%1.mdb").arg(columns));
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    QTemporaryDir temp;
    g_temp = &temp;
    bench::LargeSchoolOptions options;
    options.students = 60 * 108;   // 60 in every class
    options.examColumns = 200;
    options.reference = kToday;
    QString error;
    g_dbPath = temp.isValid() ? bench::benchSchool(temp.path(), options, false, &error) : QString();
    if (g_dbPath.isEmpty()) {
        std::fprintf(stderr, "no large school: %s\n", qPrintable(error));
        return 1;
    }
    {
        db::Connection c(g_dbPath);
        g_classCode = reg::ResolveClassCode(kGrade, kClass, kToday).classCode;
        const QStringList exams = score::FindExamsOfSubject(db::tableColumns(c, kTable), kSubject);
        g_exam = exams.isEmpty() ? QString() : exams.last();
        const int students = c.scalar(QStringLiteral(R"(select count(*) from "小学")")).toInt();
        std::fprintf(stderr, "%s: %d students and %lld columns in %s; class %s, exam %s\n", qPrintable(g_dbPath),
                     students, static_cast<long long>(db::tableColumns(c, kTable).size()), qPrintable(kTable),
                     qPrintable(g_classCode), qPrintable(g_exam));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
