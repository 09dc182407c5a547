#pragma once

// The position of an entry in the format selector; the run, the recipes and the saved state all
// identify a format by this number.
enum class OutputFormat
{
    Rmvb = 0,
    Rm = 1,
    Mpg = 2,
    Avi = 3,
    HdMp4 = 4,
    Mov = 5,
    MobileMp4 = 6,
    ThreeGp = 7,
    Mp3 = 8,
    Opus = 9,
    Aac = 10,
    Vorbis = 11,
};

// How an audio output holds its tags and is read back: an ID3v2 tag before MPEG audio frames,
// Vorbis comments in an Ogg stream, or MP4 atoms. Video outputs have none of these.
enum class AudioContainer
{
    None,
    Mp3,
    Ogg,
    Mp4,
};

namespace FormatTable {

inline constexpr int formatCount = 12;

constexpr int positionOf(OutputFormat format)
{
    return static_cast<int>(format);
}

} // namespace FormatTable
