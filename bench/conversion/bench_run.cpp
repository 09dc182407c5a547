// Prints what the conversion run costs over running its tool commands from a shell: an album of
// FLAC files to 320 kbit/s MP3, the wall-time ratio, the program's own CPU time and its peak
// memory, the longest time the event loop is blocked during the run and the disk the run leaves in
// the work folder; then the run's own walk over a long list. With N files at once the shell runs
// the same per-file commands N at a time (xargs -P N).
//
// bench_run [files] [seconds per file] [N]   (default: 10 files of 240 s, one at a time)

#include "albumbench.h"
#include "common/processusage.h"
#include "platform/appdirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <cstdio>

using namespace AlbumBench;

namespace {

// Bytes of every file under the work folder once a run is over.
qint64 workFolderBytes()
{
    qint64 bytes = 0;
    QDirIterator it(AppDirs::workFolder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

// A list of many rows with no format selected: every file fails before any tool starts, so the
// time is the run's own work per row (finding the next file, marking, the events between files).
double walkSeconds(int rows, const QString &outputFolder)
{
    QStringList files;
    for (int i = 0; i < rows; ++i)
        files.append(QStringLiteral("/m/%1.flac").arg(i));
    return runAlbum(files, outputFolder, 1, false, -1).wallSeconds -
           ConversionRun::WindowStartDelayMs / 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const std::optional<AlbumChoice> choice = albumChoice(argc, argv, "bench_run", {10, 240, 1});
    if (!choice)
        return 2;
    const auto [fileCount, seconds, simultaneous] = *choice;

    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    const QStringList album = makeAlbum(dir.path(), fileCount, seconds);
    if (album.isEmpty()) {
        std::fprintf(stderr, "cannot make the album in %s\n", qPrintable(dir.path()));
        return 1;
    }
    std::printf("album: %d FLAC files of %.0f s, to MP3 at 320 kbit/s, %d at once\n", fileCount, seconds,
                simultaneous);

    // Alternate the two ways and keep the best of each, so neither gains from a warmer cache.
    constexpr int rounds = 2;
    // The start delay belongs to the click, not to the conversion.
    constexpr double startDelay = ConversionRun::WindowStartDelayMs / 1000.0;
    double bestScript = 1e30;
    RunFigures bestRun{1e30};
    for (int round = 0; round < rounds; ++round) {
        const QString scriptOut = dir.filePath(QStringLiteral("script%1").arg(round));
        const double scriptSeconds =
            timeShell(toolCommands(album, scriptOut, simultaneous,
                                   dir.filePath(QStringLiteral("scripts%1").arg(round))))
                .wallSeconds;
        clearWorkFolder();
        RunFigures figures =
            runAlbum(album, dir.filePath(QStringLiteral("run%1").arg(round)), simultaneous, true);
        figures.wallSeconds -= startDelay;
        std::printf("round %d: script %.2f s, run %.2f s (%d of %d converted), run CPU %.3f s, event loop "
                    "blocked at most %.1f ms, %lld bytes left in the work folder\n",
                    round + 1, scriptSeconds, figures.wallSeconds, figures.converted, fileCount,
                    figures.cpuSeconds, figures.longestBlockMs, workFolderBytes());
        bestScript = std::min(bestScript, scriptSeconds);
        if (figures.wallSeconds < bestRun.wallSeconds)
            bestRun = figures;
    }
    std::printf("wall time: script %.2f s, run %.2f s, ratio %.3f (target at most 1.10)\n", bestScript,
                bestRun.wallSeconds, bestRun.wallSeconds / bestScript);
    std::printf("program CPU time during the run: %.3f s (%.2f%% of its wall time)\n", bestRun.cpuSeconds,
                100.0 * bestRun.cpuSeconds / bestRun.wallSeconds);
    std::printf("peak memory of the program: %ld KiB\n", ProcessUsage::peakKilobytes());
    for (const int rows : {10000, 40000}) {
        const double walk = walkSeconds(rows, dir.filePath(QStringLiteral("walk")));
        std::printf("run over %d rows that fail at once: %.3f s (%.1f us per row)\n", rows, walk,
                    1e6 * walk / rows);
    }
    return 0;
}
