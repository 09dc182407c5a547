#include "common/faketools.h"
#include "common/runtoend.h"
#include "common/testmedia.h"
#include "conversion/toolprogress.h"
#include "runner/outputparsers.h"
#include "runner/toolrunner.h"
#include "settings/numbertext.h"
#include "ui/progressstate.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The progress area as the window feeds it: a tool's chunks read as a job's progress, shown.
class ProgressArea : public ProgressState
{
public:
    void readEncoderOutput(const QString &chunk) { show(m_reading.readEncoderOutput(chunk)); }
    void readProbeOutput(const QString &chunk) { m_reading.readProbeOutput(chunk); }
    void readTranscoderOutput(const QString &chunk) { show(m_reading.readTranscoderOutput(chunk)); }
    qint32 durationSeconds() const { return m_reading.durationSeconds(); }
    void setDurationSeconds(qint32 seconds) { m_reading.setDurationSeconds(seconds); }
    void resetDuration() { m_reading.reset(); }

private:
    ToolProgress m_reading;
};

struct Reading
{
    double width;
    double value;
    QString caption;
};

// Every state the display shows while a tool runs.
struct DisplayLog
{
    explicit DisplayLog(ProgressState &display)
    {
        QObject::connect(&display, &ProgressState::changed, &display, [this, &display] {
            readings.append({display.barWidth(), display.percent(), display.caption()});
        });
    }

    bool risesMonotonically() const
    {
        for (qsizetype k = 1; k < readings.size(); ++k) {
            if (readings.at(k).value < readings.at(k - 1).value ||
                readings.at(k).width < readings.at(k - 1).width)
                return false;
        }
        return true;
    }

    int distinctValues() const
    {
        QList<double> values;
        for (const Reading &r : readings) {
            if (!values.contains(r.value))
                values.append(r.value);
        }
        return int(values.size());
    }

    QList<Reading> readings;
};

QString tool(const QString &name)
{
    return TestMedia::programFolder() + QStringLiteral("/data/") + name;
}

} // namespace

