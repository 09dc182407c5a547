// What tunoxa's command line asks for besides the files it adds.

#include "app/startoptions.h"
#include "common/testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

using Ask = StartOptions::Reading::Ask;

class TestStartOptions : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArrayList>("arguments"); // "-x.flac" exists in the current folder
        QTest::addColumn<int>("ask");
        QTest::addColumn<QByteArrayList>("paths");
        QTest::addColumn<QByteArray>("unknown");
        const int window = int(Ask::Window);
        QTest::newRow("files") << QByteArrayList{"a.flac", "/music"} << window
                               << QByteArrayList{"a.flac", "/music"} << QByteArray();
        QTest::newRow("nothing") << QByteArrayList() << window << QByteArrayList() << QByteArray();
        QTest::newRow("--help first of all") << QByteArrayList{"a.flac", "--help", "--bogus"}
                                             << int(Ask::Help) << QByteArrayList() << QByteArray();
        QTest::newRow("-h") << QByteArrayList{"-h"} << int(Ask::Help) << QByteArrayList() << QByteArray();
        QTest::newRow("--version") << QByteArrayList{"--version", "a.flac"} << int(Ask::Version)
                                   << QByteArrayList() << QByteArray();
        QTest::newRow("unknown option") << QByteArrayList{"a.flac", "--bogus", "--help"}
                                        << int(Ask::UsageError) << QByteArrayList() << "--bogus"_ba;
        QTest::newRow("options end at --") << QByteArrayList{"--", "--help", "-y", "--"} << window
                                           << QByteArrayList{"--help", "-y", "--"} << QByteArray();
        QTest::newRow("a file named like an option") << QByteArrayList{"-x.flac", "b.flac"} << window
                                                     << QByteArrayList{"-x.flac", "b.flac"} << QByteArray();
    }
    void read()
    {
        QFETCH(QByteArrayList, arguments);
        QTemporaryDir dir;
        TestFiles::touch(dir.filePath(u"-x.flac"_s));
        const StartOptions::Reading reading = StartOptions::read(arguments, QFile::encodeName(dir.path()));
        QTEST(int(reading.ask), "ask");
        QTEST(reading.paths, "paths");
        QTEST(reading.unknownOption, "unknown");
    }
};

QTEST_GUILESS_MAIN(TestStartOptions)
#include "tst_startoptions.moc"
