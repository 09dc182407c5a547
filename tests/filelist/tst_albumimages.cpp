// Which jobs files added together make: album images split by the cue sheet beside them, in the
// encodings sheets are written in, and sheets that cannot split their image.

#include "common/testmedia.h"
#include "filelist/albumimages.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Three tracks of a 3-second image: 0, 1 s 37 frames (past the image's first second), 2 s.
QString threeTracks(const QString &file)
{
    return u"PERFORMER \"歌手\"\nTITLE \"日本\"\nFILE \"%1\" WAVE\n"
           u"  TRACK 01 AUDIO\n    TITLE \"第一首\"\n    INDEX 01 00:00:00\n"
           u"  TRACK 02 AUDIO\n    TITLE \"二/三\"\n    INDEX 00 00:01:00\n    INDEX 01 00:01:37\n"
           u"  TRACK 03 AUDIO\n    INDEX 01 00:02:00\n"_s.arg(file);
}

QString describe(const Job &job)
{
    if (job.refusal)
        return QFile::decodeName(job.native.mid(job.native.lastIndexOf('/') + 1)) + u" refused "_s +
               job.refusal->detail;
    const QString name = QFile::decodeName(job.native.mid(job.native.lastIndexOf('/') + 1));
    if (!job.range)
        return job.notes.isEmpty() ? name : name + u" noted"_s;
    return u"%1 [%2] %3-%4 %5"_s.arg(name)
        .arg(job.track)
        .arg(job.range->start)
        .arg(job.range->end)
        .arg(job.outputStem);
}

} // namespace

