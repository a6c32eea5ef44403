// The program's start-up to its first paint, in this new process: the program
// folder's data.mdb and XM.DLL as the program finds them, the start-up main()
// runs, and the main window's first paint.
//
//   bench_start_up PROGRAM_FOLDER
//
// Prints the wall-clock times (CLOCK_REALTIME, nanoseconds since the epoch) of
// main()'s start and of the first paint, so that the caller who started the
// process takes its own start time from them; then ends. bench/run_window_table runs it afresh per run.
#include "app/main_window.h"
#include "app/start_up.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>

namespace {

long long nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// Sees the main window's first paint (its children are drawn after it): tells
// its time and ends the event loop.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !seen && qobject_cast<tessaly::MainWindow *>(watched)) {
            seen = true;
            std::printf("%lld %lld\n", started, nowNs());
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
    bool seen = false;
    long long started = 0;
};

} // namespace

int main(int argc, char **argv)
{
    const long long started = nowNs();
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_start_up PROGRAM_FOLDER\n");
        return 2;
    }
    QApplication app(argc, argv);
    FirstPaint first;
    first.started = started;
    app.installEventFilter(&first);
    const std::unique_ptr<tessaly::MainWindow> w = tessaly::startProgram(app, QString::fromLocal8Bit(argv[1]));
    return app.exec() == 0 && first.seen ? 0 : 1;
}
