// Prints what the check of a finished MP3 costs: the output read back with no tool (its Info
// frame's count, or every frame walked when it has none) and compared with its source's length,
// per MP3 of 60 s and 300 s at 320 kbit/s, as min / median / max in milliseconds.
//
// bench_outputcheck [rounds]   (default 200)

#include "common/testmedia.h"
#include "conversion/outputcheck.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

bool makeMp3(const QString &path, int seconds, bool infoFrame)
{
    QStringList args{QStringLiteral("-v"),   QStringLiteral("error"),
                     QStringLiteral("-f"),   QStringLiteral("lavfi"),
                     QStringLiteral("-i"),   QStringLiteral("sine=duration=%1").arg(seconds),
                     QStringLiteral("-b:a"), QStringLiteral("320k")};
    if (!infoFrame)
        args << QStringLiteral("-write_xing") << QStringLiteral("0");
    return TestMedia::run(QStringLiteral("ffmpeg"), args << path).exitCode == 0;
}

void measure(const char *label, const QString &path, double expected, int rounds)
{
    QList<double> ms;
    for (int k = 0; k < rounds; ++k) {
        QElapsedTimer timer;
        timer.start();
        const bool whole = OutputCheck::audioWhole(path, expected);
        ms.append(timer.nsecsElapsed() / 1e6);
        if (!whole) {
            std::printf("%-36s refused as incomplete\n", label);
            return;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-36s %7.3f %7.3f %7.3f ms\n", label, ms.first(), ms[ms.size() / 2], ms.last());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 200;
    QTemporaryDir dir;
    std::printf("output check per MP3 (%d rounds): min / median / max\n", rounds);
    for (const int seconds : {60, 300}) {
        for (const bool infoFrame : {true, false}) {
            const QString path = dir.filePath(QStringLiteral("%1-%2.mp3").arg(seconds).arg(infoFrame));
            if (!makeMp3(path, seconds, infoFrame)) {
                std::fprintf(stderr, "ffmpeg could not make %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray label =
                QStringLiteral("%1 s, %2")
                    .arg(seconds)
                    .arg(infoFrame ? QStringLiteral("Info frame") : QStringLiteral("frames walked"))
                    .toUtf8();
            measure(label.constData(), path, seconds, rounds);
        }
    }
    return 0;
}
