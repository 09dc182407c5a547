#include "common/expectedcommand.h"
#include "conversion/flacfallback.h"
#include "conversion/recipes.h"
#include "runner/commandlinetext.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

RecipeInput plainInput()
{
    RecipeInput in;
    in.programFolder = QStringLiteral("/opt/tunoxa");
    in.inputPath = QStringLiteral("/in/f.flac");
    in.outputFolder = QStringLiteral("/out/");
    in.settings = {QStringLiteral("600"),   QStringLiteral("24"), QStringLiteral("320x240"),
                   QStringLiteral("44100"), QStringLiteral("64"), 1};
    in.clock = QTime(9, 5, 3);
    in.work = {QStringLiteral("/w/tmp/tmp.mp4"), QStringLiteral("/w/tmp.wav")};
    return in;
}

// Pieces a command line would have to quote: blanks, tabs, quotes, backslashes (also before a quote
// and at the end), Chinese, a leading dash, shell characters that must mean nothing here.
QString randomPath(QRandomGenerator &rng, bool absolute)
{
    static const QStringList pieces{QStringLiteral("a"),      QStringLiteral("b c"),  QStringLiteral("\""),
                                    QStringLiteral("\\"),     QStringLiteral("\\\\"), QStringLiteral("\\\""),
                                    QStringLiteral("音乐"),   QStringLiteral("-x"),   QStringLiteral("\t"),
                                    QStringLiteral("  "),     QStringLiteral("'"),    QStringLiteral("$HOME"),
                                    QStringLiteral("*?"),     QStringLiteral("é.ü"),  QStringLiteral("\"\""),
                                    QStringLiteral("x.flac"), QStringLiteral(";&|")};
    QString path = absolute ? QStringLiteral("/") : QString();
    const int segments = 1 + int(rng.bounded(4));
    for (int s = 0; s < segments; ++s) {
        if (s > 0)
            path += QLatin1Char('/');
        const int n = 1 + int(rng.bounded(3));
        for (int i = 0; i < n; ++i)
            path += pieces.at(int(rng.bounded(pieces.size())));
    }
    return path;
}

} // namespace

Q_DECLARE_METATYPE(Command)

