#include "convhelpers.h"

#include "runner/outputparsers.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace ConvHelpers;

// conv when things go wrong: no video, no input, a refused option, a failing or short encode,
// a terminating signal, a parent that vanishes. Nothing broken may be left behind.
class TestConvFailures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void audioOnlyInput_data();
    void audioOnlyInput();
    void audioOnlyInputLeavesExistingFile();
    void missingInput();
    void refusedOption_data();
    void refusedOption();
    void failedEncodeRemovesOutput();
    void shortEncodeIsAFailure();
    void terminateEndsEncoder();
    void parentDeathEndsEncoder();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString outputFolder() const { return m_dir.filePath(QStringLiteral("out put")) + QLatin1Char('/'); }
    QString intermediate() const { return m_dir.filePath(QStringLiteral("work/tmp.mp4")); }
    ToolCommand firstStage(OutputFormat format, const QString &input, const EncodingSettings &settings) const;
    QString longInput();

    QTemporaryDir m_dir;
};

namespace {

QList<qint64> childProcesses(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    QList<qint64> pids;
    if (!file.open(QIODevice::ReadOnly))
        return pids;
    for (const QByteArray &word : file.readAll().split(' ')) {
        if (!word.trimmed().isEmpty())
            pids << word.trimmed().toLongLong();
    }
    return pids;
}

bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    // A zombie waiting for its reaper has stopped running too.
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

QString lastLine(const QByteArray &output)
{
    return OutputParsers::lastNonEmptyLine(QString::fromUtf8(output));
}

} // namespace

void TestConvFailures::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(convPath()).isExecutable());
    QVERIFY(TestMedia::makeVideo(path(QStringLiteral("clip.mp4")), 10));
    QVERIFY(TestMedia::makeFlac(path(QStringLiteral("tone.flac")), 3));
    // Cover art is a picture stream, but no video.
    QVERIFY(TestMedia::makeVideo(path(QStringLiteral("cover.png")), 1,
                                 {QStringLiteral("-frames:v"), QStringLiteral("1"), QStringLiteral("-an")}));
    QCOMPARE(TestMedia::run(QStringLiteral("ffmpeg"),
                            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"),
                             path(QStringLiteral("tone.flac")), QStringLiteral("-i"),
                             path(QStringLiteral("cover.png")), QStringLiteral("-map"), QStringLiteral("0"),
                             QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c"),
                             QStringLiteral("copy"), QStringLiteral("-disposition:v"),
                             QStringLiteral("attached_pic"), path(QStringLiteral("covered.flac"))})
                 .exitCode,
             0);
    QVERIFY(QDir().mkpath(outputFolder()));
    QVERIFY(QDir().mkpath(QFileInfo(intermediate()).path()));
}

void TestConvFailures::init()
{
    QFile::remove(intermediate());
}

ToolCommand TestConvFailures::firstStage(OutputFormat format, const QString &input,
                                         const EncodingSettings &settings) const
{
    return Recipes::firstStage(format, recipeInput(input, outputFolder(), intermediate(), settings),
                               [](const QString &wanted) { return Recipes::freeOutputName(wanted); });
}

void TestConvFailures::audioOnlyInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::newRow("FLAC") << QStringLiteral("tone.flac");
    QTest::newRow("FLAC with cover art") << QStringLiteral("covered.flac");
}

void TestConvFailures::audioOnlyInput()
{
    QFETCH(QString, input);
    const ToolCommand command =
        firstStage(OutputFormat::Rmvb, path(input), FormatTable::defaultSettings(OutputFormat::Rmvb));
    const TestMedia::ToolResult r = runCommand(command.command);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(lastLine(r.output), QStringLiteral("Video stream is mandatory!"));
    QVERIFY(!QFileInfo::exists(command.outputPath));
}

void TestConvFailures::audioOnlyInputLeavesExistingFile()
{
    QFile existing(intermediate());
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("an earlier intermediate");
    existing.close();

    const ToolCommand command = firstStage(OutputFormat::Mov, path(QStringLiteral("tone.flac")),
                                           FormatTable::defaultSettings(OutputFormat::Mov));
    QCOMPARE(command.outputPath, intermediate());
    QCOMPARE(runCommand(command.command).exitCode, 1);
    QVERIFY(existing.open(QIODevice::ReadOnly));
    QCOMPARE(existing.readAll(), QByteArray("an earlier intermediate"));
}

