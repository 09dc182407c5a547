#include "convmapping.h"

#include "conversion/recipes.h"

#include <QTest>

// conv's reading of MEncoder command lines: every stage-1 recipe as the program builds it, the
// MEncoder rules the recipes lean on, and the refusal of everything else.
class TestConvMapping : public QObject
{
    Q_OBJECT

private slots:
    void recipes_data();
    void recipes();
    void mencoderRules_data();
    void mencoderRules();
    void refusals_data();
    void refusals();
    void muxerForFileName_data();
    void muxerForFileName();
};

namespace {

const QString input = QStringLiteral("/home/li/My Music/clip \"one\".mp4");
const QString outputFolder = QStringLiteral("/home/li/Out put/");
const QString intermediate = QStringLiteral("/home/li/.cache/tunoxa/tmp/tmp.mp4");

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

EncodingSettings settings(const char *videoBitrate, const char *frameRate, const char *audioBitrate)
{
    EncodingSettings s;
    s.videoBitrate = QString::fromUtf8(videoBitrate);
    s.frameRate = QString::fromUtf8(frameRate);
    s.size = FormatTable::originalSize();
    s.sampleRate = QStringLiteral("44100");
    s.audioBitrate = QString::fromUtf8(audioBitrate);
    s.channelIndex = 1;
    return s;
}

// The conv arguments of a stage-1 recipe.
QStringList recipeArguments(OutputFormat format, const EncodingSettings &s, QString *output)
{
    RecipeInput in;
    in.programFolder = QStringLiteral("/opt/tunoxa");
    in.inputPath = input;
    in.outputFolder = outputFolder;
    in.settings = s;
    in.clock = QTime(9, 5, 3);
    in.work.intermediate = intermediate;
    in.work.probeWav = QStringLiteral("/home/li/.cache/tunoxa/tmp.wav");
    const ToolCommand command = Recipes::firstStage(format, in);
    *output = command.outputPath;
    return command.command.arguments;
}

} // namespace

void TestConvMapping::recipes_data()
{
    QTest::addColumn<OutputFormat>("format");
    QTest::addColumn<EncodingSettings>("settings");
    QTest::addColumn<QStringList>("encoding"); // between the input and "-y"

    const QStringList intermediateArgs =
        words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 1200000 -c:a libmp3lame "
              "-abr 1 -b:a 320000 -f avi");
    // The intermediate ignores every setting.
    const EncodingSettings odd = settings("40", "15", "10.2");
    QTest::newRow("intermediate for RMVB") << OutputFormat::Rmvb << odd << intermediateArgs;
    QTest::newRow("intermediate for RM") << OutputFormat::Rm << odd << intermediateArgs;
    QTest::newRow("intermediate for MOV") << OutputFormat::Mov << odd << intermediateArgs;
    QTest::newRow("intermediate for mobile MP4") << OutputFormat::MobileMp4 << odd << intermediateArgs;
    QTest::newRow("intermediate for 3GP") << OutputFormat::ThreeGp << odd << intermediateArgs;

    QTest::newRow("MPG defaults")
        << OutputFormat::Mpg << settings("600", "24", "64")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg1video -b:v 600000 -r 24 -fps_mode cfr "
                 "-strict:v unofficial -c:a mp2 -b:a 64000 -f mpeg");
    QTest::newRow("AVI defaults")
        << OutputFormat::Avi << settings("600", "24", "64")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg1video -b:v 600000 -r 24 -fps_mode cfr "
                 "-strict:v unofficial -c:a mp2 -b:a 64000 -f avi");
    QTest::newRow("MPG typed values")
        << OutputFormat::Mpg << settings("1500", "29", "12.2")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg1video -b:v 1500000 -r 29 -fps_mode cfr "
                 "-strict:v unofficial -c:a mp2 -b:a 12200 -f mpeg");
    QTest::newRow("HD MP4 defaults") << OutputFormat::HdMp4 << settings("1200", "29", "320")
                                     << words(
                                            "-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 1200000 -c:a libmp3lame "
                                            "-abr 1 -b:a 320000 -f avi");
    QTest::newRow("HD MP4 preset from the bitrate box")
        << OutputFormat::HdMp4 << settings("512", "15", "96")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 512000 -c:a libmp3lame -abr 1 -b:a 96000 -f avi");
}

