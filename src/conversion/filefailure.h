#pragma once

#include <QMetaType>
#include <QString>

// Why a file failed, as the run found it. Code decides by its kind; its words are made only where
// it is shown (failureText), so no code ever compares a translated text.
struct FileFailure
{
    enum class Kind
    {
        NoFormat,
        SourceUnreachable, // detail: the system's error number, when there was one
        NotRegularFile,    // a FIFO, a socket or a device
        DamagedSource,     // it decodes only in part: damaged frames were skipped
        UndecodableSource, // no decoder made anything of it
        DiskFull,
        IncompleteOutput,       // the output, read back, is shorter than its source or unreadable
        OutputPlaceTaken,       // library mode: another source, process or file holds the output's name
        OutputFolderUnwritable, // detail: the folder
        OutputNameRefused,      // the file system takes no file of the output's name
        CutBeyondInput,
        ToolNotStarted, // detail: the runner's StartProblem, as a number
        ToolKilled,
        ToolExitStatus, // detail: the status
        NoOutputWritten,
        PartialInput,
        ToolSaid, // detail: the tool's own last words, which tell more than any kind
        CueSheetWrong, // detail: the sheet's problem kind and its line, as two numbers
    };

    Kind kind = Kind::ToolSaid;
    QString detail;

    bool operator==(const FileFailure &) const = default;
};

Q_DECLARE_METATYPE(FileFailure)

// The words a failure is shown with, in the interface's language.
QString failureText(const FileFailure &failure);
