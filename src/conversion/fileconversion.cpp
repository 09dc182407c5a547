#include "conversion/fileconversion.h"

#include "conversion/formatfacts.h"
#include "conversion/outputcheck.h"
#include "conversion/partialoutput.h"
#include "conversion/runtexts.h"
#include "conversion/stageverdict.h"
#include "library/covercache.h"
#include "media/flacmetadata.h"
#include "media/medialength.h"
#include "runner/outputparsers.h"
#include "runner/runnertexts.h"
#include "runner/toolrunner.h"
#include "settings/numbertext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cerrno>

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
    }
    connect(m_soxRunner, &ToolRunner::finished, this, &FileConversion::decodeFinished);
    connect(m_probeRunner, &ToolRunner::finished, this, &FileConversion::probeFinished);
    connect(m_convRunner, &ToolRunner::finished, this, &FileConversion::convStageFinished);
    connect(m_coderRunner, &ToolRunner::finished, this, &FileConversion::coderStageFinished);
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
                 job.path,
                 context.format,
                 context.recipe,
                 context.library,
                 context.dryRun,
                 started.output,
                 job.native,
                 started.modifiedNs,
                 started.streamInfo,
                 started.unsafeOutput,
                 context.covers,
                 context.orphans,
                 context.staleSweep,
                 context.outputFolder};
    m_job.recipe.inputPath = started.toolPath;
    if (!started.output.isEmpty())
        m_job.recipe.outputFolder = started.output.left(started.output.lastIndexOf(u'/') + 1);
    m_notes.clear();
    // Library mode names outputs with no time; the local time costs a look at the time zone.
    if (!m_job.library)
        m_job.recipe.clock = m_clock();
    m_job.recipe.work = m_work;
    m_stage = 0;
    m_stopping = false;
    m_wantedOutput.clear();
    m_partialOutput.clear();
    m_reserveError = 0;
    m_replaces = false;
    m_flacDecodeTried = false;
    m_encodesDecode = false;
    m_decodedSeconds.reset();
    m_referenceAsked = false;
    m_libraryStep = LibraryStep::None;
    const std::optional<FlacMetadata::StreamInfo> &streamInfo = m_job.streamInfo;
    m_declaredSeconds = streamInfo ? streamInfo->seconds : std::nullopt;
    if (!m_job.library) {
        startStages();
        return;
    }
    startLibraryCheck(streamInfo ? streamInfo->audioMd5 : QString());
}

void FileConversion::startStages()
{
    if (FormatTable::encodesAtOnce(m_job.format, m_job.library)) {
        encodeSource();
        return;
    }
    // A work file left by an earlier file would give the probe that file's duration, or the second
    // stage that file's pictures.
    removeWorkFiles();
    m_workFilesUsed = true;
    // A format that decodes first only prepares its encode meanwhile.
    if (FormatTable::facts(m_job.format).stages.front().kind == StageKind::Sox) {
        emit progressed(m_job.id, m_toolProgress.preparing());
        runStage(*m_soxRunner, Recipes::stage(m_job.format, 0, m_job.recipe));
    } else {
        runStage(*m_convRunner, Recipes::firstStage(m_job.format, m_job.recipe, m_outputChooser));
    }
}

double FileConversion::fraction() const
{
    if (!isBusy())
        return 0;
    const double stagePart = m_toolProgress.stagePercent() / 100.0;
    // The MP3 decode and probe only prepare the encode, which does the work.
    const int stages = int(FormatTable::facts(m_job.format).stages.size());
    if (m_stage >= stages)
        return 1;
    if (isAudio())
        return m_stage == stages - 1 ? stagePart : 0;
    return (m_stage + stagePart) / stages;
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

bool FileConversion::judgeStage(ToolRunner &runner)
{
    if (stageEndedWhileStopping())
        return false;
    StageOutcome outcome;
    outcome.crashed = runner.endStatus() != ToolRunner::EndStatus::Exited;
    outcome.exitCode = runner.exitCode();
    outcome.output = runner.output();
    outcome.writtenPath = m_runningCommand.outputPath;
    const bool cuts = cutsTheInput(runner);
    // An audio encode's reading of the source is weighed against the reference decoder's before.
    outcome.readsSource = cuts && !isAudio();
    outcome.sourcePath = m_job.recipe.inputPath;
    if (m_job.recipe.cut && cuts) {
        outcome.cutStartSeconds = m_job.recipe.cut->startSeconds;
        outcome.cutEndSeconds = m_job.recipe.cut->endSeconds;
    }
    std::optional<FileFailure> failure = StageVerdict::failure(outcome);
    emit stageEnded(m_job.id, m_runningCommand.toolName, !failure);
    if (!failure)
        return true;
    // The tool names the output by its hidden name, which means nothing to whoever reads this.
    if (failure->kind == FileFailure::Kind::ToolSaid && !m_partialOutput.isEmpty())
        failure->detail.replace(m_partialOutput, m_wantedOutput);
    // The name was free when the stage began, so the file is this stage's own.
    if (!m_runningCommand.outputPath.isEmpty())
        QFile::remove(m_runningCommand.outputPath);
    failFile(*failure);
    return false;
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

void FileConversion::probeFinished()
{
    if (stageEndedWhileStopping())
        return;
    if (!isAudio()) {
        outputProbeFinished();
        return;
    }
    emit stageEnded(m_job.id, ToolName::coder.toString(), true);
    // The decode stays until the encode has ended: the encode may have to read it instead.
    if (m_job.recipe.cut && !measureCut(OutputParsers::announcedDuration(m_probeRunner->output()))) {
        failFile({FileFailure::Kind::CutBeyondInput, {}});
        return;
    }
    m_stage = 2;
    runStage(*m_coderRunner, Recipes::mp3Encode(m_job.recipe, m_outputChooser));
}

bool FileConversion::cutsTheInput(const ToolRunner &runner) const
{
    return isAudio() ? &runner == m_coderRunner : &runner == m_convRunner;
}

bool FileConversion::measureCut(std::optional<double> duration)
{
    if (!duration)
        return true;
    const CutRange &cut = *m_job.recipe.cut;
    if (cut.startSeconds >= *duration)
        return false;
    const double end = cut.endSeconds > 0 ? std::min<double>(cut.endSeconds, *duration) : *duration;
    // The bar runs over the part that is converted.
    m_toolProgress.setDurationSeconds(qint32(NumberText::roundHalfEven(end - cut.startSeconds)));
    return true;
}

void FileConversion::convStageFinished()
{
    if (!judgeStage(*m_convRunner))
        return;
    if (!FormatTable::isTwoStage(m_job.format)) {
        checkOutput();
        return;
    }
    // Built now, so the time stamp is that of the end of the first stage.
    m_job.recipe.clock = m_clock();
    m_stage = 1;
    runStage(*m_coderRunner, Recipes::secondStage(m_job.format, m_job.recipe, m_outputChooser));
}

void FileConversion::coderStageFinished()
{
    if (m_libraryStep != LibraryStep::None) {
        libraryStepFinished();
        return;
    }
    if (!m_stopping && isAudio() && !m_encodesDecode) {
        sourceEncodeFinished();
        return;
    }
    if (judgeStage(*m_coderRunner))
        checkOutput();
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
    m_runningRunner = nullptr;
}

bool FileConversion::isAudio() const
{
    return FormatTable::container(m_job.format) != AudioContainer::None;
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
