// Prints what the conversion run costs over a shell doing the same, one file at a time and several
// at once: albums of FLAC files to 320 kbit/s MP3 through the run as the window starts it (the
// 100 ms start delay included), against the same tool commands from a shell script (one at a
// time) or from per-file scripts under xargs -P N (each file with a work file of its own), and,
// with several at once, against plain ffmpeg under xargs -P N, the least any shell does. The ways
// alternate within each round; the ratios of the rounds are printed as min / median / max.
//
// bench_parallel [files] [seconds,...] [N,...] [rounds]
//   defaults: 10 files; 30, 60 and 240 s; N = 1, 2 and the number of cores; 3 rounds (2 for
//   albums of 240 s and more)
// bench_parallel quick   (4 files of 20 s, the same N, 3 rounds)

#include "albumbench.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

using namespace AlbumBench;

namespace {

struct Choice
{
    int files = 10;
    QList<double> lengths{30, 60, 240};
    QList<int> counts{1, 2};
    int rounds = 0; // 0: 3, or 2 for long albums
};

int cores()
{
    return std::max(1, QThread::idealThreadCount());
}

// The most the run may take over the shell.
double goalOf(int simultaneousFiles, double seconds)
{
    return simultaneousFiles == 1 && seconds >= 60 ? 1.03 : 1.05;
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2)
               : QStringLiteral("?");
}

QString shellName(int simultaneousFiles)
{
    return simultaneousFiles == 1 ? QStringLiteral("script")
                                  : QStringLiteral("xargs -P%1").arg(simultaneousFiles);
}

// Every list is separated by commas; false when an entry is not a positive number.
bool parse(int argc, char *argv[], Choice &choice)
{
    if (argc > 1 && qstrcmp(argv[1], "quick") == 0) {
        choice.files = 4;
        choice.lengths = {20};
        choice.rounds = 3;
        return argc == 2;
    }
    bool ok = true;
    if (argc > 1)
        choice.files = QByteArray(argv[1]).toInt(&ok);
    if (ok && argc > 2) {
        choice.lengths.clear();
        for (const QByteArray &entry : QByteArray(argv[2]).split(','))
            choice.lengths.append(ok ? entry.toDouble(&ok) : 0);
    }
    if (ok && argc > 3) {
        choice.counts.clear();
        for (const QByteArray &entry : QByteArray(argv[3]).split(','))
            choice.counts.append(ok ? entry.toInt(&ok) : 0);
    }
    if (ok && argc > 4)
        choice.rounds = QByteArray(argv[4]).toInt(&ok);
    const bool positive =
        choice.files > 0 && choice.rounds >= 0 &&
        std::all_of(choice.lengths.cbegin(), choice.lengths.cend(), [](double s) { return s > 0; }) &&
        std::all_of(choice.counts.cbegin(), choice.counts.cend(), [](int n) { return n > 0; });
    return ok && positive && argc <= 5;
}

struct Ratios
{
    QList<double> overShell; // run / the same commands from a shell
    QList<double> overFloor; // run / plain ffmpeg
    // CPU time of the program and its tools / of the shell and its tools: less shaken by other
    // work on the machine than wall time.
    QList<double> cpuOverShell;
};

void printSpread(const QString &label, const QList<double> &ratios, const QString &tail)
{
    const Spread s = spreadOf(ratios);
    std::printf("%s: min %.3f, median %.3f, max %.3f over %lld rounds%s\n", qPrintable(label), s.min,
                s.median, s.max, qlonglong(ratios.size()), qPrintable(tail));
}

