#pragma once

#include "conversion/outputformat.h"
#include "conversion/toolnames.h"

#include <QStringView>

#include <span>

// Everything that differs between the output formats, one row per format: the selector entry,
// the output name, the defaults and the stages with their command pieces. FormatTable and the
// recipes read the rows; none of them decides anything per format on its own.

// The size that keeps the input's frame size, as the defaults name it; the sizeCombo shows it in
// the interface's language (FormatTable::originalSize).
inline constexpr QStringView originalSizeText = u"原始大小";

// How a stage's arguments are laid out around its options, by the syntax of its tool.
enum class StageKind
{
    Conv,  // tool, source, options, "-o", target
    Coder, // tool, "-i", source; when it writes a file also "-y", options, target
    Sox,   // tool, source, target
};

// The files a stage reads or writes, each one argument as its path is.
enum class StageFile
{
    None,
    Input,
    Intermediate,
    ProbeWav,
    Output,
};

// One stage of a format. The options are written as on a command line (blanks separate, double quotes
// group) and become the stage's arguments, each place in braces replaced by its setting, which stays
// within its argument whatever it holds: {videoBitrate}, {frameRate}, {size}, {sampleRate},
// {audioBitrate} and {channels} (the channel count).
struct StageFacts
{
    StageKind kind;
    QStringView tool;
    StageFile source;
    StageFile target;
    QStringView options;        // with sizeCombo at the original size, or always when no resized text
    QStringView resizedOptions; // with any other sizeCombo text; null when the size changes nothing
    // Instead of options when the source's cover picture is kept (library mode); null when the stage
    // keeps none.
    QStringView coverOptions = {};
    // Before the source of a coder stage when the source is a FLAC file (its name says so); null
    // when there are none.
    QStringView flacSourceOptions = {};
    // Instead of coverOptions when the cover comes as a file of its own, the second input.
    QStringView coverFileOptions = {};
    // The encode of the source's decode (a WAV) that the decoders read when the encoder cannot,
    // after its own maps of the tags and the picture (FlacFallback::encodeCommand); null when the
    // stage's own options, reading the decode instead of the source, do.
    QStringView decodeOptions = {};
};

// What choosing a format writes into the settings boxes; a null text leaves that box alone.
struct DefaultFacts
{
    QStringView videoBitrate;
    QStringView frameRate;
    QStringView size;
    QStringView sampleRate;
    QStringView audioBitrate;
    int channelIndex;
};

// What an audio format's encoder takes: a bitrate range in kbit/s (0 and 0: any the box gives) and
// the sample rates (none listed: any); a single rate is the one it always encodes at.
struct AudioLimits
{
    QStringView name; // in the warnings, with the value it refuses
    int leastKbps = 0;
    int mostKbps = 0;
    std::span<const int> sampleRates = {};
};

struct FormatFacts
{
    OutputFormat format;
    const char *entry;       // formatCombo entry, the source text of its translation
    QStringView commandName; // on tunoxa-batch's command line
    QStringView extension;   // of the final output, with its dot
    char16_t nameJoint;      // between the base name and the time stamp of the output name
    DefaultFacts defaults;
    std::span<const StageFacts> stages; // in the order they run
    AudioContainer container = AudioContainer::None;
    AudioLimits limits = {};
};

namespace FormatTable {

const FormatFacts &facts(OutputFormat format);

} // namespace FormatTable