class TestProgressState : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void startsEmpty()
    {
        ProgressArea display;
        QCOMPARE(display.barWidth(), 0.0);
        QCOMPARE(display.percent(), 0.0);
        QCOMPARE(display.caption(), QStringLiteral("0%"));
        QCOMPARE(display.spinner(), QStringLiteral("-"));
        QCOMPARE(display.durationSeconds(), 0);
    }

    void encoderChunks_data()
    {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("caption");
        QTest::newRow("5%") << QStringLiteral("Pos:   1.2s     30f ( 5%)  0.00fps") << 270.75 << 5.0
                            << QStringLiteral("转换中\\ 5%");
        QTest::newRow("45%") << QStringLiteral("Pos:  18.6s    446f (45%) ") << 2436.75 << 45.0
                             << QStringLiteral("转换中\\ 45%");
        QTest::newRow("100%") << QStringLiteral("Pos:  60.0s   1441f (100%) ") << 5415.0 << 100.0
                              << QStringLiteral("结束 100%");
        QTest::newRow("two percentages: the latest counts")
            << QStringLiteral("Pos:   1.2s  30f ( 5%) \rPos:  18.6s   446f (45%) ") << 2436.75 << 45.0
            << QStringLiteral("转换中\\ 45%");
        QTest::newRow("half rounds to even")
            << QStringLiteral("(2.5%)") << 108.3 << 2.0 << QStringLiteral("转换中\\ 2%");
        QTest::newRow("no parenthesis")
            << QStringLiteral("Pos:   1.2s     30f") << 0.0 << 0.0 << QStringLiteral("0%");
        QTest::newRow("100% after blanks") << QStringLiteral("Pos:  60.0s   1441f ( 100%) ") << 5415.0
                                           << 100.0 << QStringLiteral("结束 100%");
        // A failing tool that names a file with a year in it shows no progress.
        QTest::newRow("year in a file name")
            << QStringLiteral("Live (2010).avi: Invalid data found when processing input") << 0.0 << 0.0
            << QStringLiteral("0%");
        QTest::newRow("above 100%") << QStringLiteral("(101%)") << 0.0 << 0.0 << QStringLiteral("0%");
    }

    void encoderChunks()
    {
        QFETCH(QString, chunk);
        QFETCH(double, width);
        QFETCH(double, value);
        QFETCH(QString, caption);
        ProgressArea display;
        display.readEncoderOutput(chunk);
        QCOMPARE(display.barWidth(), width);
        QCOMPARE(display.percent(), value);
        QCOMPARE(display.caption(), caption);
        QCOMPARE(display.spinner(), QStringLiteral("\\"));
    }

    void encoderChunkWithoutPercentOnlyMovesTheSpinner()
    {
        ProgressArea display;
        display.readEncoderOutput(QStringLiteral("( 5%)"));
        display.readEncoderOutput(QStringLiteral("Pos:   1.3s     31f"));
        QCOMPARE(display.spinner(), QStringLiteral("|"));
        QCOMPARE(display.caption(), QStringLiteral("转换中\\ 5%"));
        QCOMPARE(display.percent(), 5.0);
        display.readEncoderOutput(QStringLiteral("( 6%)"));
        QCOMPARE(display.caption(), QStringLiteral("转换中/ 6%"));
    }

    void durationProbeChunks_data()
    {
        QTest::addColumn<qint32>("before");
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<qint32>("after");
        QTest::newRow("half rounds to even")
            << 0 << QStringLiteral("  Duration: 01:02:03.50, start: 0.000000, bitrate: 1411 kb/s") << 3724;
        QTest::newRow("comma ends the value")
            << 0 << QStringLiteral("  Duration: 00:03:25.47, start: 0.000000") << 205;
        QTest::newRow("not available") << 0 << QStringLiteral("  Duration: N/A, bitrate: N/A") << 0;
        QTest::newRow("second duration ignored")
            << 3724 << QStringLiteral("  Duration: 00:00:10.00, start: 0") << 3724;
        QTest::newRow("no duration") << 0 << QStringLiteral("Input #0, flac, from 'a.flac':") << 0;
        QTest::newRow("beyond 100 hours") << 0 << QStringLiteral("  Duration: 100:00:00.01, start: 0") << 0;
    }

    void durationProbeChunks()
    {
        QFETCH(qint32, before);
        QFETCH(QString, chunk);
        QFETCH(qint32, after);
        ProgressArea display;
        display.setDurationSeconds(before);
        QSignalSpy changes(&display, &ProgressState::changed);
        display.readProbeOutput(chunk);
        QCOMPARE(display.durationSeconds(), after);
        // The probe moves nothing on the screen.
        QCOMPARE(changes.size(), 0);
        QCOMPARE(display.spinner(), QStringLiteral("-"));
        QCOMPARE(display.caption(), QStringLiteral("0%"));
    }

    void transcoderChunks_data()
    {
        QTest::addColumn<qint32>("durationBefore");
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<qint32>("durationAfter");
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("caption");
        const double at30 = 30.0 / 205 * 5415;
        QTest::newRow("seconds form")
            << 205 << QStringLiteral("size=     512kB time=30.00 bitrate= 139.8kbits/s") << 205 << at30
            << 14.6 << QStringLiteral("转换中\\ 14.6%");
        QTest::newRow("clock form") << 205
                                    << QStringLiteral(
                                           "size=     512kB time=00:00:30.00 bitrate= 139.8kbits/s")
                                    << 205 << at30 << 14.6 << QStringLiteral("转换中\\ 14.6%");
        QTest::newRow("time rounds half to even")
            << 205 << QStringLiteral("size= 1kB time=00:00:30.50 bitrate=") << 205 << at30 << 14.6
            << QStringLiteral("转换中\\ 14.6%");
        QTest::newRow("at the duration") << 205 << QStringLiteral("size= 9377kB time=00:03:25.00 bitrate=")
                                         << 205 << 5415.0 << 100.0 << QStringLiteral("完成 100%");
        QTest::newRow("past the duration") << 205 << QStringLiteral("size= 9377kB time=00:03:30.00 bitrate=")
                                           << 205 << 5415.0 << 100.0 << QStringLiteral("完成 100%");
        QTest::newRow("duration then time in one chunk")
            << 0
            << QStringLiteral("  Duration: 00:03:25.47, start: 0.000000, bitrate: 1411 kb/s\n"
                              "size=     512kB time=00:00:30.00 bitrate= 139.8kbits/s")
            << 205 << at30 << 14.6 << QStringLiteral("转换中\\ 14.6%");
        QTest::newRow("own duration ignored once known")
            << 100 << QStringLiteral("  Duration: 00:03:25.47, start: 0\nsize= 1kB time=00:00:30.00 bitrate=")
            << 100 << 0.3 * 5415 << 30.0 << QStringLiteral("转换中\\ 30%");
        QTest::newRow("7.5%") << 400 << QStringLiteral("time=00:00:30.00 bitrate") << 400 << 0.075 * 5415
                              << 7.5 << QStringLiteral("转换中\\ 7.5%");
        QTest::newRow("two thirds") << 3 << QStringLiteral("time=00:00:02.00 bitrate") << 3 << 2.0 / 3 * 5415
                                    << 66.6 << QStringLiteral("转换中\\ 66.6%");
        QTest::newRow("time not yet known") << 205 << QStringLiteral("size=N/A time=N/A bitrate=N/A") << 205
                                            << 0.0 << 0.0 << QStringLiteral("转换中\\ 0%");
        QTest::newRow("no known duration leaves the display")
            << 0 << QStringLiteral("size= 512kB time=00:00:30.00 bitrate=") << 0 << 0.0 << 0.0
            << QStringLiteral("0%");
        QTest::newRow("unreadable duration leaves the display")
            << 0 << QStringLiteral("  Duration: N/A, bitrate: N/A\nsize= 512kB time=00:00:30.00 bitrate=")
            << 0 << 0.0 << 0.0 << QStringLiteral("0%");
        QTest::newRow("no time") << 205 << QStringLiteral("Stream mapping:\n") << 205 << 0.0 << 0.0
                                 << QStringLiteral("0%");
        QTest::newRow("time beyond 100 hours leaves the display")
            << 205 << QStringLiteral("size= 1kB time=100:00:00.01 bitrate=") << 205 << 0.0 << 0.0
            << QStringLiteral("0%");
        QTest::newRow("time of 1e23 s leaves the display")
            << 205 << QStringLiteral("size= 1kB time=100000000000000000000000 bitrate=") << 205 << 0.0 << 0.0
            << QStringLiteral("0%");
        QTest::newRow("duration beyond 100 hours stays unknown")
            << 0 << QStringLiteral("  Duration: 999:00:00.00, start: 0\nsize= 1kB time=00:00:30.00 bitrate=")
            << 0 << 0.0 << 0.0 << QStringLiteral("0%");
        QTest::newRow("100 hours reached") << 360000 << QStringLiteral("size= 1kB time=100:00:00.00 bitrate=")
                                           << 360000 << 5415.0 << 100.0 << QStringLiteral("完成 100%");
    }

    void transcoderChunks()
    {
        QFETCH(qint32, durationBefore);
        QFETCH(QString, chunk);
        QFETCH(qint32, durationAfter);
        QFETCH(double, width);
        QFETCH(double, value);
        QFETCH(QString, caption);
        ProgressArea display;
        display.setDurationSeconds(durationBefore);
        display.readTranscoderOutput(chunk);
        QCOMPARE(display.durationSeconds(), durationAfter);
        QCOMPARE(display.barWidth(), width);
        QCOMPARE(display.percent(), value);
        QCOMPARE(display.caption(), caption);
        QCOMPARE(display.spinner(), QStringLiteral("\\"));
    }

    void widthAt30Of205IsAbout792()
    {
        ProgressArea display;
        display.setDurationSeconds(205);
        display.readTranscoderOutput(QStringLiteral("size=     512kB time=30.00 bitrate= 139.8kbits/s"));
        QVERIFY(qAbs(display.barWidth() - 792) < 1);
    }

    void resetForgetsTheDuration()
    {
        ProgressArea display;
        display.readProbeOutput(QStringLiteral("Duration: 00:00:10.00, start"));
        QCOMPARE(display.durationSeconds(), 10);
        display.resetDuration();
        QCOMPARE(display.durationSeconds(), 0);
        display.readProbeOutput(QStringLiteral("Duration: 00:00:20.00, start"));
        QCOMPARE(display.durationSeconds(), 20);
    }

    // A recorded encode, replayed by a tool through the runner, reads as the live one did.
    void recordedOutputThroughTheRunner_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("encoder");
        QTest::addColumn<qint32>("duration");
        QTest::addColumn<QString>("finalCaption");
        QTest::newRow("mp3 encode") << QStringLiteral("ffmpeg-mp3-encode-4min.txt") << false << 240
                                    << QStringLiteral("完成 100%");
        QTest::newRow("conv avi encode")
            << QStringLiteral("conv-avi-encode-60s.txt") << true << 0 << QStringLiteral("结束 100%");
    }

    void recordedOutputThroughTheRunner()
    {
        QFETCH(QString, file);
        QFETCH(bool, encoder);
        QFETCH(qint32, duration);
        QFETCH(QString, finalCaption);
        const QString path = QStringLiteral(TUNOXA_TESTS_DIR "/runner/data/") + file;
        // One line per pass, as the tool printed it over time.
        const QString replay = FakeTools::write(m_dir.path(), QStringLiteral("replay"),
                                                "tr '\\r' '\\n' < \"$1\" | while IFS= read -r line; do "
                                                "printf '%s\\r' \"$line\"; sleep 0.06; done");
        ToolRunner runner;
        ProgressArea display;
        DisplayLog log(display);
        if (encoder)
            connect(&runner, &ToolRunner::outputReceived, &display, &ProgressArea::readEncoderOutput);
        else
            connect(&runner, &ToolRunner::outputReceived, &display, &ProgressArea::readTranscoderOutput);
        runToEnd(runner, {replay, {path}});
        QCOMPARE(runner.endStatus(), ToolRunner::EndStatus::Exited);
        QCOMPARE(display.durationSeconds(), duration);
        QVERIFY(log.risesMonotonically());
        QVERIFY2(log.distinctValues() >= 4, qPrintable(QString::number(log.distinctValues())));
        QCOMPARE(display.percent(), 100.0);
        QCOMPARE(display.barWidth(), 5415.0);
        QCOMPARE(display.caption(), finalCaption);
    }

    void realMp3Encode()
    {
        const QString flac = m_dir.path() + QStringLiteral("/album track.flac");
        const QString mp3 = m_dir.path() + QStringLiteral("/album track.mp3");
        QVERIFY(TestMedia::makeFlac(flac, 30.5));
        const qint64 trueDuration =
            NumberText::roundHalfEven(TestMedia::durationSeconds(TestMedia::probe(flac)));
        QCOMPARE(trueDuration, 30);

        ProgressArea display;
        DisplayLog log(display);
        ToolRunner probeRunner;
        connect(&probeRunner, &ToolRunner::outputReceived, &display, &ProgressArea::readProbeOutput);
        runToEnd(probeRunner, {tool(QStringLiteral("coder")), {QStringLiteral("-i"), flac}});
        QCOMPARE(display.durationSeconds(), trueDuration);
        QVERIFY(log.readings.isEmpty() || log.readings.last().caption == QStringLiteral("0%"));

        // Progress every 0.1 s of the encode, and the input read at 15 times its speed, give a
        // couple of dozen progress lines.
        ToolRunner coderRunner;
        connect(&coderRunner, &ToolRunner::outputReceived, &display, &ProgressArea::readTranscoderOutput);
        runToEnd(coderRunner,
                 {tool(QStringLiteral("coder")),
                  QStringLiteral("-stats_period 0.1 -readrate 15 -i").split(u' ')
                      << flac << QStringLiteral("-acodec libmp3lame -ab 320k -ar 48000 -ac 2 -y").split(u' ')
                      << mp3});
        QCOMPARE(coderRunner.endStatus(), ToolRunner::EndStatus::Exited);
        QCOMPARE(coderRunner.exitCode(), 0);
        QCOMPARE(display.durationSeconds(), trueDuration);
        QVERIFY(log.risesMonotonically());
        QVERIFY2(log.distinctValues() >= 5, qPrintable(QString::number(log.distinctValues())));
        QCOMPARE(display.percent(), 100.0);
        QCOMPARE(display.barWidth(), 5415.0);
        QCOMPARE(display.caption(), QStringLiteral("完成 100%"));
        QCOMPARE(OutputParsers::announcedDuration(coderRunner.output()), std::optional<double>(30.5));
        QVERIFY(qAbs(*OutputParsers::lastProgressTime(coderRunner.output()) - 30.5) < 0.1);
    }

    void ownDurationWithoutProbe()
    {
        const QString flac = m_dir.path() + QStringLiteral("/short.flac");
        QVERIFY(TestMedia::makeFlac(flac, 4.5));
        ProgressArea display;
        ToolRunner coderRunner;
        connect(&coderRunner, &ToolRunner::outputReceived, &display, &ProgressArea::readTranscoderOutput);
        runToEnd(coderRunner,
                 {tool(QStringLiteral("coder")),
                  {QStringLiteral("-i"), flac, QStringLiteral("-acodec"), QStringLiteral("libmp3lame"),
                   QStringLiteral("-y"), m_dir.path() + QStringLiteral("/short.mp3")}});
        QCOMPARE(display.durationSeconds(), 4);
        QCOMPARE(display.caption(), QStringLiteral("完成 100%"));
    }

    void realConvEncode()
    {
        const QString conv = TestMedia::programFolder() + QStringLiteral("/data/conv");
        QVERIFY2(QFileInfo(conv).isExecutable(), "the build makes data/conv");
        const QString video = m_dir.path() + QStringLiteral("/clip.mp4");
        QVERIFY(TestMedia::makeVideo(video, 20,
                                     {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"),
                                      QStringLiteral("libmp3lame")}));
        ProgressArea display;
        DisplayLog log(display);
        ToolRunner convRunner;
        connect(&convRunner, &ToolRunner::outputReceived, &display, &ProgressArea::readEncoderOutput);
        runToEnd(convRunner,
                 {tool(QStringLiteral("conv")),
                  QStringList{video} << QStringLiteral("-oac mp3lame -lameopts preset=128 -ovc lavc "
                                                       "-lavcopts vcodec=mpeg4:vbitrate=800 -ofps 24 -of "
                                                       "avi -o")
                                            .split(u' ')
                                     << m_dir.path() + QStringLiteral("/clip.avi")});
        QCOMPARE(convRunner.endStatus(), ToolRunner::EndStatus::Exited);
        QCOMPARE(convRunner.exitCode(), 0);
        QVERIFY(log.risesMonotonically());
        QCOMPARE(display.percent(), 100.0);
        QCOMPARE(display.barWidth(), 5415.0);
        QCOMPARE(display.caption(), QStringLiteral("结束 100%"));
    }
};

QTEST_GUILESS_MAIN(TestProgressState)
#include "tst_progressstate.moc"
