#include "filelist/filecommands.h"
#include "filelist/filelist.h"
#include "filelist/filelistview.h"
#include "filelist/hintbox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

QStringList paths(const FileList &list)
{
    QStringList result;
    for (const FileList::Id id : list.ids())
        result.append(list.path(id));
    return result;
}

// A file manager's drag: enter, then drop, delivered the way the window system delivers them.
struct DropResult
{
    bool enterAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

DropResult dragAndDrop(QWidget *target, QMimeData *data)
{
    DropResult result;
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    result.enterAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    result.dropAccepted = drop.isAccepted();
    result.action = drop.dropAction();
    return result;
}

QMimeData *urls(const QStringList &localPaths)
{
    auto *data = new QMimeData;
    QList<QUrl> list;
    for (const QString &path : localPaths)
        list.append(QUrl::fromLocalFile(path));
    data->setUrls(list);
    return data;
}

struct DialogCall
{
    QString title;
    QString filter;
    QString path;
};

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

    // The main window's pieces, as it arranges them.
    struct Window
    {
        QWidget frame;
        FileList *list = new FileList(&frame);
        FileListView *LV = new FileListView(list, &frame);
        HintBox *picText = new HintBox(list, &frame);
        QLabel *picDrag = new QLabel(QStringLiteral("Drag media files onto this DropZone"), &frame);
        FileCommands *commands = nullptr;
        QList<DialogCall> openCalls;
        QStringList openAnswers;
        QStringList folderPrompts;
        QStringList folderAnswers;
        QStringList browseAnswers;

        Window()
        {
            FileDialogs dialogs;
            dialogs.openFile = [this](const QString &title, const QString &filter, const QString &path) {
                openCalls.append({title, filter, path});
                return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
            };
            dialogs.browseFolder = [this](const QString &prompt) {
                folderPrompts.append(prompt);
                return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
            };
            dialogs.browseForFile = [this] {
                return browseAnswers.isEmpty() ? QString() : browseAnswers.takeFirst();
            };
            commands = new FileCommands(list, LV, picText, std::move(dialogs), &frame);
            commands->attachDropZone(picDrag);
            frame.resize(480, 400);
            LV->setGeometry(4, 90, 455, 274);
            picText->setGeometry(152, 208, 163, 21);
            picDrag->setGeometry(0, 0, 100, 30);
        }
        bool hintShown() const { return !picText->isHidden(); }
    };

private slots:
    void startsEmptyWithTheHint()
    {
        Window w;
        QVERIFY(w.list->isEmpty());
        QVERIFY(w.hintShown());
        QCOMPARE(w.picText->caption(), QStringLiteral("拖拽文件到这里开始转换"));
        QCOMPARE(w.LV->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("文件名"));
        QCOMPARE(w.LV->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("格式"));
    }

