#pragma once

#include "conversion/filefailure.h"
#include "conversion/flacfallback.h"
#include "conversion/formattable.h"
#include "conversion/job.h"
#include "conversion/partialoutput.h"
#include "conversion/recipes.h"
#include "conversion/runoutcome.h"
#include "conversion/toolprogress.h"
#include "library/containerfacts.h"
#include "library/librarycheck.h"
#include "library/orphanindex.h"
#include "media/flacmetadata.h"
#include "runner/toolrunner.h"

#include <QObject>
#include <QString>
#include <QTime>

#include <functional>
#include <optional>

class CoverCache;

// One job taken through a plan of steps by four tool runners of its own, working in work files of
// its own. The plan is built at the start from the format's row and the mode (the format's stages,
// the check and the final name of the output; in library mode first the look at what the output's
// place holds, which decides the rest) and walked one step at a time: each step starts from the end
// of the one before, so nothing here waits. A step may put steps of its own before the rest (the
// reference decoder's reading after an encode that complained, the encode of that decode). A run
// keeps one of these for each job it converts at once.
class FileConversion : public QObject
{
    Q_OBJECT

public:
    // What every job of a run shares: the format, the recipe's settings, the mode and the run's
    // library-mode helpers.
    struct Context
    {
        OutputFormat format = OutputFormat::Mp3;
        RecipeInput recipe; // program folder, output folder, settings, cut, FAT-safe names, cover edge
        // Library mode: the output has one exact name, and what is there already decides whether
        // the file converts; a dry run only tells what it would do.
        bool library = false;
        bool dryRun = false;
        // Library mode: the run's covers, and the outputs whose source is gone, one of which a
        // renamed source may take.
        CoverCache *covers = nullptr;
        OrphanIndex *orphans = nullptr;
        // The run's sweep of what dead processes of this machine left in the output folders.
        PartialOutput::StaleSweep *staleSweep = nullptr;
        // Library mode: the run's output folder, kept open while its files are looked at.
        RegularFile::Folder *outputFolder = nullptr;
    };

    // What the run found out of a job before it handed it over.
    struct Started
    {
        QString toolPath;        // the source's path as the tools get it (a link for a name that is no text)
        qint64 modifiedNs = 0;   // the source's modification time, as the file system keeps it
        FlacMetadata::Head head; // what its head says: its stream header, tags and pictures
        QString output;          // library mode: the output's one name, as the run claimed it
        // Library mode with FAT-safe names: the output's place under its unsafe name, when that differs.
        std::optional<OrphanIndex::Orphan> unsafeOutput;
    };

    // Its work files go into workFolder.
    FileConversion(int slot, const QString &workFolder, QObject *parent = nullptr);
    ~FileConversion() override;

    // Where its work files go.
    void setWorkFolder(const QString &workFolder);
    // The clock that stamps output names.
    void setClock(std::function<QTime()> clock) { m_clock = std::move(clock); }

    // Starts the first stage of job; its end comes as ended.
    void start(const Job &job, const Started &started, const Context &context);
    bool isBusy() const { return m_job.id != 0; }
    JobId jobId() const { return m_job.id; }
    // How much of the file is done, 0 to 1, from the stages behind it and the running stage's progress.
    double fraction() const;
    // The program ends: the running tool is ended, the file it was writing (the output's hidden
    // name, or a work file) and the work files are deleted at once, and nothing more starts.
    // stopped follows once the tool has ended.
    void stop();

    ToolRunner &coderRunner() { return *m_coderRunner; }

signals:
    void stageStarted(JobId id, const QString &tool);
    // A chunk of the running tool's output told how far the job is.
    void progressed(JobId id, const JobProgress &progress);
    void stageEnded(JobId id, const QString &tool, bool succeeded);
    // The job has ended, as the result tells: its output checked and given its final name, skipped,
    // retagged, moved, planned (a dry run) or failed.
    void ended(const JobResult &result);
    void stopped();

private:
    // One step of a plan.
    struct Step
    {
        enum class Kind
        {
            Stage,           // stage `stage` of the format's row: a decode, a probe, an encode, a conv stage
            CheckLibrary,    // library mode: what the output's place holds decides the rest of the plan
            ClaimOutput,     // library mode: the hidden name made, other runs heard, an orphan claimed
            PrepareCover,    // library mode: the cover made fit for players
            KeepAudio,       // library mode: an output's audio kept, with the source's tags (retag, move)
            ReferenceDecode, // the encode's reading complained: the reference decoder reads the source
            EncodeDecode,    // only the reference decoder read it whole: its decode is encoded
            CheckOutput,     // the output read back (or probed) against the source's length
        };
        Kind kind = Kind::Stage;
        int stage = -1;
        // A decode that SoX made nothing of is tried again with data/flac.
        bool withFlac = false;
    };
    // What the parts of the format's row do, by the files they read and write.
    enum class StageRole
    {
        Decode, // sox: the source into the work WAV
        Probe,  // coder: the length of the work WAV, writing nothing
        Encode, // an audio format's encode, which reads the source itself
        Convert // a video format's conv or coder stage
    };
    // Whose audio the output keeps, in library mode, instead of an encode.
    enum class KeptAudio
    {
        None,
        Retag, // the output's own
        Move,  // an orphan's
    };

