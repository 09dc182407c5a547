#include "convhelpers.h"

#include "common/runtoend.h"
#include "conversion/toolprogress.h"
#include "runner/toolrunner.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace ConvHelpers;

// conv on real media through the stage-1 recipes: MP4, MKV and MPEG-4 AVI inputs into the
// intermediate, MPG, AVI and HD MP4, run and read the way the program runs and reads them.
class TestConvRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void conversions_data();
    void conversions();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString outputFolder() const { return m_dir.filePath(QStringLiteral("out put")) + QLatin1Char('/'); }
    QString intermediate() const { return m_dir.filePath(QStringLiteral("work/tmp.mp4")); }
    ToolCommand firstStage(OutputFormat format, const QString &input, const EncodingSettings &settings) const;

    QTemporaryDir m_dir;
};

namespace {

constexpr double clipSeconds = 10;

// Noise keeps the picture hard to compress, so the encoder spends the bitrate it is given.
const QStringList noisy{QStringLiteral("-vf"), QStringLiteral("noise=alls=30:allf=t")};

} // namespace

void TestConvRun::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(convPath()).isExecutable());
    QVERIFY(TestMedia::makeVideo(path(QStringLiteral("clip.mp4")), clipSeconds, noisy));
    QVERIFY(TestMedia::makeVideo(path(QStringLiteral("clip.mkv")), clipSeconds, noisy));
    QVERIFY(TestMedia::makeVideo(path(QStringLiteral("clip.avi")), clipSeconds,
                                 noisy + QStringList{QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                                                     QStringLiteral("-q:v"), QStringLiteral("4"),
                                                     QStringLiteral("-c:a"), QStringLiteral("libmp3lame")}));
    QVERIFY(QDir().mkpath(outputFolder()));
    QVERIFY(QDir().mkpath(QFileInfo(intermediate()).path()));
}

void TestConvRun::init()
{
    QFile::remove(intermediate());
}

ToolCommand TestConvRun::firstStage(OutputFormat format, const QString &input,
                                    const EncodingSettings &settings) const
{
    return Recipes::firstStage(format, recipeInput(input, outputFolder(), intermediate(), settings),
                               [](const QString &wanted) { return Recipes::freeOutputName(wanted); });
}

void TestConvRun::conversions_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("videoCodec");
    QTest::addColumn<QString>("audioCodec");
    QTest::addColumn<double>("fps");
    QTest::addColumn<int>("videoKbits");
    QTest::addColumn<int>("audioKbits");
    QTest::addColumn<QString>("frameRateText"); // frameRateCombo text; empty keeps the format's default

    for (const char *input : {"clip.mp4", "clip.mkv", "clip.avi"}) {
        const QString name = QString::fromLatin1(input);
        QTest::addRow("%s intermediate", input)
            << name << OutputFormat::Rmvb << QStringLiteral("avi") << QStringLiteral("mpeg4")
            << QStringLiteral("mp3") << 25.0 << 1200 << 320 << QString();
        QTest::addRow("%s MPG", input)
            << name << OutputFormat::Mpg << QStringLiteral("mpeg") << QStringLiteral("mpeg1video")
            << QStringLiteral("mp2") << 24.0 << 600 << 64 << QString();
        QTest::addRow("%s AVI", input)
            << name << OutputFormat::Avi << QStringLiteral("avi") << QStringLiteral("mpeg1video")
            << QStringLiteral("mp2") << 24.0 << 600 << 64 << QString();
        QTest::addRow("%s HD MP4", input)
            << name << OutputFormat::HdMp4 << QStringLiteral("avi") << QStringLiteral("mpeg4")
            << QStringLiteral("mp3") << 25.0 << 1200 << 320 << QString();
    }
    // The frame-rate box's own entries: MPEG-1 has 15 fps only as an unofficial rate, and 29 is
    // taken as the NTSC rate.
    QTest::newRow("clip.mp4 MPG at 15 fps")
        << QStringLiteral("clip.mp4") << OutputFormat::Mpg << QStringLiteral("mpeg")
        << QStringLiteral("mpeg1video") << QStringLiteral("mp2") << 15.0 << 600 << 64 << QStringLiteral("15");
    QTest::newRow("clip.mkv AVI at 29 fps")
        << QStringLiteral("clip.mkv") << OutputFormat::Avi << QStringLiteral("avi")
        << QStringLiteral("mpeg1video") << QStringLiteral("mp2") << 30000.0 / 1001 << 600 << 64
        << QStringLiteral("29");
}

