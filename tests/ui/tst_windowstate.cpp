#include "uitest.h"

#include "common/recordingservices.h"
#include "common/testmedia.h"
#include "conversion/conversionrun.h"
#include "ui/progressstate.h"
#include "filelist/filelist.h"
#include "ui/filecommands.h"
#include "ui/hotlabel.h"
#include "ui/optionsdialog.h"

#include <QAccessible>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace Seen;

// The settings boxes from start-up to exit: the values a format brings, setup.ini read and written.
class TestWindowState : public QObject
{
    Q_OBJECT

private slots:
    void startupValues();
    void formatDefaults_data();
    void formatDefaults();
    void typedValueSurvivesUntilFormatChange();
    void restoredFormat_data();
    void restoredFormat();
    void exitWritesSetupIni_data();
    void exitWritesSetupIni();
    void exitWithUnwritableSetupIniStillEnds_data();
    void exitWithUnwritableSetupIniStillEnds();
};

void TestWindowState::startupValues()
{
    LoadedWindow w;
    auto *format = w.control<QComboBox>(QStringLiteral("formatCombo"));
    QVERIFY(!format->isEditable());
    QCOMPARE(format->count(), 12);
    QCOMPARE(format->currentIndex(), 0);
    QCOMPARE(format->currentText(), QStringLiteral("RMVB(RealPlayerRMVB)"));
    QVERIFY(!w.control<QComboBox>(QStringLiteral("channelCombo"))->isEditable());
    for (const char *name :
         {"videoBitrateCombo", "frameRateCombo", "sizeCombo", "sampleRateCombo", "audioBitrateCombo"})
        QVERIFY(w.control<QComboBox>(QString::fromLatin1(name))->isEditable());
    // Start-up sets "96" and "44100", then the first format's defaults replace them.
    QCOMPARE(w.control<QComboBox>(QStringLiteral("videoBitrateCombo"))->currentText(),
             QStringLiteral("1200"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("frameRateCombo"))->currentText(), QStringLiteral("29"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("sizeCombo"))->currentText(), QStringLiteral("原始大小"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("sampleRateCombo"))->currentText(), QStringLiteral("44100"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("audioBitrateCombo"))->currentText(), QStringLiteral("320"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("channelCombo"))->currentText(), QStringLiteral("双声道"));
    QCOMPARE(w.control<QLineEdit>(QStringLiteral("outputFolderEdit"))->text(),
             w.folder.path() + QStringLiteral("/output"));
}

void TestWindowState::formatDefaults_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<QStringList>("texts"); // m_videoBitrateCombo, m_frameRateCombo, m_sizeCombo,
                                            // m_sampleRateCombo, m_audioBitrateCombo, m_channelCombo

    QTest::newRow("MPG after RMVB") << 0 << 2 << QStringList{u"600"_s,   u"24"_s, u"原始大小"_s,
                                                             u"28000"_s, u"64"_s, u"双声道"_s};
    QTest::newRow("MP3 after 3GP") << 7 << 8 << QStringList{u"128"_s,   u"29"_s,  u"320x240"_s,
                                                            u"48000"_s, u"320"_s, u"双声道"_s};
    QTest::newRow("3GP after MP3") << 8 << 7 << QStringList{u"128"_s,  u"29"_s,   u"320x240"_s,
                                                            u"8000"_s, u"12.2"_s, u"单声道"_s};
    QTest::newRow("MOV after mobile MP4")
        << 6 << 5 << QStringList{u"256"_s, u"29"_s, u"原始大小"_s, u"48000"_s, u"64"_s, u"双声道"_s};
    QTest::newRow("MP3 after MOV keeps the video texts")
        << 5 << 8 << QStringList{u"256"_s, u"29"_s, u"原始大小"_s, u"48000"_s, u"320"_s, u"双声道"_s};
    QTest::newRow("Opus after MP3") << 8 << 9 << QStringList{u"1200"_s,  u"29"_s,  u"原始大小"_s,
                                                             u"48000"_s, u"160"_s, u"双声道"_s};
    QTest::newRow("RMVB again after MPG")
        << 2 << 0 << QStringList{u"1200"_s, u"29"_s, u"原始大小"_s, u"44100"_s, u"320"_s, u"双声道"_s};
}

