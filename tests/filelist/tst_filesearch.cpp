#include "filelist/filesearch.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

// The names of a folder's entries in the order the file system lists them.
QStringList listingOrder(const QString &folder, QDir::Filters filters)
{
    QStringList names;
    QDirIterator it(folder, filters | QDir::NoDotAndDotDot | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    return names;
}

QStringList search(const QString &folder)
{
    QStringList found;
    FileSearch::SearchFolder(folder, found);
    return found;
}

} // namespace

class TestFileSearch : public QObject
{
    Q_OBJECT

    // Permissions do not stop root, so as root the test function runs again as an ordinary user.
    void runAsNobody(const QString &testFunction)
    {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("running as root without setpriv to drop the privileges");
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), QStringLiteral("/tmp"));
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(QStringLiteral("/tmp"));
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                              QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                              testFunction});
        QVERIFY(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestFileSearch::" + testFunction.toLatin1()), output.constData());
    }

private slots:
    void trimTrailingNulls_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        const QString nul(QChar(0));
        QTest::newRow("plain") << QStringLiteral("a.flac") << QStringLiteral("a.flac");
        QTest::newRow("nuls") << QStringLiteral("a.flac") + nul + nul + nul << QStringLiteral("a.flac");
        QTest::newRow("mixed tail") << QStringLiteral("a.flac ") + nul + QStringLiteral(" ") + nul
                                    << QStringLiteral("a.flac");
        QTest::newRow("inner kept") << QStringLiteral(" a") + nul + QStringLiteral("b ")
                                    << QStringLiteral(" a") + nul + QStringLiteral("b");
        QTest::newRow("all blank") << QStringLiteral("  ") + nul + nul << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void trimTrailingNulls()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(FileSearch::TrimTrailingNulls(in), out);
    }

    void emptyAndMissingFoldersAddNothing_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("empty folder") << QStringLiteral("empty");
        QTest::newRow("nonexistent") << QStringLiteral("missing");
        QTest::newRow("a file, not a folder") << QStringLiteral("file.flac");
    }
    void emptyAndMissingFoldersAddNothing()
    {
        QFETCH(QString, relative);
        QTemporaryDir root;
        QDir(root.path()).mkdir(QStringLiteral("empty"));
        touch(root.filePath(QStringLiteral("file.flac")));
        QStringList found{QStringLiteral("kept")};
        FileSearch::SearchFolder(root.filePath(relative), found);
        QCOMPARE(found, QStringList{QStringLiteral("kept")});
    }

    void ownFilesFirstThenSubfolders()
    {
        QTemporaryDir root;
        const QString top = root.path();
        touch(top + QStringLiteral("/a.flac"));
        touch(top + QStringLiteral("/b.mp3"));
        touch(top + QStringLiteral("/sub/c.FLAC"));
        QCOMPARE(search(top),
                 (QStringList{top + QStringLiteral("/a.flac"), top + QStringLiteral("/sub/c.FLAC")}));
    }

    void depthFirstAndFilesBeforeFolders()
    {
        QTemporaryDir root;
        const QString top = root.path();
        // Many names, so that files and folders interleave in the listing.
        for (int i = 0; i < 20; ++i) {
            touch(top + QStringLiteral("/f%1.flac").arg(i));
            touch(top + QStringLiteral("/d%1/g.flac").arg(i));
            touch(top + QStringLiteral("/d%1/deeper/h.flac").arg(i));
        }
        QStringList expected;
        for (const QString &name : listingOrder(top, QDir::Files))
            expected.append(top + QLatin1Char('/') + name);
        for (const QString &name : listingOrder(top, QDir::Dirs)) {
            expected.append(top + QLatin1Char('/') + name + QStringLiteral("/g.flac"));
            expected.append(top + QLatin1Char('/') + name + QStringLiteral("/deeper/h.flac"));
        }
        QCOMPARE(search(top), expected);
    }

    void onlyTheExtensionDecides_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("lower") << QStringLiteral("x.flac") << true;
        QTest::newRow("upper") << QStringLiteral("X.FLAC") << true;
        QTest::newRow("mixed") << QStringLiteral("x.Flac") << true;
        QTest::newRow("only the extension") << QStringLiteral(".flac") << true;
        QTest::newRow("chinese name") << QStringLiteral("歌曲.flac") << true;
        QTest::newRow("trailing blank") << QStringLiteral("x.flac ") << true;
        QTest::newRow("mp3") << QStringLiteral("x.mp3") << false;
        QTest::newRow("flac in the middle") << QStringLiteral("x.flac.mp3") << false;
        QTest::newRow("no dot") << QStringLiteral("xflac") << false;
        QTest::newRow("fla") << QStringLiteral("x.fla") << false;
    }
    void onlyTheExtensionDecides()
    {
        QFETCH(QString, name);
        QFETCH(bool, matches);
        QTemporaryDir root;
        const QString path = root.path() + QLatin1Char('/') + name;
        touch(path);
        const QStringList found = search(root.path());
        QCOMPARE(found, matches ? QStringList{path} : QStringList());
        if (matches)
            QVERIFY(QFileInfo::exists(found.constFirst())); // the path names the real file
    }

    void folderNamedLikeAFlacIsSearchedNotAdded()
    {
        QTemporaryDir root;
        touch(root.path() + QStringLiteral("/x.flac/y.flac"));
        QDir(root.path()).mkpath(QStringLiteral("empty.FLAC"));
        QCOMPARE(search(root.path()), QStringList{root.path() + QStringLiteral("/x.flac/y.flac")});
    }

    void onlyTheFirst200SubfoldersAreSearched()
    {
        QTemporaryDir root;
        for (int i = 0; i < 250; ++i)
            touch(root.path() + QStringLiteral("/d%1/a.flac").arg(i));
        touch(root.path() + QStringLiteral("/own.flac"));
        const QStringList folders = listingOrder(root.path(), QDir::Dirs);
        QCOMPARE(folders.size(), 250);
        QStringList expected{root.path() + QStringLiteral("/own.flac")};
        for (int i = 0; i < FileSearch::MaxSubfolders; ++i)
            expected.append(root.path() + QLatin1Char('/') + folders.at(i) + QStringLiteral("/a.flac"));
        QCOMPARE(search(root.path()), expected);
    }

    void theLimitIsPerFolder()
    {
        QTemporaryDir root;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 201; ++j)
                touch(root.path() + QStringLiteral("/p%1/c%2/a.flac").arg(i).arg(j));
        QCOMPARE(search(root.path()).size(), 3 * 200);
    }

    void unreadableFolderAddsNothingAndTheRestGoesOn()
    {
        if (::geteuid() == 0) {
            runAsNobody(QStringLiteral("unreadableFolderAddsNothingAndTheRestGoesOn"));
            return;
        }
        QTemporaryDir root;
        touch(root.path() + QStringLiteral("/locked/in.flac"));
        touch(root.path() + QStringLiteral("/open/out.flac"));
        const QByteArray locked = QFile::encodeName(root.path() + QStringLiteral("/locked"));
        QCOMPARE(::chmod(locked.constData(), 0), 0);
        const QStringList found = search(root.path());
        ::chmod(locked.constData(), 0700);
        QCOMPARE(found, QStringList{root.path() + QStringLiteral("/open/out.flac")});
    }

    void symlinkLoopsEnd_data()
    {
        QTest::addColumn<QString>("linkAt");
        QTest::addColumn<QString>("target");
        QTest::newRow("back to the top") << QStringLiteral("a/b/up") << QStringLiteral("../..");
        QTest::newRow("to itself") << QStringLiteral("a/self") << QStringLiteral(".");
        QTest::newRow("absolute to the parent") << QStringLiteral("a/b/top") << QStringLiteral("@");
    }
    void symlinkLoopsEnd()
    {
        QFETCH(QString, linkAt);
        QFETCH(QString, target);
        QTemporaryDir root;
        const QString top = root.path();
        touch(top + QStringLiteral("/a/one.flac"));
        touch(top + QStringLiteral("/a/b/two.flac"));
        const QString linkTarget = target == QStringLiteral("@") ? top + QStringLiteral("/a") : target;
        QVERIFY(QFile::link(linkTarget, top + QLatin1Char('/') + linkAt));
        const QStringList found = search(top);
        QCOMPARE(found,
                 (QStringList{top + QStringLiteral("/a/one.flac"), top + QStringLiteral("/a/b/two.flac")}));
    }

    void linkedFolderOutsideTheTreeIsSearched()
    {
        QTemporaryDir root;
        QTemporaryDir elsewhere;
        touch(elsewhere.path() + QStringLiteral("/there.flac"));
        QVERIFY(QFile::link(elsewhere.path(), root.path() + QStringLiteral("/link")));
        QCOMPARE(search(root.path()), QStringList{root.path() + QStringLiteral("/link/there.flac")});
    }

    void nonUtf8NamesKeepTheirBytes()
    {
        QTemporaryDir root;
        const QByteArray top = QFile::encodeName(root.path());
        const QByteArray folder = top + "/d\xe9j\xe0";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        const QByteArray file = folder + "/\xb8\xe8.flac";
        FILE *f = ::fopen(file.constData(), "w");
        QVERIFY(f);
        ::fclose(f);
        QList<QByteArray> found;
        FileSearch::SearchFolder(top, found);
        QCOMPARE(found, QList<QByteArray>{file});
    }
};

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_filesearch.moc"
