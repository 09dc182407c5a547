#include "conversion/partialoutput.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The hidden names outputs are written under until they are whole, and what is left of them.
class TestPartialOutput : public QObject
{
    Q_OBJECT

private slots:
    void hiddenNames_data()
    {
        QTest::addColumn<QString>("finalName");
        QTest::addColumn<int>("attempt");
        QTest::addColumn<QString>("hiddenName");
        QTest::newRow("MP3") << QStringLiteral("long0_16423.mp3") << 1
                             << QStringLiteral(".long0_16423.myhost-4711.part.mp3");
        QTest::newRow("second of one name")
            << QStringLiteral("a-953.3gp") << 2 << QStringLiteral(".a-953.myhost-4711-2.part.3gp");
        QTest::newRow("no extension")
            << QStringLiteral("noext") << 1 << QStringLiteral(".noext.myhost-4711.part");
        // The hidden name gives way where the final name is long: 254 bytes take 276 with the owner.
        const QString zh(82, QChar(0x4E2D));
        QTest::newRow("longest name")
            << zh + QStringLiteral("_953.mp3") << 1
            << QStringLiteral(".") + zh.left(77) + QStringLiteral(".myhost-4711.part.mp3");
    }
    void hiddenNames()
    {
        QFETCH(QString, finalName);
        QFETCH(int, attempt);
        QFETCH(QString, hiddenName);
        const QString hidden = PartialOutput::nameFor(QStringLiteral("/out/") + finalName,
                                                      QStringLiteral("myhost"), 4711, attempt);
        QCOMPARE(hidden, QStringLiteral("/out/") + hiddenName);
        QVERIFY(hidden.mid(5).toUtf8().size() <= 255);
    }

    // Hidden files that a process of this machine left behind when it ended are cleared by the next
    // run writing there; another machine's, and those of processes still running, stay.
    void staleHiddenFilesGo()
    {
        QTemporaryDir dir;
        QProcess ended;
        ended.start(QStringLiteral("true"));
        QVERIFY(ended.waitForStarted());
        const qint64 gone = ended.processId();
        QVERIFY(ended.waitForFinished());
        const QString host = PartialOutput::hostName();
        const QString self = QString::number(QCoreApplication::applicationPid());
        const QStringList stay{
            QStringLiteral(".a.%1-%2.part.mp3").arg(host, self), QStringLiteral(".b.%1-1.part.mp3").arg(host),
            QStringLiteral(".c.other%1-%2.part.mp3").arg(host).arg(gone),
            QStringLiteral("d.%1-%2.part.mp3").arg(host).arg(gone), QStringLiteral("e_953.mp3")};
        const QString left = QStringLiteral(".e_953.%1-%2-3.part.mp3").arg(host).arg(gone);
        for (const QString &name : stay + QStringList{left}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(PartialOutput::removeStale(dir.path()), 1);
        QVERIFY(!QFileInfo::exists(dir.filePath(left)));
        for (const QString &name : stay)
            QVERIFY2(QFileInfo::exists(dir.filePath(name)), qPrintable(name));
    }
};

QTEST_GUILESS_MAIN(TestPartialOutput)
#include "tst_partialoutput.moc"
