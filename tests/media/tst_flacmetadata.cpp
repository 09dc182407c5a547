// A FLAC file's head read with no tool: its stream header wherever it lies, its comments and the
// picture an MP3 takes, from files the reference tools make and from blocks made byte by byte.

#include "common/testfiles.h"
#include "common/testmedia.h"
#include "media/flacmetadata.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using Fields = QMap<QString, QStringList>;

QByteArray number(quint32 value, bool big = true)
{
    QByteArray bytes(4, '\0');
    big ? qToBigEndian(value, bytes.data()) : qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray comments(const QByteArrayList &fields, quint32 count = 0)
{
    QByteArray block = number(6, false) + "vendor" + number(count ? count : quint32(fields.size()), false);
    for (const QByteArray &field : fields)
        block += number(quint32(field.size()), false) + field;
    return block;
}

// 44100 Hz, 16 bits, stereo.
QByteArray streamInfo(quint32 samples, const QByteArray &md5)
{
    return QByteArray(10, '\x10') + "\x0A\xC4\x42\xF0"_ba + number(samples) + md5;
}

QByteArray picture(quint32 type, const QByteArray &mime, const QByteArray &image, quint32 imageBytes = 0)
{
    return number(type) + number(quint32(mime.size())) + mime + number(0) + QByteArray(16, '\0') +
           number(imageBytes ? imageBytes : quint32(image.size())) + image;
}

QByteArray flac(const QList<QPair<int, QByteArray>> &blocks)
{
    QByteArray file = "fLaC";
    for (const auto &[type, body] : blocks)
        file += char(type | (&body == &blocks.constLast().second ? 0x80 : 0)) +
                number(quint32(body.size())).mid(1) + body;
    return file + "\xFF\xF8"_ba + QByteArray(100, '\0');
}

} // namespace

class TestFlacMetadata : public QObject
{
    Q_OBJECT

private slots:
    void commentFields_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<Fields>("fields");
        QTest::newRow("names in upper case, values in file order")
            << comments({"title=a", "Artist=\xC3\xA9", "TITLE=b"})
            << Fields{{u"ARTIST"_s, {u"\u00E9"_s}}, {u"TITLE"_s, {u"a"_s, u"b"_s}}};
        QTest::newRow("malformed fields and pictures left out")
            << comments({"=x", "NOVALUE", "A~B=x",
                         "A\x01"
                         "B=x",
                         "METADATA_BLOCK_PICTURE=p", "coverart=p", "EMPTY="})
            << Fields{{u"EMPTY"_s, {QString()}}};
        QTest::newRow("block cut in its third field")
            << comments({"A=1", "B=2", "C=3"}).chopped(2) << Fields{{u"A"_s, {u"1"_s}}, {u"B"_s, {u"2"_s}}};
        QTest::newRow("fewer fields than counted")
            << comments({"A=1"}, 0xFFFFFFFF) << Fields{{u"A"_s, {u"1"_s}}};
        QTest::newRow("vendor longer than the block") << number(60, false) + "vendor" << Fields();
    }
    void commentFields()
    {
        QFETCH(QByteArray, block);
        QTEST(FlacMetadata::commentFields(block), "fields");
    }

    void head_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<double>("seconds"); // -1: no stream header
        QTest::addColumn<QString>("md5");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("extension");
        const QByteArray md5 = QByteArray::fromHex("00112233445566778899aabbccddeeff");
        const QPair<int, QByteArray> info{0, streamInfo(441000, md5)};
        const QPair<int, QByteArray> tags{4, comments({"TITLE=t"})};
        const QPair<int, QByteArray> other{6, picture(0, "image/png", "other")};
        const QPair<int, QByteArray> front{6, picture(3, "image/jpeg", "front")};
        const QString hex = u"00112233445566778899aabbccddeeff"_s;
        const QByteArray plain = flac({info, tags, other, front, {6, picture(3, "image/png", "second")}});
        QTest::newRow("front cover wins")
            << plain << 10.0 << hex << QStringList{u"t"_s} << "front"_ba << u".jpg"_s;
        const QByteArray id3 = "ID3\x03\0\0\0\0\x40\0"_ba + QByteArray(8192, '\0');
        QTest::newRow("behind an ID3v2 tag")
            << id3 + plain << 10.0 << hex << QStringList{u"t"_s} << "front"_ba << u".jpg"_s;
        QTest::newRow("stream header after the others")
            << flac({tags, front, info}) << 10.0 << hex << QStringList{u"t"_s} << "front"_ba << u".jpg"_s;
        QTest::newRow("length and checksum left open, no front cover")
            << flac({{0, streamInfo(0, QByteArray(16, '\0'))}, other, tags}) << 0.0 << QString()
            << QStringList{u"t"_s} << "other"_ba << u".png"_s;
        QTest::newRow("unknown and cut pictures skipped")
            << flac({info,
                     {6, picture(3, "image/webp", "webp")},
                     {6, picture(3, "image/png", "cut", 900)},
                     {6, picture(4, "IMAGE/JPG", "back")}})
            << 10.0 << hex << QStringList() << "back"_ba << u".jpg"_s;
        // The walk ends where the file does, and the comment block cut there keeps its first fields.
        QTest::newRow("file ends in the comments")
            << flac({info, {4, comments({"TITLE=a", "TITLE=b"})}}).left(4 + 38 + 4 + 29) << 10.0 << hex
            << QStringList{u"a"_s} << QByteArray() << QString();
        QTest::newRow("no FLAC") << "OggS"_ba + plain << -1.0 << QString() << QStringList() << QByteArray()
                                 << QString();
        // The reference tools' own file: ffmpeg's stream and comments, metaflac's picture.
        const QString path = m_dir.filePath(u"real.flac"_s);
        const QString cover = m_dir.filePath(u"cover.png"_s);
        QVERIFY(TestMedia::makeFlac(path, 1.5, 44100, 2, 16, {{u"TITLE"_s, u"Real"_s}}) &&
                TestMedia::makePicture(cover));
        QCOMPARE(TestMedia::run(u"metaflac"_s, {u"--import-picture-from=3||||"_s + cover, path}).exitCode, 0);
        const TestMedia::ToolResult sum = TestMedia::run(u"metaflac"_s, {u"--show-md5sum"_s, path});
        QTest::newRow("made by the tools")
            << TestFiles::fileContent(path) << 1.5 << QString::fromLatin1(sum.output.trimmed())
            << QStringList{u"Real"_s} << TestFiles::fileContent(cover) << u".png"_s;
    }
    void head()
    {
        QFETCH(QByteArray, file);
        const QString path = m_dir.filePath(u"a.flac"_s);
        QVERIFY(TestFiles::writeFile(path, file));
        const FlacMetadata::Head head(RegularFile::Reader(path), path);
        QTEST(head.streamInfo() ? head.streamInfo()->seconds.value_or(0) : -1, "seconds");
        QTEST(head.streamInfo().value_or(FlacMetadata::StreamInfo()).audioMd5, "md5");
        QTEST(head.comments().value(u"TITLE"_s), "titles");
        QTEST(head.picture().data, "image");
        QTEST(head.picture().extension, "extension");
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestFlacMetadata)
#include "tst_flacmetadata.moc"
