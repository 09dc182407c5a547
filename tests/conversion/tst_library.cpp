#include "common/listrows.h"
#include "runfixture.h"

#include "conversion/runtexts.h"
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
        library.f.files.addFile(library.single); // listed twice: converted once, and no failure
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
        library.add();
        QVERIFY(library.f.startAndWait());
        QCOMPARE(library.f.ended(JobResult::Kind::Skipped).size(), 3);
        QVERIFY(library.f.files.isEmpty());
        QCOMPARE(library.written(), first);
        // Nothing of the library or its copy is held open once the run is over: a disk can be ejected.
        const QDir descriptors(QStringLiteral("/proc/self/fd"));
        for (const QString &fd :
             descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            QVERIFY(!QFile::symLinkTarget(descriptors.filePath(fd)).startsWith(library.f.dir.path()));

        // A source changed since: converted again in its place; the others stay as they were.
        QFile source(library.single);
        QVERIFY(source.open(QIODevice::ReadWrite));
        QVERIFY(
            source.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        source.close();
        library.add();
        QVERIFY(library.f.startAndWait());
        QCOMPARE(library.f.ended(JobResult::Kind::Skipped).size(), 2);
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
        const FileList::Id id = f.files.addFile(library.single);
        QVERIFY(f.startAndWait());
        const QList<JobResult> planned = f.ended(JobResult::Kind::Planned);
        const QList<JobResult> converted = f.ended(JobResult::Kind::Converted);

        if (outcome == QStringLiteral("planned")) {
            QCOMPARE(planned.size(), 1);
            QCOMPARE(planned[0].output, output);
            QCOMPARE(planned[0].replaces, !there.isEmpty());
            QCOMPARE(library.written(), before);
            return;
        }
        if (outcome == QStringLiteral("replaced")) {
            QCOMPARE(converted.size(), 1);
            QCOMPARE(converted[0].output, output);
            QVERIFY(qAbs(TestMedia::durationSeconds(TestMedia::probe(output)) - 3) < 0.1);
            QCOMPARE(library.written().keys(), QStringList{QStringLiteral("single.mp3")});
            return;
        }
        QVERIFY(markedFailed(f.files, id));
        QCOMPARE(f.files.failureReason(id), outcome);
        if (there != QStringLiteral("twice"))
            QCOMPARE(library.written(), before);
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
        const FileList::Id id = f.files.addFile(source);
        QVERIFY(f.startAndWait());
        QVERIFY2(!f.files.contains(id), qPrintable(f.files.failureReason(id)));
        const QList<JobResult> converted = f.ended(JobResult::Kind::Converted);
        QCOMPARE(converted.size(), 1);
        const QJsonObject mp3 = TestMedia::probe(converted[0].output);
        QVERIFY(qAbs(TestMedia::durationSeconds(mp3) - seconds) < 0.1);
        if (kind >= 0) {
            QCOMPARE(TestMedia::tag(mp3, QStringLiteral("title")), QStringLiteral("怪"));
            QVERIFY(!TestMedia::firstStream(mp3, QStringLiteral("video")).isEmpty());
        }
        // Its decode, tags and cover went with the file, and no hidden file of a first attempt is left.
        QVERIFY(QDir(AppDirs::workFolder() + QStringLiteral("/tmp")).isEmpty(QDir::Files | QDir::Hidden));
        const QString outputFolder = QFileInfo(converted[0].output).path();
        QCOMPARE(QDir(outputFolder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
