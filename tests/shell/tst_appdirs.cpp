#include "shell/appdirs.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestAppDirs : public QObject
{
    Q_OBJECT

private slots:
    void workFolderIsPrivateAndUnderCache()
    {
        QTemporaryDir cache;
        const QString nested = cache.path() + QStringLiteral("/a b/c");
        qputenv("XDG_CACHE_HOME", nested.toUtf8());
        const QString work = AppDirs::workFolder();
        QCOMPARE(work, nested + QStringLiteral("/tunoxa"));
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
