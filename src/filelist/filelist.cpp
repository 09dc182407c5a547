#include "filelist/filelist.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace {

QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

FileList::FileList(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_removeAllTimer.setInterval(0);
    connect(&m_removeAllTimer, &QTimer::timeout, this, &FileList::removeNextBatch);
}

FileList::~FileList() = default;

int FileList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int FileList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const Entry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == NameColumn ? entry.path : entry.format;
    case Qt::ToolTipRole:
        return entry.failed ? QVariant(entry.failure) : QVariant();
    case FailedRole:
        return entry.failed;
    case IdRole:
        return entry.id;
    default:
        return {};
    }
}

QVariant FileList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    if (section == NameColumn)
        return tr("文件名");
    if (section == FormatColumn)
        return tr("格式");
    return {};
}

FileList::Entry FileList::makeEntry(const QString &path, const QByteArray &native, const QByteArray &folder)
{
    Entry entry;
    entry.id = m_nextId++;
    entry.native = native;
    entry.path = path;
    entry.format = formatCell(path);
    auto first = m_firstFolders.constFind(native);
    if (first == m_firstFolders.cend()) {
        // "Album/" names the same folder as "Album"; "/" stays itself.
        qsizetype end = folder.size();
        while (end > 1 && folder.at(end - 1) == '/')
            --end;
        first = m_firstFolders.insert(native, QFile::decodeName(folder.left(end)));
    }
    entry.sourceFolder = *first;
    return entry;
}

FileList::Id FileList::addFile(const QString &path)
{
    const int row = count();
    beginInsertRows({}, row, row);
    m_entries.append(makeEntry(path, QFile::encodeName(path)));
    endInsertRows();
    return m_entries.constLast().id;
}

FileList::Id FileList::addFile(const QByteArray &nativePath)
{
    return addFiles({nativePath}).value(0);
}

QList<FileList::Id> FileList::addFiles(const QList<QByteArray> &nativePaths, const QByteArray &folder)
{
    QList<Id> added;
    if (nativePaths.isEmpty())
        return added;
    const QList<Job> jobs = AlbumImages::jobsOf(nativePaths, m_imageOptions, !folder.isEmpty());
    if (jobs.isEmpty())
        return added;
    added.reserve(jobs.size());
    const int first = count();
    beginInsertRows({}, first, first + int(jobs.size()) - 1);
    m_entries.reserve(m_entries.size() + jobs.size());
    for (const Job &job : jobs) {
        m_entries.append(makeEntry(job.path, job.native, folder));
        if (job.track > 0 || job.refusal || !job.notes.isEmpty()) {
            m_entries.last().part = std::make_shared<const Job>(job);
            m_entries.last().path = rowText(job);
        }
        added.append(m_entries.constLast().id);
    }
    endInsertRows();
    return added;
}

QString FileList::rowText(const Job &job)
{
    const auto title = std::find_if(job.tags.cbegin(), job.tags.cend(),
                                    [](const auto &tag) { return tag.first == QLatin1StringView("TITLE"); });
    return title == job.tags.cend() || title->second.isEmpty() ? job.label()
                                                               : job.label() + u' ' + title->second;
}

int FileList::rowOf(Id id) const
{
    const auto it = std::lower_bound(m_entries.cbegin(), m_entries.cend(), id,
                                     [](const Entry &entry, Id wanted) { return entry.id < wanted; });
    if (it == m_entries.cend() || it->id != id)
        return -1;
    return int(it - m_entries.cbegin());
}

QList<FileList::Entry>::const_iterator FileList::firstAfter(Id id) const
{
    return std::upper_bound(m_entries.cbegin(), m_entries.cend(), id,
                            [](Id after, const Entry &entry) { return after < entry.id; });
}

FileList::Id FileList::idAfter(Id id) const
{
    const auto it = firstAfter(id);
    return it == m_entries.cend() ? 0 : it->id;
}

int FileList::countAfter(Id id) const
{
    return int(m_entries.cend() - firstAfter(id));
}

QString FileList::path(Id id) const
{
    const int row = rowOf(id);
    return row < 0 ? QString() : m_entries.at(row).path;
}

QString FileList::format(Id id) const
{
    const int row = rowOf(id);
    return row < 0 ? QString() : m_entries.at(row).format;
}

std::optional<Job> FileList::file(Id id) const
{
    const int row = rowOf(id);
    if (row < 0)
        return std::nullopt;
    const Entry &entry = m_entries.at(row);
    Job job = entry.part ? *entry.part : Job();
    job.id = entry.id;
    job.native = entry.native;
    if (!entry.part)
        job.path = entry.path;
    job.libraryFolder = entry.sourceFolder;
    return job;
}

std::optional<Job> FileList::next(JobId after) const
{
    const auto it = firstAfter(after);
    return it == m_entries.cend() ? std::nullopt : file(it->id);
}

void FileList::removeRows(int first, int rows)
{
    if (rows <= 0)
        return;
    beginRemoveRows({}, first, first + rows - 1);
    m_entries.remove(first, rows);
    if (m_entries.isEmpty())
        m_firstFolders.clear();
    endRemoveRows();
}

bool FileList::removeId(Id id)
{
    const int row = rowOf(id);
    if (row < 0)
        return false;
    removeRows(row, 1);
    return true;
}

void FileList::removeSelectedRow(int row)
{
    if (row < 0 || row >= count())
        return;
    removeRows(row, 1);
}

void FileList::removeAll()
{
    if (isRemovingAll())
        return;
    // Ids only grow, so the rows of the start are those with an id given out so far; this holds while
    // the run or the user take some of them off meanwhile.
    m_removeAllUpTo = m_nextId - 1;
    // The timer runs for as long as the removal does; the first batch goes at once.
    m_removeAllTimer.start();
    removeNextBatch();
}

void FileList::removeNextBatch()
{
    const int left = int(firstAfter(m_removeAllUpTo) - m_entries.cbegin());
    removeRows(0, std::min(left, RemoveBatchSize));
    if (left > RemoveBatchSize)
        return;
    m_removeAllTimer.stop();
    emit removeAllFinished();
}

void FileList::markFailed(Id id, const QString &reason)
{
    const int row = rowOf(id);
    if (row < 0)
        return;
    Entry &entry = m_entries[row];
    entry.failed = true;
    entry.failure = reason;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {FailedRole, Qt::ToolTipRole});
}

QString FileList::failureReason(Id id) const
{
    const int row = rowOf(id);
    return row < 0 ? QString() : m_entries.at(row).failure;
}

void FileList::clearFailedMarks()
{
    int first = -1;
    int last = -1;
    for (int row = 0; row < count(); ++row) {
        Entry &entry = m_entries[row];
        if (!entry.failed)
            continue;
        entry.failed = false;
        entry.failure.clear();
        if (first < 0)
            first = row;
        last = row;
    }
    if (first >= 0)
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1), {FailedRole, Qt::ToolTipRole});
}

QString FileList::formatCell(const QString &path)
{
    return trimBlanks(path).right(4).toUpper();
}

QString FileList::folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}