    // The format's stages the plan runs: all of them, or the encode alone for a format that encodes
    // at once, then the output's check.
    QList<Step> stagePlan() const;
    // The next step of the plan, or the end of a plan that is through.
    void runNextStep();
    // Puts steps before the rest of the plan, to run next.
    void insertNext(const QList<Step> &steps);
    // The plan from the next step on is this.
    void replan(const QList<Step> &steps);
    const Step &currentStep() const { return m_plan[m_step]; }
    StageRole roleOf(int stage) const;
    void startStage(int stage);
    // A tool of the job has ended: the step it served takes it from here.
    void toolEnded();
    void stageFinished(int stage);

    void startLibraryCheck();
    void libraryDecided(LibraryCheck::Decision decision);
    void claimOutput();
    // Library mode with FAT-safe names: a whole output of this source lies at the name it had before.
    bool isOwnUnsafeOutput() const;
    // Takes the orphan away from its place under a hidden name of this process beside the output,
    // which records where it goes; false when another process took it first, or it cannot be.
    bool claimOrphan(const OrphanIndex::Orphan &orphan);
    // The output the file may take instead of being encoded: its own under its unsafe name, or an
    // orphan of the same audio and settings.
    std::optional<OrphanIndex::Orphan> takeOrphan(LibraryCheck::Decision decision);
    // The orphan, or the first other one of the same audio that can still be claimed.
    bool claimFirstOrphan(const OrphanIndex::Orphan &orphan);
    // A claimed orphan that was not used goes back to its place.
    void restoreOrphan();
    // Another process writes the output: the file is left to it.
    void leaveToAnother();
    // The folder the source lies in, as the file list names it.
    QString sourceFolder() const;
    // Library mode: the cover the output keeps is made fit for players first, when it is not.
    void prepareCover();
    void startKeepingAudio();
    void keptAudioFinished();
    void runStage(ToolRunner &runner, const ToolCommand &command);
    // Runs a stage of the format, or a tool that is none (the check of a video output), which raises
    // no stage signals.
    void runTool(ToolRunner &runner, const ToolCommand &command, bool isStage);
    // The recipes' final output name: the stage writes its hidden name instead.
    QString chooseOutput(const QString &wantedPath);
    // The hidden name the output is written under until it is whole, made now (m_partialOutput),
    // once the folder is clear of what dead processes left.
    void reserveOutput(const QString &finalPath);
    // Why the hidden name could not be made, in the program's words: its name is the program's own
    // and no use to whoever reads the failure.
    FileFailure reserveFailure() const;
    void readOutput(ToolRunner *runner, const QString &chunk);
    // A decode of the source into the work WAV: the format's own first stage, or the reference
    // decoder's reading after an encode.
    void startDecode();
    void decodeFinished();
    void probeFinished();
    // The audio encode that read the source has ended: its reading and the reference decoder's
    // decide whether it stands, whether the decode is encoded instead, or why the file fails.
    void sourceEncodeFinished();
    // That encode's output is no use: it goes, and the file fails.
    void failEncode(const FileFailure &failure);
    void stageFailedToStart(ToolRunner::StartProblem problem);
    // The encoder could not read the source, which its decode holds: the decode is encoded instead,
    // with the source's tags and cover.
    void startEncodeOfDecode();
    // The job converts a part of its source, named as stem: the part (within which the cutter cuts)
    // stands for the whole source from here on; false when the cut leaves nothing of it.
    bool takeRange(SampleRange range, const QString &outputStem);
    // With the input's duration: false when the cut starts at or after the input's end; otherwise the
    // progress's duration becomes the cut's length.
    bool measureCut(std::optional<double> duration);
    // The encode that reads the source itself; its length comes from the source's header.
    void startSourceEncode();
    // A stage's tool has ended: when the program is ending, the file is let go and stopped follows.
    bool stageEndedWhileStopping();
    // Judges the stage that just ended; a failed stage loses the file it was writing. reads: the
    // stage reads the source (where a cut is made).
    bool judgeStage(ToolRunner &runner, bool readsSource);
    // The last stage has written the output under its hidden name: it is read back, and renamed
    // to its final name when it is whole.
    void checkOutput();
    void outputProbeFinished();
    void publishOutput(bool whole);
    // The checked output takes its final name; empty (and the file failed) when it cannot.
    QString takeFinalName();
    void failFile(const FileFailure &failure);
    // The job is over as result tells (its id, source and notes filled in here).
    void endJob(JobResult result);
    static JobResult resultOf(JobResult::Kind kind, const QString &output);
    // The file is done, converted or not: its work files go and the slot is free again.
    void finish();
    void removeWorkFiles() const;
    // The format is an audio format: its encode reads the source, and its output is read back here.
    bool isAudio() const;
    // The row of the output's container; nullptr for a video format.
    const ContainerFacts *container() const;
    // The last stage of the format, the one that writes the output.
    ToolCommand encodeCommand();
    // The mark and the cover go into an Ogg as comments, through an ffmetadata file in the work
    // folder, after the source's own tags (m_sourceTagsText, or none).
    void writeCommentsFile();
    // The mark and the source's ReplayGain as freeform atoms of an M4A; false when they cannot be added.
    bool addFreeformTags();

