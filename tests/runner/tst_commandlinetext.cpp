#include "conversion/recipes.h"
#include "runner/commandlinetext.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

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

// Pieces that stress the quoting: blanks, tabs, quotes, backslashes (also before a quote and at the
// end), Chinese, a leading dash, shell characters that must mean nothing here.
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

QStringList argumentsOf(const QString &line)
{
    return CommandLineText::split(line).arguments;
}

} // namespace

class TestCommandLineText : public QObject
{
    Q_OBJECT

private slots:
    void quote_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("plain") << QStringLiteral("/a/b.flac") << QStringLiteral("\"/a/b.flac\"");
        QTest::newRow("blank") << QStringLiteral("/a b/c") << QStringLiteral("\"/a b/c\"");
        QTest::newRow("empty") << QString() << QStringLiteral("\"\"");
        QTest::newRow("quote") << QStringLiteral("a\"b") << QStringLiteral("\"a\\\"b\"");
        QTest::newRow("backslash inside stays") << QStringLiteral("a\\b") << QStringLiteral("\"a\\b\"");
        QTest::newRow("backslash before quote doubled")
            << QStringLiteral("a\\\"b") << QStringLiteral("\"a\\\\\\\"b\"");
        QTest::newRow("trailing backslash doubled") << QStringLiteral("a\\") << QStringLiteral("\"a\\\\\"");
        QTest::newRow("two trailing backslashes")
            << QStringLiteral("a\\\\") << QStringLiteral("\"a\\\\\\\\\"");
    }

    void quote()
    {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QCOMPARE(CommandLineText::quote(text), quoted);
        QCOMPARE(CommandLineText::splitArguments(quoted), QStringList{text});
    }

    void quoteIfNeeded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("bare") << QStringLiteral("/w/tmp.wav") << QStringLiteral("/w/tmp.wav");
        QTest::newRow("backslash alone stays bare") << QStringLiteral("/w\\x") << QStringLiteral("/w\\x");
        QTest::newRow("blank") << QStringLiteral("/a b") << QStringLiteral("\"/a b\"");
        QTest::newRow("tab") << QStringLiteral("/a\tb") << QStringLiteral("\"/a\tb\"");
        QTest::newRow("quote") << QStringLiteral("/a\"b") << QStringLiteral("\"/a\\\"b\"");
    }

    void quoteIfNeeded()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QCOMPARE(CommandLineText::quoteIfNeeded(text), written);
        QCOMPARE(CommandLineText::splitArguments(written), QStringList{text});
    }

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

    void programToken_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("missing program is the first token")
            << QStringLiteral("/no where/data/coder -i x") << QStringLiteral("/no")
            << QStringList{QStringLiteral("where/data/coder"), QStringLiteral("-i"), QStringLiteral("x")};
        QTest::newRow("quoted program, escaped quote")
            << QStringLiteral("\"/a \\\"b\\\"/coder\" -i") << QStringLiteral("/a \"b\"/coder")
            << QStringList{QStringLiteral("-i")};
        QTest::newRow("leading blanks") << QStringLiteral("  \t/bin/sh -c") << QStringLiteral("/bin/sh")
                                        << QStringList{QStringLiteral("-c")};
        QTest::newRow("program alone")
            << QStringLiteral("/bin/sh") << QStringLiteral("/bin/sh") << QStringList{};
    }

    void programToken()
    {
        QFETCH(QString, line);
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        const CommandLineText::Split split = CommandLineText::split(line);
        QCOMPARE(split.program, program);
        QCOMPARE(split.arguments, arguments);
    }

    // Whatever the input and output paths hold, splitting a recipe gives them back exactly, in
    // their places, and the other arguments stay as they are.
    void generatedPathsSplitBack_data()
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

    void generatedPathsSplitBack()
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
                QStringList expected = argumentsOf(base.commandLine);
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
                const CommandLineText::Split split = CommandLineText::split(c.commandLine);
                QCOMPARE(split.program, Recipes::toolPath(programFolder, c.toolName));
                QCOMPARE(split.arguments, expected);
            }
        }
    }

    void plainPathsAreWrittenByteForByte()
    {
        const RecipeInput in = plainInput();
        QVERIFY(Recipes::mp3Encode(in).commandLine.contains(QStringLiteral(" \"/in/f.flac\" ")));
        QVERIFY(Recipes::mp3Encode(in).commandLine.endsWith(QStringLiteral(" \"/out/f_953.mp3\"")));
    }

    // Typed settings go in verbatim; the tool then sees them as the splitting rules cut them.
    void settingsTextsGoInVerbatim_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("entry") << QStringLiteral("44100") << QStringList{QStringLiteral("44100")};
        QTest::newRow("blank") << QStringLiteral("44 100")
                               << QStringList{QStringLiteral("44"), QStringLiteral("100")};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("blank only") << QStringLiteral(" ") << QStringList{};
        QTest::newRow("quoted") << QStringLiteral("\"4 4\"") << QStringList{QStringLiteral("4 4")};
        QTest::newRow("Chinese") << QStringLiteral("四万八") << QStringList{QStringLiteral("四万八")};
    }

    void settingsTextsGoInVerbatim()
    {
        QFETCH(QString, rate);
        QFETCH(QStringList, arguments);
        RecipeInput in = plainInput();
        in.settings.sampleRate = rate;
        const QString line = Recipes::mp3Encode(in).commandLine;
        QVERIFY(line.contains(QStringLiteral(" -ar ") + rate + QStringLiteral(" -ab ")));
        const QStringList args = argumentsOf(line);
        const qsizetype ar = args.indexOf(QStringLiteral("-ar"));
        const qsizetype ab = args.indexOf(QStringLiteral("-ab"));
        QVERIFY(ar >= 0 && ab > ar);
        QCOMPARE(args.mid(ar + 1, ab - ar - 1), arguments);
        QCOMPARE(args.constLast(), QStringLiteral("/out/f_953.mp3"));
    }

    // A program folder with blanks or quotes is quoted on the command line, so the tool itself
    // runs, never a program that happens to be named like the part before the first blank.
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
        const CommandLineText::Split split = CommandLineText::split(Recipes::durationProbe(in).commandLine);
        QCOMPARE(split.program, a + QStringLiteral("/data/coder"));
        QCOMPARE(split.arguments, (QStringList{QStringLiteral("-i"), in.work.probeWav}));

        QProcess process;
        process.start(split.program, split.arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.readAllStandardOutput(), QByteArray("ran -i|ran /w/tmp.wav|"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLineText)
#include "tst_commandlinetext.moc"
