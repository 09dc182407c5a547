#include "filelist/filesearch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <utility>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#else
#include <QDirIterator>
#include <QFileInfo>
#include <optional>
#endif

namespace FileSearch {

namespace {

// A name exactly as the folder holds it, with its text case-folded once for sorting: comparing the
// folded texts orders names as QString::compare with Qt::CaseInsensitive does, at a third of the cost.
struct Name
{
    QByteArray bytes;
    QString folded;
};

bool inNameOrder(const Name &a, const Name &b)
{
    const int order = QString::compare(a.folded, b.folded);
    return order != 0 ? order < 0 : a.bytes < b.bytes;
}

QStringView withoutTrailingNulsAndBlanks(QStringView s)
{
    while (!s.isEmpty() && (s.back() == QChar(0) || s.back() == QLatin1Char(' ')))
        s.chop(1);
    return s;
}

// Called for every entry of the tree, so it works on a view of the name and makes no copy of it.
bool isFlacName(QStringView name)
{
    const QStringView trimmed = withoutTrailingNulsAndBlanks(name);
    if (trimmed.size() >= 5)
        return trimmed.endsWith(u".flac", Qt::CaseInsensitive);
    // Upper case can lengthen a name (the ligature "ﬂ" becomes "FL"): a shorter one may still read ".FLAC".
    return trimmed.toString().toUpper() == QLatin1String(".FLAC");
}

// A cue sheet beside an album image tells where its tracks start.
bool isSheetName(QStringView name)
{
    return withoutTrailingNulsAndBlanks(name).endsWith(u".cue", Qt::CaseInsensitive);
}

#ifdef Q_OS_UNIX

// Reads one folder an entry at a time, so that a large folder can be read across several slices.
class FolderReader
{
public:
    FolderReader() = default;
    ~FolderReader() { close(); }
    FolderReader(const FolderReader &) = delete;
    FolderReader &operator=(const FolderReader &) = delete;

    bool isOpen() const { return m_dir != nullptr; }
    // Why the last folder could not be opened (the system's error number), or 0.
    int error() const { return m_error; }

    // Opens folder unless it cannot be read or was entered before (by device and inode).
    void open(const QByteArray &folder, QSet<QByteArray> &entered)
    {
        m_folder = folder;
        m_dir = ::opendir(folder.constData());
        m_error = m_dir ? 0 : errno;
        struct stat info;
        if (!m_dir || ::fstat(::dirfd(m_dir), &info) != 0)
            return;
        const QByteArray key =
            QByteArray::number(quint64(info.st_dev)) + ':' + QByteArray::number(quint64(info.st_ino));
        if (entered.contains(key))
            close();
        else
            entered.insert(key);
    }

    // The next entry other than "." and ".."; false at the end of the folder.
    bool next(QByteArray &name, bool &isFolder)
    {
        while (const dirent *entry = ::readdir(m_dir)) {
            name = QByteArray(entry->d_name);
            if (name == "." || name == "..")
                continue;
            isFolder = entry->d_type == DT_DIR;
            // Only a link, or a file system that does not tell the type, needs a look at the entry.
            if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
                isFolder = FileSearch::isFolder(m_folder + '/' + name);
            return true;
        }
        return false;
    }

    void close()
    {
        if (m_dir)
            ::closedir(m_dir);
        m_dir = nullptr;
    }

private:
    QByteArray m_folder;
    DIR *m_dir = nullptr;
    int m_error = 0;
};

#else

class FolderReader
{
public:
    bool isOpen() const { return m_entries.has_value(); }
    int error() const { return 0; }

    // Opens folder unless it was entered before (by its canonical path).
    void open(const QByteArray &folder, QSet<QByteArray> &entered)
    {
        const QString text = QFile::decodeName(folder);
        const QByteArray key = QFileInfo(text).canonicalFilePath().toUtf8();
        if (!key.isEmpty()) {
            if (entered.contains(key))
                return;
            entered.insert(key);
        }
        m_entries.emplace(text, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    bool next(QByteArray &name, bool &isFolder)
    {
        if (!m_entries->hasNext())
            return false;
        m_entries->next();
        name = QFile::encodeName(m_entries->fileName());
        isFolder = m_entries->fileInfo().isDir();
        return true;
    }

    void close() { m_entries.reset(); }

private:
    std::optional<QDirIterator> m_entries;
};

#endif

} // namespace

// The search's place in the tree: the folder being read and the folders still to come.
class FolderScan::Walk
{
public:
    explicit Walk(const QByteArray &folder)
        : m_pending{folder}
    {}

