#include "shell/appdirs.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestAppDirs : public QObject
{
    Q_OBJECT

private slots:
    void workFolderIsPrivateAndUnderCache_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("cache"); // under the test's home folder
        QTest::newRow("set") << QStringLiteral("@/a b/c") << QStringLiteral("/a b/c");
        QTest::newRow("not set") << QString() << QStringLiteral("/.cache");
        QTest::newRow("relative, ignored") << QStringLiteral("cache") << QStringLiteral("/.cache");
    }
    void workFolderIsPrivateAndUnderCache()
    {
        QFETCH(QString, setting);
        QFETCH(QString, cache);
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CACHE_HOME", QString(setting).replace(QLatin1Char('@'), home.path()).toUtf8());
        const QString work = AppDirs::workFolder();
        QCOMPARE(work, home.path() + cache + QStringLiteral("/tunoxa"));
        const QFileInfo info(work);
        QVERIFY(info.isDir());
        QCOMPARE(info.permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        QCOMPARE(AppDirs::intermediatePath(), work + QStringLiteral("/tmp/tmp.mp4"));
        QCOMPARE(AppDirs::probeWavPath(), work + QStringLiteral("/tmp.wav"));
    }
};

QTEST_GUILESS_MAIN(TestAppDirs)
#include "tst_appdirs.moc"
