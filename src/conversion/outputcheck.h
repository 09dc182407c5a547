#pragma once

#include "conversion/recipes.h"

#include <QString>

#include <optional>

// Whether a finished file is whole: its output, read back, against the length of its source. Tools
// can exit with status 0 and still leave a short file (a source with damaged frames they skipped),
// so only this check lets a file count as converted.
namespace OutputCheck {

// How much shorter than expected an output may be: audio a second; video a second and 2 % more,
// since the duration of an MPEG program stream is an estimate.
inline constexpr double SlackSeconds = 1.0;
inline constexpr double VideoSlackShare = 0.02;

// The length the output should have: the source's, or with a cut, the cut's (its end, or the
// source's end when the cut has none or runs past it, minus its start). Nothing when the source's
// length is unknown.
std::optional<double> expectedSeconds(std::optional<double> sourceSeconds,
                                      const std::optional<CutRange> &cut);

// The source's length for an MP3: the longer of what its header declares and what its decode holds.
std::optional<double> sourceSeconds(std::optional<double> declared, std::optional<double> decoded);

// The playing time of an audio output of any of the program's formats, by the container its name's
// extension tells: an MP3's frames, the last page of an Ogg, the movie header of an M4A.
std::optional<double> audioSeconds(const QString &path);

// Whether an audio output (MP3, Ogg, M4A, by its extension) is whole: it can be read, and it plays
// no more than a second shorter than expected (nothing expected: any readable length passes).
bool audioWhole(const QString &path, std::optional<double> expected);
// The same of an output's length as read (nothing: unreadable).
bool lengthWhole(std::optional<double> length, std::optional<double> expected);

// The same from the output of "coder -i SOURCE -i OUTPUT": the source's length is the first input's
// duration, the output's the second's. A video may be shorter by a share of its length more.
bool probedWhole(const QString &probeOutput, const std::optional<CutRange> &cut, double slackShare);

} // namespace OutputCheck
