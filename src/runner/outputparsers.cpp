#include "runner/outputparsers.h"

#include "runner/toolphrases.h"
#include "settings/numbertext.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace OutputParsers {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Length of the run of digits starting at from.
qsizetype digitsAt(QStringView text, qsizetype from)
{
    qsizetype i = from;
    while (i < text.size() && isDigit(text.at(i)))
        ++i;
    return i - from;
}

// The token after a marker in a whole output: up to a space or the end of its line.
QStringView tokenAt(QStringView output, qsizetype from)
{
    qsizetype end = from;
    while (end < output.size() && output.at(end) != QLatin1Char(' ') && output.at(end) != QLatin1Char('\r') &&
           output.at(end) != QLatin1Char('\n'))
        ++end;
    return output.mid(from, end - from);
}

// A leading hh:mm:ss(.ff) value, or nullopt when the text does not start with one.
std::optional<double> clockValue(QStringView text)
{
    const qsizetype hours = digitsAt(text, 0);
    if (hours == 0 || hours >= text.size() || text.at(hours) != QLatin1Char(':'))
        return std::nullopt;
    const qsizetype minutesAt = hours + 1;
    const qsizetype minutes = digitsAt(text, minutesAt);
    const qsizetype secondsAt = minutesAt + minutes + 1;
    if (minutes == 0 || secondsAt > text.size() || text.at(secondsAt - 1) != QLatin1Char(':'))
        return std::nullopt;
    if (digitsAt(text, secondsAt) == 0)
        return std::nullopt;
    const double h = text.left(hours).toDouble();
    const double m = text.mid(minutesAt, minutes).toDouble();
    return h * 3600 + m * 60 + leadingNumber(text.mid(secondsAt)).value_or(0);
}

// A progress time in either form, or nullopt when the text starts with neither.
std::optional<double> anyTime(QStringView text)
{
    if (const auto clock = clockValue(text))
        return clock;
    return leadingNumber(text);
}

std::optional<double> believable(std::optional<double> seconds)
{
    if (seconds && *seconds <= LongestSeconds)
        return seconds;
    return std::nullopt;
}

std::optional<double> readableTime(QStringView text)
{
    return believable(anyTime(text));
}

// Where the text of the encoder percentage that starts just after its opening at from ends: just
// after its percent sign, which follows optional blanks and a number from 0 to 100. -1 when the
// text there has another form.
qsizetype percentEnd(QStringView chunk, qsizetype from)
{
    qsizetype i = from;
    while (i < chunk.size() && isBlank(chunk.at(i)))
        ++i;
    const qsizetype start = i;
    bool point = false;
    for (; i < chunk.size(); ++i) {
        if (chunk.at(i) == QLatin1Char('.') && !point)
            point = true;
        else if (!isDigit(chunk.at(i)))
            break;
    }
    if (!chunk.mid(i).startsWith(ToolPhrases::PercentClose))
        return -1;
    const std::optional<double> value = leadingNumber(chunk.mid(start, i - start));
    return value && *value <= 100 ? i + 1 : -1;
}

} // namespace

std::optional<double> leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    const qsizetype start = i;
    bool point = false;
    bool digit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (isDigit(c)) {
            digit = true;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digit)
        return std::nullopt;
    return QLocale::c().toDouble(text.mid(start, i - start));
}

QString encoderPercentText(QStringView chunk)
{
    // The encoder rewrites its line with "\r"; the latest percentage in the chunk is the current one.
    const QLatin1StringView open = ToolPhrases::PercentOpen;
    QStringView latest;
    for (qsizetype at = chunk.indexOf(open); at >= 0; at = chunk.indexOf(open, at + 1)) {
        const qsizetype start = at + open.size();
        const qsizetype end = percentEnd(chunk, start);
        if (end >= 0)
            latest = chunk.mid(start, end - start);
    }
    return latest.toString();
}

int encoderPercent(QStringView percentText)
{
    return static_cast<int>(
        std::clamp<qint64>(NumberText::roundHalfEven(leadingNumber(percentText).value_or(0)), 0, 100));
}

