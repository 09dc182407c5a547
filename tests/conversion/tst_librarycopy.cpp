#include "common/listrows.h"
#include "runfixture.h"

#include "conversion/outputcheck.h"
#include "filelist/filesearch.h"
#include "library/librarymark.h"

#include <QDirIterator>
#include <QJsonArray>

using namespace Qt::StringLiterals;

// Library mode's copy as its owner changes the library and as players show it.
class TestLibraryCopy : public QObject
{
    Q_OBJECT

private slots:
    // The copy follows what its owner does to the library: a retag rewrites tags, a rename moves,
    // a deletion deletes when asked; nothing is encoded that need not be, and nothing is deleted
    // that is not a marked output of a source that is gone.
    void copyFollowsTheLibrary_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("deleting");
        QTest::addColumn<QStringList>("copy");  // below out/Music/ afterwards, as MP3s
        QTest::addColumn<QList<int>>("counts"); // converted, retagged, moved, deleted
        QTest::addColumn<OutputFormat>("format");
        const QString a1 = QStringLiteral("A/Album/1.mp3");
        const QString a2 = QStringLiteral("A/Album/2.mp3");
        const QString solo = QStringLiteral("B/Solo Act/1.mp3");
        const QString notes = QStringLiteral("A/Album/notes.mp3");
        const auto row = [](const QByteArray &name, const QString &change, bool deleting,
                            const QStringList &copy, const QList<int> &counts,
                            OutputFormat format = OutputFormat::Mp3) {
            QTest::newRow(name.constData()) << change << deleting << copy << counts << format;
        };
        row("retag", u"retag"_s, false, {a1, a2, solo}, {0, 2, 0, 0});
        row("rename", u"rename"_s, false, {a1, a2, u"B/Solo Artist/1.mp3"_s}, {0, 0, 1, 0});
        row("move to another artist", u"move"_s, false, {a1, a2, u"A/Solo Act/1.mp3"_s}, {0, 0, 1, 0});
        // The artist folder left empty could be an unmounted disk: what it held stays, and is encoded anew.
        row("move, artist folder left empty", u"move, folder left"_s, false,
            {a1, a2, u"A/Solo Act/1.mp3"_s, solo}, {1, 0, 0, 0});
        row("delete, not asked", u"delete"_s, false, {a1, a2, solo}, {0, 0, 0, 0});
        row("delete", u"delete"_s, true, {a1, solo}, {0, 0, 0, 1});
        row("delete, answered no", u"delete, no"_s, true, {a1, a2, solo}, {0, 0, 0, 0});
        row("delete beside an unmarked MP3", u"delete, notes"_s, true, {a1, notes, solo}, {0, 0, 0, 1});
        row("delete through a link at the copy's root", u"link"_s, true, {a1, a2, solo}, {0, 0, 0, 0});
        // An album folder that holds no source any more may be an unmounted disk.
        row("album emptied", u"empty"_s, true, {a1, a2, solo}, {0, 0, 0, 0});
        // An album image's tracks: a retitled track moves and the others stay as they are; a track
        // the sheet no longer has goes, the one before it, now running to the image's end, is
        // encoded anew, and the first is retagged (its track total changed).
        const QString disc = u"C/Disc/0%1.mp3"_s;
        row("image: retitle", u"image retitle"_s, false,
            {a1, a2, solo, disc.arg(u"1 - A"_s), disc.arg(u"2 - Bee"_s), disc.arg(u"3 - C"_s)}, {0, 0, 1, 0});
        row("image: track left the sheet", u"image shortened"_s, true,
            {a1, a2, solo, disc.arg(u"1 - A"_s), disc.arg(u"2 - B"_s)}, {1, 1, 0, 1});
        // An image copied whole, then split: its whole output goes with the deletion.
        row("image: split after a whole copy", u"image split"_s, true,
            {a1, a2, solo, disc.arg(u"1 - A"_s), disc.arg(u"2 - B"_s), disc.arg(u"3 - C"_s)}, {3, 0, 0, 1});
        // Ogg outputs with no cover, whose mark the encoder writes after the source's own tags.
        for (const OutputFormat format : {OutputFormat::Opus, OutputFormat::Vorbis}) {
            const QByteArray name = FormatTable::commandName(format).toLatin1();
            row(name + ": retag", u"retag"_s, false, {a1, a2, solo}, {0, 2, 0, 0}, format);
            row(name + ": rename", u"rename"_s, false, {a1, a2, u"B/Solo Artist/1.mp3"_s}, {0, 0, 1, 0},
                format);
            row(name + ": delete", u"delete"_s, true, {a1, solo}, {0, 0, 0, 1}, format);
        }
    }
    void copyFollowsTheLibrary()
    {
        QFETCH(QString, change);
        QFETCH(bool, deleting);
        QFETCH(QStringList, copy);
        QFETCH(QList<int>, counts);
        QFETCH(OutputFormat, format);
        const QString extension = FormatTable::extension(format);
        for (QString &output : copy)
            output.replace(u".mp3"_s, extension);
        RunFixture f;
        f.settings.libraryMode = true;
        f.host.useDefaultsOf(format);
        f.host.outputFolder += QLatin1Char('/');
        const QString music = f.path(u"Music"_s);
        for (const QString &track : {u"A/Album/1.flac"_s, u"A/Album/2.flac"_s, u"B/Solo Act/1.flac"_s}) {
            QVERIFY(QDir().mkpath(QFileInfo(music + u'/' + track).path()));
            QVERIFY(TestMedia::makeFlac(music + u'/' + track, 1, 44100, 2, 16, {{u"TITLE"_s, track}}));
        }
        const QString sheet = music + u"/C/Disc/CDImage.cue"_s;
        // An edit comes after the outputs were written, whatever the file system's time steps.
        const auto writeSheet = [&sheet](const QByteArray &text, int secondsAhead = 0) {
            QFile file(sheet);
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() &&
                   file.setFileTime(QDateTime::currentDateTime().addSecs(secondsAhead),
                                    QFileDevice::FileModificationTime);
        };
        const QByteArray threeTracks =
            "FILE \"CDImage.flac\" WAVE\n TRACK 01 AUDIO\n  TITLE A\n  INDEX 01 00:00:00\n"
            " TRACK 02 AUDIO\n  TITLE B\n  INDEX 01 00:01:00\n"
            " TRACK 03 AUDIO\n  TITLE C\n  INDEX 01 00:02:00\n";
        if (change.startsWith(u"image")) {
            QVERIFY(QDir().mkpath(music + u"/C/Disc"_s));
            QVERIFY(TestMedia::makeFlac(music + u"/C/Disc/CDImage.flac"_s, 3));
            QVERIFY(writeSheet(threeTracks));
            f.files.setImageOptions({change != u"image split", {}});
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
            f.deleteOrphans = !change.endsWith(u"no");
            if (change.endsWith(u"notes"))
                QVERIFY(QFile::copy(f.host.outputFolder + u"Music/A/Album/2.mp3"_s,
                                    f.host.outputFolder + u"Music/A/Album/notes.mp3"_s) &&
                        TestMedia::run(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s,
                                                     u"-i"_s, u"sine=duration=1"_s,
                                                     f.host.outputFolder + u"Music/A/Album/notes.mp3"_s})
                                .exitCode == 0);
        } else if (change == u"image split") {
            f.files.setImageOptions({});
        } else if (change == u"image retitle") {
            QVERIFY(writeSheet(QByteArray(threeTracks).replace("TITLE B", "TITLE Bee"), 5));
        } else if (change == u"image shortened") {
            QVERIFY(writeSheet(threeTracks.left(threeTracks.indexOf(" TRACK 03")), 5));
        } else if (change == u"link") {
            // The copy moved elsewhere and linked back: what the link leads to is not the copy's.
            QVERIFY(QDir().rename(f.host.outputFolder + u"Music"_s, f.path(u"elsewhere"_s)) &&
                    QFile::link(f.path(u"elsewhere"_s), f.host.outputFolder + u"Music"_s) &&
                    QFile::remove(album + u"2.flac"_s));
        } else {
            QVERIFY(QFile::remove(music + u"/B/Solo Act/1.flac"_s));
        }
        f.settings.deleteOrphans = deleting;
        QSignalSpy deleted(&f.run, &ConversionRun::outputDeleted);
        QSignalSpy keptFolders(&f.run, &ConversionRun::libraryFoldersKept);
        QVERIFY(runOverTheLibrary());

        QVERIFY2(f.files.isEmpty(), qPrintable(f.files.failureReason(rowId(f.files, 0))));
        QStringList written;
        QDirIterator it(f.host.outputFolder + u"Music"_s, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
        while (it.hasNext())
            written.append(it.next().mid(f.host.outputFolder.size() + 6));
        written.sort();
        QCOMPARE(written, copy);
        QCOMPARE((QList<int>{int(f.ended(JobResult::Kind::Converted).size()),
                             int(f.ended(JobResult::Kind::Retagged).size()),
                             int(f.ended(JobResult::Kind::Moved).size()), int(deleted.size())}),
                 counts);
        QCOMPARE(
            (QList<int>{f.outcome->converted, f.outcome->retagged, f.outcome->moved, f.outcome->deleted}),
            counts);
        if (change == u"retag")
            QCOMPARE(TestMedia::tag(TestMedia::probe(f.host.outputFolder + u"Music/A/Album/1"_s + extension),
                                    u"genre"_s),
                     u"Jazz"_s);
        // Folders left empty go with what was moved away or deleted.
        QCOMPARE(QFileInfo::exists(f.host.outputFolder + u"Music/B/Solo Act"_s),
                 copy.contains(u"B/Solo Act/1"_s + extension));
        QCOMPARE(f.orphanQuestions.size(), deleting && change != u"empty" && change != u"link" ? 1 : 0);
        QList<KeptFolder> kept;
        if (change == u"empty")
            kept.append({music + u"/B/Solo Act"_s, KeptFolder::Reason::EmptyOrUnreadable});
        if (change == u"link")
            kept.append({f.host.outputFolder + u"Music"_s, KeptFolder::Reason::Link});
        QCOMPARE(keptFolders.isEmpty() ? QList<KeptFolder>() : keptFolders[0][0].value<QList<KeptFolder>>(),
                 kept);
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
        // Headers that do not tell the truth: a picture is judged by what it decodes to.
        QTest::newRow("100 px JPEG holding a megabyte more")
            << u"lying jpeg"_s << u"mjpeg"_s << QSize(100, 100);
        QTest::newRow("1 px PNG holding 3 MB more") << u"lying png"_s << u"mjpeg"_s << QSize(1, 1);
        QTest::newRow("PNG 2^31 pixels wide") << u"broken png"_s << QString() << QSize();
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
        if (cover.startsWith(u"lying") || cover == u"broken png") {
            const QString picture = album + (cover == u"lying jpeg" ? u"/cover.jpg"_s : u"/cover.png"_s);
            QVERIFY(TestMedia::makePicture(picture, cover == u"lying jpeg" ? u"100x100"_s : u"1x1"_s));
            QFile file(picture);
            QVERIFY(file.open(QIODevice::ReadWrite));
            if (cover == u"broken png")
                QVERIFY(file.seek(16) && file.write(QByteArray("\x80\0\0\0", 4)) == 4);
            else
                QVERIFY(file.seek(file.size()) &&
                        file.write(QByteArray(cover == u"lying jpeg" ? 1 << 20 : 3 << 20, 'x')) > 0);
        }
        f.files.addFiles({QFile::encodeName(source)}, QFile::encodeName(f.path(u"Music"_s)));
        QVERIFY(f.startAndWait());
        const QList<JobResult> converted = f.ended(JobResult::Kind::Converted);
        QCOMPARE(converted.size(), 1);
        const QString mp3 = converted[0].output;
        // Only a picture that could not be put in is told of; no cover makes the MP3 large.
        QCOMPARE(converted[0].notes.size(), cover == u"broken png" ? 1 : 0);
        QVERIFY(QFileInfo(mp3).size() < 300 * 1024);
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

    // The formats besides MP3 carry the same tags, cover and mark in their own containers, are read
    // back without a tool (an up-to-date copy is skipped, a retagged source's is remuxed, a shorter one is
    // made again).
    void otherFormatsKeepTagsCoverAndMark_data()
    {
        QTest::addColumn<OutputFormat>("format");
        QTest::addColumn<QString>("track");
        QTest::newRow("Opus") << OutputFormat::Opus << u"3"_s;
        QTest::newRow("AAC") << OutputFormat::Aac << u"3/9"_s;
        QTest::newRow("Vorbis") << OutputFormat::Vorbis << u"3"_s;
    }
    void otherFormatsKeepTagsCoverAndMark()
    {
        QFETCH(OutputFormat, format);
        QFETCH(QString, track);
        RunFixture f;
        f.settings.libraryMode = true;
        f.host.useDefaultsOf(format);
        const QString source = f.path(u"Music/01.flac"_s);
        QVERIFY(QDir().mkpath(f.path(u"Music"_s)) && TestMedia::makePicture(f.path(u"small.png"_s)) &&
                TestMedia::makeFlac(source, 4, 44100, 2, 16, {{u"TRACKNUMBER"_s, u"3"_s}}));
        QCOMPARE(TestMedia::run(u"metaflac"_s,
                                {u"--set-tag=TRACKTOTAL=9"_s, u"--set-tag=ARTIST=A1"_s,
                                 u"--set-tag=ARTIST=A2"_s, u"--set-tag=REPLAYGAIN_TRACK_GAIN=-3.2 dB"_s,
                                 u"--import-picture-from="_s + f.path(u"small.png"_s), source})
                     .exitCode,
                 0);
        f.files.addFiles({QFile::encodeName(source)}, QFile::encodeName(f.path(u"Music"_s)));
        QVERIFY(f.startAndWait());
        QCOMPARE(f.ended(JobResult::Kind::Converted).size(), 1);
        const QString output = f.ended(JobResult::Kind::Converted)[0].output;
        QVERIFY(output.endsWith(FormatTable::extension(format)));
        const QJsonObject probe = TestMedia::probe(output);
        QCOMPARE(TestMedia::firstStream(probe, u"video"_s).value(u"codec_name"_s).toString(), u"png"_s);
        QCOMPARE(TestMedia::tag(probe, u"track"_s), track);
        QCOMPARE(TestMedia::tag(probe, u"artist"_s), u"A1;A2"_s);
        QCOMPARE(TestMedia::tag(probe, u"replaygain_track_gain"_s), u"-3.2 dB"_s);
        const std::optional<LibraryMark> mark = LibraryMark::read(output);
        QVERIFY(mark);
        QCOMPARE(mark->source, LibraryMark::sourceText(QFile::encodeName(source)));
        QCOMPARE(qRound(OutputCheck::audioSeconds(output).value_or(0) * 10), 40);

        f.files.addFiles({QFile::encodeName(source)}, QFile::encodeName(f.path(u"Music"_s)));
        QVERIFY(f.startAndWait());
        QCOMPARE(f.ended(JobResult::Kind::Skipped).size(), 1);
        // Newer tags with the same audio: the audio is kept, the tags are the source's.
        QCOMPARE(TestMedia::run(u"metaflac"_s, {u"--set-tag=TITLE=New"_s, source}).exitCode, 0);
        QFile retaggedSource(source);
        QVERIFY(retaggedSource.open(QIODevice::ReadWrite) &&
                retaggedSource.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                           QFileDevice::FileModificationTime));
        f.files.addFiles({QFile::encodeName(source)}, QFile::encodeName(f.path(u"Music"_s)));
        QVERIFY(f.startAndWait());
        QCOMPARE(f.ended(JobResult::Kind::Retagged).size(), 1);
        QCOMPARE(TestMedia::tag(TestMedia::probe(output), u"title"_s), u"New"_s);
        QCOMPARE(LibraryMark::read(output), mark);
        const QString shorter = f.path(u"short"_s) + FormatTable::extension(format);
        QCOMPARE(TestMedia::run(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-i"_s, output, u"-map"_s, u"0:a"_s,
                                              u"-t"_s, u"1"_s, u"-c"_s, u"copy"_s, shorter})
                     .exitCode,
                 0);
        QVERIFY(QFile::remove(output) && QFile::rename(shorter, output));
        f.files.addFiles({QFile::encodeName(source)}, QFile::encodeName(f.path(u"Music"_s)));
        QVERIFY(f.startAndWait());
        QCOMPARE(f.ended(JobResult::Kind::Converted).size(), 1);
        QVERIFY(qAbs(OutputCheck::audioSeconds(output).value_or(0) - 4) < 0.1);
    }
};

QTEST_GUILESS_MAIN(TestLibraryCopy)
#include "tst_librarycopy.moc"