void TestConvRun::conversions()
{
    QFETCH(QString, input);
    QFETCH(OutputFormat, format);
    QFETCH(QString, container);
    QFETCH(QString, videoCodec);
    QFETCH(QString, audioCodec);
    QFETCH(double, fps);
    QFETCH(int, videoKbits);
    QFETCH(int, audioKbits);
    QFETCH(QString, frameRateText);

    const QString inputPath = path(input);
    EncodingSettings settings = FormatTable::defaultSettings(format);
    if (!frameRateText.isEmpty())
        settings.frameRate = frameRateText;
    const ToolCommand command = firstStage(format, inputPath, settings);
    // Run as the program runs it: its runner delivers the output to the encoder handler.
    ToolRunner runner;
    ToolProgress display;
    JobProgress last;
    connect(&runner, &ToolRunner::outputReceived, &runner,
            [&](const QString &chunk) { last = display.readEncoderOutput(chunk); });
    const QByteArray output = runToEnd(runner, command.command).toUtf8();
    QCOMPARE(runner.endStatus(), ToolRunner::EndStatus::Exited);
    QVERIFY2(runner.exitCode() == 0, output.right(300).constData());

    const QJsonObject in = TestMedia::probe(inputPath);
    const QJsonObject out = TestMedia::probe(command.outputPath);
    QVERIFY(!out.isEmpty());
    QCOMPARE(TestMedia::formatName(out), container);
    const QJsonObject video = TestMedia::firstStream(out, QStringLiteral("video"));
    const QJsonObject audio = TestMedia::firstStream(out, QStringLiteral("audio"));
    QCOMPARE(video.value(QStringLiteral("codec_name")).toString(), videoCodec);
    QCOMPARE(audio.value(QStringLiteral("codec_name")).toString(), audioCodec);
    QCOMPARE(frameRate(video), fps);

    const double inSeconds = TestMedia::durationSeconds(in);
    const double outSeconds = TestMedia::durationSeconds(out);
    QVERIFY2(qAbs(outSeconds - inSeconds) <= 0.2,
             qPrintable(QStringLiteral("%1 s from %2 s").arg(outSeconds).arg(inSeconds)));
    const int frames = countedFrames(command.outputPath);
    const int expectedFrames = qRound(clipSeconds * fps);
    QVERIFY2(frames >= expectedFrames - 1 && frames <= expectedFrames + 5,
             qPrintable(QStringLiteral("%1 frames, %2 expected").arg(frames).arg(expectedFrames)));

    // The bitrate class: the whole file near what the recipe asked of the two encoders.
    const double kbits = QFileInfo(command.outputPath).size() * 8 / outSeconds / 1000;
    const double asked = videoKbits + audioKbits;
    QVERIFY2(kbits > asked * 0.5 && kbits < asked * 1.35,
             qPrintable(QStringLiteral("%1 kbit/s for %2 asked").arg(kbits).arg(asked)));
    const double audioRate = audio.value(QStringLiteral("bit_rate")).toString().toDouble() / 1000;
    QVERIFY2(qAbs(audioRate - audioKbits) <= audioKbits * 0.1, qPrintable(QString::number(audioRate)));

    // The percentages rise and end at 100, which only the finished output gets, and the handler
    // shows the end.
    const QList<int> percent = percentages(output);
    QVERIFY(percent.size() >= 2);
    QVERIFY(std::is_sorted(percent.cbegin(), percent.cend()));
    QCOMPARE(percent.last(), 100);
    QCOMPARE(percent.count(100), 1);
    QCOMPARE(display.stagePercent(), 100.0);
    QCOMPARE(last.reading, JobProgress::Reading::EncoderEnded);
}

QTEST_GUILESS_MAIN(TestConvRun)
#include "tst_convrun.moc"
