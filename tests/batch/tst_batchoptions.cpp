// tunoxa-batch's command lines as a user writes them, read into what the batch will do.

#include "batch/batchoptions.h"
#include "common/testfiles.h"
#include "platform/interfacelanguage.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString currentFolder = u"/home/user/Music"_s;

// What a command line comes to: a usage error, the usage asked for, or these options (anything not
// named here as with no option at all). Paths are the current folder's.
struct Outcome
{
    QString error{};
    bool help = false;
    bool library = false;
    bool dryRun = false;
    bool deleteOrphans = false;
    int coverEdge = 1000;
    bool fatNames = true;
    OutputFormat format = OutputFormat::Mp3;
    QString audioBitrate = u"320"_s;
    int files = 1;
    QString output = u"."_s;
    QStringList inputs{u"a"_s};
};

QString relative(const QString &path)
{
    return QDir(currentFolder).relativeFilePath(path);
}

} // namespace

class TestBatchOptions : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("library mode") << QStringList{u"-L"_s, u"a"_s} << Outcome{.library = true};
        QTest::newRow("dry run, long") << QStringList{u"--library"_s, u"--dry-run"_s, u"a"_s}
                                       << Outcome{.library = true, .dryRun = true};
        QTest::newRow("flags together")
            << QStringList{u"-Ln"_s, u"a"_s} << Outcome{.library = true, .dryRun = true};
        QTest::newRow("a value after flags")
            << QStringList{u"-Lj2"_s, u"a"_s} << Outcome{.library = true, .files = 2};
        QTest::newRow("the next argument as the value")
            << QStringList{u"-nLo"_s, u"out"_s, u"a"_s}
            << Outcome{.library = true, .dryRun = true, .output = u"out"_s};
        QTest::newRow("long value after =") << QStringList{u"--output=my out"_s, u"--jobs=3"_s, u"a"_s}
                                            << Outcome{.files = 3, .output = u"my out"_s};
        QTest::newRow("every long option")
            << QStringList{u"--format=AVI"_s, u"--bitrate=96"_s,        u"--rate"_s,   u"44100"_s,
                           u"--channels=1"_s, u"--video-bitrate=900"_s, u"--size"_s,   u"320x240"_s,
                           u"--fps=25"_s,     u"--output=out"_s,        u"--jobs=9"_s, u"a"_s}
            << Outcome{.format = OutputFormat::Avi, .audioBitrate = u"96"_s, .files = 4, .output = u"out"_s};
        QTest::newRow("short values as before")
            << QStringList{u"-fmp3"_s, u"-b"_s, u"256"_s, u"-j2"_s, u"a"_s}
            << Outcome{.audioBitrate = u"256"_s, .files = 2};
        QTest::newRow("a value that looks like an option")
            << QStringList{u"-o"_s, u"-L"_s, u"a"_s} << Outcome{.output = u"-L"_s};
        QTest::newRow("files after --")
            << QStringList{u"--"_s, u"-L"_s, u"--help"_s} << Outcome{.inputs = {u"-L"_s, u"--help"_s}};
        QTest::newRow("- is a file") << QStringList{u"-L"_s, u"-"_s}
                                     << Outcome{.library = true, .inputs = {u"-"_s}};
        QTest::newRow("library mode's options")
            << QStringList{u"-L"_s, u"--delete"_s, u"--cover-size=99999"_s, u"--no-fat-names"_s, u"a"_s}
            << Outcome{.library = true, .deleteOrphans = true, .coverEdge = 99999, .fatNames = false};
        QTest::newRow("FAT names back on")
            << QStringList{u"-L"_s, u"--no-fat-names"_s, u"--fat-names"_s, u"a"_s}
            << Outcome{.library = true};
        QTest::newRow("help among flags") << QStringList{u"-Lh"_s, u"-x"_s} << Outcome{.help = true};

        QTest::newRow("dry run alone")
            << QStringList{u"-n"_s, u"a"_s} << Outcome{.error = u"选项 -n 只能与 -L 一起使用"_s};
        QTest::newRow("--delete alone")
            << QStringList{u"--delete"_s, u"a"_s} << Outcome{.error = u"选项 --delete 只能与 -L 一起使用"_s};
        QTest::newRow("cover size alone") << QStringList{u"--cover-size=500"_s, u"a"_s}
                                          << Outcome{.error = u"选项 --cover-size 只能与 -L 一起使用"_s};
        QTest::newRow("FAT names alone, the first named")
            << QStringList{u"--no-fat-names"_s, u"--fat-names"_s, u"a"_s}
            << Outcome{.error = u"选项 --no-fat-names 只能与 -L 一起使用"_s};
        QTest::newRow("-L after them")
            << QStringList{u"--fat-names"_s, u"--cover-size"_s, u"0"_s, u"-L"_s, u"a"_s}
            << Outcome{.library = true, .coverEdge = 0};
        QTest::newRow("unknown letter among flags")
            << QStringList{u"-Lx"_s, u"a"_s} << Outcome{.error = u"未知选项：-x"_s};
        QTest::newRow("unknown letters")
            << QStringList{u"-xyz"_s, u"a"_s} << Outcome{.error = u"未知选项：-xyz"_s};
        QTest::newRow("unknown long option")
            << QStringList{u"--libary"_s, u"a"_s} << Outcome{.error = u"未知选项：--libary"_s};
        QTest::newRow("no --no- form of a switch that is off")
            << QStringList{u"--no-library"_s, u"a"_s} << Outcome{.error = u"未知选项：--no-library"_s};
        QTest::newRow("no files at once")
            << QStringList{u"-j0"_s, u"a"_s} << Outcome{.error = u"选项 -j 的取值无效：0"_s};
        QTest::newRow("cover edge with a sign") << QStringList{u"-L"_s, u"--cover-size=+5"_s, u"a"_s}
                                                << Outcome{.error = u"选项 --cover-size 的取值无效：+5"_s};
        QTest::newRow("a flag given a value")
            << QStringList{u"--library=yes"_s, u"a"_s} << Outcome{.error = u"选项 --library 不带取值"_s};
        QTest::newRow("value missing after flags")
            << QStringList{u"a"_s, u"-Lo"_s} << Outcome{.error = u"选项 -o 缺少取值"_s};
        QTest::newRow("long value missing")
            << QStringList{u"a"_s, u"--output"_s} << Outcome{.error = u"选项 --output 缺少取值"_s};
        QTest::newRow("bad value, named as written")
            << QStringList{u"--bitrate=-5"_s, u"a"_s} << Outcome{.error = u"选项 --bitrate 的取值无效：-5"_s};
        QTest::newRow("bad format, long") << QStringList{u"--format"_s, u"ogg"_s, u"a"_s}
                                          << Outcome{.error = u"选项 --format 的取值无效：ogg"_s};
        QTest::newRow("cover edge past the largest")
            << QStringList{u"-L"_s, u"--cover-size=100000"_s, u"a"_s}
            << Outcome{.error = u"选项 --cover-size 的取值无效：100000"_s};
        QTest::newRow("cover edge past 32 bits")
            << QStringList{u"-L"_s, u"--cover-size=4294967296"_s, u"a"_s}
            << Outcome{.error = u"选项 --cover-size 的取值无效：4294967296"_s};
        QTest::newRow("empty long value")
            << QStringList{u"--output="_s, u"a"_s} << Outcome{.error = u"选项 --output 的取值无效："_s};
    }
    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Outcome, outcome);
        QList<QByteArray> bytes;
        for (const QString &argument : std::as_const(arguments))
            bytes.append(argument.toUtf8());
        const ParsedCommandLine parsed = BatchCommandLine::parse(bytes, currentFolder, 4);

        QCOMPARE(parsed.error, outcome.error);
        QCOMPARE(parsed.helpAsked, outcome.help);
        QCOMPARE(parsed.options.has_value(), outcome.error.isEmpty() && !outcome.help);
        if (!parsed.options)
            return;
        const BatchOptions &options = *parsed.options;
        QCOMPARE(options.settings.libraryMode, outcome.library);
        QCOMPARE(options.dryRun, outcome.dryRun);
        QCOMPARE(options.settings.deleteOrphans, outcome.deleteOrphans);
        QCOMPARE(options.settings.coverEdge, outcome.coverEdge);
        QCOMPARE(options.settings.fatNames, outcome.fatNames);
        QVERIFY(!options.settings.playsCompletionSound());
        QCOMPARE(options.format, outcome.format);
        QCOMPARE(options.encoding.audioBitrate, outcome.audioBitrate);
        QCOMPARE(options.settings.simultaneousFiles, outcome.files);
        QCOMPARE(relative(options.outputFolder), outcome.output);
        QStringList inputs;
        for (const QByteArray &input : options.inputs)
            inputs.append(relative(QString::fromUtf8(input)));
        QCOMPARE(inputs, outcome.inputs);
    }

    // --help, with 2 processor cores, in both languages.
    void usage_data()
    {
        QTest::addColumn<InterfaceLanguage::Language>("language");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Chinese") << InterfaceLanguage::Language::Chinese << u"usage_zh.txt"_s;
        QTest::newRow("English") << InterfaceLanguage::Language::English << u"usage_en.txt"_s;
    }
    void usage()
    {
        QFETCH(InterfaceLanguage::Language, language);
        QFETCH(QString, expected);
        QCOMPARE(InterfaceLanguage::install(language, QStringLiteral(TUNOXA_PROGRAM_DIR)), language);
        const QString usage = BatchCommandLine::usage(2);
        InterfaceLanguage::install(InterfaceLanguage::Language::Chinese, QStringLiteral(TUNOXA_PROGRAM_DIR));
        QCOMPARE(usage, QString::fromUtf8(
                            TestFiles::fileContent(QStringLiteral(TUNOXA_TESTS_DIR "/batch/") + expected)));
    }
};

QTEST_GUILESS_MAIN(TestBatchOptions)
#include "tst_batchoptions.moc"
