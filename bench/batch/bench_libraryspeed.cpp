// Prints what library mode costs against the least the same work can cost, run as a user runs it:
//   albums: an album set (8 tracks of 60 s and 4 of 240 s, pink noise and a tone) to 320 kbit/s,
//           44.1 kHz stereo MP3, two files at once: tunoxa-batch -L -j 2 against plain ffmpeg under
//           xargs -P2 (the same cover handling) and against lame on WAVs decoded beforehand;
//   short:  200 tracks of one second, tunoxa-batch -L -j 2 against plain ffmpeg under xargs -P2;
//   up to date: a second run over a library whose copy is up to date (the outputs laid out by
//           copying one converted MP3 and writing each copy's own mark) against rsync -an over the
//           same tree, and the run's peak memory over that of a run that only scans the library.
// The contenders take turns within each round; min / median / max of each and of the ratios.
//
// bench_libraryspeed [rounds] [up-to-date tracks]   (default: 5 rounds, 50000 tracks)

#include "common/testmedia.h"
#include "library/librarymark.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

QString batchProgram()
{
    return TestMedia::programFolder() + QStringLiteral("/tunoxa-batch");
}

double timedShell(const QString &script)
{
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult result =
        TestMedia::run(QStringLiteral("sh"), {QStringLiteral("-c"), script}, 36000000);
    if (result.exitCode != 0)
        std::fprintf(stderr, "failed: %s\n%s\n", qPrintable(script), result.output.right(1000).constData());
    return clock.nsecsElapsed() / 1e9;
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
           QLatin1Char('\'');
}

struct Figures
{
    QList<double> values;
    void add(double value) { values.append(value); }
    QString text(const char *format = "%.3f") const
    {
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return QString::asprintf(format, sorted.first()) + QStringLiteral(" / ") +
               QString::asprintf(format, sorted[sorted.size() / 2]) + QStringLiteral(" / ") +
               QString::asprintf(format, sorted.last());
    }
};

// Runs each contender once a round, in turn, and prints their times and their ratios to the first.
void compare(const char *title, int rounds, const QStringList &names,
             const QList<std::function<double()>> &runs)
{
    QList<Figures> times(runs.size());
    QList<Figures> ratios(runs.size());
    for (int round = 0; round < rounds; ++round) {
        QList<double> seconds(runs.size());
        for (qsizetype k = 0; k < runs.size(); ++k) {
            const qsizetype turn = (k + round) % runs.size();
            seconds[turn] = runs[turn]();
        }
        for (qsizetype k = 0; k < runs.size(); ++k) {
            times[k].add(seconds[k]);
            ratios[k].add(seconds[0] / seconds[k]);
        }
    }
    std::printf("%s, %d rounds, min / median / max:\n", title, rounds);
    for (qsizetype k = 0; k < runs.size(); ++k) {
        std::printf("  %-34s %s s", qPrintable(names[k]), qPrintable(times[k].text()));
        if (k > 0)
            std::printf("; %s / this: %s", qPrintable(names[0]), qPrintable(ratios[k].text("%.2f")));
        std::printf("\n");
    }
    std::fflush(stdout);
}

// The same conversion by ffmpeg alone, two files at once.
QString ffmpegScript(const QString &folder, const QString &output)
{
    return QStringLiteral(
               "rm -rf %2 && mkdir -p %2 && find %1 -name '*.flac' | xargs -P2 -I{} sh -c "
               "'ffmpeg -nostdin -v error -err_detect crccheck -i \"$1\" -map 0:a -map 0:v? -c:v copy "
               "-disposition:v attached_pic -id3v2_version 3 -ar 44100 -ab 320k -ac 2 -y "
               "\"$2/$(basename \"$1\" .flac).mp3\"' sh {} %2")
        .arg(quoted(folder), quoted(output));
}

QString batchScript(const QString &folder, const QString &output)
{
    return QStringLiteral("rm -rf %2 && %3 -L -j 2 -b 320 -r 44100 -c 2 -o %2 %1 > /dev/null")
        .arg(quoted(folder), quoted(output), quoted(batchProgram()));
}

