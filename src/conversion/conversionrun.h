#pragma once

#include "conversion/fileconversion.h"
#include "conversion/formattable.h"
#include "conversion/job.h"
#include "conversion/partialoutput.h"
#include "conversion/recipes.h"
#include "conversion/runoutcome.h"
#include "conversion/runsettings.h"
#include "library/orphanindex.h"
#include "platform/appdirs.h"
#include "platform/regularfile.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTime>
#include <QTimer>

#include <functional>
#include <optional>

class CoverCache;
class ToolRunner;

// The Start command and the run that follows it: every job of a queue is taken through the stages
// of the chosen format, one after another, or several at once when the options ask for it, each in
// a FileConversion of its own. The run is a chain of events: a job's end starts the next job from
// its signal, so the window and any dialog stay live. A job follows its id, so jobs added to or
// removed from the queue during the run never make it convert or drop the wrong file. The run only
// converts and reports each job's end as one value; what becomes of the queue's entries, and
// showing the run's end (boxes, sound, controls), is for whoever started it.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Idle,
        Armed,
        Running
    };

    // Between Start and the first file, so the window shows the run's start first.
    static constexpr int WindowStartDelayMs = 100;
    // The longest the run goes through files decided at once before the window's events come in.
    static constexpr int FillSliceMs = 8;

    explicit ConversionRun(QObject *parent = nullptr);
    ~ConversionRun() override;

    // The clock that stamps output names; the local time unless replaced.
    void setClock(std::function<QTime()> clock);
    // Where the files' work files go: the program's work folder unless changed (the command-line
    // converter gives each process a folder of its own).
    void setWorkFolder(const QString &workFolder);
    // The wait between Start and the first file; a program without a window waits for nothing.
    void setStartDelay(int milliseconds) { m_startDelay->setInterval(milliseconds); }
    // A dry run in library mode decides for every file what it would do, and writes nothing.
    void setDryRun(bool dryRun) { m_dryRun = dryRun; }

    State state() const { return m_state; }
    bool isActive() const { return m_state != State::Idle; }

    // Start with settings over the jobs of queue, which must outlive the run: ignored while a run is
    // active; an empty queue ends at once with nothing to do.
    void start(const RunSettings &settings, const JobQueue &queue);
    // Library mode, deleting orphans: the answer to orphansFound; the run ends after it.
    void answerOrphanDeletion(bool deleteThem);

    // A job converting now, as a display of each running job needs it.
    struct RunningJob
    {
        JobId id = 0;
        double fraction = 0; // done, 0 to 1
    };
    // The jobs converting now, in slot order.
    QList<RunningJob> runningJobs() const;

    // Called when the program ends: stops the running tools and deletes the files they were
    // writing, so no half-written file is left under a final name, and the work files. The run
    // starts nothing more.
    void stopForShutdown();

    // The coder runner of the first file slot, the one a run with one file at a time uses.
    ToolRunner &coderRunner();

signals:
    // A tool stage of a job starts or has been judged (tool: "conv", "coder", "coder2", "sox").
    void stageStarted(JobId id, const QString &tool);
    void stageEnded(JobId id, const QString &tool, bool succeeded);
    // The run has found its output folder usable and begins with its first job.
    void begun();
    // One job at a time: a chunk of the running tool's output told how far the job is.
    void jobProgressed(JobId id, const JobProgress &progress);
    // Several jobs at once: the share of the run done, 0 to 1, never going back.
    void shareProgressed(double share);
    // A job has ended, as the result tells.
    void jobEnded(const JobResult &result);
    // Library mode, deleting orphans: an output whose source is gone was deleted (a dry run: would be).
    void outputDeleted(const QString &outputPath);
    // Library mode, deleting orphans: below these folders nothing will be deleted, for being
    // unreadable or holding no source (an unmounted disk looks empty), or for being links.
    void libraryFoldersKept(const QList<KeptFolder> &folders);
    // Library mode, deleting orphans: count outputs whose source is gone wait for
    // answerOrphanDeletion.
    void orphansFound(qsizetype count);
    // The run is over: finished, ended by a tool that could not start, refused its output folder,
    // stopped because the program ends, or had nothing to do.
    void finished(const RunOutcome &outcome);

