#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iterator>

// The words of the tools that the program recognises: what ffmpeg (data/coder, data/coder2), sox,
// flac and the program's own encoder conv print. One list per meaning, each saying which tool says
// it. Every reader of the tools' output, and conv for what it prints, takes its words from here, so
// a tool's new wording is added in this file alone.
namespace ToolPhrases {

using Phrase = QLatin1StringView;

// Whether text holds any of the phrases.
template<typename Phrases> bool saysAny(QStringView text, const Phrases &phrases)
{
    return std::any_of(std::begin(phrases), std::end(phrases),
                       [text](const auto &phrase) { return text.contains(phrase); });
}

// ffmpeg announces each input's length: "  Duration: 00:03:25.47, start: 0.000000, ...".
inline constexpr Phrase Duration("Duration: ");
// ffmpeg's progress: "size=     512kB time=00:00:30.00 bitrate= 139.8kbits/s".
inline constexpr Phrase ProgressTime("time=");
// Where ffmpeg's report of the second input of "coder -i SOURCE -i OUTPUT" begins.
inline constexpr Phrase SecondInput("Input #1");
// conv's position line, "Pos:  12.3s    296f (41%) ": the seconds reached, the frames written and
// the share done, a number from 0 to 100 between PercentOpen and PercentClose ("( 5%)").
inline constexpr Phrase Position("Pos:");
inline constexpr Phrase PercentOpen("(");
inline constexpr Phrase PercentClose("%)");

// The starts of progress and closing statistics lines, which say how far a tool got, not what
// went wrong: ffmpeg's and conv's. A line holding ProgressTime is one too.
inline constexpr Phrase ProgressLineStarts[] = {Phrase("size="), Phrase("video:"), Position,
                                                Phrase("frame=")};

// The disk is full: ffmpeg, sox and flac say it in English, or in the system's language through
// strerror. Read once the program has taken the system's locale.
inline const std::array<QString, 2> &diskFull()
{
    static const std::array<QString, 2> phrases{QStringLiteral("No space left on device"),
                                                QString::fromLocal8Bit(std::strerror(ENOSPC))};
    return phrases;
}

// ffmpeg skipped frames of its input that it could not decode, and went on with exit status 0.
inline constexpr Phrase SkippedFrames[] = {Phrase("Error while decoding stream")};

// ffmpeg found nothing it could decode in its input, or could not open it as media at all.
inline constexpr Phrase NothingDecoded[] = {Phrase("Output file is empty, nothing was encoded"),
                                            Phrase("does not contain any stream")};
// ffmpeg's reason both for an input it cannot open and for each frame it skips: it says that
// nothing was decoded only on a line that is no SkippedFrames report.
inline constexpr Phrase InvalidData[] = {Phrase("Invalid data found when processing input")};
// ffmpeg gives up on some unreadable headers with EIO, on a line of its own after the input's path.
inline constexpr Phrase InputOutputError(": Input/output error");

// A frame failed its checksum, or its header's: libFLAC's status names as sox and flac print them,
// then ffmpeg's FLAC decoder (which checks only when asked, -err_detect crccheck).
inline constexpr Phrase ChecksumFailed[] = {
    Phrase("FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH"),
    Phrase("FLAC__STREAM_DECODER_ERROR_STATUS_BAD_HEADER"),
    Phrase("CRC error at PTS"),
    Phrase("header crc mismatch"),
};

// ffmpeg's closing lines of a failure, which name no cause: ConversionFailed as the whole line,
// OutputStreamFailed at its start ("Error initializing output stream 0:0 -- ...").
inline constexpr Phrase ConversionFailed("Conversion failed!");
inline constexpr Phrase OutputStreamFailed("Error initializing output stream");

// conv's sentences, each its last line before it exits with status 1. The cut starts at or past
// the input's end:
inline constexpr Phrase ConvStartBeyondInput("Start position is beyond the end of the input.");
// It encoded less than it was asked to, "Output is incomplete: 78.8 s of 120.0 s encoded":
inline constexpr Phrase ConvIncompleteOutput("Output is incomplete:");

} // namespace ToolPhrases
