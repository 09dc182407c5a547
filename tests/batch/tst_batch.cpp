// tunoxa-batch as a user runs it: from a script (no terminal), with the real tools of the program
// folder, into real folders.

#include "common/runningprocesses.h"
#include "common/testmedia.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

namespace {

QString batchProgram()
{
    return TestMedia::programFolder() + QStringLiteral("/tunoxa-batch");
}

// The program's work folder, where each batch keeps a folder of its own.
QString workFolder()
{
    return qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/tunoxa");
}

QStringList batchFolders()
{
    return QDir(workFolder()).entryList({QStringLiteral("batch-*")}, QDir::Dirs);
}

struct Finished
{
    int exitCode = -1;
    QString out;
    QString err;
};

void startBatch(QProcess &process, const QStringList &arguments, const QString &folder)
{
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(batchProgram(), arguments);
}

Finished waitFor(QProcess &process)
{
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

Finished runBatch(const QStringList &arguments, const QString &folder)
{
    QProcess process;
    startBatch(process, arguments, folder);
    return waitFor(process);
}

bool makeAlbum(const QString &folder, const QStringList &names, double seconds)
{
    if (!QDir().mkpath(folder))
        return false;
    for (const QString &name : names) {
        if (!QDir().mkpath(QFileInfo(folder + QLatin1Char('/') + name).path()) ||
            !TestMedia::makeFlac(folder + QLatin1Char('/') + name, seconds))
            return false;
    }
    return true;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The outputs the "完成：" lines name, one per converted file.
QStringList reportedOutputs(const QString &out)
{
    QStringList outputs;
    static const QRegularExpression line(QStringLiteral("^完成：.* → (.*)$"),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(out); it.hasNext();)
        outputs.append(it.next().captured(1));
    return outputs;
}

bool isWholeMp3(const QString &path, double seconds)
{
    const QJsonObject probe = TestMedia::probe(path);
    return TestMedia::formatName(probe) == QStringLiteral("mp3") &&
           qAbs(TestMedia::durationSeconds(probe) - seconds) < 0.2;
}

// Every file below folder, hidden ones too, by its path below folder.
QStringList treeOf(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(folder.size() + 1));
    files.sort();
    return files;
}

} // namespace

class TestBatch : public QObject
{
    Q_OBJECT

private slots:
    void usage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0;
        QTest::newRow("nothing to convert") << QStringList{} << 2;
        QTest::newRow("only options") << QStringList{QStringLiteral("-f"), QStringLiteral("avi")} << 2;
        QTest::newRow("unknown option") << QStringList{QStringLiteral("-x"), QStringLiteral("a.flac")} << 2;
        QTest::newRow("unknown long option")
            << QStringList{QStringLiteral("--formats=mp3"), QStringLiteral("a.flac")} << 2;
        QTest::newRow("dry run without library mode")
            << QStringList{QStringLiteral("-n"), QStringLiteral("a.flac")} << 2;
        QTest::newRow("deleting without library mode")
            << QStringList{QStringLiteral("--delete"), QStringLiteral("a.flac")} << 2;
        QTest::newRow("value missing") << QStringList{QStringLiteral("a.flac"), QStringLiteral("-o")} << 2;
        QTest::newRow("unknown format")
            << QStringList{QStringLiteral("-fogg"), QStringLiteral("a.flac")} << 2;
        QTest::newRow("three channels")
            << QStringList{QStringLiteral("-c"), QStringLiteral("3"), QStringLiteral("a")} << 2;
        QTest::newRow("no files at once")
            << QStringList{QStringLiteral("-j0"), QStringLiteral("a.flac")} << 2;
        QTest::newRow("files at once in words")
            << QStringList{QStringLiteral("-j"), QStringLiteral("two"), QStringLiteral("a")} << 2;
        QTest::newRow("size") << QStringList{QStringLiteral("-s"), QStringLiteral("big"), QStringLiteral("a")}
                              << 2;
        QTest::newRow("bitrate") << QStringList{QStringLiteral("-b"), QStringLiteral("-320"),
                                                QStringLiteral("a")}
                                 << 2;
        QTest::newRow("frame rate") << QStringList{QStringLiteral("-F"), QStringLiteral("0"),
                                                   QStringLiteral("a")}
                                    << 2;
    }
    void usage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        const Finished batch = runBatch(arguments, dir.path());
        QCOMPARE(batch.exitCode, exitCode);
        // The usage goes where it was asked for: standard output for --help, standard error with
        // the complaint otherwise; nothing is converted, no folder is made.
        const QString usage = exitCode == 0 ? batch.out : batch.err;
        QVERIFY2(usage.contains(QStringLiteral("用法：tunoxa-batch [-f FORMAT]")), qPrintable(batch.err));
        QVERIFY(usage.contains(QStringLiteral("mp4mobile")));
        QVERIFY((exitCode == 0 ? batch.err : batch.out).isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void albumWithABrokenFile()
    {
        QTemporaryDir dir;
        const QString album = dir.filePath(QStringLiteral("album"));
        QVERIFY(makeAlbum(album,
                          {QStringLiteral("01 Track.flac"), QStringLiteral("02 Broken.flac"),
                           QStringLiteral("CD2/03 Track.flac"), QStringLiteral("notes.txt")},
                          4));
        // The header still announces four seconds; ffmpeg decodes half and exits 0.
        QFile broken(album + QStringLiteral("/02 Broken.flac"));
        QVERIFY(broken.resize(broken.size() / 2));
        // What batches left: one whose process is gone, one of a process that still runs.
        QProcess gone;
        gone.start(QStringLiteral("true"));
        QVERIFY(gone.waitForStarted());
        const QString goneFolder = QStringLiteral("batch-%1").arg(gone.processId());
        QVERIFY(gone.waitForFinished());
        const QString runningFolder = QStringLiteral("batch-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(QDir().mkpath(workFolder() + QLatin1Char('/') + goneFolder + QStringLiteral("/tmp")));
        QVERIFY(QDir().mkpath(workFolder() + QLatin1Char('/') + runningFolder));
        QLockFile runningLock(workFolder() + QLatin1Char('/') + runningFolder +
                              QStringLiteral("/batch.lock"));
        QVERIFY(runningLock.tryLock(0));

        // Relative paths are the working folder's, as in any command; ":" is a letter like any other.
        const Finished batch = runBatch({QStringLiteral("-j"), QStringLiteral("2"), QStringLiteral("-o"),
                                         QStringLiteral(":out"), QStringLiteral("album")},
                                        dir.path());

        QCOMPARE(batch.exitCode, 1);
        const QString out = dir.path() + QStringLiteral("/:out");
        const QStringList outputs = filesIn(out);
        QCOMPARE(outputs.size(), 2);
        // The window's names: base name, "_", the time stamp, ".mp3".
        QVERIFY2(outputs[0].contains(QRegularExpression(QStringLiteral("^01 Track_[0-9]{1,6}\\.mp3$"))),
                 qPrintable(outputs[0]));
        QVERIFY2(outputs[1].contains(QRegularExpression(QStringLiteral("^03 Track_[0-9]{1,6}\\.mp3$"))),
                 qPrintable(outputs[1]));
        for (const QString &output : outputs)
            QVERIFY(isWholeMp3(out + QLatin1Char('/') + output, 4));
        QStringList reported = reportedOutputs(batch.out);
        reported.sort();
        QCOMPARE(reported,
                 (QStringList{out + QLatin1Char('/') + outputs[0], out + QLatin1Char('/') + outputs[1]}));

        const QString brokenPath = album + QStringLiteral("/02 Broken.flac");
        // Its decode stops at half of what its header declares.
        const QString failureLine = brokenPath + QStringLiteral("：源文件已损坏");
        QVERIFY2(batch.out.contains(QStringLiteral("失败：") + failureLine + QLatin1Char('\n')),
                 qPrintable(batch.out));
        QVERIFY(batch.out.endsWith(QStringLiteral("完成，1 个文件转换失败\n")));
        QVERIFY2(batch.err.endsWith(QStringLiteral("转换失败：\n") + failureLine + QLatin1Char('\n')),
                 qPrintable(batch.err));

        // Its own work folder is gone, and so is the one of the batch that had ended.
        QCOMPARE(batchFolders(), QStringList{runningFolder});
        runningLock.unlock();
        QVERIFY(QDir(workFolder() + QLatin1Char('/') + runningFolder).removeRecursively());
    }

    void twoBatchesIntoOneFolder()
    {
        QTemporaryDir dir;
        const QString album = dir.filePath(QStringLiteral("album"));
        const QStringList tracks{QStringLiteral("01.flac"), QStringLiteral("02.flac"),
                                 QStringLiteral("03.flac"), QStringLiteral("04.flac")};
        QVERIFY(makeAlbum(album, tracks, 1));
        // More files at once than there are cores: as many as there are.
        const QStringList arguments{QStringLiteral("-j64"), QStringLiteral("-o"),
                                    dir.filePath(QStringLiteral("out")), album};
        QProcess first;
        QProcess second;
        startBatch(first, arguments, dir.path());
        startBatch(second, arguments, dir.path());
        const Finished one = waitFor(first);
        const Finished two = waitFor(second);

        QCOMPARE(one.exitCode, 0);
        QCOMPARE(two.exitCode, 0);
        // Each batch names four outputs, and no name twice between them; every file is whole.
        const QStringList reported = reportedOutputs(one.out) + reportedOutputs(two.out);
        QCOMPARE(reported.size(), 8);
        QCOMPARE(QSet<QString>(reported.cbegin(), reported.cend()).size(), 8);
        QCOMPARE(filesIn(dir.filePath(QStringLiteral("out"))).size(), 8);
        for (const QString &output : reported)
            QVERIFY2(isWholeMp3(output, 1), qPrintable(output));
        QCOMPARE(batchFolders(), QStringList());
    }

    // Library mode from the command line: a dry run writes nothing; the run keeps the album's folders
    // and plain names; later runs convert only a source that is newer than its output.
    void libraryModeOverAnAlbum()
    {
        QTemporaryDir dir;
        const QString album = dir.filePath(QStringLiteral("album"));
        QVERIFY(makeAlbum(album, {QStringLiteral("01.flac"), QStringLiteral("CD2/02.flac")}, 1));
        const QString out = dir.filePath(QStringLiteral("out"));
        const QString first = album + QStringLiteral("/01.flac");
        const QString second = album + QStringLiteral("/CD2/02.flac");
        const QString firstOutput = out + QStringLiteral("/album/01.mp3");
        const QString secondOutput = out + QStringLiteral("/album/CD2/02.mp3");

        const Finished planned = runBatch(
            {QStringLiteral("-Ln"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("album")},
            dir.path());
        QCOMPARE(planned.exitCode, 0);
        QCOMPARE(planned.out, QStringLiteral("将转换：") + first + QStringLiteral(" → ") + firstOutput +
                                  QStringLiteral("\n将转换：") + second + QStringLiteral(" → ") +
                                  secondOutput + QStringLiteral("\n将转换 2，跳过 0，失败 0\n"));
        QVERIFY(!QFileInfo::exists(out));

        const Finished converted =
            runBatch({QStringLiteral("--library"), QStringLiteral("--output=out"), QStringLiteral("album")},
                     dir.path());
        QCOMPARE(converted.exitCode, 0);
        QVERIFY2(converted.out.endsWith(QStringLiteral("完成 2，跳过 0，失败 0\n")),
                 qPrintable(converted.out));
        QVERIFY(isWholeMp3(firstOutput, 1));
        QVERIFY(isWholeMp3(secondOutput, 1));

        // Another bitrate makes nothing out of date: all is skipped, which is a success.
        const Finished again =
            runBatch({QStringLiteral("-L"), QStringLiteral("--bitrate"), QStringLiteral("128"),
                      QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("album")},
                     dir.path());
        QCOMPARE(again.exitCode, 0);
        QVERIFY2(again.out.endsWith(QStringLiteral("（已是最新）\n完成 0，跳过 2，失败 0\n")),
                 qPrintable(again.out));

        QFile source(first);
        QVERIFY(source.open(QIODevice::ReadWrite));
        QVERIFY(
            source.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        source.close();
        const QDateTime written = QFileInfo(firstOutput).lastModified();
        const Finished replanned = runBatch(
            {QStringLiteral("-Lnb128"), QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("album")},
            dir.path());
        QCOMPARE(replanned.exitCode, 0);
        QCOMPARE(replanned.out, QStringLiteral("将替换：") + first + QStringLiteral(" → ") + firstOutput +
                                    QStringLiteral("\n跳过：") + second + QStringLiteral(" → ") +
                                    secondOutput +
                                    QStringLiteral("（已是最新）\n将转换 1，跳过 1，失败 0\n"));
        QCOMPARE(QFileInfo(firstOutput).lastModified(), written);
        QCOMPARE(batchFolders(), QStringList());
    }

    // However the batch is ended, no tool of it runs on; asked to end (a signal it can catch), it also
    // deletes what it was writing and its work folder, and says so.
    void stopsMidFile_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("caught");
        QTest::newRow("SIGTERM") << int(SIGTERM) << true;
        QTest::newRow("Ctrl-C") << int(SIGINT) << true;
        QTest::newRow("SIGHUP: the SSH connection dropped") << int(SIGHUP) << true;
        QTest::newRow("SIGKILL") << int(SIGKILL) << false;
    }
    void stopsMidFile()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, caught);
        QTemporaryDir dir;
        const QString input = dir.filePath(QStringLiteral("long.flac"));
        QVERIFY(TestMedia::makeFlac(input, 300));
        const QString out = dir.filePath(QStringLiteral("out"));
        const auto leftovers = qScopeGuard([&] { RunningProcesses::signal(dir.path(), SIGKILL); });
        QProcess batch;
        startBatch(batch, {QStringLiteral("-o"), out, input}, dir.path());
        // The encoder has begun writing the output.
        QTRY_VERIFY_WITH_TIMEOUT(!filesIn(out).isEmpty() &&
                                     QFileInfo(out + QLatin1Char('/') + filesIn(out)[0]).size() > 0,
                                 120000);
        const QString ownFolder = QStringLiteral("batch-%1").arg(batch.processId());
        // The encoder is paused first: a tool that prints nothing for a while would not notice that its
        // reader is gone, and must end all the same.
        RunningProcesses::signal(input, SIGSTOP, batch.processId());
        ::kill(pid_t(batch.processId()), signalNumber);
        const Finished stopped = waitFor(batch);

        QTRY_COMPARE(RunningProcesses::naming(dir.path()), QStringList());
        if (!caught) {
            QCOMPARE(stopped.exitCode, -1);
            // The half-written MP3 has only its hidden name, which no one takes for a finished file...
            const QStringList left = filesIn(out);
            QCOMPARE(left.size(), 1);
            QVERIFY2(left[0].startsWith(QLatin1Char('.')) && left[0].endsWith(QStringLiteral(".part.mp3")),
                     qPrintable(left[0]));
            // ...and the next batch writing there clears it, and the work folder of the killed one.
            const QString next = dir.filePath(QStringLiteral("next.flac"));
            QVERIFY(TestMedia::makeFlac(next, 1));
            QCOMPARE(runBatch({QStringLiteral("-o"), out, next}, dir.path()).exitCode, 0);
            QCOMPARE(filesIn(out).size(), 1);
            QVERIFY(filesIn(out)[0].startsWith(QStringLiteral("next_")));
            QVERIFY(!batchFolders().contains(ownFolder));
            return;
        }
        QCOMPARE(stopped.exitCode, 1);
        QVERIFY2(stopped.err.endsWith(QStringLiteral("转换中止\n")), qPrintable(stopped.err));
        QCOMPARE(filesIn(out), QStringList());
        QCOMPARE(batchFolders(), QStringList());
    }

    // A library run killed at any step of a move (the claim of the old output, the tool, the new
    // name taken, the old file removed) leaves the next run a copy it completes by moving, never by
    // encoding: each track once, whole, and no hidden file.
    void killedMovesAreFinished_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("MP3") << QStringLiteral("mp3");
        QTest::newRow("Opus") << QStringLiteral("opus");
        QTest::newRow("AAC") << QStringLiteral("aac");
        QTest::newRow("Vorbis") << QStringLiteral("vorbis");
    }
    void killedMovesAreFinished()
    {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString music = dir.filePath(QStringLiteral("Music"));
        QVERIFY(makeAlbum(music + QStringLiteral("/A/Old"), {QStringLiteral("1.flac")}, 1));
        const QStringList arguments{QStringLiteral("-L"), QStringLiteral("-f"),  format,
                                    QStringLiteral("-o"), QStringLiteral("out"), QStringLiteral("Music")};
        QCOMPARE(runBatch(arguments, dir.path()).exitCode, 0);
        QVERIFY(QDir(music).rename(QStringLiteral("A/Old"), QStringLiteral("A/New")));
        QCOMPARE(
            TestMedia::run(QStringLiteral("cp"), {QStringLiteral("-a"), dir.filePath(QStringLiteral("out")),
                                                  dir.filePath(QStringLiteral("before"))})
                .exitCode,
            0);
        const QString moved =
            QStringLiteral("Music/A/New/1.") + (format == u"aac"      ? QStringLiteral("m4a")
                                                : format == u"vorbis" ? QStringLiteral("ogg")
                                                                      : format);
        for (const QString &call :
             {QStringLiteral("renameat2"), QStringLiteral("unlinkat"), QStringLiteral("clone")}) {
            for (int nth = 1;; ++nth) {
                QVERIFY(QDir(dir.filePath(QStringLiteral("out"))).removeRecursively());
                QCOMPARE(TestMedia::run(QStringLiteral("cp"),
                                        {QStringLiteral("-a"), dir.filePath(QStringLiteral("before")),
                                         dir.filePath(QStringLiteral("out"))})
                             .exitCode,
                         0);
                QProcess killed;
                killed.setWorkingDirectory(dir.path());
                killed.start(
                    QStringLiteral("strace"),
                    QStringList{QStringLiteral("-qq"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                                QStringLiteral("-e"),
                                QStringLiteral("inject=%1:signal=SIGKILL:when=%2").arg(call).arg(nth),
                                batchProgram()} +
                        arguments);
                QVERIFY(killed.waitForFinished(120000));
                QTRY_COMPARE(RunningProcesses::naming(dir.path()), QStringList());
                if (killed.exitStatus() == QProcess::NormalExit && killed.exitCode() == 0)
                    break;
                const QString step = call + QLatin1Char(' ') + QString::number(nth);
                const Finished next = runBatch(arguments, dir.path());
                QVERIFY2(next.exitCode == 0 && !next.out.contains(QStringLiteral("完成：")),
                         qPrintable(step + QLatin1Char('\n') + next.out + next.err));
                QCOMPARE(treeOf(dir.filePath(QStringLiteral("out"))), QStringList{moved});
                const QJsonObject probe = TestMedia::probe(dir.filePath(QStringLiteral("out/")) + moved);
                QVERIFY2(qAbs(TestMedia::durationSeconds(probe) - 1) < 0.1, qPrintable(step));
            }
        }
    }

    // Two runs at once over one renamed album leave every track once and no hidden file, each run
    // leaves the tracks the other took to it, and both succeed.
    void twoLibraryRunsAtOnce()
    {
        QTemporaryDir dir;
        const QString music = dir.filePath(QStringLiteral("Music"));
        QStringList tracks;
        // Tracks of other lengths, so that no two hold the same audio.
        for (int k = 1; k <= 6; ++k) {
            tracks.append(QStringLiteral("%1.flac").arg(k));
            QVERIFY(QDir().mkpath(music + QStringLiteral("/Old")) &&
                    TestMedia::makeFlac(music + QStringLiteral("/Old/") + tracks.constLast(), 1 + k / 10.0));
        }
        const QStringList arguments{QStringLiteral("-L"), QStringLiteral("-j2"), QStringLiteral("-o"),
                                    QStringLiteral("out"), QStringLiteral("Music")};
        QCOMPARE(runBatch(arguments, dir.path()).exitCode, 0);
        QVERIFY(QDir(music).rename(QStringLiteral("Old"), QStringLiteral("New")));
        QProcess first;
        QProcess second;
        startBatch(first, arguments, dir.path());
        startBatch(second, arguments, dir.path());
        const Finished one = waitFor(first);
        const Finished two = waitFor(second);

        QVERIFY2(one.exitCode == 0 && two.exitCode == 0, qPrintable(one.out + one.err + two.out + two.err));
        QStringList expected;
        for (const QString &track : std::as_const(tracks))
            expected.append(QStringLiteral("Music/New/") +
                            QString(track).replace(QStringLiteral(".flac"), QStringLiteral(".mp3")));
        QCOMPARE(treeOf(dir.filePath(QStringLiteral("out"))), expected);
    }

    void gnuParallelOverALibrary()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("parallel")).isEmpty(),
                 "GNU parallel is missing: run scripts/install-deps.sh");
        QTemporaryDir dir;
        const QString library = dir.filePath(QStringLiteral("Music"));
        const QStringList tracks{QStringLiteral("1.flac"), QStringLiteral("2.flac")};
        QVERIFY(makeAlbum(library + QStringLiteral("/Album A"), tracks, 1));
        QVERIFY(makeAlbum(library + QStringLiteral("/Album B"), tracks, 1));
        const QString out = dir.filePath(QStringLiteral("mp3"));

        // The README's command, with this machine (":") as the only login, two jobs at a time.
        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"), TestMedia::programFolder() + QLatin1Char(':') +
                                                       environment.value(QStringLiteral("PATH")));
        shell.setProcessEnvironment(environment);
        shell.setProcessChannelMode(QProcess::MergedChannels);
        shell.start(
            QStringLiteral("sh"),
            {QStringLiteral("-c"),
             QStringLiteral("find \"$1\" -mindepth 1 -maxdepth 1 -type d |\n"
                            "    parallel --will-cite --sshlogin 2/: tunoxa-batch -L -o \"$2/Music\" {}"),
             QStringLiteral("sh"), library, out});
        QVERIFY(shell.waitForFinished(300000));

        QVERIFY2(shell.exitCode() == 0, shell.readAll().constData());
        for (const QString &album : {QStringLiteral("Album A"), QStringLiteral("Album B")}) {
            // Library mode: each album folder keeps its name, each track its plain name, in the tree
            // a run over the whole library makes.
            QCOMPARE(filesIn(out + QStringLiteral("/Music/") + album),
                     (QStringList{QStringLiteral("1.mp3"), QStringLiteral("2.mp3")}));
        }
        const QStringList whole{QStringLiteral("-L"), QStringLiteral("--delete"), QStringLiteral("-o"), out,
                                library};
        const Finished preview = runBatch(whole + QStringList{QStringLiteral("-n")}, dir.path());
        QCOMPARE(preview.exitCode, 0);
        QVERIFY2(preview.out.endsWith(QStringLiteral("将转换 0，跳过 4，失败 0\n")), qPrintable(preview.out));
        // An unmounted disk looks like an empty library: nothing is deleted, and the run says so.
        QVERIFY(QDir(library).removeRecursively() && QDir().mkpath(library));
        const Finished emptied = runBatch(whole, dir.path());
        QCOMPARE(emptied.exitCode, 1);
        QVERIFY2(
            emptied.err.contains(QStringLiteral("音乐库文件夹为空或无法读取，未删除任何文件：") + library),
            qPrintable(emptied.err));
        QCOMPARE(filesIn(out + QStringLiteral("/Music/Album A")).size(), 2);
        QCOMPARE(batchFolders(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "tst_batch.moc"
