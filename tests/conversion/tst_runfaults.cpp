#include "common/listrows.h"
#include "common/testfiles.h"
#include "runfixture.h"

#include "platform/appdirs.h"

#include <QFile>
#include <QRandomGenerator>

#include <cstdio>
#include <sys/stat.h>

using TestFiles::writeFile;

// Inputs and surroundings that make a conversion fail: the failed file stays in the list, marked,
// nothing broken is left in the output folder, and the run goes on and ends as a run does.
class TestRunFaults : public QObject
{
    Q_OBJECT

    static bool copyFolder(const QString &from, const QString &to, const QStringList &leaveOut)
    {
        const QDir source(from);
        if (!QDir().mkpath(to))
            return false;
        const QFileInfoList entries = source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const QFileInfo &entry : entries) {
            if (leaveOut.contains(entry.fileName()))
                continue;
            const QString target = to + QLatin1Char('/') + entry.fileName();
            const bool copied = entry.isDir() ? copyFolder(entry.filePath(), target, leaveOut)
                                              : QFile::copy(entry.filePath(), target);
            if (!copied)
                return false;
        }
        return true;
    }

private slots:
    void badInputIsMarkedAndTheRunGoesOn_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expectedReason");
        QTest::addColumn<bool>("library");
        const QString undecodable = QStringLiteral("源文件无法解码");
        const QString damaged = QStringLiteral("源文件已损坏");
        QTest::newRow("corrupt FLAC") << QStringLiteral("corrupt") << undecodable << false;
        QTest::newRow("truncated FLAC") << QStringLiteral("truncated") << damaged << false;
        // The tools skip the damaged frames and exit with 0; the MP3 would play two thirds.
        QTest::newRow("middle third damaged") << QStringLiteral("damaged") << damaged << false;
        QTest::newRow("zero bytes") << QStringLiteral("empty") << undecodable << false;
        // ffmpeg decodes such frames silently unless asked to check them; libFLAC always checks.
        QTest::newRow("three bytes flipped") << QStringLiteral("flipped") << damaged << false;
        // The program's own words, not the system's English nor the path a second time.
        QTest::newRow("path vanished") << QStringLiteral("vanished") << QStringLiteral("文件不存在") << false;
        QTest::newRow("a link to itself")
            << QStringLiteral("loop") << QStringLiteral("符号链接层数过多或成环") << false;
        QTest::newRow("a folder") << QStringLiteral("folder") << QStringLiteral("是文件夹，不是文件")
                                  << false;
        const QString notRegular = QStringLiteral("不是普通文件");
        // Opening it would wait for a writer that never comes.
        QTest::newRow("a FIFO") << QStringLiteral("fifo") << notRegular << false;
        // Library mode's encode reads the source itself; the reference decoder only follows a
        // reading that complains or falls short.
        QTest::newRow("three bytes flipped, library") << QStringLiteral("flipped") << damaged << true;
        QTest::newRow("truncated FLAC, library") << QStringLiteral("truncated") << damaged << true;
    }
    void badInputIsMarkedAndTheRunGoesOn()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expectedReason);
        QFETCH(bool, library);
        RunFixture f;
        f.settings.libraryMode = library;
        const QString bad = f.path(QStringLiteral("bad.flac"));
        // Seeded, so that a failure can be repeated with the same bytes.
        QRandomGenerator noise(24);
        if (kind == QStringLiteral("damaged")) {
            QVERIFY(TestMedia::makeFlac(bad, 30));
            QFile file(bad);
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 third = file.size() / 3;
            QByteArray garbage(third, '\0');
            for (char &byte : garbage)
                byte = char(noise.bounded(256));
            QVERIFY(file.seek(third));
            QCOMPARE(file.write(garbage), third);
        } else if (kind == QStringLiteral("corrupt")) {
            QByteArray bytes("fLaC");
            for (int i = 0; i < 50000; ++i)
                bytes.append(char(noise.bounded(256)));
            QVERIFY(writeFile(bad, bytes));
        } else if (kind == QStringLiteral("truncated")) {
            // The header still announces four seconds; ffmpeg decodes what is there and exits 0.
            QVERIFY(TestMedia::makeFlac(bad, 4));
            QFile file(bad);
            QVERIFY(file.resize(file.size() / 2));
        } else if (kind == QStringLiteral("flipped")) {
            QVERIFY(TestMedia::makeFlac(bad, 10));
            QFile file(bad);
            QVERIFY(file.open(QIODevice::ReadWrite));
            for (const qint64 at : {file.size() / 2, file.size() / 2 + 1000, file.size() / 2 + 5000}) {
                char byte = 0;
                QVERIFY(file.seek(at) && file.getChar(&byte) && file.seek(at) &&
                        file.putChar(char(byte ^ 0x55)));
            }
        } else if (kind == QStringLiteral("loop")) {
            QVERIFY(QFile::link(bad, bad));
        } else if (kind == QStringLiteral("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(bad).constData(), 0600), 0);
        } else if (kind == QStringLiteral("empty")) {
            QVERIFY(writeFile(bad, QByteArray()));
        } else if (kind == QStringLiteral("vanished")) {
            QVERIFY(TestMedia::makeFlac(bad, 2));
        } else {
            QVERIFY(QDir().mkpath(bad));
        }
        const FileList::Id badId = f.files.addFile(bad);
        if (kind == QStringLiteral("vanished"))
            QVERIFY(QFile::remove(bad));
        const FileList::Id goodId = f.addFlac(QStringLiteral("good.flac"), 2);
        QVERIFY(goodId);

        QVERIFY(f.startAndWait());

        QCOMPARE(rowIds(f.files), QList<FileList::Id>{badId});
        QVERIFY(markedFailed(f.files, badId));
        const QString reason = f.files.failureReason(badId);
        QCOMPARE(reason, expectedReason);
        const QStringList outputs = f.outputs();
        QCOMPARE(outputs.size(), 1);
        QVERIFY(outputs[0].startsWith(library ? QStringLiteral("good.") : QStringLiteral("good_")));
        // Nothing of the failed file is left, not even under a hidden name.
        QCOMPARE(QDir(f.host.outputFolder).entryList(QDir::Files | QDir::Hidden), outputs);

        QCOMPARE(f.outcome->end, RunOutcome::End::Finished);
        QCOMPARE(f.outcome->converted, 1);
        QCOMPARE(f.outcome->failed, 1);
        const QList<JobResult> failed = f.ended(JobResult::Kind::Failed);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0].source, bad);
        QCOMPARE(failureText(failed[0].failure), reason);
    }

    void summaryIsCutAndTheNextStartTriesAgain()
    {
        RunFixture f;
        // MPG runs one stage per file, which keeps 21 failures quick.
        f.host.useDefaultsOf(OutputFormat::Mpg);
        QList<FileList::Id> ids;
        for (int i = 0; i < 21; ++i) {
            const QString path = f.path(QStringLiteral("empty%1.flac").arg(i, 2, 10, QLatin1Char('0')));
            QVERIFY(writeFile(path, QByteArray()));
            ids.append(f.files.addFile(path));
        }
        QVERIFY(f.startAndWait());
        QCOMPARE(rowIds(f.files), ids);
        QCOMPARE(f.outcome->failed, 21);
        QCOMPARE(f.ended(JobResult::Kind::Failed).size(), 21);
        QCOMPARE(f.ended(JobResult::Kind::Failed)[20].source, f.path(QStringLiteral("empty20.flac")));

        // Two of them repaired in the meantime: the next Start tries every row again.
        for (int i = 1; i < ids.size() - 1; ++i)
            f.files.removeId(ids[i]);
        QVERIFY(TestMedia::makeFlac(f.files.path(ids.first()), 1));
        QVERIFY(TestMedia::makeFlac(f.files.path(ids.last()), 1));
        f.host.useDefaultsOf(OutputFormat::Mp3);
        QVERIFY(f.startAndWait());
        QVERIFY(f.files.isEmpty());
        QCOMPARE(f.outputs().size(), 2);
        QCOMPARE(f.outcome->failed, 0);
        QVERIFY(f.ended(JobResult::Kind::Failed).isEmpty());
    }

    void awkwardNamesConvert_data()
    {
        QTest::addColumn<QByteArray>("nativeName");
        QTest::addColumn<QString>("outputStart");
        QTest::addColumn<bool>("removedWhileDecoding");
        QTest::newRow("quotes, blanks, Chinese") << QStringLiteral("it's \"我的\"  歌 曲.flac").toUtf8()
                                                 << QStringLiteral("it's \"我的\"  歌 曲_") << false;
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9 \xff.flac") << QStringLiteral("caf") << false;
        // The tools reach this file through a link that must outlive the row until the encode ends.
        QTest::newRow("not UTF-8, row removed while decoding")
            << QByteArray("caf\xe9 \xff.flac") << QStringLiteral("caf") << true;
    }
    void awkwardNamesConvert()
    {
        QFETCH(QByteArray, nativeName);
        QFETCH(QString, outputStart);
        QFETCH(bool, removedWhileDecoding);
        RunFixture f;
        const QString made = f.path(QStringLiteral("made.flac"));
        QVERIFY(TestMedia::makeFlac(made, 2));
        const QByteArray native = QFile::encodeName(f.dir.path()) + '/' + nativeName;
        QCOMPARE(std::rename(QFile::encodeName(made).constData(), native.constData()), 0);
        const FileList::Id id = f.files.addFile(native);
        if (removedWhileDecoding) {
            connect(&f.run, &ConversionRun::stageStarted, &f.run, [&](FileList::Id, const QString &tool) {
                if (tool == QStringLiteral("sox"))
                    f.files.removeId(id);
            });
        }
        const QString links = AppDirs::workFolder() + QStringLiteral("/names/") + QString::number(id);

        QVERIFY(f.startAndWait());

        QVERIFY(f.files.isEmpty());
        QVERIFY(!QFileInfo::exists(links));
        QCOMPARE(f.outcome->failed, 0);
        const QStringList outputs = f.outputs();
        QCOMPARE(outputs.size(), 1);
        QVERIFY2(outputs[0].startsWith(outputStart), qPrintable(outputs[0]));
        QVERIFY(outputs[0].endsWith(QStringLiteral(".mp3")));
        const QJsonObject probe = TestMedia::probe(QDir(f.host.outputFolder).filePath(outputs[0]));
        QVERIFY(qAbs(TestMedia::durationSeconds(probe) - 2) <= 0.1);
        // QTemporaryDir cannot remove a name that does not decode.
        QCOMPARE(std::remove(native.constData()), 0);
    }

    void unwritableOutputFolderEndsTheRun()
    {
        RunFixture f;
        QVERIFY(writeFile(f.path(QStringLiteral("plain file")), "x"));
        f.host.outputFolder = f.path(QStringLiteral("plain file/out"));
        const FileList::Id id = f.addFlac(QStringLiteral("a.flac"), 1);
        QVERIFY(id);

        QVERIFY(f.startAndWait());

        QCOMPARE(f.outcome->end, RunOutcome::End::OutputFolderRefused);
        QVERIFY(f.host.outputFolder.endsWith(QStringLiteral("plain file/out/")));
        QCOMPARE(rowIds(f.files), QList<FileList::Id>{id});
        QVERIFY(!markedFailed(f.files, id));
        QVERIFY(f.log.isEmpty());
        QVERIFY(!f.run.isActive());
    }

    void missingToolEndsTheRun_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("stagesStarted"); // of the first file, the one that cannot start included
        QTest::newRow("MP3 without coder") << int(OutputFormat::Mp3) << QStringLiteral("coder") << 2;
        // The second stage cannot start inside the first stage's completion.
        QTest::newRow("3GP without coder2") << int(OutputFormat::ThreeGp) << QStringLiteral("coder2") << 2;
    }
    void missingToolEndsTheRun()
    {
        QFETCH(int, format);
        QFETCH(QString, missing);
        QFETCH(int, stagesStarted);
        RunFixture f;
        f.host.useDefaultsOf(OutputFormat(format));
        f.host.program = f.path(QStringLiteral("program"));
        QVERIFY(copyFolder(TestMedia::programFolder(), f.host.program, {missing}));
        FileList::Id first = 0;
        if (format == int(OutputFormat::Mp3)) {
            first = f.addFlac(QStringLiteral("a.flac"), 1);
        } else {
            const QString clip = f.path(QStringLiteral("clip.avi"));
            QVERIFY(TestMedia::makeVideo(clip, 1,
                                         {QStringLiteral("-c:v"), QStringLiteral("mpeg4"),
                                          QStringLiteral("-c:a"), QStringLiteral("libmp3lame")}));
            first = f.files.addFile(clip);
        }
        const FileList::Id second = f.addFlac(QStringLiteral("b.flac"), 1);
        QVERIFY(first && second);

        QVERIFY(f.startAndWait());

        QCOMPARE(f.outcome->end, RunOutcome::End::ToolMissing);
        QCOMPARE(f.outcome->toolProblem, ToolRunner::StartProblem::NotFound);
        QCOMPARE(rowIds(f.files), (QList<FileList::Id>{first, second}));
        QVERIFY(!markedFailed(f.files, second));
        QCOMPARE(f.log.filter(QStringLiteral("start %1 ").arg(first)).size(), stagesStarted);
        QCOMPARE(f.log.last(), QStringLiteral("end %1 %2 failed").arg(first).arg(missing));
        QVERIFY(f.log.filter(QStringLiteral("start %1 ").arg(second)).isEmpty());
        QVERIFY(f.outputs().isEmpty());
        QVERIFY(!f.run.isActive());
    }
};

QTEST_GUILESS_MAIN(TestRunFaults)
#include "tst_runfaults.moc"
