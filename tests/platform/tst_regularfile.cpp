// The steps in which file systems keep modification times, from the type statfs names them by; files
// below a trusted folder, moved and deleted without following a link.

#include "common/testfiles.h"
#include "platform/regularfile.h"
#include "platform/trustedtree.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <sys/vfs.h>

using namespace Qt::StringLiterals;

class TestRegularFile : public QObject
{
    Q_OBJECT

private slots:
    void timeGranularity_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<qint64>("ns");
        const qint64 twoSeconds = 2'000'000'000;
        QTest::newRow("vfat") << quint32(0x4d44) << twoSeconds;
        QTest::newRow("exFAT") << quint32(0x2011BAB0) << qint64(10'000'000);
        QTest::newRow("FUSE") << quint32(0x65735546) << twoSeconds;
        QTest::newRow("ext4") << quint32(0xEF53) << qint64(1);
        QTest::newRow("SMB2") << quint32(0xFE534D42) << qint64(100);
        QTest::newRow("unknown") << quint32(0x12345678) << twoSeconds;
    }
    void timeGranularity()
    {
        QFETCH(quint32, type);
        QTEST(RegularFile::timeGranularityNs(type), "ns");
    }

    // A file looked up through its kept folder, or by its whole path, has its file system's steps.
    void readerAsksItsFileSystem()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.mp3"_s);
        QVERIFY(TestFiles::writeFile(path, "a"));
        struct statfs status = {};
        QCOMPARE(::statfs(QFile::encodeName(dir.path()).constData(), &status), 0);
        const qint64 expected = RegularFile::timeGranularityNs(quint32(status.f_type));
        RegularFile::Folder folder;
        const RegularFile::Reader through(path, RegularFile::Reader::Links::Follow, &folder);
        QCOMPARE(through.timeGranularityNs(), expected);
        QCOMPARE(RegularFile::Reader(path).timeGranularityNs(), expected);
    }

    // Paths below a temporary folder, the trusted one being "root". The layout's lines: "file F",
    // "dir D", "link L T" (a link to T). The operation's result: "ok", the error number's name, or
    // for linkOnTheWay the link it names. A link on the way is no folder to the walk (ENOTDIR).
    void trustedTree_data()
    {
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("there"); // afterwards
        QTest::addColumn<QStringList>("gone");
        const QString file = u"file root/a/f"_s;
        const QString aside = u"file other/f"_s;
        const QString linkOnWay = u"link root/b other"_s;
        QTest::newRow("remove") << QStringList{file} << u"remove root/a/f"_s << u"ok"_s
                                << QStringList{u"root/a"_s} << QStringList{u"root/a/f"_s};
        QTest::newRow("remove through a link on the way")
            << QStringList{aside, linkOnWay} << u"remove root/b/f"_s << u"ENOTDIR"_s
            << QStringList{u"other/f"_s} << QStringList();
        QTest::newRow("remove a link in the file's place")
            << QStringList{aside, u"link root/f other/f"_s} << u"remove root/f"_s << u"ELOOP"_s
            << QStringList{u"root/f"_s, u"other/f"_s} << QStringList();
        QTest::newRow("rename") << QStringList{file, u"dir root/c"_s} << u"rename root/a/f root/c/g"_s
                                << u"ok"_s << QStringList{u"root/c/g"_s} << QStringList{u"root/a/f"_s};
        QTest::newRow("rename over a file")
            << QStringList{file, u"file root/g"_s} << u"rename root/a/f root/g"_s << u"EEXIST"_s
            << QStringList{u"root/a/f"_s, u"root/g"_s} << QStringList();
        QTest::newRow("rename from below a link")
            << QStringList{aside, linkOnWay} << u"rename root/b/f root/g"_s << u"ENOTDIR"_s
            << QStringList{u"other/f"_s} << QStringList{u"root/g"_s};
        QTest::newRow("rename to below a link")
            << QStringList{file, linkOnWay} << u"rename root/a/f root/b/g"_s << u"ENOTDIR"_s
            << QStringList{u"root/a/f"_s} << QStringList{u"other/g"_s};
        QTest::newRow("rename a link")
            << QStringList{aside, u"link root/f other/f"_s} << u"rename root/f root/g"_s << u"ELOOP"_s
            << QStringList{u"root/f"_s} << QStringList{u"root/g"_s};
        QTest::newRow("rename out of the root")
            << QStringList{file, u"dir other"_s} << u"rename root/a/f root/../other/g"_s << u"EXDEV"_s
            << QStringList{u"root/a/f"_s} << QStringList{u"other/g"_s};
        QTest::newRow("first link on the way")
            << QStringList{u"dir other/x"_s, linkOnWay, u"link other/x/l other"_s}
            << u"linkOnTheWay root/b/x/l"_s << u"root/b"_s << QStringList() << QStringList();
        QTest::newRow("link at the path") << QStringList{linkOnWay} << u"linkOnTheWay root/b"_s << u"root/b"_s
                                          << QStringList() << QStringList();
        QTest::newRow("no link, a level missing") << QStringList{file} << u"linkOnTheWay root/a/missing/l"_s
                                                  << QString() << QStringList() << QStringList();
        QTest::newRow("empty folders up to the stop")
            << QStringList{u"dir root/s/a/b"_s} << u"removeEmpty root/s/a/b root/s"_s << QString()
            << QStringList{u"root/s"_s} << QStringList{u"root/s/a"_s};
        QTest::newRow("empty folders up to one that is not")
            << QStringList{u"dir root/s/a/b"_s, u"file root/s/a/f"_s} << u"removeEmpty root/s/a/b root/s"_s
            << QString() << QStringList{u"root/s/a/f"_s} << QStringList{u"root/s/a/b"_s};
        QTest::newRow("empty folders below a link")
            << QStringList{u"dir other/e"_s, u"link root/s/l other"_s} << u"removeEmpty root/s/l/e root"_s
            << QString() << QStringList{u"other/e"_s, u"root/s/l"_s} << QStringList();
    }
    void trustedTree()
    {
        QFETCH(QStringList, layout);
        QFETCH(QString, operation);
        QTemporaryDir dir;
        const QString top = dir.path() + u'/';
        QVERIFY(QDir().mkpath(top + u"root"_s));
        for (const QString &line : std::as_const(layout)) {
            const QStringList word = line.split(u' ');
            QVERIFY(QDir().mkpath(QFileInfo(top + word[1]).path()));
            QVERIFY(word[0] == u"dir"    ? QDir().mkpath(top + word[1])
                    : word[0] == u"file" ? TestFiles::writeFile(top + word[1], "x")
                                         : QFile::link(top + word[2], top + word[1]));
        }
        const QStringList op = operation.split(u' ');
        const QString root = top + u"root"_s;
        const QString path = top + op[1];
        errno = 0;
        bool done = true;
        QString result;
        if (op[0] == u"remove")
            done = TrustedTree::removeFile(root, path);
        else if (op[0] == u"rename")
            done = TrustedTree::renameFile(root, path, top + op[2]);
        else if (op[0] == u"linkOnTheWay")
            result = TrustedTree::linkOnTheWay(root, path).mid(top.size());
        else
            TrustedTree::removeEmptyFolders(root, path, top + op[2]);
        if (op[0] == u"remove" || op[0] == u"rename")
            result = done ? u"ok"_s : QString::fromLatin1(strerrorname_np(errno));
        QTEST(result, "result");
        QFETCH(QStringList, there);
        QFETCH(QStringList, gone);
        for (const QString &name : std::as_const(there))
            QVERIFY2(!RegularFile::isGone(QFile::encodeName(top + name)), qPrintable(name));
        for (const QString &name : std::as_const(gone))
            QVERIFY2(RegularFile::isGone(QFile::encodeName(top + name)), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regularfile.moc"
