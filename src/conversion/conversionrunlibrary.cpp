#include "conversion/conversionrun.h"
#include "library/librarypaths.h"

#include "library/librarymark.h"
#include "platform/regularfile.h"
#include "platform/trustedtree.h"
#include "platform/workpaths.h"

#include <QFile>
#include <QFileInfo>

// Library mode's side of a run: the outputs its files map to, the outputs whose source is gone,
// read before the first file, and the end's deletion of those that no renamed source took.

QString ConversionRun::libraryOutputOf(const Job &job, OutputFormat format, bool fatSafe) const
{
    // Named as the tools' path for the file is.
    const QString path = WorkPaths::readableName(job.path);
    // An album's tracks come one after another: their output folder is worked out once.
    OutputFolderCache &cache = m_outputFolders[fatSafe ? 1 : 0];
    const QStringView inputFolder = QStringView(path).left(path.lastIndexOf(u'/') + 1);
    const QString &sourceFolder = job.libraryFolder;
    if (inputFolder != cache.inputFolder || sourceFolder != cache.sourceFolder) {
        cache = {inputFolder.toString(), sourceFolder,
                 LibraryPaths::libraryFolder(m_settings.outputFolder, path, sourceFolder, fatSafe)};
    }
    return Recipes::outputPath(format, path, cache.outputFolder, {}, true, fatSafe, job.outputStem);
}

std::optional<QString> ConversionRun::claimLibraryOutput(const Job &job, OutputFormat format,
                                                         bool &listedBefore)
{
    const QString output = libraryOutputOf(job, format, m_settings.fatNames);
    // FAT folds letter case: names that differ only in it are one name there.
    const QString claim = m_settings.fatNames ? output.toCaseFolded() : output;
    const auto claimed = m_claimedOutputs.constFind(claim);
    // Two parts of one image are two listings of it, whatever numbers its sheet gives them.
    const QByteArray listing = job.range ? job.native + '\0' + QByteArray::number(job.range->start) : job.native;
    if (claimed != m_claimedOutputs.cend()) {
        listedBefore = claimed.value() == listing;
        return std::nullopt;
    }
    m_claimedOutputs.insert(claim, listing);
    return output;
}

QString ConversionRun::libraryRootOf(const QString &folder, bool fatSafe) const
{
    return LibraryPaths::libraryFolder(m_settings.outputFolder, folder + QLatin1Char('/'), folder, fatSafe);
}

void ConversionRun::readOrphans()
{
    QList<OrphanIndex::Root> roots;
    QSet<QString> planned;
    QList<QByteArray> sources;
    QSet<QString> folders;
    QSet<QByteArray> splitSources;
    for (std::optional<Job> job = m_queue->next(0); job; job = m_queue->next(job->id)) {
        planned.insert(libraryOutputOf(*job, *m_settings.format, m_settings.fatNames));
        sources.append(job->native);
        if (job->range)
            splitSources.insert(job->native);
        const QString &folder = job->libraryFolder;
        // The file system's root has no name of its own to keep its outputs apart.
        if (folder.isEmpty() || folder == u"/" || folders.contains(folder))
            continue;
        folders.insert(folder);
        roots.append(
            {QFile::encodeName(folder), libraryRootOf(folder, m_settings.fatNames), m_settings.outputFolder});
    }
    m_orphans->setSplitSources(splitSources);
    m_orphans->start(roots, planned, sources, FormatTable::extension(*m_settings.format), m_dryRun);
}

void ConversionRun::sweepOrphans()
{
    m_orphansSwept = true;
    const QList<KeptFolder> kept = m_orphans->keptFolders();
    if (!kept.isEmpty())
        emit libraryFoldersKept(kept);
    const QList<OrphanIndex::Orphan> orphans = m_orphans->remaining();
    if (orphans.isEmpty() || m_dryRun) {
        for (const OrphanIndex::Orphan &orphan : orphans) {
            ++m_counts.deleted;
            emit outputDeleted(orphan.finalPath);
        }
        endRun(RunOutcome::End::Finished);
        return;
    }
    m_orphansAsked = orphans;
    m_waitingForAnswer = true;
    emit orphansFound(orphans.size());
}

void ConversionRun::answerOrphanDeletion(bool deleteThem)
{
    if (!std::exchange(m_waitingForAnswer, false))
        return;
    if (deleteThem)
        deleteOrphans(std::exchange(m_orphansAsked, {}));
    endRun(RunOutcome::End::Finished);
}

void ConversionRun::deleteOrphans(const QList<OrphanIndex::Orphan> &orphans)
{
    for (const OrphanIndex::Orphan &orphan : orphans) {
        // Looked at once more: what is there now must still be a marked output of a source that is
        // gone (or of a track its image's sheet no longer has), reached from the output folder with
        // no link on the way.
        const std::optional<LibraryMark> mark = LibraryMark::read(orphan.outputPath);
        const QByteArray source = LibraryMark::sourcePath(mark ? mark->source : QString());
        if (!mark || (mark->range.isEmpty() && !RegularFile::isGone(source) && !m_orphans->isSplit(source)) ||
            !TrustedTree::removeFile(orphan.outputFolder, orphan.outputPath))
            continue;
        OrphanIndex::removeEmptyFolders(orphan);
        ++m_counts.deleted;
        emit outputDeleted(orphan.finalPath);
    }
}
