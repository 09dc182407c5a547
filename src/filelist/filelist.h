#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QTimer>

// The files waiting for conversion: the run's queue (queue) and the rows the list view shows (fileListView),
// held once so that they cannot drift apart. Row k is queue entry k.
//
// Every entry has an id that stays with the file while rows around it come and go, so the run can
// follow the file it converts by identity. An entry keeps the exact bytes of its name: a name that is
// not valid UTF-8 is shown with replacement characters but still converts (see commandPath).
class FileList : public QAbstractTableModel
{
    Q_OBJECT

public:
    using Id = quint64;

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
    // Appends many files in their order, as addFile one by one would, with one view update.
    // folder: the added folder they were found in (native bytes); empty when they came by
    // themselves. A file already in the list keeps the folder it first came through.
    QList<Id> addFiles(const QList<QByteArray> &nativePaths, const QByteArray &folder = {});

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    // -1 once the entry has left the list.
    int rowOf(Id id) const;
    bool contains(Id id) const { return rowOf(id) >= 0; }
    // The first entry added after `id` that is still in the list (0: none). Rows keep the order in
    // which they were added, so this walks the list in row order even while rows come and go.
    Id idAfter(Id id) const;
    // How many entries still in the list were added after `id`.
    int countAfter(Id id) const;

    // Empty texts for ids no longer in the list.
    QString path(Id id) const;
    QByteArray nativePath(Id id) const;
    QString format(Id id) const;
    // The added folder the entry was found in, without a trailing "/"; empty when it came by itself.
    QString sourceFolder(Id id) const;

    // A path the tools can be given for this entry. For a name that is valid UTF-8 this is path(id);
    // otherwise a symbolic link with a readable UTF-8 name is made in the work folder, pointing at
    // the exact bytes. Empty when the entry is gone or the link cannot be made.
    QString commandPath(Id id);
    // Where commandPath makes its links: a "names" folder in this folder, the program's work folder
    // unless changed (processes that run side by side each give one of their own).
    void setWorkFolder(const QString &workFolder) { m_workFolder = workFolder; }
    // Marks an entry as being converted, or no longer. Its link outlives a removal of its row until
    // the conversion lets go of it, so a tool still working on the file keeps finding it.
    void setConverting(Id id, bool converting);

    bool removeId(Id id);
    // Removes the selected row (-1: no selection, nothing happens); shows the hint when the list empties.
    void removeSelectedRow(int row);
    // Empties the list from the top, a batch at a time: the first batch goes at once, the others from
    // the event loop. The rows are those of the start: files added while it runs stay. At the end it
    // shows the hint if the list is empty and reports removeAllFinished. Ignored while it runs.
    void removeAll();
    bool isRemovingAll() const { return m_removeAllTimer.isActive(); }

    void markFailed(Id id, const QString &reason);
    QString failureReason(Id id) const;
    void clearFailedMarks();

    // hintBox, the hint over the list: shown while nothing has been added yet, and after add and
    // remove commands that leave the list empty. The run removes rows without touching it.
    bool hintVisible() const { return m_hintVisible; }
    void setHintVisible(bool visible);
    // The rule at the end of the add commands: shown exactly when the list is empty.
    void updateHintFromRows() { setHintVisible(isEmpty()); }

    // Folder of the last file picked in the add-file dialog; empty until then.
    QString lastAddFolder() const { return m_lastAddFolder; }
    void setLastAddFolder(const QString &folder) { m_lastAddFolder = folder; }

    // The format cell: the last four characters of the path after surrounding blanks are removed,
    // in upper case ("song.flac" gives "FLAC", "track01" gives "CK01").
    static QString formatCell(const QString &path);
    // The folder part of a path including its last "/", or empty text when there is none.
    static QString folderOf(const QString &path);

signals:
    void hintVisibleChanged(bool visible);
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
    };

    Entry makeEntry(const QString &path, const QByteArray &native, const QByteArray &folder = {});
    void removeRows(int first, int count);
    void removeLink(Id id);
    void removeNextBatch();
    // The first entry added after id (end: none).
    QList<Entry>::const_iterator firstAfter(Id id) const;

    // Ids only grow and rows are only appended, so the entries stay sorted by id.
    QList<Entry> m_entries;
    Id m_nextId = 1;
    QHash<Id, QString> m_links; // commandPath's links, removed with their entries
    // The folder each file first came through, kept while the list holds anything.
    QHash<QByteArray, QString> m_firstFolders;
    QSet<Id> m_converting;
    QString m_lastAddFolder;
    QString m_workFolder; // empty: the program's work folder
    bool m_hintVisible = true;
    Id m_removeAllUpTo = 0; // removeAll removes the rows up to this id
    QTimer m_removeAllTimer;
};
