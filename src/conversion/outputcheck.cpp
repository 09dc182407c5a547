#include "conversion/outputcheck.h"

#include "library/containerfacts.h"
#include "platform/regularfile.h"
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

std::optional<double> audioSeconds(const QString &path)
{
    const ContainerFacts *row = ContainerTable::ofPath(path);
    const ContainerFacts &container = row ? *row : *ContainerTable::facts(AudioContainer::Mp3);
    const RegularFile::Reader file(path);
    const auto fetch = [&file](qint64 offset, qsizetype count) { return file.read(offset, count); };
    return container.seconds(fetch, file.size(), path);
}

bool audioWhole(const QString &path, std::optional<double> expected)
{
    return lengthWhole(audioSeconds(path), expected);
}

bool lengthWhole(std::optional<double> length, std::optional<double> expected)
{
    return length && *length > 0 && !(expected && isShort(*length, *expected, SlackSeconds));
}

bool probedWhole(const QString &probeOutput, const std::optional<CutRange> &cut, double slackShare)
{
    const std::optional<OutputParsers::ProbedInputs> inputs = OutputParsers::probedInputs(probeOutput);
    if (!inputs)
        return false;
    const std::optional<double> length = OutputParsers::announcedDuration(inputs->second);
    if (!length || *length <= 0)
        return false;
    const std::optional<double> expected =
        expectedSeconds(OutputParsers::announcedDuration(inputs->first), cut);
    return !(expected && isShort(*length, *expected, SlackSeconds + slackShare * *expected));
}

} // namespace OutputCheck
