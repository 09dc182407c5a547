#include "common/listrows.h"
#include "filelist/filesearch.h"
#include "filewindow.h"

#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace FileListTest;

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void startsEmptyWithTheHint()
    {
        Window w;
        QVERIFY(w.list->isEmpty());
        QVERIFY(w.hintShown());
        QCOMPARE(w.hintBox->caption(), QStringLiteral("拖拽文件到这里开始转换"));
        QCOMPARE(w.fileListView->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("文件名"));
        QCOMPARE(w.fileListView->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("格式"));
    }

    void addFileDialog()
    {
        Window w;
        w.openAnswers = {QStringLiteral("/srv/Music/a.flac"), QString(), QStringLiteral("/srv/Other/b.FLAC")};
        w.commands->addFileFromDialog();
        QCOMPARE(w.openCalls.size(), 1);
        QCOMPARE(w.openCalls.at(0).title, QStringLiteral("Open Files"));
        QCOMPARE(w.openCalls.at(0).filter,
                 QStringLiteral("FLAC声音文件(*.FLAC, *.flac)|*.flac|所有格式文件(*.*)|*.*"));
        QCOMPARE(w.openCalls.at(0).path, QString());
        QCOMPARE(paths(*w.list), QStringList{QStringLiteral("/srv/Music/a.flac")});
        QCOMPARE(w.commands->lastAddFolder(), QStringLiteral("/srv/Music/"));
        QVERIFY(!w.hintShown());

        // The next dialog opens in the folder of the last file; a cancel changes nothing.
        w.commands->addFileFromDialog();
        QCOMPARE(w.openCalls.at(1).path, QStringLiteral("/srv/Music/"));
        QCOMPARE(w.list->count(), 1);
        QCOMPARE(w.commands->lastAddFolder(), QStringLiteral("/srv/Music/"));

        w.commands->addFileFromDialog();
        QCOMPARE(w.openCalls.at(2).path, QStringLiteral("/srv/Music/"));
        QCOMPARE(w.commands->lastAddFolder(), QStringLiteral("/srv/Other/"));
        QCOMPARE(w.list->data(w.list->index(1, 1)).toString(), QStringLiteral("FLAC"));
    }

    void cancelledFolderDialogLeavesListAndCaption_data()
    {
        QTest::addColumn<bool>("withRows");
        QTest::newRow("empty list") << false;
        QTest::newRow("with rows") << true;
    }
    void cancelledFolderDialogLeavesListAndCaption()
    {
        QFETCH(bool, withRows);
        Window w;
        if (withRows) {
            w.list->addFile(QStringLiteral("/m/a.flac"));
            w.commands->updateHintFromRows();
        }
        QSignalSpy captions(w.hintBox, &HintBox::captionChanged);
        w.commands->addFolderFromDialog();
        QCOMPARE(w.folderPrompts, QStringList{QStringLiteral("选择一个文件夹:")});
        QCOMPARE(w.list->count(), withRows ? 1 : 0);
        QCOMPARE(w.hintShown(), !withRows);
        QCOMPARE(w.hintBox->caption(), QStringLiteral("拖拽文件到这里开始转换"));
        QCOMPARE(captions.count(), 0);
    }

    // While a search runs, clicks that would start a second one or empty the list are ignored; a large
    // one runs from the event loop.
    void addFolderSearchesAndShowsTheSearchCaption_data()
    {
        QTest::addColumn<QStringList>("made");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<bool>("severalSlices");
        QTest::newRow("FLAC files here and below") << QStringList{u"a.flac"_s, u"b.mp3"_s, u"sub/c.FLAC"_s}
                                                   << QStringList{u"a.flac"_s, u"sub/c.FLAC"_s} << false;
        QTest::newRow("no FLAC files") << QStringList{u"b.mp3"_s} << QStringList() << false;
        QStringList many;
        for (int i = 0; i < FileSearch::FolderScan::StepsPerSlice; ++i)
            many.append(u"d%1/%2.flac"_s.arg(i / 2, 4, 10, QLatin1Char('0')).arg(i % 2));
        QTest::newRow("enough folders for several slices") << many << many << true;
    }
    void addFolderSearchesAndShowsTheSearchCaption()
    {
        QFETCH(QStringList, made);
        QFETCH(QStringList, found);
        QFETCH(bool, severalSlices);
        QTemporaryDir root;
        for (const QString &name : made)
            touch(root.filePath(name));
        Window w;
        w.folderAnswers = {root.path(), root.path()};
        w.openAnswers = {QStringLiteral("/m/picked.flac")};
        QSignalSpy captions(w.hintBox, &HintBox::captionChanged);
        QSignalSpy busy(w.commands, &FileCommands::busyChanged);
        const auto clickOthers = [&] {
            w.commands->addFolderFromDialog();
            w.commands->addFolder(root.path());
            w.commands->removeAll();
            w.commands->addFileFromDialog();
        };
        QList<bool> hintDuringSearch;
        bool busyAtStart = false;
        connect(w.hintBox, &HintBox::captionChanged, &w.frame, [&](const QString &caption) {
            hintDuringSearch.append(!w.hintBox->isHidden());
            if (caption != HintBox::searchingCaption())
                return;
            busyAtStart = w.commands->isBusy();
            clickOthers();
        });
        bool busyAfterStart = false;
        QTimer::singleShot(0, &w.frame, [&] {
            busyAfterStart = w.commands->isBusy();
            clickOthers();
        });
        w.commands->addFolderFromDialog();
        QTRY_VERIFY_WITH_TIMEOUT(busy.count() == 2, 60000);
        QVERIFY(busyAtStart);
        if (severalSlices)
            QVERIFY(busyAfterStart);
        QCOMPARE(boolArguments(busy), (QList<bool>{true, false}));
        QCOMPARE(w.folderPrompts.size(), 1);
        QVERIFY(w.openCalls.isEmpty());
        QStringList expected;
        for (const QString &name : found)
            expected.append(root.filePath(name));
        QCOMPARE(paths(*w.list), expected);
        QCOMPARE(captions.count(), 2);
        QCOMPARE(captions.at(0).at(0).toString(), QStringLiteral("搜索文件..."));
        QCOMPARE(captions.at(1).at(0).toString(), QStringLiteral("拖拽文件到这里开始转换"));
        QCOMPARE(hintDuringSearch, (QList<bool>{true, true}));
        QCOMPARE(w.hintShown(), found.isEmpty());
        QCOMPARE(w.hintBox->caption(), QStringLiteral("拖拽文件到这里开始转换"));
    }

    void twoFoldersOneAfterTheOther()
    {
        QTemporaryDir one;
        QTemporaryDir two;
        touch(one.path() + QStringLiteral("/a.flac"));
        touch(two.path() + QStringLiteral("/b.flac"));
        touch(two.path() + QStringLiteral("/deep/c.flac"));
        Window w;
        w.folderAnswers = {one.path(), two.path()};
        w.commands->addFolderFromDialog();
        QTRY_VERIFY(!w.commands->isBusy());
        w.commands->addFolderFromDialog();
        QTRY_VERIFY(!w.commands->isBusy());
        // A folder dropped with a file is searched like one added from the dialog.
        QTemporaryDir three;
        touch(three.path() + QStringLiteral("/d.flac"));
        w.commands->addDroppedFiles({QFile::encodeName(three.path()), QByteArrayLiteral("/m/dropped.flac")});
        QTRY_VERIFY(!w.commands->isBusy());
        QCOMPARE(paths(*w.list),
                 (QStringList{one.path() + QStringLiteral("/a.flac"), two.path() + QStringLiteral("/b.flac"),
                              two.path() + QStringLiteral("/deep/c.flac"),
                              three.path() + QStringLiteral("/d.flac"), QStringLiteral("/m/dropped.flac")}));
        // Each file remembers the folder it was found in, which library mode keeps below the output.
        QStringList folders;
        for (const FileList::Id id : rowIds(*w.list))
            folders.append(w.list->file(id)->libraryFolder);
        QCOMPARE(folders, (QStringList{one.path(), two.path(), two.path(), three.path(), QString()}));
    }

    void removeSelectedRow()
    {
        Window w;
        for (const char *name : {"/m/1.flac", "/m/2.flac", "/m/3.flac"})
            w.list->addFile(QString::fromLatin1(name));
        w.commands->updateHintFromRows();
        w.commands->removeSelectedRow(); // nothing selected
        QCOMPARE(w.list->count(), 3);
        w.fileListView->setCurrentIndex(w.list->index(1, 0));
        QCOMPARE(w.fileListView->selectedRow(), 1);
        w.commands->removeSelectedRow();
        QCOMPARE(paths(*w.list), (QStringList{QStringLiteral("/m/1.flac"), QStringLiteral("/m/3.flac")}));
        QVERIFY(!w.hintShown());
        w.fileListView->clearSelection();
        w.commands->removeSelectedRow();
        QCOMPARE(w.list->count(), 2);
        w.fileListView->setCurrentIndex(w.list->index(0, 0));
        w.commands->removeSelectedRow();
        w.fileListView->setCurrentIndex(w.list->index(0, 0));
        w.commands->removeSelectedRow();
        QVERIFY(w.list->isEmpty());
        QVERIFY(w.hintShown());
    }

    // Many rows go from the event loop; files dropped meanwhile stay, and the hint then stays hidden.
    void removeAll_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("dropMeanwhile");
        QTest::newRow("3 rows") << 3 << false;
        QTest::newRow("many rows") << 2 * FileList::RemoveBatchSize + 1 << false;
        QTest::newRow("many rows, a drop meanwhile") << 2 * FileList::RemoveBatchSize + 1 << true;
    }
    void removeAll()
    {
        QFETCH(int, rows);
        QFETCH(bool, dropMeanwhile);
        Window w;
        w.frame.show();
        for (int i = 0; i < rows; ++i)
            w.list->addFile(QStringLiteral("/m/%1.flac").arg(i));
        w.commands->updateHintFromRows();
        QSignalSpy busy(w.commands, &FileCommands::busyChanged);
        w.commands->removeAll();
        QCOMPARE(w.hintShown(), rows <= FileList::RemoveBatchSize);
        const QString dropped = QStringLiteral("/m/dropped.flac");
        if (dropMeanwhile) {
            QVERIFY(w.commands->isBusy());
            std::unique_ptr<QMimeData> data(urls({dropped}));
            dragAndDrop(w.fileListView->viewport(), data.get());
            w.commands->removeAll(); // ignored while the first runs
        }
        QTRY_VERIFY(!w.commands->isBusy());
        QCOMPARE(boolArguments(busy), (QList<bool>{true, false}));
        QCOMPARE(paths(*w.list), dropMeanwhile ? QStringList{dropped} : QStringList());
        QCOMPARE(w.fileListView->model()->rowCount(), dropMeanwhile ? 1 : 0);
        QCOMPARE(w.hintShown(), !dropMeanwhile);
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
