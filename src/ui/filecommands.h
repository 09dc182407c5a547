#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class StandardDialogs;
class FileList;
class FileListView;
class HintBox;
class QWidget;
namespace FileSearch {
class FolderScan;
}

// The dialogs the file commands open. The program wires the real ones (see FileDialogs::system);
// tests answer them directly.
struct FileDialogs
{
    // The standard dialogs' open-file dialog with this title and filter, given its path; the chosen file,
    // or empty text when cancelled.
    std::function<QString(const QString &title, const QString &filter, const QString &path)> openFile;
    // The folder browser with this prompt; the chosen folder, or empty text when cancelled.
    std::function<QString(const QString &prompt)> browseFolder;
    // chooseFile as the drop zone's click opens it; empty text when cancelled.
    std::function<QString()> browseForFile;

    // The program's dialogs: the window's StandardDialogs for adding a file, the shell's folder browser and
    // chooseFile, all owned by owner.
    static FileDialogs system(StandardDialogs &sharedDialogs, QWidget *owner);
};

// The commands that fill and empty the file list, for the main window's menus, toolbar and popup
// actions, and the two places files can be dropped on.
//
// A folder search and remove-all work from the event loop: they start, return, and report their end
// through busyChanged. While one of them runs, the commands that fill the list from a dialog or empty
// it are ignored.
class FileCommands : public QObject
{
    Q_OBJECT

public:
    FileCommands(FileList *list, FileListView *view, HintBox *hint, FileDialogs dialogs,
                 QObject *parent = nullptr);

    // The add-file dialog's title and its filter.
    static QString addFileTitle();
    static QString addFileFilter();
    // Makes w a drop zone like dropZone: drops append like drops on the list but leave the hint
    // alone; a click opens chooseFile.
    void attachDropZone(QWidget *w);

    // True from the start of a folder search or remove-all to its end.
    bool isBusy() const { return m_busy; }
    // Folder of the last file picked in the add-file dialog; empty until then.
    QString lastAddFolder() const { return m_lastAddFolder; }
    // The hint over the list is shown while nothing has been added yet, and after add and remove
    // commands that leave the list empty; the run removes rows without touching it. This is the rule
    // at the end of the add commands: shown exactly when the list is empty.
    void updateHintFromRows();

public slots:
    void addFileFromDialog();
    void addFolderFromDialog();
    // The rest of addFolderFromDialog once a folder is chosen: starts searching it; its FLAC files are
    // appended as they are found, in their final order.
    void addFolder(const QString &folder);
    void removeSelectedRow();
    // Starts emptying the list; files added meanwhile stay.
    void removeAll();
    void addDroppedFiles(const QList<QByteArray> &nativePaths);
    void addFilesDroppedOnZone(const QList<QByteArray> &nativePaths);
    void chooseFileForDropZone();
    // Files and folders named on the command line or handed over by a later start, in their order:
    // a file joins the list as given, a folder is searched as addFolder does. While a folder search
    // or a remove-all is going they wait, and join the list when it is over.
    void addPaths(const QList<QByteArray> &nativePaths);

signals:
    // A folder search or remove-all has started (true) or ended (false).
    void busyChanged(bool busy);

private:
    void setHintVisible(bool visible);
    void setBusy(bool busy);
    // Files join the list as given and the hint gives way to them.
    void addFileRows(const QList<QByteArray> &nativePaths);
    void searchFolder(const QByteArray &nativeFolder);
    void finishFolderSearch();
    void addWaitingPaths();

    FileList *m_list;
    QPointer<FileListView> m_view;
    QPointer<HintBox> m_hint;
    QString m_lastAddFolder;
    FileDialogs m_dialogs;
    FileSearch::FolderScan *m_folderScan;
    bool m_busy = false;
    QList<QByteArray> m_waitingPaths;
};
