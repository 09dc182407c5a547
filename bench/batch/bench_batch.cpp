// Prints what tunoxa-batch costs: an album of FLAC files to 320 kbit/s MP3 by tunoxa-batch -j N,
// by the window's run with N files at once (the same run, in this process), and by xargs -P N
// over one plain ffmpeg command per file, for N = 1 and 2; wall times and their ratios.
//
// bench_batch [files] [seconds per file]   (default: 10 files of 60 s)

#include "albumbench.h"
#include "common/testmedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// The window's run with `files` at once; the start delay belongs to the click, not to the work.
double windowRun(const QStringList &album, const QString &outputFolder, int files)
{
    const AlbumBench::RunFigures run = AlbumBench::runAlbum(album, outputFolder, files);
    if (run.converted != album.size())
        std::fprintf(stderr, "the run left %d files unconverted\n", int(album.size()) - run.converted);
    return run.wallSeconds - ConversionRun::WindowStartDelayMs / 1000.0;
}

double timed(const QString &program, const QStringList &arguments)
{
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult result = TestMedia::run(program, arguments, 3600000);
    if (result.exitCode != 0)
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), result.output.constData());
    return clock.nsecsElapsed() / 1e9;
}

double batch(const QString &albumFolder, const QString &outputFolder, int files)
{
    return timed(
        TestMedia::programFolder() + QStringLiteral("/tunoxa-batch"),
        {QStringLiteral("-j"), QString::number(files), QStringLiteral("-o"), outputFolder, albumFolder});
}

// What a user would type without Tunoxa: one ffmpeg per file, N at a time.
double xargsFfmpeg(const QString &albumFolder, const QString &outputFolder, int files)
{
    QDir().mkpath(outputFolder);
    const QString script =
        QStringLiteral(
            "find \"$1\" -name '*.flac' -print0 | xargs -0 -P %1 -n 1 sh -c 'ffmpeg -nostdin "
            "-loglevel error -i \"$1\" -vn -ar 48000 -ab 320k -ac 2 \"$0/$(basename \"$1\" .flac).mp3\"' "
            "\"$2\"")
            .arg(files);
    return timed(QStringLiteral("sh"),
                 {QStringLiteral("-c"), script, QStringLiteral("sh"), albumFolder, outputFolder});
}

struct Figures
{
    double batch = 1e30;
    double window = 1e30;
    double xargs = 1e30;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int fileCount = argc > 1 ? std::atoi(argv[1]) : 10;
    const double length = argc > 2 ? std::atof(argv[2]) : 60;
    if (fileCount < 1 || length <= 0) {
        std::fprintf(stderr, "usage: bench_batch [files, at least 1] [seconds per file]\n");
        return 2;
    }
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    const QString albumFolder = dir.filePath(QStringLiteral("album"));
    const QStringList album = AlbumBench::makeAlbum(albumFolder, fileCount, length);
    if (album.isEmpty()) {
        std::fprintf(stderr, "cannot make the album in %s\n", qPrintable(albumFolder));
        return 1;
    }
    std::printf("album: %d FLAC files of %.0f s, to MP3 at 320 kbit/s\n", fileCount, length);

    // The three ways take turns, and the best of each counts, so none gains from a warmer cache.
    constexpr int rounds = 2;
    for (const int files : {1, 2}) {
        Figures best;
        for (int round = 0; round < rounds; ++round) {
            const QString tag = QStringLiteral("-%1-%2").arg(files).arg(round);
            const double b = batch(albumFolder, dir.filePath(QStringLiteral("batch") + tag), files);
            const double w = windowRun(album, dir.filePath(QStringLiteral("window") + tag), files);
            const double x = xargsFfmpeg(albumFolder, dir.filePath(QStringLiteral("xargs") + tag), files);
            std::printf("N=%d round %d: tunoxa-batch %.2f s, window's run %.2f s, xargs ffmpeg %.2f s\n",
                        files, round + 1, b, w, x);
            best = {std::min(best.batch, b), std::min(best.window, w), std::min(best.xargs, x)};
        }
        std::printf("N=%d best: tunoxa-batch %.2f s, window's run %.2f s, xargs ffmpeg %.2f s; "
                    "batch/window %.3f, batch/xargs %.3f\n",
                    files, best.batch, best.window, best.xargs, best.batch / best.window,
                    best.batch / best.xargs);
    }
    return 0;
}
