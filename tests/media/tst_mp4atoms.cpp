// Freeform tags added to M4A files as the encoder leaves them, and refused where boxes are damaged.

#include "common/testfiles.h"
#include "media/mp4atoms.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A box header claiming `size` bytes, whatever follows it.
QByteArray header(const char *type, quint32 size)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(size, bytes.data());
    return bytes + type;
}

QByteArray box(const char *type, const QByteArray &content)
{
    return header(type, quint32(8 + content.size())) + content;
}

QByteArray freeformItem(const char *name, const char *value)
{
    const QByteArray version(4, '\0');
    return box("----", box("mean", version + "com.apple.iTunes") + box("name", version + name) +
                           box("data", QByteArray("\0\0\0\x01\0\0\0\0", 8) + value));
}

QByteArray itemList(const QByteArray &items)
{
    const QByteArray handler = box("hdlr", QByteArray(8, '\0') + "mdirappl" + QByteArray(9, '\0'));
    return box("udta", box("meta", QByteArray(4, '\0') + handler + box("ilst", items)));
}

} // namespace

class TestMp4Atoms : public QObject
{
    Q_OBJECT

private slots:
    void addFreeformTags_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("tags"); // read back after the add; empty: refused
        const QByteArray start = box("ftyp", "M4A ") + box("mdat", QByteArray(64, 'x'));
        const QByteArray movieHeader = box("mvhd", QByteArray(100, '\0'));
        const QString added = u"REPLAYGAIN_TRACK_GAIN=-6.5 dB"_s;
        QTest::newRow("movie last, no item list") << start + box("moov", movieHeader) << QStringList{added};
        QTest::newRow("into the item list there")
            << start + box("moov", movieHeader + itemList(freeformItem("OLD", "1")))
            << QStringList{u"OLD=1"_s, added};
        QTest::newRow("child smaller than its header")
            << start + box("moov", movieHeader + header("free", 4)) << QStringList();
        QTest::newRow("item past the list's end")
            << start + box("moov", movieHeader + itemList(header("----", 400))) << QStringList();
        QTest::newRow("last child runs to the movie's end")
            << start + box("moov", movieHeader + header("free", 0)) << QStringList();
        // A name box too short for its version is no name: the tag after it is not read into it.
        QTest::newRow("name shorter than its version")
            << start + box("moov", movieHeader + itemList(box("----", box("name", "\0\0") +
                                                                          box("data", QByteArray(12, 'x')))))
            << QStringList{added};
        QTest::newRow("movie not last")
            << box("ftyp", "M4A ") + box("moov", movieHeader) + box("mdat", QByteArray(64, 'x'))
            << QStringList();
    }
    void addFreeformTags()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, tags);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.m4a"_s);
        QVERIFY(TestFiles::writeFile(path, file));
        QCOMPARE(Mp4Atoms::addFreeformTags(path, {{u"REPLAYGAIN_TRACK_GAIN"_s, u"-6.5 dB"_s}}),
                 !tags.isEmpty());
        const QByteArray written = TestFiles::fileContent(path);
        if (tags.isEmpty()) {
            QCOMPARE(written, file);
            return;
        }
        QStringList read;
        const auto fetch = [&written](qint64 offset, qsizetype count) { return written.mid(offset, count); };
        for (const auto &[name, value] : Mp4Atoms::freeformTags(fetch, written.size()))
            read.append(name + u'=' + value);
        QCOMPARE(read, tags);
        QCOMPARE(written.count("ilst"), 1);
    }
};

QTEST_GUILESS_MAIN(TestMp4Atoms)
#include "tst_mp4atoms.moc"
