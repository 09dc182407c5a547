// Prints what keeping a library's copy in step costs when nothing changed: a library of albums of
// short FLAC tracks whose MP3 copy (made by a first library-mode run) is up to date, run over
// again by tunoxa-batch -L -j N; wall time, and how many files the second run wrote or touched.
//
// bench_library [albums] [tracks] [N] [rounds] [reference]
//   (default: 200 albums of 10 tracks, N = 2, 3 rounds). reference: the program folder of another
//   build (an earlier version, say), whose second runs take turns with this build's over the same
//   copy; the ratios this / reference of each round follow.

#include "common/testmedia.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
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

// Every file below folder with its size and modification time, hidden ones too.
QMap<QString, QPair<qint64, QDateTime>> snapshot(const QString &folder)
{
    QMap<QString, QPair<qint64, QDateTime>> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files.insert(it.filePath(), {it.fileInfo().size(), it.fileInfo().lastModified()});
    }
    return files;
}

double runBatch(const QStringList &arguments, QByteArray *output,
                const QString &programFolder = TestMedia::programFolder())
{
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult result =
        TestMedia::run(programFolder + QStringLiteral("/tunoxa-batch"), arguments, 3600000);
    *output = result.output;
    if (result.exitCode != 0)
        std::fprintf(stderr, "tunoxa-batch failed:\n%s\n", result.output.right(2000).constData());
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int albums = argument(argc, argv, 1, 200);
    const int tracks = argument(argc, argv, 2, 10);
    const int files = argument(argc, argv, 3, 2);
    const int rounds = argument(argc, argv, 4, 3);
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    const QString library = dir.filePath(QStringLiteral("Music"));
    const QString copy = dir.filePath(QStringLiteral("mp3"));
    const QString track = dir.filePath(QStringLiteral("track.flac"));
    if (!TestMedia::makeFlac(track, 0.2)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(track));
        return 1;
    }
    for (int a = 0; a < albums; ++a) {
        const QString album = library + QStringLiteral("/Artist %1/Album %2").arg(a / 10).arg(a);
        QDir().mkpath(album);
        for (int t = 1; t <= tracks; ++t)
            QFile::copy(track, album + QStringLiteral("/%1 Track.flac").arg(t, 2, 10, QLatin1Char('0')));
    }
    const QStringList arguments{QStringLiteral("-L"),
                                QStringLiteral("-j"),
                                QString::number(files),
                                QStringLiteral("-o"),
                                copy,
                                library};
    QByteArray output;
    std::printf("library: %d albums of %d tracks, tunoxa-batch -L -j %d\n", albums, tracks, files);
    const double first = runBatch(arguments, &output);
    std::printf("first run (converts everything): %.2f s; %s\n", first,
                output.trimmed().split('\n').last().constData());
    QList<double> seconds;
    qsizetype changed = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto before = snapshot(copy);
        seconds.append(runBatch(arguments, &output));
        const auto after = snapshot(copy);
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            changed += before.value(it.key()) != it.value() ? 1 : 0;
        changed += before.size() - std::count_if(before.keyBegin(), before.keyEnd(),
                                                 [&](const QString &path) { return after.contains(path); });
        std::printf("second run, round %d: %.3f s; %s\n", round + 1, seconds.last(),
                    output.trimmed().split('\n').last().constData());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("second run over the unchanged library: min %.3f / median %.3f / max %.3f s, "
                "files written or changed: %lld\n",
                seconds.first(), seconds[seconds.size() / 2], seconds.last(),
                static_cast<long long>(changed));
    if (argc <= 5)
        return 0;
    const QString reference = QString::fromLocal8Bit(argv[5]);
    QList<double> ours;
    QList<double> theirs;
    QList<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        ours.append(runBatch(arguments, &output));
        theirs.append(runBatch(arguments, &output, reference));
        ratios.append(ours.last() / theirs.last());
    }
    for (QList<double> *figures : {&ours, &theirs, &ratios})
        std::sort(figures->begin(), figures->end());
    std::printf("this build / reference %s, second runs in turn: this min %.3f / median %.3f / max %.3f s, "
                "reference min %.3f / median %.3f / max %.3f s, ratio min %.2f / median %.2f / max %.2f\n",
                qPrintable(reference), ours.first(), ours[rounds / 2], ours.last(), theirs.first(),
                theirs[rounds / 2], theirs.last(), ratios.first(), ratios[rounds / 2], ratios.last());
    return 0;
}
