// Loading one class with every column: the query a class window runs when a class is
// chosen, on a large school (TESSALY_BENCH_DB, or one generated into a temporary folder).
#include "large_school.h"

#include "db/database.h"
#include "school/class_code.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

QString g_dbPath;
const QString kTable = QStringLiteral("初中");
QString g_classCode;   // the largest class of kTable

void BM_LoadClass(benchmark::State &state)
{
    tessaly::db::Connection c(g_dbPath);
    if (!c.ok()) {
        state.SkipWithError(qPrintable(c.error().text));
        return;
    }
    const tessaly::school::Statement members = tessaly::school::classMembersQuery(kTable, g_classCode, {});
    qint64 rows = 0;
    int columns = 0;
    for (auto _ : state) {
        QSqlQuery q = c.query(members.sql, members.params);
        columns = q.record().count();
        std::vector<std::vector<QVariant>> table;
        while (q.next()) {
            std::vector<QVariant> row(columns);
            for (int i = 0; i < columns; ++i)
                row[i] = q.value(i);
            table.push_back(std::move(row));
        }
        benchmark::DoNotOptimize(table.data());
        rows = qint64(table.size());
    }
    if (rows == 0)
        state.SkipWithError("the class has no students");
    state.counters["rows"] = double(rows);
    state.counters["columns"] = columns;
    state.SetItemsProcessed(state.iterations() * rows * columns);
}
BENCHMARK(BM_LoadClass)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    std::unique_ptr<QTemporaryDir> temp;
    g_dbPath = qEnvironmentVariable("TESSALY_BENCH_DB");
    if (g_dbPath.isEmpty()) {
        temp = std::make_unique<QTemporaryDir>();
        QString error;
        if (!temp->isValid() ||
            !tessaly::bench::makeLargeSchool(temp->path(), {}, nullptr, &error)) {
            std::fprintf(stderr, "no large school: %s\n", qPrintable(error));
            return 1;
        }
        g_dbPath = QDir(temp->path()).filePath(QStringLiteral("data.mdb"));
    }
    {
        tessaly::db::Connection c(g_dbPath);
        g_classCode = c.scalar(QStringLiteral("SELECT substr(\"学籍号\",1,6) AS code FROM %1 "
                                              "GROUP BY code ORDER BY count(*) DESC, code LIMIT 1")
                                   .arg(tessaly::db::quoteIdentifier(kTable)))
                          .toString();
        if (g_classCode.isEmpty()) {
            std::fprintf(stderr, "%s: no students in %s\n", qPrintable(g_dbPath),
                         qPrintable(kTable));
            return 1;
        }
    }
    std::fprintf(stderr, "%s, class %s of %s\n", qPrintable(g_dbPath), qPrintable(g_classCode),
                 qPrintable(kTable));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
