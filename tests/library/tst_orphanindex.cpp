// The outputs of a copy whose source is gone, and the folders kept from deletion, read from copies
// made here of marked MP3s, links and moves a process that is gone left unfinished.

#include "common/testfiles.h"
#include "conversion/partialoutput.h"
#include "library/librarymark.h"
#include "library/orphanindex.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// An MP3 whose ID3v2.3 tag holds the mark (unless source is empty); the audio's checksum comes from
// the source's file name, so that sources of one name have outputs of the same audio.
QByteArray mp3(const QByteArray &source)
{
    QByteArray frames;
    const QByteArray md5 =
        QCryptographicHash::hash(source.mid(source.lastIndexOf('/')), QCryptographicHash::Md5);
    const QList<QPair<QByteArray, QByteArray>> mark{
        {"TUNOXA_SOURCE", source}, {"TUNOXA_AUDIO_MD5", md5.toHex()}, {"TUNOXA_SETTINGS", "mp3 320 48000 2"}};
    for (const auto &[name, value] : source.isEmpty() ? decltype(mark)() : mark) {
        QByteArray size(4, '\0');
        qToBigEndian(quint32(2 + name.size() + value.size()), size.data());
        frames += "TXXX" + size + "\0\0\0"_ba + name + '\0' + value;
    }
    return "ID3\x03\0\0\0\0"_ba + char(frames.size() >> 7) + char(frames.size() & 0x7F) + frames +
           "\xFF\xFB\x90\x64"_ba + QByteArray(413, '\0');
}

} // namespace

