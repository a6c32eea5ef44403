// upload_kills [--runs N]: the school day of upload_day.h, N times: a child
// process uploads and is killed (SIGKILL) at a random point of its upload, then
// the upload runs again to its end. Counts the runs killed half-way, rows
// duplicated on the server, A's changes missing there and B's cells undone.
#include "upload_day.h"

#include "db/database.h"
#include "shell/server_transfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

using namespace tessaly;
using namespace tessaly::bench;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--upload")) {
        const UploadOutcome r = UploadLocalChanges(args[2], args[3]);
        return r.ok ? 0 : 1;
    }
    int runs = 50;
    if (args.size() == 3 && args[1] == QLatin1String("--runs"))
        runs = args[2].toInt();
    QTemporaryDir temp;
    UploadDay day{temp.path()};
    QString error;
    if (!prepareUploadDay(day, &error)) {
        std::fprintf(stderr, "upload_kills: %s\n", qPrintable(error));
        return 1;
    }
    // How long a whole upload takes in a child, for the random points.
    qint64 whole = 0;
    {
        if (!startUploadDay(day, &error)) {
            std::fprintf(stderr, "upload_kills: %s\n", qPrintable(error));
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        const int rc = QProcess::execute(app.applicationFilePath(), {QStringLiteral("--upload"), day.localPath(), day.serverPath()});
        whole = timer.elapsed();
        if (rc != 0) {
            std::fprintf(stderr, "upload_kills: the upload failed\n");
            return 1;
        }
    }
    int killedHalfWay = 0, duplicated = 0, missing = 0, undone = 0, failed = 0;
    for (int run = 0; run < runs; ++run) {
        if (!startUploadDay(day, &error)) {
            std::fprintf(stderr, "upload_kills: %s\n", qPrintable(error));
            return 1;
        }
        QProcess child;
        child.start(app.applicationFilePath(), {QStringLiteral("--upload"), day.localPath(), day.serverPath()});
        if (!child.waitForStarted())
            return 1;
        QThread::msleep(QRandomGenerator::global()->bounded(quint32(whole) + 1));
        if (child.state() != QProcess::NotRunning) {
            ++killedHalfWay;
            child.kill();
        }
        child.waitForFinished();
        const UploadOutcome r = UploadLocalChanges(day.localPath(), day.serverPath());
        if (!r.ok)
            ++failed;
        UploadDayCheck check;
        if (!checkUploadDay(day, &check, &error)) {
            std::fprintf(stderr, "upload_kills: %s\n", qPrintable(error));
            return 1;
        }
        duplicated += check.duplicated;
        missing += check.missing;
        undone += check.undone;
    }
    std::printf("%d runs (a whole upload %lld ms), %d killed half-way: %d rows duplicated, %d of A's changes missing, "
                "%d of B's cells undone, %d re-uploads failed\n",
                runs, static_cast<long long>(whole), killedHalfWay, duplicated, missing, undone, failed);
    return duplicated == 0 && missing == 0 && undone == 0 && failed == 0 ? 0 : 1;
}
