// Cue sheets: their encodings told apart on short sheets, their lines read, their tracks placed in
// the samples of an image, and the sheets FLAC files carry in a CUESHEET block.

#include "common/testfiles.h"
#include "common/testmedia.h"
#include "media/cuesheet.h"
#include "media/cuetext.h"
#include "media/flacmetadata.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using Kind = CueProblem::Kind;
using Ranges = QList<TrackRange>;

namespace {

const QString gbkSheet =
    u"PERFORMER \"王菲\"\nTITLE \"唱游\"\nFILE \"王菲 - 唱游.wav\" WAVE\n  TRACK 01 AUDIO\n"
    u"    TITLE \"我也不想这样\"\n    INDEX 01 00:00:00\n"_s;
const QString big5Sheet =
    u"REM GENRE Pop\nREM DATE 1993\nPERFORMER \"張學友\"\nTITLE \"吻別\"\nFILE \"張學友 - 吻別.flac\" WAVE\n"
    u"  TRACK 01 AUDIO\n    TITLE \"吻別\"\n    PERFORMER \"張學友\"\n    INDEX 01 00:00:00\n"
    u"  TRACK 02 AUDIO\n    TITLE \"每天愛你多一些\"\n    PERFORMER \"張學友\"\n    INDEX 01 04:32:10\n"_s;
const QString japaneseSheet =
    u"PERFORMER \"宇多田ヒカル\"\nTITLE \"ファースト・ラブ\"\nFILE \"宇多田ヒカル.wav\" WAVE\n"
    u"  TRACK 01 AUDIO\n    TITLE \"オートマチック\"\n    INDEX 01 00:00:00\n"_s;
const QString koreanSheet = u"PERFORMER \"조용필\"\nTITLE \"킬리만자로의 표범\"\nFILE \"조용필.wav\" WAVE\n"
                            u"  TRACK 01 AUDIO\n    TITLE \"바람의 노래\"\n    INDEX 01 00:00:00\n"_s;
const QString westernSheet =
    u"PERFORMER \"Motörhead\"\nTITLE \"Café Noir\"\nFILE \"Motörhead - Café.wav\" WAVE\n"
    u"  TRACK 01 AUDIO\n    TITLE \"Don’t Stop – Señor\"\n    INDEX 01 00:00:00\n"_s;

QByteArray encoded(const char *encoding, const QString &text)
{
    return QStringEncoder(encoding)(text);
}

// The album, the files and the tracks of a sheet, one line each.
QStringList described(const CueSheet &sheet)
{
    const auto frames = [](const std::optional<CuePosition> &at) {
        return at ? QString::number(at->value) : u"-"_s;
    };
    QStringList remarks;
    for (const auto &[name, remark] : sheet.remarks.asKeyValueRange())
        remarks.append(name + u'=' + remark);
    QStringList lines{
        QStringList{sheet.title, sheet.performer, sheet.songwriter, sheet.catalog, remarks.join(u',')}.join(
            u'|')};
    for (const CueSheet::File &file : sheet.files)
        lines.append(u"file %1 @%2"_s.arg(file.name).arg(file.line));
    for (const CueSheet::Track &track : sheet.tracks)
        lines.append(
            u"%1 f%2 %3/%4 %5|%6|%7 @%8"_s.arg(track.number)
                .arg(track.file)
                .arg(frames(track.index00), frames(track.index01), track.title, track.performer, track.isrc)
                .arg(track.line));
    return lines;
}

} // namespace