void TestWindowState::formatDefaults()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(QStringList, texts);
    LoadedWindow w;
    auto *format = w.control<QComboBox>(QStringLiteral("formatCombo"));
    format->setCurrentIndex(first);
    // Whatever was typed in between, choosing a format loads its own values.
    for (const char *name : {"sampleRateCombo", "audioBitrateCombo"})
        w.control<QComboBox>(QString::fromLatin1(name))->setEditText(QStringLiteral("typed"));
    format->setCurrentIndex(second);
    QStringList shown;
    for (const char *name : {"videoBitrateCombo", "frameRateCombo", "sizeCombo", "sampleRateCombo",
                             "audioBitrateCombo", "channelCombo"})
        shown.append(w.control<QComboBox>(QString::fromLatin1(name))->currentText());
    QCOMPARE(shown, texts);
}

void TestWindowState::typedValueSurvivesUntilFormatChange()
{
    LoadedWindow w;
    auto *format = w.control<QComboBox>(QStringLiteral("formatCombo"));
    auto *rate = w.control<QComboBox>(QStringLiteral("sampleRateCombo"));
    format->setCurrentIndex(8);
    rate->lineEdit()->selectAll();
    QTest::keyClicks(rate->lineEdit(), QStringLiteral("22222"));
    w.control<QComboBox>(QStringLiteral("channelCombo"))->setCurrentIndex(0);
    QCOMPARE(rate->currentText(), QStringLiteral("22222"));
    QCOMPARE(rate->count(), 8);
    format->setCurrentIndex(2);
    QCOMPARE(rate->currentText(), QStringLiteral("28000"));
    format->setCurrentIndex(8);
    QCOMPARE(rate->currentText(), QStringLiteral("48000"));
}

void TestWindowState::restoredFormat_data()
{
    QTest::addColumn<QByteArray>("setupIni");
    QTest::addColumn<QStringList>(
        "texts"); // m_formatCombo, m_sampleRateCombo, m_audioBitrateCombo, m_channelCombo, m_outputFolderEdit

    // The format is chosen first; the saved audio values go over its defaults.
    QTest::newRow("MP3 keeps restored audio")
        << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n\"/music/out\"\r\n\"8\"\r\n")
        << QStringList{u"MP3(纯音频格式)"_s, u"24000"_s, u"32"_s, u"单声道"_s, u"/music/out"_s};
    // The first start of a new program folder shows MP3 at 320 kbit/s, 48000 Hz, two channels.
    QFile shipped(TestMedia::programFolder() + QStringLiteral("/setup.ini"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QTest::newRow("as shipped") << shipped.readAll()
                                << QStringList{u"MP3(纯音频格式)"_s, u"48000"_s, u"320"_s, u"双声道"_s,
                                               u"<default>"_s};
    QTest::newRow("MP3 with 128 kbit/s, 44100 Hz, mono")
        << QByteArray("\"9\"\r\n\"1\"\r\n\"0\"\r\n\"/music/out\"\r\n\"8\"\r\n")
        << QStringList{u"MP3(纯音频格式)"_s, u"44100"_s, u"128"_s, u"单声道"_s, u"/music/out"_s};
    // Saved positions keep their meaning: 320 kbit/s comes back for Opus, and Start refuses it.
    QTest::newRow("Opus with a bitrate it refuses")
        << QByteArray("\"13\"\r\n\"0\"\r\n\"1\"\r\n\"/music/out\"\r\n\"9\"\r\n")
        << QStringList{u"Opus(手机，体积小)"_s, u"48000"_s, u"320"_s, u"双声道"_s, u"/music/out"_s};
    QTest::newRow("a format this program does not know")
        << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n\"/music/out\"\r\n\"12\"\r\n")
        << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"24000"_s, u"32"_s, u"单声道"_s, u"/music/out"_s};
    QTest::newRow("RMVB keeps restored audio")
        << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n\"/music/out\"\r\n\"0\"\r\n")
        << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"24000"_s, u"32"_s, u"单声道"_s, u"/music/out"_s};
    QTest::newRow("bitrate outside the list")
        << QByteArray("\"99\"\r\n\"3\"\r\n\"0\"\r\n\"/a, b\"\r\n\"0\"\r\n")
        << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"24000"_s, u"320"_s, u"单声道"_s, u"/a, b"_s};
    // A box with no entry saved keeps its start-up value instead of turning empty.
    QTest::newRow("no entries saved")
        << QByteArray("\"-1\"\r\n\"-1\"\r\n\"-1\"\r\n\"/out\"\r\n\"-1\"\r\n")
        << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"44100"_s, u"320"_s, u"双声道"_s, u"/out"_s};
    QTest::newRow("three lines") << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n")
                                 << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"24000"_s, u"32"_s, u"单声道"_s,
                                                u"<default>"_s};
    QTest::newRow("empty folder") << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n\"\"\r\n\"8\"\r\n")
                                  << QStringList{u"MP3(纯音频格式)"_s, u"24000"_s, u"32"_s, u"单声道"_s,
                                                 u"<default>"_s};
}

