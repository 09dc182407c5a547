#include "conversion/formattable.h"

#include <QtTest>

class TestFormatTable : public QObject
{
    Q_OBJECT

private slots:
    void entries_data()
    {
        QTest::addColumn<QStringList>("actual");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("formatCombo")
            << FormatTable::formatEntries()
            << QStringList{
                   QStringLiteral("RMVB(RealPlayerRMVB)"), QStringLiteral("RM(RealPlayerRM)"),
                   QStringLiteral("MPG(MPEG2)"),           QStringLiteral("AVI(Windows Media Player格式)"),
                   QStringLiteral("MP4(高清MPEG4格式)"),   QStringLiteral("MOV(QuickTime格式)"),
                   QStringLiteral("MP4(手机MP4格式)"),     QStringLiteral("3GP(手机3GP格式)"),
                   QStringLiteral("MP3(纯音频格式)"),      QStringLiteral("Opus(手机，体积小)"),
                   QStringLiteral("AAC(M4A，苹果设备)"),   QStringLiteral("Ogg Vorbis")};
        QTest::newRow("videoBitrateCombo")
            << FormatTable::videoBitrateEntries()
            << QStringLiteral("40 80 120 128 256 384 512 600 640 768 800 900 1000 1500")
                   .split(QLatin1Char(' '));
        QTest::newRow("frameRateCombo")
            << FormatTable::frameRateEntries() << QStringLiteral("15 23 29").split(QLatin1Char(' '));
        QTest::newRow("sizeCombo") << FormatTable::sizeEntries()
                                   << QStringLiteral(
                                          "原始大小 128x96 160x120 176x144 320x180 320x240 352x288 640x272 "
                                          "480x480 640x360 640x480 720x306 720x320")
                                          .split(QLatin1Char(' '));
        QTest::newRow("sampleRateCombo")
            << FormatTable::sampleRateEntries()
            << QStringLiteral("48000 44100 32000 24000 22050 16000 12050 8000").split(QLatin1Char(' '));
        QTest::newRow("audioBitrateCombo")
            << FormatTable::audioBitrateEntries()
            << QStringLiteral("10.2 12.2 32 48 56 64 80 96 112 128 192 224 256 320").split(QLatin1Char(' '));
        QTest::newRow("channelCombo") << FormatTable::channelEntries()
                                      << QStringList{QStringLiteral("单声道"), QStringLiteral("双声道")};
    }

    void entries()
    {
        QFETCH(QStringList, actual);
        QFETCH(QStringList, expected);
        QCOMPARE(actual, expected);
    }

