// Covers made fit for MP3s with the program's own encoder, and the picture an album's folder offers.

#include "common/testfiles.h"
#include "common/testmedia.h"
#include "library/covercache.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestCoverCache : public QObject
{
    Q_OBJECT

private slots:
    void prepare_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("expected"); // "itself", "new" (a baseline JPEG), or empty: none
        QTest::addColumn<QSize>("size");       // of a new JPEG
        QTest::addColumn<bool>("atOnce");      // known from the header alone
        for (const auto &[name, size] : {std::pair{"small.jpg", "64x48"},
                                         {"small.png", "64x48"},
                                         {"large.png", "3000x2000"},
                                         {"tall.jpg", "300x1500"}})
            QVERIFY(TestMedia::makePicture(m_dir.filePath(QLatin1StringView(name)), QLatin1StringView(size)));
        QVERIFY(TestFiles::writeFile(m_dir.filePath(u"broken.png"_s),
                                     "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\0\0\0\0\x30\x08\x02\0\0\0"_ba));
        QVERIFY(TestFiles::writeFile(m_dir.filePath(u"noise.gif"_s), "GIF89a"_ba + QByteArray(200, '\x55')));
        QTest::newRow("baseline JPEG that fits")
            << m_dir.filePath(u"small.jpg"_s) << u"itself"_s << QSize() << true;
        QTest::newRow("PNG that fits") << m_dir.filePath(u"small.png"_s) << u"itself"_s << QSize() << true;
        QTest::newRow("PNG of 3000 px")
            << m_dir.filePath(u"large.png"_s) << u"new"_s << QSize(1000, 667) << false;
        QTest::newRow("JPEG of 1500 px")
            << m_dir.filePath(u"tall.jpg"_s) << u"new"_s << QSize(200, 1000) << false;
        QTest::newRow("broken header") << m_dir.filePath(u"broken.png"_s) << QString() << QSize() << true;
        QTest::newRow("undecodable") << m_dir.filePath(u"noise.gif"_s) << QString() << QSize() << false;
    }
    void prepare()
    {
        QFETCH(QString, image);
        QFETCH(QString, expected);
        QTemporaryDir work;
        QVERIFY(QDir().mkpath(work.filePath(u"tmp"_s)));
        CoverCache cache;
        cache.begin(work.path(), TestMedia::programFolder(), 1000);
        std::optional<QString> told;
        const std::optional<QString> atOnce =
            cache.prepare(image, this, [&told](const QString &p) { told = p; });
        QTEST(atOnce.has_value(), "atOnce");
        if (!atOnce)
            QTRY_VERIFY_WITH_TIMEOUT(told, 60000);
        const QString prepared = atOnce.value_or(told.value_or(QString()));
        if (expected != u"new") {
            QCOMPARE(prepared, expected.isEmpty() ? QString() : image);
            return;
        }
        QVERIFY(prepared.startsWith(work.path()));
        const CoverImage::Header header = CoverImage::readHeader(TestFiles::fileContent(prepared));
        QCOMPARE(header.kind, CoverImage::Header::Kind::BaselineJpeg);
        QTEST(QSize(header.width, header.height), "size");
        // Asked again, the picture is known.
        QCOMPARE(cache.prepare(image, this, [](const QString &) {}).value_or(QString()), prepared);
    }

    // Names in a folder called "My Album"; a name ending in "/" is a folder, "@" a dangling link.
    void inFolder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("cover before folder and front")
            << QStringList{u"front.jpg"_s, u"folder.jpg"_s, u"cover.png"_s} << u"cover.png"_s;
        QTest::newRow("jpg, jpeg, png")
            << QStringList{u"cover.png"_s, u"cover.jpeg"_s, u"cover.jpg"_s} << u"cover.jpg"_s;
        QTest::newRow("letter case ignored")
            << QStringList{u"AlbumArt.PNG"_s, u"ALBUM.Jpeg"_s} << u"ALBUM.Jpeg"_s;
        QTest::newRow("albumart before the folder's name")
            << QStringList{u"my album.jpg"_s, u"albumart.png"_s} << u"albumart.png"_s;
        QTest::newRow("the folder's own name")
            << QStringList{u"My Album.png"_s, u"back.jpg"_s} << u"My Album.png"_s;
        QTest::newRow("a folder of a cover's name")
            << QStringList{u"cover.jpg/"_s, u"front.png"_s} << u"front.png"_s;
        QTest::newRow("a dangling link") << QStringList{u"cover.jpg@"_s, u"front.png"_s} << u"front.png"_s;
        QTest::newRow("none") << QStringList{u"cover.gif"_s, u"cover.jpg.txt"_s, u".jpg"_s, u"01 a.flac"_s}
                              << QString();
    }
    void inFolder()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        const QString folder = dir.filePath(u"My Album"_s);
        for (const QString &name : std::as_const(names)) {
            const QString path = folder + u'/' + name;
            if (name.endsWith(u'/'))
                QVERIFY(QDir().mkpath(path));
            else if (name.endsWith(u'@'))
                QVERIFY(QDir().mkpath(folder) && QFile::link(dir.filePath(u"gone"_s), path.chopped(1)));
            else
                TestFiles::touch(path);
        }
        QCOMPARE(FolderCover::inFolder(folder).value_or(FolderCover::Found()).path,
                 chosen.isEmpty() ? QString() : folder + u'/' + chosen);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCoverCache)
#include "tst_covercache.moc"