class TestAlbumImages : public QObject
{
    Q_OBJECT

private slots:
    void jobs_data()
    {
        QTest::addColumn<QStringList>("files"); // "name" an image, "name=encoding:sheet file" a sheet
        QTest::addColumn<QStringList>("added"); // empty: the folder as a scan finds it
        QTest::addColumn<bool>("split");
        QTest::addColumn<QStringList>("expected");
        const QStringList split{u"CDImage.flac [1] 0-65856 01 - 第一首"_s,
                                u"CDImage.flac [2] 65856-88200 02 - 二_三"_s,
                                u"CDImage.flac [3] 88200-132300 03"_s};
        QTest::newRow("GBK sheet naming the WAV it was made for")
            << QStringList{u"CDImage.flac"_s, u"CDImage.cue=GBK:CDImage.wav"_s} << QStringList() << true
            << split;
        QTest::newRow("Big5 sheet, the image named by itself")
            << QStringList{u"CDImage.flac"_s, u"CDImage.cue=Big5:CDImage.flac"_s}
            << QStringList{u"CDImage.flac"_s} << true << split;
        QTest::newRow("Shift_JIS sheet named on its own, case differs")
            << QStringList{u"CDImage.flac"_s, u"disc.cue=Shift_JIS:cdimage.FLAC"_s}
            << QStringList{u"disc.cue"_s} << true << split;
        QTest::newRow("two sheets: the one named like the image wins")
            << QStringList{u"CDImage.flac"_s, u"a.cue=UTF-8:CDImage.flac"_s,
                           u"CDImage.cue=UTF-8:CDImage.flac"_s}
            << QStringList() << true << split;
        QStringList twoDiscs;
        for (const QString &disc : {u"1"_s, u"2"_s}) {
            twoDiscs << u"CD%1.flac [1] 0-65856 %1-01 - 第一首"_s.arg(disc)
                     << u"CD%1.flac [2] 65856-88200 %1-02 - 二_三"_s.arg(disc)
                     << u"CD%1.flac [3] 88200-132300 %1-03"_s.arg(disc);
        }
        QTest::newRow("two discs in one folder") << QStringList{u"CD1.flac"_s, u"CD1.cue=UTF-8:CD1.flac"_s,
                                                                u"CD2.flac"_s, u"CD2.cue=UTF-8:CD2.flac"_s}
                                                 << QStringList() << true << twoDiscs;
        QTest::newRow("images whole when not split")
            << QStringList{u"CDImage.flac"_s, u"CDImage.cue=UTF-8:CDImage.flac"_s} << QStringList() << false
            << QStringList{u"CDImage.flac"_s};
        QTest::newRow("sheet naming nothing there, other audio converts")
            << QStringList{u"x.flac"_s, u"y.flac"_s, u"CDImage.cue=UTF-8:gone.wav"_s} << QStringList() << true
            << QStringList{u"CDImage.cue refused 5 3"_s, u"x.flac"_s, u"y.flac"_s};
        QTest::newRow("undecodable sheet: its image is not converted whole")
            << QStringList{u"CDImage.flac"_s, u"CDImage.cue=raw:\x81\xff\x81\xff"_s} << QStringList() << true
            << QStringList{u"CDImage.cue refused 6 0"_s};
        QTest::newRow("indexes out of order: the image its FILE names is not converted whole")
            << QStringList{u"CDImage.flac"_s, u"disc.cue=order:"_s} << QStringList() << true
            << QStringList{u"disc.cue refused 2 5"_s};
        QTest::newRow("index past the image's end")
            << QStringList{u"CDImage.flac"_s, u"CDImage.cue=past:CDImage.flac"_s} << QStringList() << true
            << QStringList{u"CDImage.cue refused 1 4"_s};
        const QString inside = u"FILE \"x.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                               u" TRACK 02 AUDIO\n  TITLE \"Two\"\n  INDEX 01 00:02:00\n"_s;
        const QStringList insideSplit{u"CDImage.flac [1] 0-88200 01"_s,
                                      u"CDImage.flac [2] 88200-132300 02 - Two"_s};
        QTest::newRow("sheet in a CUESHEET comment")
            << QStringList{u"CDImage.flac=comment:"_s + inside} << QStringList() << true << insideSplit;
        QTest::newRow("sheet in a CUESHEET block")
            << QStringList{u"CDImage.flac=block:"_s + QString(inside).remove(u"  TITLE \"Two\"\n"_s)}
            << QStringList{u"CDImage.flac"_s} << true
            << QStringList{u"CDImage.flac [1] 0-88200 01"_s, u"CDImage.flac [2] 88200-132300 02"_s};
        QTest::newRow("sheet inside that does not fit: whole, with a note")
            << QStringList{u"CDImage.flac=comment:"_s + QString(inside).replace(u"00:02:00"_s, u"00:09:00"_s)}
            << QStringList() << true << QStringList{u"CDImage.flac noted"_s};
        QTest::newRow("one file per track: files stay files")
            << QStringList{u"01.flac"_s, u"02.flac"_s, u"album.cue=tracks:"_s} << QStringList() << true
            << QStringList{u"01.flac"_s, u"02.flac"_s};
    }
    void jobs()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, added);
        QFETCH(bool, split);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QList<QByteArray> paths;
        for (const QString &file : std::as_const(files)) {
            const QString name = file.section(u'=', 0, 0);
            const QString path = dir.filePath(name);
            paths.append(QFile::encodeName(path));
            const QString encoding = file.section(u'=', 1).section(u':', 0, 0);
            const QString named = file.section(u':', 1);
            if (!file.contains(u'=') || encoding == u"comment" || encoding == u"block") {
                QVERIFY(TestMedia::makeFlac(path, 3.0, 44100, 2, 16,
                                            encoding == u"comment"
                                                ? QMap<QString, QString>{{u"CUESHEET"_s, named}}
                                                : QMap<QString, QString>()));
                if (encoding == u"block") {
                    const QString sheet = dir.filePath(u"block.txt"_s);
                    QFile text(sheet);
                    QVERIFY(text.open(QIODevice::WriteOnly));
                    text.write(named.toUtf8());
                    text.close();
                    QCOMPARE(
                        TestMedia::run(u"metaflac"_s, {u"--import-cuesheet-from="_s + sheet, path}).exitCode,
                        0);
                    QFile::remove(sheet);
                }
                continue;
            }
            QByteArray bytes;
            if (encoding == u"raw")
                bytes = named.toLatin1();
            else if (encoding == u"past")
                bytes = "FILE \"CDImage.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                        "  TRACK 02 AUDIO\n    INDEX 01 00:05:00\n";
            else if (encoding == u"order")
                bytes = "FILE \"CDImage.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:02:00\n"
                        "  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n";
            else if (encoding == u"tracks")
                bytes = "FILE \"01.flac\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                        "FILE \"02.flac\" WAVE\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n";
            else
                bytes = QStringEncoder(encoding.toLatin1().constData()).encode(threeTracks(named));
            QFile sheet(path);
            QVERIFY(sheet.open(QIODevice::WriteOnly));
            sheet.write(bytes);
        }
        std::sort(paths.begin(), paths.end());
        if (!added.isEmpty()) {
            paths.clear();
            for (const QString &name : std::as_const(added))
                paths.append(QFile::encodeName(dir.filePath(name)));
        }
        QStringList found;
        for (const Job &job : AlbumImages::jobsOf(paths, {split, {}}, added.isEmpty()))
            found.append(describe(job));
        QCOMPARE(found, expected);
    }
};

QTEST_GUILESS_MAIN(TestAlbumImages)
#include "tst_albumimages.moc"