bool makeTrack(const QString &path, int seconds, int tone)
{
    return TestMedia::run(QStringLiteral("sox"),
                          {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                           QStringLiteral("-c"), QStringLiteral("2"), QStringLiteral("-b"),
                           QStringLiteral("16"), path, QStringLiteral("synth"), QString::number(seconds),
                           QStringLiteral("pinknoise"), QStringLiteral("synth"), QString::number(seconds),
                           QStringLiteral("sine"), QStringLiteral("mix"), QString::number(tone),
                           QStringLiteral("vol"), QStringLiteral("0.4")})
               .exitCode == 0;
}

// An ID3v2.3 tag holding the mark alone, in ISO-8859-1 text frames.
QByteArray markTag(const LibraryMark &mark)
{
    QByteArray frames;
    const auto addFrame = [&frames](QLatin1StringView key, const QString &value) {
        const QByteArray body =
            QByteArray(1, '\0') + QByteArray(key.data(), key.size()) + '\0' + value.toLatin1();
        const quint32 size = qToBigEndian(quint32(body.size()));
        frames += "TXXX" + QByteArray(reinterpret_cast<const char *>(&size), 4) + QByteArray(2, '\0') + body;
    };
    addFrame(LibraryMark::sourceKey, mark.source);
    addFrame(LibraryMark::audioKey, mark.audioMd5);
    addFrame(LibraryMark::settingsKey, mark.settings);
    QByteArray tag("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += char((frames.size() >> shift) & 0x7F);
    return tag + frames;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int upToDate = argc > 2 ? std::max(10, atoi(argv[2])) : 50000;
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    qputenv("LC_ALL", "C.UTF-8");

    const QString albums = dir.filePath(QStringLiteral("Albums/Set"));
    const QString wavs = dir.filePath(QStringLiteral("wav"));
    QDir().mkpath(albums);
    QDir().mkpath(wavs);
    for (int k = 0; k < 12; ++k) {
        const QString name = QStringLiteral("%1 Track").arg(k + 1, 2, 10, QLatin1Char('0'));
        if (!makeTrack(albums + u'/' + name + QStringLiteral(".flac"), k < 8 ? 60 : 240, 220 + 40 * k) ||
            TestMedia::run(QStringLiteral("flac"),
                           {QStringLiteral("-d"), QStringLiteral("-s"), QStringLiteral("-o"),
                            wavs + u'/' + name + QStringLiteral(".wav"),
                            albums + u'/' + name + QStringLiteral(".flac")})
                    .exitCode != 0) {
            std::fprintf(stderr, "cannot make the album set\n");
            return 1;
        }
    }
    const QString out = dir.filePath(QStringLiteral("out"));
    compare("album set (8 x 60 s + 4 x 240 s)", rounds,
            {QStringLiteral("tunoxa-batch -L -j 2"), QStringLiteral("ffmpeg -vn, xargs -P2"),
             QStringLiteral("lame -b 320 on WAVs, xargs -P2")},
            {[&] { return timedShell(batchScript(albums, out)); },
             [&] { return timedShell(ffmpegScript(albums, out)); },
             [&] {
                 return timedShell(
                     QStringLiteral("rm -rf %2 && mkdir -p %2 && find %1 -name '*.wav' | xargs -P2 "
                                    "-I{} sh -c 'lame --quiet -b 320 \"$1\" \"$2/$(basename \"$1\" "
                                    ".wav).mp3\"' sh {} %2")
                         .arg(quoted(wavs), quoted(out)));
             }});

    const QString shortTracks = dir.filePath(QStringLiteral("Short/Tracks"));
    QDir().mkpath(shortTracks);
    const QString one = dir.filePath(QStringLiteral("one.flac"));
    makeTrack(one, 1, 440);
    for (int k = 0; k < 200; ++k)
        QFile::copy(one, shortTracks + QStringLiteral("/%1.flac").arg(k, 3, 10, QLatin1Char('0')));
    compare("200 tracks of 1 s", rounds,
            {QStringLiteral("tunoxa-batch -L -j 2"), QStringLiteral("ffmpeg -vn, xargs -P2")},
            {[&] { return timedShell(batchScript(shortTracks, out)); },
             [&] { return timedShell(ffmpegScript(shortTracks, out)); }});

    // The up-to-date library: every source a link of one short FLAC, every output a copy of its MP3
    // with a mark of its own, written after the sources.
    const QString library = dir.filePath(QStringLiteral("Music"));
    const QString copy = dir.filePath(QStringLiteral("mp3"));
    TestMedia::run(batchProgram(), {QStringLiteral("-L"), QStringLiteral("-o"),
                                    dir.filePath(QStringLiteral("template")), one});
    QFile templateFile(dir.filePath(QStringLiteral("template/one.mp3")));
    templateFile.open(QIODevice::ReadOnly);
    const QByteArray converted = templateFile.readAll();
    const std::optional<LibraryMark> templateMark = LibraryMark::read(templateFile.fileName());
    if (!templateMark) {
        std::fprintf(stderr, "the template MP3 carries no mark\n");
        return 1;
    }
    const QByteArray audio = converted.mid(10 + ((uchar(converted[6]) << 21) | (uchar(converted[7]) << 14) |
                                                 (uchar(converted[8]) << 7) | uchar(converted[9])));
    for (int k = 0; k < upToDate; ++k) {
        const QString folder = QStringLiteral("/Artist %1/Album %2").arg(k / 100).arg(k / 10);
        const QString name = QStringLiteral("/%1 Track").arg(k % 10 + 1, 2, 10, QLatin1Char('0'));
        QDir().mkpath(library + folder);
        QDir().mkpath(copy + QStringLiteral("/Music") + folder);
        if (::link(QFile::encodeName(one).constData(),
                   QFile::encodeName(library + folder + name + QStringLiteral(".flac")).constData()) != 0) {
            std::perror("cannot link a source of the up-to-date library");
            return 1;
        }
        LibraryMark mark = *templateMark;
        mark.source = library + folder + name + QStringLiteral(".flac");
        QFile output(copy + QStringLiteral("/Music") + folder + name + QStringLiteral(".mp3"));
        output.open(QIODevice::WriteOnly);
        output.write(markTag(mark) + audio);
    }
    const QString rsynced = dir.filePath(QStringLiteral("rsynced"));
    timedShell(QStringLiteral("rsync -a %1/ %2/").arg(quoted(library), quoted(rsynced)));
    const QString secondRun = QStringLiteral("%1 -L -j 2 -o %2 %3 > /dev/null")
                                  .arg(quoted(batchProgram()), quoted(copy), quoted(library));
    compare(qPrintable(QStringLiteral("second run over %1 up-to-date tracks").arg(upToDate)), rounds,
            {QStringLiteral("tunoxa-batch -L -j 2"), QStringLiteral("rsync -an")},
            {[&] { return timedShell(secondRun); },
             [&] {
                 return timedShell(QStringLiteral("rsync -an %1/ %2/").arg(quoted(library), quoted(rsynced)));
             }});
    // A run that only scans: its output folder cannot be made, so it ends once the library is listed.
    const auto peakKb = [&](const QString &command) {
        const TestMedia::ToolResult result = TestMedia::run(
            QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("/usr/bin/time -f '%M' ") + command +
                                                             QStringLiteral(" 2>&1 >/dev/null | tail -1")});
        return result.output.trimmed().toLongLong();
    };
    const qint64 full = peakKb(
        QStringLiteral("%1 -L -j 2 -o %2 %3").arg(quoted(batchProgram()), quoted(copy), quoted(library)));
    const qint64 scan =
        peakKb(QStringLiteral("%1 -L -o /proc/tunoxa %2").arg(quoted(batchProgram()), quoted(library)));
    std::printf("peak memory: second run %lld KiB, scan only %lld KiB: %.3f KiB per track\n",
                static_cast<long long>(full), static_cast<long long>(scan), double(full - scan) / upToDate);
    return 0;
}
