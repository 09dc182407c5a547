#include "conversion/fileconversion.h"

#include "conversion/outputcheck.h"
#include "conversion/partialoutput.h"
#include "conversion/runtexts.h"
#include "conversion/toolnames.h"
#include "library/covercache.h"
#include "library/librarymark.h"
#include "library/librarytags.h"
#include "media/id3tag.h"
#include "media/medialength.h"
#include "platform/trustedtree.h"
#include "runner/toolrunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Library mode's side of a conversion: what is at the output's name already decides the plan, and
// the two ways an output is made without an encode: a retag of the output there, and a move of an
// orphan whose source was renamed. How they keep the audio is the container's (ContainerFacts):
// a new ID3v2 tag, written by the encoder from the source, before the audio frames of the output
// they keep, byte for byte, or the audio packets copied by the encoder into a new file.

void FileConversion::startLibraryCheck()
{
    const std::optional<FlacMetadata::StreamInfo> &streamInfo = m_job.head.streamInfo();
    const QString audioMd5 = streamInfo ? streamInfo->audioMd5 : QString();
    m_job.recipe.plainName = true;
    m_job.recipe.keepCover = true;
    if (isAudio()) {
        LibraryMark mark;
        mark.source = LibraryMark::sourceText(m_job.sourceNative);
        // A cut output holds other audio than the whole source declares.
        mark.audioMd5 = m_job.recipe.cut ? QString() : audioMd5;
        mark.settings = LibraryMark::settingsText(m_job.format, m_job.recipe.settings);
        if (const std::optional<SampleRange> &range = m_job.recipe.range) {
            mark.range = QString::number(range->start) + u'-' + QString::number(range->end);
            mark.track = QString::number(m_job.track);
            mark.tags = LibraryMark::tagsText(m_job.tags);
        }
        m_job.recipe.mark = mark;
    }
    m_wantedOutput = m_job.libraryOutput;
    // A folder's cover added or changed since the output was written makes it out of date too.
    qint64 changed = m_job.sourceModifiedNs;
    // A track's names and tags are its sheet's: an edit of the sheet counts for the tracks whose tags
    // it changed (a track it retitled has another name, which is another output).
    if (!m_job.sheetPath.isEmpty()) {
        const qint64 sheetModifiedNs = RegularFile::Reader(m_job.sheetPath).modifiedNs();
        if (sheetModifiedNs > changed) {
            const std::optional<LibraryMark> written = LibraryMark::read(m_job.libraryOutput);
            if (!written || !m_job.recipe.mark || written->tags != m_job.recipe.mark->tags)
                changed = sheetModifiedNs;
        }
    }
    if (m_job.covers && m_job.recipe.mark) {
        if (const auto cover = m_job.covers->folderCover(sourceFolder()))
            changed = std::max(changed, cover->modifiedNs);
    }
    m_libraryCheck->start(m_job.format, m_job.recipe, m_wantedOutput, m_declaredSeconds, changed,
                          m_job.outputFolder);
}

void FileConversion::libraryDecided(LibraryCheck::Decision decision)
{
    const QString output = m_wantedOutput;
    switch (decision) {
    case LibraryCheck::Decision::Occupied:
        failFile({FileFailure::Kind::OutputPlaceTaken, {}});
        return;
    case LibraryCheck::Decision::Skip:
        endJob(resultOf(JobResult::Kind::Skipped, output));
        return;
    case LibraryCheck::Decision::Convert:
    case LibraryCheck::Decision::Replace:
    case LibraryCheck::Decision::Retag:
        break;
    }
    m_replaces = decision != LibraryCheck::Decision::Convert;
    // The source's own tags, as players read them best, for whatever writes the output.
    if (m_job.recipe.mark)
        m_job.recipe.tagOverrides =
            LibraryTags::overrides(m_job.head.comments(), FormatTable::container(m_job.format)) +
            LibraryTags::trackOverrides(m_job.tags, FormatTable::container(m_job.format));
    if (m_job.dryRun) {
        const std::optional<OrphanIndex::Orphan> orphan = takeOrphan(decision);
        JobResult result = resultOf(decision == LibraryCheck::Decision::Retag ? JobResult::Kind::Retagged
                                    : orphan                                  ? JobResult::Kind::Moved
                                                                              : JobResult::Kind::Planned,
                                    output);
        result.movedFrom = orphan ? orphan->finalPath : QString();
        result.replaces = m_replaces;
        endJob(result);
        return;
    }
    m_kept = decision == LibraryCheck::Decision::Retag ? KeptAudio::Retag : KeptAudio::None;
    replan({{Step::Kind::ClaimOutput}});
    runNextStep();
}

