#include "runner/outputparsers.h"
#include "runner/utf8chunkdecoder.h"
#include "settings/numbertext.h"

#include <QFile>
#include <QtTest>

#include <limits>
#include <optional>

using namespace OutputParsers;

namespace {

QString recorded(const QString &name)
{
    QFile file(QStringLiteral(TUNOXA_TESTS_DIR "/runner/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestOutputParsers : public QObject
{
    Q_OBJECT

private slots:
    void leadingNumberReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << QStringLiteral("45%") << true << 45.0;
        QTest::newRow("leading blanks") << QStringLiteral("  5%") << true << 5.0;
        QTest::newRow("decimal") << QStringLiteral("12.5abc") << true << 12.5;
        QTest::newRow("second point ends it") << QStringLiteral("12.3413.56") << true << 12.3413;
        QTest::newRow("point first") << QStringLiteral(".5") << true << 0.5;
        QTest::newRow("no digit") << QStringLiteral("N/A") << false << 0.0;
        QTest::newRow("point only") << QStringLiteral(".") << false << 0.0;
        QTest::newRow("empty") << QString() << false << 0.0;
        QTest::newRow("sign is not a digit") << QStringLiteral("-00:00:00.02") << false << 0.0;
    }

    void leadingNumberReading()
    {
        QFETCH(QString, text);
        QFETCH(bool, found);
        QFETCH(double, value);
        const std::optional<double> number = leadingNumber(text);
        QCOMPARE(number.has_value(), found);
        if (found)
            QCOMPARE(*number, value);
    }

    void roundingHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("rounded");
        QTest::newRow("0.5") << 0.5 << qint64(0);
        QTest::newRow("1.5") << 1.5 << qint64(2);
        QTest::newRow("2.5") << 2.5 << qint64(2);
        QTest::newRow("3723.5") << 3723.5 << qint64(3724);
        QTest::newRow("205.47") << 205.47 << qint64(205);
        QTest::newRow("12.3413") << 12.3413 << qint64(12);
        QTest::newRow("29.51") << 29.51 << qint64(30);
        // Whatever a tool printed, the rounding gives a whole number and never overflows.
        QTest::newRow("1e23 keeps to the top end") << 1e23 << std::numeric_limits<qint64>::max();
        QTest::newRow("-1e23 keeps to the bottom end") << -1e23 << std::numeric_limits<qint64>::min();
        QTest::newRow("infinity") << qInf() << std::numeric_limits<qint64>::max();
        QTest::newRow("not a number") << qQNaN() << qint64(0);
    }

    void roundingHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(qint64, rounded);
        QCOMPARE(NumberText::roundHalfEven(value), rounded);
    }

    void encoderPercentage_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("percent");
        QTest::newRow("single digit")
            << QStringLiteral("Pos:   1.2s     30f ( 5%)  0.00fps") << QStringLiteral(" 5%") << 5;
        QTest::newRow("two digits") << QStringLiteral("Pos:  18.6s    446f (45%) ") << QStringLiteral("45%")
                                    << 45;
        QTest::newRow("complete") << QStringLiteral("Pos:  60.0s   1441f (100%) ") << QStringLiteral("100%")
                                  << 100;
        // The encoder rewrites its line in place, so of two percentages in one chunk the first is
        // already stale: the latest counts.
        QTest::newRow("two percentages: the latest counts")
            << QStringLiteral("Pos:   1.2s  30f ( 5%) \rPos:   2.0s  50f (45%) ") << QStringLiteral("45%")
            << 45;
        QTest::newRow("end of a real encode")
            << QStringLiteral("Pos:  60.0s   1441f (99%) \rPos:  60.0s   1441f (100%) \n")
            << QStringLiteral("100%") << 100;
        QTest::newRow("no parenthesis") << QStringLiteral("Pos:   1.2s     30f") << QString() << 0;
        QTest::newRow("parenthesis cut by the chunk end")
            << QStringLiteral("Pos: 1.2s 30f (4") << QString() << 0;
        QTest::newRow("other parentheses first")
            << QStringLiteral("mpeg4 (native) -> (12%)") << QStringLiteral("12%") << 12;
        QTest::newRow("several blanks")
            << QStringLiteral("Pos: 0.1s 2f (  7%)") << QStringLiteral("  7%") << 7;
        QTest::newRow("decimal") << QStringLiteral("(7.5%)") << QStringLiteral("7.5%") << 8;
        // A failing tool's words about a file name are no percentage.
        QTest::newRow("year in a file name")
            << QStringLiteral("Live (2010).avi: Invalid data found when processing input") << QString() << 0;
        QTest::newRow("word before the percent sign") << QStringLiteral("(abc%)") << QString() << 0;
        QTest::newRow("above 100") << QStringLiteral("(101%)") << QString() << 0;
        QTest::newRow("no percent sign") << QStringLiteral("( 45)") << QString() << 0;
        QTest::newRow("blank before the percent sign") << QStringLiteral("(45 %)") << QString() << 0;
        QTest::newRow("huge number") << QStringLiteral("(99999999999999999999999%)") << QString() << 0;
        QTest::newRow("a later non-percentage does not hide the latest")
            << QStringLiteral("Pos: 1.2s 30f (45%) \rLive (2010).avi (101%)") << QStringLiteral("45%") << 45;
    }

