#include "common/listrows.h"
#include "runfixture.h"

#include "conversion/runtexts.h"
#include "platform/appdirs.h"
#include "runner/toolrunner.h"

#include <QRegularExpression>
#include <QSysInfo>

using namespace Qt::StringLiterals;

// The run from Start to its end with the real tools: order, identity of the files, outputs, and
// the end state of the window.
class TestConversionRun : public QObject
{
    Q_OBJECT

private slots:
    void emptyListIsRefused()
    {
        RunFixture f;
        f.start();
        QVERIFY(f.outcome);
        QCOMPARE(f.outcome->end, RunOutcome::End::NothingToDo);
        QVERIFY(!f.run.isActive());
    }

    void threeFlacsToMp3()
    {
        RunFixture f;
        const QList<double> seconds{2.0, 3.0, 2.5};
        QList<FileList::Id> ids;
        for (int i = 0; i < 3; ++i) {
            ids.append(f.addFlac(QStringLiteral("track %1.flac").arg(i + 1), seconds[i],
                                 {{QStringLiteral("TITLE"), QStringLiteral("Song %1").arg(i + 1)},
                                  {QStringLiteral("ARTIST"), QStringLiteral("测试乐队")}}));
            QVERIFY(ids.last() != 0);
        }
        // Every file's decode is told as preparing, and a second Start is ignored while the run is
        // going.
        QList<JobProgress::Reading> readingsAtDecode;
        std::optional<JobProgress> lastReading;
        connect(&f.run, &ConversionRun::jobProgressed, &f.run,
                [&](JobId, const JobProgress &progress) { lastReading = progress; });
        int refusedStarts = 0;
        // While a file encodes, its output exists only under a hidden name of this machine and
        // process; the finished files before it have their final names.
        const QRegularExpression hidden(QStringLiteral("^\\.track \\d_\\d{1,6}\\.%1-%2\\.part\\.mp3$")
                                            .arg(QRegularExpression::escape(QSysInfo::machineHostName()))
                                            .arg(QCoreApplication::applicationPid()));
        QStringList hiddenWhileEncoding;
        connect(&f.run, &ConversionRun::stageStarted, &f.run, [&](FileList::Id, const QString &tool) {
            const QStringList written = QDir(f.host.outputFolder).entryList(QDir::Files | QDir::Hidden);
            hiddenWhileEncoding += written.filter(QRegularExpression(QStringLiteral("^\\.")));
            if (tool == QStringLiteral("sox")) {
                readingsAtDecode.append(lastReading ? lastReading->reading : JobProgress::Reading::Busy);
                f.start();
                refusedStarts += f.run.state() == ConversionRun::State::Running ? 1 : 0;
            }
        });

        QVERIFY(f.startAndWait());

        QStringList expectedLog;
        for (FileList::Id id : ids) {
            for (const QString &tool :
                 {QStringLiteral("sox"), QStringLiteral("coder"), QStringLiteral("coder")}) {
                expectedLog << QStringLiteral("start %1 %2").arg(id).arg(tool)
                            << QStringLiteral("end %1 %2 ok").arg(id).arg(tool);
            }
            expectedLog << QStringLiteral("removed %1").arg(id);
        }
        QCOMPARE(f.log, expectedLog);
        QCOMPARE(readingsAtDecode, QList<JobProgress::Reading>(3, JobProgress::Reading::Preparing));
        QCOMPARE(refusedStarts, 3);
        QCOMPARE(hiddenWhileEncoding.size(), 3);
        for (const QString &name : std::as_const(hiddenWhileEncoding))
            QVERIFY2(hidden.match(name).hasMatch(), qPrintable(name));

        const QStringList outputs = f.outputs();
        QCOMPARE(outputs.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const QRegularExpression name(QStringLiteral("^track %1_\\d{1,6}\\.mp3$").arg(i + 1));
            QVERIFY2(name.match(outputs[i]).hasMatch(), qPrintable(outputs[i]));
            const QJsonObject probe = TestMedia::probe(QDir(f.host.outputFolder).filePath(outputs[i]));
            QCOMPARE(TestMedia::formatName(probe), QStringLiteral("mp3"));
            QVERIFY2(qAbs(TestMedia::durationSeconds(probe) - seconds[i]) <= 0.1,
                     qPrintable(QString::number(TestMedia::durationSeconds(probe))));
            QCOMPARE(TestMedia::tag(probe, QStringLiteral("title")), QStringLiteral("Song %1").arg(i + 1));
            QCOMPARE(TestMedia::tag(probe, QStringLiteral("artist")), QStringLiteral("测试乐队"));
        }

        // The end: the output folder as the run took it, absolute with its "/", and three files converted.
        QVERIFY(f.files.isEmpty());
        QCOMPARE(QDir(f.host.outputFolder).entryList(QDir::Files | QDir::Hidden), outputs);
        QCOMPARE(f.host.outputFolder, f.dir.filePath(QStringLiteral("out/")));
        QCOMPARE(f.outcome->end, RunOutcome::End::Finished);
        QCOMPARE(f.outcome->converted, 3);
        QCOMPARE(f.outcome->failed, 0);
        QVERIFY(!f.run.isActive());
    }

