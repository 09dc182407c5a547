#include "common/testmedia.h"
#include "conversion/outputcheck.h"
#include "conversion/sourcereading.h"
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
        QFile file(QStringLiteral(TUNOXA_TESTS_DIR "/conversion/data/") + name);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    static QString reasonOf(const StageOutcome &outcome)
    {
        const std::optional<FileFailure> failure = StageVerdict::failure(outcome);
        return failure ? failureText(*failure) : QString();
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
        outcome.output = captured(file);
        QVERIFY(!outcome.output.isEmpty());
        outcome.writtenPath = dir.filePath(QStringLiteral("out.mp3"));
        QFile written(outcome.writtenPath);
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write("mp3");
        written.close();
        QCOMPARE(StageVerdict::lastProgressTime(outcome.output), reached);
        QCOMPARE(reasonOf(outcome), reason);
    }

    void missingInputGivesTheToolsReason()
    {
        StageOutcome outcome;
        outcome.exitCode = 1;
        outcome.output = captured(QStringLiteral("ffmpeg-missing-input.txt"));
        QCOMPARE(reasonOf(outcome), QStringLiteral("/nonexist.flac: No such file or directory"));
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
        QTest::addColumn<bool>("crashed");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QByteArray>("written"); // contents of the written file; null: no file
        QTest::addColumn<QString>("reason");

        const QString good =
            QStringLiteral("  Duration: 00:00:04.00, start\nsize= 1kB time=00:00:03.98 x\ndone\n");
        QTest::newRow("success") << false << 0 << good << QByteArray("data") << QString();
        QTest::newRow("killed") << true << 0 << good << QByteArray("data") << QStringLiteral("done");
        QTest::newRow("killed silently")
            << true << 0 << QString() << QByteArray("data") << QStringLiteral("转换工具被终止");
        QTest::newRow("error status") << false << 1 << QStringLiteral("Bad option\n\n  \n")
                                      << QByteArray("data") << QStringLiteral("Bad option");
        QTest::newRow("no file") << false << 0 << good << QByteArray() << QStringLiteral("done");
        QTest::newRow("empty file") << false << 0 << good << QByteArray("") << QStringLiteral("done");
        QTest::newRow("stopped short")
            << false << 0 << QStringLiteral("Duration: 00:00:04.00,\ntime=00:00:02.90 y\nend\n")
            << QByteArray("data") << QStringLiteral("end");
        QTest::newRow("within a second")
            << false << 0 << QStringLiteral("Duration: 00:00:04.00,\ntime=00:00:03.10 y\nend\n")
            << QByteArray("data") << QString();
        QTest::newRow("no duration announced")
            << false << 0 << QStringLiteral("Duration: N/A,\ntime=00:00:01.00\n") << QByteArray("data")
            << QString();
        QTest::newRow("duration beyond 100 hours is not believed")
            << false << 0 << QStringLiteral("Duration: 200:00:00.00,\ntime=00:00:01.00 y\nend\n")
            << QByteArray("data") << QString();

        // A last line that is only the tool's progress or statistics gives the program's own text.
        const QString progress =
            QStringLiteral("  Duration: 00:00:04.00, start\nsize= 1kB time=00:00:03.98 x\n");
        QTest::newRow("killed during progress")
            << true << 0 << progress << QByteArray("data") << QStringLiteral("转换工具被终止");
        QTest::newRow("error status after statistics")
            << false << 1 << progress + QStringLiteral("video:0kB audio:63kB subtitle:0kB\n")
            << QByteArray("data") << QStringLiteral("转换工具退出状态 1");
        QTest::newRow("error status after a frame line")
            << false << 254 << QStringLiteral("frame=  12 fps=0.0 q=2.0 size= 1kB\r") << QByteArray("data")
            << QStringLiteral("转换工具退出状态 254");
        QTest::newRow("encoder position, no file")
            << false << 0 << QStringLiteral("Pos:   3.9s     98f (100%) \n") << QByteArray()
            << QStringLiteral("转换工具没有写出文件");
        QTest::newRow("time= inside a line, empty file")
            << false << 0 << QStringLiteral("[out#0/mp3] size= 1kB time=00:00:03.98 x\n") << QByteArray("")
            << QStringLiteral("转换工具没有写出文件");
        QTest::newRow("stopped short on a progress line")
            << false << 0 << QStringLiteral("Duration: 00:00:04.00,\nsize= 1kB time=00:00:02.90 y\r")
            << QByteArray("data") << QStringLiteral("转换工具只处理了部分输入");
        QTest::newRow("a line merely starting like one is the tool's words")
            << false << 1 << QStringLiteral("frames dropped: 3\n") << QByteArray("data")
            << QStringLiteral("frames dropped: 3");
        QTest::newRow("conv's incomplete output")
            << false << 1 << QStringLiteral("Output is incomplete: 78.8 s of 120.0 s encoded\n")
            << QByteArray("data") << QStringLiteral("转换工具只处理了部分输入");
        QTest::newRow("cut starting past the input's end")
            << false << 1 << QStringLiteral("Start position is beyond the end of the input.\n")
            << QByteArray() << QStringLiteral("剪切范围超出文件长度");
    }
    void verdict()
    {
        QFETCH(bool, crashed);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QByteArray, written);
        QFETCH(QString, reason);

        QTemporaryDir dir;
        StageOutcome outcome;
        outcome.crashed = crashed;
        outcome.exitCode = exitCode;
        outcome.output = output;
        outcome.writtenPath = dir.filePath(QStringLiteral("out.mp3"));
        if (!written.isNull()) {
            QFile file(outcome.writtenPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(written);
        }
        QCOMPARE(reasonOf(outcome), reason);
    }

    // The program's own words where the tools' would not help: a full disk, a source no tool can
    // read, and one whose damaged frames the tool skipped and still exited with 0.
    void sourceAndDiskReasons_data()
    {
        QTest::addColumn<bool>("readsSource");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("reason");
        const QString decodeErrors =
            QStringLiteral("[flac @ 0x1] invalid sync code\nError while decoding stream #0:0: Invalid data "
                           "found when processing "
                           "input\nsize=  2334kB time=00:01:30.00 bitrate= 212.5kbits/s\n");
        QTest::newRow("disk full") << false << 1
                                   << QStringLiteral("av_interleaved_write_frame(): No space left on device\n"
                                                     "Conversion failed!\n")
                                   << QStringLiteral("磁盘空间不足");
        QTest::newRow("source cannot be opened")
            << true << 1 << QStringLiteral("/m/a.flac: Invalid data found when processing input\n")
            << QStringLiteral("源文件无法解码");
        QTest::newRow("source header unreadable")
            << true << 1 << QStringLiteral("/m/a.flac: Input/output error\n")
            << QStringLiteral("源文件无法解码");
        QTest::newRow("the output's I/O error is no source's")
            << true << 1 << QStringLiteral("Error writing trailer of /copy/m/a.flac: Input/output error\n")
            << QStringLiteral("Error writing trailer of /copy/m/a.flac: Input/output error");
        QTest::newRow("nothing decoded") << true << 0
                                         << QStringLiteral("Output file is empty, nothing was encoded (check "
                                                           "-ss / -t / -frames parameters if used)\n")
                                         << QStringLiteral("源文件无法解码");
        QTest::newRow("no stream in the source")
            << true << 1 << QStringLiteral("Output file #0 does not contain any stream\n")
            << QStringLiteral("源文件无法解码");
        QTest::newRow("damaged frames skipped")
            << true << 0 << decodeErrors << QStringLiteral("源文件已损坏");
        QTest::newRow("a work file's decoding errors are no source's")
            << false << 0 << decodeErrors << QString();
    }
    void sourceAndDiskReasons()
    {
        QFETCH(bool, readsSource);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        StageOutcome outcome;
        outcome.exitCode = exitCode;
        outcome.output = output;
        outcome.readsSource = readsSource;
        outcome.sourcePath = QStringLiteral("/m/a.flac");
        outcome.writtenPath = dir.filePath(QStringLiteral("out.mp3"));
        QFile file(outcome.writtenPath);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("data") == 4);
        file.close();
        QCOMPARE(reasonOf(outcome), reason);
    }

    // The decode into the work WAV fails the file at once when either decoder says a checksum failed.
    void decodeProblem_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("reason");
        const QString damaged = QStringLiteral("源文件已损坏");
        QTest::newRow("libFLAC frame")
            << QStringLiteral("2:FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH") << damaged;
        QTest::newRow("libFLAC header")
            << QStringLiteral("1:FLAC__STREAM_DECODER_ERROR_STATUS_BAD_HEADER") << damaged;
        QTest::newRow("ffmpeg frame") << QStringLiteral("[flac @ 0x1] CRC error at PTS 4096\n") << damaged;
        QTest::newRow("ffmpeg header") << QStringLiteral("[flac @ 0x1] header crc mismatch\n") << damaged;
        QTest::newRow("short decode")
            << QStringLiteral("0:FLAC__STREAM_DECODER_ERROR_STATUS_LOST_SYNC") << QString();
    }
    void decodeProblem()
    {
        QFETCH(QString, output);
        QFETCH(QString, reason);
        const std::optional<FileFailure> problem = SourceReading::decodeProblem(output);
        QCOMPARE(problem ? failureText(*problem) : QString(), reason);
    }

    // An MP3 is read back with no tool: its Info frame's count, or its frames walked one by one.
    void mp3ReadBack_data()
    {
        QTest::addColumn<QStringList>("encode"); // ffmpeg options of a 4 s sine tone's encode
        QTest::addColumn<QString>("damage");
        QTest::addColumn<double>("expected");
        QTest::addColumn<QString>("reason");
        const QStringList cbr{QStringLiteral("-b:a"), QStringLiteral("320k")};
        const QString incomplete = QStringLiteral("输出文件不完整");
        QTest::newRow("whole") << cbr << QString() << 4.0 << QString();
        QTest::newRow("tagged, no Info frame")
            << (cbr + QStringList{QStringLiteral("-write_xing"), QStringLiteral("0"),
                                  QStringLiteral("-metadata"), QStringLiteral("title=歌")})
            << QString() << 4.0 << QString();
        QTest::newRow("mono 22050 Hz, variable rate")
            << QStringList{QStringLiteral("-ac"),   QStringLiteral("1"),    QStringLiteral("-ar"),
                           QStringLiteral("22050"), QStringLiteral("-q:a"), QStringLiteral("4")}
            << QString() << 4.0 << QString();
        QTest::newRow("cut in half") << cbr << QStringLiteral("half") << 4.0 << incomplete;
        QTest::newRow("cut in half, no Info frame")
            << (cbr + QStringList{QStringLiteral("-write_xing"), QStringLiteral("0")})
            << QStringLiteral("half") << 4.0 << incomplete;
        // An Info frame without the stream's byte count cannot tell that the frames it counts are there.
        QTest::newRow("cut in half, no byte count")
            << cbr << QStringLiteral("half, no byte count") << 4.0 << incomplete;
        QTest::newRow("shorter than its source") << cbr << QString() << 5.5 << incomplete;
        QTest::newRow("not an MP3") << cbr << QStringLiteral("garbage") << 4.0 << incomplete;
    }
    void mp3ReadBack()
    {
        QFETCH(QStringList, encode);
        QFETCH(QString, damage);
        QFETCH(double, expected);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString mp3 = dir.filePath(QStringLiteral("out.mp3"));
        const TestMedia::ToolResult made = TestMedia::run(
            QStringLiteral("ffmpeg"),
            QStringList{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-f"),
                        QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=4")} +
                encode + QStringList{mp3});
        QCOMPARE(made.exitCode, 0);
        QFile file(mp3);
        if (damage.startsWith(QStringLiteral("half")))
            QVERIFY(file.resize(file.size() / 2));
        if (damage.endsWith(QStringLiteral("no byte count"))) {
            // The flags follow the tag's name; bit 2 says a byte count is there.
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 flags = file.readAll().indexOf("Info") + 7;
            QVERIFY(flags > 7 && file.seek(flags));
            char value = 0;
            QVERIFY(file.getChar(&value) && file.seek(flags) && file.putChar(char(value & ~2)));
            file.close();
        }
        if (damage == QStringLiteral("garbage")) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4000, 'x'));
            file.close();
        }
        QCOMPARE(OutputCheck::audioWhole(mp3, expected), reason.isEmpty());
    }

    void stageWritingNothingIsNotJudgedOnFiles()
    {
        StageOutcome probe;
        probe.output = QStringLiteral("  Duration: 00:00:04.00, bitrate\n");
        QCOMPARE(reasonOf(probe), QString());
    }
};

QTEST_GUILESS_MAIN(TestStageVerdict)
#include "tst_stageverdict.moc"