void TestWindowState::restoredFormat()
{
    QFETCH(QByteArray, setupIni);
    QFETCH(QStringList, texts);
    LoadedWindow w(setupIni);
    const QString folder = w.control<QLineEdit>(QStringLiteral("outputFolderEdit"))->text();
    QStringList shown;
    for (const char *name : {"formatCombo", "sampleRateCombo", "audioBitrateCombo", "channelCombo"})
        shown.append(w.control<QComboBox>(QString::fromLatin1(name))->currentText());
    shown.append(folder == w.folder.path() + QStringLiteral("/output") ? QStringLiteral("<default>")
                                                                       : folder);
    QCOMPARE(shown, texts);
}

void TestWindowState::exitWritesSetupIni_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("rateText");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("closeBox"); // closed by the window's close box instead of Exit

    QTest::newRow("MP3, mono, path with comma")
        << 8 << 0 << QString() << QStringLiteral("/home/u/音乐, 输出")
        << QByteArray("\"13\"\r\n\"0\"\r\n\"0\"\r\n\"/home/u/\xe9\x9f\xb3\xe4\xb9\x90, "
                      "\xe8\xbe\x93\xe5\x87\xba\"\r\n\"8\"\r\n")
        << false;
    QTest::newRow("second channel entry")
        << 0 << 1 << QString() << QStringLiteral("/out")
        << QByteArray("\"13\"\r\n\"1\"\r\n\"1\"\r\n\"/out\"\r\n\"0\"\r\n") << false;
    QTest::newRow("typed rate is no entry")
        << 8 << 1 << QStringLiteral("28000") << QStringLiteral("/out")
        << QByteArray("\"13\"\r\n\"-1\"\r\n\"1\"\r\n\"/out\"\r\n\"8\"\r\n") << false;
    QTest::newRow("no format selected")
        << -1 << 1 << QString() << QStringLiteral("/out")
        << QByteArray("\"13\"\r\n\"1\"\r\n\"1\"\r\n\"/out\"\r\n\"-1\"\r\n") << false;
    QTest::newRow("close box") << 8 << 0 << QString() << QStringLiteral("/out")
                               << QByteArray("\"13\"\r\n\"0\"\r\n\"0\"\r\n\"/out\"\r\n\"8\"\r\n") << true;
}

void TestWindowState::exitWritesSetupIni()
{
    QFETCH(int, format);
    QFETCH(int, channel);
    QFETCH(QString, rateText);
    QFETCH(QString, folder);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closeBox);
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    w.control<QComboBox>(QStringLiteral("formatCombo"))->setCurrentIndex(format);
    w.control<QComboBox>(QStringLiteral("channelCombo"))->setCurrentIndex(channel);
    if (!rateText.isEmpty())
        w.control<QComboBox>(QStringLiteral("sampleRateCombo"))->setEditText(rateText);
    w.control<QLineEdit>(QStringLiteral("outputFolderEdit"))->setText(folder);

    if (closeBox) {
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        w.window->close();
    } else {
        w.window->commands()->actions().exit->trigger();
    }
    QFile file(w.folder.filePath(QStringLiteral("setup.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(w.ends, 1);
    QVERIFY(services.messages.isEmpty());
}

void TestWindowState::exitWithUnwritableSetupIniStillEnds_data()
{
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("read-only file") << false;
    QTest::newRow("a folder in its place") << true;
}

void TestWindowState::exitWithUnwritableSetupIniStillEnds()
{
    QFETCH(bool, asFolder);
    RecordingServices services;
    const QByteArray saved("\"7\"\r\n\"1\"\r\n\"1\"\r\n\"/kept\"\r\n\"0\"\r\n");
    LoadedWindow w(asFolder ? QByteArray() : saved, &services);
    const QString path = w.folder.filePath(QStringLiteral("setup.ini"));
    if (asFolder)
        QVERIFY(QDir().mkdir(path));
    else
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    w.control<QComboBox>(QStringLiteral("formatCombo"))->setCurrentIndex(8);

    w.window->commands()->actions().exit->trigger();
    QCOMPARE(w.ends, 1);
    QVERIFY(services.messages.isEmpty());
    if (asFolder) {
        QVERIFY(QFileInfo(path).isDir());
    } else if (geteuid() != 0) {
        // The superuser writes through any permission; everyone else must find the file intact.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved);
    }
}

QTEST_MAIN(TestWindowState)
#include "tst_windowstate.moc"
