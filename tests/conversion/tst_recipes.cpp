#include "common/expectedcommand.h"
#include "conversion/recipes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString programFolder = QStringLiteral("/opt/tunoxa");
const QString intermediate = QStringLiteral("/home/u/.cache/tunoxa/tmp/tmp.mp4");
const QString probeWav = QStringLiteral("/home/u/.cache/tunoxa/tmp.wav");

// Distinct values in every box, so a setting in the wrong place shows.
RecipeInput input(const QString &size, const QString &file = QStringLiteral("/Music/a.flac"))
{
    RecipeInput in;
    in.programFolder = programFolder;
    in.inputPath = file;
    in.outputFolder = QStringLiteral("/Out/");
    in.settings = {QStringLiteral("384"),   QStringLiteral("23"), size,
                   QStringLiteral("32000"), QStringLiteral("96"), 0};
    in.clock = QTime(14, 3, 7);
    in.work = {intermediate, probeWav};
    return in;
}

} // namespace

class TestRecipes : public QObject
{
    Q_OBJECT

private slots:
    void recipeText_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("tool");

        const QString orig = QStringLiteral("原始大小");
        const QString small = QStringLiteral("176x144");
        const QString toTmp =
            QStringLiteral("/opt/tunoxa/data/conv \"/Music/a.flac\" -oac mp3lame -lameopts preset=320 "
                           "-ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o "
                           "/home/u/.cache/tunoxa/tmp/tmp.mp4");
        const QString conv = QStringLiteral("conv");
        const QString coder = QStringLiteral("coder");
        const QString coder2 = QStringLiteral("coder2");

        for (int p : {0, 1, 5, 6, 7}) {
            for (const QString &s : {orig, small})
                QTest::addRow("%d intermediate, %s", p, qPrintable(s))
                    << p << 0 << s << toTmp << intermediate << conv;
        }

