#include "batch/batchjob.h"

#include "batch/batchtexts.h"
#include "conversion/conversionrun.h"
#include "conversion/runtexts.h"
#include "filelist/filesearch.h"

#include <QFile>
#include <QFileInfo>

BatchJob::BatchJob(const BatchOptions &options, const QString &workFolder, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_services([this](const QString &text) { m_console.printError(text); })
    , m_host(options)
    , m_files(new FileList(this))
    , m_progress(new ProgressState(this))
    , m_run(new ConversionRun(m_host, *m_files, *m_progress, m_services, m_settings, this))
    , m_scan(new FileSearch::FolderScan(this))
{
    // No completion sound, no music cutter: what the window's options would add stays out.
    m_settings.soundChoice = ProgramSettings::SoundChoice::Off;
    m_settings.simultaneousFiles = options.simultaneousFiles;
    m_settings.libraryMode = options.library;
    m_settings.deleteOrphans = options.deleteOrphans;
    m_settings.coverEdge = options.coverEdge;
    m_settings.fatNames = options.fatNames;
    m_run->setDryRun(options.dryRun);
    m_run->setStartDelay(0);
    m_files->setWorkFolder(workFolder);
    m_run->setWorkFolder(workFolder);
    m_barTimer.setInterval(BarRefreshMs);

    connect(m_scan, &FileSearch::FolderScan::filesFound, m_files,
            [this](const QList<QByteArray> &paths) { m_files->addFiles(paths, m_scan->folder()); });
    // Queued, so that a folder scanned within start() does not start the next one inside itself.
    connect(m_scan, &FileSearch::FolderScan::finished, this, &BatchJob::addNextInput, Qt::QueuedConnection);
    connect(m_run, &ConversionRun::stageStarted, this, [this] { m_anyFileTried = true; });
    connect(m_run, &ConversionRun::fileConverted, this, &BatchJob::reportConverted);
    connect(m_run, &ConversionRun::fileFailed, this, &BatchJob::reportFailed);
    connect(m_run, &ConversionRun::fileSkipped, this, &BatchJob::reportSkipped);
    connect(m_run, &ConversionRun::filePlanned, this, &BatchJob::reportPlanned);
    connect(m_run, &ConversionRun::fileRetagged, this, &BatchJob::reportRetagged);
    connect(m_run, &ConversionRun::fileMoved, this, &BatchJob::reportMoved);
    connect(m_run, &ConversionRun::outputDeleted, this, &BatchJob::reportDeleted);
    connect(m_run, &ConversionRun::runEnded, this, &BatchJob::runEnded);
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
    // Nothing to convert and nothing to delete: an unmounted disk looks like an empty library.
    if (m_options.deleteOrphans && m_files->isEmpty()) {
        for (const QByteArray &input : m_options.inputs)
            m_console.printError(BatchTexts::programName() + QStringLiteral(": ") +
                                 RunTexts::libraryFolderKept(QFile::decodeName(input)));
        end(1);
        return;
    }
    m_run->start();
    // Refused: the list is empty, and the run has said so.
    if (!m_run->isActive()) {
        end(1);
        return;
    }
    if (m_console.isTerminal())
        m_barTimer.start();
}

void BatchJob::reportConverted(FileList::Id id, const QString &outputPath)
{
    ++m_counts.converted;
    m_console.printLine(BatchTexts::converted(m_files->path(id), outputPath));
    showBars();
}

void BatchJob::reportFailed(FileList::Id id, const QString &reason)
{
    m_anyFileTried = true;
    m_console.printLine(BatchTexts::failedPrefix() + RunTexts::failureLine(m_files->path(id), reason));
    showBars();
}

void BatchJob::reportSkipped(FileList::Id id, const QString &outputPath)
{
    // Up to date, or only planned: the run looked at the file and started no tool for it.
    m_anyFileTried = true;
    ++m_counts.skipped;
    m_console.printLine(BatchTexts::skipped(m_files->path(id), outputPath));
    showBars();
}

void BatchJob::reportRetagged(FileList::Id id, const QString &outputPath)
{
    m_anyFileTried = true;
    ++m_counts.retagged;
    m_console.printLine(BatchTexts::retagged(m_files->path(id), outputPath, m_options.dryRun));
    showBars();
}

void BatchJob::reportMoved(FileList::Id, const QString &fromPath, const QString &toPath)
{
    m_anyFileTried = true;
    ++m_counts.moved;
    m_console.printLine(BatchTexts::moved(fromPath, toPath, m_options.dryRun));
    showBars();
}

void BatchJob::reportDeleted(const QString &outputPath)
{
    ++m_counts.deleted;
    m_console.printLine(BatchTexts::deleted(outputPath, m_options.dryRun));
}

void BatchJob::reportPlanned(FileList::Id id, const QString &outputPath, bool replaces)
{
    m_anyFileTried = true;
    ++m_counts.converted;
    m_console.printLine(BatchTexts::planned(m_files->path(id), outputPath, replaces));
}

QString BatchJob::closingLine() const
{
    if (m_progress->caption() == RunTexts::aborted())
        return m_progress->caption();
    if (m_options.library) {
        BatchTexts::LibraryCounts counts = m_counts;
        counts.failed = m_run->failures().size();
        return BatchTexts::librarySummary(counts, m_options.dryRun);
    }
    // The run's own closing caption: "Done.", the count of failures, or that it was cut short.
    return m_progress->caption();
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
    m_console.printLine(closingLine());
    if (!m_run->failures().isEmpty()) {
        m_console.printError(BatchTexts::failuresHeading(RunTexts::failedTitle()));
        for (const ConversionRun::Failure &failure : m_run->failures())
            m_console.printError(RunTexts::failureLine(failure.path, failure.reason));
    }
    // A dry run converts nothing, and so nothing can fail; a library folder that looked unmounted
    // kept its outputs, which the command line asked to delete.
    const bool allDone = (m_files->isEmpty() || m_options.dryRun) && m_run->keptLibraryFolders().isEmpty();
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
