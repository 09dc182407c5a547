// Prints what each audio format costs and gives against MP3 at 320 kbit/s, at each format's default
// settings: an album of 8 tracks of 60 s converted by tunoxa-batch -L -j 2 to MP3, Opus, AAC and
// Vorbis in turns; min / median / max of each time and of its ratio to the MP3 run of its round, the
// size of each copy against the MP3 copy, and the largest difference between a track's length and
// its decode by ffmpeg (a player's reading of it).
//
// bench_formats [rounds]   (default: 3 rounds)

#include "common/testmedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const QStringList formats{QStringLiteral("mp3"), QStringLiteral("opus"), QStringLiteral("aac"),
                          QStringLiteral("vorbis")};

QString figures(QList<double> values, const char *format)
{
    std::sort(values.begin(), values.end());
    return QString::asprintf(format, values.first()) + QStringLiteral(" / ") +
           QString::asprintf(format, values[values.size() / 2]) + QStringLiteral(" / ") +
           QString::asprintf(format, values.last());
}

double timedCopy(const QString &format, const QString &album, const QString &output)
{
    QDir(output).removeRecursively();
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult result =
        TestMedia::run(TestMedia::programFolder() + QStringLiteral("/tunoxa-batch"),
                       {QStringLiteral("-L"), QStringLiteral("-j"), QStringLiteral("2"), QStringLiteral("-f"),
                        format, QStringLiteral("-o"), output, album});
    if (result.exitCode != 0)
        std::fprintf(stderr, "tunoxa-batch -f %s failed:\n%s\n", qPrintable(format),
                     result.output.right(1000).constData());
    return clock.nsecsElapsed() / 1e9;
}

QStringList outputsIn(const QString &folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files.append(it.next());
    return files;
}

// The largest difference, in seconds, between 60 s and a track's length as ffmpeg decodes it.
double largestLengthError(const QStringList &outputs, const QString &work)
{
    double largest = 0;
    const QString wav = work + QStringLiteral("/decoded.wav");
    for (const QString &output : outputs) {
        TestMedia::run(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"),
                                                  QStringLiteral("-y"), QStringLiteral("-i"), output, wav});
        const double seconds =
            TestMedia::run(QStringLiteral("soxi"), {QStringLiteral("-D"), wav}).output.trimmed().toDouble();
        largest = std::max(largest, std::abs(seconds - 60));
    }
    return largest;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 3;
    QTemporaryDir work;
    const QString album = work.filePath(QStringLiteral("Album"));
    QDir().mkpath(album);
    for (int k = 1; k <= 8; ++k) {
        if (TestMedia::run(QStringLiteral("sox"),
                           {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                            QStringLiteral("-c"), QStringLiteral("2"), QStringLiteral("-b"),
                            QStringLiteral("16"),
                            album + QStringLiteral("/%1.flac").arg(k, 2, 10, QLatin1Char('0')),
                            QStringLiteral("synth"), QStringLiteral("60"), QStringLiteral("pinknoise"),
                            QStringLiteral("vol"), QStringLiteral("0.3")})
                .exitCode != 0) {
            std::fprintf(stderr, "could not make the album\n");
            return 1;
        }
    }
    QHash<QString, QList<double>> seconds;
    QHash<QString, QList<double>> ratios;
    for (int round = 0; round < rounds; ++round) {
        double mp3 = 0;
        for (const QString &format : formats) {
            const double taken = timedCopy(format, album, work.filePath(format));
            if (format == formats.first())
                mp3 = taken;
            seconds[format].append(taken);
            ratios[format].append(taken / mp3);
        }
    }
    const auto sizeOf = [](const QStringList &files) {
        qint64 bytes = 0;
        for (const QString &file : files)
            bytes += QFileInfo(file).size();
        return bytes;
    };
    const qint64 mp3Bytes = sizeOf(outputsIn(work.filePath(formats.first())));
    std::printf("8 x 60 s album, tunoxa-batch -L -j 2, %d rounds; min / median / max\n", rounds);
    std::printf("%-7s %-26s %-26s %-12s %s\n", "format", "seconds", "time / MP3 320", "size / MP3",
                "largest |decoded - 60 s|");
    for (const QString &format : formats) {
        const QStringList outputs = outputsIn(work.filePath(format));
        std::printf("%-7s %-26s %-26s %-12.3f %.3f s (%lld files)\n", qPrintable(format),
                    qPrintable(figures(seconds[format], "%.2f")), qPrintable(figures(ratios[format], "%.3f")),
                    double(sizeOf(outputs)) / double(mp3Bytes), largestLengthError(outputs, work.path()),
                    qint64(outputs.size()));
    }
    return 0;
}
