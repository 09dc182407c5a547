#pragma once

#include "conversion/job.h"
#include "filelist/albumimages.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

// The files waiting for conversion: the run's queue of jobs and the rows the list view shows
// (fileListView), held once so that they cannot drift apart. Row k is queue entry k.
//
// Every entry has an id that stays with the file while rows around it come and go, so the run can
// follow the file it converts by identity. An entry keeps the exact bytes of its name: a name that is
// not valid UTF-8 is shown with replacement characters but still converts (see File::native).
class FileList : public QAbstractTableModel, public JobQueue
{
    Q_OBJECT

public:
    using Id = JobId;

    enum Column
    {
        NameColumn,
        FormatColumn,
        ColumnCount
    };

    enum Role
    {
        // bool: the last conversion of this file failed (Qt::ToolTipRole gives the reason).
        FailedRole = Qt::UserRole + 1,
        IdRole,
    };

    // removeAll takes rows off in batches of this size, one batch per pass of the event loop.
    static constexpr int RemoveBatchSize = 5000;

    explicit FileList(QObject *parent = nullptr);
    ~FileList() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Appends one file; the path is kept exactly as given. Returns the new entry's id.
    Id addFile(const QString &path);
    // Appends one file named by its native bytes.
    Id addFile(const QByteArray &nativePath);
    // Appends many files in their order, as addFile one by one would, with one view update; an album
    // image adds its tracks (AlbumImages). folder: the added folder they were found in (native
    // bytes); empty when they came by themselves. A file already in the list keeps the folder it
    // first came through.
    QList<Id> addFiles(const QList<QByteArray> &nativePaths, const QByteArray &folder = {});
    // How album images are added from here on.
    void setImageOptions(const AlbumImages::Options &options) { m_imageOptions = options; }

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    // -1 once the entry has left the list.
    int rowOf(Id id) const;
    bool contains(Id id) const { return rowOf(id) >= 0; }
    // The first entry added after `id` that is still in the list (0: none). Rows keep the order in
    // which they were added, so this walks the list in row order even while rows come and go.
    Id idAfter(Id id) const;
    // The list as a run's queue: the entry after `after` as a job, and how many wait after it.
    std::optional<Job> next(JobId after) const override;
    int countAfter(JobId after) const override;

    // One entry as a job; none once the entry has left the list.
    std::optional<Job> file(Id id) const;

    // Empty texts for ids no longer in the list.
    QString path(Id id) const;
    QString format(Id id) const;

    bool removeId(Id id);
    // Removes the selected row (-1: no selection, nothing happens).
    void removeSelectedRow(int row);
    // Empties the list from the top, a batch at a time: the first batch goes at once, the others from
    // the event loop. The rows are those of the start: files added while it runs stay. At the end it
    // reports removeAllFinished. Ignored while it runs.
    void removeAll();
    bool isRemovingAll() const { return m_removeAllTimer.isActive(); }

    void markFailed(Id id, const QString &reason);
    QString failureReason(Id id) const;
    void clearFailedMarks();

    // The format cell: the last four characters of the path after surrounding blanks are removed,
    // in upper case ("song.flac" gives "FLAC", "track01" gives "CK01").
    static QString formatCell(const QString &path);
    // The folder part of a path including its last "/", or empty text when there is none.
    static QString folderOf(const QString &path);

signals:
    void removeAllFinished();

private:
    struct Entry
    {
        Id id = 0;
        QByteArray native;
        QString path;
        QString format;
        QString failure;
        QString sourceFolder;
        bool failed = false;
        // A track of an album image, or a sheet that cannot split one: the job as the image gave it.
        std::shared_ptr<const Job> part;
    };

    Entry makeEntry(const QString &path, const QByteArray &native, const QByteArray &folder = {});
    // The row of a track names its image, its number and its title.
    static QString rowText(const Job &job);
    void removeRows(int first, int count);
    void removeNextBatch();
    // The first entry added after id (end: none).
    QList<Entry>::const_iterator firstAfter(Id id) const;

    // Ids only grow and rows are only appended, so the entries stay sorted by id.
    QList<Entry> m_entries;
    Id m_nextId = 1;
    // The folder each file first came through, kept while the list holds anything.
    QHash<QByteArray, QString> m_firstFolders;
    Id m_removeAllUpTo = 0; // removeAll removes the rows up to this id
    QTimer m_removeAllTimer;
    AlbumImages::Options m_imageOptions;
};
