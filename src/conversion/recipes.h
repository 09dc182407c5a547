#pragma once

#include "conversion/formattable.h"
#include "conversion/job.h"
#include "library/librarymark.h"
#include "platform/appdirs.h"
#include "runner/command.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>

// The tool commands of every format and stage. A recipe is a program and its arguments, as the tool
// receives them: every path and every setting is an argument (or part of one) as it is, whatever it
// holds, and only the format table's own option texts are cut into arguments at their blanks.

// The fixed working files of a run.
// The part of every input a run converts when the music cutter is on, in whole seconds from the
// input's start; an end of 0 means the input's end.
struct CutRange
{
    qint32 startSeconds = 0;
    qint32 endSeconds = 0;

    bool operator==(const CutRange &) const = default;
};

struct RecipeInput
{
    QString programFolder; // folder of the executable, no trailing "/"
    QString inputPath;     // the file being converted
    QString outputFolder;  // ends with "/"
    EncodingSettings settings;
    QTime clock; // the moment the command is built; gives the time stamp of the output name
    WorkPaths work;
    // Cuts the input in the stage that reads it: the MP3 encode and the conv stage.
    std::optional<CutRange> cut;
    // The part of the input an audio stage that reads it takes (a track of an album image), exact
    // to the sample; none: all of it. It stands in place of the cut.
    std::optional<SampleRange> range;
    // The base name the output takes in place of the input's; empty: the input's.
    QString outputStem;
    // Library mode: the output is named base name + extension, with no time stamp, and the MP3
    // encode keeps the source's cover.
    bool plainName = false;
    bool keepCover = false;
    // Library mode, MP3: the mark every encode of the output writes into its ID3v2.3 tag, and the
    // tags that replace what the encoder would make of the source's (LibraryTags).
    std::optional<LibraryMark> mark;
    QList<QPair<QString, QString>> tagOverrides;
    // Library mode: names that FAT and exFAT can store (LibraryPaths::fatSafeName); the longest edge of a
    // cover (0: any size).
    bool fatSafeNames = false;
    int coverEdge = 0;
    // Library mode: the cover to keep, as a file of its own (a folder's picture, or one made fit for
    // players); empty: the source's own pictures, as they are.
    QString coverFile;
    // An ffmetadata file whose tags go over the source's in the output (an Ogg's mark and cover, the
    // source's tags for an encode of its decode); empty: none.
    QString metadataFile;
    // The decode of the source that an encode reads instead of it; empty: the source itself.
    QString readFrom;
};

struct ToolCommand
{
    Command command;
    QString outputPath; // the file this stage writes (final output or intermediate); empty for the probe
    QString toolName;   // "conv", "coder", "coder2" or "sox"
};

// Gets the output name the recipe wants and returns the one to write instead (for example a free
// name when the wanted one is taken). An empty chooser keeps the wanted name.
using NameChooser = std::function<QString(const QString &wantedPath)>;

namespace Recipes {

// A path cut into its folder (with its "/"), the name's stem and its extension (with its "."): the
// extension starts at the name's last ".", its first character included (".flac" is all extension).
struct PathParts
{
    QString folder;
    QString stem;
    QString extension;

