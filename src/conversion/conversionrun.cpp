#include "library/librarypaths.h"
#include "conversion/conversionrun.h"

#include "library/covercache.h"
#include "conversion/cuttime.h"
#include "conversion/fileconversion.h"
#include "media/flacmetadata.h"
#include "library/orphanindex.h"
#include "conversion/partialoutput.h"
#include "conversion/progressstate.h"
#include "conversion/runtexts.h"
#include "platform/appdirs.h"
#include "platform/regularfile.h"
#include "settings/programsettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>

ConversionRun::ConversionRun(FileList &files, ProgressState &progress, QObject *parent)
    : QObject(parent)
    , m_files(files)
    , m_progress(progress)
    , m_startDelay(new QTimer(this))
    , m_orphans(new OrphanIndex(this))
    , m_covers(new CoverCache(this))
{
    connect(m_orphans, &OrphanIndex::finished, this, &ConversionRun::fillSlots);
    m_startDelay->setSingleShot(true);
    m_startDelay->setInterval(WindowStartDelayMs);
    connect(m_startDelay, &QTimer::timeout, this, &ConversionRun::startDelayElapsed);
    addSlot();
}

ConversionRun::~ConversionRun()
{
    letGoOfAll();
}

void ConversionRun::setWorkFolder(const QString &workFolder)
{
    m_workFolder = workFolder;
    for (FileConversion *slot : std::as_const(m_slots))
        slot->setWorkFolder(workFolder);
}

void ConversionRun::setClock(std::function<QTime()> clock)
{
    m_clock = std::move(clock);
    for (FileConversion *slot : std::as_const(m_slots))
        slot->setClock(m_clock);
}

FileConversion *ConversionRun::addSlot()
{
    auto *slot = new FileConversion(int(m_slots.size()) + 1, m_workFolder, m_progress, this);
    slot->setClock(m_clock);
    auto *ownProgress = new ProgressState(this);
    connect(slot, &FileConversion::stageStarted, this, &ConversionRun::stageStarted);
    connect(slot, &FileConversion::stageEnded, this, &ConversionRun::stageEnded);
    connect(slot, &FileConversion::converted, this, &ConversionRun::takeConverted);
    connect(slot, &FileConversion::failed, this, &ConversionRun::takeFailed);
    connect(slot, &FileConversion::skipped, this, &ConversionRun::takeSkipped);
    connect(slot, &FileConversion::planned, this, &ConversionRun::takePlanned);
    connect(slot, &FileConversion::retagged, this, &ConversionRun::takeRetagged);
    connect(slot, &FileConversion::moved, this, &ConversionRun::takeMoved);
    connect(slot, &FileConversion::toolMissing, this, &ConversionRun::toolMissing);
    connect(slot, &FileConversion::noted, this, [this](FileList::Id id, FileNote note) {
        m_notes.append({m_pathsConverting.value(id), note});
        emit fileNoted(id, note);
    });
    connect(slot, &FileConversion::stopped, this, &ConversionRun::fillSlots);
    connect(ownProgress, &ProgressState::changed, this, &ConversionRun::showOverallProgress);
    m_slots.append(slot);
    m_slotProgress.append(ownProgress);
    return slot;
}

ToolRunner &ConversionRun::coderRunner()
{
    return m_slots.constFirst()->coderRunner();
}

QList<ConversionRun::RunningFile> ConversionRun::runningFiles() const
{
    QList<RunningFile> running;
    for (const FileConversion *slot : m_slots) {
        if (slot->isBusy())
            running.append({slot->fileId(), slot->fraction()});
    }
    return running;
}

void ConversionRun::start(const RunSettings &settings)
{
    if (isActive())
        return;
    m_settings = settings;
    if (m_files.isEmpty()) {
        RunOutcome nothing;
        nothing.end = RunOutcome::End::NothingToDo;
        emit finished(nothing);
        return;
    }
    m_state = State::Armed;
    m_startDelay->start();
}

void ConversionRun::stopForShutdown()
{
    m_shuttingDown = true;
    if (m_state == State::Armed) {
        m_startDelay->stop();
        m_state = State::Idle;
    }
    for (FileConversion *slot : std::as_const(m_slots)) {
        if (slot->isBusy())
            slot->stop();
    }
    m_covers->stop();
    if (std::exchange(m_waitingForAnswer, false))
        QTimer::singleShot(0, this, [this] { endRun(RunOutcome::End::Stopped); });
    if (m_orphans->isRunning()) {
        m_orphans->stop();
        QTimer::singleShot(0, this, &ConversionRun::fillSlots);
    }
}

void ConversionRun::startDelayElapsed()
{
    if (m_shuttingDown) {
        m_state = State::Idle;
        return;
    }
    beginRun();
}

