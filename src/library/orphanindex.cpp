#include "library/orphanindex.h"

#include "conversion/partialoutput.h"
#include "library/librarymark.h"
#include "platform/regularfile.h"
#include "platform/trustedtree.h"

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

// An absolute path with its "." and ".." worked out by their names, as a mark may hold them.
QByteArray withoutDots(const QByteArray &path)
{
    QByteArrayList levels;
    for (const QByteArray &level : path.split('/')) {
        if (level == "..") {
            if (!levels.isEmpty())
                levels.removeLast();
        } else if (!level.isEmpty() && level != ".") {
            levels.append(level);
        }
    }
    return '/' + levels.join('/');
}

} // namespace

OrphanIndex::OrphanIndex(QObject *parent)
    : QObject(parent)
{
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &OrphanIndex::runSlice);
}

void OrphanIndex::start(const QList<Root> &roots, const QSet<QString> &plannedOutputs,
                        const QList<QByteArray> &sources, const QString &outputExtension, bool dryRun)
{
    m_roots = roots;
    m_extension = outputExtension;
    m_dryRun = dryRun;
    m_rootIndex = -1;
    m_folders.clear();
    m_planned = plannedOutputs;
    m_sources = sources;
    m_sourceSet.clear();
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
            const Root &root = m_roots[m_rootIndex];
            const QString link = TrustedTree::linkOnTheWay(root.outputFolder, root.outputRoot);
            if (link.isEmpty())
                m_folders.append(root.outputRoot);
            else
                keep({link, KeptFolder::Reason::Link});
            continue;
        }
        readFolder(m_folders.takeLast());
    }
}

void OrphanIndex::readFolder(const QString &folder)
{
    // Links are left out: nothing reached through one is ever an orphan. The entries' kinds come
    // with their names, so a folder of up-to-date outputs costs no look at each.
    DIR *entries = ::opendir(QFile::encodeName(folder).constData());
    if (!entries)
        return;
    QStringList hidden;
    while (const dirent *entry = ::readdir(entries)) {
        const QByteArrayView rawName(entry->d_name);
        if (rawName == "." || rawName == "..")
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
        if (rawName.startsWith('.')) {
            if (type == DT_REG)
                hidden.append(QFile::decodeName(entry->d_name));
        } else if (type == DT_DIR) {
            m_folders.append(path + QLatin1Char('/'));
        } else if (type == DT_REG && path.endsWith(m_extension, Qt::CaseInsensitive)) {
            readOutput(path, path);
        }
    }
    ::closedir(entries);
    if (hidden.isEmpty())
        return;
    if (!m_dryRun)
        PartialOutput::removeStale(folder, hidden);
    for (const QString &name : std::as_const(hidden))
        readLeftOverMove(folder, name);
}

void OrphanIndex::readLeftOverMove(const QString &folder, const QString &name)
{
    const std::optional<PartialOutput::Reading> reading = PartialOutput::readName(name);
    if (!reading || reading->step != PartialOutput::Step::Moving || reading->finalName.isEmpty() ||
        !reading->finalName.endsWith(m_extension, Qt::CaseInsensitive) ||
        !PartialOutput::isLeftOver(folder, name, *reading))
        return;
    const QString moving = folder + name;
    const QString finalPath = folder + reading->finalName;
    const std::optional<LibraryMark> mark = LibraryMark::read(moving);
    if (!mark)
        return;
    const QString &trusted = m_roots[m_rootIndex].outputFolder;
    const RegularFile::Reader there(finalPath, RegularFile::Reader::Links::Refuse);
    if (there.kind() == RegularFile::Kind::Regular) {
        // The move had taken its new name: what was left behind is a second copy of the same audio.
        const std::optional<LibraryMark> placed = LibraryMark::read(finalPath);
        if (placed && !mark->contentKey().isEmpty() && placed->contentKey() == mark->contentKey()) {
            if (!m_dryRun)
                TrustedTree::removeFile(trusted, moving);
            return;
        }
    } else if (there.kind() == RegularFile::Kind::Missing && !m_planned.contains(finalPath) && !m_dryRun &&
               TrustedTree::renameFile(trusted, moving, finalPath)) {
        // No source of this run wants the name: the output is there as before, an orphan like any.
        readOutput(finalPath, finalPath);
        return;
    }
    readOutput(moving, finalPath);
}

void OrphanIndex::readOutput(const QString &path, const QString &finalPath)
{
    if (m_planned.contains(path))
        return;
    const std::optional<LibraryMark> mark = LibraryMark::read(path);
    if (!mark)
        return;
    const QByteArray source = withoutDots(LibraryMark::sourcePath(mark->source));
    const Root &root = m_roots[m_rootIndex];
    if (!source.startsWith(root.libraryFolder + '/') ||
        !(RegularFile::isGone(source) ||
          (mark->range.isEmpty() ? m_splitSources.contains(source) : isSourceOfRun(source))))
        return;
    const QByteArray keeping = keepingFolder(source);
    if (!keeping.isEmpty()) {
        keep({QFile::decodeName(keeping), KeptFolder::Reason::EmptyOrUnreadable});
        return;
    }
    m_byContent[mark->contentKey()].append(m_found.size());
    m_found.append({{path, root.outputRoot, root.outputFolder, finalPath}, mark->contentKey()});
}

bool OrphanIndex::isSourceOfRun(const QByteArray &source)
{
    if (m_sourceSet.isEmpty())
        m_sourceSet = QSet<QByteArray>(m_sources.cbegin(), m_sources.cend());
    return m_sourceSet.contains(source);
}

void OrphanIndex::keep(const KeptFolder &kept)
{
    if (!m_keptFolders.contains(kept))
        m_keptFolders.append(kept);
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

void OrphanIndex::putBackMoves()
{
    for (Found &found : m_found) {
        const Orphan &orphan = found.orphan;
        if (!found.taken && orphan.outputPath != orphan.finalPath &&
            TrustedTree::renameFile(orphan.outputFolder, orphan.outputPath, orphan.finalPath))
            found.taken = true;
    }
}

void OrphanIndex::removeEmptyFolders(const Orphan &orphan)
{
    TrustedTree::removeEmptyFolders(orphan.outputFolder, QFileInfo(orphan.outputPath).path(),
                                    orphan.outputRoot);
}
