#include "filelist/filecommands.h"

#include "filelist/filedrophandler.h"
#include "filelist/filelist.h"
#include "filelist/filelistview.h"
#include "filelist/filesearch.h"
#include "filelist/hintbox.h"
#include "shell/ccommondialogs.h"
#include "shell/comdlg.h"
#include "shell/shelldialogs.h"

#include <QFile>

FileDialogs FileDialogs::system(CCommonDialogs &sharedDialogs, QWidget *owner)
{
    FileDialogs dialogs;
    dialogs.openFile = [&sharedDialogs](const QString &title, const QString &filter, const QString &path) {
        sharedDialogs.setTitle(title);
        if (!path.isEmpty())
            sharedDialogs.setPath(path);
        sharedDialogs.setFilter(filter);
        return sharedDialogs.ShowOpen() ? sharedDialogs.FileName() : QString();
    };
    dialogs.browseFolder = [owner](const QString &prompt) {
        return ShellDialogs::browseForFolder(owner, prompt);
    };
    dialogs.browseForFile = [owner] {
        return COMDLG::BrowseForFile(owner, QStringLiteral("打开文件"), QString(), QStringLiteral("*.*|*.*"));
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
    connect(m_folderScan, &FileSearch::FolderScan::filesFound, list, &FileList::AddFileRows);
    connect(m_folderScan, &FileSearch::FolderScan::finished, this, &FileCommands::finishFolderSearch);
    connect(list, &FileList::removeAllFinished, this, [this] { setBusy(false); });
    if (view)
        connect(view, &FileListView::filesDropped, this, &FileCommands::LV_OLEDragDrop);
}

QString FileCommands::addFileTitle()
{
    return QStringLiteral("Open Files");
}

QString FileCommands::addFileFilter()
{
    return QStringLiteral("FLAC声音文件(*.FLAC, *.flac)|*.flac|所有格式文件(*.*)|*.*");
}

void FileCommands::attachDropZone(QWidget *w)
{
    FileDropHandler *handler = FileDropHandler::attach(w);
    connect(handler, &FileDropHandler::filesDropped, this, &FileCommands::picDrag_OLEDragDrop);
    connect(handler, &FileDropHandler::clicked, this, &FileCommands::picDrag_Click);
}

void FileCommands::imgAdd_Click()
{
    if (m_busy || !m_dialogs.openFile)
        return;
    const QString chosen = m_dialogs.openFile(addFileTitle(), addFileFilter(), m_list->LastAddFolder());
    if (chosen.isEmpty())
        return;
    m_list->setLastAddFolder(FileList::ParsePath(chosen));
    m_list->AddFileRow(chosen);
    m_list->updateHintFromRows();
}

void FileCommands::AddFolderFiles()
{
    if (m_busy || !m_dialogs.browseFolder)
        return;
    const QString folder = m_dialogs.browseFolder(ShellDialogs::addFolderPrompt());
    if (folder.isEmpty()) {
        m_list->updateHintFromRows();
        return;
    }
    addFolder(folder);
}

void FileCommands::addFolder(const QString &folder)
{
    if (m_busy)
        return;
    setBusy(true);
    m_list->setHintVisible(true);
    if (m_hint)
        m_hint->setCaption(HintBox::searchingCaption());
    m_folderScan->start(QFile::encodeName(folder));
}

void FileCommands::finishFolderSearch()
{
    if (m_hint)
        m_hint->setCaption(HintBox::dropCaption());
    m_list->updateHintFromRows();
    setBusy(false);
}

void FileCommands::RemoveSelectedRow()
{
    if (m_view)
        m_list->RemoveSelectedRow(m_view->selectedRow());
}

void FileCommands::RemoveAllRows()
{
    if (m_busy)
        return;
    setBusy(true);
    m_list->RemoveAllRows();
}

void FileCommands::LV_OLEDragDrop(const QList<QByteArray> &nativePaths)
{
    m_list->AddFileRows(nativePaths);
    if (!m_list->isEmpty())
        m_list->setHintVisible(false);
}

void FileCommands::picDrag_OLEDragDrop(const QList<QByteArray> &nativePaths)
{
    m_list->AddFileRows(nativePaths);
}

void FileCommands::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
}

void FileCommands::picDrag_Click()
{
    if (!m_dialogs.browseForFile)
        return;
    const QString chosen = m_dialogs.browseForFile();
    if (!chosen.isEmpty())
        m_list->AddFileRow(chosen);
}
