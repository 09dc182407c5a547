#include "conversion/stageverdict.h"

#include "runner/outputparsers.h"
#include "runner/toolphrases.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace StageVerdict {

namespace {

// The tools' progress and closing statistics: they say how far the tool got, not what went wrong.
bool isProgressLine(const QString &line)
{
    for (const QLatin1StringView start : ToolPhrases::ProgressLineStarts) {
        if (line.startsWith(start))
            return true;
    }
    return line.contains(ToolPhrases::ProgressTime);
}

// Reason of a failed stage: the tool's own last words, or the program's own kind for the case
// when the tool printed nothing or only its progress.
FileFailure saidOr(const StageOutcome &outcome, FileFailure own)
{
    const QString line = OutputParsers::lastNonEmptyLine(outcome.output);
    if (line.isEmpty() || isProgressLine(line))
        return own;
    return {FileFailure::Kind::ToolSaid, line};
}

// The encoder's position lines: the position phrase followed by the seconds reached.
double lastEncoderPosition(const QString &output)
{
    static const QRegularExpression position(QRegularExpression::escape(ToolPhrases::Position) +
                                             QStringLiteral(R"(\s*(\d+(?:\.\d*)?))"));
    double last = -1.0;
    QRegularExpressionMatchIterator it = position.globalMatch(output);
    while (it.hasNext())
        last = it.next().captured(1).toDouble();
    return last;
}

// The verdict on the tool itself: its start, its exit, its file and how far it got.
std::optional<FileFailure> toolVerdict(const StageOutcome &outcome)
{
    using Kind = FileFailure::Kind;
    if (outcome.crashed)
        return saidOr(outcome, {Kind::ToolKilled, {}});
    if (outcome.exitCode != 0) {
        if (outcome.output.contains(ToolPhrases::ConvStartBeyondInput))
            return FileFailure{Kind::CutBeyondInput, {}};
        if (OutputParsers::lastNonEmptyLine(outcome.output).startsWith(ToolPhrases::ConvIncompleteOutput))
            return FileFailure{Kind::PartialInput, {}};
        return saidOr(outcome, {Kind::ToolExitStatus, QString::number(outcome.exitCode)});
    }
    if (!outcome.writtenPath.isEmpty()) {
        const QFileInfo written(outcome.writtenPath);
        if (!written.isFile() || written.size() == 0)
            return saidOr(outcome, {Kind::NoOutputWritten, {}});
    }
    // A damaged input the tool decoded only in part: it stopped more than a second before the
    // end it announced for the input.
    std::optional<double> duration = OutputParsers::announcedDuration(outcome.output);
    if (duration && outcome.cutEndSeconds > 0)
        duration = std::min(*duration, outcome.cutEndSeconds);
    if (duration)
        *duration -= outcome.cutStartSeconds;
    const double reached = lastProgressTime(outcome.output);
    if (duration && reached >= 0 && reached < *duration - 1.0)
        return saidOr(outcome, {Kind::PartialInput, {}});
    return std::nullopt;
}

} // namespace

bool mentionsFullDisk(const QString &output)
{
    return ToolPhrases::saysAny(output, ToolPhrases::diskFull());
}

double lastProgressTime(const QString &output)
{
    if (const std::optional<double> time = OutputParsers::lastProgressTime(output))
        return *time;
    return lastEncoderPosition(output);
}

bool coderSkippedFrames(const QString &output)
{
    return ToolPhrases::saysAny(output, ToolPhrases::SkippedFrames);
}

bool coderFoundNothing(const QString &output)
{
    // Frames it skips in a damaged input are reported with the same reason as an input it cannot
    // open at all, but on a skipped-frame line.
    using namespace ToolPhrases;
    const QStringList lines = output.split(QLatin1Char('\n'));
    return std::any_of(lines.cbegin(), lines.cend(), [](const QString &line) {
        return saysAny(line, NothingDecoded) || (saysAny(line, InvalidData) && !saysAny(line, SkippedFrames));
    });
}

std::optional<FileFailure> failure(const StageOutcome &outcome)
{
    using Kind = FileFailure::Kind;
    const std::optional<FileFailure> verdict = toolVerdict(outcome);
    if (verdict && mentionsFullDisk(outcome.output))
        return FileFailure{Kind::DiskFull, {}};
    if (outcome.readsSource) {
        // ffmpeg skips frames it cannot decode and goes on with exit status 0.
        if (coderSkippedFrames(outcome.output))
            return FileFailure{Kind::DamagedSource, {}};
        if (coderFoundNothing(outcome.output))
            return FileFailure{Kind::UndecodableSource, {}};
        // Some unreadable headers make ffmpeg's demuxer give up with EIO rather than with
        // "Invalid data", on a line of its own that names the source; an output path can end in
        // the source's, so only the whole line counts.
        const QString sourceUnreadable = outcome.sourcePath + ToolPhrases::InputOutputError;
        const QStringList lines = outcome.output.split(QLatin1Char('\n'));
        const bool saidOfSource = std::any_of(lines.cbegin(), lines.cend(), [&](const QString &line) {
            return QStringView(line).trimmed() == sourceUnreadable;
        });
        if (verdict && !outcome.sourcePath.isEmpty() && saidOfSource)
            return FileFailure{Kind::UndecodableSource, {}};
    }
    return verdict;
}

} // namespace StageVerdict
