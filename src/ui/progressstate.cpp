#include "ui/progressstate.h"

#include "conversion/runtexts.h"
#include "runner/outputparsers.h"
#include "runner/runnertexts.h"

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

void ProgressState::show(const JobProgress &progress)
{
    using Reading = JobProgress::Reading;
    switch (progress.reading) {
    case Reading::Preparing:
        setBar(barWidth(), 0);
        setCaption(RunTexts::preparing());
        return;
    case Reading::Busy:
        stepSpinner();
        return;
    case Reading::EncoderEnded:
        stepSpinner();
        setBar(FullWidth, 100);
        setCaption(tr("结束 100%"));
        return;
    case Reading::EncoderPercent:
        stepSpinner();
        setBar(progress.encoderPercent / 100.0 * FullWidth, progress.encoderPercent);
        setCaption(convertingCaption(m_spinner, QString::number(progress.encoderPercent)));
        return;
    case Reading::StageFraction:
        stepSpinner();
        showFraction(progress.stageFraction);
        return;
    }
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
