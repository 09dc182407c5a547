#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Reading the tools' console output. Every function takes text and returns values; none knows
// about processes or the window. A chunk is scanned by itself: lines are not joined across chunks.
namespace OutputParsers {

// The leading decimal number of a text: leading blanks skipped, then digits with at most one
// decimal point. nullopt when there is no digit.
std::optional<double> leadingNumber(QStringView text);

// Rounds to the nearest whole number, halves to even.
qint64 roundHalfEven(double value);

// The encoder's percentage in parentheses, as in "( 5%)" or "(45%)": a "(" whose ")" stands 4 or
// 5 characters further gives the 3 or 4 characters between them; the last such in the chunk
// counts. Empty when none.
QString encoderPercentText(QStringView chunk);

// The encoder percentage as a whole number (0 when the text holds no number).
int encoderPercent(QStringView percentText);

// Appends, for each occurrence of marker, the characters after it up to the first space or the
// end of the chunk.
QString collectAfter(QStringView chunk, QStringView marker);

// "hh:mm:ss.ff" (a trailing comma or other text after the seconds is ignored) in seconds,
// unrounded; nullopt with fewer than three fields or a field that is not a number ("N/A").
std::optional<double> durationValue(QStringView collected);

// The duration read from the collected "Duration: " text, in whole seconds (halves to even); 0
// when it cannot be read or does not fit.
qint32 durationSeconds(QStringView collected);

// A progress time: a leading hh:mm:ss(.ff) value counts as h x 3600 + m x 60 + s, otherwise the
// leading decimal number. 0 when there is neither.
double timeValue(QStringView collected);

// The progress time a chunk reports: its latest readable "time=" value, each value read by itself
// as timeValue() reads it. A value that runs to the end of the chunk may be cut, so it counts only
// when the chunk holds no other. 0 when the chunk holds no readable value ("time=N/A").
double chunkProgressTime(QStringView chunk);

// Percent text of a fraction of 100: the first four characters of value written with up to 15
// significant digits, "." as decimal point and no exponent (14.634... gives "14.6", 7.5 "7.5").
QString percentText(double percent);

// The busy glyph after glyph: "-", "\", "|", "/" in turn; anything else gives "-".
QString nextSpinner(const QString &glyph);

// The first "Duration: " value a tool printed, in seconds (unrounded).
std::optional<double> announcedDuration(QStringView output);

// The last "time=" value a tool printed, in seconds (unrounded); nullopt when none could be read.
std::optional<double> lastProgressTime(QStringView output);

// The last line with something other than blanks; lines end at "\n" or at "\r" (progress lines
// are rewritten in place with "\r").
QString lastNonEmptyLine(QStringView output);

} // namespace OutputParsers
