#include "conversion/conversionrun.h"

#include "conversion/runtexts.h"
#include "conversion/stageverdict.h"
#include "runner/dosoutputs.h"
#include "runner/progressdisplay.h"
#include "runner/runnertexts.h"
#include "runner/toolprocessname.h"
#include "shell/appdirs.h"
#include "shell/programsettings.h"
#include "shell/userservices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

ConversionRun::ConversionRun(RunHost &host, FileList &files, ProgressDisplay &progress, QObject *parent)
    : QObject(parent)
    , m_host(host)
    , m_files(files)
    , m_progress(progress)
    , m_objDOS(new DOSOutputs(this))
    , m_objffmpeg(new DOSOutputs(this))
    , m_objSox(new DOSOutputs(this))
    , m_objDuration(new DOSOutputs(this))
    , m_timer1(new QTimer(this))
{
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(StartDelayMs);
    connect(m_timer1, &QTimer::timeout, this, &ConversionRun::Timer1_Timer);

    connect(m_objDOS, &DOSOutputs::ReceiveOutputs, &m_progress, &ProgressDisplay::objDOS_ReceiveOutputs);
    connect(m_objDuration, &DOSOutputs::ReceiveOutputs, &m_progress,
            &ProgressDisplay::objDuration_ReceiveOutputs);
    connect(m_objffmpeg, &DOSOutputs::ReceiveOutputs, &m_progress,
            &ProgressDisplay::objffmpeg_ReceiveOutputs);
    connect(m_objDOS, &DOSOutputs::CommandOver, this, &ConversionRun::objDOS_CommandOver);
    connect(m_objffmpeg, &DOSOutputs::CommandOver, this, &ConversionRun::objffmpeg_CommandOver);
}

ConversionRun::~ConversionRun() = default;

void ConversionRun::imgStart_Click()
{
    if (isActive())
        return;
    if (m_files.isEmpty()) {
        UserServices::instance().showMessage(UserServices::Icon::Warning, RunTexts::addTitle(),
                                             RunTexts::addFileFirst());
        return;
    }
    m_state = State::Armed;
    m_host.setRunControlsEnabled(false);
    m_timer1->start();
}

void ConversionRun::endForShutdown()
{
    m_shuttingDown = true;
    if (m_state == State::Armed) {
        m_timer1->stop();
        m_state = State::Idle;
    }
    if (!m_runningRunner)
        return;
    if (!m_runningRunner->isRunning())
        return;
    m_runningRunner->terminate();
    // The tool can write nothing more; its file goes now, in case the program ends before the
    // runner has reported the end.
    if (!m_runningCommand.outputPath.isEmpty())
        QFile::remove(m_runningCommand.outputPath);
}

void ConversionRun::Timer1_Timer()
{
    m_timer1->stop();
    QCoreApplication::processEvents();
    if (m_shuttingDown) {
        m_state = State::Idle;
        return;
    }
    RunConversion();
}

void ConversionRun::RunConversion()
{
    m_state = State::Running;
    m_failures.clear();
    m_progress.resetDuration();

    if (!prepareOutputFolder(m_host.outputFolderText())) {
        UserServices::instance().showMessage(UserServices::Icon::Warning, RunTexts::outputPathTitle(),
                                             RunTexts::cannotWriteOutputFolder() + m_host.outputFolderText());
        m_host.setRunControlsEnabled(true);
        m_state = State::Idle;
        emit runEnded();
        return;
    }
    m_files.clearFailedMarks();
    QDir().mkpath(AppDirs::tmpFolder());

    // Every row before the one just tried has been tried in this run (or has gone); failed rows stay
    // behind it, rows added meanwhile come after it.
    for (FileList::Id id = m_files.idAfter(0); id != 0; id = m_files.idAfter(id)) {
        m_files.setConverting(id);
        convertFile(id);
        m_files.setConverting(0);
        if (m_shuttingDown)
            break;
        if (m_toolMissing) {
            abortRun();
            return;
        }
        QCoreApplication::processEvents();
        if (m_shuttingDown)
            break;
    }
    if (m_shuttingDown) {
        m_state = State::Idle;
        emit runEnded();
        return;
    }
    endRun();
}

bool ConversionRun::prepareOutputFolder(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".tunoxa-write-check-XXXXXX")));
    return probe.open();
}

