// Prints what keeping a library's copy in step costs when its owner changes the library, run by
// tunoxa-batch -L -j 2 as a user runs it:
//   retag:  albums of long tracks converted, then every track retagged (metaflac --set-tag): files
//           encoded again and the time of the run against the first conversion;
//   rename: albums of short tracks, a tenth of the album folders renamed: encodes and moves of a run
//           over the whole library;
//   delete: ten sources deleted: what --delete removes, against what it should;
//   empty:  the library folder replaced by an empty one (an unmounted disk): what is deleted, and
//           the exit status.
//
// bench_librarychanges [long albums] [long tracks] [seconds] [short albums] [short tracks]
//   (default: 20 albums of 10 tracks of 180 s; 200 albums of 10 tracks of 0.5 s)

#include "common/testmedia.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

struct Run
{
    double seconds = 0;
    int exitCode = -1;
    QByteArray output;

    int lines(const QByteArray &start) const
    {
        const QList<QByteArray> all = output.split('\n');
        return int(std::count_if(all.cbegin(), all.cend(),
                                 [&](const QByteArray &line) { return line.startsWith(start); }));
    }
    QByteArray last() const { return output.trimmed().split('\n').last(); }
};

Run batch(const QStringList &arguments)
{
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult result =
        TestMedia::run(TestMedia::programFolder() + QStringLiteral("/tunoxa-batch"), arguments, 36000000);
    return {clock.nsecsElapsed() / 1e9, result.exitCode, result.output};
}

QSet<QString> filesBelow(const QString &folder)
{
    QSet<QString> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.insert(it.next().mid(folder.size()));
    return files;
}

// A library of albums, each track a copy of one generated FLAC with a title of its own.
bool makeLibrary(const QString &library, const QString &track, int albums, int tracks)
{
    for (int a = 0; a < albums; ++a) {
        const QString album = library + QStringLiteral("/Artist %1/Album %2").arg(a / 10).arg(a);
        QDir().mkpath(album);
        for (int t = 1; t <= tracks; ++t) {
            const QString path = album + QStringLiteral("/%1 Track.flac").arg(t, 2, 10, QLatin1Char('0'));
            if (!QFile::copy(track, path) ||
                TestMedia::run(QStringLiteral("metaflac"),
                               {QStringLiteral("--set-tag=TITLE=Track %1").arg(t), path})
                        .exitCode != 0)
                return false;
        }
    }
    return true;
}

int argument(int argc, char *argv[], int index, int fallback)
{
    return argc > index ? std::max(1, QByteArray(argv[index]).toInt()) : fallback;
}

const QByteArray converted("完成：");

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int longAlbums = argument(argc, argv, 1, 20);
    const int longTracks = argument(argc, argv, 2, 10);
    const int seconds = argument(argc, argv, 3, 180);
    const int shortAlbums = argument(argc, argv, 4, 200);
    const int shortTracks = argument(argc, argv, 5, 10);
    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());
    qputenv("LC_ALL", "C.UTF-8");
    const QString copy = dir.filePath(QStringLiteral("mp3"));

    // Pink noise, so that the encoder works as on music.
    const QString longTrack = dir.filePath(QStringLiteral("long.flac"));
    TestMedia::run(QStringLiteral("sox"),
                   {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("44100"), QStringLiteral("-c"),
                    QStringLiteral("2"), QStringLiteral("-b"), QStringLiteral("16"), longTrack,
                    QStringLiteral("synth"), QString::number(seconds), QStringLiteral("pinknoise"),
                    QStringLiteral("vol"), QStringLiteral("0.3")});
    const QString albums = dir.filePath(QStringLiteral("Albums"));
    if (!makeLibrary(albums, longTrack, longAlbums, longTracks)) {
        std::fprintf(stderr, "cannot make the library\n");
        return 1;
    }
    const QStringList onAlbums{QStringLiteral("-L"), QStringLiteral("-j2"), QStringLiteral("-o"), copy,
                               albums};
    const Run first = batch(onAlbums);
    QDirIterator sources(albums, {QStringLiteral("*.flac")}, QDir::Files, QDirIterator::Subdirectories);
    while (sources.hasNext())
        TestMedia::run(QStringLiteral("metaflac"),
                       {QStringLiteral("--set-tag=GENRE=Retagged"), sources.next()});
    const Run retag = batch(onAlbums);
    std::printf(
        "retag (%d albums of %d tracks of %d s): first conversion %.2f s; after retagging every track: "
        "%.2f s (%.3f of the first), encoded %d, retagged %d; %s\n",
        longAlbums, longTracks, seconds, first.seconds, retag.seconds, retag.seconds / first.seconds,
        retag.lines(converted), retag.lines("更新标签："), retag.last().constData());

    const QString library = dir.filePath(QStringLiteral("Music"));
    const QString shortTrack = dir.filePath(QStringLiteral("short.flac"));
    if (!TestMedia::makeFlac(shortTrack, 0.5) ||
        !makeLibrary(library, shortTrack, shortAlbums, shortTracks)) {
        std::fprintf(stderr, "cannot make the library\n");
        return 1;
    }
    const QStringList onLibrary{QStringLiteral("-L"), QStringLiteral("-j2"), QStringLiteral("-o"), copy,
                                library};
    batch(onLibrary);
    const int renamed = std::max(1, shortAlbums / 10);
    for (int a = 0; a < renamed; ++a)
        QDir().rename(library + QStringLiteral("/Artist %1/Album %2").arg(a / 10).arg(a),
                      library + QStringLiteral("/Artist %1/Album %2 (Remaster)").arg(a / 10).arg(a));
    const Run moves = batch(onLibrary);
    std::printf("rename (%d of %d albums of %d tracks): %.2f s, encoded %d, moved %d; %s\n", renamed,
                shortAlbums, shortTracks, moves.seconds, moves.lines(converted), moves.lines("移动："),
                moves.last().constData());

    const QSet<QString> before = filesBelow(copy);
    QSet<QString> expected;
    for (int k = 0; k < 10; ++k) {
        const int a = renamed + k * (shortAlbums - renamed) / 10;
        const QString name = QStringLiteral("/Artist %1/Album %2/01 Track").arg(a / 10).arg(a);
        QFile::remove(library + name + QStringLiteral(".flac"));
        expected.insert(QStringLiteral("/Music") + name + QStringLiteral(".mp3"));
    }
    const Run deletes = batch(onLibrary + QStringList{QStringLiteral("--delete")});
    const QSet<QString> removed = before - filesBelow(copy);
    std::printf("delete (10 sources): %.2f s, exit %d, deleted %d, exactly those: %s; %s\n", deletes.seconds,
                deletes.exitCode, int(removed.size()), removed == expected ? "yes" : "no",
                deletes.last().constData());

    QDir(library).removeRecursively();
    QDir().mkpath(library);
    const qsizetype kept = filesBelow(copy).size();
    const Run empty = batch(onLibrary + QStringList{QStringLiteral("--delete")});
    std::printf("empty library folder: exit %d, deleted %lld; %s\n", empty.exitCode,
                static_cast<long long>(kept - filesBelow(copy).size()), empty.output.trimmed().constData());
    return 0;
}
