#include "conversion/partialoutput.h"
#include "conversion/recipes.h"

#include <QDir>
#include <QFile>
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
