// Opus and Vorbis streams read back with no tool: their comments and their length, from pages made
// here byte by byte (and cut short anywhere) and from a file the encoder makes.

#include "common/testfiles.h"
#include "common/testmedia.h"
#include "media/oggstream.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using Texts = QList<QPair<QString, QString>>;

QByteArray littleEndian(quint64 value, int bytes = 4)
{
    QByteArray data(8, '\0');
    qToLittleEndian(value, data.data());
    return data.left(bytes);
}

// A packet as pages of at most perPage bytes (a multiple of 255).
QByteArray pages(const QByteArray &packet, qint64 granule, quint32 serial = 1, qsizetype perPage = 255 * 255)
{
    QByteArray bytes;
    for (qsizetype at = 0;; at += perPage) {
        const QByteArray part = packet.mid(at, perPage);
        const QByteArray segments =
            QByteArray(part.size() / 255, '\xFF') +
            (part.size() < perPage ? QByteArray(1, char(part.size() % 255)) : QByteArray());
        bytes += "OggS\0"_ba + char(at > 0 ? 1 : 0) + littleEndian(quint64(granule), 8) +
                 littleEndian(serial) + QByteArray(8, '\0') + char(segments.size()) + segments + part;
        if (part.size() < perPage)
            return bytes;
    }
}

QByteArray commentPacket(const QByteArray &magic, const QByteArrayList &comments)
{
    QByteArray packet = magic + littleEndian(6) + "writer" + littleEndian(quint64(comments.size()));
    for (const QByteArray &comment : comments)
        packet += littleEndian(quint64(comment.size())) + comment;
    return packet;
}

QByteArray cutAt(const QByteArray &file, qsizetype end, qint64 offset, qsizetype count)
{
    return file.mid(offset, std::min<qint64>(count, std::max<qint64>(0, end - offset)));
}

} // namespace

class TestOggStream : public QObject
{
    Q_OBJECT

private slots:
    // Each stream is also read cut at every byte: its comments then are a part of the whole
    // stream's, and its length no longer.
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Texts>("comments");
        QTest::addColumn<double>("seconds"); // -1: none
        // Pre-skip 312 at 48000 Hz.
        const QByteArray opusHead = "OpusHead\x01\x02\x38\x01\x80\xBB\0\0\0\0\0"_ba;
        const QByteArray opus =
            pages(opusHead, 0) + pages(commentPacket("OpusTags", {"TITLE=Hello world", "=nameless", "NOVALUE",
                                                                  "TUNOXA_SOURCE=/m/a.flac"}),
                                       0);
        const Texts opusComments{{u"TITLE"_s, u"Hello world"_s}, {u"TUNOXA_SOURCE"_s, u"/m/a.flac"_s}};
        const QByteArray audio(100, 'a');
        const QByteArray opusAudio = opus + pages(audio, 48000 + 312);
        QTest::newRow("Opus") << opusAudio + pages(audio, 2 * 48000 + 312) << opusComments << 2.0;
        QTest::newRow("Opus, last page cut short")
            << opusAudio + pages(audio, 2 * 48000 + 312).chopped(1) << opusComments << 1.0;
        QTest::newRow("Opus, last page of another stream")
            << opusAudio + pages(audio, 9 * 48000, 2) << opusComments << 1.0;
        QTest::newRow("Opus, last page without position")
            << opusAudio + pages(audio, -1) << opusComments << 1.0;
        QTest::newRow("Opus, headers only") << opus << opusComments << 0.0;
        QTest::newRow("Opus, comment longer than its packet")
            << pages(opusHead, 0) +
                   pages(commentPacket("OpusTags", {"A=1", "B=2"}).chopped(7) + littleEndian(90) + "B=2", 0)
            << Texts{{u"A"_s, u"1"_s}} << 0.0;
        // 44100 Hz; the comments over pages of 255 bytes, a picture among them not read.
        const QByteArray vorbisHead = "\x01vorbis"_ba + littleEndian(0) + '\x02' + littleEndian(44100) +
                                      QByteArray(12, '\0') + "\xB8\x01";
        const QByteArray vorbisComments =
            commentPacket("\x03vorbis", {"A=" + QByteArray(600, 'x'),
                                         "METADATA_BLOCK_PICTURE=" + QByteArray(2000, 'p'), "B=2"});
        QTest::newRow("Vorbis, comments over several pages")
            << pages(vorbisHead, 0) + pages(vorbisComments + '\x01', 0, 1, 255) + pages(audio, 3 * 44100)
            << Texts{{u"A"_s, QString(600, u'x')}, {u"B"_s, u"2"_s}} << 3.0;
        QTest::newRow("other codec") << pages("Speex   "_ba + QByteArray(72, '\0'), 0) + pages(audio, 48000)
                                     << Texts() << -1.0;
        QTest::newRow("no Ogg") << "fLaC"_ba + QByteArray(100, '\0') << Texts() << -1.0;
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(Texts, comments);
        QFETCH(double, seconds);
        const auto fetch = [&file](qsizetype end) {
            return [&file, end](qint64 offset, qsizetype count) { return cutAt(file, end, offset, count); };
        };
        QCOMPARE(OggStream::comments(fetch(file.size()), 1000), comments);
        QCOMPARE(OggStream::seconds(fetch(file.size()), file.size()).value_or(-1), seconds);
        qsizetype wrongAt = -1;
        for (qsizetype end = 0; end < file.size() && wrongAt < 0; ++end) {
            const Texts cut = OggStream::comments(fetch(end), 1000);
            const double cutSeconds = OggStream::seconds(fetch(end), end).value_or(-1);
            if (cut.size() > comments.size() || cut != comments.first(cut.size()) || cutSeconds > seconds)
                wrongAt = end;
        }
        QVERIFY2(wrongAt < 0, qPrintable(u"cut after %1 bytes"_s.arg(wrongAt)));
    }

    // What the encoder writes: its length as the stream's end tells it, the comments whatever else
    // the encoder adds.
    void encodedOpus()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"x.opus"_s);
        QCOMPARE(TestMedia::run(u"ffmpeg"_s,
                                {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s, u"sine=duration=2"_s,
                                 u"-c:a"_s, u"libopus"_s, u"-metadata"_s, u"TUNOXA_SOURCE=/m/a.flac"_s, path})
                     .exitCode,
                 0);
        const QByteArray file = TestFiles::fileContent(path);
        const auto fetch = [&file](qint64 offset, qsizetype count) { return file.mid(offset, count); };
        const std::optional<double> seconds = OggStream::seconds(fetch, file.size());
        QVERIFY(seconds);
        QCOMPARE_LT(qAbs(*seconds - 2.0), 0.001);
        QVERIFY(OggStream::comments(fetch).contains(QPair(u"TUNOXA_SOURCE"_s, u"/m/a.flac"_s)));
    }
};

QTEST_GUILESS_MAIN(TestOggStream)
#include "tst_oggstream.moc"
