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

// The longest time or duration a tool's report is believed: 100 hours, in seconds. A larger
// value is a misreading (a damaged header, a stray number) and is ignored.
inline constexpr double LongestSeconds = 100 * 3600;

// The encoder's percentage: "(" + optional blanks + a number from 0 to 100 + "%)", as in "( 5%)"
// or "(45%)"; "(2010)", "(abc%)" or "(101%)" are none. Gives the text between the parentheses;
// the last one in the chunk counts. Empty when none.
QString encoderPercentText(QStringView chunk);

// The encoder percentage as a whole number from 0 to 100 (0 when the text holds no number).
int encoderPercent(QStringView percentText);

// Appends, for each occurrence of marker, the characters after it up to the first space or the
// end of the chunk.
QString collectAfter(QStringView chunk, QStringView marker);

// "hh:mm:ss.ff" (a trailing comma or other text after the seconds is ignored) in seconds,
// unrounded; nullopt with fewer than three fields, a field that is not a number ("N/A") or a
// value beyond LongestSeconds.
std::optional<double> durationValue(QStringView collected);

// The duration read from the collected "Duration: " text, in whole seconds (halves to even); 0
// when durationValue() cannot read it.
qint32 durationSeconds(QStringView collected);

// A progress time: a leading hh:mm:ss(.ff) value counts as h x 3600 + m x 60 + s, otherwise the
// leading decimal number. 0 when there is neither or the value is beyond LongestSeconds.
double timeValue(QStringView collected);

// The progress time a chunk reports: its latest readable "time=" value, each value read by itself
// as timeValue() reads it. A value that runs to the end of the chunk may be cut, so it counts only
// when the chunk holds no other. 0 when the chunk's values are all unreadable ("time=N/A");
// nullopt when it holds no "time=" or only values beyond LongestSeconds, which are ignored.
std::optional<double> chunkProgressTime(QStringView chunk);

// Percent text of a fraction of 100: the first four characters of value written with up to 15
// significant digits, "." as decimal point and no exponent (14.634... gives "14.6", 7.5 "7.5").
QString percentText(double percent);

// The busy glyph after glyph: "-", "\", "|", "/" in turn; anything else gives "-".
QString nextSpinner(const QString &glyph);

// The first "Duration: " value a tool printed, in seconds (unrounded); nullopt when it cannot be
// read as durationValue() reads it.
std::optional<double> announcedDuration(QStringView output);

// The last "time=" value a tool printed, in seconds (unrounded); nullopt when none could be read
// (values beyond LongestSeconds are ignored).
std::optional<double> lastProgressTime(QStringView output);

// The output of a probe of two inputs ("coder -i SOURCE -i OUTPUT"), cut where the report of the
// second begins. Both parts view the output given.
struct ProbedInputs
{
    QStringView first;
    QStringView second;
};
// nullopt when the output holds no report of a second input.
std::optional<ProbedInputs> probedInputs(QStringView probeOutput);

// The last line with something other than blanks; lines end at "\n" or at "\r" (progress lines
// are rewritten in place with "\r").
QString lastNonEmptyLine(QStringView output);

} // namespace OutputParsers
