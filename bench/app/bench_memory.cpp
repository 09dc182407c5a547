// Prints peak memory (VmHWM): of the program idle, started as a user starts it (offscreen, with a
// cache folder of its own) and read 2 s later; beside a minimal Qt Widgets window with one Chinese
// label, read the same way; and this bench process's own peak around a run of several files at
// once, which holds the run, its list and its tool runners but no window.
//
// bench_memory [files] [seconds per file] [N]   (default: 10 files of 30 s, 2 at once)

#include "albumbench.h"
#include "common/processusage.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int settleMs = 2000;
constexpr int starts = 3;

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

// Median over a few starts of the peak memory 2 s after start; -1 when the program ended by itself.
long idlePeakKilobytes(const QString &program, const QStringList &arguments)
{
    QList<long> peaks;
    for (int i = 0; i < starts; ++i) {
        QTemporaryDir cache;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setStandardOutputFile(QProcess::nullDevice());
        child.setStandardErrorFile(QProcess::nullDevice());
        child.start(program, arguments);
        // Waiting for an end that should not come is the pause.
        if (!child.waitForStarted() || child.waitForFinished(settleMs))
            return -1;
        peaks.append(peakKilobytesOf(child.processId()));
        child.kill();
        child.waitForFinished();
    }
    std::sort(peaks.begin(), peaks.end());
    return peaks[starts / 2];
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

    const long program = idlePeakKilobytes(QStringLiteral(TUNOXA_PROGRAM_DIR "/tunoxa"), {});
    const long label = idlePeakKilobytes(QStringLiteral(EMPTY_WINDOW_PROGRAM),
                                         {QStringLiteral("label"), QStringLiteral("stay")});
    if (program < 0 || label < 0) {
        std::puts("a program ended before its memory was read");
        return 1;
    }
    std::printf("peak memory (VmHWM), offscreen, %d ms after start, median of %d starts:\n", settleMs,
                starts);
    std::printf("program idle: %ld KiB\n", program);
    std::printf("empty Qt Widgets window with one Chinese label: %ld KiB\n", label);
    std::printf("program idle / label window: %.2f\n", double(program) / label);

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
