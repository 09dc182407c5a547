#include "conversion/fileconversion.h"

#include "conversion/formatfacts.h"
#include "conversion/outputcheck.h"
#include "conversion/stageverdict.h"
#include "library/covercache.h"
#include "runner/outputparsers.h"
#include "runner/toolrunner.h"
#include "settings/numbertext.h"

#include <QFile>
#include <QTimer>

FileConversion::FileConversion(int slot, const QString &workFolder, QObject *parent)
    : QObject(parent)
    , m_slot(slot)
    , m_work(WorkPaths::inFolder(workFolder, slot))
    , m_convRunner(new ToolRunner(this))
    , m_coderRunner(new ToolRunner(this))
    , m_soxRunner(new ToolRunner(this))
    , m_probeRunner(new ToolRunner(this))
    , m_libraryCheck(new LibraryCheck(this))
{
    connect(m_libraryCheck, &LibraryCheck::decided, this, &FileConversion::libraryDecided);
    for (ToolRunner *runner : {m_convRunner, m_coderRunner, m_soxRunner, m_probeRunner}) {
        connect(runner, &ToolRunner::outputReceived, this,
                [this, runner](const QString &chunk) { readOutput(runner, chunk); });
        connect(runner, &ToolRunner::startFailed, this, &FileConversion::stageFailedToStart);
        connect(runner, &ToolRunner::finished, this, &FileConversion::toolEnded);
    }
}

FileConversion::~FileConversion() = default;

void FileConversion::setWorkFolder(const QString &workFolder)
{
    m_work = WorkPaths::inFolder(workFolder, m_slot);
}

void FileConversion::readOutput(ToolRunner *runner, const QString &chunk)
{
    if (runner == m_convRunner)
        emit progressed(m_job.id, m_toolProgress.readEncoderOutput(chunk));
    else if (runner == m_probeRunner)
        m_toolProgress.readProbeOutput(chunk);
    else if (runner == m_coderRunner)
        emit progressed(m_job.id, m_toolProgress.readTranscoderOutput(chunk));
}

void FileConversion::start(const Job &job, const Started &started, const Context &context)
{
    m_job = Task{job.id,
                 job.label(),
                 context.format,
                 context.recipe,
                 context.library,
                 context.dryRun,
                 started.output,
                 job.native,
                 started.modifiedNs,
                 started.head,
                 started.unsafeOutput,
                 context.covers,
                 context.orphans,
                 context.staleSweep,
                 context.outputFolder,
                 job.tags,
                 job.sheetPath,
                 job.track};
    m_job.recipe.inputPath = started.toolPath;
    if (!started.output.isEmpty())
        m_job.recipe.outputFolder = started.output.left(started.output.lastIndexOf(u'/') + 1);
    // Library mode names outputs with no time; the local time costs a look at the time zone.
    if (!m_job.library)
        m_job.recipe.clock = m_clock();
    m_job.recipe.work = m_work;
    m_notes = job.notes;
    m_stopping = false;
    m_wantedOutput.clear();
    m_partialOutput.clear();
    m_reserveError = 0;
    m_replaces = false;
    m_decodedSeconds.reset();
    m_referenceDecoded = false;
    m_kept = KeptAudio::None;
    const std::optional<FlacMetadata::StreamInfo> &streamInfo = m_job.head.streamInfo();
    m_declaredSeconds = streamInfo ? streamInfo->seconds : std::nullopt;
    m_step = -1;
    if (job.range && !takeRange(*job.range, job.outputStem))
        return;
    m_plan = m_job.library ? QList<Step>{{Step::Kind::CheckLibrary}} : stagePlan();
    runNextStep();
}

QList<FileConversion::Step> FileConversion::stagePlan() const
{
    const int count = int(FormatTable::facts(m_job.format).stages.size());
    QList<Step> plan;
    for (int stage = FormatTable::encodesAtOnce(m_job.format, m_job.library) ? count - 1 : 0; stage < count;
         ++stage)
        plan.append({Step::Kind::Stage, stage});
    plan.append({Step::Kind::CheckOutput});
    return plan;
}

