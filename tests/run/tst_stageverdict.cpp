#include "conversion/stageverdict.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Judging a tool stage from what it left: exit, written file, and the tool's own words.
class TestStageVerdict : public QObject
{
    Q_OBJECT

    static QString captured(const QString &name)
    {
        QFile file(QStringLiteral(TUNOXA_TESTS_DIR "/run/data/") + name);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

private slots:
    void readTime_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds");
        QTest::newRow("ffmpeg 5 clock") << QStringLiteral("00:03:25.47 bitrate") << 205.47;
        QTest::newRow("hours") << QStringLiteral("01:02:03.50") << 3723.5;
        QTest::newRow("plain seconds") << QStringLiteral("30.00 bitrate") << 30.0;
        QTest::newRow("leading blanks") << QStringLiteral("   12.5s") << 12.5;
        QTest::newRow("not a time") << QStringLiteral("N/A") << -1.0;
    }
    void readTime()
    {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QCOMPARE(StageVerdict::readTime(text), seconds);
    }

    void capturedOutput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("duration");
        QTest::addColumn<double>("reached");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("complete encode") << QStringLiteral("ffmpeg-mp3-complete.txt") << 4.0 << 4.0
                                         << QStringLiteral("video:0kB audio:158kB subtitle:0kB other "
                                                           "streams:0kB global headers:0kB muxing "
                                                           "overhead: 0.623140%");
        QTest::newRow("truncated input") << QStringLiteral("ffmpeg-mp3-truncated.txt") << 4.0 << 1.58
                                         << QStringLiteral("video:0kB audio:63kB subtitle:0kB other "
                                                           "streams:0kB global headers:0kB muxing "
                                                           "overhead: 1.562500%");
        QTest::newRow("missing input") << QStringLiteral("ffmpeg-missing-input.txt") << -1.0 << -1.0
                                       << QStringLiteral("/nonexist.flac: No such file or directory");
    }
    void capturedOutput()
    {
        QFETCH(QString, file);
        QFETCH(double, duration);
        QFETCH(double, reached);
        QFETCH(QString, lastLine);
        const QString output = captured(file);
        QVERIFY(!output.isEmpty());
        QCOMPARE(StageVerdict::announcedDuration(output), duration);
        QCOMPARE(StageVerdict::lastProgressTime(output), reached);
        QCOMPARE(StageVerdict::lastLine(output), lastLine);
    }

    void encoderProgress()
    {
        const QString output = QStringLiteral("Pos:   1.2s     30f ( 5%)\rPos:   3.9s     98f (100%)\r\n");
        QCOMPARE(StageVerdict::lastProgressTime(output), 3.9);
        QCOMPARE(StageVerdict::lastLine(output), QStringLiteral("Pos:   3.9s     98f (100%)"));
    }

    void verdict_data()
    {
        QTest::addColumn<bool>("started");
        QTest::addColumn<bool>("crashed");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QByteArray>("written"); // contents of the written file; null: no file
        QTest::addColumn<QString>("reason");

        const QString good =
            QStringLiteral("  Duration: 00:00:04.00, start\nsize= 1kB time=00:00:03.98 x\ndone\n");
        QTest::newRow("success") << true << false << 0 << good << QByteArray("data") << QString();
        QTest::newRow("cannot start")
            << false << false << 0 << QString() << QByteArray() << QStringLiteral("No such file");
        QTest::newRow("killed") << true << true << 0 << good << QByteArray("data") << QStringLiteral("done");
        QTest::newRow("killed silently")
            << true << true << 0 << QString() << QByteArray("data") << QStringLiteral("转换工具被终止");
        QTest::newRow("error status") << true << false << 1 << QStringLiteral("Bad option\n\n  \n")
                                      << QByteArray("data") << QStringLiteral("Bad option");
        QTest::newRow("no file") << true << false << 0 << good << QByteArray() << QStringLiteral("done");
        QTest::newRow("empty file") << true << false << 0 << good << QByteArray("") << QStringLiteral("done");
        QTest::newRow("stopped short")
            << true << false << 0 << QStringLiteral("Duration: 00:00:04.00,\ntime=00:00:02.90 y\nend\n")
            << QByteArray("data") << QStringLiteral("end");
        QTest::newRow("within a second")
            << true << false << 0 << QStringLiteral("Duration: 00:00:04.00,\ntime=00:00:03.10 y\nend\n")
            << QByteArray("data") << QString();
        QTest::newRow("no duration announced")
            << true << false << 0 << QStringLiteral("Duration: N/A,\ntime=00:00:01.00\n")
            << QByteArray("data") << QString();
    }
    void verdict()
    {
        QFETCH(bool, started);
        QFETCH(bool, crashed);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QByteArray, written);
        QFETCH(QString, reason);

        QTemporaryDir dir;
        StageOutcome outcome;
        outcome.started = started;
        outcome.startFailure = started ? QString() : QStringLiteral("No such file");
        outcome.crashed = crashed;
        outcome.exitCode = exitCode;
        outcome.output = output;
        outcome.writtenPath = dir.filePath(QStringLiteral("out.mp3"));
        if (!written.isNull()) {
            QFile file(outcome.writtenPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(written);
        }
        QCOMPARE(StageVerdict::failureReason(outcome), reason);
    }

    void stageWritingNothingIsNotJudgedOnFiles()
    {
        StageOutcome probe;
        probe.started = true;
        probe.output = QStringLiteral("  Duration: 00:00:04.00, bitrate\n");
        QCOMPARE(StageVerdict::failureReason(probe), QString());
    }
};

QTEST_GUILESS_MAIN(TestStageVerdict)
#include "tst_stageverdict.moc"