void TestConvFailures::missingInput()
{
    const QString missing = path(QStringLiteral("not here.mp4"));
    const ToolCommand command =
        firstStage(OutputFormat::Avi, missing, FormatTable::defaultSettings(OutputFormat::Avi));
    const TestMedia::ToolResult r = runCommand(command.command);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(lastLine(r.output), QStringLiteral("File not found: '%1'").arg(missing));
    QVERIFY(!QFileInfo::exists(command.outputPath));
}

void TestConvFailures::refusedOption_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("-sws"), QStringLiteral("2")}
                                    << QStringLiteral("Unknown option: -sws");
    // Typed into the bitrate box, it would reach ffmpeg as a negative bitrate.
    QTest::newRow("bitrate overflow")
        << QStringList{QStringLiteral("-lavcopts"), QStringLiteral("vbitrate=100000000000000000")}
        << QStringLiteral(
               "vbitrate=100000000000000000 is out of range: give from 0.001 to 2147483.647 kbit/s");
    QTest::newRow("zero frame rate") << QStringList{QStringLiteral("-ofps"), QStringLiteral("0")}
                                     << QStringLiteral("-ofps needs a positive frame rate, not '0'");
    QTest::newRow("malformed start") << QStringList{QStringLiteral("-ss"), QStringLiteral("0:75:00")}
                                     << QStringLiteral(
                                            "-ss 0:75:00 is no time: minutes and seconds go up to 59");
    // The clip ends at 10 s; its last picture starts at 9.96 s.
    const QString beyondEnd = QStringLiteral("Start position is beyond the end of the input.");
    QTest::newRow("start at the input's end")
        << QStringList{QStringLiteral("-ss"), QStringLiteral("10")} << beyondEnd;
    QTest::newRow("start past the end, with a length")
        << QStringList{QStringLiteral("-ss"), QStringLiteral("0:00:30"), QStringLiteral("-endpos"),
                       QStringLiteral("5")}
        << beyondEnd;
    // Only ffmpeg finds out, after writing the file's sound.
    QTest::newRow("start after the last picture")
        << QStringList{QStringLiteral("-ss"), QStringLiteral("9.98")} << beyondEnd;
}

void TestConvFailures::refusedOption()
{
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    const QString out = path(QStringLiteral("refused.avi"));
    const TestMedia::ToolResult r =
        TestMedia::run(convPath(), QStringList{path(QStringLiteral("clip.mp4")), QStringLiteral("-oac"),
                                               QStringLiteral("lavc"), QStringLiteral("-ovc"),
                                               QStringLiteral("lavc"), QStringLiteral("-o"), out} +
                                       options);
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(lastLine(r.output), message);
    QVERIFY(!QFileInfo::exists(out));
}

void TestConvFailures::failedEncodeRemovesOutput()
{
    // MP2 has no 10 kbit/s rate: ffmpeg creates the file, then its encoder refuses.
    EncodingSettings settings = FormatTable::defaultSettings(OutputFormat::Mpg);
    settings.audioBitrate = QStringLiteral("10.2");
    const ToolCommand command = firstStage(OutputFormat::Mpg, path(QStringLiteral("clip.mp4")), settings);
    const TestMedia::ToolResult r = runCommand(command.command);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(lastLine(r.output).contains(QLatin1String("bitrate 10 is not allowed in mp2")),
             r.output.constData());
    QVERIFY(!percentages(r.output).contains(100));
    QVERIFY(!QFileInfo::exists(command.outputPath));
}

