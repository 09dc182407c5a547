#include "common/testfiles.h"
#include "filelist/filesearch.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using TestFiles::touch;

using namespace Qt::StringLiterals;

namespace {

// The paths a search of folder reports, joined, in their order; {"unfinished"} when it never ends.
QList<QByteArray> scanned(const QByteArray &folder)
{
    FileSearch::FolderScan scan;
    QList<QByteArray> found;
    QObject::connect(&scan, &FileSearch::FolderScan::filesFound,
                     [&](const QList<QByteArray> &paths) { found += paths; });
    QSignalSpy finished(&scan, &FileSearch::FolderScan::finished);
    scan.start(folder);
    if (finished.isEmpty() && !finished.wait(60000))
        return {"unfinished"};
    if (finished.size() != 1 || scan.isRunning())
        return {"finished more than once or still running"};
    return found;
}

QStringList search(const QString &folder)
{
    QStringList found;
    for (const QByteArray &path : scanned(QFile::encodeName(folder)))
        found.append(QFile::decodeName(path));
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
        QCOMPARE(FileSearch::trimTrailingNulsAndBlanks(in), out);
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
        QCOMPARE(search(root.filePath(relative)), QStringList());
    }

    // Names in a folder come in name order, letter case ignored, ties broken by the bytes; a folder's
    // own files come before its subfolders, which are searched depth-first. A name ending in "/" is
    // an empty folder.
    void searchOrder_data()
    {
        QTest::addColumn<QStringList>("made");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("own files first, then subfolders")
            << QStringList{u"a.flac"_s, u"b.mp3"_s, u"sub/c.FLAC"_s}
            << QStringList{u"a.flac"_s, u"sub/c.FLAC"_s};
        QTest::newRow("case ignored, bytes break ties")
            << QStringList{u"b.flac"_s, u"b.FLAC"_s, u"a.flac"_s, u"B.flac"_s}
            << QStringList{u"a.flac"_s, u"B.flac"_s, u"b.FLAC"_s, u"b.flac"_s};
        QTest::newRow("numbers compare as text")
            << QStringList{u"track 2.flac"_s, u"Track 10.flac"_s, u"track 1.flac"_s}
            << QStringList{u"track 1.flac"_s, u"Track 10.flac"_s, u"track 2.flac"_s};
        QTest::newRow("album tracks")
            << QStringList{u"10 Ten.flac"_s, u"02 Two.flac"_s, u"01 One.FLAC"_s, u"cover.jpg"_s}
            << QStringList{u"01 One.FLAC"_s, u"02 Two.flac"_s, u"10 Ten.flac"_s};
        QTest::newRow("depth first, files before folders")
            << QStringList{u"z.flac"_s, u"B/w.flac"_s,   u"a/b/x.flac"_s,      u"a/y.flac"_s,
                           u"a.flac"_s, u"a/B/v.flac"_s, u"c/deeper/h.flac"_s, u"m.flac"_s}
            << QStringList{u"a.flac"_s,     u"m.flac"_s,     u"z.flac"_s,   u"a/y.flac"_s,
                           u"a/B/v.flac"_s, u"a/b/x.flac"_s, u"B/w.flac"_s, u"c/deeper/h.flac"_s};
        QTest::newRow("folder named like a FLAC file is searched, not added")
            << QStringList{u"x.flac/y.flac"_s, u"empty.FLAC/"_s} << QStringList{u"x.flac/y.flac"_s};
    }
    void searchOrder()
    {
        QFETCH(QStringList, made);
        QFETCH(QStringList, found);
        QTemporaryDir root;
        for (const QString &name : made) {
            if (name.endsWith(QLatin1Char('/')))
                QVERIFY(QDir(root.path()).mkpath(name));
            else
                touch(root.filePath(name));
        }
        QStringList expected;
        for (const QString &name : found)
            expected.append(root.path() + QLatin1Char('/') + name);
        QCOMPARE(search(root.path()), expected);
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

    // No limit on subfolders, at any depth.
    void everySubfolderIsSearched_data()
    {
        QTest::addColumn<int>("parents");
        QTest::addColumn<int>("children");
        QTest::newRow("260 in one folder") << 1 << 260;
        QTest::newRow("201 in each of three") << 3 << 201;
    }
    void everySubfolderIsSearched()
    {
        QFETCH(int, parents);
        QFETCH(int, children);
        QTemporaryDir root;
        QStringList expected;
        for (int p = 0; p < parents; ++p) {
            for (int c = 0; c < children; ++c) {
                // Alternating letter case, which the order ignores.
                const QString path = root.path() + QStringLiteral("/p%1/%2%3/a.flac")
                                                       .arg(p)
                                                       .arg(c % 2 ? u"D"_s : u"d"_s)
                                                       .arg(c, 3, 10, QLatin1Char('0'));
                touch(path);
                expected.append(path);
            }
        }
        QCOMPARE(search(parents == 1 ? root.path() + u"/p0"_s : root.path()), expected);
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
        QCOMPARE(scanned(top), QList<QByteArray>{file});
    }
};

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_filesearch.moc"
