#include "platform/appdirs.h"
#include "platform/shutdown.h"
#include "platform/singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Mode bits as the file system holds them, for a folder itself (not what a link points at).
int modeOf(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

class TestAppDirs : public QObject
{
    Q_OBJECT

private slots:
    // What stands in the work folder's place decides whether it is used; a refused place is left
    // exactly as it was, and nothing is written through it.
    void workFolderIsPrivateAndUnderCache_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("cache");  // under the test's home folder
        QTest::addColumn<QString>("placed"); // what stands at cache + "/tunoxa" beforehand
        QTest::addColumn<bool>("usable");
        QTest::newRow("set") << QStringLiteral("@/a b/c") << QStringLiteral("/a b/c") << QString() << true;
        QTest::newRow("not set") << QString() << QStringLiteral("/.cache") << QString() << true;
        QTest::newRow("relative, ignored")
            << QStringLiteral("cache") << QStringLiteral("/.cache") << QString() << true;
        QTest::newRow("relative, beginning with a colon, ignored")
            << QStringLiteral(":cache") << QStringLiteral("/.cache") << QString() << true;
        QTest::newRow("own folder, open to all")
            << QString() << QStringLiteral("/.cache") << QStringLiteral("folder") << true;
        QTest::newRow("cache folder is a link") << QStringLiteral("@/linked") << QStringLiteral("/linked")
                                                << QStringLiteral("cache link") << true;
        QTest::newRow("link to a folder")
            << QString() << QStringLiteral("/.cache") << QStringLiteral("link") << false;
        QTest::newRow("dangling link")
            << QString() << QStringLiteral("/.cache") << QStringLiteral("dangling link") << false;
        QTest::newRow("another user's folder")
            << QString() << QStringLiteral("/.cache") << QStringLiteral("foreign") << false;
        QTest::newRow("a file") << QString() << QStringLiteral("/.cache") << QStringLiteral("file") << false;
        QTest::newRow("cannot be created")
            << QStringLiteral("@/file/c") << QStringLiteral("/file/c") << QStringLiteral("blocked") << false;
    }
    void workFolderIsPrivateAndUnderCache()
    {
        QFETCH(QString, setting);
        QFETCH(QString, cache);
        QFETCH(QString, placed);
        QFETCH(bool, usable);
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CACHE_HOME", QString(setting).replace(QLatin1Char('@'), home.path()).toUtf8());
        const QString work = home.path() + cache + QStringLiteral("/tunoxa");
        QCOMPARE(AppDirs::workFolderPath(), work);
        // Somewhere a link could point to: a folder open to all, with a file a cleanup would delete.
        const QString elsewhere = home.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(::chmod(QFile::encodeName(elsewhere).constData(), 0755) == 0);
        QFile(elsewhere + QStringLiteral("/tmp.wav")).open(QIODevice::WriteOnly);
        if (placed == QStringLiteral("blocked")) {
            QFile(home.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
        } else if (placed == QStringLiteral("cache link")) {
            QVERIFY(QFile::link(elsewhere, home.path() + cache));
        } else if (!placed.isEmpty()) {
            QVERIFY(QDir().mkpath(home.path() + cache));
            if (placed == QStringLiteral("link"))
                QVERIFY(QFile::link(elsewhere, work));
            else if (placed == QStringLiteral("dangling link"))
                QVERIFY(QFile::link(home.filePath(QStringLiteral("nowhere")), work));
            else if (placed == QStringLiteral("file"))
                QFile(work).open(QIODevice::WriteOnly);
            else
                QVERIFY(QDir().mkdir(work) && ::chmod(QFile::encodeName(work).constData(), 0755) == 0);
            if (placed == QStringLiteral("foreign") &&
                ::chown(QFile::encodeName(work).constData(), 65534, 65534) != 0)
                QSKIP("Only the administrator can give a folder to another user");
        }

        const std::optional<QString> prepared = AppDirs::preparedWorkFolder();
        QCOMPARE(prepared.has_value(), usable);
        if (usable) {
            QCOMPARE(*prepared, work);
            QCOMPARE(AppDirs::workFolder(), work);
            QVERIFY(QFileInfo(work).isDir());
            QCOMPARE(modeOf(work), 0700);
            QCOMPARE(AppDirs::intermediatePath(), work + QStringLiteral("/tmp/tmp.mp4"));
            QCOMPARE(AppDirs::probeWavPath(), work + QStringLiteral("/tmp.wav"));
            return;
        }
        QCOMPARE(AppDirs::workFolder(), QString());
        QCOMPARE(AppDirs::tmpFolder(), QString());
        QCOMPARE(AppDirs::intermediatePath(), QString());
        QCOMPARE(AppDirs::probeWavPath(), QString());
        QCOMPARE(SingleInstance::defaultLockPath(), QString());
        SingleInstance instance;
        QVERIFY(!instance.tryLock());
        QVERIFY(!instance.heldByAnother());
        QVERIFY(!Shutdown::removeLeftovers());
        QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("tmp.wav")});
        QCOMPARE(modeOf(elsewhere), 0755);
        if (placed == QStringLiteral("foreign")) {
            QCOMPARE(modeOf(work), 0755);
            QVERIFY(QDir(work).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestAppDirs)
#include "tst_appdirs.moc"