private:
    void startDelayElapsed();
    void beginRun();
    bool prepareOutputFolder(const QString &folder);
    // Gives every free slot the next job not yet tried; ends the run when nothing is left to do.
    void fillSlots();
    FileConversion *addSlot();
    // Starts the job's first stage, or ends it at once when no tool can start on it.
    void startJob(FileConversion &slot, Job job);
    // A job has ended: counted, told, and its slot is free again.
    void takeResult(const JobResult &result);
    // A job that ended before any tool started on it.
    void endUnstarted(const Job &job, const FileFailure &failure);
    // Library mode: the job's output, or nothing when a job of this run has claimed it already
    // (listedBefore: the same file, listed twice).
    std::optional<QString> claimLibraryOutput(const Job &job, OutputFormat format, bool &listedBefore);
    // Library mode: the output a job maps to, and the folder an added folder's outputs go to.
    QString libraryOutputOf(const Job &job, OutputFormat format, bool fatSafe) const;
    QString libraryRootOf(const QString &folder, bool fatSafe) const;
    // Library mode: reads the outputs of the queue's folders whose source is gone; fillSlots follows.
    void readOrphans();
    // Library mode, deleting orphans, at the end of a run: the outputs nobody took are deleted, after
    // the user has said yes; endRun follows.
    void sweepOrphans();
    void deleteOrphans(const QList<OrphanIndex::Orphan> &orphans);
    // The job's conversion has ended: its link, if it had one, goes.
    void letGo(JobId id);
    // The run is over: what it kept open or made for the tools goes.
    void letGoOfAll();
    bool anySlotBusy() const;
    // With several files at once: the share of the run done, never going back.
    void showOverallProgress();
    // The run is over as outcome's end says; the counts are this run's.
    void endRun(RunOutcome::End end);

    const JobQueue *m_queue = nullptr;
    QTimer *m_startDelay;
    OrphanIndex *m_orphans;
    CoverCache *m_covers;
    bool m_orphansSwept = false;
    bool m_filling = false; // fillSlots is going through the list
    // The output folder of the last file libraryOutputOf named, as it is and FAT-safe.
    struct OutputFolderCache
    {
        QString inputFolder;
        QString sourceFolder;
        QString outputFolder;
    };
    mutable OutputFolderCache m_outputFolders[2];
    // Slot k converts with the work files of slot k; the first one exists from the start.
    QList<FileConversion *> m_slots;

    State m_state = State::Idle;
    bool m_shuttingDown = false;
    std::optional<ToolRunner::StartProblem> m_toolProblem; // a tool could not start: the run ends
    QList<OrphanIndex::Orphan> m_orphansAsked;             // found, waiting for answerOrphanDeletion
    bool m_waitingForAnswer = false;
    RunOutcome m_counts;
    RunSettings m_settings;
    // What every job of the run shares, made at its start.
    FileConversion::Context m_context;
    QString m_workFolder = AppDirs::workFolder();
    // The last job tried in this run: every job before it has been tried (or has gone).
    JobId m_lastTried = 0;
    int m_jobsEnded = 0;
    double m_shownShare = 0;
    // The links the tools read files with names that are not valid UTF-8 through, while they convert.
    QHash<JobId, QString> m_sourceLinks;
    // The folders of the last source and the last output looked at.
    RegularFile::Folder m_sourceFolder;
    RegularFile::Folder m_outputFolder;
    bool m_dryRun = false;
    QHash<QString, QByteArray> m_claimedOutputs; // library mode: the outputs of this run's files, and whose
    PartialOutput::StaleSweep m_staleSweep;
    std::function<QTime()> m_clock = &QTime::currentTime;
};