QString collectAfter(QStringView chunk, QStringView marker)
{
    QString collected;
    qsizetype at = chunk.indexOf(marker);
    while (at >= 0) {
        qsizetype i = at + marker.size();
        const qsizetype start = i;
        while (i < chunk.size() && chunk.at(i) != QLatin1Char(' '))
            ++i;
        collected += chunk.mid(start, i - start);
        at = chunk.indexOf(marker, i);
    }
    return collected;
}

std::optional<double> durationValue(QStringView collected)
{
    const auto fields = collected.split(QLatin1Char(':'));
    if (fields.size() < 3)
        return std::nullopt;
    double total = 0;
    const double weights[] = {3600, 60, 1};
    for (int k = 0; k < 3; ++k) {
        const auto value = leadingNumber(fields.at(k));
        if (!value)
            return std::nullopt;
        total += *value * weights[k];
    }
    return believable(total);
}

qint32 durationSeconds(QStringView collected)
{
    // Within LongestSeconds, so the whole seconds fit.
    return static_cast<qint32>(NumberText::roundHalfEven(durationValue(collected).value_or(0)));
}

double timeValue(QStringView collected)
{
    return readableTime(collected).value_or(0);
}

std::optional<double> chunkProgressTime(QStringView chunk)
{
    const QLatin1StringView marker = ToolPhrases::ProgressTime;
    std::optional<double> latest;
    bool latestComplete = false;
    bool unreadable = false;
    for (qsizetype at = chunk.indexOf(marker); at >= 0; at = chunk.indexOf(marker, at + 1)) {
        const QStringView token = tokenAt(chunk, at + marker.size());
        const std::optional<double> any = anyTime(token);
        unreadable = unreadable || !any;
        const std::optional<double> value = believable(any);
        if (!value)
            continue;
        const bool complete = at + marker.size() + token.size() < chunk.size();
        if (complete || !latestComplete) {
            latest = value;
            latestComplete = complete;
        }
    }
    if (!latest && unreadable)
        return 0.0;
    return latest;
}

QString percentText(double percent)
{
    if (percent == 0 || !std::isfinite(percent))
        return QStringLiteral("0");
    // Fixed notation with 15 significant digits, then trailing zeros dropped.
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(percent))));
    const int decimals = qMax(0, 14 - magnitude);
    QString text = QLocale::c().toString(percent, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text.left(4);
}

QString nextSpinner(const QString &glyph)
{
    if (glyph == QLatin1String("-"))
        return QStringLiteral("\\");
    if (glyph == QLatin1String("\\"))
        return QStringLiteral("|");
    if (glyph == QLatin1String("|"))
        return QStringLiteral("/");
    return QStringLiteral("-");
}

std::optional<double> announcedDuration(QStringView output)
{
    const QLatin1StringView marker = ToolPhrases::Duration;
    const qsizetype at = output.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    return durationValue(tokenAt(output, at + marker.size()));
}

std::optional<double> lastProgressTime(QStringView output)
{
    const QLatin1StringView marker = ToolPhrases::ProgressTime;
    std::optional<double> last;
    for (qsizetype at = output.indexOf(marker); at >= 0; at = output.indexOf(marker, at + 1)) {
        if (const auto value = readableTime(tokenAt(output, at + marker.size())))
            last = value;
    }
    return last;
}

std::optional<ProbedInputs> probedInputs(QStringView probeOutput)
{
    const qsizetype second = probeOutput.indexOf(ToolPhrases::SecondInput);
    if (second < 0)
        return std::nullopt;
    return ProbedInputs{probeOutput.left(second), probeOutput.mid(second)};
}

QString lastNonEmptyLine(QStringView output)
{
    qsizetype end = output.size();
    while (end > 0) {
        qsizetype start = end - 1;
        while (start >= 0 && output.at(start) != QLatin1Char('\n') && output.at(start) != QLatin1Char('\r'))
            --start;
        const QStringView line = output.mid(start + 1, end - start - 1).trimmed();
        if (!line.isEmpty())
            return line.toString();
        end = start;
    }
    return QString();
}

} // namespace OutputParsers
