#pragma once

#include "conversion/filefailure.h"
#include "conversion/recipes.h"

#include <QString>

#include <optional>

// Which decoder's reading of a source counts. Two decoders read an MP3's source: the reference
// decoder (libFLAC, through sox or flac) into the work WAV, and ffmpeg in the encode itself. Each
// gives up on streams the other reads whole, so neither alone decides: a source read whole by one of
// them converts from that reading. Whole means that no frame failed its checksum and that no more
// than a second is missing against the length the header declares (or, with none declared, against
// the longer reading).
namespace SourceReading {

// A decoder found a frame whose checksum fails: the source is damaged, whatever the other decoder
// makes of it. ffmpeg checks frame checksums only when asked (-err_detect crccheck).
bool reportsChecksumError(const QString &decoderOutput);

// After the decode of the source into the work WAV: why the file fails at once (the disk is full,
// or a frame failed its checksum), or none. A decode that is short, or none at all, is no
// failure yet: the encode reads the source itself, and SourceReading weighs both readings.
std::optional<FileFailure> decodeProblem(const QString &decoderOutput);

// What the encode from the source leaves to do.
enum class Verdict
{
    EncodeStands,    // ffmpeg read the source whole
    EncodeTheDecode, // only the reference decoder did: its WAV is encoded instead
    Damaged,         // each decoder lost part of it
    Undecodable,     // neither decoder made anything of it
};

struct Lengths
{
    std::optional<double> declared; // what the source's header declares
    std::optional<double> decoded;  // the reference decoder's WAV; none when it made none
    std::optional<double> encoded;  // what the encode from the source wrote; none when it failed
};

// The encode's output is the cut's part of the source, when the cutter is on.
Verdict afterEncode(const Lengths &lengths, const std::optional<CutRange> &cut);

} // namespace SourceReading
