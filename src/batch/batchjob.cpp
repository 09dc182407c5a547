#include "batch/batchjob.h"

#include "batch/batchtexts.h"
#include "conversion/conversionrun.h"
#include "conversion/runtexts.h"
#include "filelist/filesearch.h"

#include <QFileInfo>

BatchJob::BatchJob(const BatchOptions &options, const QString &workFolder, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_services([this](const QString &text) { m_console.printError(text); })
    , m_host(options)
    , m_files(new FileList(this))
    , m_progress(new ProgressDisplay(this))
    , m_run(new ConversionRun(m_host, *m_files, *m_progress, m_services, m_settings, this))
    , m_scan(new FileSearch::FolderScan(this))
{
    // No completion sound, no music cutter: what the window's options would add stays out.
    m_settings.soundPromptIndex = 1;
    m_settings.simultaneousFiles = options.simultaneousFiles;
    m_files->setWorkFolder(workFolder);
    m_run->setWorkFolder(workFolder);
    m_barTimer.setInterval(BarRefreshMs);

    connect(m_scan, &FileSearch::FolderScan::filesFound, m_files, &FileList::addFiles);
    // Queued, so that a folder scanned within start() does not start the next one inside itself.
    connect(m_scan, &FileSearch::FolderScan::finished, this, &BatchJob::addNextInput, Qt::QueuedConnection);
    connect(m_run, &ConversionRun::stageStarted, this, &BatchJob::recordStage);
    connect(m_run, &ConversionRun::runEnded, this, &BatchJob::runEnded);
    connect(m_files, &FileList::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { reportConverted(first, last); });
    connect(m_files, &FileList::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                reportFailed(topLeft.row(), bottomRight.row(), roles);
            });
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

void BatchJob::startRun()
{
    m_run->start();
    // Refused: the list is empty, and the run has said so.
    if (!m_run->isActive()) {
        end(1);
        return;
    }
    if (m_console.isTerminal())
        m_barTimer.start();
}

void BatchJob::recordStage(FileList::Id id)
{
    m_anyFileTried = true;
    for (const ConversionRun::RunningFile &file : m_run->runningFiles()) {
        if (file.id == id)
            m_written.insert(id, file.writtenPath);
    }
}

void BatchJob::reportConverted(int firstRow, int lastRow)
{
    // Only the run takes rows off this list, and only those of converted files.
    for (int row = firstRow; row <= lastRow; ++row) {
        const FileList::Id id = m_files->idAt(row);
        m_console.printLine(BatchTexts::converted(m_files->path(id), m_written.take(id)));
    }
    showBars();
}

void BatchJob::reportFailed(int firstRow, int lastRow, const QList<int> &roles)
{
    if (!roles.contains(FileList::FailedRole))
        return;
    for (int row = firstRow; row <= lastRow; ++row) {
        const FileList::Id id = m_files->idAt(row);
        if (!m_files->isFailed(id))
            continue;
        m_anyFileTried = true;
        m_written.remove(id);
        const Failure failure{m_files->path(id), m_files->failureReason(id)};
        m_failures.append(failure);
        m_console.printLine(BatchTexts::failedPrefix() + RunTexts::failureLine(failure.path, failure.reason));
    }
    showBars();
}

void BatchJob::showBars()
{
    // Only while the run converts: its end takes the bars off for good.
    if (!m_barTimer.isActive())
        return;
    QList<BatchConsole::Bar> bars;
    for (const ConversionRun::RunningFile &file : m_run->runningFiles())
        bars.append({QFileInfo(m_files->path(file.id)).fileName(), file.fraction});
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

void BatchJob::runEnded()
{
    m_barTimer.stop();
    m_console.clearBars();
    if (m_stopping) {
        m_console.printError(RunTexts::aborted());
        end(1);
        return;
    }
    // A run that refused its output folder has said why, and tried no file.
    if (!m_anyFileTried) {
        end(1);
        return;
    }
    // The run's own closing caption: "Done.", the count of failures, or that it was cut short.
    m_console.printLine(m_progress->caption());
    if (!m_failures.isEmpty()) {
        m_console.printError(RunTexts::failedTitle() + QStringLiteral("："));
        for (const Failure &failure : std::as_const(m_failures))
            m_console.printError(RunTexts::failureLine(failure.path, failure.reason));
    }
    end(m_files->isEmpty() ? 0 : 1);
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
