#pragma once

#include "conversion/formattable.h"
#include "conversion/recipes.h"

#include <QString>

#include <optional>

struct ProgramSettings;

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
    QString programFolder; // holds data/, the tools

    // The settings of a run started now: the format at formatPosition, the encoding settings and
    // the output folder (made absolute against the program folder's layout), and the program's
    // options (those that only library mode uses are 0 outside it). The cutter's range is taken as
    // stored; whether it can be cut is checked before.
    static RunSettings take(int formatPosition, const EncodingSettings &encoding,
                            const QString &outputFolderText, const QString &programFolder,
                            const ProgramSettings &options);
};
