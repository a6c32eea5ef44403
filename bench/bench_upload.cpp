// Uploading the local upload queue to the server: 1,000 queued rows of a
// section table (800 changed students with ten exam scores each, 200 students
// added locally), and the school day of upload_day.h (661 queued rows, another
// computer's work on the same rows meanwhile), from the program folder's
// database to a server database on a local folder standing for the share. Each
// run starts from a fresh download; only the upload is timed.
#include "run_benchmarks.h"
#include "upload_day.h"

#include "db/database.h"
#include "db/schema.h"
#include "shell/server_transfer.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace tessaly;
using namespace tessaly::bench;

namespace {

constexpr int kStudents = 2000;
constexpr int kChanged = 800;
constexpr int kAdded = 200;
constexpr int kExams = 10;

QString g_folder;
UploadDay g_day;
QString serverPristine() { return QDir(g_folder).filePath(QStringLiteral("server-pristine.mdb")); }

bool fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", what, qPrintable(text));
    return false;
}

// n students of 初中 numbered prefix0000, prefix0001, …
bool addStudents(db::Connection &c, const QString &prefix, const QString &name, int n)
{
    for (int i = 0; i < n; ++i) {
        if (!c.exec(QStringLiteral(R"(INSERT INTO "初中" ("学籍号", "姓名") VALUES (?, ?))"),
                    {prefix + QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0')), name + QString::number(i)}))
            return false;
    }
    return true;
}

// The server: kStudents students with kExams scores.
bool prepare(const QString &folder)
{
    g_folder = folder;
    QString error;
    if (!db::createDeliveredDatabase(serverPristine(), &error))
        return fail("server", error);
    db::Connection c(serverPristine());
    const bool ok = c.transaction([&] {
        for (int e = 0; e < kExams; ++e) {
            if (!db::addColumn(c, QStringLiteral("初中"), QStringLiteral("Z25S科目%1250915").arg(e), db::ColumnType::Real))
                return false;
        }
        return addStudents(c, QStringLiteral("2025"), QStringLiteral("学生"), kStudents);
    });
    if (!ok)
        return fail("server rows", c.error().text);
    g_day.folder = folder;
    return prepareUploadDay(g_day, &error) || fail("school day", error);
}

// The local copy downloaded from the server, then kChanged students changed and
// kAdded added while its changes were queued.
bool download(const QString &local, const QString &server)
{
    QFile::remove(local);
    QFile::remove(server);
    QFile::remove(uploadBasePath(local));
    if (!QFile::copy(serverPristine(), local) || !QFile::copy(serverPristine(), server))
        return fail("copy", local);
    db::Error baseError;
    if (!saveUploadBase(local, baseError))
        return fail("base", baseError.text);
    db::setChangeQueueFile(local);
    db::Connection c(local);
    db::setChangeQueueFile(QString());
    const bool ok = c.transaction([&] {
        for (int i = 1; i <= kChanged; ++i) {
            for (int e = 0; e < kExams; ++e) {
                if (!c.exec(QStringLiteral(R"(UPDATE "初中" SET "Z25S科目%1250915" = ? WHERE "ID" = ?)").arg(e), {60 + (i + e) % 40, i}))
                    return false;
            }
        }
        return addStudents(c, QStringLiteral("2026"), QStringLiteral("新生"), kAdded);
    });
    if (!ok)
        return fail("local changes", c.error().text);
    const int queued = c.scalar(QStringLiteral(R"(SELECT count(*) FROM "上传表")")).toInt();
    if (queued != kChanged + kAdded)
        return fail("queue", QString::number(queued));
    return true;
}

void BM_Upload1000QueuedRows(benchmark::State &state)
{
    const QString local = QDir(g_folder).filePath(QStringLiteral("data.mdb"));
    const QString server = QDir(g_folder).filePath(QStringLiteral("share/data.mdb"));
    QDir().mkpath(QDir(g_folder).filePath(QStringLiteral("share")));
    for (auto _ : state) {
        state.PauseTiming();
        if (!download(local, server)) {
            state.SkipWithError("download");
            return;
        }
        state.ResumeTiming();
        const UploadOutcome r = UploadLocalChanges(local, server);
        if (!r.ok || r.uploaded != kChanged + kAdded) {
            state.SkipWithError(qPrintable(r.error.text));
            return;
        }
    }
    state.counters["rows"] = kChanged + kAdded;
}
BENCHMARK(BM_Upload1000QueuedRows)->Unit(benchmark::kMillisecond)->UseRealTime();

// The school day: 661 queued rows while another computer entered its own
// subject and remarks for the same students on the server.
void BM_UploadSchoolDay661(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QString error;
        if (!startUploadDay(g_day, &error)) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        state.ResumeTiming();
        const UploadOutcome r = UploadLocalChanges(g_day.localPath(), g_day.serverPath());
        state.PauseTiming();
        UploadDayCheck check;
        if (!r.ok || !checkUploadDay(g_day, &check, &error)) {
            state.SkipWithError(qPrintable(r.error.text + error));
            return;
        }
        state.counters["undone"] = check.undone;
        state.counters["duplicated"] = check.duplicated;
        state.counters["missing"] = check.missing;
        state.ResumeTiming();
    }
    state.counters["rows"] = kDayQueued;
}
BENCHMARK(BM_UploadSchoolDay661)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    return bench::runBenchmarks(argc, argv, prepare);
}
