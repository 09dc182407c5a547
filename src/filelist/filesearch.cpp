#include "filelist/filesearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#else
#include <QDirIterator>
#include <QFileInfo>
#endif

namespace FileSearch {

namespace {

// Window events run every few milliseconds of searching rather than per entry: a per-entry
// dispatch would cost more than the search itself on large trees.
constexpr qint64 EventIntervalMs = 10;

struct Search
{
    QList<QByteArray> &list;
    QElapsedTimer sinceEvents;
    // Folders entered so far, by device and inode (the canonical path where there are none): a
    // symbolic link back into the tree, or a second way to a folder already searched, is not
    // followed again, so a loop cannot make the search endless and no file is listed twice.
    QSet<QByteArray> entered;

    void keepEventsFlowing()
    {
        if (sinceEvents.elapsed() < EventIntervalMs)
            return;
        QCoreApplication::processEvents();
        sinceEvents.restart();
    }

    void searchFolder(const QByteArray &folder);
};

bool isFlacName(const QByteArray &name)
{
    return TrimTrailingNulls(QFile::decodeName(name)).right(5).toUpper() == QLatin1String(".FLAC");
}

#ifdef Q_OS_UNIX

bool isDotOrDotDot(const QByteArray &name)
{
    return name == "." || name == "..";
}

bool isFolder(const QByteArray &path, unsigned char type)
{
    if (type == DT_DIR)
        return true;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return false;
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

void Search::searchFolder(const QByteArray &folder)
{
    struct stat info;
    if (::stat(folder.constData(), &info) == 0) {
        const QByteArray key =
            QByteArray::number(quint64(info.st_dev)) + ':' + QByteArray::number(quint64(info.st_ino));
        if (entered.contains(key))
            return;
        entered.insert(key);
    }
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    QList<QByteArray> subfolders;
    int found = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        // The joined path uses the name exactly: on this system a name may end in blanks.
        const QByteArray path = folder + '/' + name;
        if (isFolder(path, entry->d_type)) {
            if (!isDotOrDotDot(name) && ++found <= MaxSubfolders)
                subfolders.append(path);
        } else if (isFlacName(name)) {
            list.append(path);
        }
        keepEventsFlowing();
    }
    ::closedir(dir);
    for (const QByteArray &subfolder : std::as_const(subfolders))
        searchFolder(subfolder);
}

#else

void Search::searchFolder(const QByteArray &folder)
{
    const QString folderText = QFile::decodeName(folder);
    const QByteArray key = QFileInfo(folderText).canonicalFilePath().toUtf8();
    if (!key.isEmpty()) {
        if (entered.contains(key))
            return;
        entered.insert(key);
    }
    QList<QByteArray> subfolders;
    int found = 0;
    QDirIterator it(folderText, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QByteArray name = QFile::encodeName(it.fileName());
        const QByteArray path = folder + '/' + name;
        if (it.fileInfo().isDir()) {
            if (++found <= MaxSubfolders)
                subfolders.append(path);
        } else if (isFlacName(name)) {
            list.append(path);
        }
        keepEventsFlowing();
    }
    for (const QByteArray &subfolder : std::as_const(subfolders))
        searchFolder(subfolder);
}

#endif

} // namespace

void SearchFolder(const QByteArray &folder, QList<QByteArray> &list)
{
    Search search{list, {}, {}};
    search.sinceEvents.start();
    search.searchFolder(folder);
}

void SearchFolder(const QString &folder, QStringList &list)
{
    QList<QByteArray> found;
    SearchFolder(QFile::encodeName(folder), found);
    list.reserve(list.size() + found.size());
    for (const QByteArray &path : std::as_const(found))
        list.append(QFile::decodeName(path));
}

QString TrimTrailingNulls(const QString &s)
{
    qsizetype end = s.size();
    while (end > 0 && (s.at(end - 1) == QChar(0) || s.at(end - 1) == QLatin1Char(' ')))
        --end;
    return s.left(end);
}

} // namespace FileSearch
