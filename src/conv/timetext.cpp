#include "timetext.h"

#include <QRegularExpression>

namespace TimeText {
namespace {

constexpr qint64 microsecondsPerSecond = 1000000;
// A 32-bit count of seconds, like the cut times the program keeps: about 68 years.
constexpr qint64 mostSeconds = 2147483647;

// Up to six digits after the point as microseconds; further digits are below ffmpeg's resolution.
qint64 fractionMicroseconds(const QString &digits)
{
    return digits.left(6).leftJustified(6, QLatin1Char('0')).toLongLong();
}

Reading refuse(const QString &why)
{
    Reading reading;
    reading.error = why;
    return reading;
}

} // namespace

Reading read(const QString &option, const QString &text)
{
    static const QRegularExpression secondsForm(QStringLiteral("^([0-9]+)(?:\\.([0-9]+))?$"));
    static const QRegularExpression clockForm(QStringLiteral("^([0-9]+):([0-9]+):([0-9]+)(?:\\.([0-9]+))?$"));
    const QString outOfRange = QStringLiteral("%1 %2 is out of range: give at most %3 seconds (%4:%5:%6)")
                                   .arg(option, text)
                                   .arg(mostSeconds)
                                   .arg(mostSeconds / 3600)
                                   .arg(mostSeconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                   .arg(mostSeconds % 60, 2, 10, QLatin1Char('0'));

    qint64 wholeSeconds = 0;
    QString fraction;
    bool ok = false;
    if (const QRegularExpressionMatch m = secondsForm.match(text); m.hasMatch()) {
        // The pattern admits only ASCII digits, so a failed conversion is an overflow.
        wholeSeconds = m.captured(1).toLongLong(&ok);
        if (!ok)
            return refuse(outOfRange);
        fraction = m.captured(2);
    } else if (const QRegularExpressionMatch c = clockForm.match(text); c.hasMatch()) {
        const qint64 hours = c.captured(1).toLongLong(&ok);
        if (!ok || hours > mostSeconds / 3600)
            return refuse(outOfRange);
        const qint64 minutes = c.captured(2).toLongLong(&ok);
        const qint64 secs = ok ? c.captured(3).toLongLong(&ok) : 0;
        if (!ok || minutes >= 60 || secs >= 60)
            return refuse(
                QStringLiteral("%1 %2 is no time: minutes and seconds go up to 59").arg(option, text));
        wholeSeconds = hours * 3600 + minutes * 60 + secs;
        fraction = c.captured(4);
    } else {
        return refuse(QStringLiteral("%1 needs a time in seconds or hh:mm:ss, not '%2'").arg(option, text));
    }

    const qint64 micro = fractionMicroseconds(fraction);
    if (wholeSeconds > mostSeconds || (wholeSeconds == mostSeconds && micro > 0))
        return refuse(outOfRange);
    Reading reading;
    reading.microseconds = wholeSeconds * microsecondsPerSecond + micro;
    return reading;
}

QString seconds(qint64 microseconds)
{
    const qint64 whole = microseconds / microsecondsPerSecond;
    const qint64 micro = microseconds % microsecondsPerSecond;
    if (micro == 0)
        return QString::number(whole);
    QString text = QStringLiteral("%1.%2").arg(whole).arg(micro, 6, 10, QLatin1Char('0'));
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

} // namespace TimeText
