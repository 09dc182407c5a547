#include "conversion/conversionrun.h"

#include "conversion/runtexts.h"
#include "conversion/stageverdict.h"
#include "runner/progressdisplay.h"
#include "runner/runnertexts.h"
#include "runner/toolrunner.h"
#include "shell/appdirs.h"
#include "shell/programsettings.h"
#include "shell/userservices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace {

// The output folder as a run uses it: a relative folder is taken relative to the program folder
// (never to wherever the program was started, and never as text a tool could read as an option),
// and it ends with "/".
QString absoluteOutputFolder(const QString &text, const QString &programFolder)
{
    if (text.isEmpty())
        return text;
    QString folder = QDir::isAbsolutePath(text) ? text : programFolder + QLatin1Char('/') + text;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

ConversionRun::ConversionRun(RunHost &host, FileList &files, ProgressDisplay &progress,
                             UserServices &services, const ProgramSettings &settings, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_files(files)
    , m_progress(progress)
    , m_services(services)
    , m_programSettings(settings)
    , m_convRunner(new ToolRunner(services, this))
    , m_coderRunner(new ToolRunner(services, this))
    , m_soxRunner(new ToolRunner(services, this))
    , m_probeRunner(new ToolRunner(services, this))
    , m_startDelay(new QTimer(this))
{
    m_startDelay->setSingleShot(true);
    m_startDelay->setInterval(StartDelayMs);
    connect(m_startDelay, &QTimer::timeout, this, &ConversionRun::startDelayElapsed);

    connect(m_convRunner, &ToolRunner::outputReceived, &m_progress, &ProgressDisplay::objDOS_ReceiveOutputs);
    connect(m_probeRunner, &ToolRunner::outputReceived, &m_progress,
            &ProgressDisplay::objDuration_ReceiveOutputs);
    connect(m_coderRunner, &ToolRunner::outputReceived, &m_progress,
            &ProgressDisplay::objffmpeg_ReceiveOutputs);
    connect(m_soxRunner, &ToolRunner::finished, this, &ConversionRun::decodeFinished);
    connect(m_probeRunner, &ToolRunner::finished, this, &ConversionRun::objDuration_CommandOver);
    connect(m_convRunner, &ToolRunner::finished, this, &ConversionRun::objDOS_CommandOver);
    connect(m_coderRunner, &ToolRunner::finished, this, &ConversionRun::objffmpeg_CommandOver);
    for (ToolRunner *runner : {m_soxRunner, m_probeRunner, m_convRunner, m_coderRunner})
        connect(runner, &ToolRunner::startFailed, this, &ConversionRun::stageFailedToStart);
}

ConversionRun::~ConversionRun() = default;

void ConversionRun::start()
{
    if (isActive())
        return;
    if (m_files.isEmpty()) {
        m_services.showMessage(UserServices::Icon::Warning, RunTexts::addTitle(), RunTexts::addFileFirst());
        return;
    }
    m_settings.format = FormatTable::formatAt(m_host.formatPosition());
    m_settings.encoding = m_host.encodingSettings();
    m_settings.outputFolder = absoluteOutputFolder(m_host.outputFolderText(), m_host.programFolder());
    if (!m_settings.outputFolder.isEmpty())
        m_host.setOutputFolderText(m_settings.outputFolder);
    m_state = State::Armed;
    m_host.setRunControlsEnabled(false);
    m_startDelay->start();
}

void ConversionRun::stopForShutdown()
{
    m_shuttingDown = true;
    if (m_state == State::Armed) {
        m_startDelay->stop();
        m_state = State::Idle;
    }
    if (m_runningRunner && m_runningRunner->isRunning()) {
        m_runningRunner->terminate();
        // The tool can write nothing more; its file goes now, in case the program ends before the
        // runner has reported the end.
        if (!m_runningCommand.outputPath.isEmpty())
            QFile::remove(m_runningCommand.outputPath);
    }
    if (m_state == State::Running)
        removeIntermediates();
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
    m_progress.resetDuration();

    if (!prepareOutputFolder(m_settings.outputFolder)) {
        m_services.showMessage(UserServices::Icon::Warning, RunTexts::outputPathTitle(),
                               RunTexts::cannotWriteOutputFolder() + m_settings.outputFolder);
        m_host.setRunControlsEnabled(true);
        m_state = State::Idle;
        emit runEnded();
        return;
    }
    m_files.clearFailedMarks();
    QDir().mkpath(AppDirs::tmpFolder());
    m_lastTried = 0;
    convertNextFile();
}

bool ConversionRun::prepareOutputFolder(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tunoxa-write-check-XXXXXX")));
    return probe.open();
}

RecipeInput ConversionRun::recipeInput() const
{
    RecipeInput in;
    in.programFolder = m_host.programFolder();
    in.inputPath = m_currentInputPath;
    in.outputFolder = m_settings.outputFolder;
    in.settings = m_settings.encoding;
    in.clock = m_clock();
    in.work = WorkPaths::standard();
    return in;
}

void ConversionRun::convertNextFile()
{
    // Files that fail before a tool starts are passed over in this loop, not by recursion, so a
    // long list of them cannot exhaust the stack.
    for (;;) {
        if (m_shuttingDown) {
            endAfterShutdown();
            return;
        }
        const FileList::Id id = m_files.idAfter(m_lastTried);
        if (id == 0) {
            endRun();
            return;
        }
        m_lastTried = id;
        if (beginFile(id))
            return;
    }
}

bool ConversionRun::beginFile(FileList::Id id)
{
    m_files.setConverting(id);
    m_currentId = id;
    m_currentPath = m_files.path(id);
    m_currentInputPath = m_files.commandPath(id);
    if (!m_settings.format) {
        fileFailed(RunTexts::noFormatSelected());
        return false;
    }
    if (m_currentInputPath.isEmpty()) {
        fileFailed(RunTexts::inputUnreachable());
        return false;
    }
    m_currentFormat = *m_settings.format;
    m_recipeInput = recipeInput();
    // A work file left by an earlier file would give the probe that file's duration, or the second
    // stage that file's pictures.
    removeIntermediates();

    if (m_currentFormat == OutputFormat::Mp3) {
        m_progress.setBar(m_progress.barWidth(), 0);
        m_progress.setCaption(RunTexts::preparing());
        runStage(*m_soxRunner, Recipes::soxDecode(m_recipeInput));
    } else {
        runStage(*m_convRunner,
                 Recipes::firstStage(m_currentFormat, m_recipeInput, &Recipes::freeOutputName));
    }
    return true;
}

void ConversionRun::runStage(ToolRunner &runner, const ToolCommand &command)
{
    runner.setCommandLine(command.commandLine);
    m_runningRunner = &runner;
    m_runningCommand = command;
    emit stageStarted(m_currentId, command.toolName);
    runner.start();
}

void ConversionRun::stageFailedToStart()
{
    // The runner has told the user why; the run cannot go on without the tool.
    m_runningRunner = nullptr;
    emit stageEnded(m_currentId, m_runningCommand.toolName, false);
    if (m_shuttingDown) {
        endAfterShutdown();
        return;
    }
    m_files.markFailed(m_currentId, RunnerTexts::fileOrCommandNotFound());
    m_progress.resetDuration();
    removeIntermediates();
    m_files.setConverting(0);
    abortRun();
}

bool ConversionRun::judgeStage(ToolRunner &runner)
{
    m_runningRunner = nullptr;
    if (m_shuttingDown)
        return false;
    StageOutcome outcome;
    outcome.started = true;
    outcome.crashed = runner.endStatus() != ToolRunner::EndStatus::Exited;
    outcome.exitCode = runner.exitCode();
    outcome.output = runner.output();
    outcome.writtenPath = m_runningCommand.outputPath;
    const QString reason = StageVerdict::failureReason(outcome);
    emit stageEnded(m_currentId, m_runningCommand.toolName, reason.isEmpty());
    if (reason.isEmpty())
        return true;
    // The name was free when the stage began, so the file is this stage's own.
    if (!m_runningCommand.outputPath.isEmpty())
        QFile::remove(m_runningCommand.outputPath);
    fileFailed(reason);
    fileEnded();
    return false;
}

void ConversionRun::decodeFinished()
{
    // Neither the decode nor the probe is judged: the encode reads the input itself.
    m_runningRunner = nullptr;
    if (m_shuttingDown) {
        endAfterShutdown();
        return;
    }
    emit stageEnded(m_currentId, ToolName::sox(), true);
    runStage(*m_probeRunner, Recipes::durationProbe(m_recipeInput));
}

void ConversionRun::objDuration_CommandOver()
{
    m_runningRunner = nullptr;
    if (m_shuttingDown) {
        endAfterShutdown();
        return;
    }
    emit stageEnded(m_currentId, ToolName::coder(), true);
    // The decode has served its purpose; a long input's decode is large.
    QFile::remove(m_recipeInput.work.probeWav);
    runStage(*m_coderRunner, Recipes::mp3Encode(m_recipeInput, &Recipes::freeOutputName));
}

void ConversionRun::objDOS_CommandOver()
{
    if (!judgeStage(*m_convRunner)) {
        if (m_shuttingDown)
            endAfterShutdown();
        return;
    }
    if (!FormatTable::isTwoStage(m_currentFormat)) {
        fileConverted();
        return;
    }
    // Built now, so the time stamp is that of the end of the first stage.
    m_recipeInput = recipeInput();
    runStage(*m_coderRunner, Recipes::secondStage(m_currentFormat, m_recipeInput, &Recipes::freeOutputName));
}

void ConversionRun::objffmpeg_CommandOver()
{
    if (!judgeStage(*m_coderRunner)) {
        if (m_shuttingDown)
            endAfterShutdown();
        return;
    }
    fileConverted();
}

void ConversionRun::fileConverted()
{
    // Gone already when the user removed the row while it was converting.
    m_files.removeId(m_currentId);
    m_progress.resetDuration();
    fileEnded();
}

void ConversionRun::fileFailed(const QString &reason)
{
    m_files.markFailed(m_currentId, reason);
    m_failures.append({m_currentPath, reason});
    m_progress.resetDuration();
    m_files.setConverting(0);
}

void ConversionRun::fileEnded()
{
    removeIntermediates();
    m_files.setConverting(0);
    convertNextFile();
}

void ConversionRun::removeIntermediates() const
{
    const WorkPaths work = WorkPaths::standard();
    QFile::remove(work.probeWav);
    QFile::remove(work.intermediate);
}

void ConversionRun::endRun()
{
    m_services.openPath(m_settings.outputFolder);
    if (!m_programSettings.playsCompletionSound()) {
        finishEndOfRun();
        return;
    }
    m_services.playSound(m_host.programFolder() + QStringLiteral("/sound.wav"), this,
                         [this] { finishEndOfRun(); });
}

void ConversionRun::finishEndOfRun()
{
    m_host.showDropZone();
    m_host.setRunControlsEnabled(true);
    m_progress.setBar(0, 0);
    m_progress.setCaption(m_failures.isEmpty() ? RunTexts::done()
                                               : RunTexts::finishedWithFailures(m_failures.size()));
    m_state = State::Idle;
    if (!m_failures.isEmpty())
        showFailureSummary();
    emit runEnded();
}

void ConversionRun::abortRun()
{
    m_host.setRunControlsEnabled(true);
    m_progress.setCaption(RunTexts::aborted());
    m_state = State::Idle;
    emit runEnded();
}

void ConversionRun::endAfterShutdown()
{
    m_runningRunner = nullptr;
    removeIntermediates();
    m_files.setConverting(0);
    m_state = State::Idle;
    emit runEnded();
}

void ConversionRun::showFailureSummary()
{
    QStringList lines;
    for (const Failure &failure : std::as_const(m_failures)) {
        if (lines.size() == SummaryLines) {
            lines.append(RunTexts::summaryCut());
            break;
        }
        lines.append(RunTexts::failureLine(failure.path, failure.reason));
    }
    m_services.showMessage(UserServices::Icon::Warning, RunTexts::failedTitle(),
                           lines.join(QLatin1Char('\n')));
}
