#pragma once

#include "runner/toolrunner.h"

#include <QMetaType>

// How a run ended, for whoever shows it: the window (controls, boxes, sound) or tunoxa-batch (its
// closing lines and exit status).
struct RunOutcome
{
    enum class End
    {
        Finished,            // every file was tried (some may have failed)
        Stopped,             // the program ends
        OutputFolderRefused, // the output folder cannot be made or written; no file was tried
        ToolMissing,         // a tool could not be started; the run ended there
        NothingToDo,         // the list is empty
    };

    End end = End::Finished;
    // What the files came to; a dry run counts what it would do.
    int converted = 0;
    int retagged = 0;
    int moved = 0;
    int skipped = 0;
    int deleted = 0;
    int failed = 0;
    // ToolMissing: why the tool could not be started.
    ToolRunner::StartProblem toolProblem = ToolRunner::StartProblem::NotFound;
};
Q_DECLARE_METATYPE(RunOutcome)

// Why a library-mode file was not converted, and left the list all the same.
enum class SkipReason
{
    UpToDate,       // its output is newer than it and whole
    AnotherProcess, // another run, on this machine or another, writes its output
};
Q_DECLARE_METATYPE(SkipReason)

// What is worth telling of a file that converted all the same.
enum class FileNote
{
    CoverLeftOut,   // its cover picture is broken or could not be decoded within bounds
    UnmarkedOutput, // its M4A output could not take the library's mark
    SheetIgnored,   // the cue sheet inside it does not fit it: it converted whole
};
Q_DECLARE_METATYPE(FileNote)
