#include "ui/filecommands.h"

#include "filelist/filelist.h"
#include "filelist/filesearch.h"
#include "ui/filechoosers.h"
#include "ui/filedrophandler.h"
#include "ui/filelistview.h"
#include "ui/hintbox.h"
#include "ui/standarddialogs.h"

#include <QFile>

#include <algorithm>

#include <utility>

FileDialogs FileDialogs::system(StandardDialogs &sharedDialogs, QWidget *owner)
{
    FileDialogs dialogs;
    dialogs.openFile = [&sharedDialogs](const QString &title, const QString &filter, const QString &path) {
        sharedDialogs.setTitle(title);
        if (!path.isEmpty())
            sharedDialogs.setPath(path);
        sharedDialogs.setFilter(filter);
        return sharedDialogs.showOpen() ? sharedDialogs.fileName() : QString();
    };
    dialogs.browseFolder = [owner](const QString &prompt) {
        return FileChoosers::chooseFolder(owner, prompt);
    };
    dialogs.browseForFile = [owner] {
        return FileChoosers::chooseFile(owner, FileCommands::tr("打开文件"), QString(),
                                        QStringLiteral("*.*|*.*"));
    };
    return dialogs;
}

FileCommands::FileCommands(FileList *list, FileListView *view, HintBox *hint, FileDialogs dialogs,
                           QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_view(view)
    , m_hint(hint)
    , m_dialogs(std::move(dialogs))
    , m_folderScan(new FileSearch::FolderScan(this))
{
    connect(m_folderScan, &FileSearch::FolderScan::filesFound, list,
            [this](const QList<QByteArray> &paths) { m_list->addFiles(paths, m_folderScan->folder()); });
    connect(m_folderScan, &FileSearch::FolderScan::finished, this, &FileCommands::finishFolderSearch);
    connect(list, &FileList::removeAllFinished, this, [this] {
        // Files dropped while the rows were going stay, and then the hint would cover them.
        if (m_list->isEmpty())
            setHintVisible(true);
        setBusy(false);
    });
    if (view)
        connect(view, &FileListView::filesDropped, this, &FileCommands::addDroppedFiles);
}

QString FileCommands::addFileTitle()
{
    return tr("Open Files");
}

QString FileCommands::addFileFilter()
{
    //: pairs of a description and its patterns, split by "|"; only the descriptions are words
    return tr("FLAC声音文件(*.FLAC, *.flac)|*.flac|所有格式文件(*.*)|*.*");
}

void FileCommands::attachDropZone(QWidget *w)
{
    FileDropHandler *handler = FileDropHandler::attach(w);
    connect(handler, &FileDropHandler::filesDropped, this, &FileCommands::addFilesDroppedOnZone);
    connect(handler, &FileDropHandler::clicked, this, &FileCommands::chooseFileForDropZone);
}

void FileCommands::addFileFromDialog()
{
    if (m_busy || !m_dialogs.openFile)
        return;
    const QString chosen = m_dialogs.openFile(addFileTitle(), addFileFilter(), m_lastAddFolder);
    if (chosen.isEmpty())
        return;
    m_lastAddFolder = FileList::folderOf(chosen);
    m_list->addFile(chosen);
    updateHintFromRows();
}

void FileCommands::addFolderFromDialog()
{
    if (m_busy || !m_dialogs.browseFolder)
        return;
    const QString folder = m_dialogs.browseFolder(FileChoosers::addFolderPrompt());
    if (folder.isEmpty()) {
        updateHintFromRows();
        return;
    }
    addFolder(folder);
}

void FileCommands::addFolder(const QString &folder)
{
    if (!m_busy)
        searchFolder(QFile::encodeName(folder));
}

void FileCommands::searchFolder(const QByteArray &nativeFolder)
{
    setBusy(true);
    setHintVisible(true);
    if (m_hint)
        m_hint->setCaption(HintBox::searchingCaption());
    m_folderScan->start(nativeFolder);
}

void FileCommands::finishFolderSearch()
{
    if (m_hint)
        m_hint->setCaption(HintBox::dropCaption());
    updateHintFromRows();
    setBusy(false);
}

void FileCommands::removeSelectedRow()
{
    if (!m_view)
        return;
    const int before = m_list->count();
    m_list->removeSelectedRow(m_view->selectedRow());
    if (m_list->count() < before && m_list->isEmpty())
        setHintVisible(true);
}

void FileCommands::removeAll()
{
    if (m_busy)
        return;
    setBusy(true);
    m_list->removeAll();
}

void FileCommands::addDroppedFiles(const QList<QByteArray> &nativePaths)
{
    // A dropped folder is searched as the add-folder command searches one, never listed as a file itself.
    if (std::any_of(nativePaths.cbegin(), nativePaths.cend(), &FileSearch::isFolder)) {
        addPaths(nativePaths);
        return;
    }
    addFileRows(nativePaths);
}

void FileCommands::addFileRows(const QList<QByteArray> &nativePaths)
{
    m_list->addFiles(nativePaths);
    if (!m_list->isEmpty())
        setHintVisible(false);
}

void FileCommands::addFilesDroppedOnZone(const QList<QByteArray> &nativePaths)
{
    if (std::any_of(nativePaths.cbegin(), nativePaths.cend(), &FileSearch::isFolder)) {
        addPaths(nativePaths);
        return;
    }
    m_list->addFiles(nativePaths);
}

void FileCommands::addPaths(const QList<QByteArray> &nativePaths)
{
    m_waitingPaths += nativePaths;
    addWaitingPaths();
}

void FileCommands::addWaitingPaths()
{
    QList<QByteArray> files;
    const auto addFiles = [this, &files] {
        if (!files.isEmpty())
            addFileRows(std::exchange(files, {}));
    };
    while (!m_busy && !m_waitingPaths.isEmpty()) {
        const QByteArray path = m_waitingPaths.takeFirst();
        if (!FileSearch::isFolder(path)) {
            files.append(path);
            continue;
        }
        // The files before the folder go first; those after it wait for its search to end.
        addFiles();
        searchFolder(path);
    }
    addFiles();
}

void FileCommands::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
    if (!busy)
        addWaitingPaths();
}

void FileCommands::updateHintFromRows()
{
    setHintVisible(m_list->isEmpty());
}

void FileCommands::setHintVisible(bool visible)
{
    if (m_hint)
        m_hint->setVisible(visible);
}

void FileCommands::chooseFileForDropZone()
{
    if (!m_dialogs.browseForFile)
        return;
    const QString chosen = m_dialogs.browseForFile();
    if (!chosen.isEmpty())
        m_list->addFile(chosen);
}