void FileConversion::claimOutput()
{
    const QString &output = m_wantedOutput;
    // The hidden file, made now, tells other processes that this output is being written.
    QDir().mkpath(QFileInfo(output).path());
    reserveOutput(output);
    // Of two processes that see each other's claim, the one first in order goes on.
    if (PartialOutput::claimedByAnother(output, m_partialOutput, true)) {
        leaveToAnother();
        return;
    }
    if (m_kept != KeptAudio::Retag) {
        // Taken only now: a file left to another process leaves its orphan to the files after it.
        const std::optional<OrphanIndex::Orphan> orphan =
            takeOrphan(m_replaces ? LibraryCheck::Decision::Replace : LibraryCheck::Decision::Convert);
        if (orphan && claimFirstOrphan(*orphan)) {
            m_kept = KeptAudio::Move;
        } else if (orphan && PartialOutput::claimedByAnother(output, m_partialOutput)) {
            // Another process took the orphan to move it here itself.
            leaveToAnother();
            return;
        }
    }
    QList<Step> rest{{Step::Kind::PrepareCover}};
    if (m_kept == KeptAudio::None)
        rest += stagePlan();
    else
        rest.append({Step::Kind::KeepAudio});
    replan(rest);
    runNextStep();
}

std::optional<OrphanIndex::Orphan> FileConversion::takeOrphan(LibraryCheck::Decision decision)
{
    if (decision == LibraryCheck::Decision::Convert && isOwnUnsafeOutput())
        return m_job.unsafeOutput;
    if (decision != LibraryCheck::Decision::Retag && m_job.orphans && m_job.recipe.mark)
        return m_job.orphans->take(m_job.recipe.mark->contentKey());
    return std::nullopt;
}

void FileConversion::leaveToAnother()
{
    JobResult result = resultOf(JobResult::Kind::Skipped, m_wantedOutput);
    result.skipReason = SkipReason::AnotherProcess;
    endJob(result);
}

QString FileConversion::sourceFolder() const
{
    const QString source = QFile::decodeName(m_job.sourceNative);
    return source.left(source.lastIndexOf(u'/'));
}

void FileConversion::prepareCover()
{
    CoverCache *covers = m_job.covers;
    if (!covers || !m_job.recipe.mark) {
        runNextStep();
        return;
    }
    // An embedded picture wins over the folder's; one that players take goes in as it is.
    const FlacMetadata::Picture embedded = m_job.head.picture();
    QString image;
    if (!embedded.data.isEmpty()) {
        if (CoverImage::fitsAsItIs(CoverImage::readHeader(embedded.data), embedded.data.size(),
                                   m_job.recipe.coverEdge)) {
            runNextStep();
            return;
        }
        image = covers->keepPicture(embedded.data, embedded.extension);
    } else if (const std::optional<FolderCover::Found> cover = covers->folderCover(sourceFolder())) {
        image = cover->path;
    }
    if (image.isEmpty()) {
        runNextStep();
        return;
    }
    const auto useCover = [this](const QString &prepared) {
        // A picture that could not be made fit for players: the output goes without pictures.
        m_job.recipe.coverFile = prepared;
        m_job.recipe.keepCover = !prepared.isEmpty();
        if (prepared.isEmpty())
            m_notes.append(FileNote::CoverLeftOut);
        runNextStep();
    };
    const std::optional<QString> known =
        covers->prepare(image, this, [this, useCover](const QString &prepared) {
            if (std::exchange(m_waitingForCover, false))
                useCover(prepared);
        });
    if (known)
        useCover(*known);
    else
        m_waitingForCover = true;
}

