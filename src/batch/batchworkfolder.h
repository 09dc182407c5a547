#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// The folder one tunoxa-batch process keeps its work files in: "batch-" + its process id in the
// program's work folder, private to the user like the work folder itself, so that batches run
// beside the window and beside each other without sharing a work file. A lock file inside tells
// later starts whether the process that made it still runs (on this machine or, with a shared
// home folder, on another one).
class BatchWorkFolder
{
public:
    BatchWorkFolder() = default;
    // Removes the folder.
    ~BatchWorkFolder();
    BatchWorkFolder(const BatchWorkFolder &) = delete;
    BatchWorkFolder &operator=(const BatchWorkFolder &) = delete;

    // The folder a process with this id uses in workFolder.
    static QString pathFor(const QString &workFolder, qint64 processId);

    // Removes the folders of batches that have ended without removing theirs, then makes this
    // process's folder and takes its lock. False when the folder cannot be made, is not the user's
    // own private folder, or is held by a running batch.
    bool prepare(const QString &workFolder, qint64 processId);
    QString path() const { return m_path; }

private:
    void remove();

    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
