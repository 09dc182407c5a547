#include "convprogress.h"
#include "inputprobe.h"

#include "runner/outputparsers.h"

#include <QFile>
#include <QTest>

// The texts conv reads and writes: ffmpeg's progress report (a recorded run), ffprobe's answer
// about the input (recorded answers), and the position lines the program's encoder handler reads.
class TestConvText : public QObject
{
    Q_OBJECT

private slots:
    void recordedProgress_data();
    void recordedProgress();
    void progressOddities();
    void positionLine_data();
    void positionLine();
    void percent_data();
    void percent();
    void probe_data();
    void probe();
};

namespace {

QByteArray recorded(const QString &name)
{
    QFile file(QStringLiteral(TUNOXA_TESTS_DIR "/conv/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

void TestConvText::recordedProgress_data()
{
    QTest::addColumn<int>("pieceSize");
    QTest::newRow("whole") << 0;
    QTest::newRow("1-byte pieces") << 1;
    QTest::newRow("7-byte pieces") << 7;
    QTest::newRow("pipe-sized pieces") << 4096;
}

void TestConvText::recordedProgress()
{
    QFETCH(int, pieceSize);
    const QByteArray text = recorded(QStringLiteral("ffmpeg-progress.txt"));
    QVERIFY(!text.isEmpty());

    ProgressReader reader;
    QList<ProgressReader::Report> reports;
    const qsizetype step = pieceSize > 0 ? pieceSize : text.size();
    for (qsizetype at = 0; at < text.size(); at += step)
        reports += reader.feed(text.mid(at, step));

    const QList<qint64> frames{1, 80, 136, 191, 243, 250};
    const QList<double> seconds{0.04, 3.2, 5.44, 7.64, 9.72, 10.03102};
    QCOMPARE(reports.size(), frames.size());
    for (qsizetype i = 0; i < reports.size(); ++i) {
        QCOMPARE(reports.at(i).frames, frames.at(i));
        QCOMPARE(reports.at(i).seconds, seconds.at(i));
        QCOMPARE(reports.at(i).end, i == reports.size() - 1);
    }
}

void TestConvText::progressOddities()
{
    ProgressReader reader;
    // Before the first packet the time is "N/A"; a report without the key keeps the last value.
    QList<ProgressReader::Report> reports = reader.feed(
        "frame=0\nout_time_us=N/A\nprogress=continue\nframe=12\nout_time_us=500000\nprogress=con");
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.at(0).frames, 0);
    QCOMPARE(reports.at(0).seconds, 0.0);
    reports = reader.feed("tinue\r\nframe=30\nprogress=end\n");
    QCOMPARE(reports.size(), 2);
    QCOMPARE(reports.at(0).frames, 12);
    QCOMPARE(reports.at(0).seconds, 0.5);
    QVERIFY(!reports.at(0).end);
    QCOMPARE(reports.at(1).frames, 30);
    QCOMPARE(reports.at(1).seconds, 0.5);
    QVERIFY(reports.at(1).end);
    // ffmpeg reports a negative time while the first packets of a delayed stream are pending.
    reports = reader.feed("out_time_us=-23220\nprogress=continue\n");
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.at(0).seconds, 0.0);
}

void TestConvText::positionLine_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<qint64>("frames");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("percentText"); // as the program's encoder handler reads it

    QTest::newRow("start") << 0.0 << qint64(0) << 0 << QByteArray("Pos:   0.0s      0f ( 0%) ")
                           << QStringLiteral(" 0%");
    QTest::newRow("one digit") << 1.23 << qint64(30) << 5 << QByteArray("Pos:   1.2s     30f ( 5%) ")
                               << QStringLiteral(" 5%");
    QTest::newRow("two digits") << 12.34 << qint64(296) << 41 << QByteArray("Pos:  12.3s    296f (41%) ")
                                << QStringLiteral("41%");
    QTest::newRow("finished") << 10.03 << qint64(250) << 100 << QByteArray("Pos:  10.0s    250f (100%) ")
                              << QStringLiteral("100%");
    QTest::newRow("long input") << 12345.67 << qint64(1234567) << 99
                                << QByteArray("Pos:12345.7s 1234567f (99%) ") << QStringLiteral("99%");
}

void TestConvText::positionLine()
{
    QFETCH(double, seconds);
    QFETCH(qint64, frames);
    QFETCH(int, percent);
    QFETCH(QByteArray, line);
    QFETCH(QString, percentText);

    const QByteArray written = ProgressText::positionLine(seconds, frames, percent);
    QCOMPARE(written, line);
    const QString read = OutputParsers::encoderPercentText(QString::fromLatin1(written + '\r' + written));
    QCOMPARE(read, percentText);
    QCOMPARE(OutputParsers::encoderPercent(read), percent);
}

void TestConvText::percent_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("duration");
    QTest::addColumn<int>("percent");

    QTest::newRow("nothing yet") << 0.0 << 10.0 << 0;
    QTest::newRow("rounds down") << 4.19 << 10.0 << 41;
    QTest::newRow("almost done") << 9.999 << 10.0 << 99;
    // 100 belongs to the checked output; the running encode stops at 99.
    QTest::newRow("at the end") << 10.0 << 10.0 << 99;
    QTest::newRow("past the end") << 10.5 << 10.0 << 99;
    QTest::newRow("unknown duration") << 5.0 << -1.0 << 0;
    QTest::newRow("zero duration") << 5.0 << 0.0 << 0;
}

void TestConvText::percent()
{
    QFETCH(double, seconds);
    QFETCH(double, duration);
    QFETCH(int, percent);
    QCOMPARE(ProgressText::percent(seconds, duration), percent);
}

void TestConvText::probe_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("hasVideo");
    QTest::addColumn<double>("duration");

    QTest::newRow("AVI with sound") << recorded(QStringLiteral("probe-avi.json")) << true << true << 3.04;
    QTest::newRow("FLAC with cover art")
        << recorded(QStringLiteral("probe-flac-cover.json")) << true << false << 3.0;
    QTest::newRow("raw stream without a duration")
        << recorded(QStringLiteral("probe-raw-h264.json")) << true << true << -1.0;
    QTest::newRow("no answer") << QByteArray() << false << false << -1.0;
    QTest::newRow("not JSON") << QByteArray("Invalid data found when processing input") << false << false
                              << -1.0;
    QTest::newRow("duration N/A")
        << QByteArray(R"({"streams":[{"codec_type":"video"}],"format":{"duration":"N/A"}})") << true << true
        << -1.0;
}

void TestConvText::probe()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, readable);
    QFETCH(bool, hasVideo);
    QFETCH(double, duration);

    const InputProbe probe = InputProbe::fromJson(json);
    QCOMPARE(probe.readable, readable);
    QCOMPARE(probe.hasVideo, hasVideo);
    QCOMPARE(probe.duration, duration);
}

QTEST_APPLESS_MAIN(TestConvText)
#include "tst_convtext.moc"
