#include "conversion/stageverdict.h"

#include "conversion/runtexts.h"
#include "runner/outputparsers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace StageVerdict {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(StageVerdict)
};

// The tools' progress and closing statistics: they say how far the tool got, not what went wrong.
bool isProgressLine(const QString &line)
{
    static const QLatin1StringView starts[] = {QLatin1StringView("size="), QLatin1StringView("video:"),
                                               QLatin1StringView("Pos:"), QLatin1StringView("frame=")};
    for (const QLatin1StringView start : starts) {
        if (line.startsWith(start))
            return true;
    }
    return line.contains(QLatin1StringView("time="));
}

// What ffmpeg says when it finds nothing it can decode in its input.
const QLatin1StringView undecodableMarks[] = {
    QLatin1StringView("Invalid data found when processing input"),
    QLatin1StringView("Output file is empty, nothing was encoded"),
    QLatin1StringView("does not contain any stream"),
};

QString partialInput()
{
    return Texts::tr("转换工具只处理了部分输入");
}

// Reason of a failed stage: the tool's own last words, or the program's own text for the case
// when the tool printed nothing or only its progress.
QString reasonOr(const StageOutcome &outcome, const QString &ownText)
{
    const QString line = OutputParsers::lastNonEmptyLine(outcome.output);
    return line.isEmpty() || isProgressLine(line) ? ownText : line;
}

// The encoder's position lines: "Pos:" followed by the seconds reached.
double lastEncoderPosition(const QString &output)
{
    static const QRegularExpression position(QStringLiteral(R"(Pos:\s*(\d+(?:\.\d*)?))"));
    double last = -1.0;
    QRegularExpressionMatchIterator it = position.globalMatch(output);
    while (it.hasNext())
        last = it.next().captured(1).toDouble();
    return last;
}

// The verdict on the tool itself: its start, its exit, its file and how far it got.
QString toolVerdict(const StageOutcome &outcome)
{
    if (!outcome.started)
        return outcome.startFailure.isEmpty() ? Texts::tr("无法启动转换工具") : outcome.startFailure;
    if (outcome.crashed)
        return reasonOr(outcome, Texts::tr("转换工具被终止"));
    if (outcome.exitCode != 0) {
        if (outcome.output.contains(RunTexts::convStartBeyondInput()))
            return RunTexts::cutBeyondInput();
        if (OutputParsers::lastNonEmptyLine(outcome.output).startsWith(RunTexts::convIncompleteOutput()))
            return partialInput();
        return reasonOr(outcome, Texts::tr("转换工具退出状态 %1").arg(outcome.exitCode));
    }
    if (!outcome.writtenPath.isEmpty()) {
        const QFileInfo written(outcome.writtenPath);
        if (!written.isFile() || written.size() == 0)
            return reasonOr(outcome, Texts::tr("转换工具没有写出文件"));
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
        return reasonOr(outcome, partialInput());
    return {};
}

} // namespace

bool mentionsFullDisk(const QString &output)
{
    static const QString local = QString::fromLocal8Bit(std::strerror(ENOSPC));
    return output.contains(QLatin1StringView("No space left on device")) || output.contains(local);
}

double lastProgressTime(const QString &output)
{
    if (const std::optional<double> time = OutputParsers::lastProgressTime(output))
        return *time;
    return lastEncoderPosition(output);
}

QString failureReason(const StageOutcome &outcome)
{
    const QString reason = toolVerdict(outcome);
    if (!outcome.started)
        return reason;
    if (!reason.isEmpty() && mentionsFullDisk(outcome.output))
        return RunTexts::diskFull();
    if (outcome.readsSource) {
        // ffmpeg skips frames it cannot decode and goes on with exit status 0.
        if (outcome.output.contains(QLatin1StringView("Error while decoding stream")))
            return RunTexts::damagedSource();
        for (const QLatin1StringView mark : undecodableMarks) {
            if (outcome.output.contains(mark))
                return RunTexts::undecodableSource();
        }
        // Some unreadable headers make ffmpeg's demuxer give up with EIO rather than with
        // "Invalid data", on a line of its own that names the source; an output path can end in
        // the source's, so only the whole line counts.
        const QString sourceUnreadable = outcome.sourcePath + QLatin1StringView(": Input/output error");
        const QStringList lines = outcome.output.split(QLatin1Char('\n'));
        const bool saidOfSource = std::any_of(lines.cbegin(), lines.cend(), [&](const QString &line) {
            return QStringView(line).trimmed() == sourceUnreadable;
        });
        if (!reason.isEmpty() && !outcome.sourcePath.isEmpty() && saidOfSource)
            return RunTexts::undecodableSource();
    }
    return reason;
}

} // namespace StageVerdict
