// Prints the time from process start to the first paint of the main window, started exactly as
// the program starts it, beside the same figure for a minimal Qt Widgets program that shows one
// empty window (a separate executable linked against Qt Widgets only), and for that program with
// one Chinese label, the least any window with such text pays. Each figure is the median of
// several fresh processes; the ratio is main / empty.
#include "firstpaint.h"
#include "platform/singleinstance.h"
#include "ui/desktopservices.h"
#include "ui/mainwindow.h"
#include "ui/programlook.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// The start of main.cpp, with the paint watch added.
int runMainWindow(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SingleInstance instance;
    if (!instance.tryLock())
        return 1;
    applyProgramLook();
    DesktopServices desktop;
    MainWindow window(QStringLiteral(TUNOXA_PROGRAM_DIR), desktop);
    desktop.setOwner(&window);
    FirstPaint watch(&window);
    app.installEventFilter(&watch);
    window.startUp();
    window.show();
    return QApplication::exec();
}

double timeOneStart(const QString &program, const QStringList &arguments,
                    const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    while (child.state() != QProcess::NotRunning || child.bytesAvailable() > 0) {
        if (child.canReadLine() && child.readLine().trimmed() == "painted") {
            const double ms = clock.nsecsElapsed() / 1e6;
            child.waitForFinished();
            return ms;
        }
        child.waitForReadyRead(20000);
        if (clock.elapsed() > 60000)
            break;
    }
    child.waitForFinished();
    return -1;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "main") == 0)
        return runMainWindow(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir cache;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !environment.contains(QStringLiteral("DISPLAY")) &&
        !environment.contains(QStringLiteral("WAYLAND_DISPLAY")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    const QString self = QCoreApplication::applicationFilePath();
    const QString empty = QStringLiteral(EMPTY_WINDOW_PROGRAM);
    const struct
    {
        QString program;
        QStringList arguments;
    } starts[] = {{self, {QStringLiteral("main")}}, {empty, {}}, {empty, {QStringLiteral("label")}}};
    constexpr int runs = 9;
    QList<double> times[std::size(starts)];
    // One start of each first, so all find their libraries in the file cache.
    for (const auto &start : starts)
        timeOneStart(start.program, start.arguments, environment);
    for (int i = 0; i < runs; ++i) {
        for (size_t s = 0; s < std::size(starts); ++s)
            times[s].append(timeOneStart(starts[s].program, starts[s].arguments, environment));
    }
    for (const QList<double> &list : times) {
        if (list.contains(-1)) {
            std::puts("a start did not paint its window");
            return 1;
        }
    }
    // The lock is the first step of every start; QLockFile syncs the file to disk.
    QList<double> lockTimes;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        SingleInstance lock(cache.filePath(QStringLiteral("bench%1.lock").arg(i)));
        lock.tryLock();
        lockTimes.append(clock.nsecsElapsed() / 1e6);
    }
    const double mainMs = median(times[0]);
    const double emptyMs = median(times[1]);
    std::printf("platform: %s, %d starts each, medians\n",
                qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("default"))),
                runs);
    std::printf("main window, process start to first paint: %.1f ms\n", mainMs);
    std::printf("empty window, process start to first paint: %.1f ms\n", emptyMs);
    std::printf("window with one Chinese label, for reference: %.1f ms\n", median(times[2]));
    std::printf("of the main window's, taking the single-instance lock: %.1f ms\n", median(lockTimes));
    std::printf("ratio main / empty: %.2f (target at most 1.5)\n", mainMs / emptyMs);
    return 0;
}
