#include "batch/batchjob.h"

#include "batch/batchtexts.h"
#include "conversion/conversionrun.h"
#include "conversion/runtexts.h"
#include "filelist/filesearch.h"
#include "platform/appdirs.h"
#include "runner/runnertexts.h"

#include <QFile>
#include <QFileInfo>

BatchJob::BatchJob(const BatchOptions &options, const QString &workFolder, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_settings(options.settings)
    , m_files(new FileList(this))
    , m_run(new ConversionRun(this))
    , m_scan(new FileSearch::FolderScan(this))
{
    m_run->setDryRun(options.dryRun);
    m_run->setStartDelay(0);
    m_run->setWorkFolder(workFolder);
    m_barTimer.setInterval(BarRefreshMs);

    m_files->setImageOptions(options.images);
    connect(m_scan, &FileSearch::FolderScan::filesFound, m_files,
            [this](const QList<QByteArray> &paths) { m_files->addFiles(paths, m_scan->folder()); });
    // Queued, so that a folder scanned within start() does not start the next one inside itself.
    connect(m_scan, &FileSearch::FolderScan::finished, this, &BatchJob::scanFinished, Qt::QueuedConnection);
    connect(m_run, &ConversionRun::jobEnded, this, &BatchJob::reportResult);
    connect(m_run, &ConversionRun::outputDeleted, this, &BatchJob::reportDeleted);
    connect(m_run, &ConversionRun::finished, this, &BatchJob::runEnded);
    connect(m_run, &ConversionRun::libraryFoldersKept, this, [this](const QList<KeptFolder> &folders) {
        m_keptLibraryFolders = true;
        for (const KeptFolder &kept : folders)
            printProblem(RunTexts::keptFolder(kept));
    });
    // The command line asked for the deletion already.
    connect(
        m_run, &ConversionRun::orphansFound, m_run, [this] { m_run->answerOrphanDeletion(true); },
        Qt::QueuedConnection);
    connect(&m_barTimer, &QTimer::timeout, this, &BatchJob::showBars);
}

void BatchJob::start()
{
    addNextInput();
}

void BatchJob::addNextInput()
{
    if (m_stopping)
        return;
    while (m_nextInput < m_options.inputs.size()) {
        const QByteArray &input = m_options.inputs.at(m_nextInput++);
        if (FileSearch::isFolder(input)) {
            m_scan->start(input);
            return;
        }
        // A file given by name is converted whatever its extension, as a file dropped on the list.
        m_files->addFile(input);
    }
    startRun();
}

void BatchJob::scanFinished()
{
    // A folder that cannot be read is a file that cannot be converted: said once, and the exit
    // status says so.
    for (const FileSearch::FolderScan::Unreadable &folder : m_scan->unreadableFolders()) {
        m_unreadableFolders = true;
        const FileFailure failure{FileFailure::Kind::SourceUnreachable, QString::number(folder.error)};
        m_console.printLine(BatchTexts::failedPrefix() +
                            RunTexts::failureLine(QFile::decodeName(folder.folder), failureText(failure)));
    }
    addNextInput();
}

void BatchJob::startRun()
{
    // Nothing to convert and nothing to delete: an unmounted disk looks like an empty library.
    if (m_settings.deleteOrphans && m_files->isEmpty()) {
        for (const QByteArray &input : m_options.inputs)
            printProblem(RunTexts::libraryFolderKept(QFile::decodeName(input)));
        end(1);
        return;
    }
    const RunSettings settings =
        RunSettings::take(FormatTable::positionOf(m_options.format), m_options.encoding,
                          m_options.outputFolder, AppDirs::programFolder(), m_settings);
    m_outputFolder = settings.outputFolder;
    m_run->start(settings, *m_files);
    if (m_run->isActive() && m_console.isTerminal())
        m_barTimer.start();
}

void BatchJob::reportResult(const JobResult &result)
{
    for (const FileNote note : result.notes)
        m_console.printLine(BatchTexts::notePrefix() +
                            RunTexts::failureLine(result.source, RunTexts::noteText(note)));
    switch (result.kind) {
    case JobResult::Kind::Converted:
        m_console.printLine(BatchTexts::converted(result.source, result.output));
        break;
    case JobResult::Kind::Failed: {
        const QString line = RunTexts::failureLine(result.source, failureText(result.failure));
        m_console.printLine(BatchTexts::failedPrefix() + line);
        m_failureLines.append(line);
        break;
    }
    case JobResult::Kind::Skipped:
        m_console.printLine(BatchTexts::skipped(result.source, result.output, result.skipReason));
        break;
    case JobResult::Kind::Planned:
        m_console.printLine(BatchTexts::planned(result.source, result.output, result.replaces));
        break;
    case JobResult::Kind::Retagged:
        m_console.printLine(BatchTexts::retagged(result.source, result.output, m_options.dryRun));
        break;
    case JobResult::Kind::Moved:
        m_console.printLine(BatchTexts::moved(result.movedFrom, result.output, m_options.dryRun));
        break;
    case JobResult::Kind::Repeated:
        break;
    }
    if (result.leavesTheQueue())
        m_files->removeId(result.id);
    showBars();
}

void BatchJob::reportDeleted(const QString &outputPath)
{
    m_console.printLine(BatchTexts::deleted(outputPath, m_options.dryRun));
}

QString BatchJob::closingLine(const RunOutcome &outcome) const
{
    if (outcome.end == RunOutcome::End::ToolMissing)
        return RunTexts::aborted();
    if (m_settings.libraryMode)
        return BatchTexts::librarySummary(outcome, m_options.dryRun);
    return outcome.failed == 0 ? RunTexts::done() : RunTexts::finishedWithFailures(outcome.failed);
}

void BatchJob::printProblem(const QString &problem)
{
    m_console.printError(BatchTexts::programName() + QStringLiteral(": ") + problem);
}

void BatchJob::showBars()
{
    // Only while the run converts: its end takes the bars off for good.
    if (!m_barTimer.isActive())
        return;
    QList<BatchConsole::Bar> bars;
    for (const ConversionRun::RunningJob &job : m_run->runningJobs())
        bars.append({QFileInfo(m_files->path(job.id)).fileName(), job.fraction});
    m_console.showBars(bars);
}

void BatchJob::stop()
{
    if (m_stopping || m_ended)
        return;
    m_stopping = true;
    const bool converting = m_run->state() == ConversionRun::State::Running;
    m_run->stopForShutdown();
    // A running run ends once its tools have; before that there is nothing to wait for.
    if (!converting) {
        m_console.printError(RunTexts::aborted());
        end(1);
    }
}

void BatchJob::runEnded(const RunOutcome &outcome)
{
    m_barTimer.stop();
    m_console.clearBars();
    switch (outcome.end) {
    case RunOutcome::End::Stopped:
        m_console.printError(RunTexts::aborted());
        end(1);
        return;
    case RunOutcome::End::NothingToDo:
        printProblem(RunTexts::addFileFirst());
        end(1);
        return;
    case RunOutcome::End::OutputFolderRefused:
        printProblem(RunTexts::cannotWriteOutputFolder() + m_outputFolder);
        end(1);
        return;
    case RunOutcome::End::ToolMissing:
        printProblem(RunnerTexts::startProblem(outcome.toolProblem));
        break;
    case RunOutcome::End::Finished:
        break;
    }
    if (m_stopping) {
        m_console.printError(RunTexts::aborted());
        end(1);
        return;
    }
    m_console.printLine(closingLine(outcome));
    // A terminal showed each failure as it happened; a log gets them again, together.
    if (!m_failureLines.isEmpty() && !m_console.isTerminal()) {
        m_console.printError(BatchTexts::failuresHeading(RunTexts::failedTitle()));
        for (const QString &line : std::as_const(m_failureLines))
            m_console.printError(line);
    }
    // A dry run converts nothing, and so nothing can fail; a library folder that looked unmounted
    // kept its outputs, which the command line asked to delete.
    const bool allDone =
        (m_files->isEmpty() || m_options.dryRun) && !m_keptLibraryFolders && !m_unreadableFolders;
    end(allDone ? 0 : 1);
}

void BatchJob::end(int exitStatus)
{
    if (m_ended)
        return;
    m_ended = true;
    m_barTimer.stop();
    m_console.clearBars();
    emit finished(exitStatus);
}