    void filesAddedDuringTheRunAreConverted()
    {
        RunFixture f;
        const FileList::Id first = f.addFlac(QStringLiteral("first.flac"), 2);
        QVERIFY(first != 0);
        const QString latePath = f.path(QStringLiteral("late.flac"));
        QVERIFY(TestMedia::makeFlac(latePath, 2));
        FileList::Id late = 0;
        connect(&f.run, &ConversionRun::stageStarted, &f.run, [&](FileList::Id id, const QString &) {
            if (id == first && late == 0)
                late = f.files.addFile(latePath);
        });
        QVERIFY(f.startAndWait());
        QVERIFY(f.log.contains(QStringLiteral("removed %1").arg(late)));
        QVERIFY(f.files.isEmpty());
        QCOMPARE(f.outputs().size(), 2);
        QCOMPARE(f.outcome->converted, 2);
    }

    void rowsRemovedDuringTheRunKeepIdentity()
    {
        RunFixture f;
        const FileList::Id a = f.addFlac(QStringLiteral("a.flac"), 2);
        const FileList::Id b = f.addFlac(QStringLiteral("b.flac"), 2);
        const FileList::Id c = f.addFlac(QStringLiteral("c.flac"), 2);
        QVERIFY(a && b && c);
        // While a is being encoded its own row and c's row go.
        connect(&f.run, &ConversionRun::stageStarted, &f.run, [&](FileList::Id id, const QString &) {
            if (id == a && f.files.contains(a) && f.log.size() == 5) {
                f.files.removeId(a);
                f.files.removeId(c);
            }
        });
        QVERIFY(f.startAndWait());
        QVERIFY(f.files.isEmpty());
        const QStringList outputs = f.outputs();
        QCOMPARE(outputs.size(), 2);
        QVERIFY(outputs[0].startsWith(QStringLiteral("a_")));
        QVERIFY(outputs[1].startsWith(QStringLiteral("b_")));
        QVERIFY(!f.log.join(QLatin1Char('\n')).contains(QStringLiteral("start %1").arg(c)));
    }

    void sameNameInTheSameSecondOverwritesNothing()
    {
        RunFixture f;
        f.run.setClock([] { return QTime(14, 3, 7); });
        QVERIFY(QDir().mkpath(f.path(QStringLiteral("one"))));
        QVERIFY(QDir().mkpath(f.path(QStringLiteral("two"))));
        QVERIFY(QDir().mkpath(f.host.outputFolder));
        QFile earlier(f.host.outputFolder + QStringLiteral("/x_1437.mp3"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("an earlier file");
        earlier.close();
        QVERIFY(f.addFlac(QStringLiteral("one/x.flac"), 2));
        QVERIFY(f.addFlac(QStringLiteral("two/x.flac"), 3));
        QVERIFY(f.startAndWait());
        QCOMPARE(f.outputs(), (QStringList{QStringLiteral("x_1437 (2).mp3"), QStringLiteral("x_1437 (3).mp3"),
                                           QStringLiteral("x_1437.mp3")}));
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("an earlier file"));
        const QString out = f.host.outputFolder;
        QVERIFY(qAbs(TestMedia::durationSeconds(TestMedia::probe(out + QStringLiteral("x_1437 (2).mp3"))) -
                     2) <= 0.1);
        QVERIFY(qAbs(TestMedia::durationSeconds(TestMedia::probe(out + QStringLiteral("x_1437 (3).mp3"))) -
                     3) <= 0.1);
    }

    void relativeOutputFolderLiesInTheProgramFolder_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("plain") << QStringLiteral("my music");
        // Never handed to a tool as an option.
        QTest::newRow("leading dash") << QStringLiteral("-y out");
    }
    void relativeOutputFolderLiesInTheProgramFolder()
    {
        QFETCH(QString, typed);
        RunFixture f;
        // A program folder of its own, with the real tools.
        f.host.program = f.path(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(f.host.program));
        QVERIFY(QFile::link(TestMedia::programFolder() + QStringLiteral("/data"),
                            f.host.program + QStringLiteral("/data")));
        f.host.outputFolder = typed;
        QVERIFY(f.addFlac(QStringLiteral("a.flac"), 1));
        QVERIFY(f.startAndWait());
        const QString expected = f.host.program + QLatin1Char('/') + typed + QLatin1Char('/');
        QCOMPARE(f.host.outputFolder, expected);
        QCOMPARE(QDir(expected).entryList(QDir::Files).size(), 1);
        QVERIFY(f.files.isEmpty());
    }