bool FileConversion::isOwnUnsafeOutput() const
{
    if (!m_job.unsafeOutput || !m_job.recipe.mark || m_job.recipe.mark->contentKey().isEmpty())
        return false;
    const std::optional<LibraryMark> mark = LibraryMark::read(m_job.unsafeOutput->outputPath);
    return mark && mark->source == m_job.recipe.mark->source &&
           mark->contentKey() == m_job.recipe.mark->contentKey();
}

bool FileConversion::claimFirstOrphan(const OrphanIndex::Orphan &orphan)
{
    // One that another process took meanwhile is gone from its place; another of the same audio
    // may still be there.
    if (claimOrphan(orphan))
        return true;
    if (!m_job.orphans)
        return false;
    while (const std::optional<OrphanIndex::Orphan> next =
               m_job.orphans->take(m_job.recipe.mark->contentKey())) {
        if (claimOrphan(*next))
            return true;
    }
    return false;
}

bool FileConversion::claimOrphan(const OrphanIndex::Orphan &orphan)
{
    // Renamed to a hidden name of this process beside its new place first, so that no other process
    // or machine takes it too, and a run after a kill finds it and where it was going.
    const QString claimed =
        PartialOutput::nameFor(m_wantedOutput, PartialOutput::ownOwner(), PartialOutput::Step::Moving);
    const std::optional<PartialOutput::Reading> reading =
        PartialOutput::readName(QFileInfo(claimed).fileName());
    if (!reading || reading->finalName.isEmpty() ||
        !TrustedTree::renameFile(orphan.outputFolder, orphan.outputPath, claimed))
        return false;
    OrphanIndex::removeEmptyFolders(orphan);
    m_orphan = orphan;
    m_claimedOrphan = claimed;
    return true;
}

void FileConversion::restoreOrphan()
{
    if (m_claimedOrphan.isEmpty())
        return;
    QDir().mkpath(QFileInfo(m_orphan.finalPath).path());
    TrustedTree::renameFile(m_orphan.outputFolder, m_claimedOrphan, m_orphan.finalPath);
    m_claimedOrphan.clear();
}

void FileConversion::startKeepingAudio()
{
    m_workFilesUsed = true;
    const QString &audio = m_kept == KeptAudio::Retag ? m_wantedOutput : m_claimedOrphan;
    const ContainerFacts &row = *container();
    if (row.keepAudio == ContainerFacts::KeepAudio::TagSplice) {
        QFile::remove(m_work.tag);
        runStage(*m_coderRunner, Recipes::retag(m_job.recipe));
        return;
    }
    if (row.markWay == ContainerFacts::MarkWay::CommentsFile)
        writeCommentsFile();
    runStage(*m_coderRunner, Recipes::remux(m_job.format, m_job.recipe, audio, m_outputChooser));
}

void FileConversion::keptAudioFinished()
{
    const ContainerFacts &row = *container();
    const QString &audio = m_kept == KeptAudio::Retag ? m_wantedOutput : m_claimedOrphan;
    bool written = true;
    if (row.keepAudio == ContainerFacts::KeepAudio::TagSplice)
        written = Id3Tag::splice(m_work.tag, audio, m_partialOutput);
    else if (row.markWay == ContainerFacts::MarkWay::AfterEncode)
        written = addFreeformTags();
    const bool copied = m_coderRunner->endStatus() == ToolRunner::EndStatus::Exited &&
                        m_coderRunner->exitCode() == 0 && written &&
                        OutputCheck::audioWhole(m_partialOutput, m_declaredSeconds);
    emit stageEnded(m_job.id, m_runningCommand.toolName, copied);
    // The output, or the orphan, could not be copied as it is: the source is encoded after all.
    if (!copied) {
        restoreOrphan();
        m_kept = KeptAudio::None;
        replan(stagePlan());
        runNextStep();
        return;
    }
    const QString published = takeFinalName();
    if (published.isEmpty())
        return;
    if (m_kept == KeptAudio::Retag) {
        endJob(resultOf(JobResult::Kind::Retagged, published));
        return;
    }
    TrustedTree::removeFile(m_orphan.outputFolder, m_claimedOrphan);
    m_claimedOrphan.clear();
    JobResult moved = resultOf(JobResult::Kind::Moved, published);
    moved.movedFrom = m_orphan.finalPath;
    endJob(moved);
}
