// Prints peak memory (VmHWM): of the program idle, started from a copy of its folder with a cache
// folder of its own and read 2 s later, beside a minimal Qt Widgets window with one Chinese label
// read the same way, the two in turn for 20 rounds, the ratio taken within each round; then this
// bench process's own peak around a run of several files at once, which holds the run, its list and
// its tool runners but no window.
//
// bench_memory [files] [seconds per file] [N]   (default: 10 files of 30 s, 2 at once)

#include "albumbench.h"
#include "common/processusage.h"
#include "startrounds.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int settleMs = 2000;
constexpr int rounds = 20;

long peakKilobytesOf(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// The peak memory 2 s after start, in MiB; -1 when the program ended by itself.
double idlePeakMegabytes(const QString &program, const QStringList &arguments,
                         const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(program, arguments);
    // Waiting for an end that should not come is the pause.
    if (!child.waitForStarted() || child.waitForFinished(settleMs))
        return -1;
    const long peak = peakKilobytesOf(child.processId());
    // Ended as a logout ends it, so the next start finds no lock of a killed one.
    child.terminate();
    if (!child.waitForFinished(5000)) {
        child.kill();
        child.waitForFinished();
    }
    return peak < 0 ? -1 : peak / 1024.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const std::optional<AlbumBench::AlbumChoice> choice =
        AlbumBench::albumChoice(argc, argv, "bench_memory", {10, 30, 2});
    if (!choice)
        return 2;
    const auto [fileCount, seconds, simultaneous] = *choice;

    QTemporaryDir startDir;
    const QString folder = StartRounds::copyOfProgramFolder(startDir.path());
    if (folder.isEmpty()) {
        std::fprintf(stderr, "cannot copy the program folder into %s\n", qPrintable(startDir.path()));
        return 1;
    }
    const QProcessEnvironment environment =
        StartRounds::environment(startDir.filePath(QStringLiteral("cache")));
    QList<double> program;
    QList<double> label;
    QList<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        const double programMb = idlePeakMegabytes(folder + QStringLiteral("/tunoxa"), {}, environment);
        const double labelMb =
            idlePeakMegabytes(QStringLiteral(EMPTY_WINDOW_PROGRAM),
                              {QStringLiteral("label"), QStringLiteral("stay")}, environment);
        if (programMb < 0 || labelMb < 0) {
            std::puts("a program ended before its memory was read");
            return 1;
        }
        program.append(programMb);
        label.append(labelMb);
        ratios.append(programMb / labelMb);
    }
    StartRounds::printHeader(environment, rounds);
    std::printf("peak memory (VmHWM) %d ms after start:\n", settleMs);
    StartRounds::printSpread("  program idle", program, "MiB");
    StartRounds::printSpread("  empty Qt Widgets window with one Chinese label", label, "MiB");
    StartRounds::printSpread("ratio program idle / label window", ratios, "(goal <= 1.3)");

    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    const QStringList album = AlbumBench::makeAlbum(dir.path(), fileCount, seconds);
    if (album.isEmpty()) {
        std::fprintf(stderr, "cannot make the album in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const long before = ProcessUsage::peakKilobytes();
    const AlbumBench::RunFigures run =
        AlbumBench::runAlbum(album, dir.filePath(QStringLiteral("out")), simultaneous);
    std::printf("bench process (Qt Core only, no window) before the run: %ld KiB\n", before);
    std::printf(
        "bench process peak around a run of %d x %.0f s at N = %d (run, list, tool runners; no window; "
        "%d of %d converted in %.1f s): %ld KiB\n",
        fileCount, seconds, simultaneous, run.converted, fileCount, run.wallSeconds,
        ProcessUsage::peakKilobytes());
    return 0;
}