void TestConvMapping::recipes()
{
    QFETCH(OutputFormat, format);
    QFETCH(EncodingSettings, settings);
    QFETCH(QStringList, encoding);

    QString output;
    const ConvMapping::Plan plan = ConvMapping::map(recipeArguments(format, settings, &output));
    QVERIFY2(plan.accepted(), qPrintable(plan.error));
    QCOMPARE(plan.input, input);
    QCOMPARE(plan.output, output);
    const QStringList expected = QStringList{QStringLiteral("-i"), QStringLiteral("file:") + input} +
                                 encoding +
                                 QStringList{QStringLiteral("-y"), QStringLiteral("file:") + output};
    QCOMPARE(plan.ffmpegArguments, expected);
}

void TestConvMapping::mencoderRules_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("encoding"); // between the input and "-y"

    QTest::newRow("lavc defaults: mpeg4 at 800, mp2 at 224, AVI")
        << words("in.mkv -oac lavc -ovc lavc -o out.avi")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 -f avi");
    QTest::newRow("mp3lame without a preset is LAME's VBR")
        << words("in.mkv -oac mp3lame -ovc lavc -o out.avi")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a libmp3lame -q:a 4 -f avi");
    QTest::newRow("a second -lavcopts adds its keys and overrides repeated ones")
        << words("in.mkv -oac lavc -lavcopts acodec=ac3:abitrate=192:vbitrate=100 -ovc lavc "
                 "-lavcopts vcodec=mpeg2video:vbitrate=2000 -o out.avi")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg2video -b:v 2000000 -strict:v unofficial -c:a ac3 -b:a "
                 "192000 -f avi");
    QTest::newRow("options after the input and in any order")
        << words("-o out.mpg -ofps 30000/1001 -of lavf -ovc lavc in.mkv -oac lavc")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -r 30000/1001 -fps_mode cfr -c:a mp2 -b:a "
                 "224000 -f mpeg");
    QTest::newRow("a known lavf format wins over the extension")
        << words("in.mkv -oac lavc -ovc lavc -of lavf -lavfopts format=mpegts -o out.mpg")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 -f mpegts");
    QTest::newRow("-of avi keeps AVI under any name")
        << words("in.mkv -oac lavc -ovc lavc -of avi -o out.mpg")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 -f avi");
    QTest::newRow("lameopts ignored for lavc audio")
        << words("in.mkv -oac lavc -lameopts preset=128 -ovc lavc -o out.avi")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 -f avi");
    QTest::newRow("decimal bitrates") << words("in.mkv -oac mp3lame -lameopts preset=8.5 -ovc lavc "
                                               "-lavcopts vbitrate=0.5 -o out.avi")
                                      << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 500 -c:a libmp3lame "
                                               "-abr 1 -b:a 8500 -f avi");
    QTest::newRow("the range's ends") << words("in.mkv -oac lavc -lavcopts abitrate=0.001 -ovc lavc "
                                               "-lavcopts vbitrate=2147483.647 -ofps 1001000 -o out.avi")
                                      << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 2147483647 -r 1001000 "
                                               "-fps_mode cfr -c:a mp2 -b:a 1 -f avi");
    QTest::newRow("exponent and sign") << words("in.mkv -oac lavc -lavcopts abitrate=+64 -ovc lavc "
                                                "-lavcopts vbitrate=1.2e3 -ofps 1/1001000 -o out.avi")
                                       << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 1200000 -r 1/1001000 "
                                                "-fps_mode cfr -c:a mp2 -b:a 64000 -f avi");
    // A cut: ffmpeg seeks in the input (its -ss goes before the input) and limits the output's
    // duration; -endpos is the length from the start.
    QTest::newRow("cut in seconds")
        << words("in.mkv -oac lavc -ovc lavc -ss 2 -endpos 3 -o out.avi")
        << words("-ss 2 -map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 -t 3 -f avi");
    QTest::newRow("cut in hh:mm:ss with fractions")
        << words("in.mkv -ss 0:00:30 -oac lavc -ovc lavc -endpos 00:01:02.5 -o out.avi")
        << words("-ss 30 -map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 -t 62.5 -f avi");
    QTest::newRow("start alone, below a microsecond dropped")
        << words("in.mkv -oac lavc -ovc lavc -ss 1:02:03.0000019 -o out.avi")
        << words("-ss 3723.000001 -map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 -f avi");
    QTest::newRow("length alone; a start of 0 needs no seeking")
        << words("in.mkv -oac lavc -ovc lavc -ss 0:00:00 -endpos 12.50 -o out.avi")
        << words("-map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 -t 12.5 -f avi");
    QTest::newRow("the largest times")
        << words("in.mkv -oac lavc -ovc lavc -ss 596523:14:07 -endpos 2147483647 -o out.avi")
        << words("-ss 2147483647 -map 0:V:0 -map 0:a:0? -c:v mpeg4 -b:v 800000 -c:a mp2 -b:a 224000 "
                 "-t 2147483647 -f avi");
}