class TestCommandLineText : public QObject
{
    Q_OBJECT

private slots:
    void splitArguments_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("blanks separate")
            << QStringLiteral(" a  b\tc ")
            << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        QTest::newRow("quotes group")
            << QStringLiteral("\"a b\" c") << QStringList{QStringLiteral("a b"), QStringLiteral("c")};
        QTest::newRow("quotes join") << QStringLiteral("a\"b c\"d") << QStringList{QStringLiteral("ab cd")};
        QTest::newRow("empty quoted")
            << QStringLiteral("\"\" x") << QStringList{QString(), QStringLiteral("x")};
        QTest::newRow("escaped quote") << QStringLiteral("a\\\"b") << QStringList{QStringLiteral("a\"b")};
        QTest::newRow("backslashes alone are literal")
            << QStringLiteral("a\\\\b\\") << QStringList{QStringLiteral("a\\\\b\\")};
        QTest::newRow("even backslashes before quote")
            << QStringLiteral("\"a\\\\\" b") << QStringList{QStringLiteral("a\\"), QStringLiteral("b")};
        QTest::newRow("double quote inside quotes")
            << QStringLiteral("\"a\"\"b\"") << QStringList{QStringLiteral("a\"b")};
        QTest::newRow("unclosed quote runs to the end")
            << QStringLiteral("\"a b") << QStringList{QStringLiteral("a b")};
        QTest::newRow("nothing") << QString() << QStringList{};
    }

    void splitArguments()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QCOMPARE(CommandLineText::splitArguments(text), arguments);
    }

    // Whatever the input and output paths hold, a recipe gives them as they are, in their places,
    // and the other arguments stay as they are.
    void generatedPathsAreArguments_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("programFolder");
        QRandomGenerator rng(20261207);
        for (int i = 0; i < 300; ++i) {
            const QString file = randomPath(rng, i % 10 != 0);
            const QString folder = randomPath(rng, true) + QLatin1Char('/');
            QTest::addRow("%d", i) << file << folder << randomPath(rng, true);
        }
        QTest::newRow("trailing backslash input")
            << QStringLiteral("/in/x\\") << QStringLiteral("/o\\/") << QStringLiteral("/opt/tunoxa");
        QTest::newRow("leading dash input")
            << QStringLiteral("-i.flac") << QStringLiteral("/-o/") << QStringLiteral("/opt/tunoxa");
    }

    void generatedPathsAreArguments()
    {
        QFETCH(QString, file);
        QFETCH(QString, folder);
        QFETCH(QString, programFolder);
        const RecipeInput plain = plainInput();
        RecipeInput in = plain;
        in.inputPath = file;
        in.outputFolder = folder;
        in.programFolder = programFolder;
        for (int p = 0; p < FormatTable::formatCount; ++p) {
            const OutputFormat format = *FormatTable::formatAt(p);
            for (int s = 0; s < FormatTable::stageTools(format).size(); ++s) {
                const ToolCommand base = Recipes::stage(format, s, plain);
                const ToolCommand c = Recipes::stage(format, s, in);
                QStringList expected = base.command.arguments;
                // Only a FLAC's name asks ffmpeg for frame checksums.
                if (!file.endsWith(QStringLiteral(".flac"), Qt::CaseInsensitive)) {
                    expected.removeAll(QStringLiteral("-err_detect"));
                    expected.removeAll(QStringLiteral("crccheck"));
                }
                for (QString &arg : expected) {
                    if (arg == plain.inputPath)
                        arg = file;
                    else if (arg == base.outputPath && !base.outputPath.isEmpty())
                        arg = c.outputPath;
                }
                QCOMPARE(c.command, (Command{Recipes::toolPath(programFolder, c.toolName), expected}));
            }
        }
    }

    // Library mode's commands, with a cover file, the mark and a tag whose value needs quoting.
    void libraryCommands_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("line");
        RecipeInput in = plainInput();
        in.plainName = in.keepCover = true;
        in.coverFile = u"/w/cover 1.jpg"_s;
        in.work.tag = u"/w/tag.mp3"_s;
        in.mark = LibraryMark{in.inputPath, u"0123456789abcdef"_s, u"mp3 64 44100 2"_s, {}, {}, {}};
        in.tagOverrides = {{u"album_artist"_s, u"A \"B\" C"_s}};
        const QString coder = u"/opt/tunoxa/data/coder "_s;
        const QString header = coder + u"-probesize 32 -analyzeduration 0 -i /in/f.flac "_s;
        const QString cover = u"-metadata:s:v \"comment=Cover (front)\" "_s;
        const QString tags = u"-metadata \"album_artist=A \\\"B\\\" C\" "_s;
        const QString mark =
            u"-id3v2_version 3 -metadata TUNOXA_SOURCE=/in/f.flac -metadata TUNOXA_AUDIO_MD5="
            u"0123456789abcdef -metadata \"TUNOXA_SETTINGS=mp3 64 44100 2\" "_s;
        const QString picture = u"-c:v copy -disposition:v attached_pic "_s;
        QTest::newRow("MP3 encode")
            << Recipes::stage(OutputFormat::Mp3, 2, in).command
            << coder + u"-err_detect crccheck -i /in/f.flac -i \"/w/cover 1.jpg\" -y -map 0:a -map 1:v "_s +
                   picture + cover + u"-ar 44100 -ab 64k -ac 2 "_s + tags + mark + u"/out/f.mp3"_s;
        QTest::newRow("retag") << Recipes::retag(in).command
                               << header +
                                      u"-f lavfi -t 0.05 -i anullsrc=r=48000:cl=mono -i \"/w/cover 1.jpg\" "
                                      u"-y -map 1:a -frames:a 1 -map 2:v "_s +
                                      cover + picture + u"-map_metadata 0 -write_xing 0 "_s + tags + mark +
                                      u"/w/tag.mp3"_s;
        QTest::newRow("M4A remux")
            << Recipes::remux(OutputFormat::Aac, in, u"/out/old f.m4a"_s, {}).command
            << header + u"-i \"/w/cover 1.jpg\" -i \"/out/old f.m4a\" -y -map 2:a -c:a copy -map 1:v "_s +
                   picture + u"-map_metadata 0 -map_metadata:s:a -1 "_s + tags + u"/out/f.m4a"_s;
        const FlacFallback::Metadata written{u"/w/tags.txt"_s, {}};
        QTest::newRow("decoded FLAC encode")
            << FlacFallback::encodeCommand(OutputFormat::Mp3, in, in.work.probeWav, written).command
            << coder +
                   u"-i /w/tmp.wav -i /w/tags.txt -i \"/w/cover 1.jpg\" -y -map 0:a -map_metadata 1 -map 2 "_s +
                   picture + cover + tags + mark + u"-ar 44100 -ab 64k -ac 2 /out/f.mp3"_s;
    }

    void libraryCommands()
    {
        QFETCH(Command, command);
        QFETCH(QString, line);
        QCOMPARE(command, expectedCommand(line));
    }

    // A typed setting stays within its argument, whatever it holds.
    void settingsStayWithinTheirArguments_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("entry") << QStringLiteral("44100");
        QTest::newRow("blank") << QStringLiteral("44 100");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank only") << QStringLiteral(" ");
        QTest::newRow("quoted") << QStringLiteral("\"4 4\"");
        QTest::newRow("place") << QStringLiteral("{size}");
        QTest::newRow("Chinese") << QStringLiteral("四万八");
    }

    void settingsStayWithinTheirArguments()
    {
        QFETCH(QString, value);
        RecipeInput in = plainInput();
        in.settings.sampleRate = value;
        in.settings.audioBitrate = value;
        QCOMPARE(Recipes::stage(OutputFormat::Mp3, 2, in).command.arguments,
                 (QStringList{QStringLiteral("-err_detect"), QStringLiteral("crccheck"), QStringLiteral("-i"),
                              in.inputPath, QStringLiteral("-y"), QStringLiteral("-vn"),
                              QStringLiteral("-ar"), value, QStringLiteral("-ab"), value + u'k',
                              QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("/out/f_953.mp3")}));
    }

    // A program folder with blanks or quotes: the tool itself runs, never a program that happens to
    // be named like the part before the first blank.
    void programFolderWithBlanks_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<bool>("decoyIsFolder");
        QTest::newRow("decoy program") << QStringLiteral("a b") << false;
        QTest::newRow("decoy folder") << QStringLiteral("a b") << true;
        QTest::newRow("two blanks") << QStringLiteral("a  b c") << false;
        QTest::newRow("Chinese") << QStringLiteral("a 程序") << false;
        QTest::newRow("quotes") << QStringLiteral("a \"b\"") << false;
    }

    void programFolderWithBlanks()
    {
        QFETCH(QString, folderName);
        QFETCH(bool, decoyIsFolder);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString a = root.filePath(folderName);
        QVERIFY(QDir().mkpath(a + QStringLiteral("/data")));
        QFile coder(a + QStringLiteral("/data/coder"));
        QVERIFY(coder.open(QIODevice::WriteOnly));
        coder.write("#!/bin/sh\nprintf 'ran %s|' \"$@\"\n");
        coder.close();
        QVERIFY(coder.setPermissions(coder.permissions() | QFile::ExeOwner));
        const QString decoy = root.filePath(QStringLiteral("a"));
        if (decoyIsFolder) {
            QVERIFY(QDir().mkpath(decoy + QStringLiteral("/data")));
        } else {
            QFile f(decoy);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\necho decoy\n");
            f.close();
            QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner));
        }

        RecipeInput in = plainInput();
        in.programFolder = a;
        const Command command = Recipes::stage(OutputFormat::Mp3, 1, in).command;
        QCOMPARE(command,
                 (Command{a + QStringLiteral("/data/coder"), {QStringLiteral("-i"), in.work.probeWav}}));

        QProcess process;
        process.start(command.program, command.arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.readAllStandardOutput(), QByteArray("ran -i|ran /w/tmp.wav|"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLineText)
#include "tst_commandlinetext.moc"