void TestConvFailures::shortEncodeIsAFailure()
{
    // An encoder that stops at 3 s of a 10 s input and still reports success, as ffmpeg does on
    // some damaged inputs. No real input makes it do so on demand, so a stand-in plays it.
    const QString bin = path(QStringLiteral("shortbin"));
    QVERIFY(QDir().mkpath(bin));
    QFile fake(bin + QStringLiteral("/ffmpeg"));
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("#!/bin/sh\n"
               "for last; do :; done\n"
               "printf 'partial' > \"${last#file:}\"\n"
               "printf 'frame=75\\nout_time_us=3000000\\nprogress=end\\n'\n"
               "exit 0\n");
    fake.close();
    QVERIFY(fake.setPermissions(fake.permissions() | QFileDevice::ExeOwner));

    const ToolCommand command = firstStage(OutputFormat::Avi, path(QStringLiteral("clip.mp4")),
                                           FormatTable::defaultSettings(OutputFormat::Avi));
    QProcess conv;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), bin + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
    conv.setProcessEnvironment(env);
    conv.setProcessChannelMode(QProcess::MergedChannels);
    conv.start(command.command.program, command.command.arguments);
    QVERIFY(conv.waitForFinished(60000));
    const QByteArray output = conv.readAll();
    QCOMPARE(conv.exitCode(), 1);
    QCOMPARE(lastLine(output), QStringLiteral("Output is incomplete: 3.0 s of 10.0 s encoded"));
    QVERIFY(!percentages(output).contains(100));
    QVERIFY(!QFileInfo::exists(command.outputPath));
}

// Long enough that the encode is still running when the test interrupts it.
QString TestConvFailures::longInput()
{
    const QString input = path(QStringLiteral("long.mp4"));
    if (!QFileInfo::exists(input))
        TestMedia::makeVideo(input, 20,
                             {QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                              QStringLiteral("ultrafast")},
                             QStringLiteral("640x480"));
    return input;
}

void TestConvFailures::terminateEndsEncoder()
{
    const QString input = longInput();
    QVERIFY(QFileInfo::exists(input));
    const ToolCommand command =
        firstStage(OutputFormat::HdMp4, input, FormatTable::defaultSettings(OutputFormat::HdMp4));

    QProcess conv;
    conv.setProcessChannelMode(QProcess::MergedChannels);
    conv.start(command.command.program, command.command.arguments);
    QVERIFY(conv.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += conv.readAll()).contains("Pos:"), 30000);
    const QList<qint64> encoders = childProcesses(conv.processId());
    QCOMPARE(encoders.size(), 1);
    QVERIFY(QFileInfo::exists(command.outputPath));

    conv.terminate();
    QVERIFY(conv.waitForFinished(10000));
    output += conv.readAll();
    QCOMPARE(conv.exitStatus(), QProcess::NormalExit);
    QCOMPARE(conv.exitCode(), 1);
    QCOMPARE(lastLine(output), QStringLiteral("Conversion interrupted"));
    QVERIFY(processGone(encoders.first()));
    QVERIFY(!QFileInfo::exists(command.outputPath));
}

void TestConvFailures::parentDeathEndsEncoder()
{
    const QString input = longInput();
    QVERIFY(QFileInfo::exists(input));
    const ToolCommand command =
        firstStage(OutputFormat::Mpg, input, FormatTable::defaultSettings(OutputFormat::Mpg));

    // A parent that starts conv and then dies without a word, as a crashed converter would.
    QProcess parent;
    parent.setProcessChannelMode(QProcess::MergedChannels);
    parent.start(
        QStringLiteral("/bin/sh"),
        QStringList{QStringLiteral("-c"), QStringLiteral("\"$0\" \"$@\" & wait"), command.command.program} +
            command.command.arguments);
    QVERIFY(parent.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += parent.readAll()).contains("Pos:"), 30000);
    const QList<qint64> convs = childProcesses(parent.processId());
    QCOMPARE(convs.size(), 1);
    const QList<qint64> encoders = childProcesses(convs.first());
    QCOMPARE(encoders.size(), 1);

    ::kill(static_cast<pid_t>(parent.processId()), SIGKILL);
    QVERIFY(parent.waitForFinished(10000));
    QTRY_VERIFY_WITH_TIMEOUT(processGone(convs.first()), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(processGone(encoders.first()), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(command.outputPath), 5000);
}

QTEST_GUILESS_MAIN(TestConvFailures)
#include "tst_convfailures.moc"
