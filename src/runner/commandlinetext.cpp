#include "runner/commandlinetext.h"

namespace CommandLineText {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

Command command(const QString &commandLine)
{
    const Split parts = split(commandLine);
    return {parts.program, parts.arguments};
}

QStringList splitArguments(const QString &text)
{
    QStringList args;
    QString current;
    bool inToken = false;
    bool inQuotes = false;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (!inQuotes && isBlank(c)) {
            if (inToken) {
                args << current;
                current.clear();
                inToken = false;
            }
            ++i;
            continue;
        }
        inToken = true;
        if (c == QLatin1Char('\\')) {
            qsizetype slashes = 0;
            while (i < n && text.at(i) == QLatin1Char('\\')) {
                ++slashes;
                ++i;
            }
            if (i < n && text.at(i) == QLatin1Char('"')) {
                current += QString(slashes / 2, QLatin1Char('\\'));
                if (slashes % 2 == 1) {
                    current += QLatin1Char('"');
                    ++i;
                }
            } else {
                current += QString(slashes, QLatin1Char('\\'));
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (inQuotes && i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                current += QLatin1Char('"');
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inToken)
        args << current;
    return args;
}

Split split(const QString &commandLine)
{
    Split result;
    result.arguments = splitArguments(commandLine);
    if (!result.arguments.isEmpty())
        result.program = result.arguments.takeFirst();
    return result;
}

QString quote(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    qsizetype slashes = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\')) {
            ++slashes;
            continue;
        }
        if (c == QLatin1Char('"')) {
            out += QString(slashes * 2 + 1, QLatin1Char('\\'));
            out += QLatin1Char('"');
        } else {
            out += QString(slashes, QLatin1Char('\\'));
            out += c;
        }
        slashes = 0;
    }
    out += QString(slashes * 2, QLatin1Char('\\'));
    out += QLatin1Char('"');
    return out;
}

QString quoteIfNeeded(const QString &text)
{
    for (const QChar c : text) {
        if (isBlank(c) || c == QLatin1Char('"'))
            return quote(text);
    }
    return text;
}

} // namespace CommandLineText
