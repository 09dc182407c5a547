#include "common/listrows.h"
#include "filelist/filelist.h"
#include "platform/workpaths.h"

#include "common/testmedia.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <unistd.h>

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void formatCell_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("format");
        QTest::newRow("flac") << QStringLiteral("/music/song.flac") << QStringLiteral("FLAC");
        QTest::newRow("mp3") << QStringLiteral("/music/a.mp3") << QStringLiteral(".MP3");
        QTest::newRow("no extension") << QStringLiteral("/music/track01") << QStringLiteral("CK01");
        QTest::newRow("dropped folder") << QStringLiteral("/home/me/Music") << QStringLiteral("USIC");
        QTest::newRow("blanks around") << QStringLiteral("  /m/b.Flac  ") << QStringLiteral("FLAC");
        QTest::newRow("short") << QStringLiteral("ab") << QStringLiteral("AB");
        QTest::newRow("empty") << QString() << QString();
    }
    void formatCell()
    {
        QFETCH(QString, path);
        QFETCH(QString, format);
        QCOMPARE(FileList::formatCell(path), format);
        FileList list;
        const FileList::Id id = list.addFile(path);
        QCOMPARE(list.format(id), format);
        QCOMPARE(list.data(list.index(0, FileList::FormatColumn)).toString(), format);
        QCOMPARE(list.data(list.index(0, FileList::NameColumn)).toString(), path);
    }

    void parsePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::newRow("file in folder") << QStringLiteral("/music/a.flac") << QStringLiteral("/music/");
        QTest::newRow("bare name") << QStringLiteral("a.flac") << QString();
        QTest::newRow("colon is a name character")
            << QStringLiteral("/m/D:x/a:b.flac") << QStringLiteral("/m/D:x/");
        QTest::newRow("root") << QStringLiteral("/a.flac") << QStringLiteral("/");
        QTest::newRow("trailing slash") << QStringLiteral("/music/") << QStringLiteral("/music/");
    }
    void parsePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QCOMPARE(FileList::folderOf(path), folder);
    }

    void sameFileTwiceGivesTwoRows()
    {
        FileList list;
        const QString path = QStringLiteral("/music/a.flac");
        const FileList::Id first = list.addFile(path);
        const FileList::Id second = list.addFile(path);
        QVERIFY(first != second);
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.rowCount(), 2);
        QCOMPARE(list.path(first), path);
        QCOMPARE(list.path(second), path);
        QCOMPARE(rowIds(list), (QList<FileList::Id>{first, second}));
    }

    void removingTheSecondOfThreeKeepsTheOthersInOrder()
    {
        FileList list;
        const auto a = list.addFile(QStringLiteral("/m/a.flac"));
        const auto b = list.addFile(QStringLiteral("/m/b.flac"));
        const auto c = list.addFile(QStringLiteral("/m/c.flac"));
        list.removeSelectedRow(1);
        QCOMPARE(rowIds(list), (QList<FileList::Id>{a, c}));
        QCOMPARE(list.data(list.index(1, 0)).toString(), QStringLiteral("/m/c.flac"));
        QCOMPARE(list.rowOf(b), -1);
        QCOMPARE(list.rowOf(c), 1);
        QCOMPARE(list.path(b), QString());
    }

    void removeWithoutSelectionChangesNothing_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("no selection") << -1;
        QTest::newRow("past the end") << 2;
    }
    void removeWithoutSelectionChangesNothing()
    {
        QFETCH(int, row);
        FileList list;
        list.addFile(QStringLiteral("/m/a.flac"));
        list.addFile(QStringLiteral("/m/b.flac"));
        list.removeSelectedRow(row);
        QCOMPARE(list.count(), 2);
    }

    void removingAnIdTwice()
    {
        FileList list;
        const auto id = list.addFile(QStringLiteral("/m/a.flac"));
        QVERIFY(list.removeId(id));
        QVERIFY(!list.removeId(id));
        QVERIFY(list.isEmpty());
    }

    void removeAllEmptiesTheQueue_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("one batch and a bit") << FileList::RemoveBatchSize + 1;
        QTest::newRow("many") << 3 * FileList::RemoveBatchSize;
    }
    void removeAllEmptiesTheQueue()
    {
        QFETCH(int, rows);
        FileList list;
        for (int i = 0; i < rows; ++i)
            list.addFile(QStringLiteral("/m/%1.flac").arg(i));
        QSignalSpy removed(&list, &FileList::rowsRemoved);
        QSignalSpy finished(&list, &FileList::removeAllFinished);
        list.removeAll();
        // The first batch goes at once, the rest from the event loop.
        QCOMPARE(list.isRemovingAll(), rows > FileList::RemoveBatchSize);
        QTRY_COMPARE(finished.count(), 1);
        QVERIFY(!list.isRemovingAll());
        QVERIFY(list.isEmpty());
        QCOMPARE(list.rowCount(), 0);
        QVERIFY(rowIds(list).isEmpty());
        QCOMPARE(rowId(list, 0), FileList::Id(0));
        // Taken off in batches, not a view update per row.
        QVERIFY(removed.count() <= rows / FileList::RemoveBatchSize + 1);
    }

    void removeAllLetsEventsRunAndKeepsFilesAddedMeanwhile()
    {
        FileList list;
        QList<FileList::Id> ids;
        for (int i = 0; i < 4 * FileList::RemoveBatchSize; ++i)
            ids.append(list.addFile(QStringLiteral("/m/%1.flac").arg(i)));
        QSignalSpy finished(&list, &FileList::removeAllFinished);
        FileList::Id dropped = 0;
        int countInTimer = -1;
        QTimer::singleShot(0, &list, [&] {
            countInTimer = list.count();
            dropped = list.addFile(QStringLiteral("/m/dropped.flac"));
            list.removeId(ids.constLast()); // the run takes a row off meanwhile
            list.removeAll();               // not started again while it runs
        });
        list.removeAll();
        QVERIFY(list.isRemovingAll());
        QVERIFY(finished.wait());
        QVERIFY(countInTimer > 1);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(rowIds(list), QList<FileList::Id>{dropped});
        QCOMPARE(list.path(dropped), QStringLiteral("/m/dropped.flac"));
    }

    void idsStayWithTheirFiles()
    {
        FileList list;
        QList<FileList::Id> ids;
        for (int i = 0; i < 10; ++i)
            ids.append(list.addFile(QStringLiteral("/m/%1.flac").arg(i)));
        list.removeId(ids.at(0));
        list.removeSelectedRow(3); // the file of ids[4]
        QCOMPARE(list.rowOf(ids.at(1)), 0);
        QCOMPARE(list.rowOf(ids.at(4)), -1);
        QCOMPARE(list.rowOf(ids.at(5)), 3);
        QCOMPARE(list.path(ids.at(9)), QStringLiteral("/m/9.flac"));
        QCOMPARE(rowId(list, 3), ids.at(5));
        QCOMPARE(list.idAfter(0), ids.at(1));
        QCOMPARE(list.idAfter(ids.at(0)), ids.at(1)); // from a row that has gone
        QCOMPARE(list.idAfter(ids.at(3)), ids.at(5));
        QCOMPARE(list.idAfter(ids.at(9)), FileList::Id(0));
        const auto later = list.addFile(QStringLiteral("/m/later.flac"));
        QCOMPARE(list.rowOf(later), 8);
        QCOMPARE(list.data(list.index(8, 0), FileList::IdRole).value<FileList::Id>(), later);
    }

    void failedMarks()
    {
        FileList list;
        const auto a = list.addFile(QStringLiteral("/m/a.flac"));
        const auto b = list.addFile(QStringLiteral("/m/b.flac"));
        QSignalSpy changed(&list, &FileList::dataChanged);
        list.markFailed(b, QStringLiteral("Invalid data found when processing input"));
        QCOMPARE(changed.count(), 1);
        QVERIFY(!markedFailed(list, a));
        QVERIFY(markedFailed(list, b));
        QCOMPARE(list.data(list.index(1, 0), FileList::FailedRole).toBool(), true);
        QCOMPARE(list.data(list.index(1, 1), Qt::ToolTipRole).toString(),
                 QStringLiteral("Invalid data found when processing input"));
        QVERIFY(!list.data(list.index(0, 0), Qt::ToolTipRole).isValid());
        list.removeId(a);
        QCOMPARE(list.failureReason(b), QStringLiteral("Invalid data found when processing input"));
        list.clearFailedMarks();
        QVERIFY(!markedFailed(list, b));
        QCOMPARE(list.data(list.index(0, 0), FileList::FailedRole).toBool(), false);
        QCOMPARE(changed.count(), 2);
    }

    void headers()
    {
        FileList list;
        QCOMPARE(list.columnCount(), 2);
        QCOMPARE(list.headerData(0, Qt::Horizontal).toString(), QStringLiteral("文件名"));
        QCOMPARE(list.headerData(1, Qt::Horizontal).toString(), QStringLiteral("格式"));
    }

    void utf8NamesAreGivenToToolsAsTheyAre()
    {
        FileList list;
        const QString path = QStringLiteral("/音乐/ä b\"c.flac");
        const auto fromText = list.addFile(path);
        const auto fromBytes = list.addFile(path.toUtf8());
        QCOMPARE(list.path(fromBytes), path);
        QCOMPARE(list.file(fromText)->native, path.toUtf8());
        QVERIFY(list.file(fromText)->pathIsExact());
        QVERIFY(list.file(fromBytes)->pathIsExact());
    }

    // A name in a legacy 8-bit encoding must still convert: the tools get a link with a UTF-8 name.
    void nonUtf8NameStillReachesTheTools()
    {
        QTemporaryDir dir;
        QTemporaryDir work;
        const QString made = dir.path() + QStringLiteral("/made.flac");
        QVERIFY(TestMedia::makeFlac(made, 1.0));
        const QByteArray native = QFile::encodeName(dir.path()) + "/caf\xe9 \xff.flac";
        QCOMPARE(::rename(QFile::encodeName(made).constData(), native.constData()), 0);

        FileList list;
        const auto id = list.addFile(native);
        QCOMPARE(list.file(id)->native, native);
        QVERIFY(list.path(id).contains(QChar::ReplacementCharacter));
        QCOMPARE(list.format(id), QStringLiteral("FLAC"));
        const Job file = *list.file(id);
        QVERIFY(!file.pathIsExact());
        const QString toolPath = WorkPaths::makeSourceLink(work.path(), id, file.path, file.native);
        QVERIFY(!toolPath.isEmpty());
        QVERIFY(!toolPath.contains(QChar::ReplacementCharacter));
        QVERIFY(toolPath.startsWith(work.path()));
        QVERIFY(toolPath.endsWith(QStringLiteral("caf_ _.flac")));
        QCOMPARE(QFile::encodeName(QFile::decodeName(QFile::encodeName(toolPath))),
                 QFile::encodeName(toolPath));
        const QJsonObject probe = TestMedia::probe(toolPath);
        QCOMPARE(TestMedia::formatName(probe), QStringLiteral("flac"));
        QVERIFY(qAbs(TestMedia::durationSeconds(probe) - 1.0) < 0.1);
        // Made again over a leftover of an earlier session.
        QCOMPARE(WorkPaths::makeSourceLink(work.path(), id, file.path, file.native), toolPath);
        WorkPaths::removeSourceLink(toolPath);
        QVERIFY(!QFileInfo(toolPath).isSymLink());
        QCOMPARE(::unlink(native.constData()), 0); // the file itself stays
    }

    void addingManyAtOnceKeepsTheirOrder()
    {
        FileList list;
        list.addFile(QStringLiteral("/m/first.flac"));
        QSignalSpy inserted(&list, &FileList::rowsInserted);
        const QList<QByteArray> paths{"/m/b.flac", "/m/a.flac", "/m/c.wav"};
        const QList<FileList::Id> ids = list.addFiles(paths);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(ids.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(list.rowOf(ids.at(i)), i + 1);
            QCOMPARE(list.file(ids.at(i))->native, paths.at(i));
        }
        QCOMPARE(list.format(ids.at(2)), QStringLiteral(".WAV"));
        QVERIFY(list.addFiles({}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
