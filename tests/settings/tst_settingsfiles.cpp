#include "common/testfiles.h"
#include "conversion/cuttime.h"
#include "settings/optionsfile.h"
#include "settings/setupfile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using TestFiles::fileContent;

using OptInt = std::optional<int>;
using OptText = std::optional<QString>;

using Sound = ProgramSettings::SoundChoice;
using Cutter = ProgramSettings::CutterSwitch;

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestSettingsFiles : public QObject
{
    Q_OBJECT

private slots:
    // setup.ini read from real files: which value each line yields.
    void readSetup_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<OptInt>("bitrate");
        QTest::addColumn<OptInt>("rate");
        QTest::addColumn<OptInt>("channel");
        QTest::addColumn<OptText>("folder");
        QTest::addColumn<OptInt>("format");
        const OptInt none;
        QTest::newRow("as written") << QByteArray("\"7\"\r\n\"1\"\r\n\"1\"\r\n\"/home/u/out\"\r\n\"8\"\r\n")
                                    << OptInt(7) << OptInt(1) << OptInt(1) << OptText(u"/home/u/out"_qs)
                                    << OptInt(8);
        QTest::newRow("line 1 holds 99")
            << QByteArray("\"99\"\r\n\"2\"\r\n\"0\"\r\n\"/m\"\r\n\"3\"\r\n") << OptInt(99) << OptInt(2)
            << OptInt(0) << OptText(u"/m"_qs) << OptInt(3);
        QTest::newRow("three lines") << QByteArray("\"5\"\r\n\"2\"\r\n\"0\"\r\n") << OptInt(5) << OptInt(2)
                                     << OptInt(0) << OptText() << none;
        QTest::newRow("path with comma")
            << QByteArray("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"/home/u/a,b\"\r\n\"0\"\r\n") << OptInt(1) << OptInt(1)
            << OptInt(1) << OptText(u"/home/u/a,b"_qs) << OptInt(0);
        QTest::newRow("path with quotes")
            << QByteArray("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"/home/u/say \"hi\"/x\"\r\n\"0\"\r\n") << OptInt(1)
            << OptInt(1) << OptInt(1) << OptText(u"/home/u/say \"hi\"/x"_qs) << OptInt(0);
        QTest::newRow("chinese path")
            << QStringLiteral("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"/home/用户/音乐 输出\"\r\n\"2\"\r\n").toUtf8()
            << OptInt(1) << OptInt(1) << OptInt(1) << OptText(QStringLiteral("/home/用户/音乐 输出"))
            << OptInt(2);
        QTest::newRow("empty line 4")
            << QByteArray("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"\"\r\n\"2\"\r\n") << OptInt(1) << OptInt(1)
            << OptInt(1) << OptText(QString()) << OptInt(2);
        QTest::newRow("LF endings") << QByteArray("\"3\"\n\"4\"\n\"0\"\n\"/x\"\n\"6\"\n") << OptInt(3)
                                    << OptInt(4) << OptInt(0) << OptText(u"/x"_qs) << OptInt(6);
        QTest::newRow("no ending on last line")
            << QByteArray("\"3\"\r\n\"4\"\r\n\"0\"\r\n\"/x\"\r\n\"6\"") << OptInt(3) << OptInt(4) << OptInt(0)
            << OptText(u"/x"_qs) << OptInt(6);
        QTest::newRow("unquoted, comma ends field")
            << QByteArray(" 3 ,junk\r\n4\r\n0\r\n/x,y\r\n6\r\n") << OptInt(3) << OptInt(4) << OptInt(0)
            << OptText(u"/x"_qs) << OptInt(6);
        QTest::newRow("half to even")
            << QByteArray("\"2.5\"\r\n\"3.5\"\r\n\"0.5\"\r\n\"/x\"\r\n\"7.5\"\r\n") << OptInt(2) << OptInt(4)
            << OptInt(0) << OptText(u"/x"_qs) << OptInt(8);
        QTest::newRow("no selection")
            << QByteArray("\"-1\"\r\n\"1\"\r\n\"1\"\r\n\"/x\"\r\n\"-1\"\r\n") << OptInt(-1) << OptInt(1)
            << OptInt(1) << OptText(u"/x"_qs) << OptInt(-1);
        QTest::newRow("not numbers") << QByteArray("\"abc\"\r\n\"\"\r\n\"1x\"\r\n\"/x\"\r\n\"eight\"\r\n")
                                     << none << none << none << OptText(u"/x"_qs) << none;
        QTest::newRow("too large for 32 bits")
            << QByteArray("\"99999999999\"\r\n\"1\"\r\n\"1\"\r\n\"/x\"\r\n\"1e400\"\r\n") << none << OptInt(1)
            << OptInt(1) << OptText(u"/x"_qs) << none;
        QTest::newRow("empty file") << QByteArray() << none << none << none << OptText() << none;
        QTest::newRow("control characters in path")
            << QByteArray("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"/x\x01y\"\r\n\"2\"\r\n") << OptInt(1) << OptInt(1)
            << OptInt(1) << OptText() << OptInt(2);
        QTest::newRow("bytes that are not UTF-8 in path")
            << QByteArray("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"/x\xff\xfey\"\r\n\"2\"\r\n") << OptInt(1) << OptInt(1)
            << OptInt(1) << OptText() << OptInt(2);
    }
    void readSetup()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(SetupFile::fileName());
        QVERIFY(writeBytes(path, content));
        const SetupState state = SetupFile::read(path);
        QTEST(state.bitrateIndex, "bitrate");
        QTEST(state.sampleRateIndex, "rate");
        QTEST(state.channelIndex, "channel");
        QTEST(state.outputFolder, "folder");
        QTEST(state.formatIndex, "format");
    }

    void missingSetupGivesNothing()
    {
        QTemporaryDir dir;
        QCOMPARE(SetupFile::read(dir.filePath(SetupFile::fileName())), SetupState());
        // A folder in the file's place is no settings file either.
        QVERIFY(QDir(dir.path()).mkdir(SetupFile::fileName()));
        QCOMPARE(SetupFile::read(dir.filePath(SetupFile::fileName())), SetupState());
    }

    void binaryGarbageGivesDefaults()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(SetupFile::fileName());
        QByteArray garbage(1024 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(20261207);
        for (char &c : garbage) {
            c = char(generator.bounded(256));
            // Keep digits and quotes out so no line can pass as a value by chance.
            if ((c >= '0' && c <= '9') || c == '"')
                c = '\x01';
        }
        QVERIFY(writeBytes(path, garbage));
        QCOMPARE(SetupFile::read(path), SetupState());
        const QString optionsPath = dir.filePath(OptionsFile::fileName());
        QVERIFY(writeBytes(optionsPath, garbage));
        QCOMPARE(OptionsFile::read(optionsPath), ProgramSettings());
    }

    void applicableIndex_data()
    {
        QTest::addColumn<OptInt>("index");
        QTest::addColumn<int>("count");
        QTest::addColumn<OptInt>("expected");
        QTest::newRow("inside") << OptInt(7) << 14 << OptInt(7);
        QTest::newRow("last") << OptInt(13) << 14 << OptInt(13);
        QTest::newRow("past the end") << OptInt(14) << 14 << OptInt();
        QTest::newRow("99 in bitrates") << OptInt(99) << 14 << OptInt();
        QTest::newRow("no selection") << OptInt(-1) << 9 << OptInt(-1);
        QTest::newRow("negative") << OptInt(-2) << 9 << OptInt();
        QTest::newRow("missing") << OptInt() << 9 << OptInt();
    }
    void applicableIndex()
    {
        QFETCH(OptInt, index);
        QFETCH(int, count);
        QTEST(SetupState::applicableIndex(index, count), "expected");
    }

    // Exact bytes written, and read back into the same state.
    void setupRoundTrip_data()
    {
        QTest::addColumn<SetupState>("state");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("shipped") << SetupState{7, 1, 1, QString(), 8}
                                 << QByteArray("\"7\"\r\n\"1\"\r\n\"1\"\r\n\"\"\r\n\"8\"\r\n");
        QTest::newRow("stereo and a folder") << SetupState{13, 0, 1, u"/home/u/My Music"_qs, 0}
                                             << QByteArray("\"13\"\r\n\"0\"\r\n\"1\"\r\n\"/home/u/My "
                                                           "Music\"\r\n\"0\"\r\n");
        QTest::newRow("no selections") << SetupState{std::nullopt, 2, 0, u"/o"_qs, std::nullopt}
                                       << QByteArray("\"-1\"\r\n\"2\"\r\n\"0\"\r\n\"/o\"\r\n\"-1\"\r\n");
        QTest::newRow("chinese, comma, quote")
            << SetupState{1, 1, 1, QStringLiteral("/音乐/a,\"b\""), 2}
            << QStringLiteral("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"/音乐/a,\"b\"\"\r\n\"2\"\r\n").toUtf8();
    }
    void setupRoundTrip()
    {
        QFETCH(SetupState, state);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(SetupFile::fileName());
        QVERIFY(SetupFile::write(path, state));
        QCOMPARE(fileContent(path), bytes);
        SetupState back = SetupFile::read(path);
        // No selection comes back as the explicit -1.
        SetupState expected = state;
        for (OptInt *index : {&expected.bitrateIndex, &expected.sampleRateIndex, &expected.channelIndex,
                              &expected.formatIndex}) {
            if (!*index)
                *index = -1;
        }
        QCOMPARE(back, expected);
    }

    void folderWithLineBreakIsNotKept()
    {
        const QByteArray bytes = SetupFile::compose(SetupState{1, 1, 1, u"/a\nb"_qs, 8});
        QCOMPARE(bytes, QByteArray("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"\"\r\n\"8\"\r\n"));
    }

    // options.ini read from real files, and what Start then says about the cutter's range.
    void readOptions_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("sound");
        QTest::addColumn<int>("cutter");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<int>("files");           // converted at once
        QTest::addColumn<QStringList>("warning"); // title and text of Start's warning; empty: none
        QTest::addColumn<int>("edge");            // the largest cover edge
        const QStringList none;
        const int defaultEdge = ProgramSettings().coverEdge;
        const QStringList hours{u"小时"_qs, u"小时必须小于100"_qs};
        const QStringList negative{u"开始"_qs, u"时间不能为负数"_qs};
        QTest::newRow("example") << QByteArray("0\r\n1\r\n90\r\n215\r\n") << 0 << 1 << 90 << 215 << 1 << none
                                 << defaultEdge;
        QTest::newRow("sound off") << QByteArray("1\r\n0\r\n0\r\n0\r\n") << 1 << 0 << 0 << 0 << 1 << none
                                   << defaultEdge;
        QTest::newRow("letters") << QByteArray("OFF\r\nyes\r\n1h\r\nabc\r\n") << 0 << 0 << 1 << 0 << 1 << none
                                 << defaultEdge;
        QTest::newRow("too large for 16 bits")
            << QByteArray("32768\r\n40000\r\n5\r\n6\r\n") << 0 << 0 << 5 << 6 << 1 << none << defaultEdge;
        QTest::newRow("too large for 32 bits: the cut times keep to the bound")
            << QByteArray("1\r\n1\r\n2147483648\r\n2147483647\r\n") << 1 << 1 << 2147483647 << 2147483647 << 1
            << hours << defaultEdge;
        QTest::newRow("99:59:59") << QByteArray("0\r\n1\r\n359998\r\n359999\r\n") << 0 << 1 << 359998
                                  << 359999 << 1 << none << defaultEdge;
        QTest::newRow("a second beyond 99:59:59")
            << QByteArray("0\r\n1\r\n0\r\n360000\r\n") << 0 << 1 << 0 << 360000 << 1 << hours << defaultEdge;
        QTest::newRow("eleven digits below 0") << QByteArray("0\r\n1\r\n-99999999999\r\n0\r\n") << 0 << 1
                                               << int(-2147483647 - 1) << 0 << 1 << negative << defaultEdge;
        QTest::newRow("negative") << QByteArray("-1\r\n-5\r\n-100\r\n-2147483648\r\n") << -1 << -5 << -100
                                  << int(-2147483647 - 1) << 1 << negative << defaultEdge;
        QTest::newRow("LF endings") << QByteArray("1\n1\n30\n60\n") << 1 << 1 << 30 << 60 << 1 << none
                                    << defaultEdge;
        QTest::newRow("blanks and fractions")
            << QByteArray("  1\r\n 0.5\r\n 1.5 \r\n2.5\r\n") << 1 << 0 << 2 << 2 << 1
            << QStringList{u"结束"_qs, u"结束时间必须晚于开始时间"_qs} << defaultEdge;
        QTest::newRow("two lines") << QByteArray("1\r\n1\r\n") << 1 << 1 << 0 << 0 << 1 << none
                                   << defaultEdge;
        QTest::newRow("empty file") << QByteArray() << 0 << 0 << 0 << 0 << 1 << none << defaultEdge;
        const int cores = ProgramSettings::mostSimultaneousFiles();
        QTest::newRow("two at once") << QByteArray("0\r\n0\r\n0\r\n0\r\n2\r\n") << 0 << 0 << 0 << 0
                                     << qMin(2, cores) << none << defaultEdge;
        QTest::newRow("more than the cores")
            << QByteArray("0\r\n0\r\n0\r\n0\r\n99\r\n") << 0 << 0 << 0 << 0 << cores << none << defaultEdge;
        QTest::newRow("none at once")
            << QByteArray("0\r\n0\r\n0\r\n0\r\n0\r\n") << 0 << 0 << 0 << 0 << 1 << none << defaultEdge;
        QTest::newRow("letters at once")
            << QByteArray("0\r\n0\r\n0\r\n0\r\nall\r\n") << 0 << 0 << 0 << 0 << 1 << none << defaultEdge;
        // Only an ASCII number that --cover-size would take is an edge.
        const QByteArray beforeEdge("0\r\n0\r\n0\r\n0\r\n1\r\n1\r\n0\r\n");
        for (const auto &[eighth, edge] : {std::pair{"600", 600}, {"0", 0}, {"99999", 99999}})
            QTest::addRow("edge %s", eighth) << beforeEdge + eighth << 0 << 0 << 0 << 0 << 1 << none << edge;
        for (const char *eighth :
             {"100000", "1e9", "99999999999", "2147483648", "1e400", "٣", "５０", "none"})
            QTest::addRow("edge %s", eighth)
                << beforeEdge + eighth << 0 << 0 << 0 << 0 << 1 << none << defaultEdge;
    }
    void readOptions()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, warning);
        QTemporaryDir dir;
        const QString path = dir.filePath(OptionsFile::fileName());
        QVERIFY(writeBytes(path, content));
        const ProgramSettings settings = OptionsFile::read(path);
        QTEST(int(settings.soundChoice), "sound");
        QTEST(int(settings.cutter), "cutter");
        QTEST(int(settings.cutStartSeconds), "start");
        QTEST(int(settings.cutEndSeconds), "end");
        QTEST(settings.simultaneousFiles, "files");
        QTEST(settings.coverEdge, "edge");
        const auto problem = CutTime::rangeProblem(settings.cutStartSeconds, settings.cutEndSeconds);
        QCOMPARE((problem ? QStringList{problem->title, problem->text} : QStringList()), warning);
    }

    void optionsRoundTrip_data()
    {
        QTest::addColumn<ProgramSettings>("settings");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("one file at once") << ProgramSettings{Sound(1), Cutter(1), -90, 2147483647}
                                          << QByteArray("1\r\n1\r\n-90\r\n2147483647\r\n");
        QTest::newRow("two at once") << ProgramSettings{Sound(0), Cutter(0), 0, 0, 2}
                                     << QByteArray("0\r\n0\r\n0\r\n0\r\n2\r\n");
        // Library mode on takes a sixth line, and the fifth comes with it.
        QTest::newRow("library mode") << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true}
                                      << QByteArray("0\r\n0\r\n0\r\n0\r\n1\r\n1\r\n");
        // A seventh line brings the lines before it, each with its value, "0" for off.
        QTest::newRow("deleting orphans") << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, false, true}
                                          << QByteArray("0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n1\r\n");
        // FAT-safe names are on by default: off, the ninth line says "0", and the eighth its edge.
        QTest::newRow("covers of any size, names as they are")
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true, false, 0, false}
            << QByteArray("0\r\n0\r\n0\r\n0\r\n1\r\n1\r\n0\r\n0\r\n0\r\n");
        // Each option alone away from its default.
        QTest::newRow("defaults") << ProgramSettings{} << QByteArray("0\r\n0\r\n0\r\n0\r\n");
        QTest::newRow("cutter on") << ProgramSettings{Sound(0), Cutter(1), 30, 0}
                                   << QByteArray("0\r\n1\r\n30\r\n0\r\n");
        QTest::newRow("largest cover edge")
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, false, false, 99999}
            << QByteArray("0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n0\r\n99999\r\n");
        QTest::newRow("names as they are") << ProgramSettings{.fatNames = false}
                                           << QByteArray("0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n0\r\n1000\r\n0\r\n");
    }

    // A switch's line is "1" for on and "0" for off; anything else keeps its default.
    void switchLines_data()
    {
        QTest::addColumn<int>("line"); // 6: library mode, 7: deleting orphans, 9: FAT-safe names
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("on");
        for (const int line : {6, 7, 9}) {
            const bool byDefault = line == 9;
            const QByteArray changed = byDefault ? "0" : "1";
            QTest::addRow("%d: 1", line) << line << QByteArray("1\r\n") << true;
            QTest::addRow("%d: 1 without a line end", line) << line << QByteArray("1") << true;
            QTest::addRow("%d: 0", line) << line << QByteArray("0\r\n") << false;
            QTest::addRow("%d: 2", line) << line << QByteArray("2\r\n") << byDefault;
            QTest::addRow("%d: blank before", line) << line << " " + changed << byDefault;
            QTest::addRow("%d: letters after", line) << line << changed + "x\r\n" << byDefault;
            QTest::addRow("%d: none", line) << line << QByteArray() << byDefault;
        }
    }
    void switchLines()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        const QString path = dir.filePath(OptionsFile::fileName());
        const QByteArrayList earlier{"0", "0", "0", "0", "2", "2", "2", "600"};
        QVERIFY(writeBytes(path, earlier.first(line - 1).join("\r\n") + "\r\n" + text));
        const ProgramSettings read = OptionsFile::read(path);
        QTEST(line == 6 ? read.libraryMode : line == 7 ? read.deleteOrphans : read.fatNames, "on");
    }
    void optionsRoundTrip()
    {
        QFETCH(ProgramSettings, settings);
        QFETCH(QByteArray, bytes);
        if (settings.simultaneousFiles > ProgramSettings::mostSimultaneousFiles())
            QSKIP("fewer processor cores than files at once");
        QTemporaryDir dir;
        const QString path = dir.filePath(OptionsFile::fileName());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(OptionsFile::read(path), ProgramSettings());
        QVERIFY(OptionsFile::write(path, settings));
        QCOMPARE(fileContent(path), bytes);
        QCOMPARE(OptionsFile::read(path), settings);
        QCOMPARE(settings.playsCompletionSound(), settings.soundChoice == ProgramSettings::SoundChoice::On);
    }

    // Replacing a file never leaves it half written.
    void readOnlyFileIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(SetupFile::fileName());
        const QByteArray old("\"7\"\r\n\"1\"\r\n\"1\"\r\n\"\"\r\n\"8\"\r\n");
        QVERIFY(writeBytes(path, old));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(!SetupFile::write(path, SetupState{1, 1, 1, u"/x"_qs, 2}));
        QCOMPARE(fileContent(path), old);
    }

    void failedWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(SetupFile::fileName());
        const QByteArray old("\"7\"\r\n\"1\"\r\n\"1\"\r\n\"/old\"\r\n\"8\"\r\n");
        QVERIFY(writeBytes(path, old));
        // A file-size limit makes the write stop after 16 bytes, as a full disk does.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 16;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = SetupFile::write(path, SetupState{1, 1, 1, QString(200, u'x'), 2});
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(!written);
        QCOMPARE(fileContent(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{SetupFile::fileName()});
    }
};

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
