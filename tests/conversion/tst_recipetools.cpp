#include "common/testmedia.h"
#include "conversion/flacfallback.h"
#include "conversion/recipes.h"
#include "conversion/sourcereading.h"
#include "conversion/stageverdict.h"
#include "conversion/toolnames.h"
#include "media/medialength.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using TestMedia::runCommand;

QString streamValue(const QJsonObject &stream, const char *key)
{
    const QJsonValue v = stream.value(QLatin1String(key));
    return v.isString() ? v.toString() : QString::number(v.toInt());
}

} // namespace

// The recipes run by the real tools of the program folder on generated media.
class TestRecipeTools : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_in;      // input folder, with a blank
    QString m_out;     // output folder, with a blank and Chinese, ends with "/"
    QString m_program; // program folder with a blank, and a program named like its part before it
    WorkPaths m_work;

    RecipeInput inputFor(const QString &file, const EncodingSettings &settings) const
    {
        RecipeInput in;
        in.programFolder = m_program;
        in.inputPath = file;
        in.outputFolder = m_out;
        in.settings = settings;
        in.clock = QTime::currentTime();
        in.work = m_work;
        return in;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_in = m_root.filePath(QStringLiteral("in put"));
        m_out = m_root.filePath(QStringLiteral("out 输出")) + QLatin1Char('/');
        // A work folder with a blank, as under a home folder that has one.
        const QString work = m_root.filePath(QStringLiteral("work folder"));
        QVERIFY(QDir().mkpath(m_in));
        QVERIFY(QDir().mkpath(m_out));
        QVERIFY(QDir().mkpath(work + QStringLiteral("/tmp")));
        m_work = {work + QStringLiteral("/tmp/tmp.mp4"), work + QStringLiteral("/tmp.wav")};
        // The program copied to "…/my apps", and a program "…/my" beside it that must never run.
        m_program = m_root.filePath(QStringLiteral("my apps"));
        QVERIFY(QDir().mkpath(m_program));
        QVERIFY(QFile::link(TestMedia::programFolder() + QStringLiteral("/data"),
                            m_program + QStringLiteral("/data")));
        QFile decoy(m_root.filePath(QStringLiteral("my")));
        QVERIFY(decoy.open(QIODevice::WriteOnly));
        decoy.write("#!/bin/sh\ntouch \"$0.ran\"\n");
        decoy.close();
        QVERIFY(decoy.setPermissions(decoy.permissions() | QFile::ExeOwner));
        for (const QString &tool : {ToolName::coder.toString(), ToolName::coder2.toString(),
                                    ToolName::sox.toString(), ToolName::flac.toString()})
            QVERIFY2(QFileInfo(Recipes::toolPath(m_program, tool)).isExecutable(), qPrintable(tool));
    }

    void cleanupTestCase() { QVERIFY(!QFile::exists(m_root.filePath(QStringLiteral("my.ran")))); }

    void mp3_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QString>("outRate");
        QTest::addColumn<QString>("outBitrate");
        QTest::addColumn<int>("channelIndex");
        QTest::newRow("tagged stereo 44.1k, defaults")
            << 44100 << 2 << 16 << QStringLiteral("48000") << QStringLiteral("320") << 1;
        QTest::newRow("24-bit 96k, defaults")
            << 96000 << 2 << 24 << QStringLiteral("48000") << QStringLiteral("320") << 1;
        QTest::newRow("mono, to two channels")
            << 44100 << 1 << 16 << QStringLiteral("44100") << QStringLiteral("128") << 1;
        QTest::newRow("stereo to mono 22050")
            << 44100 << 2 << 16 << QStringLiteral("22050") << QStringLiteral("64") << 0;
    }

    void mp3()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, bits);
        QFETCH(QString, outRate);
        QFETCH(QString, outBitrate);
        QFETCH(int, channelIndex);
        const QMap<QString, QString> tags{{QStringLiteral("artist"), QStringLiteral("艺术家 Artist")},
                                          {QStringLiteral("title"), QStringLiteral("Song \"One\"")},
                                          {QStringLiteral("album"), QStringLiteral("Album")},
                                          {QStringLiteral("track"), QStringLiteral("3")},
                                          {QStringLiteral("date"), QStringLiteral("2024")}};
        const QString flac =
            m_in + QStringLiteral("/歌 %1.b.flac").arg(QString::fromUtf8(QTest::currentDataTag()));
        QVERIFY(TestMedia::makeFlac(flac, 3.0, rate, channels, bits, tags));
        const RecipeInput in = inputFor(flac, {QStringLiteral("128"), QStringLiteral("29"),
                                               QStringLiteral("320x240"), outRate, outBitrate, channelIndex});
        QFile::remove(m_work.probeWav);

        const TestMedia::ToolResult decode = runCommand(Recipes::referenceDecode(in).command);
        QCOMPARE(decode.exitCode, 0);
        QVERIFY(QFileInfo(m_work.probeWav).size() > 0);

        const TestMedia::ToolResult probe = runCommand(Recipes::stage(OutputFormat::Mp3, 1, in).command);
        QVERIFY(probe.output.contains("Duration: 00:00:03.00"));
        QVERIFY(probe.exitCode != 0); // names no output

        const ToolCommand encode = Recipes::stage(OutputFormat::Mp3, 2, in);
        QVERIFY(encode.outputPath.startsWith(
            m_out + QStringLiteral("歌 %1.b_").arg(QString::fromUtf8(QTest::currentDataTag()))));
        const TestMedia::ToolResult result = runCommand(encode.command);
        QVERIFY2(result.exitCode == 0, result.output.right(400).constData());
        const QJsonObject info = TestMedia::probe(encode.outputPath);
        QCOMPARE(TestMedia::formatName(info), QStringLiteral("mp3"));
        const QJsonObject audio = TestMedia::firstStream(info, QStringLiteral("audio"));
        QCOMPARE(streamValue(audio, "codec_name"), QStringLiteral("mp3"));
        QCOMPARE(streamValue(audio, "sample_rate"), outRate);
        QCOMPARE(audio.value(QStringLiteral("channels")).toInt(), channelIndex + 1);
        QCOMPARE(streamValue(audio, "bit_rate"), outBitrate + QStringLiteral("000"));
        QVERIFY(qAbs(TestMedia::durationSeconds(info) - 3.0) <= 0.1);
        for (auto it = tags.cbegin(); it != tags.cend(); ++it)
            QCOMPARE(TestMedia::tag(info, it.key()), it.value());
        QVERIFY(!StageVerdict::coderFoundNothing(QString::fromUtf8(result.output)));
    }

    // FLACs the encoder cannot read but the reference decoder can: decoded to the work WAV (by sox
    // where it reads them, else by data/flac), the WAV is encoded with the source's tags and cover.
    void awkwardFlac_data()
    {
        QTest::addColumn<TestMedia::AwkwardFlac>("kind");
        QTest::addColumn<bool>("soxReads");
        QTest::addColumn<bool>("tagged");
        QTest::addColumn<QString>("cover"); // picture file, empty for none
        QTest::addColumn<int>("cutStart");  // seconds, 0 for no cut
        const QString png = QStringLiteral("cover.png");
        const QString jpeg = QStringLiteral("cover.jpg");
        using enum TestMedia::AwkwardFlac;
        QTest::newRow("no STREAMINFO") << NoStreamInfo << false << true << png << 0;
        QTest::newRow("STREAMINFO after the tags, cut") << LateStreamInfo << true << true << jpeg << 1;
        QTest::newRow("maximum block size too small") << ShortMaxBlockSize << true << true << QString() << 0;
        QTest::newRow("blocks of 65536 samples, untagged") << BlockSize65536 << true << false << png << 0;
        QTest::newRow("blocks of one sample") << BlockSizeOne << true << true << QString() << 0;
        QTest::newRow("32 bits per sample") << Bits32 << true << true << jpeg << 0;
    }

    void awkwardFlac()
    {
        QFETCH(TestMedia::AwkwardFlac, kind);
        QFETCH(bool, soxReads);
        QFETCH(bool, tagged);
        QFETCH(QString, cover);
        QFETCH(int, cutStart);
        constexpr double seconds = 2.0;
        const QMap<QString, QString> tags{{QStringLiteral("TITLE"), QStringLiteral("标题=;#\\\n二")},
                                          {QStringLiteral("ARTIST"), QStringLiteral("艺术家")},
                                          {QStringLiteral("TRACKNUMBER"), QStringLiteral("3")}};
        const QString picture = cover.isEmpty() ? QString() : m_in + QLatin1Char('/') + cover;
        QVERIFY(cover.isEmpty() || TestMedia::makePicture(picture));
        const QString flac =
            m_in + QStringLiteral("/怪 %1.flac").arg(QLatin1StringView(QTest::currentDataTag()));
        QVERIFY(TestMedia::makeAwkwardFlac(flac, kind, seconds, tagged ? tags : decltype(tags)(), picture));
        RecipeInput in = inputFor(flac, {{}, {}, {}, QStringLiteral("44100"), QStringLiteral("192"), 1});
        if (cutStart > 0)
            in.cut = CutRange{cutStart, 0};

        const ToolCommand direct = Recipes::stage(OutputFormat::Mp3, 2, in);
        const TestMedia::ToolResult refused = runCommand(direct.command);
        QVERIFY2(StageVerdict::coderFoundNothing(QString::fromUtf8(refused.output)),
                 refused.output.right(400).constData());

        QCOMPARE(runCommand(Recipes::referenceDecode(in).command).exitCode == 0, soxReads);
        if (soxReads)
            QCOMPARE(MediaLength::wavSeconds(m_work.probeWav), seconds);
        QFile::remove(m_work.probeWav);
        const TestMedia::ToolResult decoded = runCommand(FlacFallback::decodeCommand(in).command);
        QVERIFY2(decoded.exitCode == 0, decoded.output.constData());
        QCOMPARE(MediaLength::wavSeconds(m_work.probeWav), seconds);

        const QString work = QFileInfo(m_work.probeWav).path();
        const FlacFallback::Metadata written =
            FlacFallback::writeMetadata(FlacMetadata::Head(RegularFile::Reader(flac), flac),
                                        work + QStringLiteral("/tags.txt"), work + QStringLiteral("/cover"));
        QCOMPARE(written.picturePath, cover.isEmpty() ? QString() : work + QLatin1Char('/') + cover);
        const ToolCommand encode =
            FlacFallback::encodeCommand(OutputFormat::Mp3, in, m_work.probeWav, written);
        QCOMPARE(encode.outputPath, direct.outputPath);
        const TestMedia::ToolResult result = runCommand(encode.command);
        QVERIFY2(result.exitCode == 0, result.output.right(400).constData());

        const QJsonObject info = TestMedia::probe(encode.outputPath);
        QCOMPARE(TestMedia::formatName(info), QStringLiteral("mp3"));
        QVERIFY(qAbs(TestMedia::durationSeconds(info) - (seconds - cutStart)) <= 0.1);
        const QJsonObject audio = TestMedia::firstStream(info, QStringLiteral("audio"));
        QCOMPARE(streamValue(audio, "sample_rate"), QStringLiteral("44100"));
        QCOMPARE(streamValue(audio, "bit_rate"), QStringLiteral("192000"));
        QCOMPARE(audio.value(QStringLiteral("channels")).toInt(), 2);
        for (auto it = tags.cbegin(); it != tags.cend(); ++it) {
            const QString name = it.key() == u"TRACKNUMBER" ? QStringLiteral("track") : it.key();
            QCOMPARE(TestMedia::tag(info, name), tagged ? it.value() : QString());
        }
        const QJsonObject image = TestMedia::firstStream(info, QStringLiteral("video"));
        QCOMPARE(image.isEmpty(), cover.isEmpty());
        if (!cover.isEmpty()) {
            const bool png = cover.endsWith(QStringLiteral(".png"));
            QCOMPARE(streamValue(image, "codec_name"), png ? QStringLiteral("png") : QStringLiteral("mjpeg"));
            QCOMPARE(image[u"disposition"][u"attached_pic"].toInt(), 1);
        }
    }

    // A FLAC with damaged frames is read in part: no reason to leave the source for its decode.
    void damagedFramesAreRead()
    {
        const QString flac = m_in + QStringLiteral("/damaged.flac");
        QVERIFY(TestMedia::makeFlac(flac, 6.0) && TestMedia::damageFrames(flac));
        const EncodingSettings settings{{}, {}, {}, QStringLiteral("44100"), QStringLiteral("128"), 1};
        const TestMedia::ToolResult result =
            runCommand(Recipes::stage(OutputFormat::Mp3, 2, inputFor(flac, settings)).command);
        QVERIFY2(result.output.contains("Error while decoding stream"), result.output.right(400).constData());
        QVERIFY(!StageVerdict::coderFoundNothing(QString::fromUtf8(result.output)));
        // Asked to, ffmpeg checks each frame's checksum and says which failed.
        QVERIFY(SourceReading::reportsChecksumError(QString::fromUtf8(result.output)));
    }

    void secondStage_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("container"); // ffprobe's format name
        QTest::addColumn<QString>("brand");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("audio");
        QTest::addColumn<QString>("dimensions");
        const QString orig = QStringLiteral("原始大小");
        const QString small = QStringLiteral("176x144");
        const QString iso = QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2");
        const QString rm = QStringLiteral("rm");
        // The intermediate is 640x480; RM carries AC-3 audio, MOV ffmpeg's H.264/AAC defaults.
        QTest::newRow("RMVB original") << 0 << orig << rm << QString() << QStringLiteral("rv10")
                                       << QStringLiteral("ac3") << QStringLiteral("640x480");
        QTest::newRow("RMVB resized")
            << 0 << small << rm << QString() << QStringLiteral("rv10") << QStringLiteral("ac3") << small;
        QTest::newRow("RM original") << 1 << orig << rm << QString() << QStringLiteral("rv10")
                                     << QStringLiteral("ac3") << QStringLiteral("640x480");
        QTest::newRow("RM resized") << 1 << small << rm << QString() << QStringLiteral("rv10")
                                    << QStringLiteral("ac3") << small;
        QTest::newRow("MOV original") << 5 << orig << iso << QStringLiteral("qt  ") << QStringLiteral("h264")
                                      << QStringLiteral("aac") << QStringLiteral("640x480");
        QTest::newRow("MOV resized") << 5 << small << iso << QStringLiteral("qt  ") << QStringLiteral("h264")
                                     << QStringLiteral("aac") << small;
        QTest::newRow("mobile MP4 original")
            << 6 << orig << iso << QStringLiteral("3gp4") << QStringLiteral("mpeg4")
            << QStringLiteral("amr_nb") << QStringLiteral("320x240");
        QTest::newRow("mobile MP4 resized") << 6 << small << iso << QStringLiteral("3gp4")
                                            << QStringLiteral("mpeg4") << QStringLiteral("amr_nb") << small;
        QTest::newRow("3GP original") << 7 << orig << iso << QStringLiteral("3gp4") << QStringLiteral("mpeg4")
                                      << QStringLiteral("amr_nb") << QStringLiteral("320x240");
        QTest::newRow("3GP resized") << 7 << small << iso << QStringLiteral("3gp4") << QStringLiteral("mpeg4")
                                     << QStringLiteral("amr_nb") << small;
    }

    void secondStage()
    {
        QFETCH(int, position);
        QFETCH(QString, size);
        QFETCH(QString, container);
        QFETCH(QString, brand);
        QFETCH(QString, video);
        QFETCH(QString, audio);
        QFETCH(QString, dimensions);
        const OutputFormat format = *FormatTable::formatAt(position);
        // The intermediate in the form the first stage writes it: AVI with MPEG-4 video and MP3 audio.
        QVERIFY(TestMedia::makeVideo(m_work.intermediate, 2.0,
                                     {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-b:v"),
                                      QStringLiteral("1200k"), QStringLiteral("-c:a"),
                                      QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
                                      QStringLiteral("320k"), QStringLiteral("-f"), QStringLiteral("avi")},
                                     QStringLiteral("640x480")));
        const FormatDefaults d = FormatTable::defaultsFor(format);
        const RecipeInput in =
            inputFor(m_in + QStringLiteral("/clip %1.avi").arg(position),
                     {*d.videoBitrate, *d.frameRate, size, d.sampleRate, d.audioBitrate, d.channelIndex});
        const ToolCommand command = Recipes::secondStage(format, in);
        QCOMPARE(command.toolName, FormatTable::stageTools(format).constLast());
        const TestMedia::ToolResult result = runCommand(command.command);
        QVERIFY2(result.exitCode == 0, result.output.right(400).constData());

        const QJsonObject info = TestMedia::probe(command.outputPath);
        QCOMPARE(TestMedia::formatName(info), container);
        if (!brand.isEmpty())
            QCOMPARE(TestMedia::tag(info, QStringLiteral("major_brand")), brand);
        const QJsonObject v = TestMedia::firstStream(info, QStringLiteral("video"));
        QCOMPARE(streamValue(v, "codec_name"), video);
        QCOMPARE(QStringLiteral("%1x%2")
                     .arg(v.value(QStringLiteral("width")).toInt())
                     .arg(v.value(QStringLiteral("height")).toInt()),
                 dimensions);
        const QJsonObject a = TestMedia::firstStream(info, QStringLiteral("audio"));
        QCOMPARE(streamValue(a, "codec_name"), audio);
        if (container == QStringLiteral("rm")) {
            // "-b" sets the video rate; "-ab" the audio rate, fixed at 128k for the original size.
            QCOMPARE(streamValue(v, "bit_rate"), QStringLiteral("1200000"));
            const QString audioRate =
                size == FormatTable::originalSize() ? QStringLiteral("128") : d.audioBitrate;
            QCOMPARE(streamValue(a, "bit_rate"), audioRate + QStringLiteral("000"));
        }
        QVERIFY(qAbs(TestMedia::durationSeconds(info) - 2.0) <= 0.2);
    }

    // Settings the boxes offer that the tools refuse: the stage fails with the tool's own reason,
    // which the run shows for the file.
    void toolRefusals_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("reason");
        const QString multipleOf16 = QStringLiteral("width and height must be a multiple of 16");
        // RealVideo 1 takes only frame sizes in whole macroblocks.
        for (const char *s : {"160x120", "320x180", "640x360", "720x306"})
            QTest::addRow("RM at %s", s)
                << 1 << QString::fromLatin1(s) << QStringLiteral("44100") << multipleOf16;
        QTest::newRow("RMVB original size 1080 lines")
            << 0 << QStringLiteral("原始大小") << QStringLiteral("44100") << multipleOf16;
        // AC-3, the RM audio, has only 48000, 44100 and 32000 Hz.
        QTest::newRow("RM at 22050 Hz") << 1 << QStringLiteral("320x240") << QStringLiteral("22050")
                                        << QStringLiteral("Specified sample rate 22050 is not supported");
        QTest::newRow("RM at 8000 Hz") << 1 << QStringLiteral("320x240") << QStringLiteral("8000")
                                       << QStringLiteral("Specified sample rate 8000 is not supported");
        // MP3 has no 12050 Hz, although the sample-rate list offers it.
        QTest::newRow("MP3 at 12050 Hz") << 8 << QString() << QStringLiteral("12050")
                                         << QStringLiteral("Specified sample rate 12050 is not supported");
        QTest::newRow("MP3 at 28000 Hz") << 8 << QString() << QStringLiteral("28000")
                                         << QStringLiteral("Specified sample rate 28000 is not supported");
    }

    void toolRefusals()
    {
        QFETCH(int, position);
        QFETCH(QString, size);
        QFETCH(QString, rate);
        QFETCH(QString, reason);
        const OutputFormat format = *FormatTable::formatAt(position);
        QString file;
        if (format == OutputFormat::Mp3) {
            file = m_in + QStringLiteral("/refused.flac");
            QVERIFY(TestMedia::makeFlac(file, 1.0));
        } else {
            const QString frame =
                size == FormatTable::originalSize() ? QStringLiteral("1920x1080") : QStringLiteral("320x240");
            QVERIFY(TestMedia::makeVideo(m_work.intermediate, 0.5,
                                         {QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                                          QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                                          QStringLiteral("-f"), QStringLiteral("avi")},
                                         frame));
        }
        const RecipeInput in = inputFor(
            file, {QStringLiteral("600"), QStringLiteral("29"), size, rate, QStringLiteral("64"), 1});
        const ToolCommand command =
            Recipes::stage(format, int(FormatTable::stageTools(format).size()) - 1, in);
        const TestMedia::ToolResult result = runCommand(command.command);
        QVERIFY(result.exitCode != 0);
        QVERIFY2(result.output.contains(reason.toUtf8()), result.output.right(400).constData());
    }

    // Today's plain MP4 muxer refuses AMR-NB; the phone encoder forces the 3GP muxer for ".mp4".
    void phoneEncoderIsNeededForAmrInMp4()
    {
        QVERIFY(TestMedia::makeVideo(m_work.intermediate, 0.5,
                                     {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"),
                                      QStringLiteral("libmp3lame"), QStringLiteral("-f"),
                                      QStringLiteral("avi")}));
        const RecipeInput in =
            inputFor(m_in + QStringLiteral("/phone.avi"),
                     {QStringLiteral("128"), QStringLiteral("29"), QStringLiteral("320x240"),
                      QStringLiteral("8000"), QStringLiteral("12.2"), 0});
        Command command = Recipes::secondStage(OutputFormat::MobileMp4, in).command;
        QCOMPARE(command.program, Recipes::toolPath(m_program, ToolName::coder2.toString()));
        command.program = Recipes::toolPath(m_program, ToolName::coder.toString());
        QVERIFY(runCommand(command).exitCode != 0);
    }
};

QTEST_GUILESS_MAIN(TestRecipeTools)
#include "tst_recipetools.moc"