void TestConvMapping::mencoderRules()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, encoding);

    const ConvMapping::Plan plan = ConvMapping::map(arguments);
    QVERIFY2(plan.accepted(), qPrintable(plan.error));
    // Everything but the input and the output, whose options go before "-i".
    const qsizetype inputAt = plan.ffmpegArguments.indexOf(QStringLiteral("-i"));
    QCOMPARE(plan.ffmpegArguments.first(inputAt) +
                 plan.ffmpegArguments.mid(inputAt + 2, plan.ffmpegArguments.size() - inputAt - 4),
             encoding);
    QCOMPARE(plan.ffmpegArguments.mid(inputAt, 2),
             (QStringList{QStringLiteral("-i"), QStringLiteral("file:in.mkv")}));
    QCOMPARE(plan.ffmpegArguments.at(plan.ffmpegArguments.size() - 2), QStringLiteral("-y"));
    QVERIFY(plan.ffmpegArguments.last().startsWith(QLatin1String("file:out.")));
}

void TestConvMapping::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    const char *base = "in.mkv -oac lavc -ovc lavc -o out.avi";
    const auto with = [base](const char *more) {
        return QString::fromUtf8(base).split(QLatin1Char(' ')) +
               QString::fromUtf8(more).split(QLatin1Char(' '));
    };
    QTest::newRow("unknown option") << with("-vf scale=320:240") << QStringLiteral("Unknown option: -vf");
    QTest::newRow("-nosound is not in the subset")
        << with("-nosound") << QStringLiteral("Unknown option: -nosound");
    QTest::newRow("-o without its value")
        << words("in.mkv -oac lavc -ovc lavc -o") << QStringLiteral("Option -o needs a value");
    QTest::newRow("-lavcopts without its value") << words("in.mkv -oac lavc -ovc lavc -o out.avi -lavcopts")
                                                 << QStringLiteral("Option -lavcopts needs a value");
    QTest::newRow("-lavcopts with only colons")
        << with("-lavcopts ::") << QStringLiteral("Option -lavcopts needs a value");
    QTest::newRow("-oac copy") << words("in.mkv -oac copy -ovc lavc -o out.avi")
                               << QStringLiteral(
                                      "Unknown audio encoder for -oac: 'copy' (known: mp3lame, lavc)");
    QTest::newRow("-ovc x264") << words("in.mkv -oac lavc -ovc x264 -o out.avi")
                               << QStringLiteral("Unknown video encoder for -ovc: 'x264' (known: lavc)");
    QTest::newRow("-of mpeg") << with("-of mpeg")
                              << QStringLiteral("Unknown output format for -of: 'mpeg' (known: avi, lavf)");
    QTest::newRow("unknown video codec")
        << with("-lavcopts vcodec=h264")
        << QStringLiteral("Unknown video codec vcodec=h264 (known: mpeg4, mpeg1video, mpeg2video)");
    QTest::newRow("unknown audio codec")
        << with("-lavcopts acodec=vorbis")
        << QStringLiteral("Unknown audio codec acodec=vorbis (known: mp2, ac3)");
    QTest::newRow("unknown lavcopts key")
        << with("-lavcopts vqscale=2")
        << QStringLiteral("Unknown suboption of -lavcopts: 'vqscale' (known: "
                          "vcodec, vbitrate, acodec, abitrate, vpass)");
    QTest::newRow("lavcopts key without a value")
        << with("-lavcopts vbitrate=") << QStringLiteral("Suboption vbitrate of -lavcopts needs a value");
    QTest::newRow("lavcopts flag") << with("-lavcopts v4mv")
                                   << QStringLiteral("Unknown suboption of -lavcopts: 'v4mv' (known: "
                                                     "vcodec, vbitrate, acodec, abitrate, vpass)");
    QTest::newRow("video bitrate not a number")
        << with("-lavcopts vbitrate=fast")
        << QStringLiteral("vbitrate needs a positive number of kbit/s, not 'fast'");
    QTest::newRow("zero audio bitrate")
        << with("-lavcopts abitrate=0")
        << QStringLiteral("abitrate needs a positive number of kbit/s, not '0'");
    QTest::newRow("negative audio bitrate")
        << with("-lavcopts abitrate=-64")
        << QStringLiteral("abitrate needs a positive number of kbit/s, not '-64'");
    // Numbers ffmpeg cannot take: each would reach it as a different, even negative, bitrate.
    QTest::newRow("video bitrate overflow")
        << with("-lavcopts vbitrate=1e17")
        << QStringLiteral("vbitrate=1e17 is out of range: give from 0.001 to 2147483.647 kbit/s");
    QTest::newRow("video bitrate past 32 bits")
        << with("-lavcopts vbitrate=2147483.648")
        << QStringLiteral("vbitrate=2147483.648 is out of range: give from 0.001 to 2147483.647 kbit/s");
    QTest::newRow("audio bitrate below one bit/s")
        << with("-lavcopts abitrate=0.0004")
        << QStringLiteral("abitrate=0.0004 is out of range: give from 0.001 to 2147483.647 kbit/s");
    QTest::newRow("infinite bitrate")
        << with("-lavcopts vbitrate=inf")
        << QStringLiteral("vbitrate needs a positive number of kbit/s, not 'inf'");
    QTest::newRow("negative LAME preset")
        << words("in.mkv -oac mp3lame -lameopts preset=-5 -ovc lavc -o out.avi")
        << QStringLiteral("preset=-5 is not supported: give an average bitrate from 8 to 320 kbit/s");
    QTest::newRow("second pass") << with("-lavcopts vpass=2")
                                 << QStringLiteral(
                                        "vpass=2 is not supported: conv encodes in a single pass (vpass=1)");
    QTest::newRow("named LAME preset")
        << words("in.mkv -oac mp3lame -lameopts preset=extreme -ovc lavc -o out.avi")
        << QStringLiteral("preset=extreme is not supported: give an average "
                          "bitrate from 8 to 320 kbit/s");
    QTest::newRow("LAME preset above 320")
        << words("in.mkv -oac mp3lame -lameopts preset=400 -ovc lavc -o out.avi")
        << QStringLiteral("preset=400 is not supported: give an average "
                          "bitrate from 8 to 320 kbit/s");
    QTest::newRow("other lameopts") << words("in.mkv -oac mp3lame -lameopts vbr=3 -ovc lavc -o out.avi")
                                    << QStringLiteral(
                                           "Unknown suboption of -lameopts: 'vbr' (known: preset)");
    QTest::newRow("zero frame rate") << with("-ofps 0")
                                     << QStringLiteral("-ofps needs a positive frame rate, not '0'");
    QTest::newRow("frame rate not a number")
        << with("-ofps 24fps") << QStringLiteral("-ofps needs a positive frame rate, not '24fps'");
    QTest::newRow("fraction with zero")
        << with("-ofps 24/0") << QStringLiteral("-ofps needs a positive frame rate, not '24/0'");
    QTest::newRow("negative frame rate")
        << with("-ofps -24") << QStringLiteral("-ofps needs a positive frame rate, not '-24'");
    QTest::newRow("frame rate overflow")
        << with("-ofps 1e17")
        << QStringLiteral("-ofps 1e17 is out of range: give from 1/1001000 to 1001000 frames per second");
    QTest::newRow("fraction overflow")
        << with("-ofps 1e300/1e-300")
        << QStringLiteral(
               "-ofps 1e300/1e-300 is out of range: give from 1/1001000 to 1001000 frames per second");
    QTest::newRow("frame rate too small")
        << with("-ofps 1/2000000")
        << QStringLiteral(
               "-ofps 1/2000000 is out of range: give from 1/1001000 to 1001000 frames per second");
    QTest::newRow("start not a number")
        << with("-ss soon") << QStringLiteral("-ss needs a time in seconds or hh:mm:ss, not 'soon'");
    QTest::newRow("negative start") << with("-ss -5")
                                    << QStringLiteral("-ss needs a time in seconds or hh:mm:ss, not '-5'");
    QTest::newRow("negative length") << with("-endpos -0:00:03")
                                     << QStringLiteral(
                                            "-endpos needs a time in seconds or hh:mm:ss, not '-0:00:03'");
    QTest::newRow("length as a size")
        << with("-endpos 10mb") << QStringLiteral("-endpos needs a time in seconds or hh:mm:ss, not '10mb'");
    QTest::newRow("time with an exponent")
        << with("-ss 1e3") << QStringLiteral("-ss needs a time in seconds or hh:mm:ss, not '1e3'");
    QTest::newRow("minutes past 59") << with("-ss 0:60:00")
                                     << QStringLiteral(
                                            "-ss 0:60:00 is no time: minutes and seconds go up to 59");
    QTest::newRow("seconds past 59") << with("-endpos 1:00:60.5")
                                     << QStringLiteral(
                                            "-endpos 1:00:60.5 is no time: minutes and seconds go up to 59");
    QTest::newRow("zero length") << with("-endpos 0:00:00")
                                 << QStringLiteral("-endpos needs a length above zero, not '0:00:00'");
    QTest::newRow("-ss without its value")
        << words("in.mkv -oac lavc -ovc lavc -o out.avi -ss") << QStringLiteral("Option -ss needs a value");
    const QString mostSeconds =
        QStringLiteral("is out of range: give at most 2147483647 seconds (596523:14:07)");
    QTest::newRow("start past 32 bits of seconds")
        << with("-ss 2147483648") << QStringLiteral("-ss 2147483648 ") + mostSeconds;
    QTest::newRow("length just past the limit")
        << with("-endpos 2147483647.5") << QStringLiteral("-endpos 2147483647.5 ") + mostSeconds;
    QTest::newRow("seconds past 64 bits") << with("-endpos 99999999999999999999999")
                                          << QStringLiteral("-endpos 99999999999999999999999 ") + mostSeconds;
    QTest::newRow("hours overflow") << with("-ss 99999999999:00:00")
                                    << QStringLiteral("-ss 99999999999:00:00 ") + mostSeconds;
    QTest::newRow("two inputs") << with("other.mkv")
                                << QStringLiteral(
                                       "Only one input file can be converted at a time: 'in.mkv' and "
                                       "'other.mkv'");
    QTest::newRow("no input") << words("-oac lavc -ovc lavc -o out.avi")
                              << QStringLiteral("No input file given");
    QTest::newRow("no arguments") << QStringList() << QStringLiteral("No input file given");
    QTest::newRow("no output") << words("in.mkv -oac lavc -ovc lavc")
                               << QStringLiteral("No output file given (-o)");
    QTest::newRow("no video encoder")
        << words("in.mkv -oac lavc -o out.avi") << QStringLiteral("No video encoder (-ovc) selected");
    QTest::newRow("no audio encoder")
        << words("in.mkv -ovc lavc -o out.avi") << QStringLiteral("No audio encoder (-oac) selected");
    QTest::newRow("no format for the extension")
        << words("in.mkv -oac lavc -ovc lavc -of lavf -lavfopts format=yuv4mpeg -o out.xyz")
        << QStringLiteral(
               "Cannot choose an output format for 'out.xyz': name a known -lavfopts format or end the "
               "output name in .mpg, .avi, .mp4, .mov, .3gp, .mkv, .vob or .ts");
    QTest::newRow("output is the input") << words("./in.mkv -oac lavc -ovc lavc -o in.mkv")
                                         << QStringLiteral("The output file is the input file: 'in.mkv'");
}

