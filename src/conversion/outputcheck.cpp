#include "conversion/outputcheck.h"

#include "conversion/medialength.h"
#include "conversion/runtexts.h"
#include "runner/outputparsers.h"

#include <algorithm>

namespace OutputCheck {

namespace {

bool isShort(double actual, double expected, double slack)
{
    return actual < expected - slack;
}

} // namespace

std::optional<double> expectedSeconds(std::optional<double> sourceSeconds, const std::optional<CutRange> &cut)
{
    if (!sourceSeconds)
        return std::nullopt;
    if (!cut)
        return sourceSeconds;
    const double end =
        cut->endSeconds > 0 ? std::min<double>(cut->endSeconds, *sourceSeconds) : *sourceSeconds;
    return std::max(0.0, end - cut->startSeconds);
}

std::optional<double> sourceSeconds(std::optional<double> declared, std::optional<double> decoded)
{
    if (declared && decoded)
        return std::max(*declared, *decoded);
    return declared ? declared : decoded;
}

QString audioProblem(const QString &path, std::optional<double> expected)
{
    return lengthProblem(MediaLength::audioSeconds(path), expected);
}

QString lengthProblem(std::optional<double> length, std::optional<double> expected)
{
    if (!length || *length <= 0 || (expected && isShort(*length, *expected, SlackSeconds)))
        return RunTexts::incompleteOutput();
    return {};
}

QString probedProblem(const QString &probeOutput, const std::optional<CutRange> &cut, double slackShare)
{
    const qsizetype second = probeOutput.indexOf(QLatin1StringView("Input #1"));
    if (second < 0)
        return RunTexts::incompleteOutput();
    const std::optional<double> length =
        OutputParsers::announcedDuration(QStringView(probeOutput).mid(second));
    if (!length || *length <= 0)
        return RunTexts::incompleteOutput();
    const std::optional<double> expected =
        expectedSeconds(OutputParsers::announcedDuration(QStringView(probeOutput).left(second)), cut);
    if (expected && isShort(*length, *expected, SlackSeconds + slackShare * *expected))
        return RunTexts::incompleteOutput();
    return {};
}

} // namespace OutputCheck