    void captions_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("formatLabel") << FormatTable::outputFormatCaption() << QStringLiteral("输出格式：");
        QTest::newRow("mp3Label") << FormatTable::mp3Caption() << QStringLiteral("MP3 - 音乐声音格式");
        QTest::newRow("videoBitrateLabel")
            << FormatTable::videoBitrateCaption() << QStringLiteral("视频比特率：");
        QTest::newRow("frameRateLabel") << FormatTable::frameRateCaption() << QStringLiteral("帧率：");
        QTest::newRow("sizeLabel") << FormatTable::sizeCaption() << QStringLiteral("视频尺寸：");
        QTest::newRow("sampleRateLabel") << FormatTable::sampleRateCaption() << QStringLiteral("声音频率：");
        QTest::newRow("audioBitrateLabel")
            << FormatTable::audioBitrateCaption() << QStringLiteral("声音比特率：");
        QTest::newRow("channelLabel") << FormatTable::channelCaption() << QStringLiteral("声道：");
        QTest::newRow("outputFolderLabel")
            << FormatTable::outputPathCaption() << QStringLiteral("输出路径：");
    }

    void captions()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void perFormat_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QStringList>("tools");
        QTest::addColumn<bool>("twoStage");
        const QStringList convCoder{QStringLiteral("conv"), QStringLiteral("coder")};
        const QStringList convCoder2{QStringLiteral("conv"), QStringLiteral("coder2")};
        const QStringList conv{QStringLiteral("conv")};
        QTest::newRow("RMVB") << 0 << QStringLiteral(".rmvb") << convCoder << true;
        QTest::newRow("RM") << 1 << QStringLiteral(".rm") << convCoder << true;
        QTest::newRow("MPG") << 2 << QStringLiteral(".mpg") << conv << false;
        QTest::newRow("AVI") << 3 << QStringLiteral(".avi") << conv << false;
        QTest::newRow("HD MP4") << 4 << QStringLiteral(".mp4") << conv << false;
        QTest::newRow("MOV") << 5 << QStringLiteral(".mov") << convCoder << true;
        QTest::newRow("mobile MP4") << 6 << QStringLiteral(".mp4") << convCoder2 << true;
        QTest::newRow("3GP") << 7 << QStringLiteral(".3gp") << convCoder2 << true;
        QTest::newRow("MP3") << 8 << QStringLiteral(".mp3")
                             << QStringList{QStringLiteral("sox"), QStringLiteral("coder"),
                                            QStringLiteral("coder")}
                             << false;
        QTest::newRow("Opus") << 9 << QStringLiteral(".opus") << QStringList{QStringLiteral("coder")}
                              << false;
        QTest::newRow("AAC") << 10 << QStringLiteral(".m4a") << QStringList{QStringLiteral("coder")} << false;
        QTest::newRow("Vorbis") << 11 << QStringLiteral(".ogg") << QStringList{QStringLiteral("coder")}
                                << false;
    }

    void perFormat()
    {
        QFETCH(int, position);
        QFETCH(QString, extension);
        QFETCH(QStringList, tools);
        QFETCH(bool, twoStage);
        const std::optional<OutputFormat> format = FormatTable::formatAt(position);
        QVERIFY(format);
        QCOMPARE(FormatTable::positionOf(*format), position);
        QCOMPARE(FormatTable::extension(*format), extension);
        QCOMPARE(FormatTable::stageTools(*format), tools);
        QCOMPARE(FormatTable::isTwoStage(*format), twoStage);
    }

    void positionsOutsideTheSelectorNameNoFormat()
    {
        QVERIFY(!FormatTable::formatAt(-1));
        QVERIFY(!FormatTable::formatAt(12));
        QCOMPARE(FormatTable::formatCount, FormatTable::formatEntries().size());
    }

    void defaults_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QStringList>("expected"); // videoBitrateCombo, frameRateCombo, sizeCombo,
                                                   // sampleRateCombo, audioBitrateCombo, channelCombo
        const auto row = [](const char *list) { return QString::fromUtf8(list).split(QLatin1Char(' ')); };
        QTest::newRow("RMVB") << 0 << row("1200 29 原始大小 44100 320 1");
        QTest::newRow("RM") << 1 << row("1200 29 原始大小 44100 320 1");
        QTest::newRow("MPG") << 2 << row("600 24 原始大小 28000 64 1");
        QTest::newRow("AVI") << 3 << row("600 24 原始大小 28000 64 1");
        QTest::newRow("HD MP4") << 4 << row("1200 29 原始大小 48000 320 1");
        QTest::newRow("MOV") << 5 << row("256 29 原始大小 48000 64 1");
        QTest::newRow("mobile MP4") << 6 << row("128 29 320x240 8000 12.2 0");
        QTest::newRow("3GP") << 7 << row("128 29 320x240 8000 12.2 0");
        // "-": the audio formats leave the video boxes alone.
        QTest::newRow("MP3") << 8 << row("- - - 48000 320 1");
        QTest::newRow("Opus") << 9 << row("- - - 48000 160 1");
        QTest::newRow("AAC") << 10 << row("- - - 44100 256 1");
        QTest::newRow("Vorbis") << 11 << row("- - - 44100 192 1");
    }

    void defaults()
    {
        QFETCH(int, position);
        QFETCH(QStringList, expected);
        const FormatDefaults d = FormatTable::defaultsFor(*FormatTable::formatAt(position));
        const QString none = QStringLiteral("-");
        QCOMPARE(
            (QStringList{d.videoBitrate.value_or(none), d.frameRate.value_or(none), d.size.value_or(none),
                         d.sampleRate, d.audioBitrate, QString::number(d.channelIndex)}),
            expected);
    }

    // What the encoders would refuse is refused before a run; MP3 and video keep taking any text.
    void refusedSettings_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("bitrate");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("refused"); // the value the warning names; empty: taken
        QTest::newRow("Opus at its edges") << 9 << "256"
                                           << "48000"
                                           << "";
        QTest::newRow("Opus 320 restored") << 9 << "320"
                                           << "48000"
                                           << "320 kbit/s";
        QTest::newRow("Opus other rate") << 9 << "64"
                                         << "44100"
                                         << "44100 Hz";
        QTest::newRow("AAC below") << 10 << "64"
                                   << "44100"
                                   << "64 kbit/s";
        QTest::newRow("AAC 12050") << 10 << "96"
                                   << "12050"
                                   << "12050 Hz";
        QTest::newRow("Vorbis typed text") << 11 << "12.2"
                                           << "44100"
                                           << "12.2 kbit/s";
        QTest::newRow("Vorbis 32000") << 11 << "192"
                                      << "32000"
                                      << "32000 Hz";
        QTest::newRow("MP3 anything") << 8 << "12.2"
                                      << "12050"
                                      << "";
        QTest::newRow("RMVB anything") << 0 << "7"
                                       << "1"
                                       << "";
    }

    void refusedSettings()
    {
        QFETCH(int, position);
        QFETCH(QString, bitrate);
        QFETCH(QString, rate);
        QFETCH(QString, refused);
        EncodingSettings settings = FormatTable::defaultSettings(*FormatTable::formatAt(position));
        settings.audioBitrate = bitrate;
        settings.sampleRate = rate;
        const QString warning = FormatTable::refusedSetting(*FormatTable::formatAt(position), settings);
        QCOMPARE(warning.isEmpty(), refused.isEmpty());
        QVERIFY2(warning.contains(refused), qPrintable(warning));
    }

    void startupPositions()
    {
        const StartupPositions s = FormatTable::startupPositions();
        QCOMPARE(FormatTable::audioBitrateEntries().at(s.audioBitrate), QStringLiteral("96"));
        QCOMPARE(FormatTable::sampleRateEntries().at(s.sampleRate), QStringLiteral("44100"));
        QCOMPARE(FormatTable::channelEntries().at(s.channel), QStringLiteral("双声道"));
        QCOMPARE(s.format, 0);
    }

    void videoDefaultsOutsideTheListsAreTypedText()
    {
        // "1200", "24" and "28000" are shown although no list holds them.
        QVERIFY(!FormatTable::videoBitrateEntries().contains(
            *FormatTable::defaultsFor(OutputFormat::Rmvb).videoBitrate));
        QVERIFY(!FormatTable::frameRateEntries().contains(
            *FormatTable::defaultsFor(OutputFormat::Mpg).frameRate));
        QVERIFY(!FormatTable::sampleRateEntries().contains(
            FormatTable::defaultsFor(OutputFormat::Avi).sampleRate));
        QCOMPARE(FormatTable::sizeEntries().constFirst(), FormatTable::originalSize());
    }
};

QTEST_GUILESS_MAIN(TestFormatTable)
#include "tst_formattable.moc"