    // Two files at once: every good file converted under a name of its own, the broken one marked,
    // the share of the run shown never going back, no work file left; or, when the program ends
    // while both encode, no half-written file at all.
    void twoFilesAtOnce_data()
    {
        QTest::addColumn<bool>("endedMidRun");
        QTest::newRow("album with a broken file") << false;
        QTest::newRow("program ends while both encode") << true;
    }
    void twoFilesAtOnce()
    {
        QFETCH(bool, endedMidRun);
        if (ProgramSettings::mostSimultaneousFiles() < 2)
            QSKIP("one processor core");
        RunFixture f;
        f.settings.simultaneousFiles = 2;
        f.run.setClock([] { return QTime(14, 3, 7); });
        const double seconds = endedMidRun ? 90 : 2;
        for (const char *folder : {"one", "two", "three"}) {
            QVERIFY(QDir().mkpath(f.path(QString::fromLatin1(folder))));
            QVERIFY(f.addFlac(QString::fromLatin1(folder) + QStringLiteral("/x.flac"), seconds));
        }
        QFile broken(f.path(QStringLiteral("broken.flac")));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.close();
        const FileList::Id brokenId = f.files.addFile(broken.fileName());
        QList<double> shares;
        connect(&f.run, &ConversionRun::shareProgressed, &f.run, [&](double share) { shares.append(share); });
        int encoding = 0;
        int leftAtOnce = -1;
        connect(&f.run, &ConversionRun::stageStarted, &f.run, [&](FileList::Id, const QString &tool) {
            if (endedMidRun && tool == QStringLiteral("coder") && ++encoding == 4) {
                QTimer::singleShot(500, &f.run, [&] {
                    f.run.stopForShutdown();
                    leftAtOnce = int(f.outputs().size());
                });
            }
        });

        QVERIFY(f.startAndWait());

        const QStringList workFiles =
            QDir(AppDirs::workFolder()).entryList({QStringLiteral("tmp*")}, QDir::Files) +
            QDir(AppDirs::tmpFolder()).entryList(QDir::Files);
        QCOMPARE(workFiles, QStringList());
        if (endedMidRun) {
            QCOMPARE(leftAtOnce, 0);
            QVERIFY(f.outputs().isEmpty());
            QCOMPARE(f.files.count(), 4);
            return;
        }
        QCOMPARE(f.outputs(), (QStringList{QStringLiteral("x_1437 (2).mp3"), QStringLiteral("x_1437 (3).mp3"),
                                           QStringLiteral("x_1437.mp3")}));
        QCOMPARE(rowIds(f.files), QList<FileList::Id>{brokenId});
        QVERIFY(markedFailed(f.files, brokenId));
        QCOMPARE(f.outcome->failed, 1);
        QVERIFY(!shares.isEmpty());
        QVERIFY(std::is_sorted(shares.cbegin(), shares.cend()));
    }

