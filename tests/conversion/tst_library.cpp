#include "common/listrows.h"
#include "runfixture.h"

#include "conversion/runtexts.h"
#include "filelist/filesearch.h"
#include "platform/appdirs.h"

#include <QDirIterator>
#include <QJsonArray>

using namespace Qt::StringLiterals;

// Library mode as a user keeps a copy of a library with it: the albums' folders and plain names,
// the cover in every MP3, and a second run that touches nothing that is up to date.
class TestLibrary : public QObject
{
    Q_OBJECT

    // The library: two artists whose albums both open with "01 Intro.flac" (one with a cover), and
    // a single file added by itself.
    struct Library
    {
        RunFixture f;
        QString music;
        QString single;
        QString coveredIntro;

        Library()
        {
            f.settings.libraryMode = true;
            f.host.outputFolder += QLatin1Char('/');
            music = f.path(QStringLiteral("Music"));
            single = f.path(QStringLiteral("single.flac"));
            coveredIntro = music + QStringLiteral("/Artist A/Album A/01 Intro.flac");
        }

        bool make()
        {
            const QString plain = f.path(QStringLiteral("plain.flac"));
            const QString cover = f.path(QStringLiteral("cover.png"));
            return QDir().mkpath(music + QStringLiteral("/Artist A/Album A")) &&
                   QDir().mkpath(music + QStringLiteral("/Artist B/Album B")) &&
                   TestMedia::makeFlac(plain, 2, 44100, 2, 16,
                                       {{QStringLiteral("TITLE"), QStringLiteral("序曲")}}) &&
                   TestMedia::run(QStringLiteral("ffmpeg"),
                                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                   QStringLiteral("lavfi"), QStringLiteral("-i"),
                                   QStringLiteral("testsrc=size=64x64:duration=1"),
                                   QStringLiteral("-frames:v"), QStringLiteral("1"), cover})
                           .exitCode == 0 &&
                   TestMedia::run(QStringLiteral("ffmpeg"),
                                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), plain,
                                   QStringLiteral("-i"), cover, QStringLiteral("-map"), QStringLiteral("0"),
                                   QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c"),
                                   QStringLiteral("copy"), QStringLiteral("-disposition:v"),
                                   QStringLiteral("attached_pic"), coveredIntro})
                           .exitCode == 0 &&
                   QFile::copy(plain, music + QStringLiteral("/Artist B/Album B/01 Intro.flac")) &&
                   QFile::copy(plain, single);
        }

        // The library folder and the single file, as adding them gives them to the list.
        void add()
        {
            f.files.addFiles({QFile::encodeName(coveredIntro),
                              QFile::encodeName(music + QStringLiteral("/Artist B/Album B/01 Intro.flac"))},
                             QFile::encodeName(music));
            f.files.addFile(single);
        }

        // Every file below the output folder, hidden ones too, with its modification time.
        QMap<QString, QDateTime> written() const
        {
            QMap<QString, QDateTime> files;
            QDirIterator it(f.host.outputFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                files.insert(it.filePath().mid(f.host.outputFolder.size()), it.fileInfo().lastModified());
            }
            return files;
        }
    };

