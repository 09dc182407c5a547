#include "conversion/progressstate.h"

#include "runner/outputparsers.h"
#include "runner/runnertexts.h"
#include "settings/numbertext.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QString convertingCaption(const QString &spinner, const QString &percent)
{
    return RunnerTexts::converting() + spinner + QLatin1Char(' ') + percent + QLatin1Char('%');
}

// The bar never leaves its track, whatever a tool printed.
void keepInTrack(double &width, double &value)
{
    width = std::isnan(width) ? 0 : std::clamp(width, 0.0, ProgressState::FullWidth);
    value = std::isnan(value) ? 0 : std::clamp(value, 0.0, 100.0);
}

} // namespace

ProgressState::ProgressState(QObject *parent)
    : QObject(parent)
{}

void ProgressState::setDurationSeconds(qint32 seconds)
{
    if (m_durationSeconds == seconds)
        return;
    m_durationSeconds = seconds;
    emit changed();
}

void ProgressState::setSpinner(const QString &glyph)
{
    if (m_spinner == glyph)
        return;
    m_spinner = glyph;
    emit changed();
}

void ProgressState::setBar(double width, double value)
{
    settle();
    keepInTrack(width, value);
    if (m_width == width && m_value == value)
        return;
    m_width = width;
    m_value = value;
    emit changed();
}

void ProgressState::setCaption(const QString &caption)
{
    settle();
    if (m_caption == caption)
        return;
    m_caption = caption;
    emit changed();
}

void ProgressState::stepSpinner()
{
    setSpinner(OutputParsers::nextSpinner(m_spinner));
}

void ProgressState::readEncoderOutput(const QString &output)
{
    stepSpinner();
    const QString percent = OutputParsers::encoderPercentText(output);
    if (percent.isEmpty())
        return;
    if (OutputParsers::leadingNumber(percent) == 100) {
        setBar(FullWidth, 100);
        setCaption(tr("结束 100%"));
        return;
    }
    const int p = OutputParsers::encoderPercent(percent);
    setBar(p / 100.0 * FullWidth, p);
    setCaption(convertingCaption(m_spinner, QString::number(p)));
}

void ProgressState::readDuration(const QString &chunk)
{
    if (m_durationSeconds != 0)
        return;
    const QString collected = OutputParsers::collectAfter(chunk, u"Duration: ");
    if (!collected.isEmpty())
        setDurationSeconds(OutputParsers::durationSeconds(collected));
}

void ProgressState::readProbeOutput(const QString &output)
{
    readDuration(output);
}

void ProgressState::readTranscoderOutput(const QString &output)
{
    readDuration(output);
    stepSpinner();
    const std::optional<double> time = OutputParsers::chunkProgressTime(output);
    // Without a known duration there is nothing to measure the time against.
    if (!time || m_durationSeconds <= 0)
        return;
    const qint64 t = NumberText::roundHalfEven(*time);
    showFraction(static_cast<double>(t) / m_durationSeconds);
}

void ProgressState::showShare(double share)
{
    stepSpinner();
    showFraction(share);
}

void ProgressState::showFraction(double f)
{
    if (f * 100 >= 100) {
        setBar(FullWidth, 100);
        setCaption(tr("完成 100%"));
        return;
    }
    m_unsettled = Unsettled{f, m_spinner};
    emit changed();
}

void ProgressState::settle() const
{
    if (!m_unsettled)
        return;
    const Unsettled shown = *std::exchange(m_unsettled, std::nullopt);
    const QString percent = OutputParsers::percentText(shown.fraction * 100);
    m_width = shown.fraction * FullWidth;
    m_value = OutputParsers::leadingNumber(percent).value_or(0);
    keepInTrack(m_width, m_value);
    m_caption = convertingCaption(shown.spinner, percent);
}
