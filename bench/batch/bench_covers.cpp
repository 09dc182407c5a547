// Prints what a large cover costs library mode: an album of 10 tracks of 60 s, each embedding one
// 3000 x 3000 progressive JPEG, converted by tunoxa-batch -L -j 2 (which writes the cover once as a
// 1000 px baseline JPEG and puts that into every track) against the same run that keeps the cover
// as it is: another build's (the reference, an earlier version that copied covers unchanged), or
// without one this build with --cover-size 0 on the same album with a baseline cover. The runs take
// turns; min / median / max of each and of the ratios.
//
// bench_covers [rounds] [reference program folder]   (default: 5 rounds)

#include "common/testmedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double timedBatch(const QString &programFolder, const QStringList &arguments, const QString &output)
{
    QDir(output).removeRecursively();
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult result =
        TestMedia::run(programFolder + QStringLiteral("/tunoxa-batch"),
                       arguments + QStringList{QStringLiteral("-o"), output});
    if (result.exitCode != 0)
        std::fprintf(stderr, "tunoxa-batch failed:\n%s\n", result.output.right(1000).constData());
    return clock.nsecsElapsed() / 1e9;
}

QString figures(QList<double> values, const char *format)
{
    std::sort(values.begin(), values.end());
    return QString::asprintf(format, values.first()) + QStringLiteral(" / ") +
           QString::asprintf(format, values[values.size() / 2]) + QStringLiteral(" / ") +
           QString::asprintf(format, values.last());
}

bool makeAlbum(const QString &album, const QString &cover)
{
    QDir().mkpath(album);
    for (int k = 1; k <= 10; ++k) {
        const QString track = album + QStringLiteral("/%1.flac").arg(k, 2, 10, QLatin1Char('0'));
        if (TestMedia::run(QStringLiteral("sox"),
                           {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"),
                            QStringLiteral("-c"), QStringLiteral("2"), QStringLiteral("-b"),
                            QStringLiteral("16"), track, QStringLiteral("synth"), QStringLiteral("60"),
                            QStringLiteral("pinknoise"), QStringLiteral("vol"), QStringLiteral("0.3")})
                    .exitCode != 0 ||
            TestMedia::run(QStringLiteral("metaflac"),
                           {QStringLiteral("--import-picture-from=") + cover, track})
                    .exitCode != 0)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QString reference = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    const QString progressive = dir.filePath(QStringLiteral("progressive.jpg"));
    const QString baseline = dir.filePath(QStringLiteral("baseline.jpg"));
    for (const auto &[path, interlace] :
         {std::pair{progressive, QStringLiteral("Plane")}, std::pair{baseline, QStringLiteral("None")}})
        TestMedia::run(QStringLiteral("convert"),
                       {QStringLiteral("-size"), QStringLiteral("3000x3000"), QStringLiteral("plasma:"),
                        QStringLiteral("-interlace"), interlace, QStringLiteral("-quality"),
                        QStringLiteral("92"), path});
    const QString scaledAlbum = dir.filePath(QStringLiteral("Progressive"));
    const QString keptAlbum = dir.filePath(QStringLiteral("Baseline"));
    if (!makeAlbum(scaledAlbum, progressive) || (reference.isEmpty() && !makeAlbum(keptAlbum, baseline))) {
        std::fprintf(stderr, "cannot make the album\n");
        return 1;
    }
    const QString ours = TestMedia::programFolder();
    const QStringList scaling{QStringLiteral("-L"), QStringLiteral("-j"), QStringLiteral("2"), scaledAlbum};
    const QStringList keeping =
        reference.isEmpty()
            ? QStringList{QStringLiteral("-L"),           QStringLiteral("-j"), QStringLiteral("2"),
                          QStringLiteral("--cover-size"), QStringLiteral("0"),  keptAlbum}
            : scaling;
    QList<double> scaled;
    QList<double> kept;
    QList<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        const double a = timedBatch(ours, scaling, dir.filePath(QStringLiteral("out-scaled")));
        const double b = timedBatch(reference.isEmpty() ? ours : reference, keeping,
                                    dir.filePath(QStringLiteral("out-kept")));
        scaled.append(a);
        kept.append(b);
        ratios.append(a / b);
    }
    std::printf("10 tracks of 60 s with a 3000 px cover, %d rounds, min / median / max:\n"
                "  scaled once to 1000 px:       %s s\n  kept as it is (%s): %s s\n  ratio: %s\n",
                rounds, qPrintable(figures(scaled, "%.3f")),
                reference.isEmpty() ? "--cover-size 0, baseline" : qPrintable(reference),
                qPrintable(figures(kept, "%.3f")), qPrintable(figures(ratios, "%.3f")));
    return 0;
}