class TestOrphanIndex : public QObject
{
    Q_OBJECT

private slots:
    // The layout's lines, paths below one temporary folder: "src S" a source of the run; "dir D" a
    // folder; "out O S" an output marked with source S ("plain O" unmarked); "move O S" such an output
    // under the hidden name of a move to O by a process that is gone; "plan O" an output the run's
    // sources map to; "link L T" a link to T.
    void orphans_data()
    {
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QStringList>("orphans"); // by their final names
        QTest::addColumn<QStringList>("kept");
        const QString source = u"src lib/Music/A/1.flac"_s;
        QTest::newRow("sources gone")
            << QStringList{source, u"out out/Music/A/1.mp3 lib/Music/A/1.flac"_s,
                           u"out out/Music/A/2.mp3 lib/Music/A/2.flac"_s,
                           u"out out/Music/B/2.mp3 lib/Music/B/2.flac"_s,
                           u"out out/Music/B/C/3.mp3 lib/Music/B/C/3.flac"_s}
            << QStringList{u"out/Music/A/2.mp3"_s, u"out/Music/B/2.mp3"_s, u"out/Music/B/C/3.mp3"_s}
            << QStringList();
        QTest::newRow("hidden, unmarked, planned, outside, linked")
            << QStringList{source,
                           u"out out/Music/A/.2.mp3 lib/Music/A/2.flac"_s,
                           u"plain out/Music/A/3.mp3"_s,
                           u"out out/Music/A/4.mp3 lib/Music/A/4.flac"_s,
                           u"plan out/Music/A/4.mp3"_s,
                           u"out out/Music/A/5.mp3 lib/Other/5.flac"_s,
                           u"out elsewhere/6.mp3 lib/Music/A/6.flac"_s,
                           u"link out/Music/A/6.mp3 elsewhere/6.mp3"_s,
                           u"link out/Music/L elsewhere"_s}
            << QStringList() << QStringList();
        QTest::newRow("library folder missing or holding no source")
            << QStringList{source, u"dir lib/Music/C"_s, u"out out/Music/C/1.mp3 lib/Music/C/1.flac"_s,
                           u"out out/Gone/1.mp3 lib/Gone/1.flac"_s}
            << QStringList() << QStringList{u"kept lib/Gone"_s, u"kept lib/Music/C"_s};
        QTest::newRow("link at the output root")
            << QStringList{source, u"out elsewhere/A/2.mp3 lib/Music/A/2.flac"_s,
                           u"link out/Music elsewhere"_s}
            << QStringList() << QStringList{u"link out/Music"_s};
        QTest::newRow("moves left unfinished")
            << QStringList{source,
                           u"move out/Music/A/3.mp3 lib/Music/A/3.flac"_s,
                           u"move out/Music/A/4.mp3 lib/Music/A/4.flac"_s,
                           u"plan out/Music/A/4.mp3"_s,
                           u"out out/Music/A/5.mp3 lib/Music/A/5.flac"_s,
                           u"move out/Music/A/5.mp3 lib/Music/A/5.flac"_s}
            << QStringList{u"out/Music/A/3.mp3"_s, u"out/Music/A/4.mp3"_s, u"out/Music/A/5.mp3"_s}
            << QStringList();
    }
    void orphans()
    {
        QFETCH(QStringList, layout);
        QFETCH(QStringList, orphans);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        const QString top = dir.path() + u'/';
        QList<QByteArray> sources;
        QSet<QString> planned;
        QSet<QString> keys;
        QStringList links;
        for (const QString &line : std::as_const(layout)) {
            const QStringList word = line.split(u' ');
            const QString path = top + word[1];
            QVERIFY(QDir().mkpath(word[0] == u"dir" ? path : QFileInfo(path).path()));
            if (word[0] == u"src") {
                QVERIFY(TestFiles::writeFile(path, "fLaC"));
                sources.append(QFile::encodeName(path));
            } else if (word[0] == u"plan") {
                planned.insert(path);
            } else if (word[0] == u"link") {
                QVERIFY(QFile::link(top + word[2], path));
                links.append(path);
            } else if (word[0] != u"dir") {
                const PartialOutput::Owner gone{PartialOutput::ownerHost(PartialOutput::hostName()),
                                                0x3FFFFFFF};
                const QString written = word[0] == u"move"
                                            ? PartialOutput::nameFor(path, gone, PartialOutput::Step::Moving)
                                            : path;
                QVERIFY(TestFiles::writeFile(written, mp3(word.size() > 2 ? (top + word[2]).toUtf8() : "")));
                keys.insert(LibraryMark::read(written).value_or(LibraryMark()).contentKey());
            }
        }
        OrphanIndex index;
        QSignalSpy finished(&index, &OrphanIndex::finished);
        index.start({{QFile::encodeName(top + u"lib/Music"_s), top + u"out/Music/"_s, top + u"out/"_s},
                     {QFile::encodeName(top + u"lib/Gone"_s), top + u"out/Gone/"_s, top + u"out/"_s}},
                    planned, sources, u".mp3"_s, false);
        QVERIFY(finished.wait(60000));
        const auto relative = [&top](const QString &path) { return path.mid(top.size()); };
        QStringList found;
        for (const OrphanIndex::Orphan &orphan : index.remaining())
            found.append(relative(orphan.finalPath));
        found.sort();
        QCOMPARE(found, orphans);
        QStringList keptFound;
        for (const KeptFolder &folder : index.keptFolders())
            keptFound.append((folder.reason == KeptFolder::Reason::Link ? u"link "_s : u"kept "_s) +
                             relative(folder.folder));
        keptFound.sort();
        QCOMPARE(keptFound, kept);

        // Moves nobody takes go back to their names; every other orphan is handed out once.
        index.putBackMoves();
        QStringList left;
        for (const OrphanIndex::Orphan &orphan : index.remaining()) {
            QCOMPARE(orphan.outputPath, orphan.finalPath);
            left.append(relative(orphan.finalPath));
        }
        QStringList handed;
        for (const QString &key : std::as_const(keys)) {
            while (const std::optional<OrphanIndex::Orphan> orphan = index.take(key))
                handed.append(relative(orphan->finalPath));
        }
        QVERIFY(index.remaining().isEmpty());
        QVERIFY(!index.take(*keys.begin()));
        for (const QString &name : std::as_const(orphans))
            QVERIFY2(QFileInfo(top + name).isFile(), qPrintable(name));
        handed.sort();
        left.sort();
        QCOMPARE(handed, left);
        for (const QString &link : std::as_const(links))
            QVERIFY(QFileInfo(link).isSymLink() && QFileInfo(link).exists());
    }
};

QTEST_GUILESS_MAIN(TestOrphanIndex)
#include "tst_orphanindex.moc"
