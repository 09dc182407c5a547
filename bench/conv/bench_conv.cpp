// Prints how much conv costs over running its ffmpeg command directly on a 60 s clip, and how
// many bytes of progress it prints per second of run.

#include "common/testmedia.h"
#include "convmapping.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int rounds = 3;

struct Timing
{
    double seconds = 0;
    qsizetype outputBytes = 0;
    bool ok = false;
};

Timing timed(const QString &program, const QStringList &arguments)
{
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult r = TestMedia::run(program, arguments, 600000);
    return {clock.nsecsElapsed() / 1e9, r.output.size(), r.exitCode == 0};
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void compare(const QString &name, const QStringList &convArguments)
{
    const QString conv = TestMedia::programFolder() + QStringLiteral("/data/conv");
    const ConvMapping::Plan plan = ConvMapping::map(convArguments);
    const QStringList direct = QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                                           QStringLiteral("-loglevel"), QStringLiteral("error")} +
                               plan.ffmpegArguments;
    QList<double> convTimes;
    QList<double> directTimes;
    QList<double> progressRates;
    for (int i = 0; i < rounds; ++i) {
        // Alternate, so that a busy moment of the machine falls on both sides.
        const Timing c = timed(conv, convArguments);
        const Timing d = timed(QStringLiteral("ffmpeg"), direct);
        if (!c.ok || !d.ok) {
            std::printf("%s: a run failed (conv %d, ffmpeg %d)\n", qPrintable(name), c.ok, d.ok);
            return;
        }
        convTimes << c.seconds;
        directTimes << d.seconds;
        progressRates << c.outputBytes / c.seconds;
    }
    const double convMedian = median(convTimes);
    const double directMedian = median(directTimes);
    std::printf("%-14s conv %6.2f s   ffmpeg %6.2f s   ratio %.3f (target <= 1.05)   progress %6.0f B/s "
                "(target < 1024)\n",
                qPrintable(name), convMedian, directMedian, convMedian / directMedian, median(progressRates));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString clip = dir.filePath(QStringLiteral("clip60.mp4"));
    std::printf("Making a 60 s 640x480 clip...\n");
    if (!TestMedia::makeVideo(clip, 60,
                              {QStringLiteral("-vf"), QStringLiteral("noise=alls=20:allf=t"),
                               QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                               QStringLiteral("veryfast")},
                              QStringLiteral("640x480"))) {
        std::printf("could not make the clip\n");
        return 1;
    }
    std::printf("median of %d rounds each\n", rounds);
    compare(QStringLiteral("intermediate"),
            QString(clip +
                    QStringLiteral(" -oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts "
                                   "vcodec=mpeg4:vbitrate=1200 -of avi -o ") +
                    dir.filePath(QStringLiteral("tmp.mp4")))
                .split(QLatin1Char(' ')));
    compare(QStringLiteral("MPG"), QString(clip +
                                           QStringLiteral(" -oac lavc -lavcopts acodec=mp2:abitrate=64 -ovc "
                                                          "lavc -lavcopts vcodec=mpeg1video:vbitrate=600:"
                                                          "vpass=1 -ofps 24 -of lavf -lavfopts "
                                                          "format=yuv4mpeg -o ") +
                                           dir.filePath(QStringLiteral("out.mpg")))
                                       .split(QLatin1Char(' ')));
    return 0;
}
