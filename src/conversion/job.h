#pragma once

#include "conversion/filefailure.h"
#include "conversion/runoutcome.h"

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>

#include <optional>

// One file's conversion as a value: what the run takes from its queue, and what it reports at the
// end. Whoever holds the files (the window's list, tunoxa-batch's) makes the jobs and shows their
// ends; the run only converts.

using JobId = quint64;

// A part of a source, in samples of the source's own rate: [start, end).
struct SampleRange
{
    qint64 start = 0;
    qint64 end = 0;
    int rate = 0; // samples a second
    bool operator==(const SampleRange &) const = default;

    double seconds() const { return rate > 0 ? double(end - start) / rate : 0; }
};

struct Job
{
    JobId id = 0;
    QByteArray native; // the exact bytes of the source's path
    QString path;      // the same as text; bytes that are no text show as replacement characters
    // The folder the source was found in when a folder was added, without a trailing "/"; empty when
    // it came by itself. Library mode keeps its place below that folder.
    QString libraryFolder;
    // The part of the source the job converts; none: all of it.
    std::optional<SampleRange> range;
    // Tags that stand over the source's own in the output (an empty value removes the tag).
    QList<QPair<QString, QString>> tags;
    // A track of an album image: its number in the image's cue sheet, and the name its output takes
    // in place of the source's base name; 0 and empty for a file.
    int track = 0;
    QString outputStem;
    QString sheetPath; // the cue sheet that tells the track's part, names and tags
    // A job that cannot be tried fails at once for this (the image's cue sheet is wrong); path then
    // names the sheet.
    std::optional<FileFailure> refusal;
    // What is worth telling of the job however it converts.
    QList<FileNote> notes;

    // What lines about the job call it: its path, and a track's number after it.
    QString label() const;

    // The path, read as text, names the file (so a tool can be given it).
    bool pathIsExact() const;
};

// Where a run takes its jobs from, one after another, while it runs: the queue may grow and shrink
// meanwhile (files added, rows removed), and a job the run holds is never handed out again.
class JobQueue
{
public:
    virtual ~JobQueue() = default;
    // The next job after the one with id `after` (0: the first); none when the queue holds no more.
    virtual std::optional<Job> next(JobId after) const = 0;
    // How many jobs wait after the one with id `after`.
    virtual int countAfter(JobId after) const = 0;
};

// How far a job is, as each chunk of its running tool's output tells it.
struct JobProgress
{
    enum class Reading
    {
        Preparing,      // a stage that only prepares the encode began
        Busy,           // the tool printed something that tells no progress
        EncoderPercent, // the encoder printed its percentage
        EncoderEnded,   // the encoder printed 100 %
        StageFraction,  // the transcoder's time, of the length it converts
    };
    Reading reading = Reading::Busy;
    int encoderPercent = 0;   // EncoderPercent, 0 to 100
    double stageFraction = 0; // StageFraction, from 0
};
Q_DECLARE_METATYPE(JobProgress)

// How a job ended.
struct JobResult
{
    enum class Kind
    {
        Converted, // the output has been written and checked
        Retagged,  // library mode: the output's tags and mark were written anew, its audio kept
        Moved,     // library mode: the output of a source that is gone became this job's
        Skipped,   // library mode: nothing to do, for skipReason
        Planned,   // a dry run: it would be converted (replacing an older output or not)
        Failed,    // for failure
        Repeated,  // library mode: the same source listed again, whose output the first listing makes
    };

    JobId id = 0;
    Kind kind = Kind::Converted;
    QString source;        // the job's path, as its queue named it
    QString output;        // the output's final name (planned, retagged, moved: where it would go or went)
    QString movedFrom;     // Moved: the orphan's place
    bool replaces = false; // Planned: an older output would be replaced
    SkipReason skipReason = SkipReason::UpToDate;
    FileFailure failure; // Failed
    // What is worth telling of a job that ended all the same (a cover left out).
    QList<FileNote> notes;

    // The job is done with: its entry leaves a list of files waiting.
    bool leavesTheQueue() const { return kind != Kind::Failed && kind != Kind::Planned; }
};
Q_DECLARE_METATYPE(JobResult)
