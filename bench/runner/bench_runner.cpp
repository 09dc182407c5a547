#include "common/faketools.h"
#include "common/processusage.h"
#include "common/runtoend.h"
#include "conversion/toolprogress.h"
#include "runner/toolrunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

qint64 realtimeNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

QString recorded(const QString &name)
{
    QFile file(QStringLiteral(TUNOXA_TESTS_DIR "/runner/data/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Pieces of at most 1024 characters ending at a line end, as the runner hands them over.
QStringList pieces(const QString &output)
{
    QStringList list;
    qsizetype at = 0;
    while (at < output.size()) {
        qsizetype length = qMin<qsizetype>(ToolRunner::ChunkBytes, output.size() - at);
        if (at + length < output.size()) {
            const QStringView window = QStringView(output).mid(at, length);
            const qsizetype end =
                qMax(window.lastIndexOf(QLatin1Char('\n')), window.lastIndexOf(QLatin1Char('\r')));
            if (end >= 0)
                length = end + 1;
        }
        list << output.mid(at, length);
        at += length;
    }
    return list;
}

void idleCost(const QString &folder)
{
    ToolRunner runner;
    const QString tool = FakeTools::write(folder, QStringLiteral("silent"), "exec sleep 10");
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = ProcessUsage::cpuSeconds();
    runToEnd(runner, {tool});
    const double cpu = ProcessUsage::cpuSeconds() - cpuBefore;
    const double seconds = wall.elapsed() / 1000.0;
    std::printf(
        "Waiting on a silent tool: %.2f s wall, %.3f s CPU = %.2f %% of the wall time (target < 2 %%)\n",
        seconds, cpu, 100 * cpu / seconds);
}

void endDelay(const QString &folder)
{
    const QString stamp = folder + QStringLiteral("/stamp");
    const struct
    {
        const char *label;
        QByteArray body;
    } kinds[] = {
        {"silent tool", "sleep \"$2\"; date +%s%N > \"$1\""},
        {"tool whose last line comes just before its end",
         "sleep \"$2\"; echo 'video:0kB audio:71kB muxing overhead: 0.3%'; date +%s%N > \"$1\""},
        {"tool that leaves 4 KB unread at its end",
         "sleep \"$2\"; printf '%4096s' '' | tr ' ' x; date +%s%N > \"$1\""},
    };
    for (const auto &kind : kinds) {
        const QString tool = FakeTools::write(folder, QStringLiteral("ending"), kind.body);
        QList<double> delays;
        for (int run = 0; run < 20; ++run) {
            ToolRunner runner;
            qint64 overAt = 0;
            QObject::connect(&runner, &ToolRunner::finished, &runner,
                             [&] { overAt = realtimeNanoseconds(); });
            // Ends at varied moments within the runner's passes.
            const QString pause = QString::number(0.1 + (run % 7) * 0.013, 'f', 3);
            runToEnd(runner, {tool, {stamp, pause}});
            QFile file(stamp);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            delays << (overAt - file.readAll().trimmed().toLongLong()) / 1e6;
        }
        std::sort(delays.begin(), delays.end());
        if (delays.isEmpty())
            continue;
        std::printf("Tool end to finished, %s (%d runs): min %.1f ms, median %.1f ms, max %.1f ms (target "
                    "< 5 ms)\n",
                    kind.label, int(delays.size()), delays.first(), delays.at(delays.size() / 2),
                    delays.last());
    }
}

void parserThroughput()
{
    const struct
    {
        const char *label;
        QString file;
        bool encoder;
    } outputs[] = {
        {"4-minute MP3 encode (transcoder reader)", QStringLiteral("ffmpeg-mp3-encode-4min.txt"), false},
        {"60-second AVI encode (encoder reader)", QStringLiteral("conv-avi-encode-60s.txt"), true},
    };
    for (const auto &output : outputs) {
        const QString text = recorded(output.file);
        if (text.isEmpty()) {
            std::printf("%s: recorded output missing\n", output.label);
            continue;
        }
        const QStringList chunks = pieces(text);
        ToolProgress display;
        constexpr int replays = 1000;
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < replays; ++k) {
            display.reset();
            for (const QString &chunk : chunks) {
                if (output.encoder)
                    display.readEncoderOutput(chunk);
                else
                    display.readTranscoderOutput(chunk);
            }
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        const double megabytes = double(text.toUtf8().size()) * replays / 1e6;
        std::printf("%s, %lld bytes in %d chunks, replayed %d times: %.1f MB in %.3f s = %.1f MB/s "
                    "(the runner delivers at most 0.02 MB/s at its pace)\n",
                    output.label, qint64(text.toUtf8().size()), int(chunks.size()), replays, megabytes,
                    seconds, megabytes / seconds);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    parserThroughput();
    endDelay(folder.path());
    idleCost(folder.path());
    return 0;
}