void TestConvMapping::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);

    const ConvMapping::Plan plan = ConvMapping::map(arguments);
    QVERIFY(!plan.accepted());
    QCOMPARE(plan.error, error);
    QVERIFY(plan.ffmpegArguments.isEmpty());
}

void TestConvMapping::muxerForFileName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("muxer");

    QTest::newRow("mpg") << QStringLiteral("/o/a-953.mpg") << QStringLiteral("mpeg");
    QTest::newRow("upper-case MPG") << QStringLiteral("/o/A.MPG") << QStringLiteral("mpeg");
    QTest::newRow("mpeg") << QStringLiteral("a.mpeg") << QStringLiteral("mpeg");
    QTest::newRow("avi") << QStringLiteral("/o/a b.avi") << QStringLiteral("avi");
    QTest::newRow("mp4") << QStringLiteral("a.mp4") << QStringLiteral("mp4");
    QTest::newRow("mkv") << QStringLiteral("a.mkv") << QStringLiteral("matroska");
    QTest::newRow("ts") << QStringLiteral("a.ts") << QStringLiteral("mpegts");
    QTest::newRow("dot in the folder only") << QStringLiteral("/o.mpg/a") << QString();
    QTest::newRow("unknown") << QStringLiteral("a.rmvb") << QString();
}

void TestConvMapping::muxerForFileName()
{
    QFETCH(QString, fileName);
    QFETCH(QString, muxer);
    QCOMPARE(ConvMapping::muxerForFileName(fileName), muxer);
}

QTEST_APPLESS_MAIN(TestConvMapping)
#include "tst_convmapping.moc"
