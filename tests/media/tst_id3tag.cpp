// The ID3v2 tag before an MP3's audio: its size, its user texts in every form writers leave them,
// a tag cut short anywhere, and a new tag spliced before an earlier file's audio.

#include "common/testfiles.h"
#include "media/id3tag.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

using Texts = QList<QPair<QString, QString>>;

QByteArray synchsafe(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int k = 0; k < 4; ++k)
        bytes[k] = char((value >> (7 * (3 - k))) & 0x7F);
    return bytes;
}

// A frame as version 3 (sizes as plain numbers) or 4 (synchsafe) keeps it.
QByteArray frame(int version, const char *id, const QByteArray &body)
{
    QByteArray size(4, '\0');
    qToBigEndian(quint32(body.size()), size.data());
    return id + (version == 3 ? size : synchsafe(quint32(body.size()))) + "\0\0"_ba + body;
}

QByteArray tag(int version, char flags, const QByteArray &body)
{
    return "ID3"_ba + char(version) + '\0' + flags + synchsafe(quint32(body.size())) + body;
}

const QByteArray audio = "\xFF\xFB\x90\x64"_ba + QByteArray(413, '\0');

} // namespace

class TestId3Tag : public QObject
{
    Q_OBJECT

private slots:
    void tagSize_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<qint64>("size");
        QTest::newRow("v2.3") << "ID3\x03\0\0\0\0\x02\x01"_ba << qint64(10 + 257);
        QTest::newRow("v2.4 with footer") << "ID3\x04\0\x10\0\0\0\x05"_ba << qint64(25);
        QTest::newRow("largest") << "ID3\x04\0\0\x7F\x7F\x7F\x7F"_ba << qint64(10 + 0x0FFFFFFF);
        QTest::newRow("size byte with its high bit") << "ID3\x03\0\0\0\0\x80\0"_ba << qint64(0);
        QTest::newRow("header cut short") << "ID3\x03\0\0\0\0\x01"_ba << qint64(0);
        QTest::newRow("no tag") << audio.left(10) << qint64(0);
    }
    void tagSize()
    {
        QFETCH(QByteArray, header);
        QTEST(Id3Tag::tagSize(header), "size");
    }

    // Every file is also read cut at each of its bytes: what is read of a cut tag is a part of what
    // the whole tag holds, never a text made up of a cut frame.
    void userTexts_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Texts>("texts");
        const QByteArray source = frame(3, "TXXX", "\0TUNOXA_SOURCE\0/music/a.flac"_ba);
        const Texts sourceText{{u"TUNOXA_SOURCE"_s, u"/music/a.flac"_s}};
        const QByteArray long4 = frame(4, "TXXX", "\x03KEY\0"_ba + QByteArray(300, 'v'));
        QTest::newRow("v2.3, Latin-1") << tag(3, 0, source + frame(3, "TXXX", "\0d\0\xE9t\xE9\0"_ba)) + audio
                                       << Texts{sourceText.first(), {u"d"_s, u"\u00E9t\u00E9"_s}};
        QTest::newRow("v2.4, synchsafe frame sizes")
            << tag(4, 0, long4 + frame(4, "TXXX", "\x03Q\0\xE9\x9F\xB3"_ba)) + audio
            << Texts{{u"KEY"_s, QString(300, u'v')}, {u"Q"_s, u"\u97F3"_s}};
        QTest::newRow("v2.3, extended header")
            << tag(3, 0x40, "\0\0\0\x06"_ba + QByteArray(6, '\0') + source) + audio << sourceText;
        QTest::newRow("v2.4, extended header") << tag(4, 0x40, synchsafe(6) + "\x01\0"_ba + long4) + audio
                                               << Texts{{u"KEY"_s, QString(300, u'v')}};
        QTest::newRow("unsynchronised") << tag(3, char(0x80), source) + audio << Texts();
        QTest::newRow("UTF-16, little-endian mark")
            << tag(3, 0, frame(3, "TXXX", "\x01\xFF\xFEk\0\0\0\xFF\xFE\xF3\x97\0\0"_ba))
            << Texts{{u"k"_s, u"\u97F3"_s}};
        QTest::newRow("UTF-16, big-endian mark")
            << tag(3, 0, frame(3, "TXXX", "\x01\xFE\xFF\0k\0\0\xFE\xFF\x97\xF3"_ba))
            << Texts{{u"k"_s, u"\u97F3"_s}};
        QTest::newRow("UTF-16BE without mark")
            << tag(4, 0, frame(4, "TXXX", "\x02\0k\0\0\x01\0"_ba)) << Texts{{u"k"_s, u"\u0100"_s}};
        QTest::newRow("picture and title before the texts")
            << tag(3, 0,
                   frame(3, "APIC", "\0image/png\0\x03\0"_ba + QByteArray(3 * Id3Tag::PartBytes, 'p')) +
                       frame(3, "TIT2", "\0Title"_ba) + source) +
                   audio
            << sourceText;
        QTest::newRow("padding ends the frames")
            << tag(3, 0, source + QByteArray(20, '\0') + frame(3, "TXXX", "\0x\0y"_ba)) << sourceText;
        QTest::newRow("frame longer than the tag")
            << tag(3, 0, source.left(source.size() - 1)) + audio << Texts();
        QTest::newRow("no tag") << audio << Texts();
    }
    void userTexts()
    {
        QFETCH(QByteArray, file);
        QFETCH(Texts, texts);
        qint64 fetched = 0;
        const auto read = [&](qsizetype end) {
            return Id3Tag::userTexts([&, end](qint64 offset, qsizetype count) {
                fetched += count;
                return file.mid(offset, std::min<qint64>(count, std::max<qint64>(0, end - offset)));
            });
        };
        QCOMPARE(read(file.size()), texts);
        // A picture among the frames is skipped, not read.
        QVERIFY2(fetched <= 3 * Id3Tag::PartBytes, qPrintable(QString::number(fetched)));
        qsizetype wrongAt = -1;
        Texts wrong;
        for (qsizetype end = 0; end < file.size() && wrongAt < 0; ++end) {
            const Texts cut = read(end);
            if (cut.size() > texts.size() || cut != texts.first(cut.size()))
                std::tie(wrongAt, wrong) = std::pair(end, cut);
        }
        QVERIFY2(wrongAt < 0,
                 qPrintable(u"cut after %1 bytes: %2=%3"_s.arg(wrongAt).arg(
                     wrong.value(wrong.size() - 1).first, wrong.value(wrong.size() - 1).second)));
    }

    void splice_data()
    {
        QTest::addColumn<QByteArray>("tagFrom");
        QTest::addColumn<QByteArray>("audioFrom");
        QTest::addColumn<QByteArray>("target"); // empty: refused
        const QByteArray newTag = tag(3, 0, frame(3, "TXXX", "\0a\0b"_ba));
        const QByteArray oldTag = tag(4, 0x10, frame(4, "TIT2", "\0old"_ba)) + "3DI\x04\0\0\0\0\0\x0A"_ba;
        QTest::newRow("over an old tag with footer")
            << newTag + audio << oldTag + audio + "x" << newTag + audio + "x";
        QTest::newRow("audio with no tag") << newTag + audio << audio << newTag + audio;
        QTest::newRow("tag file without a tag") << audio << newTag + audio << QByteArray();
        QTest::newRow("tag longer than its file") << newTag.left(newTag.size() - 1) << audio << QByteArray();
        QTest::newRow("no audio after the tag") << newTag + audio << newTag << QByteArray();
        QTest::newRow("empty audio file") << newTag << QByteArray() << QByteArray();
    }
    void splice()
    {
        QFETCH(QByteArray, tagFrom);
        QFETCH(QByteArray, audioFrom);
        QFETCH(QByteArray, target);
        QTemporaryDir dir;
        QVERIFY(TestFiles::writeFile(dir.filePath(u"tag.mp3"_s), tagFrom));
        QVERIFY(TestFiles::writeFile(dir.filePath(u"audio.mp3"_s), audioFrom));
        QCOMPARE(Id3Tag::splice(dir.filePath(u"tag.mp3"_s), dir.filePath(u"audio.mp3"_s),
                                dir.filePath(u"t.mp3"_s)),
                 !target.isEmpty());
        if (!target.isEmpty())
            QCOMPARE(TestFiles::fileContent(dir.filePath(u"t.mp3"_s)), target);
    }
};

QTEST_GUILESS_MAIN(TestId3Tag)
#include "tst_id3tag.moc"
