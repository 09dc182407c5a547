#include "common/runningprocesses.h"
#include "common/testfiles.h"
#include "common/testmedia.h"
#include "platform/appdirs.h"
#include "platform/shutdown.h"
#include "platform/singleinstance.h"
#include "settings/setupfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <signal.h>

using TestFiles::fileContent;
using TestFiles::touch;

namespace {

QString helperPath()
{
    return QCoreApplication::applicationDirPath() + u"/tunoxa_instancehelper"_qs;
}

QString startClickerPath()
{
    return QCoreApplication::applicationDirPath() + u"/tunoxa_startclicker"_qs;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;

    // Offscreen unless `changes` say otherwise ("NAME=value" sets a variable, "NAME" removes it).
    void startHelper(QProcess &process, const QString &program = helperPath(), const QString &cache = {},
                     const QStringList &arguments = {}, const QStringList &changes = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CACHE_HOME"_qs, cache.isEmpty() ? m_cache.path() : cache);
        environment.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        for (const QString &change : changes) {
            if (change.contains(u'='))
                environment.insert(change.section(u'=', 0, 0), change.section(u'=', 1));
            else
                environment.remove(change);
        }
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    }

private slots:
    void initTestCase() { qputenv("XDG_CACHE_HOME", m_cache.path().toUtf8()); }

    void lockFileLivesInTheWorkFolder()
    {
        QCOMPARE(SingleInstance::defaultLockPath(), AppDirs::workFolder() + u"/instance.lock"_qs);
    }

    void secondStartEndsAtOnce()
    {
        QProcess first;
        startHelper(first);
        QVERIFY(first.waitForReadyRead(10000));
        QCOMPARE(first.readAll().trimmed(), QByteArray("locked"));

        QProcess second;
        QElapsedTimer clock;
        clock.start();
        startHelper(second);
        QVERIFY(second.waitForFinished(5000));
        QVERIFY2(clock.elapsed() < 3000, QByteArray::number(clock.elapsed()));
        QCOMPARE(second.exitCode(), 3);
        QCOMPARE(second.readAll().trimmed(), QByteArray("busy"));

        // This process is another one too.
        SingleInstance here;
        QVERIFY(!here.tryLock());
        QVERIFY(here.heldByAnother());
        QCOMPARE(first.state(), QProcess::Running);

        // A killed holder leaves its lock file behind; the next start takes it over.
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QVERIFY(QFile::exists(SingleInstance::defaultLockPath()));
        QProcess third;
        startHelper(third);
        QVERIFY(third.waitForReadyRead(10000));
        QCOMPARE(third.readAll().trimmed(), QByteArray("locked"));
        third.kill();
        QVERIFY(third.waitForFinished(5000));
    }

    // The program itself: a second start ends at once, a start after a killed one runs. Only the
    // start that holds the lock removes what an earlier session left. A second start that comes as
    // soon as the lock is taken, before the window listens, still hands its file over.
    void programStartsOnce()
    {
        const QString program = TestMedia::programFolder() + u"/tunoxa"_qs;
        const QString lock = SingleInstance::defaultLockPath();
        QFile::remove(lock);
        QVERIFY(QDir().mkpath(AppDirs::tmpFolder()));
        touch(AppDirs::probeWavPath());
        touch(AppDirs::intermediatePath());
        QProcess first;
        startHelper(first, program);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);
        QTRY_VERIFY(!QFile::exists(AppDirs::probeWavPath()) && !QFile::exists(AppDirs::intermediatePath()));
        touch(AppDirs::probeWavPath()); // as the first one's run writes it

        const QString song = m_cache.filePath(u"song.flac"_qs);
        touch(song);
        QProcess second;
        QElapsedTimer clock;
        clock.start();
        startHelper(second, program, {}, {song});
        QVERIFY(second.waitForFinished(10000));
        QVERIFY2(clock.elapsed() < 5000, QByteArray::number(clock.elapsed()));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(QFile::exists(AppDirs::probeWavPath()));

        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QProcess third;
        startHelper(third, program);
        // Still running after a second: it took the lock over instead of ending.
        QVERIFY(!third.waitForFinished(1500));
        QCOMPARE(third.state(), QProcess::Running);
        third.kill();
        QVERIFY(third.waitForFinished(5000));
    }

    // A work folder in a link's place: the program does not end silently with status 0 (its message
    // box may keep it open) and writes nothing through the link.
    void programRefusesALinkedWorkFolder()
    {
        QTemporaryDir cache;
        const QString elsewhere = cache.filePath(u"elsewhere"_qs);
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(QFile::link(elsewhere, cache.filePath(u"tunoxa"_qs)));
        QProcess program;
        startHelper(program, TestMedia::programFolder() + u"/tunoxa"_qs, cache.path());
        if (program.waitForFinished(3000)) {
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QVERIFY(program.exitCode() != 0);
        } else {
            program.kill();
            QVERIFY(program.waitForFinished(5000));
        }
        QVERIFY(QDir(elsewhere).isEmpty());
    }

