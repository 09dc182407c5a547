#include "filelist/droppedfiles.h"

#include <QMimeData>
#include <QSysInfo>
#include <QUrl>
#include <QtTest>

class TestDroppedFiles : public QObject
{
    Q_OBJECT

private slots:
    void uriList_data()
    {
        QTest::addColumn<QByteArray>("uriList");
        QTest::addColumn<QList<QByteArray>>("paths");
        QTest::newRow("one") << QByteArray("file:///music/a.flac\r\n") << QList<QByteArray>{"/music/a.flac"};
        QTest::newRow("order kept, last line without end")
            << QByteArray("file:///m/b.flac\r\nfile:///m/a.flac\r\nfile:///m/c.mp3")
            << QList<QByteArray>{"/m/b.flac", "/m/a.flac", "/m/c.mp3"};
        QTest::newRow("bare newlines") << QByteArray("file:///m/b.flac\nfile:///m/a.flac\n")
                                       << QList<QByteArray>{"/m/b.flac", "/m/a.flac"};
        QTest::newRow("escapes") << QByteArray("file:///m/a%20b%23%25%3F.flac")
                                 << QList<QByteArray>{"/m/a b#%?.flac"};
        QTest::newRow("utf-8") << QByteArray("file:///m/%E6%AD%8C.flac")
                               << QList<QByteArray>{"/m/\xe6\xad\x8c.flac"};
        QTest::newRow("not utf-8") << QByteArray("file:///m/caf%E9.flac")
                                   << QList<QByteArray>{"/m/caf\xe9.flac"};
        QTest::newRow("localhost") << QByteArray("file://localhost/m/a.flac")
                                   << QList<QByteArray>{"/m/a.flac"};
        QTest::newRow("short form") << QByteArray("file:/m/a.flac") << QList<QByteArray>{"/m/a.flac"};
        QTest::newRow("upper-case scheme")
            << QByteArray("FILE:///m/a.flac") << QList<QByteArray>{"/m/a.flac"};
        QTest::newRow("comments and web links left out")
            << QByteArray("# from a browser\r\nhttp://example.invalid/a.flac\r\nfile:///m/a.flac\r\n")
            << QList<QByteArray>{"/m/a.flac"};
        QTest::newRow("other host left out")
            << QByteArray("file://elsewhere.invalid/m/a.flac") << QList<QByteArray>();
        QTest::newRow("empty") << QByteArray() << QList<QByteArray>();
    }
    void uriList()
    {
        QFETCH(QByteArray, uriList);
        QFETCH(QList<QByteArray>, paths);
        QCOMPARE(DroppedFiles::fromUriList(uriList), paths);
    }

    void thisHostByName()
    {
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        QCOMPARE(DroppedFiles::fromUriList("file://" + host + "/m/a.flac"), QList<QByteArray>{"/m/a.flac"});
    }

    // What a file manager's drag looks like to the program: QMimeData holding URLs.
    void mimeDataUrlsKeepTheirOrder()
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/m/z z.flac")),
                      QUrl::fromLocalFile(QStringLiteral("/m/歌.FLAC")),
                      QUrl::fromLocalFile(QStringLiteral("/m/folder"))});
        QCOMPARE(DroppedFiles::fromMimeData(&data),
                 (QList<QByteArray>{"/m/z z.flac", QStringLiteral("/m/歌.FLAC").toUtf8(), "/m/folder"}));
    }

    void dataWithoutFiles()
    {
        QMimeData text;
        text.setText(QStringLiteral("/m/a.flac"));
        QVERIFY(DroppedFiles::fromMimeData(&text).isEmpty());
        QVERIFY(DroppedFiles::fromMimeData(nullptr).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDroppedFiles)
#include "tst_droppedfiles.moc"
