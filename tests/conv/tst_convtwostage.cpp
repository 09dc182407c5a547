#include "convhelpers.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace ConvHelpers;

// The whole path of the two-stage formats: conv writes the intermediate, then coder or coder2
// turns it into the final file, each by the program's own recipe and through the program
// folder's tools. And conv's cut of the input, into the intermediate or a final file.
class TestConvTwoStage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void twoStages_data();
    void twoStages();
    void cuts_data();
    void cuts();

private:
    QTemporaryDir m_dir;
    QString m_input;
};

void TestConvTwoStage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_input = m_dir.filePath(QStringLiteral("my clip.mp4"));
    QVERIFY(TestMedia::makeVideo(m_input, 10));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("out"))));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("work"))));
}

void TestConvTwoStage::twoStages_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("videoCodec");
    QTest::addColumn<QString>("audioCodec");

    const QString original = FormatTable::originalSize();
    QTest::newRow("RMVB") << OutputFormat::Rmvb << original << QStringLiteral("rm") << QStringLiteral("rv10")
                          << QStringLiteral("ac3");
    QTest::newRow("RMVB resized") << OutputFormat::Rmvb << QStringLiteral("176x144") << QStringLiteral("rm")
                                  << QStringLiteral("rv10") << QStringLiteral("ac3");
    QTest::newRow("RM") << OutputFormat::Rm << original << QStringLiteral("rm") << QStringLiteral("rv10")
                        << QStringLiteral("ac3");
    QTest::newRow("MOV") << OutputFormat::Mov << original << QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2")
                         << QStringLiteral("h264") << QStringLiteral("aac");
    QTest::newRow("mobile MP4") << OutputFormat::MobileMp4 << QStringLiteral("320x240")
                                << QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2") << QStringLiteral("mpeg4")
                                << QStringLiteral("amr_nb");
    QTest::newRow("3GP") << OutputFormat::ThreeGp << QStringLiteral("320x240")
                         << QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2") << QStringLiteral("mpeg4")
                         << QStringLiteral("amr_nb");
}

void TestConvTwoStage::twoStages()
{
    QFETCH(OutputFormat, format);
    QFETCH(QString, size);
    QFETCH(QString, container);
    QFETCH(QString, videoCodec);
    QFETCH(QString, audioCodec);

    EncodingSettings settings = FormatTable::defaultSettings(format);
    settings.size = size;
    const RecipeInput in = recipeInput(m_input, m_dir.filePath(QStringLiteral("out")) + QLatin1Char('/'),
                                       m_dir.filePath(QStringLiteral("work/tmp.mp4")), settings);
    QFile::remove(in.work.intermediate);

    const ToolCommand first = Recipes::firstStage(format, in);
    QCOMPARE(first.toolName, QStringLiteral("conv"));
    const TestMedia::ToolResult conv = runCommand(first.command);
    QVERIFY2(conv.exitCode == 0, conv.output.right(300).constData());
    QCOMPARE(TestMedia::formatName(TestMedia::probe(in.work.intermediate)), QStringLiteral("avi"));

    const ToolCommand second = Recipes::secondStage(
        format, in, [](const QString &wanted) { return Recipes::freeOutputName(wanted); });
    const TestMedia::ToolResult coder = runCommand(second.command);
    QVERIFY2(coder.exitCode == 0, coder.output.right(300).constData());

    const QJsonObject out = TestMedia::probe(second.outputPath);
    QVERIFY(everyStreamReadable(out));
    QCOMPARE(TestMedia::formatName(out), container);
    QCOMPARE(
        TestMedia::firstStream(out, QStringLiteral("video")).value(QStringLiteral("codec_name")).toString(),
        videoCodec);
    QCOMPARE(
        TestMedia::firstStream(out, QStringLiteral("audio")).value(QStringLiteral("codec_name")).toString(),
        audioCodec);
    const double inSeconds = TestMedia::durationSeconds(TestMedia::probe(m_input));
    const double outSeconds = TestMedia::durationSeconds(out);
    QVERIFY2(qAbs(outSeconds - inSeconds) <= 0.2,
             qPrintable(QStringLiteral("%1 s from %2 s").arg(outSeconds).arg(inSeconds)));
    if (size != FormatTable::originalSize()) {
        const QJsonObject video = TestMedia::firstStream(out, QStringLiteral("video"));
        QCOMPARE(QStringLiteral("%1x%2")
                     .arg(video.value(QStringLiteral("width")).toInt())
                     .arg(video.value(QStringLiteral("height")).toInt()),
                 size);
    }
}

void TestConvTwoStage::cuts_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<QString>("cut"); // conv options added to the recipe
    QTest::addColumn<double>("seconds");

    QTest::newRow("MPG") << OutputFormat::Mpg << QStringLiteral("-ss 2 -endpos 3") << 3.0;
    QTest::newRow("intermediate, hh:mm:ss")
        << OutputFormat::Rmvb << QStringLiteral("-ss 0:00:02 -endpos 00:00:03") << 3.0;
    // The clip has a single key frame, so only an exact seek gives 2 s.
    QTest::newRow("end beyond the input's end")
        << OutputFormat::Mpg << QStringLiteral("-ss 8 -endpos 100") << 2.0;
    QTest::newRow("AVI, length alone") << OutputFormat::Avi << QStringLiteral("-endpos 4") << 4.0;
}

void TestConvTwoStage::cuts()
{
    QFETCH(OutputFormat, format);
    QFETCH(QString, cut);
    QFETCH(double, seconds);

    const RecipeInput in =
        recipeInput(m_input, m_dir.filePath(QStringLiteral("out")) + QLatin1Char('/'),
                    m_dir.filePath(QStringLiteral("work/tmp.mp4")), FormatTable::defaultSettings(format));
    const ToolCommand first = Recipes::firstStage(
        format, in, [](const QString &wanted) { return Recipes::freeOutputName(wanted); });
    const TestMedia::ToolResult conv =
        runCommand({first.command.program, first.command.arguments + cut.split(QLatin1Char(' '))});
    QVERIFY2(conv.exitCode == 0, conv.output.right(300).constData());

    const double outSeconds = TestMedia::durationSeconds(TestMedia::probe(first.outputPath));
    QVERIFY2(qAbs(outSeconds - seconds) <= 0.2, qPrintable(QString::number(outSeconds)));
    // Progress runs over the cut: the position from its start, the percentages up to 100.
    static const QRegularExpression position(QStringLiteral("Pos: *([0-9.]+)s"));
    QString lastPosition;
    for (auto it = position.globalMatch(QString::fromUtf8(conv.output)); it.hasNext();)
        lastPosition = it.next().captured(1);
    QVERIFY2(qAbs(lastPosition.toDouble() - seconds) <= 0.5, qPrintable(lastPosition));
    const QList<int> percent = percentages(conv.output);
    QVERIFY(std::is_sorted(percent.cbegin(), percent.cend()));
    QCOMPARE(percent.last(), 100);
    QCOMPARE(percent.count(100), 1);
}

QTEST_GUILESS_MAIN(TestConvTwoStage)
#include "tst_convtwostage.moc"