    // A first start needs a window system; without one it says so in one line, in the interface's
    // language, and ends with 1, leaving the lock to the next start.
    void firstStartWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("line");
        const QString chinese = u"tunoxa: 没有可用的图形显示 (DISPLAY)\n"_qs;
        const QString english = u"tunoxa: No graphical display available (DISPLAY)\n"_qs;
        QTest::newRow("X11 named, no DISPLAY")
            << QStringList{u"QT_QPA_PLATFORM=xcb"_qs, u"DISPLAY"_qs, u"WAYLAND_DISPLAY"_qs} << chinese;
        QTest::newRow("Qt's own choice, no display at all")
            << QStringList{u"QT_QPA_PLATFORM"_qs, u"DISPLAY"_qs, u"WAYLAND_DISPLAY"_qs,
                           u"XDG_SESSION_TYPE"_qs}
            << chinese;
        QTest::newRow("a window system Qt cannot load")
            << QStringList{u"QT_QPA_PLATFORM=nosuchsystem"_qs} << chinese;
        QTest::newRow("no DISPLAY, in English")
            << QStringList{u"QT_QPA_PLATFORM=xcb"_qs, u"DISPLAY"_qs, u"WAYLAND_DISPLAY"_qs, u"LANGUAGE=en"_qs}
            << english;
        QTest::newRow("a window system Qt cannot load, in English")
            << QStringList{u"QT_QPA_PLATFORM=nosuchsystem"_qs, u"LANGUAGE=en"_qs} << english;
    }
    void firstStartWithoutADisplay()
    {
        QFETCH(QStringList, environment);
        QFETCH(QString, line);
        QTemporaryDir cache;
        QProcess program;
        startHelper(program, TestMedia::programFolder() + u"/tunoxa"_qs, cache.path(), {}, environment);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QString errors = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(errors.endsWith(line), qPrintable(errors));
        SingleInstance next(cache.filePath(u"tunoxa/"_qs + SingleInstance::lockFileName()));
        QVERIFY(next.tryLock());
    }

    // The window ended from outside in the middle of a conversion. Asked to end (a logout, `kill`,
    // Ctrl-C, a lost terminal) it ends as Exit does; killed outright, at least no tool of it runs on.
    void windowEndedMidEncode_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("asExit");
        QTest::newRow("SIGTERM") << int(SIGTERM) << true;
        QTest::newRow("SIGHUP") << int(SIGHUP) << true;
        QTest::newRow("SIGINT") << int(SIGINT) << true;
        QTest::newRow("SIGKILL") << int(SIGKILL) << false;
    }
    void windowEndedMidEncode()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, asExit);
        // A program folder of its own: its setup.ini (as shipped, converting to MP3 into output/) and
        // output/ are the test's.
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"program"_qs);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(startClickerPath(), folder + u"/tunoxa"_qs));
        QVERIFY(SetupFile::write(folder + u"/setup.ini"_qs, SetupState{13, 0, 1, QString(), 8}));
        QVERIFY(QFile::link(TestMedia::programFolder() + u"/data"_qs, folder + u"/data"_qs));
        const QString input = dir.filePath(u"long.flac"_qs);
        QVERIFY(TestMedia::makeFlac(input, 300));
        QTemporaryDir cache;
        const QString work = cache.filePath(u"tunoxa"_qs);
        const QString output = folder + u"/output"_qs;

        const auto leftovers = qScopeGuard([&] { RunningProcesses::signal(dir.path(), SIGKILL); });
        QProcess window;
        startHelper(window, folder + u"/tunoxa"_qs, cache.path(), {input});
        QTRY_VERIFY_WITH_TIMEOUT(
            !filesIn(output).isEmpty() && QFileInfo(output + u'/' + filesIn(output)[0]).size() > 0, 60000);
        // The encoder is paused first: a tool that prints nothing for a while would not notice that its
        // reader is gone, and must end all the same.
        RunningProcesses::signal(input, SIGSTOP, window.processId());
        ::kill(pid_t(window.processId()), signalNumber);
        QVERIFY(window.waitForFinished(30000));

        QTRY_COMPARE(RunningProcesses::naming(dir.path()), QStringList());
        if (!asExit)
            return;
        QCOMPARE(window.exitStatus(), QProcess::NormalExit);
        QCOMPARE(window.exitCode(), 0);
        QCOMPARE(filesIn(output), QStringList());
        // No intermediate is left, and the lock and the handoff socket are gone.
        QCOMPARE(filesIn(work) + filesIn(work + u"/tmp"_qs), QStringList());
        // setup.ini was written: it holds the folder the run wrote into the output box.
        QCOMPARE(SetupFile::read(folder + u"/setup.ini"_qs).outputFolder, output + u'/');
    }

    void lockIsKeptAndReleased()
    {
        const QString path = m_cache.filePath(u"own.lock"_qs);
        {
            SingleInstance one(path);
            QVERIFY(one.tryLock());
            QVERIFY(one.tryLock()); // asking again keeps it
            SingleInstance two(path);
            QVERIFY(!two.tryLock());
            QVERIFY(two.heldByAnother());
        }
        SingleInstance after(path);
        QVERIFY(after.tryLock());
        // No lock file can be made in a missing folder: that is no other start.
        SingleInstance nowhere(m_cache.filePath(u"missing/own.lock"_qs));
        QVERIFY(!nowhere.tryLock());
        QVERIFY(!nowhere.heldByAnother());
    }

    // A lock file left behind is taken over unless its owner may still be running.
    void leftLockFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("ageSeconds");
        QTest::addColumn<bool>("takenOver");
        QProcess ended;
        ended.start(u"true"_qs, {});
        QVERIFY(ended.waitForStarted());
        const QByteArray deadPid = QByteArray::number(ended.processId());
        QVERIFY(ended.waitForFinished());
        const QByteArray ownPid = QByteArray::number(QCoreApplication::applicationPid());
        QTest::newRow("dead owner") << deadPid + "\ntunoxa\n\n" << 0 << true;
        QTest::newRow("running owner, hours old")
            << ownPid + '\n' + QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + "\n\n"
            << 3600 * 5 << false;
        QTest::newRow("emptied by a power cut") << QByteArray() << 60 << true;
        QTest::newRow("names no owner") << QByteArray("garbage") << 60 << true;
        QTest::newRow("being written by a start") << QByteArray() << 0 << false;
    }
    void leftLockFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, ageSeconds);
        QFETCH(bool, takenOver);
        const QString path = m_cache.filePath(u"left.lock"_qs);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
            file.flush();
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                     QFileDevice::FileModificationTime));
        }
        {
            SingleInstance instance(path);
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(instance.tryLock(), takenOver);
            QCOMPARE(instance.heldByAnother(), !takenOver);
            QVERIFY(clock.elapsed() < 1000);
            QVERIFY(QFile::exists(path));
            if (!takenOver)
                QCOMPARE(fileContent(path), content);
        }
        QFile::remove(path);
    }

    // Shutdown, and a start that holds the lock, remove every file a stage left in the work folder
    // and its "tmp" folder, never the lock; a file that cannot go is tried once.
    void leftoversRemoved_data()
    {
        QTest::addColumn<QStringList>("left"); // in the work folder; a trailing "/" makes a folder
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<bool>("allGone");
        const QStringList intermediates{u"tmp.wav"_qs, u"tmp/tmp.mp4"_qs, u"tmp-2.wav"_qs,
                                        u"tmp/tmp-2.mp4"_qs, u".hidden"_qs};
        const QStringList lock{u"instance.lock"_qs, u"instance.lock.rmlock"_qs};
        QTest::newRow("intermediates") << intermediates << QStringList{} << true;
        QTest::newRow("lock stays") << intermediates + lock << lock << true;
        QTest::newRow("a folder holds the wav's name")
            << QStringList{u"tmp.wav/held"_qs, u"tmp/tmp.mp4"_qs} << QStringList{u"tmp.wav/held"_qs} << false;
        QTest::newRow("a folder holds the mp4's name") << QStringList{u"tmp.wav"_qs, u"tmp/tmp.mp4/held"_qs}
                                                       << QStringList{u"tmp/tmp.mp4/held"_qs} << false;
        QTest::newRow("nothing left") << QStringList{} << QStringList{} << true;
    }
    void leftoversRemoved()
    {
        QFETCH(QStringList, left);
        QFETCH(QStringList, kept);
        QFETCH(bool, allGone);
        const QString work = AppDirs::workFolder();
        QDir(AppDirs::tmpFolder()).removeRecursively();
        QVERIFY(QDir().mkpath(AppDirs::tmpFolder()));
        for (const QString &name : left) {
            QVERIFY(QDir().mkpath(QFileInfo(work + u'/' + name).path()));
            touch(work + u'/' + name);
        }
        int eventsRun = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++eventsRun; });
        ticker.start(0);

        QCOMPARE(Shutdown::removeLeftovers(), allGone);
        QCOMPARE(eventsRun, 0);
        for (const QString &name : left)
            QCOMPARE(QFileInfo::exists(work + u'/' + name), kept.contains(name));
        for (const QString &name : kept)
            QFile::remove(work + u'/' + name);
        QDir(AppDirs::tmpFolder()).removeRecursively();
        QDir(AppDirs::probeWavPath()).removeRecursively();
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
