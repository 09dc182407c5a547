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
    void capturedOutput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("reached");
        QTest::addColumn<QString>("reason");
        QTest::newRow("complete encode") << QStringLiteral("ffmpeg-mp3-complete.txt") << 4.0 << QString();
        // The header announced 4 s; ffmpeg decoded 1.58 s of it and still exited with 0. Its
        // last words are statistics, which explain nothing.
        QTest::newRow("truncated input") << QStringLiteral("ffmpeg-mp3-truncated.txt") << 1.58
                                         << QStringLiteral("转换工具只处理了部分输入");
    }
    void capturedOutput()
    {
        QFETCH(QString, file);
        QFETCH(double, reached);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        StageOutcome outcome;
        outcome.started = true;
        outcome.output = captured(file);
        QVERIFY(!outcome.output.isEmpty());
        outcome.writtenPath = dir.filePath(QStringLiteral("out.mp3"));
        QFile written(outcome.writtenPath);
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write("mp3");
        written.close();
        QCOMPARE(StageVerdict::lastProgressTime(outcome.output), reached);
        QCOMPARE(StageVerdict::failureReason(outcome), reason);
    }

    void missingInputGivesTheToolsReason()
    {
        StageOutcome outcome;
        outcome.started = true;
        outcome.exitCode = 1;
        outcome.output = captured(QStringLiteral("ffmpeg-missing-input.txt"));
        QCOMPARE(StageVerdict::failureReason(outcome),
                 QStringLiteral("/nonexist.flac: No such file or directory"));
    }

    void encoderProgress_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<double>("reached");
        QTest::newRow("position lines")
            << QStringLiteral("Pos:   1.2s     30f ( 5%)\rPos:   3.9s     98f (100%)\r\n") << 3.9;
        QTest::newRow("no progress") << QStringLiteral("Video stream is mandatory!\n") << -1.0;
    }
    void encoderProgress()
    {
        QFETCH(QString, output);
        QFETCH(double, reached);
        QCOMPARE(StageVerdict::lastProgressTime(output), reached);
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
        QTest::newRow("duration beyond 100 hours is not believed")
            << true << false << 0 << QStringLiteral("Duration: 200:00:00.00,\ntime=00:00:01.00 y\nend\n")
            << QByteArray("data") << QString();

        // A last line that is only the tool's progress or statistics gives the program's own text.
        const QString progress =
            QStringLiteral("  Duration: 00:00:04.00, start\nsize= 1kB time=00:00:03.98 x\n");
        QTest::newRow("killed during progress")
            << true << true << 0 << progress << QByteArray("data") << QStringLiteral("转换工具被终止");
        QTest::newRow("error status after statistics")
            << true << false << 1 << progress + QStringLiteral("video:0kB audio:63kB subtitle:0kB\n")
            << QByteArray("data") << QStringLiteral("转换工具退出状态 1");
        QTest::newRow("error status after a frame line")
            << true << false << 254 << QStringLiteral("frame=  12 fps=0.0 q=2.0 size= 1kB\r")
            << QByteArray("data") << QStringLiteral("转换工具退出状态 254");
        QTest::newRow("encoder position, no file")
            << true << false << 0 << QStringLiteral("Pos:   3.9s     98f (100%) \n") << QByteArray()
            << QStringLiteral("转换工具没有写出文件");
        QTest::newRow("time= inside a line, empty file")
            << true << false << 0 << QStringLiteral("[out#0/mp3] size= 1kB time=00:00:03.98 x\n")
            << QByteArray("") << QStringLiteral("转换工具没有写出文件");
        QTest::newRow("stopped short on a progress line")
            << true << false << 0 << QStringLiteral("Duration: 00:00:04.00,\nsize= 1kB time=00:00:02.90 y\r")
            << QByteArray("data") << QStringLiteral("转换工具只处理了部分输入");
        QTest::newRow("a line merely starting like one is the tool's words")
            << true << false << 1 << QStringLiteral("frames dropped: 3\n") << QByteArray("data")
            << QStringLiteral("frames dropped: 3");
        QTest::newRow("cut starting past the input's end")
            << true << false << 1 << QStringLiteral("Start position is beyond the end of the input.\n")
            << QByteArray() << QStringLiteral("剪切范围超出文件长度");
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