        QTest::newRow("RMVB original")
            << 0 << 1 << orig
            << QStringLiteral(
                   "/opt/tunoxa/data/coder -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -vcodec rv10 -b 1200k "
                   "-f rm  -ab 128k -ac 2 \"/Out/a-1437.rmvb\"")
            << QStringLiteral("/Out/a-1437.rmvb") << coder;
        QTest::newRow("RM original")
            << 1 << 1 << orig
            << QStringLiteral(
                   "/opt/tunoxa/data/coder -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -vcodec rv10 -b 1200k "
                   "-f rm  -ab 128k -ac 2 \"/Out/a-1437.rm\"")
            << QStringLiteral("/Out/a-1437.rm") << coder;
        QTest::newRow("RMVB resized")
            << 0 << 1 << small
            << QStringLiteral(
                   "/opt/tunoxa/data/coder -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -s 176x144 -vcodec rv10 "
                   "-b 384k -f rm -ar 32000 -ab 96k -ac 1 \"/Out/a-1437.rmvb\"")
            << QStringLiteral("/Out/a-1437.rmvb") << coder;
        QTest::newRow("RM resized")
            << 1 << 1 << small
            << QStringLiteral(
                   "/opt/tunoxa/data/coder -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -s 176x144 -vcodec rv10 "
                   "-b 384k -f rm -ar 32000 -ab 96k -ac 1 \"/Out/a-1437.rm\"")
            << QStringLiteral("/Out/a-1437.rm") << coder;
        QTest::newRow("MPG")
            << 2 << 0 << orig
            << QStringLiteral(
                   "/opt/tunoxa/data/conv \"/Music/a.flac\" -oac lavc -lavcopts acodec=mp2:abitrate=96 -ovc "
                   "lavc -lavcopts vcodec=mpeg1video:vbitrate=384:vpass=1 -ofps 23 -of lavf -lavfopts "
                   "format=yuv4mpeg -o \"/Out/a-1437.mpg\"")
            << QStringLiteral("/Out/a-1437.mpg") << conv;
        QTest::newRow("AVI")
            << 3 << 0 << small
            << QStringLiteral(
                   "/opt/tunoxa/data/conv \"/Music/a.flac\" -oac lavc -lavcopts acodec=mp2:abitrate=96 -ovc "
                   "lavc -lavcopts vcodec=mpeg1video:vbitrate=384:vpass=1 -ofps 23 -of lavf -lavfopts "
                   "format=yuv4mpeg -o \"/Out/a-1437.avi\"")
            << QStringLiteral("/Out/a-1437.avi") << conv;
        QTest::newRow("HD MP4")
            << 4 << 0 << orig
            << QStringLiteral(
                   "/opt/tunoxa/data/conv \"/Music/a.flac\" -oac mp3lame -lameopts preset=96 -ovc lavc "
                   "-lavcopts vcodec=mpeg4:vbitrate=384 -of avi -o \"/Out/a-1437.mp4\"")
            << QStringLiteral("/Out/a-1437.mp4") << conv;
        QTest::newRow("MOV original")
            << 5 << 1 << orig
            << QStringLiteral(
                   "/opt/tunoxa/data/coder -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -ac 2 -ar 48000 -ab 128k "
                   "\"/Out/a-1437.mov\"")
            << QStringLiteral("/Out/a-1437.mov") << coder;
        QTest::newRow("MOV resized") << 5 << 1 << small
                                     << QStringLiteral(
                                            "/opt/tunoxa/data/coder -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y "
                                            "-s 176x144 -ac 2 -ar 48000 "
                                            "-ab 128k \"/Out/a-1437.mov\"")
                                     << QStringLiteral("/Out/a-1437.mov") << coder;
        QTest::newRow("mobile MP4 original still 320x240")
            << 6 << 1 << orig
            << QStringLiteral(
                   "/opt/tunoxa/data/coder2 -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -s 320x240 -vcodec mpeg4 "
                   "-acodec amr_nb -ac 1 -ar 8000 -ab 12.2k \"/Out/a-1437.mp4\"")
            << QStringLiteral("/Out/a-1437.mp4") << coder2;
        QTest::newRow("mobile MP4 resized")
            << 6 << 1 << small
            << QStringLiteral(
                   "/opt/tunoxa/data/coder2 -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -s 176x144 -vcodec mpeg4 "
                   "-acodec amr_nb -ac 1 -ar 8000 -ab 12.2k \"/Out/a-1437.mp4\"")
            << QStringLiteral("/Out/a-1437.mp4") << coder2;
        QTest::newRow("3GP original still 320x240")
            << 7 << 1 << orig
            << QStringLiteral(
                   "/opt/tunoxa/data/coder2 -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -s 320x240 -vcodec mpeg4 "
                   "-acodec amr_nb -ac 1 -ar 8000 -ab 12.2k \"/Out/a-1437.3gp\"")
            << QStringLiteral("/Out/a-1437.3gp") << coder2;
        QTest::newRow("3GP resized")
            << 7 << 1 << small
            << QStringLiteral(
                   "/opt/tunoxa/data/coder2 -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -s 176x144 -vcodec mpeg4 "
                   "-acodec amr_nb -ac 1 -ar 8000 -ab 12.2k \"/Out/a-1437.3gp\"")
            << QStringLiteral("/Out/a-1437.3gp") << coder2;
        QTest::newRow("MP3 decode")
            << 8 << 0 << orig
            << QStringLiteral("/opt/tunoxa/data/sox \"/Music/a.flac\" /home/u/.cache/tunoxa/tmp.wav")
            << probeWav << QStringLiteral("sox");
        QTest::newRow("MP3 probe") << 8 << 1 << orig
                                   << QStringLiteral(
                                          "/opt/tunoxa/data/coder -i /home/u/.cache/tunoxa/tmp.wav")
                                   << QString() << coder;
        QTest::newRow("MP3 encode")
            << 8 << 2 << small
            << QStringLiteral(
                   "/opt/tunoxa/data/coder -err_detect crccheck -i \"/Music/a.flac\" -y -vn -ar 32000 -ab "
                   "96k -ac 1 \"/Out/a_1437.mp3\"")
            << QStringLiteral("/Out/a_1437.mp3") << coder;
        QTest::newRow("Opus encode: always 48000 Hz")
            << 9 << 0 << small
            << QStringLiteral("/opt/tunoxa/data/coder -err_detect crccheck -i \"/Music/a.flac\" -y -vn -af "
                              "asetpts=N/SR/TB -c:a libopus -ar 48000 -b:a 96k -ac 1 \"/Out/a_1437.opus\"")
            << QStringLiteral("/Out/a_1437.opus") << coder;
        QTest::newRow("AAC encode")
            << 10 << 0 << small
            << QStringLiteral("/opt/tunoxa/data/coder -err_detect crccheck -i \"/Music/a.flac\" -y -vn -af "
                              "asetpts=N/SR/TB -c:a aac -ar 32000 -b:a 96k -ac 1 \"/Out/a_1437.m4a\"")
            << QStringLiteral("/Out/a_1437.m4a") << coder;
        QTest::newRow("Vorbis encode")
            << 11 << 0 << small
            << QStringLiteral("/opt/tunoxa/data/coder -err_detect crccheck -i \"/Music/a.flac\" -y -vn -af "
                              "asetpts=N/SR/TB -c:a libvorbis -ar 32000 -b:a 96k -ac 1 \"/Out/a_1437.ogg\"")
            << QStringLiteral("/Out/a_1437.ogg") << coder;
    }

    void recipeText()
    {
        QFETCH(int, position);
        QFETCH(int, stage);
        QFETCH(QString, size);
        QFETCH(QString, line);
        QFETCH(QString, output);
        QFETCH(QString, tool);
        const OutputFormat format = *FormatTable::formatAt(position);
        const ToolCommand c = Recipes::stage(format, stage, input(size));
        QCOMPARE(c.command, expectedCommand(line));
        QCOMPARE(c.outputPath, output);
        QCOMPARE(c.toolName, tool);
        QCOMPARE(c.toolName, FormatTable::stageTools(format).at(stage));
    }

    // The cutter adds its options to the stage that reads the input, and to no other.
    void cutterAddsItsPieces_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("line");
        QTest::newRow("MP3 encode") << 8 << 2 << 10
                                    << QStringLiteral("/opt/tunoxa/data/coder -err_detect crccheck -ss 5 -to "
                                                      "10 -i \"/Music/a.flac\" -y -vn -ar 32000 -ab 96k "
                                                      "-ac 1 \"/Out/a_1437.mp3\"");
        QTest::newRow("MP3 encode to the end")
            << 8 << 2 << 0
            << QStringLiteral("/opt/tunoxa/data/coder -err_detect crccheck -ss 5 -i \"/Music/a.flac\" -y -vn "
                              "-ar 32000 -ab 96k "
                              "-ac 1 "
                              "\"/Out/a_1437.mp3\"");
        QTest::newRow("MP3 decode")
            << 8 << 0 << 10
            << QStringLiteral("/opt/tunoxa/data/sox \"/Music/a.flac\" /home/u/.cache/tunoxa/tmp.wav");
        QTest::newRow("intermediate")
            << 5 << 0 << 10
            << QStringLiteral(
                   "/opt/tunoxa/data/conv \"/Music/a.flac\" -ss 5 -endpos 5 -oac mp3lame -lameopts "
                   "preset=320 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o "
                   "/home/u/.cache/tunoxa/tmp/tmp.mp4");
        QTest::newRow("MOV from the cut intermediate")
            << 5 << 1 << 10
            << QStringLiteral(
                   "/opt/tunoxa/data/coder -i /home/u/.cache/tunoxa/tmp/tmp.mp4 -y -ac 2 -ar 48000 -ab "
                   "128k \"/Out/a-1437.mov\"");
    }
    void cutterAddsItsPieces()
    {
        QFETCH(int, position);
        QFETCH(int, stage);
        QFETCH(int, end);
        QFETCH(QString, line);
        RecipeInput in = input(QStringLiteral("原始大小"));
        in.cut = CutRange{5, end};
        QCOMPARE(Recipes::stage(*FormatTable::formatAt(position), stage, in).command, expectedCommand(line));
    }

    void stagesBeyondTheFormatAreEmpty_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("stage");
        for (int p = 0; p < FormatTable::formatCount; ++p) {
            const int count = int(FormatTable::stageTools(*FormatTable::formatAt(p)).size());
            QTest::addRow("%d at %d", p, count) << p << count;
            QTest::addRow("%d at -1", p) << p << -1;
        }
    }

    void stagesBeyondTheFormatAreEmpty()
    {
        QFETCH(int, position);
        QFETCH(int, stage);
        QCOMPARE(Recipes::stage(*FormatTable::formatAt(position), stage, input(QStringLiteral("x"))).command,
                 Command{});
    }

    // The MP3 defaults for a.flac into an output folder at 14:03:07.
    void mp3WithDefaults()
    {
        RecipeInput in = input(QStringLiteral("原始大小"));
        const FormatDefaults d = FormatTable::defaultsFor(OutputFormat::Mp3);
        in.settings.sampleRate = d.sampleRate;
        in.settings.audioBitrate = d.audioBitrate;
        in.settings.channelIndex = d.channelIndex;
        const ToolCommand c = Recipes::stage(OutputFormat::Mp3, 2, in);
        QCOMPARE(c.command, expectedCommand(QStringLiteral(
                                "/opt/tunoxa/data/coder -err_detect crccheck -i \"/Music/a.flac\" -y "
                                "-vn -ar 48000 -ab 320k -ac 2 \"/Out/a_1437.mp3\"")));
        // Frame checksums are FLAC's; other sources are read as before.
        in.inputPath = QStringLiteral("/Music/a.wav");
        QCOMPARE(
            Recipes::stage(OutputFormat::Mp3, 2, in).command,
            expectedCommand(QStringLiteral("/opt/tunoxa/data/coder -i \"/Music/a.wav\" -y -vn -ar 48000 -ab "
                                           "320k -ac 2 \"/Out/a_1437.mp3\"")));
    }

    void originalSizeIgnoresTheAudioAndVideoBoxes_data()
    {
        QTest::addColumn<int>("position");
        QTest::newRow("RMVB") << 0;
        QTest::newRow("RM") << 1;
        QTest::newRow("MOV") << 5;
        QTest::newRow("mobile MP4") << 6;
        QTest::newRow("3GP") << 7;
    }

    void originalSizeIgnoresTheAudioAndVideoBoxes()
    {
        QFETCH(int, position);
        const OutputFormat format = *FormatTable::formatAt(position);
        RecipeInput a = input(QStringLiteral("原始大小"));
        RecipeInput b = a;
        b.settings = {QStringLiteral("40"),   QStringLiteral("15"),   QStringLiteral("原始大小"),
                      QStringLiteral("8000"), QStringLiteral("10.2"), -1};
        QCOMPARE(Recipes::secondStage(format, b).command, Recipes::secondStage(format, a).command);
        QCOMPARE(Recipes::firstStage(format, b).command, Recipes::firstStage(format, a).command);
    }

    void channelCount_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("count");
        QTest::newRow("none") << -1 << QStringLiteral("0");
        QTest::newRow("单声道") << 0 << QStringLiteral("1");
        QTest::newRow("双声道") << 1 << QStringLiteral("2");
    }

    void channelCount()
    {
        QFETCH(int, index);
        QFETCH(QString, count);
        RecipeInput in = input(QStringLiteral("320x240"));
        in.settings.channelIndex = index;
        for (const ToolCommand &c : {Recipes::stage(OutputFormat::Mp3, 2, in), Recipes::secondStage(OutputFormat::Rmvb, in),
                                     Recipes::secondStage(OutputFormat::Rm, in)}) {
            const QStringList &args = c.command.arguments;
            QCOMPARE(args.value(args.indexOf(QStringLiteral("-ac")) + 1), count);
        }
    }

    void workingPathsAreArgumentsAsTheyAre_data()
    {
        QTest::addColumn<QString>("work");
        QTest::newRow("plain") << QStringLiteral("/home/u/.cache/tunoxa/tmp/tmp.mp4");
        QTest::newRow("blank") << QStringLiteral("/home/a b/tmp.mp4");
        QTest::newRow("tab") << QStringLiteral("/home/a\tb/tmp.mp4");
        QTest::newRow("quote") << QStringLiteral("/home/a\"b/tmp.mp4");
        QTest::newRow("Chinese") << QStringLiteral("/home/用户/tmp.mp4");
    }

    void workingPathsAreArgumentsAsTheyAre()
    {
        QFETCH(QString, work);
        RecipeInput in = input(QStringLiteral("原始大小"));
        in.work = {work, work};
        QCOMPARE(Recipes::firstStage(OutputFormat::Rmvb, in).command.arguments.last(2),
                 (QStringList{QStringLiteral("-o"), work}));
        QCOMPARE(Recipes::secondStage(OutputFormat::Mov, in).command.arguments.first(3),
                 (QStringList{QStringLiteral("-i"), work, QStringLiteral("-y")}));
        QCOMPARE(Recipes::referenceDecode(in).command.arguments.constLast(), work);
        QCOMPARE(Recipes::stage(OutputFormat::Mp3, 1, in).command.arguments, (QStringList{QStringLiteral("-i"), work}));
    }

    void nameChooserNamesTheFinalOutputOnly()
    {
        const NameChooser chooser = [](const QString &wanted) { return wanted + QStringLiteral(".x"); };
        const RecipeInput in = input(QStringLiteral("原始大小"));
        for (int p = 0; p < FormatTable::formatCount; ++p) {
            const OutputFormat format = *FormatTable::formatAt(p);
            const QStringList tools = FormatTable::stageTools(format);
            for (int s = 0; s < tools.size(); ++s) {
                const ToolCommand plain = Recipes::stage(format, s, in);
                const ToolCommand c = Recipes::stage(format, s, in, chooser);
                if (s == tools.size() - 1) {
                    QCOMPARE(c.outputPath, plain.outputPath + QStringLiteral(".x"));
                    QCOMPARE(c.command.arguments.constLast(), c.outputPath);
                } else {
                    QCOMPARE(c.command, plain.command);
                }
            }
        }
    }

    void outputNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("output");
        QTest::newRow("no dot keeps the name")
            << QStringLiteral("/Music/README") << 8 << QStringLiteral("/Out/README_1437.mp3");
        QTest::newRow("no dot, video")
            << QStringLiteral("/Music/track") << 7 << QStringLiteral("/Out/track-1437.3gp");
        QTest::newRow("several dots")
            << QStringLiteral("/Music/a.b.flac") << 8 << QStringLiteral("/Out/a.b_1437.mp3");
        QTest::newRow("blank in the name")
            << QStringLiteral("/Music/Song One.flac") << 7 << QStringLiteral("/Out/Song One-1437.3gp");
        // A file name holds at most 255 bytes: the base gives way, between whole characters.
        const QString a(300, QLatin1Char('a'));
        const QString zh(100, QChar(0x4E2D));                   // three bytes each
        const QString emoji = QStringLiteral("😀").repeated(80); // four bytes, two UTF-16 units each
        QTest::newRow("long name") << QStringLiteral("/Music/") + a + QStringLiteral(".flac") << 7
                                   << QStringLiteral("/Out/") + a.left(246) + QStringLiteral("-1437.3gp");
        QTest::newRow("long Chinese name")
            << QStringLiteral("/Music/ab") + zh + QStringLiteral(".flac") << 8
            << QStringLiteral("/Out/ab") + zh.left(81) + QStringLiteral("_1437.mp3");
        QTest::newRow("long name of surrogate pairs")
            << QStringLiteral("/Music/a") + emoji + QStringLiteral(".flac") << 4
            << QStringLiteral("/Out/a") + emoji.left(2 * 61) + QStringLiteral("-1437.mp4");
    }

    void outputNames()
    {
        QFETCH(QString, file);
        QFETCH(int, position);
        QFETCH(QString, output);
        const OutputFormat format = *FormatTable::formatAt(position);
        const RecipeInput in = input(QStringLiteral("320x240"), file);
        QCOMPARE(Recipes::outputPath(format, file, in.outputFolder, in.clock), output);
        const int last = int(FormatTable::stageTools(format).size()) - 1;
        const ToolCommand c = Recipes::stage(format, last, in);
        QCOMPARE(c.outputPath, output);
        QCOMPARE(c.command.arguments.constLast(), output);
    }
};

QTEST_GUILESS_MAIN(TestRecipes)
#include "tst_recipes.moc"