    void encoderPercentage()
    {
        QFETCH(QString, chunk);
        QFETCH(QString, text);
        QFETCH(int, percent);
        QCOMPARE(encoderPercentText(chunk), text);
        QCOMPARE(encoderPercent(encoderPercentText(chunk)), percent);
    }

    void durationReading_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<qint32>("seconds");
        QTest::newRow("half rounds to even")
            << QStringLiteral("  Duration: 01:02:03.50, start: 0.000000, bitrate: 1411 kb/s") << qint32(3724);
        QTest::newRow("comma ends the value")
            << QStringLiteral("  Duration: 00:03:25.47, start: 0.000000") << qint32(205);
        QTest::newRow("half below even") << QStringLiteral("Duration: 00:00:02.50, start") << qint32(2);
        QTest::newRow("end of chunk") << QStringLiteral("Duration: 00:00:03.50") << qint32(4);
        QTest::newRow("not available") << QStringLiteral("  Duration: N/A, bitrate: N/A") << qint32(0);
        QTest::newRow("cut by the chunk end") << QStringLiteral("  Duration: 00:0") << qint32(0);
        QTest::newRow("no duration") << QStringLiteral("Stream #0:0: Audio: flac") << qint32(0);
        QTest::newRow("two in one chunk count the first")
            << QStringLiteral("Duration: 00:01:00.00, x\nDuration: 00:02:00.00, y") << qint32(60);
        QTest::newRow("too large") << QStringLiteral("Duration: 999999:00:00.00, start") << qint32(0);
        QTest::newRow("100 hours") << QStringLiteral("Duration: 100:00:00.00, start") << qint32(360000);
        QTest::newRow("beyond 100 hours") << QStringLiteral("Duration: 100:00:00.01, start") << qint32(0);
        QTest::newRow("seconds beyond any range")
            << QStringLiteral("Duration: 00:00:100000000000000000000000.00, start") << qint32(0);
    }

    void durationReading()
    {
        QFETCH(QString, chunk);
        QFETCH(qint32, seconds);
        QCOMPARE(durationSeconds(collectAfter(chunk, u"Duration: ")), seconds);
    }

    void timeReading_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<double>("seconds");
        QTest::newRow("seconds") << QStringLiteral("size=     512kB time=30.00 bitrate= 139.8kbits/s")
                                 << 30.0;
        QTest::newRow("clock") << QStringLiteral("size=     512kB time=00:00:30.00 bitrate= 139.8kbits/s")
                               << 30.0;
        QTest::newRow("clock with hours") << QStringLiteral("time=01:02:03.50 bitrate") << 3723.5;
        QTest::newRow("clock without fraction") << QStringLiteral("time=00:01:05 bitrate") << 65.0;
        QTest::newRow("not available") << QStringLiteral("size=N/A time=N/A bitrate=N/A") << 0.0;
        QTest::newRow("negative at the start") << QStringLiteral("time=-00:00:00.02 bitrate") << 0.0;
        QTest::newRow("cut by the chunk end") << QStringLiteral("size= 2kB time=00:0") << 0.0;
        QTest::newRow("100 hours") << QStringLiteral("time=100:00:00.00 bitrate") << 360000.0;
    }

    void timeReading()
    {
        QFETCH(QString, chunk);
        QFETCH(double, seconds);
        QCOMPARE(timeValue(collectAfter(chunk, u"time=")), seconds);
        QCOMPARE(chunkProgressTime(chunk), std::optional<double>(seconds));
    }

    void chunkProgressTimeTakesTheLatest_data()
    {
        using Seconds = std::optional<double>;
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<Seconds>("seconds"); // none: the chunk tells no time
        QTest::newRow("two clocks") << QStringLiteral("time=00:00:12.34 x\rtime=00:00:13.56 y")
                                    << Seconds(13.56);
        QTest::newRow("two seconds values") << QStringLiteral("time=12.34 x\rtime=13.56 y") << Seconds(13.56);
        QTest::newRow("final line of an encode")
            << QStringLiteral(
                   "size= 8192kB time=00:03:32.44 bitrate= 315.9kbits/s speed= 106x    \rsize=    9377kB "
                   "time=00:04:00.00 bitrate= 320.1kbits/s speed= 103x    \nvideo:0kB audio:9376kB")
            << Seconds(240.0);
        QTest::newRow("latest cut by the chunk end")
            << QStringLiteral("time=00:00:12.34 x\rsize= 2kB time=00:0") << Seconds(12.34);
        QTest::newRow("latest ends the chunk")
            << QStringLiteral("time=00:00:12.34 x\rtime=00:00:13.56") << Seconds(12.34);
        QTest::newRow("latest not available")
            << QStringLiteral("time=00:00:12.34 x\rtime=N/A y") << Seconds(12.34);
        QTest::newRow("latest beyond 100 hours")
            << QStringLiteral("time=00:00:12.34 x\rtime=100:00:00.01 y") << Seconds(12.34);
        QTest::newRow("none") << QStringLiteral("frame=1 fps=0.0") << Seconds();
        QTest::newRow("only beyond 100 hours")
            << QStringLiteral("size= 1kB time=100:00:00.01 bitrate=") << Seconds();
        QTest::newRow("1e23 seconds")
            << QStringLiteral("size= 1kB time=100000000000000000000000 bitrate=") << Seconds();
        QTest::newRow("1e23 hours") << QStringLiteral("time=100000000000000000000000:00:00.00 bitrate=")
                                    << Seconds();
    }

    void chunkProgressTimeTakesTheLatest()
    {
        QFETCH(QString, chunk);
        QFETCH(std::optional<double>, seconds);
        QCOMPARE(chunkProgressTime(chunk), seconds);
        QCOMPARE(timeValue(collectAfter(chunk, u"time=")) > 0, seconds.has_value());
    }

    void percentTextOfFifteenDigits_data()
    {
        QTest::addColumn<double>("percent");
        QTest::addColumn<QString>("text");
        QTest::newRow("14.63") << 30.0 / 205 * 100 << QStringLiteral("14.6");
        QTest::newRow("12.3456") << 12.3456 << QStringLiteral("12.3");
        QTest::newRow("7.5") << 7.5 << QStringLiteral("7.5");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0");
        QTest::newRow("two thirds") << 200.0 / 3 << QStringLiteral("66.6");
        QTest::newRow("whole") << 5.0 << QStringLiteral("5");
        QTest::newRow("small") << 0.0001234 << QStringLiteral("0.00");
        QTest::newRow("tiny, no exponent") << 1e-20 << QStringLiteral("0.00");
        QTest::newRow("just below 100 rounds at 15 digits") << 99.9999999999999999 << QStringLiteral("100");
        QTest::newRow("99.99") << 99.99 << QStringLiteral("99.9");
    }

    void percentTextOfFifteenDigits()
    {
        QFETCH(double, percent);
        QFETCH(QString, text);
        QCOMPARE(percentText(percent), text);
    }

    void spinnerSteps_data()
    {
        QTest::addColumn<QString>("glyph");
        QTest::addColumn<QString>("next");
        QTest::newRow("dash") << QStringLiteral("-") << QStringLiteral("\\");
        QTest::newRow("backslash") << QStringLiteral("\\") << QStringLiteral("|");
        QTest::newRow("bar") << QStringLiteral("|") << QStringLiteral("/");
        QTest::newRow("slash") << QStringLiteral("/") << QStringLiteral("-");
        QTest::newRow("other") << QStringLiteral("x") << QStringLiteral("-");
        QTest::newRow("empty") << QString() << QStringLiteral("-");
    }

    void spinnerSteps()
    {
        QFETCH(QString, glyph);
        QFETCH(QString, next);
        QCOMPARE(nextSpinner(glyph), next);
    }

    void wholeOutputReading_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<std::optional<double>>("duration");
        QTest::addColumn<std::optional<double>>("lastTime");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("recorded mp3 encode")
            << recorded(QStringLiteral("ffmpeg-mp3-encode-4min.txt")) << std::optional<double>(240.0)
            << std::optional<double>(240.0)
            << QStringLiteral(
                   "video:0kB audio:9376kB subtitle:0kB other streams:0kB global headers:0kB muxing "
                   "overhead: 0.010468%");
        QTest::newRow("damaged input stops short")
            << QStringLiteral("  Duration: 00:00:10.00, start: 0.000000\nsize=N/A time=N/A\rsize= 9kB "
                              "time=00:00:04.20 bitrate=1\r[flac @ 0x1] invalid frame\n\n")
            << std::optional<double>(10.0) << std::optional<double>(4.2)
            << QStringLiteral("[flac @ 0x1] invalid frame");
        QTest::newRow("probe only") << QStringLiteral(
                                           "  Duration: N/A, bitrate: N/A\nAt least one output file must "
                                           "be specified\n")
                                    << std::optional<double>() << std::optional<double>()
                                    << QStringLiteral("At least one output file must be specified");
        QTest::newRow("nothing") << QString() << std::optional<double>() << std::optional<double>()
                                 << QString();
        QTest::newRow("values beyond 100 hours")
            << QStringLiteral("  Duration: 200:00:00.00, start\nsize= 1kB time=00:00:04.00 x\rsize= 2kB "
                              "time=100000000000000000000000 x\n")
            << std::optional<double>() << std::optional<double>(4.0)
            << QStringLiteral("size= 2kB time=100000000000000000000000 x");
    }

    void wholeOutputReading()
    {
        QFETCH(QString, output);
        QFETCH(std::optional<double>, duration);
        QFETCH(std::optional<double>, lastTime);
        QFETCH(QString, lastLine);
        QCOMPARE(announcedDuration(output), duration);
        QCOMPARE(lastProgressTime(output), lastTime);
        QCOMPARE(lastNonEmptyLine(output), lastLine);
    }

    void twoInputProbe_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<double>("first"); // each input's duration, 0 for none; -1: no second input
        QTest::addColumn<double>("second");
        const QString source =
            QStringLiteral("Input #0, flac, from 'a.flac':\n  Duration: 00:00:10.00, start\n");
        QTest::newRow("source and output")
            << source + QStringLiteral("Input #1, mp3, from 'a.mp3':\n  Duration: 00:00:09.50, start\n")
            << 10.0 << 9.5;
        QTest::newRow("output without a length")
            << source + QStringLiteral("Input #1, mp3:\n  Duration: N/A, start\n") << 10.0 << 0.0;
        QTest::newRow("output unreadable")
            << source + QStringLiteral("a.mp3: Invalid data\n") << -1.0 << -1.0;
    }

    void twoInputProbe()
    {
        QFETCH(QString, output);
        QFETCH(double, first);
        QFETCH(double, second);
        const std::optional<ProbedInputs> inputs = probedInputs(output);
        QCOMPARE(inputs ? announcedDuration(inputs->first).value_or(0) : -1, first);
        QCOMPARE(inputs ? announcedDuration(inputs->second).value_or(0) : -1, second);
    }

    void utf8PiecesDecodeWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("chinese") << QStringLiteral("转换中 100% 完成").toUtf8();
        QTest::newRow("four-byte") << QStringLiteral("a\U0001F600b\U0001F3B5").toUtf8();
        QTest::newRow("ascii") << QByteArray("size= 512kB time=00:00:30.00");
    }

    void utf8PiecesDecodeWhole()
    {
        // Every cut of the stream into two pieces gives the same text, and no piece shows half a character.
        QFETCH(QByteArray, bytes);
        const QString whole = QString::fromUtf8(bytes);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            Utf8ChunkDecoder decoder;
            const QString first = decoder.decode(bytes.left(cut));
            const QString second = decoder.decode(bytes.mid(cut));
            QCOMPARE(first + second + decoder.flush(), whole);
            QVERIFY(!first.contains(QChar::ReplacementCharacter));
            QVERIFY(!second.contains(QChar::ReplacementCharacter));
        }
    }

    void utf8InvalidBytesAreReplaced()
    {
        Utf8ChunkDecoder decoder;
        QCOMPARE(decoder.decode(QByteArray("a\xff"
                                           "b")),
                 QStringLiteral("a\uFFFDb"));
        QCOMPARE(decoder.decode(QByteArray("c\xe4\xb8")), QStringLiteral("c"));
        QCOMPARE(decoder.flush(), QStringLiteral("\uFFFD\uFFFD"));
        QCOMPARE(decoder.flush(), QString());
    }
};

QTEST_GUILESS_MAIN(TestOutputParsers)
#include "tst_outputparsers.moc"
