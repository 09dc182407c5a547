#pragma once

#include "conversion/filefailure.h"
#include "conversion/formattable.h"
#include "library/orphanindex.h"
#include "conversion/partialoutput.h"
#include "conversion/recipes.h"
#include "conversion/runoutcome.h"
#include "conversion/runsettings.h"
#include "filelist/filelist.h"
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
class FileConversion;
class ToolRunner;
class ProgressState;

// The Start command and the run that follows it: every file of the list is taken through the
// stages of the chosen format, one after another, or several at once when the options ask for it,
// each in a FileConversion of its own. The run is a chain of events: a file's end starts the next
// file from its signal, so the window and any dialog stay live. A file follows its entry id, so
// rows added or removed during the run never make it convert or drop the wrong file. A file that
// fails stays in the list, marked with the reason; the others leave it. The run only converts and
// reports: showing its end (boxes, sound, controls) is for whoever started it.
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

    struct Failure
    {
        QString path;
        FileFailure failure;
    };

    // Lines of the failure summary before it is cut short with "…".
    static constexpr int SummaryLines = 20;
    // Between Start and the first file, so the window shows the run's start first.
    static constexpr int WindowStartDelayMs = 100;
    // The longest the run goes through files decided at once before the window's events come in.
    static constexpr int FillSliceMs = 8;

    ConversionRun(FileList &files, ProgressState &progress, QObject *parent = nullptr);
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
    // Failed files of the last run, in the order they failed.
    const QList<Failure> &failures() const { return m_failures; }
    // What was told of files of the last run that converted all the same.
    struct Note
    {
        QString path;
        FileNote note;
    };
    const QList<Note> &notes() const { return m_notes; }
    // Library mode, deleting orphans: the folders of the last run below whose counterparts nothing
    // was deleted, for being unreadable or holding no source (an unmounted disk looks empty), or
    // for being reached through a link in the output folder.
    const QList<KeptFolder> &keptLibraryFolders() const { return m_keptFolders; }

    // Start with settings: ignored while a run is active; an empty list ends at once with nothing
    // to do.
    void start(const RunSettings &settings);
    // The settings of the run going on, or of the last one.
    const RunSettings &settings() const { return m_settings; }
    // Library mode, deleting orphans: the answer to orphansFound; the run ends after it.
    void answerOrphanDeletion(bool deleteThem);

    // A file converting now, as a display of each running file needs it.
    struct RunningFile
    {
        FileList::Id id = 0;
        double fraction = 0; // done, 0 to 1
    };
    // The files converting now, in slot order.
    QList<RunningFile> runningFiles() const;

    // Called when the program ends: stops the running tools and deletes the files they were
    // writing, so no half-written file is left under a final name, and the work files. The run
    // starts nothing more.
    void stopForShutdown();

    // The coder runner of the first file slot, the one a run with one file at a time uses.
    ToolRunner &coderRunner();

