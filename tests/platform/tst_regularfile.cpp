// The steps in which file systems keep modification times, from the type statfs names them by.

#include "common/testfiles.h"
#include "platform/regularfile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/vfs.h>

using namespace Qt::StringLiterals;

class TestRegularFile : public QObject
{
    Q_OBJECT

private slots:
    void timeGranularity_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<qint64>("ns");
        const qint64 twoSeconds = 2'000'000'000;
        QTest::newRow("vfat") << quint32(0x4d44) << twoSeconds;
        QTest::newRow("exFAT") << quint32(0x2011BAB0) << qint64(10'000'000);
        QTest::newRow("FUSE") << quint32(0x65735546) << twoSeconds;
        QTest::newRow("ext4") << quint32(0xEF53) << qint64(1);
        QTest::newRow("SMB2") << quint32(0xFE534D42) << qint64(100);
        QTest::newRow("unknown") << quint32(0x12345678) << twoSeconds;
    }
    void timeGranularity()
    {
        QFETCH(quint32, type);
        QTEST(RegularFile::timeGranularityNs(type), "ns");
    }

    // A file looked up through its kept folder, or by its whole path, has its file system's steps.
    void readerAsksItsFileSystem()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.mp3"_s);
        QVERIFY(TestFiles::writeFile(path, "a"));
        struct statfs status = {};
        QCOMPARE(::statfs(QFile::encodeName(dir.path()).constData(), &status), 0);
        const qint64 expected = RegularFile::timeGranularityNs(quint32(status.f_type));
        RegularFile::Folder folder;
        const RegularFile::Reader through(path, RegularFile::Reader::Links::Follow, &folder);
        QCOMPARE(through.timeGranularityNs(), expected);
        QCOMPARE(RegularFile::Reader(path).timeGranularityNs(), expected);
    }
};

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