// One album, every N, the given rounds; prints each measurement as it ends and the spreads.
bool benchAlbum(const QString &folder, const Choice &choice, double seconds, int rounds)
{
    const QStringList album = makeAlbum(folder, choice.files, seconds);
    if (album.isEmpty()) {
        std::fprintf(stderr, "cannot make an album in %s\n", qPrintable(folder));
        return false;
    }
    const QString name = QStringLiteral("%1 x %2 s").arg(choice.files).arg(seconds);
    std::printf("\n%s FLAC to 320 kbit/s MP3 (load average %s)\n", qPrintable(name),
                qPrintable(loadAverage()));
    const QString out = QDir(folder).filePath(QStringLiteral("out"));
    const QString scripts = QDir(folder).filePath(QStringLiteral("scripts"));
    QMap<int, Ratios> ratios;
    for (int round = 1; round <= rounds; ++round) {
        for (const int n : choice.counts) {
            const ShellFigures shell = timeShell(toolCommands(album, out, n, scripts));
            QDir(out).removeRecursively();
            clearWorkFolder();
            const RunFigures run = runAlbum(album, out, n);
            QDir(out).removeRecursively();
            if (shell.wallSeconds <= 0 || run.converted != album.size()) {
                std::printf("round %d, N = %d: failed (%d of %lld converted by the run)\n", round, n,
                            run.converted, qlonglong(album.size()));
                return false;
            }
            const double runCpu = run.cpuSeconds + run.toolCpuSeconds;
            ratios[n].overShell.append(run.wallSeconds / shell.wallSeconds);
            ratios[n].cpuOverShell.append(runCpu / shell.cpuSeconds);
            std::printf("round %d, N = %d: %s %.2f s, run %.2f s, ratio %.3f (CPU %.2f s against %.2f s)",
                        round, n, qPrintable(shellName(n)), shell.wallSeconds, run.wallSeconds,
                        run.wallSeconds / shell.wallSeconds, runCpu, shell.cpuSeconds);
            if (n > 1) {
                const double floor = timeShell(plainFfmpeg(album, out, n, scripts)).wallSeconds;
                QDir(out).removeRecursively();
                if (floor <= 0)
                    return false;
                ratios[n].overFloor.append(run.wallSeconds / floor);
                std::printf("; plain ffmpeg -P%d %.2f s, run / ffmpeg %.3f", n, floor,
                            run.wallSeconds / floor);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    for (const int n : choice.counts) {
        const QString goal = QStringLiteral(" (goal at most %1)").arg(goalOf(n, seconds), 0, 'f', 2);
        printSpread(QStringLiteral("%1, N = %2: run / %3").arg(name).arg(n).arg(shellName(n)),
                    ratios[n].overShell, goal);
        printSpread(QStringLiteral("%1, N = %2: CPU time run / %3").arg(name).arg(n).arg(shellName(n)),
                    ratios[n].cpuOverShell, QString());
        if (n == cores())
            printSpread(
                QStringLiteral("%1, N = cores (QThread::idealThreadCount() = %2, the rounds of N = %2): "
                               "run / %3")
                    .arg(name)
                    .arg(n)
                    .arg(shellName(n)),
                ratios[n].overShell, goal);
        if (n > 1) {
            const double median = spreadOf(ratios[n].overFloor).median;
            printSpread(QStringLiteral("%1, N = %2: run / plain ffmpeg -P%2").arg(name).arg(n),
                        ratios[n].overFloor,
                        QStringLiteral(", the run's median %1 % above that floor")
                            .arg(100 * (median - 1), 0, 'f', 1));
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Choice choice;
    if (!parse(argc, argv, choice)) {
        std::fprintf(stderr, "usage: bench_parallel [files] [seconds,...] [N,...] [rounds]\n"
                             "       bench_parallel quick\n");
        return 2;
    }
    if (argc <= 3 && !choice.counts.contains(cores()))
        choice.counts.append(cores());

    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    std::printf(
        "%d cores; the run's wall time counts from Start, its %d ms start delay included; the shell's "
        "output goes to /dev/null\n",
        cores(), ConversionRun::WindowStartDelayMs);
    QElapsedTimer clock;
    clock.start();
    for (qsizetype i = 0; i < choice.lengths.size(); ++i) {
        const double seconds = choice.lengths[i];
        const int rounds = choice.rounds > 0 ? choice.rounds : seconds >= 240 ? 2 : 3;
        const QString folder = dir.filePath(QStringLiteral("album%1").arg(i + 1));
        const bool done = benchAlbum(folder, choice, seconds, rounds);
        QDir(folder).removeRecursively();
        if (!done)
            return 1;
    }
    std::printf("\nbench time %.0f s\n", clock.elapsed() / 1000.0);
    return 0;
}