signals:
    // A tool stage of a file starts or has been judged (tool: "conv", "coder", "coder2", "sox").
    void stageStarted(FileList::Id id, const QString &tool);
    void stageEnded(FileList::Id id, const QString &tool, bool succeeded);
    // A file has been converted and checked; its output has its final name, outputPath.
    void fileConverted(FileList::Id id, const QString &outputPath);
    // Something worth telling of a file, which goes on converting.
    void fileNoted(FileList::Id id, FileNote note);
    // A file failed; it stays in the list, marked with the failure's words.
    void fileFailed(FileList::Id id, const FileFailure &failure);
    // Library mode: the file's output is up to date, or another process writes it; the file leaves
    // the list unconverted.
    void fileSkipped(FileList::Id id, const QString &outputPath, SkipReason reason);
    // A dry run: the file would be converted to outputPath, replacing an older output or not.
    void filePlanned(FileList::Id id, const QString &outputPath, bool replaces);
    // Library mode: the output's tags and mark were rewritten, its audio kept; the file leaves the
    // list. A dry run tells what it would do the same way, doing nothing.
    void fileRetagged(FileList::Id id, const QString &outputPath);
    // Library mode: the output of a source that is gone became this file's; the file leaves the list.
    void fileMoved(FileList::Id id, const QString &fromPath, const QString &toPath);
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
    // Gives every free slot the next file not yet tried; ends the run when nothing is left to do.
    void fillSlots();
    FileConversion *addSlot();
    // Starts the file's first stage, or marks it failed at once when no tool can start on it.
    void startFile(FileConversion &slot, FileList::Id id);
    void takeConverted(FileList::Id id, const QString &outputPath);
    void takeFailed(FileList::Id id, const FileFailure &failure);
    void takeSkipped(FileList::Id id, const QString &outputPath, SkipReason reason);
    void takePlanned(FileList::Id id, const QString &outputPath, bool replaces);
    void takeRetagged(FileList::Id id, const QString &outputPath);
    void takeMoved(FileList::Id id, const QString &fromPath, const QString &toPath);
    // A file's work is over without a failure; converted and skipped files leave the list.
    void fileDone(FileList::Id id, bool leavesTheList);
    // Library mode: the file's output, or nothing when a file of this run has claimed it already
    // (listedBefore: the same file, listed twice).
    std::optional<QString> claimLibraryOutput(const FileList::File &file, OutputFormat format,
                                              bool &listedBefore);
    // Library mode: the output a file of the list maps to, and the folder an added folder's outputs go to.
    QString libraryOutputOf(const FileList::File &file, OutputFormat format, bool fatSafe) const;
    QString libraryRootOf(const QString &folder, bool fatSafe) const;
    // Library mode: reads the outputs of the list's folders whose source is gone; fillSlots follows.
    void readOrphans();
    // Library mode, deleting orphans, at the end of a run: the outputs nobody took are deleted, after
    // the user has said yes; endRun follows.
    void sweepOrphans();
    void deleteOrphans(const QList<OrphanIndex::Orphan> &orphans);
    // A file that failed before any tool started on it.
    void failUnstarted(FileList::Id id, const FileFailure &failure);
    void recordFailure(FileList::Id id, const FileFailure &failure);
    // The file's conversion has ended: its link, if it had one, goes.
    void letGo(FileList::Id id);
    // Library mode: a file listed a second time, whose output the first listing makes, leaves the
    // list untried.
    void dropRepeat(FileList::Id id);
    // The run is over: what it kept open or made for the tools goes.
    void letGoOfAll();
    void toolMissing(FileList::Id id, ToolRunner::StartProblem problem);
    bool anySlotBusy() const;
    // With several files at once: the share of the run done, never going back.
    void showOverallProgress();
    // The run is over as outcome's end says; the counts are this run's.
    void endRun(RunOutcome::End end);

    FileList &m_files;
    ProgressState &m_progress;
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
    QList<KeptFolder> m_keptFolders;
    // Slot k converts with the work files of slot k; the first one exists from the start.
    QList<FileConversion *> m_slots;
    // The private progress states of the slots while several files convert at once.
    QList<ProgressState *> m_slotProgress;

    State m_state = State::Idle;
    bool m_shuttingDown = false;
    std::optional<ToolRunner::StartProblem> m_toolProblem; // a tool could not start: the run ends
    QList<OrphanIndex::Orphan> m_orphansAsked;             // found, waiting for answerOrphanDeletion
    bool m_waitingForAnswer = false;
    RunOutcome m_counts;
    RunSettings m_settings;
    QString m_workFolder = AppDirs::workFolder();
    // The last file tried in this run: every row before it has been tried (or has gone).
    FileList::Id m_lastTried = 0;
    int m_filesEnded = 0;
    double m_shownShare = 0;
    QList<Failure> m_failures;
    QList<Note> m_notes;
    QHash<FileList::Id, QString> m_pathsConverting;
    // The links the tools read files with names that are not valid UTF-8 through, while they convert.
    QHash<FileList::Id, QString> m_sourceLinks;
    // The folders of the last source and the last output looked at.
    RegularFile::Folder m_sourceFolder;
    RegularFile::Folder m_outputFolder;
    bool m_dryRun = false;
    QHash<QString, QByteArray> m_claimedOutputs; // library mode: the outputs of this run's files, and whose
    PartialOutput::StaleSweep m_staleSweep;
    std::function<QTime()> m_clock = &QTime::currentTime;
};
