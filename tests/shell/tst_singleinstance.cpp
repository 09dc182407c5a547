#include "common/testmedia.h"
#include "shell/appdirs.h"
#include "shell/shutdown.h"
#include "shell/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

QString helperPath()
{
    return QCoreApplication::applicationDirPath() + u"/tunoxa_instancehelper"_qs;
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_cache;

    void startHelper(QProcess &process, const QString &program = helperPath())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CACHE_HOME"_qs, m_cache.path());
        environment.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
        process.setProcessEnvironment(environment);
        process.start(program);
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

    // The program itself: a second start ends at once, a start after a killed one runs.
    void programStartsOnce()
    {
        const QString program = TestMedia::programFolder() + u"/tunoxa"_qs;
        const QString lock = SingleInstance::defaultLockPath();
        QFile::remove(lock);
        QProcess first;
        startHelper(first, program);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);

        QProcess second;
        QElapsedTimer clock;
        clock.start();
        startHelper(second, program);
        QVERIFY(second.waitForFinished(10000));
        QVERIFY2(clock.elapsed() < 5000, QByteArray::number(clock.elapsed()));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

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

    void lockIsKeptAndReleased()
    {
        const QString path = m_cache.filePath(u"own.lock"_qs);
        {
            SingleInstance one(path);
            QVERIFY(one.tryLock());
            QVERIFY(one.tryLock()); // asking again keeps it
            SingleInstance two(path);
            QVERIFY(!two.tryLock());
        }
        SingleInstance after(path);
        QVERIFY(after.tryLock());
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
            QVERIFY(clock.elapsed() < 1000);
            QVERIFY(QFile::exists(path));
            if (!takenOver)
                QCOMPARE(fileContent(path), content);
        }
        QFile::remove(path);
    }

    // Shutdown removes the two leftovers and never hangs on one it cannot remove.
    void leftoversRemoved_data()
    {
        QTest::addColumn<bool>("wavStuck");
        QTest::addColumn<bool>("mp3Stuck");
        QTest::newRow("both removable") << false << false;
        QTest::newRow("wav cannot go") << true << false;
        QTest::newRow("mp3 cannot go") << false << true;
    }
    void leftoversRemoved()
    {
        QFETCH(bool, wavStuck);
        QFETCH(bool, mp3Stuck);
        QVERIFY(QDir().mkpath(AppDirs::tmpFolder()));
        // A folder under the file's name cannot be removed as a file, even by root.
        auto place = [](const QString &path, bool stuck) {
            if (stuck)
                QDir().mkpath(path + u"/held"_qs);
            else
                touch(path);
        };
        place(AppDirs::tmpWavLeftover(), wavStuck);
        place(AppDirs::tmpMp3Leftover(), mp3Stuck);
        const QString otherTemporary = AppDirs::intermediatePath();
        touch(otherTemporary);
        int eventsRun = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++eventsRun; });
        ticker.start(0);

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Shutdown::removeLeftovers(), !wavStuck && !mp3Stuck);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(eventsRun > 0);
        QCOMPARE(QFileInfo::exists(AppDirs::tmpWavLeftover()), wavStuck);
        QCOMPARE(QFileInfo::exists(AppDirs::tmpMp3Leftover()), mp3Stuck);
        QVERIFY(QFile::exists(otherTemporary));
        QDir(AppDirs::tmpFolder()).removeRecursively();
    }

    void noLeftovers()
    {
        QDir(AppDirs::tmpFolder()).removeRecursively();
        QVERIFY(Shutdown::removeLeftovers());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