    static PathParts of(const QString &path);
};

// File name without folder and extension: cut at the last "/", then keep what stands before the
// last "."; a name with no "." is its own base name ("README" gives "README").
QString baseName(const QString &path);

// base + tail as one file name of at most 255 bytes (UTF-8): the base is cut between whole
// characters when the whole would be longer.
QString fittedName(const QString &base, const QString &tail);

// Hour, minute and second, each without leading zeros, joined: 09:05:03 gives "953".
QString timeStamp(const QTime &time);

// The cutter's start and end as FFmpeg input options ("-ss S -to E", "-ss S" when the cut runs to
// the input's end), to stand before the "-i" of the input they cut; none without a cut.
QStringList coderCut(const CutRange *cut);

// A part of an input as FFmpeg input options ("-ss S -t D" in microseconds, which the decoder's trim
// turns back into exactly the range's samples at any rate below a million a second).
QStringList coderRange(const SampleRange &range);

// The length of the output of a part, as an FFmpeg output option ("-t D"): round(end·o/r) −
// round(start·o/r) samples at the output's rate o, so that the parts of a whole add up to it.
QStringList outputRange(const SampleRange &range, OutputFormat format, const EncodingSettings &settings);

// samples at rate as seconds with six decimals, to the nearest microsecond.
QString microsecondsText(qint64 samples, qint64 rate);

// A stage's option text as arguments, each {place} replaced by its setting: the text is cut at its
// blanks first, so that a setting stays within its argument whatever it holds.
QStringList filledOptions(QStringView options, const EncodingSettings &settings);

// Channel count text: selected position + 1, "0" when none is selected.
QString channelCount(int channelIndex);

// Program folder + "/data/" + tool name: the program of the tool's commands.
QString toolPath(const QString &programFolder, const QString &toolName);

// The final output name the recipes want: folder + base name + "-" + time stamp + extension,
// with "_" in place of "-" for MP3; with plain, folder + base name + extension. A base name too
// long for a 255-byte file name (UTF-8) is cut between whole characters so that the name fits.
// fatSafe: the base name as fatSafeName gives it.
// stem: the base name to take in place of the input's.
QString outputPath(OutputFormat format, const QString &inputPath, const QString &outputFolder,
                   const QTime &time, bool plain = false, bool fatSafe = false, const QString &stem = {});

// The additions to an encode of in: the tags that replace the encoder's own, then in library mode
// for an MP3 the mark (other containers take it in a metadata file, or after the encode); for a part
// of the input, no chapters of the whole.
QStringList libraryTagOptions(const RecipeInput &in, AudioContainer container = AudioContainer::Mp3);

// Stage `index` (0-based) of a format, in the order of FormatTable::stageTools: for the
// two-stage formats the conv intermediate then the coder/coder2 output; for MPG, AVI and HD MP4
// the conv output; for MP3 the sox decode, the duration probe and the encode. Returns an empty
// command for a stage the format does not have.
ToolCommand stage(OutputFormat format, int index, const RecipeInput &in, const NameChooser &chooseName = {});

// conv: the intermediate of the two-stage formats, or the whole MPG, AVI and HD MP4 conversion.
ToolCommand firstStage(OutputFormat format, const RecipeInput &in, const NameChooser &chooseName = {});

// coder/coder2 from the intermediate to the output of RMVB, RM, MOV and the phone formats. The
// size text that keeps the original size (FormatTable::keepsOriginalSize) picks the original-size
// recipe, every other text the resized one.
ToolCommand secondStage(OutputFormat format, const RecipeInput &in, const NameChooser &chooseName = {});

// The reference decoder's reading of the input: sox decodes it to the work WAV (in.work.probeWav).
ToolCommand referenceDecode(const RecipeInput &in);

// Library mode: an MP3 of one frame of silence into in.work.tag, whose ID3v2 tag holds the
// source's tags and cover and the mark of in, as an encode of the source would write them; the
// tag goes before the audio of an earlier output (Id3Tag::splice).
ToolCommand retag(const RecipeInput &in);

// Library mode, Ogg and M4A: the audio of keptAudio, an earlier output, copied as it is into the
// output the chooser names, with the source's tags and cover and the mark of in, as an encode would
// write them (an Ogg's mark and cover come through in.metadataFile; an M4A's mark is added after).
ToolCommand remux(OutputFormat format, const RecipeInput &in, const QString &keptAudio,
                  const NameChooser &chooseName);

// coder reads the source and a finished output and prints the duration of each; it names no output
// of its own.
ToolCommand outputProbe(const RecipeInput &in, const QString &outputPath);

// The path itself when nothing is there (not even a dangling link), else the first free
// "name (2).ext", "name (3).ext", ... in the same folder. Where a name would pass 255 bytes, the
// part before its "-" or "_" time stamp (all of it when it has none) is cut to fit.
QString freeOutputName(const QString &path);

} // namespace Recipes
