// Prints the time from process start to the first paint of the main window, started exactly as
// the program starts it, beside the same figure for a minimal Qt Widgets program that shows one
// empty window. Each figure is the median of several fresh processes (this executable run again
// with "main" or "bare"); the ratio is main / bare.
#include "shell/desktopservices.h"
#include "shell/singleinstance.h"
#include "shell/userservices.h"
#include "ui/frmmain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Reports once the first paint of `window` has completed, then ends the process.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget *window)
        : m_window(window)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!m_seen && event->type() == QEvent::Paint && widget && widget->window() == m_window) {
            m_seen = true;
            // Queued, so the whole frame (children included) has been painted first.
            QTimer::singleShot(0, [] {
                std::puts("painted");
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_seen = false;
};

int runChild(int argc, char *argv[], bool mainWindow)
{
    QApplication app(argc, argv);
    if (!mainWindow) {
        QWidget window;
        FirstPaint watch(&window);
        app.installEventFilter(&watch);
        window.show();
        return QApplication::exec();
    }
    SingleInstance instance;
    if (!instance.tryLock())
        return 1;
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    frmMain window(QStringLiteral(TUNOXA_PROGRAM_DIR));
    DesktopServices desktop(&window);
    UserServices::setInstance(&desktop);
    FirstPaint watch(&window);
    app.installEventFilter(&watch);
    window.Form_Load();
    window.show();
    return QApplication::exec();
}

double timeOneStart(const QString &self, const QString &mode, const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    child.start(self, {mode});
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
    if (argc > 1 && (qstrcmp(argv[1], "main") == 0 || qstrcmp(argv[1], "bare") == 0))
        return runChild(argc, argv, qstrcmp(argv[1], "main") == 0);

    QCoreApplication app(argc, argv);
    QTemporaryDir cache;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !environment.contains(QStringLiteral("DISPLAY")) &&
        !environment.contains(QStringLiteral("WAYLAND_DISPLAY")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    const QString self = QCoreApplication::applicationFilePath();
    constexpr int runs = 9;
    QList<double> mainTimes;
    QList<double> bareTimes;
    // One start of each first, so both find the libraries in the file cache.
    timeOneStart(self, QStringLiteral("main"), environment);
    timeOneStart(self, QStringLiteral("bare"), environment);
    for (int i = 0; i < runs; ++i) {
        mainTimes.append(timeOneStart(self, QStringLiteral("main"), environment));
        bareTimes.append(timeOneStart(self, QStringLiteral("bare"), environment));
    }
    if (mainTimes.contains(-1) || bareTimes.contains(-1)) {
        std::puts("a start did not paint its window");
        return 1;
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
    const double mainMs = median(mainTimes);
    const double bareMs = median(bareTimes);
    std::printf("platform: %s, %d starts each, medians\n",
                qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("default"))),
                runs);
    std::printf("main window, process start to first paint: %.1f ms\n", mainMs);
    std::printf("empty window, process start to first paint: %.1f ms\n", bareMs);
    std::printf("of it, taking the single-instance lock: %.1f ms\n", median(lockTimes));
    std::printf("ratio main / empty: %.2f (target at most 1.5)\n", mainMs / bareMs);
    return 0;
}
