#pragma once

#include "conversion/filefailure.h"

#include <QString>

#include <optional>

// Whether one tool stage of a conversion did its work. A tool can exit with status 0 and still
// leave a broken file (a damaged input it half-decoded), so the verdict also reads the tool's own
// words: the input duration it announced and the last time it reported reaching.
struct StageOutcome
{
    bool crashed = false; // killed by a signal, or crashed
    int exitCode = 0;
    QString output;      // everything the tool printed
    QString writtenPath; // the file the stage writes; empty when the stage writes nothing judged
    // The stage decodes the source itself, so its decoding errors are the source's.
    bool readsSource = false;
    QString sourcePath; // the source, as the stage's command line names it
    // The part of the input the stage was asked to convert, in seconds (an end of 0: the input's
    // end); its progress counts from the start of that part.
    double cutStartSeconds = 0;
    double cutEndSeconds = 0;
};

namespace StageVerdict {

// None when the stage succeeded; otherwise why it failed: the last non-empty
// line the tool printed, or the program's own kind for the case when that line is missing or only
// a progress or statistics line, or when conv says a cut starts past the input's end. A failure that
// the tool puts down to a full disk says so. A stage that reads the source fails when the tool met
// damaged data in it, even if it carried on, or could not decode it at all.
std::optional<FileFailure> failure(const StageOutcome &outcome);

// The tool said that the disk is full, in English or in the words of the system's language.
bool mentionsFullDisk(const QString &output);

// ffmpeg skipped frames of its input that it could not decode, and went on.
bool coderSkippedFrames(const QString &output);

// ffmpeg found nothing it could decode in its input, or could not open it as media at all, as
// opposed to frames it skipped in a damaged input. A cut that starts past the input's end gives the
// same words ("Output file is empty"), so the caller tells that case apart by the cut itself.
bool coderFoundNothing(const QString &output);

// Seconds of the last progress value, "time=" (FFmpeg syntax) or "Pos:" (MEncoder syntax);
// negative when the tool reported none.
double lastProgressTime(const QString &output);

} // namespace StageVerdict
