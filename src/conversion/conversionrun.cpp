#include "conversion/conversionrun.h"
#include "library/librarypaths.h"

#include "conversion/cuttime.h"
#include "conversion/fileconversion.h"
#include "conversion/partialoutput.h"
#include "conversion/runtexts.h"
#include "library/covercache.h"
#include "library/orphanindex.h"
#include "media/flacmetadata.h"
#include "platform/appdirs.h"
#include "platform/regularfile.h"
#include "settings/programsettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>

ConversionRun::ConversionRun(QObject *parent)
    : QObject(parent)
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
    auto *slot = new FileConversion(int(m_slots.size()) + 1, m_workFolder, this);
    slot->setClock(m_clock);
    connect(slot, &FileConversion::stageStarted, this, &ConversionRun::stageStarted);
    connect(slot, &FileConversion::stageEnded, this, &ConversionRun::stageEnded);
    connect(slot, &FileConversion::ended, this, &ConversionRun::takeResult);
    connect(slot, &FileConversion::stopped, this, &ConversionRun::fillSlots);
    // One file at a time shows each file's own progress; several show the share of the run.
    connect(slot, &FileConversion::progressed, this, [this](JobId id, const JobProgress &progress) {
        if (m_settings.simultaneousFiles == 1)
            emit jobProgressed(id, progress);
        else
            showOverallProgress();
    });
    m_slots.append(slot);
    return slot;
}

ToolRunner &ConversionRun::coderRunner()
{
    return m_slots.constFirst()->coderRunner();
}

QList<ConversionRun::RunningJob> ConversionRun::runningJobs() const
{
    QList<RunningJob> running;
    for (const FileConversion *slot : m_slots) {
        if (slot->isBusy())
            running.append({slot->jobId(), slot->fraction()});
    }
    return running;
}

