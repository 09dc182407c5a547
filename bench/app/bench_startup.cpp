// Prints the time from process start to the first paint of the main window, started by the
// program's own start sequence from a copy of the program folder, beside the same figure for a
// minimal Qt Widgets program that shows one empty window and for that window with one Chinese
// label (separate executables linked against Qt Widgets only). The three start in turn, round after
// round; the ratios are taken within each round.
//
// bench_startup [rounds]   (default 20)

#include "app/programstart.h"
#include "firstpaint.h"
#include "startrounds.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Set in the environment of the copy that runs the program's start with the paint watch added.
constexpr char childVariable[] = "TUNOXA_BENCH_STARTUP_CHILD";

double timeOneStart(const QString &program, const QStringList &arguments,
                    const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardErrorFile(QProcess::nullDevice());
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
    child.kill();
    child.waitForFinished();
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(childVariable)) {
        return runProgram(argc, argv, quitAfterFirstPaint);
    }

    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    if (rounds < 1) {
        std::fputs("usage: bench_startup [rounds]\n", stderr);
        return 2;
    }
    QTemporaryDir dir;
    const QString folder = StartRounds::copyOfProgramFolder(dir.path());
    const QString program = folder + QStringLiteral("/tunoxa-bench");
    if (folder.isEmpty() || !QFile::copy(QCoreApplication::applicationFilePath(), program)) {
        std::fprintf(stderr, "cannot copy the program folder into %s\n", qPrintable(dir.path()));
        return 1;
    }
    QProcessEnvironment environment = StartRounds::environment(dir.filePath(QStringLiteral("cache")));
    QProcessEnvironment childEnvironment = environment;
    childEnvironment.insert(QString::fromLatin1(childVariable), QStringLiteral("1"));

    const QString empty = QStringLiteral(EMPTY_WINDOW_PROGRAM);
    const struct
    {
        QString program;
        QStringList arguments;
        const QProcessEnvironment &environment;
    } starts[] = {{program, {}, childEnvironment},
                  {empty, {}, environment},
                  {empty, {QStringLiteral("label")}, environment}};
    // One start of each first, so all find their libraries in the file cache.
    for (const auto &start : starts)
        timeOneStart(start.program, start.arguments, start.environment);
    QList<double> times[std::size(starts)];
    QList<double> toLabel;
    QList<double> toEmpty;
    for (int round = 0; round < rounds; ++round) {
        double ms[std::size(starts)];
        // Each round begins with another of the three, so none always follows the same one.
        for (size_t i = 0; i < std::size(starts); ++i) {
            const size_t s = (i + round) % std::size(starts);
            ms[s] = timeOneStart(starts[s].program, starts[s].arguments, starts[s].environment);
            if (ms[s] < 0) {
                std::puts("a start did not paint its window");
                return 1;
            }
            times[s].append(ms[s]);
        }
        toLabel.append(ms[0] / ms[2]);
        toEmpty.append(ms[0] / ms[1]);
    }
    StartRounds::printHeader(environment, rounds);
    std::puts("process start to first paint:");
    StartRounds::printSpread("  main window", times[0], "ms");
    StartRounds::printSpread("  empty window", times[1], "ms");
    StartRounds::printSpread("  window with one Chinese label", times[2], "ms");
    StartRounds::printSpread("ratio main / window with one Chinese label", toLabel, "(goal <= 1.2)");
    StartRounds::printSpread("ratio main / empty window", toEmpty, "");
    return 0;
}
