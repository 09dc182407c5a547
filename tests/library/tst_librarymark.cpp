// The library's mark read back from each container, whatever order its writer put the fields in and
// wherever a cover lies among them.

#include "common/testfiles.h"
#include "library/librarymark.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using Fields = QList<QPair<QByteArray, QByteArray>>; // in file order; "PICTURE" stands for a cover

const QByteArray cover(100 * 1024, 'p');

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray littleEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// An ID3v2.3 tag of TXXX frames (an APIC for the cover), then one silent MPEG frame.
QByteArray mp3(const Fields &fields)
{
    QByteArray frames;
    for (const auto &[name, value] : fields) {
        const QByteArray body =
            name == "PICTURE" ? QByteArray("\0image/png\0\x03\0", 13) + cover : '\x03' + name + '\0' + value;
        frames +=
            (name == "PICTURE" ? "APIC" : "TXXX") + bigEndian32(quint32(body.size())) + "\0\0"_ba + body;
    }
    QByteArray size(4, '\0');
    for (int k = 0; k < 4; ++k)
        size[k] = char((frames.size() >> (7 * (3 - k))) & 0x7F);
    return "ID3\x03\0\0"_ba + size + frames + "\xFF\xFB\x90\x64"_ba + QByteArray(413, '\0');
}

// An Opus stream's first two pages, the comment packet cut into as many pages as it needs.
QByteArray ogg(const Fields &fields)
{
    const auto pages = [](const QByteArray &packet, quint32 sequence) {
        QByteArray bytes;
        for (qsizetype at = 0; at <= packet.size(); at += 255 * 255) {
            const QByteArray part = packet.mid(at, 255 * 255);
            QByteArray segments(part.size() / 255, '\xFF');
            if (part.size() < 255 * 255)
                segments += char(part.size() % 255);
            bytes += "OggS\0"_ba + char(at > 0 ? 1 : 0) + QByteArray(8, '\0') + littleEndian32(1) +
                     littleEndian32(sequence++) + QByteArray(4, '\0') + char(segments.size()) + segments +
                     part;
            if (part.size() < 255 * 255)
                break;
        }
        return bytes;
    };
    QByteArray comments =
        "OpusTags"_ba + littleEndian32(6) + "writer" + littleEndian32(quint32(fields.size()));
    for (const auto &[name, value] : fields) {
        const QByteArray comment =
            name == "PICTURE" ? "METADATA_BLOCK_PICTURE="_ba + cover : name + '=' + value;
        comments += littleEndian32(quint32(comment.size())) + comment;
    }
    const QByteArray head = "OpusHead\x01\x02\x38\x01\x80\xBB\0\0\0\0\0"_ba;
    return pages(head, 0) + pages(comments, 1);
}

QByteArray box(const char *type, const QByteArray &content)
{
    return bigEndian32(quint32(8 + content.size())) + type + content;
}

// An M4A file whose item list holds the fields as freeform items, the cover as "covr".
QByteArray m4a(const Fields &fields)
{
    QByteArray items;
    for (const auto &[name, value] : fields) {
        items += name == "PICTURE" ? box("covr", box("data", "\0\0\0\x0E\0\0\0\0"_ba + cover))
                                   : box("----", box("mean", "\0\0\0\0com.apple.iTunes"_ba) +
                                                     box("name", "\0\0\0\0"_ba + name) +
                                                     box("data", "\0\0\0\x01\0\0\0\0"_ba + value));
    }
    const QByteArray handler = box("hdlr", QByteArray(8, '\0') + "mdirappl" + QByteArray(9, '\0'));
    const QByteArray meta = box("meta", QByteArray(4, '\0') + handler + box("ilst", items));
    return box("ftyp", "M4A ") + box("mdat", QByteArray(64, 'x')) +
           box("moov", box("mvhd", QByteArray(100, '\0')) + box("udta", meta));
}

} // namespace

class TestLibraryMark : public QObject
{
    Q_OBJECT

private slots:
    void readInAnyOrder_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<Fields>("fields");
        const QPair<QByteArray, QByteArray> source{"TUNOXA_SOURCE", "/music/a%25b.flac"};
        const QPair<QByteArray, QByteArray> audio{"TUNOXA_AUDIO_MD5", "0123456789abcdef0123456789abcdef"};
        const QPair<QByteArray, QByteArray> settings{"TUNOXA_SETTINGS", "mp3 320 48000 2"};
        const QPair<QByteArray, QByteArray> picture{"PICTURE", {}};
        const QPair<QByteArray, QByteArray> other{"ENCODER", "Lavf59"};
        const QList<QPair<const char *, Fields>> orders{
            {"source first", {source, audio, settings}},
            {"settings first", {other, settings, audio, source}},
            {"cover first", {picture, audio, settings, source}},
            {"cover between", {settings, picture, source, audio}},
        };
        for (const char *extension : {".mp3", ".opus", ".m4a"}) {
            for (const auto &[order, fields] : orders)
                QTest::addRow("%s, %s", extension, order) << QString::fromLatin1(extension) << fields;
        }
    }
    void readInAnyOrder()
    {
        QFETCH(QString, extension);
        QFETCH(Fields, fields);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"output"_s + extension);
        QVERIFY(TestFiles::writeFile(path, extension == u".mp3"    ? mp3(fields)
                                           : extension == u".opus" ? ogg(fields)
                                                                   : m4a(fields)));
        const std::optional<LibraryMark> mark = LibraryMark::read(path);
        QVERIFY(mark);
        QCOMPARE(mark->source, u"/music/a%25b.flac"_s);
        QCOMPARE(mark->audioMd5, u"0123456789abcdef0123456789abcdef"_s);
        QCOMPARE(mark->settings, u"mp3 320 48000 2"_s);
    }

    // A source path's exact bytes survive the mark: "%" and bytes that are no UTF-8 become "%XX".
    void sourceText_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << "/music/\xC3\xA9t\xC3\xA9.flac"_ba << u"/music/\u00E9t\u00E9.flac"_s;
        QTest::newRow("percent") << "/music/100%/a%41.flac"_ba << u"/music/100%25/a%2541.flac"_s;
        QTest::newRow("Latin-1") << "/music/caf\xE9.flac"_ba << u"/music/caf%E9.flac"_s;
        QTest::newRow("surrogate, overlong, cut sequence")
            << "/m/\xED\xA0\x80\xC0\xAF\xE9\x9F"_ba << u"/m/%ED%A0%80%C0%AF%E9%9F"_s;
    }
    void sourceText()
    {
        QFETCH(QByteArray, path);
        QTEST(LibraryMark::sourceText(path), "text");
        QCOMPARE(LibraryMark::sourcePath(LibraryMark::sourceText(path)), path);
    }
};

QTEST_GUILESS_MAIN(TestLibraryMark)
#include "tst_librarymark.moc"