void FileConversion::runNextStep()
{
    ++m_step;
    const Step &step = currentStep();
    switch (step.kind) {
    case Step::Kind::Stage:
        startStage(step.stage);
        return;
    case Step::Kind::CheckLibrary:
        startLibraryCheck();
        return;
    case Step::Kind::ClaimOutput:
        claimOutput();
        return;
    case Step::Kind::PrepareCover:
        prepareCover();
        return;
    case Step::Kind::KeepAudio:
        startKeepingAudio();
        return;
    case Step::Kind::ReferenceDecode:
        startDecode();
        return;
    case Step::Kind::EncodeDecode:
        startEncodeOfDecode();
        return;
    case Step::Kind::CheckOutput:
        checkOutput();
        return;
    }
}

void FileConversion::insertNext(const QList<Step> &steps)
{
    for (qsizetype k = 0; k < steps.size(); ++k)
        m_plan.insert(m_step + 1 + k, steps[k]);
}

void FileConversion::replan(const QList<Step> &steps)
{
    m_plan.resize(m_step + 1);
    m_plan += steps;
}

FileConversion::StageRole FileConversion::roleOf(int stage) const
{
    const StageFacts &facts = FormatTable::facts(m_job.format).stages[stage];
    if (facts.target == StageFile::ProbeWav)
        return StageRole::Decode;
    if (facts.target == StageFile::None)
        return StageRole::Probe;
    return isAudio() ? StageRole::Encode : StageRole::Convert;
}

void FileConversion::startStage(int stage)
{
    // A work file left by an earlier file would give the probe that file's duration, or the second
    // stage that file's pictures.
    if (m_step == 0 && !FormatTable::encodesAtOnce(m_job.format, m_job.library)) {
        removeWorkFiles();
        m_workFilesUsed = true;
    }
    switch (roleOf(stage)) {
    case StageRole::Decode:
        // A format that decodes first only prepares its encode meanwhile.
        emit progressed(m_job.id, m_toolProgress.preparing());
        startDecode();
        return;
    case StageRole::Probe:
        runStage(*m_probeRunner, Recipes::stage(m_job.format, stage, m_job.recipe));
        return;
    case StageRole::Encode:
        startSourceEncode();
        return;
    case StageRole::Convert: {
        const bool conv = FormatTable::facts(m_job.format).stages[stage].kind == StageKind::Conv;
        // Built now, so the time stamp of a second stage is that of the end of the first.
        if (stage > 0 && !m_job.library)
            m_job.recipe.clock = m_clock();
        runStage(conv ? *m_convRunner : *m_coderRunner,
                 Recipes::stage(m_job.format, stage, m_job.recipe, m_outputChooser));
        return;
    }
    }
}

void FileConversion::toolEnded()
{
    if (stageEndedWhileStopping())
        return;
    const Step &step = currentStep();
    switch (step.kind) {
    case Step::Kind::Stage:
        stageFinished(step.stage);
        return;
    case Step::Kind::ReferenceDecode:
        decodeFinished();
        return;
    case Step::Kind::EncodeDecode:
        if (judgeStage(*m_coderRunner, true))
            runNextStep();
        return;
    case Step::Kind::KeepAudio:
        keptAudioFinished();
        return;
    case Step::Kind::CheckOutput:
        outputProbeFinished();
        return;
    case Step::Kind::CheckLibrary:
    case Step::Kind::ClaimOutput:
    case Step::Kind::PrepareCover:
        return;
    }
}

void FileConversion::stageFinished(int stage)
{
    switch (roleOf(stage)) {
    case StageRole::Decode:
        decodeFinished();
        return;
    case StageRole::Probe:
        probeFinished();
        return;
    case StageRole::Encode:
        sourceEncodeFinished();
        return;
    case StageRole::Convert:
        if (judgeStage(FormatTable::facts(m_job.format).stages[stage].kind == StageKind::Conv
                           ? *m_convRunner
                           : *m_coderRunner,
                       stage == 0))
            runNextStep();
        return;
    }
}

double FileConversion::fraction() const
{
    if (!isBusy() || m_step < 0)
        return 0;
    const double stagePart = m_toolProgress.stagePercent() / 100.0;
    const int stages = int(FormatTable::facts(m_job.format).stages.size());
    const Step &step = currentStep();
    if (step.kind == Step::Kind::CheckOutput)
        return 1;
    if (step.kind != Step::Kind::Stage)
        return step.kind == Step::Kind::EncodeDecode || step.kind == Step::Kind::ReferenceDecode ? stagePart
                                                                                                 : 0;
    // The MP3 decode and probe only prepare the encode, which does the work.
    if (isAudio())
        return step.stage == stages - 1 ? stagePart : 0;
    return (step.stage + stagePart) / stages;
}