void ConversionRun::beginRun()
{
    m_state = State::Running;
    m_failures.clear();
    m_notes.clear();
    m_progress.resetDuration();

    m_counts = {};
    if (!m_dryRun && !prepareOutputFolder(m_settings.outputFolder)) {
        endRun(RunOutcome::End::OutputFolderRefused);
        return;
    }
    m_files.clearFailedMarks();
    m_claimedOutputs.clear();
    m_claimedOutputs.reserve(m_files.count());
    m_staleSweep.clear();
    QDir().mkpath(WorkPaths::scratchFolder(m_workFolder));
    m_lastTried = 0;
    m_filesEnded = 0;
    m_shownShare = 0;
    m_toolProblem.reset();
    while (m_slots.size() < m_settings.simultaneousFiles)
        addSlot();
    // One file at a time shows each file's own progress; several show the share of the run.
    const bool oneAtATime = m_settings.simultaneousFiles == 1;
    for (qsizetype k = 0; k < m_slots.size(); ++k)
        m_slots[k]->setProgress(oneAtATime ? m_progress : *m_slotProgress[k]);
    m_orphansSwept = false;
    m_keptFolders.clear();
    m_outputFolders[0] = m_outputFolders[1] = {};
    if (m_settings.library)
        m_covers->begin(m_workFolder, m_settings.programFolder, m_settings.coverEdge);
    // Library mode reads the outputs whose source is gone before the first file; fillSlots follows.
    if (m_settings.library && m_settings.format)
        readOrphans();
    else
        fillSlots();
}

bool ConversionRun::prepareOutputFolder(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tunoxa-write-check-XXXXXX")));
    return probe.open();
}

void ConversionRun::fillSlots()
{
    // Files whose end is known at once (up to date, or failing before a tool starts) end inside
    // startFile, and their end asks for this again: this loop goes on with them instead, so a long
    // list of them cannot exhaust the stack. It yields to the event loop now and then, so the window
    // stays live over such a list.
    if (m_state != State::Running || m_filling)
        return;
    m_filling = true;
    QElapsedTimer slice;
    slice.start();
    bool yielded = false;
    for (qsizetype k = 0; k < m_settings.simultaneousFiles && !m_shuttingDown && !m_toolProblem && !yielded;
         ++k) {
        FileConversion &slot = *m_slots[k];
        while (!slot.isBusy() && !yielded) {
            const FileList::Id id = m_files.idAfter(m_lastTried);
            if (id == 0)
                break;
            m_lastTried = id;
            startFile(slot, id);
            yielded = slice.elapsed() >= FillSliceMs;
        }
    }
    m_filling = false;
    if (yielded) {
        QTimer::singleShot(0, this, &ConversionRun::fillSlots);
        return;
    }
    if (anySlotBusy())
        return;
    if (m_shuttingDown)
        endRun(RunOutcome::End::Stopped);
    else if (m_toolProblem)
        endRun(RunOutcome::End::ToolMissing);
    else if (m_settings.deleteOrphans && !m_orphansSwept)
        sweepOrphans();
    else
        endRun(RunOutcome::End::Finished);
}

void ConversionRun::startFile(FileConversion &slot, FileList::Id id)
{
    // Taken once: the row may go while the file converts.
    const FileList::File file = *m_files.file(id);
    m_pathsConverting.insert(id, file.path);
    FileConversion::Job job;
    job.id = id;
    job.recipe.programFolder = m_settings.programFolder;
    if (file.pathIsExact()) {
        job.recipe.inputPath = file.path;
    } else {
        job.recipe.inputPath = WorkPaths::makeSourceLink(m_workFolder, id, file.path, file.native);
        m_sourceLinks.insert(id, job.recipe.inputPath);
    }
    job.recipe.outputFolder = m_settings.outputFolder;
    job.recipe.settings = m_settings.encoding;
    job.recipe.cut = m_settings.cut;
    job.library = m_settings.library;
    job.dryRun = m_dryRun;
    job.sourceNative = file.native;
    job.orphans = m_orphans;
    job.covers = m_covers;
    if (!m_settings.format) {
        failUnstarted(id, {FileFailure::Kind::NoFormat, {}});
        return;
    }
    // Opened once: what it is, its time and its stream header. A source that cannot be opened fails
    // here, in the program's words, before a tool repeats its path in the system's (and before a dry
    // run promises to convert it).
    const RegularFile::Reader source(job.recipe.inputPath, RegularFile::Reader::Links::Follow,
                                     &m_sourceFolder);
    job.sourceModifiedNs = source.modifiedNs();
    job.streamInfo = FlacMetadata::streamInfo(source, job.recipe.inputPath);
    if (job.recipe.inputPath.isEmpty() || !source.isOpen()) {
        // Opening a FIFO, a socket or a device would wait, and no tool can convert one.
        if (source.kind() == RegularFile::Kind::Other && source.error() == 0)
            failUnstarted(id, {FileFailure::Kind::NotRegularFile, {}});
        else
            failUnstarted(id, {FileFailure::Kind::SourceUnreachable, QString::number(source.error())});
        return;
    }
    job.format = *m_settings.format;
    if (job.library) {
        bool listedBefore = false;
        const std::optional<QString> output = claimLibraryOutput(file, job.format, listedBefore);
        if (!output) {
            if (listedBefore)
                dropRepeat(id);
            else
                failUnstarted(id, {FileFailure::Kind::OutputPlaceTaken, {}});
            return;
        }
        job.libraryOutput = *output;
        job.recipe.outputFolder = output->left(output->lastIndexOf(u'/') + 1);
        job.recipe.fatSafeNames = m_settings.fatNames;
        job.recipe.coverEdge = m_settings.coverEdge;
        // Where the output lay before names were made safe for FAT: it moves to its safe name.
        // A path with nothing FAT cannot store has one place only.
        if (m_settings.fatNames && !LibraryPaths::isFatSafePath(file.path)) {
            const QString unsafe = libraryOutputOf(file, job.format, false);
            if (unsafe != *output)
                job.unsafeOutput = {unsafe, libraryRootOf(file.sourceFolder, false), m_settings.outputFolder,
                                    unsafe};
        }
    }
    job.staleSweep = &m_staleSweep;
    job.outputFolder = &m_outputFolder;
    slot.start(job);
}

