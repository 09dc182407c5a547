#include "runner/progressdisplay.h"

#include "runner/outputparsers.h"

namespace {

QString convertingCaption(const QString &spinner, const QString &percent)
{
    return QStringLiteral("转换中") + spinner + QLatin1Char(' ') + percent + QLatin1Char('%');
}

} // namespace

ProgressDisplay::ProgressDisplay(QObject *parent)
    : QObject(parent)
{}

void ProgressDisplay::setDurationSeconds(qint32 seconds)
{
    if (m_durationSeconds == seconds)
        return;
    m_durationSeconds = seconds;
    emit changed();
}

void ProgressDisplay::setSpinner(const QString &glyph)
{
    if (m_spinner == glyph)
        return;
    m_spinner = glyph;
    emit changed();
}

void ProgressDisplay::setBar(double widthTwips, double value)
{
    if (m_width == widthTwips && m_value == value)
        return;
    m_width = widthTwips;
    m_value = value;
    emit changed();
}

void ProgressDisplay::setCaption(const QString &caption)
{
    if (m_caption == caption)
        return;
    m_caption = caption;
    emit changed();
}

void ProgressDisplay::stepSpinner()
{
    setSpinner(OutputParsers::nextSpinner(m_spinner));
}

void ProgressDisplay::objDOS_ReceiveOutputs(const QString &CommandOutputs)
{
    stepSpinner();
    const QString percent = OutputParsers::encoderPercentText(CommandOutputs);
    if (percent.isEmpty())
        return;
    if (percent == QLatin1String("100%")) {
        setBar(FullWidth, 100);
        setCaption(QStringLiteral("结束 100%"));
        return;
    }
    const int p = OutputParsers::encoderPercent(percent);
    setBar(p / 100.0 * FullWidth, p);
    setCaption(convertingCaption(m_spinner, QString::number(p)));
}

void ProgressDisplay::readDuration(const QString &chunk)
{
    if (m_durationSeconds != 0)
        return;
    const QString collected = OutputParsers::collectAfter(chunk, u"Duration: ");
    if (!collected.isEmpty())
        setDurationSeconds(OutputParsers::durationSeconds(collected));
}

void ProgressDisplay::objDuration_ReceiveOutputs(const QString &CommandOutputs)
{
    readDuration(CommandOutputs);
}

void ProgressDisplay::objffmpeg_ReceiveOutputs(const QString &CommandOutputs)
{
    readDuration(CommandOutputs);
    stepSpinner();
    if (!CommandOutputs.contains(QLatin1String("time=")))
        return;
    // Without a known duration there is nothing to measure the time against.
    if (m_durationSeconds == 0)
        return;
    const qint64 t = OutputParsers::roundHalfEven(OutputParsers::chunkProgressTime(CommandOutputs));
    const double f = static_cast<double>(t) / m_durationSeconds;
    if (f * 100 >= 100) {
        setBar(FullWidth, 100);
        setCaption(QStringLiteral("完成 100%"));
        return;
    }
    const QString percent = OutputParsers::percentText(f * 100);
    setBar(f * FullWidth, OutputParsers::leadingNumber(percent).value_or(0));
    setCaption(convertingCaption(m_spinner, percent));
}
