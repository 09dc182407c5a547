#include "library/librarypaths.h"
#include "common/fatimage.h"
#include "conversion/partialoutput.h"
#include "conversion/recipes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// The names outputs get: the base name, the time stamp, the first free name.
class TestOutputNames : public QObject
{
    Q_OBJECT

private slots:
    void baseName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("base");
        QTest::newRow("plain") << QStringLiteral("/Music/a.flac") << QStringLiteral("a");
        QTest::newRow("several dots") << QStringLiteral("/Music/a.b.flac") << QStringLiteral("a.b");
        // A name without a dot keeps its whole name: the output name must still say what it was.
        QTest::newRow("no dot") << QStringLiteral("/Music/README") << QStringLiteral("README");
        QTest::newRow("dot only in folder") << QStringLiteral("/Mu.sic/track") << QStringLiteral("track");
        QTest::newRow("leading dot") << QStringLiteral("/Music/.flac") << QString();
        QTest::newRow("no folder") << QStringLiteral("song.flac") << QStringLiteral("song");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("blanks and Chinese")
            << QStringLiteral("/音乐/Song One.flac") << QStringLiteral("Song One");
        QTest::newRow("backslash is a name character")
            << QStringLiteral("/m/a\\b.flac") << QStringLiteral("a\\b");
        QTest::newRow("colon is a name character") << QStringLiteral("/m/c:d.flac") << QStringLiteral("c:d");
        QTest::newRow("trailing dot") << QStringLiteral("/m/x.") << QStringLiteral("x");
    }

    void baseName()
    {
        QFETCH(QString, path);
        QFETCH(QString, base);
        QCOMPARE(Recipes::baseName(path), base);
    }

    // Library mode's names with FAT-safe names: what FAT and exFAT refuse becomes "_", and every
    // name lands on a FAT file system under the name written.
    void fatSafeNames_data()
    {
        QTest::addColumn<QString>("source"); // below /Music, the library folder added
        QTest::addColumn<QString>("output"); // below the output folder
        const QString zh(100, QChar(0x97F3));
        QTest::newRow("question mark, colon, star")
            << QStringLiteral("A: B?/Song*.flac") << QStringLiteral("Music/A_ B_/Song_.mp3");
        QTest::newRow("quotes, angles, bar, backslash")
            << QStringLiteral("\"Best\" <1>|2\\3.flac") << QStringLiteral("Music/_Best_ _1__2_3.mp3");
        QTest::newRow("control characters")
            << QStringLiteral("a\tb\x01.flac") << QStringLiteral("Music/a_b_.mp3");
        QTest::newRow("trailing dots and blanks")
            << QStringLiteral("Album. /Track .. .flac") << QStringLiteral("Music/Album/Track.mp3");
        QTest::newRow("dots alone") << QStringLiteral(".../a.flac") << QStringLiteral("Music/_/a.mp3");
        QTest::newRow("300 bytes of Chinese")
            << zh + QStringLiteral(".flac")
            << QStringLiteral("Music/") + zh.left(83) + QStringLiteral(".mp3");
    }
    void fatSafeNames()
    {
        QFETCH(QString, source);
        QFETCH(QString, output);
        const QString input = QStringLiteral("/Music/") + source;
        const QString folder =
            LibraryPaths::libraryFolder(QStringLiteral("/out/"), input, QStringLiteral("/Music"), true);
        QCOMPARE(Recipes::outputPath(OutputFormat::Mp3, input, folder, {}, true, true),
                 QStringLiteral("/out/") + output);
        // Without FAT-safe names the source's names stay.
        QCOMPARE(LibraryPaths::libraryFolder(QStringLiteral("/out/"), input, QStringLiteral("/Music"), false),
                 QStringLiteral("/out/Music/") + source.left(source.lastIndexOf(u'/') + 1));
        // exFAT takes Chinese names, as a phone's card does; fusefat's FAT takes ASCII names only.
        FatImage fat(FatImage::Kind::ExFat);
        if (!fat.isMounted())
            QSKIP("no exFAT image can be made and mounted here (exfatprogs, exfat-fuse, a loop device)");
        const QString landed = fat.path() + u'/' + output;
        QVERIFY(QDir().mkpath(QFileInfo(landed).path()));
        QFile file(landed);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
        file.close();
        QCOMPARE(QDir(QFileInfo(landed).path()).entryList(QDir::Files),
                 QStringList{QFileInfo(landed).fileName()});
    }

    void timeStamp_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("09:05:03") << QTime(9, 5, 3) << QStringLiteral("953");
        QTest::newRow("10:00:00") << QTime(10, 0, 0) << QStringLiteral("1000");
        QTest::newRow("23:59:59") << QTime(23, 59, 59) << QStringLiteral("235959");
        QTest::newRow("midnight") << QTime(0, 0, 0) << QStringLiteral("000");
        QTest::newRow("01:11:05") << QTime(1, 11, 5) << QStringLiteral("1115");
        QTest::newRow("11:01:05 coincides") << QTime(11, 1, 5) << QStringLiteral("1115");
        QTest::newRow("14:03:07") << QTime(14, 3, 7) << QStringLiteral("1437");
    }

    void timeStamp()
    {
        QFETCH(QTime, time);
        QFETCH(QString, stamp);
        QCOMPARE(Recipes::timeStamp(time), stamp);
    }

    void freeOutputName_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << QStringList{} << QStringLiteral("a_953.mp3") << QStringLiteral("a_953.mp3");
        QTest::newRow("taken") << QStringList{QStringLiteral("a_953.mp3")} << QStringLiteral("a_953.mp3")
                               << QStringLiteral("a_953 (2).mp3");
        QTest::newRow("taken twice") << QStringList{QStringLiteral("a_953.mp3"),
                                                    QStringLiteral("a_953 (2).mp3")}
                                     << QStringLiteral("a_953.mp3") << QStringLiteral("a_953 (3).mp3");
        QTest::newRow("gap is reused")
            << QStringList{QStringLiteral("a_953.mp3"), QStringLiteral("a_953 (3).mp3")}
            << QStringLiteral("a_953.mp3") << QStringLiteral("a_953 (2).mp3");
        QTest::newRow("dots in the name")
            << QStringList{QStringLiteral("a.b-953.3gp")} << QStringLiteral("a.b-953.3gp")
            << QStringLiteral("a.b-953 (2).3gp");
        QTest::newRow("no extension")
            << QStringList{QStringLiteral("noext")} << QStringLiteral("noext") << QStringLiteral("noext (2)");
        QTest::newRow("a folder takes the name")
            << QStringList{QStringLiteral("dir.mp3/")} << QStringLiteral("dir.mp3")
            << QStringLiteral("dir (2).mp3");
        QTest::newRow("dangling link takes the name")
            << QStringList{QStringLiteral("link.mp3@")} << QStringLiteral("link.mp3")
            << QStringLiteral("link (2).mp3");
        // A name of 255 bytes makes room for the copy number in its base, not in its time stamp.
        const QString a(247, QLatin1Char('a'));
        const QString zh(82, QChar(0x4E2D));
        QTest::newRow("long name taken")
            << QStringList{a + QStringLiteral("_953.mp3")} << a + QStringLiteral("_953.mp3")
            << a.left(243) + QStringLiteral("_953 (2).mp3");
        QTest::newRow("long Chinese name taken")
            << QStringList{zh + QStringLiteral("-1437.mp4")} << zh + QStringLiteral("-1437.mp4")
            << zh.left(80) + QStringLiteral("-1437 (2).mp4");
    }

    void freeOutputName()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, wanted);
        QFETCH(QString, expected);
        QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/x.y-XXXXXX"));
        QVERIFY(dir.isValid());
        for (const QString &e : existing) {
            if (e.endsWith(QLatin1Char('/'))) {
                QVERIFY(QDir(dir.path()).mkdir(e.chopped(1)));
            } else if (e.endsWith(QLatin1Char('@'))) {
                QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(e.chopped(1))));
            } else {
                QFile f(dir.filePath(e));
                QVERIFY(f.open(QIODevice::WriteOnly));
            }
        }
        QCOMPARE(Recipes::freeOutputName(dir.filePath(wanted)), dir.filePath(expected));

        // A finished output takes the same name from its hidden one, whichever way the file system
        // allows, and never replaces what is there.
        const QStringList before =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const PartialOutput::Method method :
             {PartialOutput::Method::Best, PartialOutput::Method::RenameNoReplace,
              PartialOutput::Method::Link, PartialOutput::Method::Placeholder}) {
            const QString partial = PartialOutput::reserve(dir.filePath(wanted));
            QVERIFY(QFileInfo(partial).fileName().startsWith(QLatin1Char('.')));
            QFile written(partial);
            QVERIFY(written.open(QIODevice::WriteOnly) && written.write("whole") == 5);
            written.close();
            const PartialOutput::Published published =
                PartialOutput::publish(partial, dir.filePath(wanted), method);
            QCOMPARE(published.path, dir.filePath(expected));
            QVERIFY(!QFileInfo::exists(partial));
            QFile result(published.path);
            QVERIFY(result.open(QIODevice::ReadOnly));
            QCOMPARE(result.readAll(), QByteArray("whole"));
            QVERIFY(QFile::remove(published.path));
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                     before);
        }
    }
};

QTEST_GUILESS_MAIN(TestOutputNames)
#include "tst_outputnames.moc"
