#include "conversion/toolprogress.h"

#include "runner/outputparsers.h"
#include "runner/toolphrases.h"
#include "settings/numbertext.h"

#include <algorithm>
#include <cmath>

JobProgress ToolProgress::readEncoderOutput(const QString &chunk)
{
    const QString percent = OutputParsers::encoderPercentText(chunk);
    if (percent.isEmpty())
        return {};
    if (OutputParsers::leadingNumber(percent) == 100) {
        m_percent = 100;
        return {JobProgress::Reading::EncoderEnded, 100, 1};
    }
    const int p = OutputParsers::encoderPercent(percent);
    m_percent = p;
    return {JobProgress::Reading::EncoderPercent, p, p / 100.0};
}

void ToolProgress::readDuration(const QString &chunk)
{
    if (m_durationSeconds != 0)
        return;
    const QString collected = OutputParsers::collectAfter(chunk, QString(ToolPhrases::Duration));
    if (!collected.isEmpty())
        m_durationSeconds = OutputParsers::durationSeconds(collected);
}

void ToolProgress::readProbeOutput(const QString &chunk)
{
    readDuration(chunk);
}

JobProgress ToolProgress::readTranscoderOutput(const QString &chunk)
{
    readDuration(chunk);
    const std::optional<double> time = OutputParsers::chunkProgressTime(chunk);
    // Without a known duration there is nothing to measure the time against.
    if (!time || m_durationSeconds <= 0)
        return {};
    const qint64 t = NumberText::roundHalfEven(*time);
    const double fraction = static_cast<double>(t) / m_durationSeconds;
    // As a progress bar shows it: the percentage's text read back, within its track.
    const double percent =
        fraction * 100 >= 100
            ? 100
            : OutputParsers::leadingNumber(OutputParsers::percentText(fraction * 100)).value_or(0);
    m_percent = std::isnan(percent) ? 0 : std::clamp(percent, 0.0, 100.0);
    return {JobProgress::Reading::StageFraction, 0, fraction};
}

JobProgress ToolProgress::preparing()
{
    m_percent = 0;
    return {JobProgress::Reading::Preparing, 0, 0};
}

void ToolProgress::reset()
{
    m_durationSeconds = 0;
    m_percent = 0;
}
