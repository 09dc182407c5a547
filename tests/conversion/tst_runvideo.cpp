#include "common/listrows.h"
#include "runfixture.h"

#include <QFileInfo>

// A generated video through every video format with the real tools: the formats the tools accept
// give a file whose container ffprobe names; a format a tool rejects leaves the row marked with
// the tool's reason, and the run still ends.
class TestRunVideo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_mediaDir;
    QString m_video;

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(TestMedia::programFolder() + QStringLiteral("/data/conv")).isExecutable(),
                 "the build makes data/conv");
        m_video = m_mediaDir.filePath(QStringLiteral("clip.mp4"));
        QVERIFY(TestMedia::makeVideo(m_video, 3,
                                     {QStringLiteral("-c:v"), QStringLiteral("libx264"),
                                      QStringLiteral("-c:a"), QStringLiteral("aac")}));
    }
    void everyVideoFormat_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("container"); // empty: the tools reject this format
        QTest::addColumn<QStringList>("tools"); // of the stages, in their order
        const QStringList coder{QStringLiteral("conv"), QStringLiteral("coder")};
        const QStringList coder2{QStringLiteral("conv"), QStringLiteral("coder2")};
        const QStringList conv{QStringLiteral("conv")};
        const QString original = FormatTable::originalSize();
        const QString isoMedia = QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2");
        QTest::newRow("RMVB") << 0 << original << QStringLiteral(".rmvb") << QStringLiteral("rm") << coder;
        QTest::newRow("RMVB resized")
            << 0 << QStringLiteral("320x240") << QStringLiteral(".rmvb") << QStringLiteral("rm") << coder;
        // RealVideo 1 takes only sizes in multiples of 16.
        QTest::newRow("RMVB 160x120")
            << 0 << QStringLiteral("160x120") << QStringLiteral(".rmvb") << QString() << coder;
        QTest::newRow("RM 320x180") << 1 << QStringLiteral("320x180") << QStringLiteral(".rm") << QString()
                                    << coder;
        QTest::newRow("RM") << 1 << original << QStringLiteral(".rm") << QStringLiteral("rm") << coder;
        QTest::newRow("MPG") << 2 << original << QStringLiteral(".mpg") << QStringLiteral("mpeg") << conv;
        QTest::newRow("AVI") << 3 << original << QStringLiteral(".avi") << QStringLiteral("avi") << conv;
        QTest::newRow("HD MP4") << 4 << original << QStringLiteral(".mp4") << QStringLiteral("avi") << conv;
        QTest::newRow("MOV") << 5 << original << QStringLiteral(".mov") << isoMedia << coder;
        QTest::newRow("mobile MP4") << 6 << original << QStringLiteral(".mp4") << isoMedia << coder2;
        QTest::newRow("3GP") << 7 << original << QStringLiteral(".3gp") << isoMedia << coder2;
        QTest::newRow("3GP resized") << 7 << QStringLiteral("176x144") << QStringLiteral(".3gp") << isoMedia
                                     << coder2;
    }
    void everyVideoFormat()
    {
        QFETCH(int, format);
        QFETCH(QString, size);
        QFETCH(QString, extension);
        QFETCH(QString, container);
        QFETCH(QStringList, tools);
        RunFixture f;
        f.host.useDefaultsOf(OutputFormat(format));
        f.host.settings.size = size;
        const FileList::Id id = f.files.addFile(m_video);
        QStringList toolNames;
        connect(&f.run, &ConversionRun::stageStarted, &f.run,
                [&](FileList::Id, const QString &tool) { toolNames.append(tool); });

        QVERIFY(f.startAndWait());

        QCOMPARE(toolNames, tools);
        QStringList expectedLog;
        for (const QString &tool : tools) {
            const bool ok = !container.isEmpty() || tool != tools.last();
            expectedLog << QStringLiteral("start %1 %2").arg(id).arg(tool)
                        << QStringLiteral("end %1 %2 %3")
                               .arg(id)
                               .arg(tool, ok ? QStringLiteral("ok") : QStringLiteral("failed"));
        }
        if (!container.isEmpty())
            expectedLog << QStringLiteral("removed %1").arg(id);
        QCOMPARE(f.log, expectedLog);
        const QStringList outputs = f.outputs();
        if (container.isEmpty()) {
            QVERIFY(outputs.isEmpty());
            QCOMPARE(rowIds(f.files), QList<FileList::Id>{id});
            QVERIFY(markedFailed(f.files, id));
            QCOMPARE(f.files.failureReason(id), QStringLiteral("Conversion failed!"));
            QCOMPARE(f.outcome->failed, 1);
        } else {
            QVERIFY2(f.files.isEmpty(), qPrintable(f.files.failureReason(id)));
            QCOMPARE(outputs.size(), 1);
            QVERIFY2(outputs[0].startsWith(QStringLiteral("clip-")) && outputs[0].endsWith(extension),
                     qPrintable(outputs[0]));
            const QJsonObject probe = TestMedia::probe(QDir(f.host.outputFolder).filePath(outputs[0]));
            QCOMPARE(TestMedia::formatName(probe), container);
            QVERIFY(!TestMedia::firstStream(probe, QStringLiteral("video")).isEmpty());
            QVERIFY(qAbs(TestMedia::durationSeconds(probe) - 3) <= 0.5);
            QCOMPARE(f.outcome->converted, 1);
        }
        QCOMPARE(f.outcome->end, RunOutcome::End::Finished);
    }

    // The music cutter: only the part from its start to its end is converted, by the MP3 encode or by
    // conv; a start at or after the input's end marks the file with its own reason.
    void musicCutterCuts_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<double>("inputSeconds"); // a tagged FLAC, or 0 for the generated clip
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<double>("outputSeconds"); // 0: the file fails
        QTest::newRow("MP3 5 to 10 s") << int(OutputFormat::Mp3) << 20.0 << 5 << 10 << 5.0;
        QTest::newRow("MP3 from 15 s to the end") << int(OutputFormat::Mp3) << 20.0 << 15 << 0 << 5.0;
        QTest::newRow("MP3 start beyond the end") << int(OutputFormat::Mp3) << 2.0 << 5 << 10 << 0.0;
        QTest::newRow("MPG 1 to 2 s") << int(OutputFormat::Mpg) << 0.0 << 1 << 2 << 1.0;
        QTest::newRow("MOV 1 to 2 s") << int(OutputFormat::Mov) << 0.0 << 1 << 2 << 1.0;
        QTest::newRow("MPG start beyond the end") << int(OutputFormat::Mpg) << 0.0 << 5 << 0 << 0.0;
    }
    void musicCutterCuts()
    {
        QFETCH(int, format);
        QFETCH(double, inputSeconds);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(double, outputSeconds);
        RunFixture f;
        f.host.useDefaultsOf(OutputFormat(format));
        f.settings.cutter = ProgramSettings::CutterSwitch::On;
        f.settings.cutStartSeconds = start;
        f.settings.cutEndSeconds = end;
        const FileList::Id id = inputSeconds > 0
                                    ? f.addFlac(QStringLiteral("song.flac"), inputSeconds,
                                                {{QStringLiteral("TITLE"), QStringLiteral("剪切")}})
                                    : f.files.addFile(m_video);
        QVERIFY(id);

        QVERIFY(f.startAndWait());

        if (outputSeconds == 0) {
            QVERIFY(f.outputs().isEmpty());
            QCOMPARE(f.files.failureReason(id), QStringLiteral("剪切范围超出文件长度"));
            return;
        }
        QVERIFY2(f.files.isEmpty(), qPrintable(f.files.failureReason(id)));
        const QJsonObject probe = TestMedia::probe(QDir(f.host.outputFolder).filePath(f.outputs().value(0)));
        const double seconds = TestMedia::durationSeconds(probe);
        QVERIFY2(qAbs(seconds - outputSeconds) <= (inputSeconds > 0 ? 0.1 : 0.2),
                 qPrintable(QString::number(seconds)));
        if (inputSeconds > 0)
            QCOMPARE(TestMedia::tag(probe, QStringLiteral("title")), QStringLiteral("剪切"));
    }

    // An audio-only input has no video for the encoder: stage 1 fails, and the second stage must
    // not convert the intermediate an earlier file left behind.
    void failedFirstStageSkipsTheSecond()
    {
        RunFixture f;
        f.host.useDefaultsOf(OutputFormat::Mov);
        const FileList::Id video = f.files.addFile(m_video);
        const FileList::Id audio = f.addFlac(QStringLiteral("song.flac"), 2);
        QVERIFY(audio);

        QVERIFY(f.startAndWait());

        QCOMPARE(rowIds(f.files), QList<FileList::Id>{audio});
        QVERIFY(markedFailed(f.files, audio));
        QVERIFY(f.log.contains(QStringLiteral("removed %1").arg(video)));
        QVERIFY(f.log.contains(QStringLiteral("end %1 conv failed").arg(audio)));
        QVERIFY(!f.log.contains(QStringLiteral("start %1 coder").arg(audio)));
        const QStringList outputs = f.outputs();
        QCOMPARE(outputs.size(), 1);
        QVERIFY(outputs[0].startsWith(QStringLiteral("clip-")));
    }
};

QTEST_GUILESS_MAIN(TestRunVideo)
#include "tst_runvideo.moc"