    void programEndedMidFile()
    {
        RunFixture f;
        const FileList::Id id = f.addFlac(QStringLiteral("long.flac"), 90);
        QVERIFY(id);
        // The program ends as soon as the encoder has reported progress; the window may end the
        // process right after, so the half-written file must be gone at once.
        int writingBefore = -1;
        int leftAtOnce = -1;
        const auto written = [&] {
            return int(QDir(f.host.outputFolder).entryList(QDir::Files | QDir::Hidden).size());
        };
        connect(&f.run.coderRunner(), &ToolRunner::outputReceived, &f.run, [&](const QString &chunk) {
            if (writingBefore < 0 && chunk.contains(QStringLiteral("time="))) {
                writingBefore = written();
                QVERIFY(f.outputs().isEmpty());
                f.run.stopForShutdown();
                leftAtOnce = written();
            }
        });
        QVERIFY(f.startAndWait());
        QCOMPARE(writingBefore, 1);
        QCOMPARE(leftAtOnce, 0);
        QCOMPARE(f.run.coderRunner().endStatus(), ToolRunner::EndStatus::Terminated);
        QVERIFY(f.outputs().isEmpty());
        QVERIFY(f.files.contains(id));
        QCOMPARE(f.outcome->end, RunOutcome::End::Stopped);
        QVERIFY(!f.run.isActive());
    }

    // Each track of an image holds exactly its part: [start, end) at the image's rate r becomes
    // round(end·o/r) − round(start·o/r) samples at the output's rate o, as a player decodes them (an
    // M4A: as its edit list gives them).
    void imageTracksAreExact_data()
    {
        QTest::addColumn<OutputFormat>("format");
        QTest::newRow("MP3") << OutputFormat::Mp3;
        QTest::newRow("Opus") << OutputFormat::Opus;
        QTest::newRow("AAC") << OutputFormat::Aac;
        QTest::newRow("Vorbis") << OutputFormat::Vorbis;
    }
    void imageTracksAreExact()
    {
        QFETCH(OutputFormat, format);
        RunFixture f;
        f.host.useDefaultsOf(format);
        // 10 s and 13 samples: the last track is no whole number of the output's samples; the 7.44 s
        // boundary is where timestamps counted from the samples lost one.
        QCOMPARE(TestMedia::run(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                                              u"sine=sample_rate=44100,atrim=end_sample=441013"_s, u"-ac"_s,
                                              u"2"_s, u"-sample_fmt"_s, u"s16"_s, f.path(u"CDImage.flac"_s)})
                     .exitCode,
                 0);
        QFile sheet(f.path(u"CDImage.cue"_s));
        QVERIFY(sheet.open(QIODevice::WriteOnly));
        sheet.write("FILE \"CDImage.wav\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"A\"\n    INDEX 01 00:00:00\n"
                    "  TRACK 02 AUDIO\n    TITLE \"B\"\n    INDEX 00 00:01:00\n    INDEX 01 00:01:37\n"
                    "  TRACK 03 AUDIO\n    TITLE \"C\"\n    INDEX 01 00:07:33\n");
        sheet.close();
        QCOMPARE(f.files.addFiles({QFile::encodeName(f.path(u"CDImage.cue"_s))}).size(), 3);
        QVERIFY(f.startAndWait());
        const QStringList outputs = f.outputs();
        QCOMPARE(outputs.size(), 3);
        const qint64 bounds[] = {0, 65856, 328104, 441013};
        for (int k = 0; k < 3; ++k) {
            const QString output = QDir(f.host.outputFolder).filePath(outputs[k]);
            QVERIFY2(outputs[k].startsWith(u"0%1 - %2"_s.arg(k + 1).arg(QChar(u'A' + k))),
                     qPrintable(outputs[k]));
            const QJsonObject stream = TestMedia::firstStream(TestMedia::probe(output), u"audio"_s);
            const qint64 rate = stream.value(u"sample_rate"_s).toString().toLongLong();
            const auto at = [rate](qint64 sample) { return (sample * rate * 2 + 44100) / (44100 * 2); };
            qint64 samples = stream.value(u"duration_ts"_s).toVariant().toLongLong();
            if (format != OutputFormat::Aac) {
                const QString pcm = f.path(u"decoded.raw"_s);
                TestMedia::run(u"ffmpeg"_s,
                               {u"-v"_s, u"quiet"_s, u"-y"_s, u"-i"_s, output, u"-f"_s, u"s16le"_s, pcm});
                samples = QFileInfo(pcm).size() / (2 * stream.value(u"channels"_s).toInt());
            }
            QCOMPARE(samples, at(bounds[k + 1]) - at(bounds[k]));
        }
    }
};

QTEST_GUILESS_MAIN(TestConversionRun)
#include "tst_conversionrun.moc"