    void addFileDialog()
    {
        Window w;
        w.openAnswers = {QStringLiteral("/srv/Music/a.flac"), QString(), QStringLiteral("/srv/Other/b.FLAC")};
        w.commands->imgAdd_Click();
        QCOMPARE(w.openCalls.size(), 1);
        QCOMPARE(w.openCalls.at(0).title, QStringLiteral("Open Files"));
        QCOMPARE(w.openCalls.at(0).filter,
                 QStringLiteral("FLAC声音文件(*.FLAC, *.flac)|*.flac|所有格式文件(*.*)|*.*"));
        QCOMPARE(w.openCalls.at(0).path, QString());
        QCOMPARE(paths(*w.list), QStringList{QStringLiteral("/srv/Music/a.flac")});
        QCOMPARE(w.list->LastAddFolder(), QStringLiteral("/srv/Music/"));
        QVERIFY(!w.hintShown());

        // The next dialog opens in the folder of the last file; a cancel changes nothing.
        w.commands->imgAdd_Click();
        QCOMPARE(w.openCalls.at(1).path, QStringLiteral("/srv/Music/"));
        QCOMPARE(w.list->count(), 1);
        QCOMPARE(w.list->LastAddFolder(), QStringLiteral("/srv/Music/"));

        w.commands->imgAdd_Click();
        QCOMPARE(w.openCalls.at(2).path, QStringLiteral("/srv/Music/"));
        QCOMPARE(w.list->LastAddFolder(), QStringLiteral("/srv/Other/"));
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
            w.list->AddFileRow(QStringLiteral("/m/a.flac"));
            w.list->updateHintFromRows();
        }
        QSignalSpy captions(w.picText, &HintBox::captionChanged);
        w.commands->AddFolderFiles();
        QCOMPARE(w.folderPrompts, QStringList{QStringLiteral("选择一个文件夹:")});
        QCOMPARE(w.list->count(), withRows ? 1 : 0);
        QCOMPARE(w.hintShown(), !withRows);
        QCOMPARE(w.picText->caption(), QStringLiteral("拖拽文件到这里开始转换"));
        QCOMPARE(captions.count(), 0);
    }

    void addFolderSearchesAndShowsTheSearchCaption()
    {
        QTemporaryDir root;
        touch(root.path() + QStringLiteral("/a.flac"));
        touch(root.path() + QStringLiteral("/b.mp3"));
        touch(root.path() + QStringLiteral("/sub/c.FLAC"));
        Window w;
        QSignalSpy captions(w.picText, &HintBox::captionChanged);
        QList<bool> hintDuringSearch;
        connect(w.picText, &HintBox::captionChanged, &w.frame,
                [&] { hintDuringSearch.append(!w.picText->isHidden()); });
        w.folderAnswers = {root.path()};
        w.commands->AddFolderFiles();
        QCOMPARE(paths(*w.list), (QStringList{root.path() + QStringLiteral("/a.flac"),
                                              root.path() + QStringLiteral("/sub/c.FLAC")}));
        QCOMPARE(captions.count(), 2);
        QCOMPARE(captions.at(0).at(0).toString(), QStringLiteral("搜索文件..."));
        QCOMPARE(captions.at(1).at(0).toString(), QStringLiteral("拖拽文件到这里开始转换"));
        QCOMPARE(hintDuringSearch, (QList<bool>{true, true}));
        QVERIFY(!w.hintShown());
        QCOMPARE(w.picText->caption(), QStringLiteral("拖拽文件到这里开始转换"));
    }

    void folderWithoutFlacFilesLeavesTheHint()
    {
        QTemporaryDir root;
        touch(root.path() + QStringLiteral("/b.mp3"));
        Window w;
        w.folderAnswers = {root.path()};
        w.commands->AddFolderFiles();
        QVERIFY(w.list->isEmpty());
        QVERIFY(w.hintShown());
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
        w.commands->AddFolderFiles();
        w.commands->AddFolderFiles();
        QCOMPARE(paths(*w.list),
                 (QStringList{one.path() + QStringLiteral("/a.flac"), two.path() + QStringLiteral("/b.flac"),
                              two.path() + QStringLiteral("/deep/c.flac")}));
    }

    void aSecondFolderSearchDoesNotStartInsideTheFirst()
    {
        QTemporaryDir root;
        touch(root.path() + QStringLiteral("/d/f.flac"));
        Window w;
        w.folderAnswers = {root.path(), root.path()};
        // A click on "添加文件夹" handled while the search lets window events run.
        bool busyDuringSearch = false;
        connect(w.picText, &HintBox::captionChanged, &w.frame, [&](const QString &caption) {
            if (caption != HintBox::searchingCaption())
                return;
            busyDuringSearch = w.commands->isBusy();
            w.commands->AddFolderFiles();
        });
        w.commands->AddFolderFiles();
        QVERIFY(busyDuringSearch);
        QCOMPARE(w.folderPrompts.size(), 1);
        QCOMPARE(paths(*w.list), QStringList{root.path() + QStringLiteral("/d/f.flac")});
        QVERIFY(!w.commands->isBusy());
    }

    void dropOnTheListKeepsOrderAndCopies()
    {
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/My Music");
        QDir().mkpath(folder);
        const QStringList dropped{root.path() + QStringLiteral("/z.flac"),
                                  root.path() + QStringLiteral("/a.mp3"), folder,
                                  root.path() + QStringLiteral("/track01")};
        Window w;
        std::unique_ptr<QMimeData> data(urls(dropped));
        const DropResult result = dragAndDrop(w.LV->viewport(), data.get());
        QVERIFY(result.enterAccepted);
        QVERIFY(result.dropAccepted);
        QCOMPARE(result.action, Qt::CopyAction);
        QCOMPARE(paths(*w.list), dropped);
        QCOMPARE(w.list->data(w.list->index(2, 1)).toString(), QStringLiteral("USIC"));
        QCOMPARE(w.list->data(w.list->index(3, 1)).toString(), QStringLiteral("CK01"));
        QVERIFY(!w.hintShown());
    }

    // The hint lies over the list; what is dropped or clicked on it reaches the list below.
    void theHintLetsDropsThroughToTheList()
    {
        Window w;
        w.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.frame));
        QVERIFY(w.picText->isVisible());
        QCOMPARE(w.frame.childAt(w.picText->geometry().center()), w.LV->viewport());
    }

    void dropWithoutFilesChangesNothing_data()
    {
        QTest::addColumn<bool>("webLink");
        QTest::newRow("plain text") << false;
        QTest::newRow("web link") << true;
    }
    void dropWithoutFilesChangesNothing()
    {
        QFETCH(bool, webLink);
        Window w;
        QMimeData data;
        if (webLink)
            data.setUrls({QUrl(QStringLiteral("http://example.invalid/a.flac"))});
        else
            data.setText(QStringLiteral("/m/a.flac"));
        const DropResult result = dragAndDrop(w.LV->viewport(), &data);
        QVERIFY(!result.enterAccepted);
        QVERIFY(w.list->isEmpty());
        QVERIFY(w.hintShown());
    }

    void dropZoneLeavesTheHintAlone()
    {
        Window w;
        std::unique_ptr<QMimeData> data(urls({QStringLiteral("/m/b.flac"), QStringLiteral("/m/a.flac")}));
        const DropResult result = dragAndDrop(w.picDrag, data.get());
        QVERIFY(result.enterAccepted);
        QCOMPARE(result.action, Qt::CopyAction);
        QCOMPARE(paths(*w.list), (QStringList{QStringLiteral("/m/b.flac"), QStringLiteral("/m/a.flac")}));
        QVERIFY(w.hintShown());
    }

    void dropZoneClickBrowsesForAFile()
    {
        Window w;
        w.browseAnswers = {QStringLiteral("/m/picked.wav"), QString()};
        QTest::mouseClick(w.picDrag, Qt::LeftButton);
        QCOMPARE(paths(*w.list), QStringList{QStringLiteral("/m/picked.wav")});
        QVERIFY(w.hintShown());
        QTest::mouseClick(w.picDrag, Qt::LeftButton);
        QCOMPARE(w.list->count(), 1);
        QCOMPARE(w.list->LastAddFolder(), QString());
    }

    void removeSelectedRow()
    {
        Window w;
        for (const char *name : {"/m/1.flac", "/m/2.flac", "/m/3.flac"})
            w.list->AddFileRow(QString::fromLatin1(name));
        w.list->updateHintFromRows();
        w.commands->imgRemove_Click(); // nothing selected
        QCOMPARE(w.list->count(), 3);
        w.LV->setCurrentIndex(w.list->index(1, 0));
        QCOMPARE(w.LV->selectedRow(), 1);
        w.commands->imgRemove_Click();
        QCOMPARE(paths(*w.list), (QStringList{QStringLiteral("/m/1.flac"), QStringLiteral("/m/3.flac")}));
        QVERIFY(!w.hintShown());
        w.LV->clearSelection();
        w.commands->RemoveSelectedRow();
        QCOMPARE(w.list->count(), 2);
        w.LV->setCurrentIndex(w.list->index(0, 0));
        w.commands->RemoveSelectedRow();
        w.LV->setCurrentIndex(w.list->index(0, 0));
        w.commands->RemoveSelectedRow();
        QVERIFY(w.list->isEmpty());
        QVERIFY(w.hintShown());
    }

    void removeAllShowsTheHint()
    {
        Window w;
        w.frame.show();
        for (int i = 0; i < 3000; ++i)
            w.list->AddFileRow(QStringLiteral("/m/%1.flac").arg(i));
        w.list->updateHintFromRows();
        w.commands->RemoveAllRows();
        QVERIFY(w.list->isEmpty());
        QCOMPARE(w.LV->model()->rowCount(), 0);
        QVERIFY(w.hintShown());
    }

    void failedRowsAreRedWithTheReason()
    {
        Window w;
        w.frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.frame));
        const auto ok = w.list->AddFileRow(QStringLiteral("/m/ok.flac"));
        const auto bad = w.list->AddFileRow(QStringLiteral("/m/bad.flac"));
        Q_UNUSED(ok);
        w.list->markFailed(bad, QStringLiteral("Invalid data found when processing input"));
        const auto countRed = [&](int row) {
            const QRect rect = w.LV->visualRect(w.list->index(row, 0));
            const QImage image = w.LV->viewport()->grab(rect).toImage();
            int red = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
                }
            return red;
        };
        QCOMPARE(countRed(0), 0);
        QVERIFY(countRed(1) > 0);
        QCOMPARE(w.list->index(1, 0).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Invalid data found when processing input"));
        w.list->clearFailedMarks();
        QCOMPARE(countRed(1), 0);
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
