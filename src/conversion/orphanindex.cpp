#include "conversion/orphanindex.h"

#include "conversion/librarymark.h"
#include "platform/regularfile.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

} // namespace

OrphanIndex::OrphanIndex(QObject *parent)
    : QObject(parent)
{
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &OrphanIndex::runSlice);
}

void OrphanIndex::start(const QList<Root> &roots, const QSet<QString> &plannedOutputs,
                        const QList<QByteArray> &sources, const QString &outputExtension)
{
    m_roots = roots;
    m_extension = outputExtension;
    m_rootIndex = -1;
    m_folders.clear();
    m_planned = plannedOutputs;
    m_sourceFolders.clear();
    for (const QByteArray &source : sources) {
        for (QByteArray folder = parentOf(source); !m_sourceFolders.contains(folder) && folder != "/";
             folder = parentOf(folder))
            m_sourceFolders.insert(folder);
    }
    m_found.clear();
    m_byContent.clear();
    m_keptFolders.clear();
    m_sliceTimer.start();
}

void OrphanIndex::stop()
{
    m_sliceTimer.stop();
    m_folders.clear();
}

void OrphanIndex::runSlice()
{
    QElapsedTimer slice;
    slice.start();
    while (slice.elapsed() < SliceMs) {
        if (m_folders.isEmpty()) {
            if (++m_rootIndex >= m_roots.size()) {
                m_sliceTimer.stop();
                // Only the scan needs them; a large library's run would carry them to its end.
                m_planned = {};
                m_sourceFolders = {};
                emit finished();
                return;
            }
            m_folders.append(m_roots[m_rootIndex].outputRoot);
        }
        readFolder(m_folders.takeLast());
    }
}

void OrphanIndex::readFolder(const QString &folder)
{
    // Hidden entries and links are left out: neither is ever an orphan. The entries' kinds come
    // with their names, so a folder of up-to-date outputs costs no look at each.
    DIR *entries = ::opendir(QFile::encodeName(folder).constData());
    if (!entries)
        return;
    while (const dirent *entry = ::readdir(entries)) {
        if (entry->d_name[0] == '.')
            continue;
        const QString path = folder + QFile::decodeName(entry->d_name);
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat status = {};
            type = ::lstat(QFile::encodeName(path).constData(), &status) != 0 ? DT_UNKNOWN
                   : S_ISDIR(status.st_mode)                                  ? DT_DIR
                   : S_ISREG(status.st_mode)                                  ? DT_REG
                                                                              : DT_UNKNOWN;
        }
        if (type == DT_DIR)
            m_folders.append(path + QLatin1Char('/'));
        else if (type == DT_REG && path.endsWith(m_extension, Qt::CaseInsensitive))
            readOutput(path);
    }
    ::closedir(entries);
}

void OrphanIndex::readOutput(const QString &path)
{
    if (m_planned.contains(path))
        return;
    const std::optional<LibraryMark> mark = LibraryMark::read(path);
    if (!mark)
        return;
    const QByteArray source = LibraryMark::sourcePath(mark->source);
    const Root &root = m_roots[m_rootIndex];
    if (!source.startsWith(root.libraryFolder + '/') || !RegularFile::isGone(source))
        return;
    const QByteArray keeping = keepingFolder(source);
    if (!keeping.isEmpty()) {
        const QString name = QFile::decodeName(keeping);
        if (!m_keptFolders.contains(name))
            m_keptFolders.append(name);
        return;
    }
    m_byContent[mark->contentKey()].append(m_found.size());
    m_found.append({{path, root.outputRoot}, mark->contentKey()});
}

QByteArray OrphanIndex::keepingFolder(const QByteArray &source) const
{
    const QByteArray &library = m_roots[m_rootIndex].libraryFolder;
    // The deepest folder of the source's that is still there.
    QByteArray folder = parentOf(source);
    while (folder.size() > library.size() && RegularFile::isGone(folder))
        folder = parentOf(folder);
    if (RegularFile::isGone(folder) || !m_sourceFolders.contains(folder) ||
        ::access(folder.constData(), R_OK | X_OK) != 0)
        return folder;
    return {};
}

std::optional<OrphanIndex::Orphan> OrphanIndex::take(const QString &contentKey)
{
    if (contentKey.isEmpty())
        return std::nullopt;
    for (const qsizetype k : m_byContent.value(contentKey)) {
        if (!m_found[k].taken) {
            m_found[k].taken = true;
            return m_found[k].orphan;
        }
    }
    return std::nullopt;
}

QList<OrphanIndex::Orphan> OrphanIndex::remaining() const
{
    QList<Orphan> left;
    for (const Found &found : m_found) {
        if (!found.taken)
            left.append(found.orphan);
    }
    return left;
}

void OrphanIndex::removeEmptyFolders(const Orphan &orphan)
{
    QString folder = QFileInfo(orphan.outputPath).path();
    while (folder.size() + 1 > orphan.outputRoot.size() && folder.startsWith(orphan.outputRoot) &&
           QDir().rmdir(folder))
        folder = QFileInfo(folder).path();
}
