// The tags a library-mode output gets beyond what the encoder makes of the source's fields, per
// container, as players read them.

#include "library/librarytags.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using Fields = QMap<QString, QStringList>;
using Tags = QList<QPair<QString, QString>>;

class TestLibraryTags : public QObject
{
    Q_OBJECT

private slots:
    void overrides_data()
    {
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<int>("container"); // AudioContainer
        QTest::addColumn<Tags>("overrides");
        const int mp3 = int(AudioContainer::Mp3);
        const Fields counted{{u"TRACKNUMBER"_s, {u"3"_s}},
                             {u"TRACKTOTAL"_s, {u"9"_s}},
                             {u"TOTALTRACKS"_s, {u"10"_s}},
                             {u"DISCNUMBER"_s, {u"1"_s}},
                             {u"TOTALDISCS"_s, {u"2"_s}},
                             {u"ARTIST"_s, {u"a"_s, u"b"_s}},
                             {u"COMPOSER"_s, {u"x"_s, u"y"_s, u"z"_s}},
                             {u"GENRE"_s, {u"Rock"_s}}};
        const Tags totals{{u"TRACKTOTAL"_s, {}},
                          {u"TOTALTRACKS"_s, {}},
                          {u"track"_s, u"3/9"_s},
                          {u"TOTALDISCS"_s, {}},
                          {u"disc"_s, u"1/2"_s}};
        QTest::newRow("MP3: totals into numbers, values joined")
            << counted << mp3 << totals + Tags{{u"artist"_s, u"a/b"_s}, {u"composer"_s, u"x/y/z"_s}};
        QTest::newRow("MP4: totals only") << counted << int(AudioContainer::Mp4) << totals;
        QTest::newRow("Ogg: none") << counted << int(AudioContainer::Ogg) << Tags();
        QTest::newRow("video: none") << counted << int(AudioContainer::None) << Tags();
        QTest::newRow("MP3: number holding its total, total without number")
            << Fields{{u"TRACKNUMBER"_s, {u"3/12"_s}},
                      {u"TRACKTOTAL"_s, {u"9"_s}},
                      {u"DISCTOTAL"_s, {u"2"_s}},
                      {u"ALBUMARTIST"_s, {u"p"_s, u"q"_s}},
                      {u"PERFORMER"_s, {u"r"_s, u"s"_s}}}
            << mp3
            << Tags{{u"TRACKTOTAL"_s, {}},
                    {u"DISCTOTAL"_s, {}},
                    {u"album_artist"_s, u"p/q"_s},
                    {u"performer"_s, u"r/s"_s}};
        QTest::newRow("MP3: nothing to change") << Fields{{u"TITLE"_s, {u"t"_s}}} << mp3 << Tags();
    }
    void overrides()
    {
        QFETCH(Fields, fields);
        QFETCH(int, container);
        QTEST(LibraryTags::overrides(fields, AudioContainer(container)), "overrides");
    }

    void freeformFields()
    {
        const Fields fields{{u"REPLAYGAIN_TRACK_GAIN"_s, {u"-6.5 dB"_s}},
                            {u"REPLAYGAIN_ALBUM_PEAK"_s, {u"0.9"_s, u"0.8"_s}},
                            {u"REPLAYGAIN_REFERENCE_LOUDNESS"_s, {}},
                            {u"TITLE"_s, {u"t"_s}}};
        QCOMPARE(LibraryTags::freeformFields(fields),
                 (Tags{{u"replaygain_album_peak"_s, u"0.9"_s}, {u"replaygain_track_gain"_s, u"-6.5 dB"_s}}));
    }
};

QTEST_GUILESS_MAIN(TestLibraryTags)
#include "tst_librarytags.moc"