class TestCueSheet : public QObject
{
    Q_OBJECT

private slots:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("encoding"); // empty: none decodes
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("existing"); // the one file name that exists
        QTest::addColumn<QByteArray>("forced");
        const auto row = [](const char *name, const QByteArray &bytes, const QByteArray &encoding,
                            const QString &text, const QString &existing = {},
                            const QByteArray &forced = {}) {
            QTest::newRow(name) << bytes << encoding << text << existing << forced;
        };
        row("GBK, 6 lines", encoded("GB18030", gbkSheet), "GB18030", gbkSheet);
        row("Big5, 13 lines", encoded("Big5", big5Sheet), "Big5", big5Sheet);
        row("Shift_JIS", encoded("Shift_JIS", japaneseSheet), "Shift_JIS", japaneseSheet);
        row("EUC-KR", encoded("EUC-KR", koreanSheet), "EUC-KR", koreanSheet);
        row("windows-1252", encoded("windows-1252", westernSheet), "windows-1252", westernSheet);
        row("UTF-8 with BOM", "\xEF\xBB\xBF"_ba + gbkSheet.toUtf8(), "UTF-8", gbkSheet);
        row("UTF-16LE with BOM", encoded("UTF-16LE", u"\uFEFF"_s + big5Sheet), "UTF-16LE", big5Sheet);
        row("UTF-16BE with BOM", encoded("UTF-16BE", u"\uFEFF"_s + big5Sheet), "UTF-16BE", big5Sheet);
        // Common Big5 characters that GBK reads as common ones too, and one Big5 uses less: GBK wins
        // on the characters alone, Big5 where only its reading names a file that exists.
        const QByteArray twoReadings = "FILE \"\xB1\xA1\xC0\xA1\xD2\xBB.wav\" WAVE\nTRACK 01 AUDIO\n"_ba;
        const QString asBig5 = QStringDecoder("Big5")(twoReadings);
        row("FILE names a file only under Big5", twoReadings, "Big5", asBig5, CueSheet::fileNames(asBig5)[0]);
        row("no such file: the characters decide", twoReadings, "GB18030",
            QStringDecoder("GB18030")(twoReadings));
        const QByteArray gbk = encoded("GB18030", gbkSheet);
        row("forced encoding", gbk, "Big5", QStringDecoder("Big5")(gbk), {}, "Big5");
        row("forced encoding that fails", encoded("windows-1252", westernSheet), {}, {}, {}, "UTF-8");
        row("undecodable", "TITLE \x81 x\n", {}, {});
    }
    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, existing);
        QFETCH(QByteArray, forced);
        const auto decoded = CueText::decode(
            bytes, [&existing](const QString &name) { return name == existing; }, forced);
        QTEST(decoded.value_or(CueText::Decoded()).encoding, "encoding");
        QTEST(decoded.value_or(CueText::Decoded()).text, "text");
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("described");
        QTest::addColumn<bool>("oneFilePerTrack");
        QTest::newRow("CR line ends, lower case, bare values, unknown commands")
            << u"title Best Of\rperformer The Band\rflags dcp\rfile My Album.flac wave\r  track 1 audio\r"
               "\ttitle Song One (live)\r    index 01 120:00:00\r"_s
            << QStringList{u"Best Of|The Band|||"_s, u"file My Album.flac @4"_s,
                           u"1 f0 -/540000 Song One (live)|| @5"_s}
            << true;
        QTest::newRow("album and track fields, CRLF")
            << u"REM GENRE \"Rock\"\r\nREM DATE 1999\r\nREM SOURCE x\r\nCATALOG 0123456789012\r\n"
               "SONGWRITER S\r\nFILE \"a b.wav\" WAVE\r\nTRACK 01 AUDIO\r\nISRC USX9P0000001\r\n"
               "REM COMPOSER c\r\nINDEX 01 00:00:00\r\n"_s
            << QStringList{u"||S|0123456789012|DATE=1999,GENRE=Rock"_s, u"file a b.wav @6"_s,
                           u"1 f0 -/0 ||USX9P0000001 @7"_s}
            << true;
        QTest::newRow("gap of the next file's track at the end of a file")
            << u"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 03:00:00\n"
               "FILE b.wav WAVE\nINDEX 01 00:00:00\nTRACK 03 AUDIO\nINDEX 01 02:00:00\n"_s
            << QStringList{u"||||"_s,           u"file a.wav @1"_s,      u"file b.wav @6"_s,
                           u"1 f0 -/0 || @2"_s, u"2 f1 13500/0 || @4"_s, u"3 f1 -/9000 || @8"_s}
            << false;
        QTest::newRow("track not audio skipped with its fields and indexes")
            << u"FILE a.bin BINARY\nTRACK 01 MODE1/2352\nTITLE data\nREM DATE 1\nINDEX 01 00:10:00\n"
               "TRACK 02 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:02:00\nINDEX 02 00:03:00\n"_s
            << QStringList{u"||||"_s, u"file a.bin @1"_s, u"2 f0 0/150 || @6"_s} << true;
    }
    void parse()
    {
        QFETCH(QString, text);
        const auto parsed = CueSheet::parse(text);
        QVERIFY(std::holds_alternative<CueSheet>(parsed));
        QTEST(described(std::get<CueSheet>(parsed)), "described");
        QTEST(std::get<CueSheet>(parsed).oneFilePerTrack(), "oneFilePerTrack");
    }

    void problems_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<CueProblem>("problem");
        const QString head = u"FILE a.wav WAVE\nTRACK 01 AUDIO\n"_s;
        QTest::newRow("no audio track") << u"FILE a.bin BINARY\nTRACK 01 MODE1/2352\nINDEX 01 00:00:00"_s
                                        << CueProblem{Kind::NoTracks, 0};
        QTest::newRow("no INDEX 01") << head + u"INDEX 00 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n"_s
                                     << CueProblem{Kind::NoIndex01, 2};
        QTest::newRow("INDEX 01 going back")
            << head + u"INDEX 01 00:05:00\nTRACK 02 AUDIO\nINDEX 01 00:05:00\n"_s
            << CueProblem{Kind::IndexesOutOfOrder, 5};
        QTest::newRow("INDEX 00 after INDEX 01")
            << head + u"INDEX 01 00:05:00\nINDEX 00 00:04:00\n"_s << CueProblem{Kind::IndexesOutOfOrder, 4};
        QTest::newRow("INDEX 00 before the last INDEX 01")
            << head + u"INDEX 01 00:05:00\nTRACK 02 AUDIO\nINDEX 00 00:04:00\nINDEX 01 00:06:00\n"_s
            << CueProblem{Kind::IndexesOutOfOrder, 5};
        for (const QString &time :
             {u"00:60:00"_s, u"00:00:75"_s, u"0a:00:00"_s, u"00:00"_s, u"1234567:00:00"_s})
            QTest::newRow(qPrintable(time))
                << head + u"INDEX 01 "_s + time << CueProblem{Kind::MalformedTime, 3};
    }
    void problems()
    {
        QFETCH(QString, text);
        const auto parsed = CueSheet::parse(text);
        QVERIFY(std::holds_alternative<CueProblem>(parsed));
        QTEST(std::get<CueProblem>(parsed), "problem");
    }

    void ranges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("file");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<Ranges>("ranges");
        QTest::addColumn<int>("pastEndLine"); // 0: no problem
        // Tracks from firstTrack on, cut at the bounds; the last bound is the file's end.
        const auto row = [](const char *name, const QString &text, int rate, int file, int firstTrack,
                            const QList<qint64> &bounds, int pastEndLine = 0) {
            Ranges ranges;
            for (qsizetype k = 0; !pastEndLine && k + 1 < bounds.size(); ++k)
                ranges.append({firstTrack + int(k), bounds[k], bounds[k + 1]});
            QTest::newRow(name) << text << rate << file << bounds.last() << ranges << pastEndLine;
        };
        const QString gaps = u"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:02:00\n"
                             "TRACK 02 AUDIO\nINDEX 00 03:00:00\nINDEX 01 03:02:00\n"
                             "TRACK 03 AUDIO\nINDEX 01 05:00:37\n"_s;
        row("44.1 kHz, gaps end the track before", gaps, 44100, 0, 0, {0, 8026200, 13251756, 17640000});
        row("48 kHz", gaps, 48000, 0, 0, {0, 8736000, 14423680, 20000000});
        row("96 kHz", gaps, 96000, 0, 0, {0, 17472000, 28847360, 40000000});
        row("11025 Hz", gaps, 11025, 0, 0, {0, 2006550, 3312939, 5000000});
        // 22537 frames at 8 kHz are 2403946.67 samples.
        row("8 kHz rounds to the nearer sample", gaps, 8000, 0, 0, {0, 1456000, 2403947, 4000000});
        row("last INDEX 01 at the end", gaps, 44100, 0, 0, {0, 13251756}, 8);
        row("minutes past 99",
            u"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 120:00:00\n"_s,
            44100, 0, 0, {0, 317520000, 400000000});
        const QString twoFiles = u"FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nFILE b.wav WAVE\n"
                                 "TRACK 02 AUDIO\nINDEX 01 00:01:00\nTRACK 03 AUDIO\nINDEX 01 00:02:00\n"_s;
        row("second file", twoFiles, 44100, 1, 1, {0, 88200, 100000});
        row("second file shorter than its sheet", twoFiles, 44100, 1, 1, {0, 88200}, 7);
    }
    void ranges()
    {
        QFETCH(QString, text);
        QFETCH(int, rate);
        QFETCH(qint64, total);
        QFETCH(int, file);
        QFETCH(int, pastEndLine);
        const auto parsed = CueSheet::parse(text);
        QVERIFY(std::holds_alternative<CueSheet>(parsed));
        const auto ranges = std::get<CueSheet>(parsed).trackRanges(file, rate, total);
        if (pastEndLine)
            QCOMPARE(std::get<CueProblem>(ranges), (CueProblem{Kind::IndexPastEnd, pastEndLine}));
        else
            QTEST(std::get<Ranges>(ranges), "ranges");
    }

    // metaflac's own CUESHEET block and stream header, as the head of the file gives them.
    void flacBlock()
    {
        const QString flac = m_dir.filePath(u"image.flac"_s);
        const QString cue = m_dir.filePath(u"image.cue"_s);
        const QString text =
            u"CATALOG 0123456789012\nFILE image.flac WAVE\nTRACK 01 AUDIO\nISRC USX9P0000001\n"
            "INDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 00 00:00:30\nINDEX 01 00:00:50\n"
            "TRACK 03 AUDIO\nINDEX 01 00:01:00\n"_s;
        QVERIFY(TestMedia::makeFlac(flac, 2.0, 44100, 1, 24) && TestFiles::writeFile(cue, text.toUtf8()));
        QCOMPARE(TestMedia::run(u"metaflac"_s, {u"--import-cuesheet-from="_s + cue, flac}).exitCode, 0);
        const FlacMetadata::Head head(RegularFile::Reader(flac), flac);
        const FlacMetadata::StreamInfo info = head.streamInfo().value_or(FlacMetadata::StreamInfo());
        QCOMPARE(QList<qint64>({info.sampleRate, info.channels, info.bitsPerSample, info.totalSamples}),
                 QList<qint64>({44100, 1, 24, 88200}));
        const std::optional<CueSheet> embedded = FlacMetadata::cueSheet(head.cueSheetBlock());
        QVERIFY(embedded);
        QCOMPARE(embedded->catalog + embedded->tracks[0].isrc, u"0123456789012USX9P0000001"_s);
        QCOMPARE(embedded->trackRanges(0, 44100, 88200),
                 std::get<CueSheet>(CueSheet::parse(text)).trackRanges(0, 44100, 88200));
        for (qsizetype size = 0; size < head.cueSheetBlock().size(); ++size)
            QVERIFY2(!FlacMetadata::cueSheet(head.cueSheetBlock().first(size)),
                     qPrintable(QString::number(size)));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCueSheet)
#include "tst_cuesheet.moc"
