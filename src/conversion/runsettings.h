#pragma once

#include "conversion/formattable.h"
#include "conversion/recipes.h"

#include <QString>

#include <optional>

struct ProgramSettings;

// What the run needs of the main window: the settings controls it reads when it builds a command,
// the output folder box, and the controls it takes away and gives back.
class RunHost
{
public:
    virtual ~RunHost() = default;

    virtual int formatPosition() const = 0; // the format combo's entry
    virtual EncodingSettings encodingSettings() const = 0;
    virtual QString outputFolderText() const = 0;
    virtual void setOutputFolderText(const QString &text) = 0;
    // Takes the run's controls away (Start) or gives them back (end of a run).
    virtual void setRunControlsEnabled(bool enabled) = 0;
    virtual void showDropZone() = 0;
    virtual QString programFolder() const = 0;
};

// What a run works with, taken once at Start: what the user types or browses meanwhile applies to
// the next run.
struct RunSettings
{
    std::optional<OutputFormat> format;
    EncodingSettings encoding;
    QString outputFolder; // absolute, ends with "/"
    int simultaneousFiles = 1;
    std::optional<CutRange> cut; // when the music cutter is on
    // Library mode: each file goes below the output folder as it lay below the folder it was added
    // with, under its plain name, and only when its output is missing or out of date.
    bool library = false;
    // Library mode: outputs whose source is gone are deleted at the end.
    bool deleteOrphans = false;
    // Library mode: the largest cover edge (0: any), names that FAT can store.
    int coverEdge = 0;
    bool fatNames = false;

    // The settings of a run started now: the host's format, settings and output folder (made
    // absolute), and the program's options. The cutter's range is taken as stored; whether it can
    // be cut is checked before.
    static RunSettings take(const RunHost &host, const ProgramSettings &options);
};