void FileConversion::stop()
{
    m_stopping = true;
    if (m_runningRunner && m_runningRunner->isRunning()) {
        m_runningRunner->terminate();
        // The tool can write nothing more; its file goes now, in case the program ends before the
        // runner has reported the end.
        if (!m_runningCommand.outputPath.isEmpty())
            QFile::remove(m_runningCommand.outputPath);
    }
    if (!m_partialOutput.isEmpty())
        QFile::remove(m_partialOutput);
    removeWorkFiles();
    // Deciding what to do with a library output, or waiting for its cover, runs no stage whose end
    // would say so.
    if ((m_libraryCheck->isRunning() || std::exchange(m_waitingForCover, false)) && !m_runningRunner) {
        m_libraryCheck->stop();
        finish();
        QTimer::singleShot(0, this, &FileConversion::stopped);
    }
}

void FileConversion::runStage(ToolRunner &runner, const ToolCommand &command)
{
    runTool(runner, command, true);
}

void FileConversion::runTool(ToolRunner &runner, const ToolCommand &command, bool isStage)
{
    // A tool could not write where its output's hidden name could not even be made.
    if (m_reserveError != 0 && !command.outputPath.isEmpty() && command.outputPath == m_partialOutput) {
        failFile(reserveFailure());
        return;
    }
    m_runningRunner = &runner;
    m_runningCommand = command;
    if (isStage)
        emit stageStarted(m_job.id, command.toolName);
    runner.start(command.command);
}

void FileConversion::stageFailedToStart(ToolRunner::StartProblem problem)
{
    m_runningRunner = nullptr;
    // A name reserved for this stage's output is this stage's own.
    if (!m_runningCommand.outputPath.isEmpty())
        QFile::remove(m_runningCommand.outputPath);
    emit stageEnded(m_job.id, m_runningCommand.toolName, false);
    if (!m_stopping) {
        failFile({FileFailure::Kind::ToolNotStarted, QString::number(int(problem))});
        return;
    }
    finish();
    emit stopped();
}

bool FileConversion::stageEndedWhileStopping()
{
    m_runningRunner = nullptr;
    if (!m_stopping)
        return false;
    finish();
    emit stopped();
    return true;
}

void FileConversion::failFile(const FileFailure &failure)
{
    JobResult failed;
    failed.kind = JobResult::Kind::Failed;
    failed.failure = failure;
    endJob(failed);
}

void FileConversion::endJob(JobResult result)
{
    result.id = m_job.id;
    result.source = m_job.source;
    result.notes = std::exchange(m_notes, {});
    finish();
    emit ended(result);
}

JobResult FileConversion::resultOf(JobResult::Kind kind, const QString &output)
{
    JobResult result;
    result.kind = kind;
    result.output = output;
    return result;
}

void FileConversion::finish()
{
    // An output that never took its final name is no use to anyone.
    if (!m_partialOutput.isEmpty())
        QFile::remove(m_partialOutput);
    m_partialOutput.clear();
    restoreOrphan();
    // A file that needed none (an up-to-date one, a library encode) costs no look at the work folder.
    if (std::exchange(m_workFilesUsed, false))
        removeWorkFiles();
    m_carriedOver = {};
    m_sourceTagsText.clear();
    m_toolProgress.reset();
    m_job = Task();
    m_plan.clear();
    m_step = -1;
    m_runningRunner = nullptr;
}

bool FileConversion::isAudio() const
{
    return container() != nullptr;
}

const ContainerFacts *FileConversion::container() const
{
    return ContainerTable::facts(FormatTable::container(m_job.format));
}

void FileConversion::removeWorkFiles() const
{
    QFile::remove(m_work.probeWav);
    QFile::remove(m_work.intermediate);
    QFile::remove(m_work.tags);
    QFile::remove(m_work.tag);
    if (!m_carriedOver.picturePath.isEmpty())
        QFile::remove(m_carriedOver.picturePath);
}
