#include "conversion/fileconversion.h"

#include "conversion/formatfacts.h"
#include "conversion/outputcheck.h"
#include "conversion/partialoutput.h"
#include "conversion/runtexts.h"
#include "library/librarymark.h"
#include "library/librarytags.h"
#include "media/flacmetadata.h"
#include "media/mp4atoms.h"
#include "platform/trustedtree.h"
#include "runner/outputparsers.h"
#include "runner/toolrunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

// The output's side of a conversion: its hidden name, the check of what the last stage wrote, the
// final name.

QString FileConversion::chooseOutput(const QString &wantedPath)
{
    // Library mode has reserved its one name before the first stage.
    if (m_job.library)
        return m_partialOutput;
    // A second encode of the same file (from its decode, or without its cover) writes over the first.
    if (!m_partialOutput.isEmpty() && wantedPath == m_wantedOutput)
        return m_partialOutput;
    if (!m_partialOutput.isEmpty())
        QFile::remove(m_partialOutput);
    m_wantedOutput = wantedPath;
    // Created now, so that no other file of this run takes the same hidden name.
    reserveOutput(wantedPath);
    return m_partialOutput;
}

void FileConversion::reserveOutput(const QString &finalPath)
{
    // What a process of this machine that ended before its files were done left in the folder.
    if (m_job.staleSweep)
        m_job.staleSweep->before(m_job.recipe.outputFolder);
    m_partialOutput = PartialOutput::reserve(finalPath, &m_reserveError);
}

FileFailure FileConversion::reserveFailure() const
{
    using Kind = FileFailure::Kind;
    switch (m_reserveError) {
    case ENOSPC:
    case EDQUOT:
        return {Kind::DiskFull, {}};
    case EINVAL:
    case EPERM:
    case EILSEQ:
    case ENAMETOOLONG:
        return {Kind::OutputNameRefused, {}};
    default:
        return {Kind::OutputFolderUnwritable, QFileInfo(m_wantedOutput).path()};
    }
}

void FileConversion::checkOutput()
{
    if (!isAudio()) {
        runTool(*m_probeRunner, Recipes::outputProbe(m_job.recipe, m_partialOutput), false);
        return;
    }
    // An output its mark cannot be added to is an output all the same, one without the mark, as
    // an earlier version's are.
    if (m_job.recipe.mark && container()->markWay == ContainerFacts::MarkWay::AfterEncode &&
        !addFreeformTags())
        m_notes.append(FileNote::UnmarkedOutput);
    // A source whose length neither its header nor its decode tells (SoX could not read it) is
    // measured by the encode's own reading of it.
    std::optional<double> source = OutputCheck::sourceSeconds(m_declaredSeconds, m_decodedSeconds);
    if (!source)
        source = OutputParsers::announcedDuration(m_coderRunner->output());
    publishOutput(
        OutputCheck::audioWhole(m_partialOutput, OutputCheck::expectedSeconds(source, m_job.recipe.cut)));
}

bool FileConversion::addFreeformTags()
{
    QList<QPair<QString, QString>> tags = m_job.recipe.mark->fields();
    tags += LibraryTags::freeformFields(m_job.head.comments());
    return Mp4Atoms::addFreeformTags(m_partialOutput, tags);
}

void FileConversion::outputProbeFinished()
{
    publishOutput(
        OutputCheck::probedWhole(m_probeRunner->output(), m_job.recipe.cut, OutputCheck::VideoSlackShare));
}

void FileConversion::publishOutput(bool whole)
{
    if (!whole) {
        failFile({FileFailure::Kind::IncompleteOutput, {}});
        return;
    }
    const QString published = takeFinalName();
    if (published.isEmpty())
        return;
    endJob(resultOf(JobResult::Kind::Converted, published));
}

QString FileConversion::takeFinalName()
{
    const PartialOutput::Published published =
        m_job.library ? PartialOutput::publishAt(m_partialOutput, m_wantedOutput, m_replaces)
                      : PartialOutput::publish(m_partialOutput, m_wantedOutput);
    if (published.path.isEmpty()) {
        // Two runs that each saw no claim of the other's both converted the file: the first is kept.
        if (published.error == EEXIST && m_job.library && m_job.recipe.mark) {
            const std::optional<LibraryMark> there = LibraryMark::read(m_wantedOutput);
            if (there && there->source == m_job.recipe.mark->source) {
                // An orphan claimed to be moved here holds what is there now: it has served.
                const QString key = m_job.recipe.mark->contentKey();
                if (!m_claimedOrphan.isEmpty() && !key.isEmpty() && there->contentKey() == key &&
                    TrustedTree::removeFile(m_orphan.outputFolder, m_claimedOrphan))
                    m_claimedOrphan.clear();
                leaveToAnother();
                return {};
            }
        }
        using Kind = FileFailure::Kind;
        failFile(published.error == ENOSPC ? FileFailure{Kind::DiskFull, {}}
                 : published.error == EEXIST
                     ? FileFailure{Kind::OutputPlaceTaken, {}}
                     : FileFailure{Kind::OutputFolderUnwritable, QFileInfo(m_wantedOutput).path()});
        return {};
    }
    m_partialOutput.clear();
    return published.path;
}