void ConversionRun::start(const RunSettings &settings, const JobQueue &queue)
{
    if (isActive())
        return;
    m_settings = settings;
    m_queue = &queue;
    if (!queue.next(0)) {
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

    m_counts = {};
    if (!m_dryRun && !prepareOutputFolder(m_settings.outputFolder)) {
        endRun(RunOutcome::End::OutputFolderRefused);
        return;
    }
    emit begun();
    m_claimedOutputs.clear();
    m_claimedOutputs.reserve(m_queue->countAfter(0));
    m_staleSweep.clear();
    QDir().mkpath(WorkPaths::scratchFolder(m_workFolder));
    m_lastTried = 0;
    m_jobsEnded = 0;
    m_shownShare = 0;
    m_toolProblem.reset();
    while (m_slots.size() < m_settings.simultaneousFiles)
        addSlot();
    m_orphansSwept = false;
    m_outputFolders[0] = m_outputFolders[1] = {};
    if (m_settings.library)
        m_covers->begin(m_workFolder, m_settings.programFolder, m_settings.coverEdge);
    m_context = {};
    m_context.format = m_settings.format.value_or(OutputFormat::Mp3);
    m_context.recipe.programFolder = m_settings.programFolder;
    m_context.recipe.outputFolder = m_settings.outputFolder;
    m_context.recipe.settings = m_settings.encoding;
    m_context.recipe.cut = m_settings.cut;
    m_context.library = m_settings.library;
    m_context.dryRun = m_dryRun;
    m_context.covers = m_covers;
    m_context.orphans = m_orphans;
    m_context.staleSweep = &m_staleSweep;
    m_context.outputFolder = &m_outputFolder;
    if (m_settings.library) {
        m_context.recipe.fatSafeNames = m_settings.fatNames;
        m_context.recipe.coverEdge = m_settings.coverEdge;
    }
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
            std::optional<Job> job = m_queue->next(m_lastTried);
            if (!job)
                break;
            m_lastTried = job->id;
            startJob(slot, std::move(*job));
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

void ConversionRun::startJob(FileConversion &slot, Job job)
{
    QString toolPath = job.path;
    if (!job.pathIsExact()) {
        toolPath = WorkPaths::makeSourceLink(m_workFolder, job.id, job.path, job.native);
        m_sourceLinks.insert(job.id, toolPath);
    }
    if (!m_settings.format) {
        endUnstarted(job, {FileFailure::Kind::NoFormat, {}});
        return;
    }
    if (job.refusal) {
        endUnstarted(job, *job.refusal);
        return;
    }
    // Opened once: what it is, its time and its stream header. A source that cannot be opened fails
    // here, in the program's words, before a tool repeats its path in the system's (and before a dry
    // run promises to convert it).
    const RegularFile::Reader source(toolPath, RegularFile::Reader::Links::Follow, &m_sourceFolder);
    if (toolPath.isEmpty() || !source.isOpen()) {
        // Opening a FIFO, a socket or a device would wait, and no tool can convert one.
        if (source.kind() == RegularFile::Kind::Other && source.error() == 0)
            endUnstarted(job, {FileFailure::Kind::NotRegularFile, {}});
        else
            endUnstarted(job, {FileFailure::Kind::SourceUnreachable, QString::number(source.error())});
        return;
    }
    FileConversion::Started started;
    started.toolPath = toolPath;
    started.modifiedNs = source.modifiedNs();
    started.head = FlacMetadata::Head(source, toolPath);
    if (m_settings.library) {
        bool listedBefore = false;
        const std::optional<QString> output = claimLibraryOutput(job, *m_settings.format, listedBefore);
        if (!output) {
            if (listedBefore) {
                JobResult repeated;
                repeated.id = job.id;
                repeated.kind = JobResult::Kind::Repeated;
                repeated.source = job.label();
                takeResult(repeated);
            } else {
                endUnstarted(job, {FileFailure::Kind::OutputPlaceTaken, {}});
            }
            return;
        }
        started.output = *output;
        // Where the output lay before names were made safe for FAT: it moves to its safe name.
        // A path with nothing FAT cannot store has one place only.
        if (m_settings.fatNames && !LibraryPaths::isFatSafePath(job.path)) {
            const QString unsafe = libraryOutputOf(job, *m_settings.format, false);
            if (unsafe != *output)
                started.unsafeOutput = {unsafe, libraryRootOf(job.libraryFolder, false),
                                        m_settings.outputFolder, unsafe};
        }
    }
    slot.start(job, started, m_context);
}

bool ConversionRun::anySlotBusy() const
{
    return std::any_of(m_slots.cbegin(), m_slots.cend(),
                       [](const FileConversion *slot) { return slot->isBusy(); });
}

void ConversionRun::takeResult(const JobResult &result)
{
    switch (result.kind) {
    case JobResult::Kind::Converted:
    case JobResult::Kind::Planned:
        ++m_counts.converted;
        break;
    case JobResult::Kind::Retagged:
        ++m_counts.retagged;
        break;
    case JobResult::Kind::Moved:
        ++m_counts.moved;
        break;
    case JobResult::Kind::Skipped:
        ++m_counts.skipped;
        break;
    case JobResult::Kind::Failed:
        ++m_counts.failed;
        // A tool that cannot be started fails every file: the run starts no other and ends once
        // the files still converting are done.
        if (result.failure.kind == FileFailure::Kind::ToolNotStarted)
            m_toolProblem = ToolRunner::StartProblem(result.failure.detail.toInt());
        break;
    case JobResult::Kind::Repeated:
        break;
    }
    letGo(result.id);
    ++m_jobsEnded;
    emit jobEnded(result);
    showOverallProgress();
    fillSlots();
}

void ConversionRun::endUnstarted(const Job &job, const FileFailure &failure)
{
    JobResult failed;
    failed.id = job.id;
    failed.kind = JobResult::Kind::Failed;
    failed.source = job.label();
    failed.failure = failure;
    takeResult(failed);
}

void ConversionRun::letGo(JobId id)
{
    WorkPaths::removeSourceLink(m_sourceLinks.take(id));
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