bool ConversionRun::anySlotBusy() const
{
    return std::any_of(m_slots.cbegin(), m_slots.cend(),
                       [](const FileConversion *slot) { return slot->isBusy(); });
}

void ConversionRun::takeConverted(FileList::Id id, const QString &outputPath)
{
    // Told while the row is still there, so listeners can read it.
    ++m_counts.converted;
    emit fileConverted(id, outputPath);
    fileDone(id, true);
}

void ConversionRun::takeSkipped(FileList::Id id, const QString &outputPath, SkipReason reason)
{
    ++m_counts.skipped;
    emit fileSkipped(id, outputPath, reason);
    if (m_settings.simultaneousFiles == 1)
        m_progress.setCaption(reason == SkipReason::UpToDate ? RunTexts::upToDate()
                                                             : RunTexts::anotherProcessConverts());
    fileDone(id, true);
}

void ConversionRun::takePlanned(FileList::Id id, const QString &outputPath, bool replaces)
{
    ++m_counts.converted;
    emit filePlanned(id, outputPath, replaces);
    fileDone(id, false);
}

void ConversionRun::fileDone(FileList::Id id, bool leavesTheList)
{
    // Gone already when the user removed the row while it was converting.
    if (leavesTheList)
        m_files.removeId(id);
    letGo(id);
    m_pathsConverting.remove(id);
    ++m_filesEnded;
    showOverallProgress();
    fillSlots();
}

void ConversionRun::takeFailed(FileList::Id id, const FileFailure &failure)
{
    recordFailure(id, failure);
    ++m_filesEnded;
    showOverallProgress();
    fillSlots();
}

void ConversionRun::failUnstarted(FileList::Id id, const FileFailure &failure)
{
    recordFailure(id, failure);
    ++m_filesEnded;
}

void ConversionRun::recordFailure(FileList::Id id, const FileFailure &failure)
{
    m_files.markFailed(id, failureText(failure));
    // As the list showed it when its conversion began: the row may have gone meanwhile.
    m_failures.append({m_pathsConverting.take(id), failure});
    letGo(id);
    emit fileFailed(id, failure);
}

void ConversionRun::letGo(FileList::Id id)
{
    WorkPaths::removeSourceLink(m_sourceLinks.take(id));
}

void ConversionRun::dropRepeat(FileList::Id id)
{
    m_files.removeId(id);
    m_pathsConverting.remove(id);
    letGo(id);
    ++m_filesEnded;
}

void ConversionRun::letGoOfAll()
{
    // A stop leaves the files it interrupted in the list, and no tool reads them any more.
    for (const QString &link : std::as_const(m_sourceLinks))
        WorkPaths::removeSourceLink(link);
    m_sourceLinks.clear();
    // Kept open, they would keep the disks busy: a USB disk could not be ejected.
    m_sourceFolder.release();
    m_outputFolder.release();
}

void ConversionRun::toolMissing(FileList::Id id, ToolRunner::StartProblem problem)
{
    // The run starts no other file and ends once the files still converting are done.
    m_toolProblem = problem;
    recordFailure(id, {FileFailure::Kind::ToolNotStarted, QString::number(int(problem))});
    fillSlots();
}