private slots:
    void albumsKeepTheirFoldersNamesAndCovers()
    {
        Library library;
        QVERIFY(library.make());
        library.add();
        QVERIFY(library.f.startAndWait());

        QVERIFY2(library.f.files.isEmpty(),
                 qPrintable(library.f.files.failureReason(rowId(library.f.files, 0))));
        // One tool for each healthy FLAC: the encode, which reads the source itself.
        const QStringList started = library.f.log.filter(QStringLiteral("start "));
        QCOMPARE(started.filter(QRegularExpression(QStringLiteral(" coder$"))), started);
        QCOMPARE(started.size(), 3);
        const QMap<QString, QDateTime> first = library.written();
        QCOMPARE(first.keys(), (QStringList{QStringLiteral("Music/Artist A/Album A/01 Intro.mp3"),
                                            QStringLiteral("Music/Artist B/Album B/01 Intro.mp3"),
                                            QStringLiteral("single.mp3")}));
        const QJsonObject covered = TestMedia::probe(library.f.host.outputFolder + first.firstKey());
        QCOMPARE(TestMedia::tag(covered, QStringLiteral("title")), QStringLiteral("序曲"));
        const QJsonObject picture = TestMedia::firstStream(covered, QStringLiteral("video"));
        QCOMPARE(picture.value(QStringLiteral("codec_name")).toString(), QStringLiteral("png"));
        QCOMPARE(picture.value(QStringLiteral("disposition"))
                     .toObject()
                     .value(QStringLiteral("attached_pic"))
                     .toInt(),
                 1);
        const QString plain =
            library.f.host.outputFolder + QStringLiteral("Music/Artist B/Album B/01 Intro.mp3");
        QVERIFY(TestMedia::firstStream(TestMedia::probe(plain), QStringLiteral("video")).isEmpty());

        // A second run over the unchanged library writes nothing: every file is up to date.
        QSignalSpy skipped(&library.f.run, &ConversionRun::fileSkipped);
        library.add();
        QVERIFY(library.f.startAndWait());
        QCOMPARE(skipped.size(), 3);
        QVERIFY(library.f.files.isEmpty());
        QCOMPARE(library.written(), first);

        // A source changed since: converted again in its place; the others stay as they were.
        QFile source(library.single);
        QVERIFY(source.open(QIODevice::ReadWrite));
        QVERIFY(
            source.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        source.close();
        skipped.clear();
        library.add();
        QVERIFY(library.f.startAndWait());
        QCOMPARE(skipped.size(), 2);
        const QMap<QString, QDateTime> third = library.written();
        QCOMPARE(third.keys(), first.keys());
        QVERIFY(third.value(QStringLiteral("single.mp3")) > first.value(QStringLiteral("single.mp3")));
        QCOMPARE(third.first(), first.first());
    }

    // What stands in an output's place decides: a dry run tells and writes nothing; a short output
    // is replaced; a folder, a text file or a second source of the same run is left alone and the
    // file fails.
    void whatIsThereDecides_data()
    {
        QTest::addColumn<QString>("there"); // what stands at out/single.mp3 before the run
        QTest::addColumn<bool>("dryRun");
        QTest::addColumn<QString>("outcome"); // converted, replaced, planned, or the failure reason
        const QString occupied = QStringLiteral("输出位置已被占用");
        QTest::newRow("nothing, dry run") << QString() << true << QStringLiteral("planned");
        QTest::newRow("short output, dry run")
            << QStringLiteral("short") << true << QStringLiteral("planned");
        QTest::newRow("short output") << QStringLiteral("short") << false << QStringLiteral("replaced");
        // What a kill leaves while an output takes its name on FAT.
        QTest::newRow("an empty file") << QStringLiteral("empty") << false << QStringLiteral("replaced");
        QTest::newRow("a folder") << QStringLiteral("folder") << false << occupied;
        QTest::newRow("a text file") << QStringLiteral("text") << false << occupied;
        QTest::newRow("the same name twice in one run") << QStringLiteral("twice") << false << occupied;
    }
    void whatIsThereDecides()
    {
        QFETCH(QString, there);
        QFETCH(bool, dryRun);
        QFETCH(QString, outcome);
        Library library;
        RunFixture &f = library.f;
        QVERIFY(TestMedia::makeFlac(library.single, 3));
        const QString output = f.host.outputFolder + QStringLiteral("single.mp3");
        QVERIFY(QDir().mkpath(f.host.outputFolder));
        if (there == QStringLiteral("short")) {
            QVERIFY(TestMedia::run(QStringLiteral("ffmpeg"),
                                   {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                                    QStringLiteral("lavfi"), QStringLiteral("-i"),
                                    QStringLiteral("sine=duration=1"), output})
                        .exitCode == 0);
        } else if (there == QStringLiteral("empty")) {
            QFile empty(output);
            QVERIFY(empty.open(QIODevice::WriteOnly));
        } else if (there == QStringLiteral("folder")) {
            QVERIFY(QDir().mkpath(output));
        } else if (there == QStringLiteral("text")) {
            QFile text(output);
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("notes\n") == 6);
        } else if (there == QStringLiteral("twice")) {
            QVERIFY(QDir().mkpath(f.path(QStringLiteral("copy"))));
            QVERIFY(QFile::copy(library.single, f.path(QStringLiteral("copy/single.flac"))));
            f.files.addFile(f.path(QStringLiteral("copy/single.flac")));
        }
        const QMap<QString, QDateTime> before = library.written();
        f.run.setDryRun(dryRun);
        QSignalSpy planned(&f.run, &ConversionRun::filePlanned);
        QSignalSpy converted(&f.run, &ConversionRun::fileConverted);
        const FileList::Id id = f.files.addFile(library.single);
        QVERIFY(f.startAndWait());

        if (outcome == QStringLiteral("planned")) {
            QCOMPARE(planned.size(), 1);
            QCOMPARE(planned[0][1].toString(), output);
            QCOMPARE(planned[0][2].toBool(), !there.isEmpty());
            QCOMPARE(library.written(), before);
            return;
        }
        if (outcome == QStringLiteral("replaced")) {
            QCOMPARE(converted.size(), 1);
            QCOMPARE(converted[0][1].toString(), output);
            QVERIFY(qAbs(TestMedia::durationSeconds(TestMedia::probe(output)) - 3) < 0.1);
            QCOMPARE(library.written().keys(), QStringList{QStringLiteral("single.mp3")});
            return;
        }
        QVERIFY(markedFailed(f.files, id));
        QCOMPARE(f.files.failureReason(id), outcome);
        if (there != QStringLiteral("twice"))
            QCOMPARE(library.written(), before);
    }

    // The copy follows what its owner does to the library: a retag rewrites tags, a rename moves,
    // a deletion deletes when asked; nothing is encoded that need not be, and nothing is deleted
    // that is not a marked output of a source that is gone.
    void copyFollowsTheLibrary_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("deleting");
        QTest::addColumn<QStringList>("copy");  // below out/Music/ afterwards
        QTest::addColumn<QList<int>>("counts"); // converted, retagged, moved, deleted
        const QString a1 = QStringLiteral("A/Album/1.mp3");
        const QString a2 = QStringLiteral("A/Album/2.mp3");
        const QString solo = QStringLiteral("B/Solo Act/1.mp3");
        const QString notes = QStringLiteral("A/Album/notes.mp3");
        QTest::newRow("retag") << u"retag"_s << false << QStringList{a1, a2, solo} << QList<int>{0, 2, 0, 0};
        QTest::newRow("rename") << u"rename"_s << false << QStringList{a1, a2, u"B/Solo Artist/1.mp3"_s}
                                << QList<int>{0, 0, 1, 0};
        QTest::newRow("move to another artist")
            << u"move"_s << false << QStringList{a1, a2, u"A/Solo Act/1.mp3"_s} << QList<int>{0, 0, 1, 0};
        // The artist folder left empty could be an unmounted disk: what it held stays, and is encoded anew.
        QTest::newRow("move, artist folder left empty")
            << u"move, folder left"_s << false << QStringList{a1, a2, u"A/Solo Act/1.mp3"_s, solo}
            << QList<int>{1, 0, 0, 0};
        QTest::newRow("delete, not asked")
            << u"delete"_s << false << QStringList{a1, a2, solo} << QList<int>{0, 0, 0, 0};
        QTest::newRow("delete") << u"delete"_s << true << QStringList{a1, solo} << QList<int>{0, 0, 0, 1};
        QTest::newRow("delete, answered no")
            << u"delete, no"_s << true << QStringList{a1, a2, solo} << QList<int>{0, 0, 0, 0};
        QTest::newRow("delete beside an unmarked MP3")
            << u"delete, notes"_s << true << QStringList{a1, notes, solo} << QList<int>{0, 0, 0, 1};
        // An album folder that holds no source any more may be an unmounted disk.
        QTest::newRow("album emptied")
            << u"empty"_s << true << QStringList{a1, a2, solo} << QList<int>{0, 0, 0, 0};
    }
    void copyFollowsTheLibrary()
    {
        QFETCH(QString, change);
        QFETCH(bool, deleting);
        QFETCH(QStringList, copy);
        QFETCH(QList<int>, counts);
        RunFixture f;
        f.settings.libraryMode = true;
        f.host.outputFolder += QLatin1Char('/');
        const QString music = f.path(u"Music"_s);
        for (const QString &track : {u"A/Album/1.flac"_s, u"A/Album/2.flac"_s, u"B/Solo Act/1.flac"_s}) {
            QVERIFY(QDir().mkpath(QFileInfo(music + u'/' + track).path()));
            QVERIFY(TestMedia::makeFlac(music + u'/' + track, 1, 44100, 2, 16, {{u"TITLE"_s, track}}));
        }
        const auto runOverTheLibrary = [&] {
            FileSearch::FolderScan scan;
            QSignalSpy scanned(&scan, &FileSearch::FolderScan::finished);
            QObject::connect(
                &scan, &FileSearch::FolderScan::filesFound, &f.files,
                [&](const QList<QByteArray> &paths) { f.files.addFiles(paths, QFile::encodeName(music)); });
            scan.start(QFile::encodeName(music));
            return (scanned.size() > 0 || scanned.wait()) && f.startAndWait();
        };
        QVERIFY(runOverTheLibrary());
        QVERIFY(f.files.isEmpty());
        const QString album = music + u"/A/Album/"_s;
        if (change == u"retag") {
            for (const QString &track : {u"1.flac"_s, u"2.flac"_s}) {
                QCOMPARE(TestMedia::run(u"metaflac"_s, {u"--set-tag=GENRE=Jazz"_s, album + track}).exitCode,
                         0);
                QFile source(album + track);
                QVERIFY(source.open(QIODevice::ReadWrite) &&
                        source.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                           QFileDevice::FileModificationTime));
            }
        } else if (change == u"rename") {
            QVERIFY(QDir(music).rename(u"B/Solo Act"_s, u"B/Solo Artist"_s));
        } else if (change.startsWith(u"move")) {
            QVERIFY(QDir(music).rename(u"B/Solo Act"_s, u"A/Solo Act"_s));
            QVERIFY(change.endsWith(u"left") || QDir(music).rmdir(u"B"_s));
        } else if (change.startsWith(u"delete")) {
            QVERIFY(QFile::remove(album + u"2.flac"_s));
            f.services.answerYes = !change.endsWith(u"no");
            if (change.endsWith(u"notes"))
                QVERIFY(QFile::copy(f.host.outputFolder + u"Music/A/Album/2.mp3"_s,
                                    f.host.outputFolder + u"Music/A/Album/notes.mp3"_s) &&
                        TestMedia::run(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s,
                                                     u"-i"_s, u"sine=duration=1"_s,
                                                     f.host.outputFolder + u"Music/A/Album/notes.mp3"_s})
                                .exitCode == 0);
        } else {
            QVERIFY(QFile::remove(music + u"/B/Solo Act/1.flac"_s));
        }
        f.settings.deleteOrphans = deleting;
        QSignalSpy converted(&f.run, &ConversionRun::fileConverted);
        QSignalSpy retagged(&f.run, &ConversionRun::fileRetagged);
        QSignalSpy moved(&f.run, &ConversionRun::fileMoved);
        QSignalSpy deleted(&f.run, &ConversionRun::outputDeleted);
        f.services.messages.clear();
        QVERIFY(runOverTheLibrary());

        QVERIFY2(f.files.isEmpty(), qPrintable(f.files.failureReason(rowId(f.files, 0))));
        QStringList written;
        QDirIterator it(f.host.outputFolder + u"Music"_s, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            written.append(it.next().mid(f.host.outputFolder.size() + 6));
        written.sort();
        QCOMPARE(written, copy);
        QCOMPARE(
            (QList<int>{int(converted.size()), int(retagged.size()), int(moved.size()), int(deleted.size())}),
            counts);
        if (change == u"retag")
            QCOMPARE(
                TestMedia::tag(TestMedia::probe(f.host.outputFolder + u"Music/A/Album/1.mp3"_s), u"genre"_s),
                u"Jazz"_s);
        // Folders left empty go with what was moved away or deleted.
        QCOMPARE(QFileInfo::exists(f.host.outputFolder + u"Music/B/Solo Act"_s),
                 copy.contains(u"B/Solo Act/1.mp3"_s));
        QCOMPARE(f.services.questions.size(), deleting && change != u"empty" ? 1 : 0);
        const QStringList kept = f.run.keptLibraryFolders();
        QCOMPARE(kept, change == u"empty" ? QStringList{music + u"/B/Solo Act"_s} : QStringList());
    }

    // What players show of the copy: the cover a source embeds, else its folder's, at a size they
    // take and as the front cover; track and disc totals and several artists as ID3v2.3 has them.
    void coversAndTagsAsPlayersReadThem_data()
    {
        QTest::addColumn<QString>("cover");
        QTest::addColumn<QString>("codec"); // of the MP3's picture; empty: none
        QTest::addColumn<QSize>("size");
        QTest::newRow("embedded") << u"embedded"_s << u"png"_s << QSize(64, 48);
        QTest::newRow("folder.jpg only") << u"folder"_s << u"mjpeg"_s << QSize(300, 200);
        QTest::newRow("both: the embedded one") << u"both"_s << u"png"_s << QSize(64, 48);
        QTest::newRow("3000 px progressive JPEG") << u"large"_s << u"mjpeg"_s << QSize(1000, 667);
        QTest::newRow("none") << u"none"_s << QString() << QSize();
    }
    void coversAndTagsAsPlayersReadThem()
    {
        QFETCH(QString, cover);
        QFETCH(QString, codec);
        QFETCH(QSize, size);
        RunFixture f;
        f.settings.libraryMode = true;
        const QString album = f.path(u"Music/Album"_s);
        const QString source = album + u"/01.flac"_s;
        QVERIFY(QDir().mkpath(album) &&
                TestMedia::makeFlac(source, 1, 44100, 2, 16, {{u"TRACKNUMBER"_s, u"3"_s}}));
        QCOMPARE(TestMedia::run(u"metaflac"_s, {u"--set-tag=TRACKTOTAL=9"_s, u"--set-tag=DISCNUMBER=1"_s,
                                                u"--set-tag=DISCTOTAL=2"_s, u"--set-tag=ARTIST=A1"_s,
                                                u"--set-tag=ARTIST=A2"_s,
                                                u"--set-tag=REPLAYGAIN_TRACK_GAIN=-3.2 dB"_s, source})
                     .exitCode,
                 0);
        if (cover == u"embedded" || cover == u"both") {
            QVERIFY(TestMedia::makePicture(f.path(u"small.png"_s)));
            QCOMPARE(
                TestMedia::run(u"metaflac"_s, {u"--import-picture-from="_s + f.path(u"small.png"_s), source})
                    .exitCode,
                0);
        }
        if (cover == u"folder" || cover == u"both")
            QVERIFY(TestMedia::makePicture(album + u"/Folder.JPG"_s, u"300x200"_s));
        if (cover == u"large")
            QCOMPARE(TestMedia::run(u"convert"_s, {u"-size"_s, u"3000x2000"_s, u"plasma:"_s, u"-interlace"_s,
                                                   u"Plane"_s, album + u"/front.jpg"_s})
                         .exitCode,
                     0);
        QSignalSpy converted(&f.run, &ConversionRun::fileConverted);
        f.files.addFiles({QFile::encodeName(source)}, QFile::encodeName(f.path(u"Music"_s)));
        QVERIFY(f.startAndWait());
        QCOMPARE(converted.size(), 1);
        const QString mp3 = converted[0][1].toString();
        const QJsonObject probe = TestMedia::probe(mp3);
        const QJsonObject picture = TestMedia::firstStream(probe, u"video"_s);
        QCOMPARE(picture.value(u"codec_name"_s).toString(), codec);
        if (!codec.isEmpty()) {
            QCOMPARE(QSize(picture.value(u"width"_s).toInt(), picture.value(u"height"_s).toInt()), size);
            QCOMPARE(picture.value(u"tags"_s).toObject().value(u"comment"_s).toString(), u"Cover (front)"_s);
            // A baseline JPEG, which every player shows: not interlaced.
            const QString extracted = f.path(u"picture.jpg"_s);
            QCOMPARE(TestMedia::run(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-i"_s, mp3, u"-map"_s, u"0:v"_s,
                                                  u"-c"_s, u"copy"_s, extracted})
                         .exitCode,
                     0);
            QVERIFY(!TestMedia::run(u"identify"_s, {u"-format"_s, u"%[interlace]"_s, extracted})
                         .output.contains("JPEG"));
        }
        QCOMPARE(TestMedia::tag(probe, u"track"_s), u"3/9"_s);
        QCOMPARE(TestMedia::tag(probe, u"disc"_s), u"1/2"_s);
        QCOMPARE(TestMedia::tag(probe, u"artist"_s), u"A1/A2"_s);
        QCOMPARE(TestMedia::tag(probe, u"REPLAYGAIN_TRACK_GAIN"_s), u"-3.2 dB"_s);
        QCOMPARE(TestMedia::tag(probe, u"TRACKTOTAL"_s), QString());
        // The folder's picture stays where it was; the copy holds the MP3 alone.
        QCOMPARE(QDir(QFileInfo(mp3).path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"01.mp3"_s});
    }

    // Two sources whose names are too long for a hidden name and differ only at their end, two
    // files at once: each output is written under a hidden name of its own.
    void longSiblingNamesConvertAtOnce()
    {
        Library library;
        RunFixture &f = library.f;
        f.settings.simultaneousFiles = 2;
        const QString stem(80, QChar(0x4E2D));
        QList<FileList::Id> ids;
        for (const QString &last : {QStringLiteral("1"), QStringLiteral("2")}) {
            const QString source = f.path(stem + last + QStringLiteral(".flac"));
            QVERIFY(TestMedia::makeFlac(source, 1));
            ids.append(f.files.addFile(source));
        }
        QVERIFY(f.startAndWait());
        for (const FileList::Id id : ids)
            QVERIFY2(!f.files.contains(id), qPrintable(f.files.failureReason(id)));
        QCOMPARE(library.written().size(), 2);
    }

    // Streams one decoder refuses but the other reads whole convert, in library mode or not: those
    // only the reference decoder reads from their decode, with their tags and cover carried over
    // (the kept cover on the encode line never stands in the way); those only ffmpeg reads by
    // ffmpeg. Two come from the public decoder test bench (tests/conversion/data/README).
    void everyDecodableFlacConverts_data()
    {
        QTest::addColumn<int>("kind"); // an AwkwardFlac, or -1 for a file from the test data
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("library");
        QTest::addColumn<double>("seconds");
        const auto made = [](TestMedia::AwkwardFlac kind) { return int(kind); };
        QTest::newRow("no STREAMINFO")
            << made(TestMedia::AwkwardFlac::NoStreamInfo) << QString() << false << 2.0;
        QTest::newRow("late STREAMINFO, library")
            << made(TestMedia::AwkwardFlac::LateStreamInfo) << QString() << true << 2.0;
        QTest::newRow("maximum block size too small")
            << made(TestMedia::AwkwardFlac::ShortMaxBlockSize) << QString() << false << 2.0;
        QTest::newRow("blocks of 65536")
            << made(TestMedia::AwkwardFlac::BlockSize65536) << QString() << false << 2.0;
        QTest::newRow("blocks of one sample, library")
            << made(TestMedia::AwkwardFlac::BlockSizeOne) << QString() << true << 2.0;
        QTest::newRow("32 bits") << made(TestMedia::AwkwardFlac::Bits32) << QString() << false << 2.0;
        QTest::newRow("32 bits, library") << made(TestMedia::AwkwardFlac::Bits32) << QString() << true << 2.0;
        QTest::newRow("frames over the declared maximum block size")
            << -1 << QStringLiteral("wrong-max-blocksize.flac") << false << 4.25;
        QTest::newRow("frames over the declared maximum block size, library")
            << -1 << QStringLiteral("wrong-max-blocksize.flac") << true << 4.25;
        QTest::newRow("unparsable bytes first, library")
            << -1 << QStringLiteral("unparsable-data-first.flac") << true << 12.89;
    }
    void everyDecodableFlacConverts()
    {
        QFETCH(int, kind);
        QFETCH(QString, file);
        QFETCH(bool, library);
        QFETCH(double, seconds);
        RunFixture f;
        f.settings.libraryMode = library;
        const QString cover = f.path(QStringLiteral("cover.png"));
        const QString source = f.path(QStringLiteral("odd.flac"));
        QVERIFY(TestMedia::makePicture(cover));
        if (kind >= 0)
            QVERIFY(TestMedia::makeAwkwardFlac(source, TestMedia::AwkwardFlac(kind), seconds,
                                               {{QStringLiteral("TITLE"), QStringLiteral("怪")}}, cover));
        else
            QVERIFY(QFile::copy(QStringLiteral(TUNOXA_TESTS_DIR "/conversion/data/") + file, source));
        QSignalSpy converted(&f.run, &ConversionRun::fileConverted);
        const FileList::Id id = f.files.addFile(source);
        QVERIFY(f.startAndWait());
        QVERIFY2(!f.files.contains(id), qPrintable(f.files.failureReason(id)));
        QCOMPARE(converted.size(), 1);
        const QJsonObject mp3 = TestMedia::probe(converted[0][1].toString());
        QVERIFY(qAbs(TestMedia::durationSeconds(mp3) - seconds) < 0.1);
        if (kind >= 0) {
            QCOMPARE(TestMedia::tag(mp3, QStringLiteral("title")), QStringLiteral("怪"));
            QVERIFY(!TestMedia::firstStream(mp3, QStringLiteral("video")).isEmpty());
        }
        // Its decode, tags and cover went with the file, and no hidden file of a first attempt is left.
        QVERIFY(QDir(AppDirs::workFolder() + QStringLiteral("/tmp")).isEmpty(QDir::Files | QDir::Hidden));
        const QString outputFolder = QFileInfo(converted[0][1].toString()).path();
        QCOMPARE(QDir(outputFolder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
