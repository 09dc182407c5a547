// Prints what splitting an album image costs against converting the same audio as separate FLAC
// files: tunoxa-batch to MP3 over an image with its cue sheet and over a folder of its tracks, in
// turns, at one and at two files at once; then the time per track of an image of many more tracks,
// which grows with the tracks only if no track is decoded from the image's start.
//
// bench_images [tracks] [seconds per track] [rounds] [tracks of the long image]
//   (default: 10 tracks of 24 s, 3 rounds, 99 tracks)

#include "common/testmedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

int argument(int argc, char *argv[], int index, int fallback)
{
    return argc > index ? std::max(1, QByteArray(argv[index]).toInt()) : fallback;
}

double runBatch(const QStringList &arguments)
{
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult result =
        TestMedia::run(TestMedia::programFolder() + QStringLiteral("/tunoxa-batch"), arguments, 3600000);
    if (result.exitCode != 0)
        std::fprintf(stderr, "tunoxa-batch failed:\n%s\n", result.output.right(2000).constData());
    return clock.nsecsElapsed() / 1e9;
}

// A folder of `tracks` FLAC tracks, each a tone of its own, and a folder with their image and sheet.
bool makeAlbum(const QString &folder, int tracks, int seconds)
{
    const QString separate = folder + QStringLiteral("/tracks");
    const QString image = folder + QStringLiteral("/image");
    QDir().mkpath(separate);
    QDir().mkpath(image);
    QStringList concat;
    QByteArray sheet = "FILE \"CDImage.flac\" WAVE\n";
    for (int t = 0; t < tracks; ++t) {
        const QString track = separate + QStringLiteral("/%1.flac").arg(t + 1, 3, 10, QLatin1Char('0'));
        const TestMedia::ToolResult made = TestMedia::run(
            QStringLiteral("ffmpeg"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("sine=frequency=%1:sample_rate=44100:duration=%2").arg(200 + 20 * t).arg(seconds),
             QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-sample_fmt"), QStringLiteral("s16"),
             track});
        if (made.exitCode != 0)
            return false;
        concat << QStringLiteral("file '%1'").arg(track);
        const int start = t * seconds;
        sheet += QStringLiteral("  TRACK %1 AUDIO\n    TITLE \"Track %1\"\n    INDEX 01 %2:%3:00\n")
                     .arg(t + 1, 2, 10, QLatin1Char('0'))
                     .arg(start / 60, 2, 10, QLatin1Char('0'))
                     .arg(start % 60, 2, 10, QLatin1Char('0'))
                     .toUtf8();
    }
    QFile list(folder + QStringLiteral("/list.txt"));
    QFile cue(image + QStringLiteral("/CDImage.cue"));
    if (!list.open(QIODevice::WriteOnly) || !cue.open(QIODevice::WriteOnly))
        return false;
    list.write(concat.join(u'\n').toUtf8());
    list.close();
    cue.write(sheet);
    // Made by the reference encoder, as rippers make images: with the seek table that finds a track.
    const QString wav = folder + QStringLiteral("/image.wav");
    return TestMedia::run(QStringLiteral("ffmpeg"),
                          {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                           QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"),
                           QStringLiteral("0"), QStringLiteral("-i"), list.fileName(), wav})
                   .exitCode == 0 &&
           TestMedia::run(QStringLiteral("flac"),
                          {QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-o"),
                           image + QStringLiteral("/CDImage.flac"), wav})
                   .exitCode == 0 &&
           QFile::remove(wav);
}

QStringList batchArguments(int files, const QString &output, const QString &input)
{
    return {QStringLiteral("-j"), QString::number(files), QStringLiteral("-o"), output, input};
}

void printFigures(const char *what, QList<double> figures)
{
    std::sort(figures.begin(), figures.end());
    std::printf("%s: min %.3f / median %.3f / max %.3f\n", what, figures.first(), figures[figures.size() / 2],
                figures.last());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int tracks = argument(argc, argv, 1, 10);
    const int seconds = argument(argc, argv, 2, 24);
    const int rounds = argument(argc, argv, 3, 3);
    const int longTracks = argument(argc, argv, 4, 99);
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    const QString album = dir.filePath(QStringLiteral("album"));
    const QString longAlbum = dir.filePath(QStringLiteral("long"));
    if (!makeAlbum(album, tracks, seconds) || !makeAlbum(longAlbum, longTracks, 2)) {
        std::fprintf(stderr, "cannot make the albums\n");
        return 1;
    }
    std::printf("%d tracks of %d s as an image with its sheet and as separate FLAC files, to MP3\n", tracks,
                seconds);
    const QString output = dir.filePath(QStringLiteral("out"));
    for (const int files : {1, 2}) {
        QList<double> image;
        QList<double> separate;
        QList<double> ratios;
        for (int round = 0; round < rounds; ++round) {
            QDir(output).removeRecursively();
            image.append(runBatch(batchArguments(files, output, album + QStringLiteral("/image"))));
            QDir(output).removeRecursively();
            separate.append(runBatch(batchArguments(files, output, album + QStringLiteral("/tracks"))));
            ratios.append(image.last() / separate.last());
        }
        std::printf("-j %d\n", files);
        printFigures("  image, s", image);
        printFigures("  separate files, s", separate);
        printFigures("  ratio image / separate", ratios);
    }
    // Tracks of 2 s each: the time per track stays the same however far into the image it lies.
    QList<double> perTrack;
    for (int round = 0; round < rounds; ++round) {
        QDir(output).removeRecursively();
        perTrack.append(runBatch(batchArguments(2, output, longAlbum + QStringLiteral("/image"))) /
                        longTracks);
    }
    QList<double> perSeparateTrack;
    for (int round = 0; round < rounds; ++round) {
        QDir(output).removeRecursively();
        perSeparateTrack.append(runBatch(batchArguments(2, output, longAlbum + QStringLiteral("/tracks"))) /
                                longTracks);
    }
    std::printf("%d tracks of 2 s, -j 2\n", longTracks);
    printFigures("  image, s per track", perTrack);
    printFigures("  separate files, s per track", perSeparateTrack);
    return 0;
}
