#include "common/fatimage.h"
#include "conversion/partialoutput.h"

#include <QDir>
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
        // What is cut ends in a hash of the whole name, so long names that differ at their end stay
        // apart.
        const QString zh(82, QChar(0x4E2D));
        QTest::newRow("longest name")
            << zh + QStringLiteral("_953.mp3") << 1
            << QStringLiteral(".") + zh.left(74) + QStringLiteral("~12eb5886.myhost-4711.part.mp3");
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
        const std::optional<PartialOutput::Reading> reading = PartialOutput::readName(hiddenName);
        QVERIFY(reading);
        QCOMPARE(reading->owner, (PartialOutput::Owner{QStringLiteral("myhost"), 4711, attempt}));
        // A name that differs only at the end of its stem has a hidden name of its own.
        QString sibling = finalName;
        const qsizetype dot = finalName.lastIndexOf(u'.');
        sibling[(dot > 0 ? dot : finalName.size()) - 1] = u'X';
        QVERIFY(PartialOutput::nameFor(QStringLiteral("/out/") + sibling, QStringLiteral("myhost"), 4711,
                                       attempt) != hidden);
    }

    // Hidden files that a process of this machine left behind when it ended are cleared by the next
    // run writing there, with the empty name one left while taking it on FAT; those of other
    // machines (whose names may end in this one's), and of processes still running, stay.
    void staleHiddenFilesGo()
    {
        QTemporaryDir dir;
        QProcess ended;
        ended.start(QStringLiteral("true"));
        QVERIFY(ended.waitForStarted());
        const qint64 gone = ended.processId();
        QVERIFY(ended.waitForFinished());
        const QString self = QString::number(QCoreApplication::applicationPid());
        const QStringList stay{QStringLiteral(".a.vm-%1.part.mp3").arg(self),
                               QStringLiteral(".b.vm-1.part.mp3"),
                               QStringLiteral(".c.x_vm-%1.part.mp3").arg(gone),
                               QStringLiteral(".c.vm_1-%1.part.mp3").arg(gone),
                               QStringLiteral("d.vm-%1.part.mp3").arg(gone),
                               QStringLiteral("e_953.mp3"),
                               QStringLiteral("g_953.mp3")};
        const QStringList left{QStringLiteral(".e_953.vm-%1-3.part.mp3").arg(gone),
                               QStringLiteral(".f_953.vm-%1.publishing.mp3").arg(gone),
                               QStringLiteral("f_953.mp3"),
                               QStringLiteral(".g_953.vm-%1.publishing.mp3").arg(gone)};
        for (const QString &name : stay + left) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (name == QStringLiteral("g_953.mp3"))
                QVERIFY(file.write("whole") == 5);
        }
        QCOMPARE(PartialOutput::removeStale(dir.path(), QStringLiteral("vm")), 3);
        for (const QString &name : left)
            QVERIFY2(!QFileInfo::exists(dir.filePath(name)), qPrintable(name));
        for (const QString &name : stay)
            QVERIFY2(QFileInfo::exists(dir.filePath(name)), qPrintable(name));
    }

    // On FAT (here a FUSE mount of a FAT image), which knows neither a rename that refuses a target
    // nor a second name: outputs still never replace one another, and what a process killed while
    // taking a name left (its ".publishing" file and the empty name) is cleared by the next run.
    void publishingOnFat()
    {
        FatImage fat;
        if (!fat.isMounted())
            QSKIP("no FAT image can be made and mounted here (dosfstools, fusefat, /dev/fuse)");
        const QString mount = fat.path();
        const QString wanted = mount + QStringLiteral("/a.mp3");
        for (const QString &expected : {wanted, mount + QStringLiteral("/a (2).mp3")}) {
            const QString partial = PartialOutput::reserve(wanted);
            QFile written(partial);
            QVERIFY(written.open(QIODevice::WriteOnly) && written.write("whole") == 5);
            written.close();
            QCOMPARE(PartialOutput::publish(partial, wanted).path, expected);
        }
        QProcess ended;
        ended.start(QStringLiteral("true"));
        QVERIFY(ended.waitForStarted());
        const PartialOutput::Owner gone{QStringLiteral("vm"), ended.processId(), 1};
        QVERIFY(ended.waitForFinished());
        // A name FAT cannot hold is refused as the hidden file is made, before any tool writes it.
        int refused = 0;
        PartialOutput::reserve(mount + QStringLiteral("/what?.mp3"), &refused);
        QVERIFY(refused != 0);
        const QString left = mount + QStringLiteral("/b.mp3");
        for (const QString &path :
             {left, PartialOutput::nameFor(left, gone, PartialOutput::Step::Publishing)}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(PartialOutput::removeStale(mount, QStringLiteral("vm")), 1);
        QCOMPARE(QDir(mount).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("a (2).mp3"), QStringLiteral("a.mp3")}));
    }
};

QTEST_GUILESS_MAIN(TestPartialOutput)
#include "tst_partialoutput.moc"