QString ConversionRun::outputFolder()
{
    QString folder = m_host.outputFolderText();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

RecipeInput ConversionRun::recipeInput(const QString &inputPath)
{
    RecipeInput in;
    in.programFolder = m_host.programFolder();
    in.inputPath = inputPath;
    in.outputFolder = outputFolder();
    in.settings = m_host.encodingSettings();
    in.clock = m_clock();
    in.work = WorkPaths::standard();
    return in;
}

void ConversionRun::convertFile(FileList::Id id)
{
    const QString text = m_host.outputFolderText();
    if (!text.endsWith(QLatin1Char('/')))
        m_host.setOutputFolderText(text + QLatin1Char('/'));

    m_currentId = id;
    m_currentPath = m_files.path(id);
    m_currentInputPath = m_files.commandPath(id);
    m_toolMissing = false;
    const std::optional<OutputFormat> format = FormatTable::formatAt(m_host.formatPosition());
    if (!format) {
        fileFailed(RunTexts::noFormatSelected());
        return;
    }
    if (m_currentInputPath.isEmpty()) {
        fileFailed(RunTexts::inputUnreachable());
        return;
    }
    m_currentFormat = *format;
    const RecipeInput in = recipeInput(m_currentInputPath);

    if (m_currentFormat == OutputFormat::Mp3) {
        convertMp3(in);
        return;
    }
    // The second stage must never convert an earlier file's intermediate.
    if (FormatTable::isTwoStage(m_currentFormat))
        QFile::remove(in.work.intermediate);
    runStage(*m_objDOS, Recipes::firstStage(m_currentFormat, in, &Recipes::freeOutputName));
}

void ConversionRun::convertMp3(const RecipeInput &in)
{
    m_progress.setBar(m_progress.imgPBWidth(), 0);
    m_progress.setCaption(RunTexts::preparing());
    // A decode left by an earlier file would give the probe that file's duration.
    QFile::remove(in.work.probeWav);
    // Neither the decode nor the probe is judged: the encode reads the input itself.
    if (!runStage(*m_objSox, Recipes::soxDecode(in)) || m_shuttingDown)
        return;
    emit stageEnded(m_currentId, ToolName::sox(), true);
    if (!runStage(*m_objDuration, Recipes::durationProbe(in)) || m_shuttingDown)
        return;
    emit stageEnded(m_currentId, ToolName::coder(), true);
    runStage(*m_objffmpeg, Recipes::mp3Encode(in, &Recipes::freeOutputName));
}

bool ConversionRun::runStage(DOSOutputs &runner, const ToolCommand &command)
{
    ToolProcessName = command.toolName;
    runner.setCommandLine(command.commandLine);
    emit stageStarted(m_currentId, command.toolName);
    DOSOutputs *outer = m_runningRunner;
    const ToolCommand outerCommand = m_runningCommand;
    m_runningRunner = &runner;
    m_runningCommand = command;
    runner.ExecuteCommand();
    m_runningRunner = outer;
    m_runningCommand = outerCommand;
    if (runner.endStatus() != DOSOutputs::EndStatus::NotStarted)
        return true;

    // The runner has told the user why; the run cannot go on without the tool.
    emit stageEnded(m_currentId, command.toolName, false);
    m_toolMissing = true;
    if (!m_shuttingDown)
        m_files.markFailed(m_currentId, RunnerTexts::fileOrCommandNotFound());
    m_progress.resetDuration();
    return false;
}

bool ConversionRun::judgeStage(DOSOutputs &runner)
{
    StageOutcome outcome;
    outcome.started = true;
    outcome.crashed = runner.endStatus() != DOSOutputs::EndStatus::Exited;
    outcome.exitCode = runner.exitCode();
    outcome.output = runner.Outputs();
    outcome.writtenPath = m_runningCommand.outputPath;
    const QString reason = StageVerdict::failureReason(outcome);
    emit stageEnded(m_currentId, m_runningCommand.toolName, reason.isEmpty());
    if (reason.isEmpty())
        return true;
    // The name was free when the stage began, so the file is this stage's own.
    if (!m_runningCommand.outputPath.isEmpty())
        QFile::remove(m_runningCommand.outputPath);
    fileFailed(reason);
    return false;
}

void ConversionRun::objDOS_CommandOver()
{
    if (!judgeStage(*m_objDOS) || m_shuttingDown)
        return;
    if (!FormatTable::isTwoStage(m_currentFormat)) {
        fileConverted();
        return;
    }
    // Built now, so the time stamp is that of the end of the first stage.
    const RecipeInput in = recipeInput(m_currentInputPath);
    runStage(*m_objffmpeg, Recipes::secondStage(m_currentFormat, in, &Recipes::freeOutputName));
}

void ConversionRun::objffmpeg_CommandOver()
{
    if (!judgeStage(*m_objffmpeg) || m_shuttingDown)
        return;
    fileConverted();
}

void ConversionRun::fileConverted()
{
    // Gone already when the user removed the row while it was converting.
    m_files.removeId(m_currentId);
    m_progress.resetDuration();
}

void ConversionRun::fileFailed(const QString &reason)
{
    if (m_shuttingDown)
        return;
    m_files.markFailed(m_currentId, reason);
    m_failures.append({m_currentPath, reason});
    m_progress.resetDuration();
}

void ConversionRun::endRun()
{
    UserServices &services = UserServices::instance();
    services.openPath(m_host.outputFolderText());
    if (ProgramSettings::instance().playsCompletionSound())
        services.playSoundSync(m_host.programFolder() + QStringLiteral("/sound.wav"));
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
    UserServices::instance().showMessage(UserServices::Icon::Warning, RunTexts::failedTitle(),
                                         lines.join(QLatin1Char('\n')));
}
