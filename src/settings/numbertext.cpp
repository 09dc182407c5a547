#include "settings/numbertext.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace NumberText {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Length of the decimal number starting at pos, 0 when none starts there.
qsizetype numberLength(const QString &text, qsizetype pos)
{
    qsizetype i = pos;
    const qsizetype n = text.size();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        qsizetype fraction = 0;
        qsizetype j = i + 1;
        while (j < n && isDigit(text[j])) {
            ++j;
            ++fraction;
        }
        if (digits > 0 || fraction > 0) {
            i = j;
            digits += fraction;
        }
    }
    if (digits == 0)
        return 0;
    // An exponent counts only when at least one digit follows it.
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i - pos;
}

double toDouble(const QString &text, qsizetype pos, qsizetype length)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(QStringView(text).mid(pos, length), &ok);
    if (ok)
        return value;
    // QLocale refuses values beyond double's range; they are still numbers, just too large.
    const bool negative = text[pos] == QLatin1Char('-');
    const qsizetype e = text.indexOf(QLatin1Char('e'), pos, Qt::CaseInsensitive);
    const bool tiny = e >= 0 && e < pos + length && text.mid(e + 1, 1) == QLatin1String("-");
    if (tiny)
        return negative ? -0.0 : 0.0;
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
}

qsizetype skipBlanks(const QString &text, qsizetype pos)
{
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    return pos;
}

// The default rounding mode rounds halves to the even neighbour.
double halfEven(double value)
{
    return std::nearbyint(value);
}

template<typename Int> std::optional<Int> roundTo(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = halfEven(value);
    if (rounded < double(std::numeric_limits<Int>::min()) ||
        rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

} // namespace

double leading(const QString &text)
{
    const qsizetype start = skipBlanks(text, 0);
    const qsizetype length = numberLength(text, start);
    return length == 0 ? 0.0 : toDouble(text, start, length);
}

std::optional<double> whole(const QString &text)
{
    const qsizetype start = skipBlanks(text, 0);
    const qsizetype length = numberLength(text, start);
    if (length == 0 || skipBlanks(text, start + length) != text.size())
        return std::nullopt;
    return toDouble(text, start, length);
}

qint64 roundHalfEven(double value)
{
    const double rounded = halfEven(value);
    if (std::isnan(rounded))
        return 0;
    // 2^63: the first value past the largest qint64; -2^63 itself is the smallest.
    constexpr double end = 9223372036854775808.0;
    if (rounded >= end)
        return std::numeric_limits<qint64>::max();
    if (rounded < -end)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(rounded);
}

std::optional<qint16> toInt16(double value)
{
    return roundTo<qint16>(value);
}

std::optional<qint32> toInt32(double value)
{
    return roundTo<qint32>(value);
}

} // namespace NumberText
