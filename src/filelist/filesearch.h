#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// The search of a folder and all its subfolders for FLAC files and the cue sheets of album images.
namespace FileSearch {

// Finds the path of every file of a folder and of its subfolders whose name ends in ".flac" or ".cue"
// in any letter case. Each folder's names are taken in name order, letter case ignored and ties broken by
// the bytes of the names, so an album's tracks come in track order: a folder's own files first, then
// each subfolder's results, depth-first. Paths are joined with "/" and keep the exact bytes of the
// names. A folder that cannot be read adds nothing; a folder reached a second time (a symbolic link
// back into the tree, or a second way to the same folder) is not searched again.
//
// The search works in short slices from the event loop, so window events keep running meanwhile.
// The first slice runs inside start(): a small folder is searched completely before it returns.
class FolderScan : public QObject
{
    Q_OBJECT

public:
    // A slice ends after this many steps (a folder opened or one of its entries read) or after
    // SliceMs, whichever comes first.
    static constexpr int StepsPerSlice = 1000;
    static constexpr int SliceMs = 4;
    // Files found are reported at most this often, and at the end.
    static constexpr int ReportMs = 50;

    explicit FolderScan(QObject *parent = nullptr);
    ~FolderScan() override;

    bool isRunning() const { return m_walk != nullptr; }
    // Starts searching folder; ignored while a search runs.
    void start(const QByteArray &folder);
    // The folder of the running search, or of the last one.
    QByteArray folder() const { return m_folder; }
    // The folders of the last search that could not be read, and why (the system's error number).
    struct Unreadable
    {
        QByteArray folder;
        int error = 0;
    };
    QList<Unreadable> unreadableFolders() const { return m_unreadable; }

signals:
    // Files found since the last report, in their final order: the reports of one search, joined,
    // are its whole result.
    void filesFound(const QList<QByteArray> &paths);
    // The search has ended; a new one may start from here.
    void finished();

private:
    class Walk;

    void runSlice();

    std::unique_ptr<Walk> m_walk;
    QByteArray m_folder;
    QList<Unreadable> m_unreadable;
    QTimer m_sliceTimer;
    QElapsedTimer m_sinceReport;
};

// s without its trailing NUL and space characters.
QString trimTrailingNulsAndBlanks(const QString &s);

// Whether the path names a folder, asked by the name's own bytes, so a folder whose name is not
// valid UTF-8 is still found.
bool isFolder(const QByteArray &nativePath);

} // namespace FileSearch