    const int m_slot;
    WorkPaths m_work;
    ToolProgress m_toolProgress;
    ToolRunner *m_convRunner;
    ToolRunner *m_coderRunner;
    ToolRunner *m_soxRunner;
    ToolRunner *m_probeRunner;
    LibraryCheck *m_libraryCheck;
    std::function<QTime()> m_clock = &QTime::currentTime;

    // Everything the job needs, taken together at its start.
    struct Task
    {
        JobId id = 0;
        QString source; // the job's path as its queue named it
        OutputFormat format = OutputFormat::Mp3;
        RecipeInput recipe;
        bool library = false;
        bool dryRun = false;
        QString libraryOutput;
        QByteArray sourceNative;
        qint64 sourceModifiedNs = 0;
        FlacMetadata::Head head;
        std::optional<OrphanIndex::Orphan> unsafeOutput;
        CoverCache *covers = nullptr;
        OrphanIndex *orphans = nullptr;
        PartialOutput::StaleSweep *staleSweep = nullptr;
        RegularFile::Folder *outputFolder = nullptr;
        QList<QPair<QString, QString>> tags; // the job's own, over the source's
        QString sheetPath;                   // a track's cue sheet
        int track = 0;                       // and its number there
    };
    Task m_job;
    QList<FileNote> m_notes; // told with the job's end
    QList<Step> m_plan;
    qsizetype m_step = -1;                   // the step running
    std::optional<double> m_declaredSeconds; // the source's length as its header declares it
    std::optional<double> m_decodedSeconds;  // the length of the source's decode (MP3)
    QString m_wantedOutput;                  // the final name the recipes want
    QString m_partialOutput;                 // the hidden name the last stage writes
    int m_reserveError = 0;                  // why it could not be made, or 0
    bool m_replaces = false;                 // library mode: an older output is there
    bool m_referenceDecoded = false;         // the reference decoder read the source after the encode
    ToolCommand m_encodeCommand;             // meanwhile, the encode that read the source
    bool m_workFilesUsed = false;            // a stage may have left work files
    FlacFallback::Metadata m_carriedOver;    // the source's tags and cover for that encode
    QByteArray m_sourceTagsText;             // and those tags, for an Ogg's comments file
    const NameChooser m_outputChooser = [this](const QString &wanted) { return chooseOutput(wanted); };
    ToolRunner *m_runningRunner = nullptr;
    ToolCommand m_runningCommand;
    bool m_stopping = false;
    KeptAudio m_kept = KeptAudio::None;
    bool m_waitingForCover = false;
    OrphanIndex::Orphan m_orphan; // the orphan being moved
    QString m_claimedOrphan;      // its hidden name meanwhile
};
