#include "common/testmedia.h"
#include "conversion/flacfallback.h"
#include "conversion/recipes.h"
#include "conversion/toolnames.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// The tool launchers of the program folder pass every argument through untouched and report the
// tool's own exit status.
class TestLaunchers : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QString tool(const QString &name) { return Recipes::toolPath(TestMedia::programFolder(), name); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void probeForwardsPathsVerbatim_data()
    {
        QTest::addColumn<QString>("launcher");
        QTest::addColumn<QString>("name");
        for (const QString &launcher : {ToolName::coder.toString(), ToolName::coder2.toString()}) {
            QTest::addRow("%s plain", qPrintable(launcher)) << launcher << QStringLiteral("plain.flac");
            QTest::addRow("%s blanks and quotes", qPrintable(launcher))
                << launcher << QStringLiteral("a  \"b\" 'c'.flac");
            QTest::addRow("%s shell characters", qPrintable(launcher))
                << launcher << QStringLiteral("$HOME `x` *;&.flac");
            QTest::addRow("%s backslashes and Chinese", qPrintable(launcher))
                << launcher << QStringLiteral("音乐\\\\ \\.flac");
        }
    }

    // "-i file" names no output: ffmpeg prints the input's duration and stops.
    void probeForwardsPathsVerbatim()
    {
        QFETCH(QString, launcher);
        QFETCH(QString, name);
        const QString file = m_dir.filePath(name);
        QVERIFY(TestMedia::makeFlac(file, 1.5));
        const TestMedia::ToolResult r = TestMedia::run(tool(launcher), {QStringLiteral("-i"), file});
        QVERIFY2(r.output.contains("Duration: 00:00:01.50"), r.output.right(300).constData());
        QVERIFY(!r.output.contains("No such file"));
    }

    void soxDecodesAnyName()
    {
        const QString in = m_dir.filePath(QStringLiteral("歌 \"x\" $y.flac"));
        const QString out = m_dir.filePath(QStringLiteral("out put.wav"));
        QVERIFY(TestMedia::makeFlac(in, 1.0, 96000, 2, 24));
        const TestMedia::ToolResult r = TestMedia::run(tool(ToolName::sox.toString()), {in, out});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject info = TestMedia::probe(out);
        QCOMPARE(TestMedia::formatName(info), QStringLiteral("wav"));
        QVERIFY(qAbs(TestMedia::durationSeconds(info) - 1.0) < 0.01);
    }

    void failuresKeepTheirStatus_data()
    {
        QTest::addColumn<QString>("launcher");
        QTest::addColumn<QStringList>("arguments");
        const QString missing = m_dir.filePath(QStringLiteral("missing.flac"));
        const QString out = m_dir.filePath(QStringLiteral("never.mp3"));
        QTest::newRow("coder") << ToolName::coder.toString()
                               << QStringList{QStringLiteral("-i"), missing, QStringLiteral("-y"), out};
        QTest::newRow("coder2") << ToolName::coder2.toString()
                                << QStringList{QStringLiteral("-i"), missing, QStringLiteral("-y"), out};
        QTest::newRow("sox") << ToolName::sox.toString() << QStringList{missing, out};
        QTest::newRow("flac") << ToolName::flac.toString()
                              << QStringList{QStringLiteral("-d"), missing, QStringLiteral("-o"),
                                             m_dir.filePath(QStringLiteral("never.wav"))};
    }

    void failuresKeepTheirStatus()
    {
        QFETCH(QString, launcher);
        QFETCH(QStringList, arguments);
        const TestMedia::ToolResult r = TestMedia::run(tool(launcher), arguments);
        QVERIFY(!r.crashed);
        QVERIFY(r.exitCode != 0);
        QVERIFY(!QFileInfo::exists(arguments.constLast()));
    }

    // The phone encoder writes the 3GP file format whatever the output's extension says.
    void phoneEncoderForcesThe3gpMuxer()
    {
        const QString in = m_dir.filePath(QStringLiteral("clip.avi"));
        QVERIFY(TestMedia::makeVideo(in, 0.5,
                                     {QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-c:a"),
                                      QStringLiteral("libmp3lame")}));
        const QString out = m_dir.filePath(QStringLiteral("phone -f x.mp4"));
        const TestMedia::ToolResult r = TestMedia::run(
            tool(ToolName::coder2.toString()),
            {QStringLiteral("-i"), in, QStringLiteral("-y"), QStringLiteral("-vcodec"),
             QStringLiteral("mpeg4"), QStringLiteral("-acodec"), QStringLiteral("amr_nb"),
             QStringLiteral("-ar"), QStringLiteral("8000"), QStringLiteral("-ac"), QStringLiteral("1"), out});
        QVERIFY2(r.exitCode == 0, r.output.right(300).constData());
        QCOMPARE(TestMedia::tag(TestMedia::probe(out), QStringLiteral("major_brand")),
                 QStringLiteral("3gp4"));
    }
};

QTEST_GUILESS_MAIN(TestLaunchers)
#include "tst_launchers.moc"