    // Opens the next folder or reads one entry; false once the whole tree is searched.
    bool step()
    {
        if (!m_reader.isOpen()) {
            if (m_pending.isEmpty())
                return false;
            m_folder = m_pending.takeLast();
            m_reader.open(m_folder, m_entered);
            if (m_reader.error() != 0)
                m_unreadable.append({m_folder, m_reader.error()});
            return true;
        }
        QByteArray name;
        bool isFolder = false;
        if (!m_reader.next(name, isFolder)) {
            finishFolder();
            return true;
        }
        const QString text = QFile::decodeName(name);
        if (isFolder)
            m_subfolders.append({name, text.toCaseFolded()});
        else if (isFlacName(text) || isSheetName(text))
            m_files.append({name, text.toCaseFolded()});
        return true;
    }

    QList<QByteArray> takeFound() { return std::exchange(m_found, {}); }
    QList<Unreadable> unreadable() const { return m_unreadable; }

private:
    void finishFolder()
    {
        m_reader.close();
        std::sort(m_files.begin(), m_files.end(), inNameOrder);
        std::sort(m_subfolders.begin(), m_subfolders.end(), inNameOrder);
        // The joined path uses the name exactly: on this system a name may end in blanks.
        for (const Name &file : std::as_const(m_files))
            m_found.append(m_folder + '/' + file.bytes);
        // The first subfolder goes on top, so that it is searched next.
        for (auto it = m_subfolders.crbegin(); it != m_subfolders.crend(); ++it)
            m_pending.append(m_folder + '/' + it->bytes);
        m_files.clear();
        m_subfolders.clear();
    }

    QList<QByteArray> m_pending; // folders still to search, the next one last
    // Folders entered so far: a loop cannot make the search endless and no file is listed twice.
    QSet<QByteArray> m_entered;
    FolderReader m_reader;
    QByteArray m_folder;
    QList<Name> m_files;
    QList<Name> m_subfolders;
    QList<QByteArray> m_found; // not reported yet
    QList<Unreadable> m_unreadable;
};

FolderScan::FolderScan(QObject *parent)
    : QObject(parent)
{
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &FolderScan::runSlice);
}

FolderScan::~FolderScan() = default;

void FolderScan::start(const QByteArray &folder)
{
    if (isRunning())
        return;
    m_folder = folder;
    m_unreadable.clear();
    m_walk = std::make_unique<Walk>(folder);
    m_sinceReport.start();
    runSlice();
    if (isRunning())
        m_sliceTimer.start();
}

void FolderScan::runSlice()
{
    QElapsedTimer slice;
    slice.start();
    bool more = true;
    for (int steps = 0; more && steps < StepsPerSlice && !slice.hasExpired(SliceMs); ++steps)
        more = m_walk->step();
    // Every report makes a list view lay out all its rows again, so they do not come with every slice.
    if (!more || m_sinceReport.hasExpired(ReportMs)) {
        m_sinceReport.start();
        const QList<QByteArray> found = m_walk->takeFound();
        if (!found.isEmpty())
            emit filesFound(found);
    }
    if (more)
        return;
    m_sliceTimer.stop();
    m_unreadable = m_walk->unreadable();
    m_walk.reset();
    emit finished();
}

QString trimTrailingNulsAndBlanks(const QString &s)
{
    return s.left(withoutTrailingNulsAndBlanks(s).size());
}

bool isFolder(const QByteArray &nativePath)
{
#ifdef Q_OS_UNIX
    struct stat info;
    return ::stat(nativePath.constData(), &info) == 0 && S_ISDIR(info.st_mode);
#else
    return QFileInfo(QFile::decodeName(nativePath)).isDir();
#endif
}

} // namespace FileSearch
