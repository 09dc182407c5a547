#include "runner/commandlinetext.h"

#include <QFileInfo>

namespace CommandLineText {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isProgram(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Reads the program token the way the system does: quoted up to the next quote, with no
// escapes; otherwise up to the first blank, or the shortest blank-separated prefix that names
// an existing program. Returns the index where the arguments begin.
qsizetype readProgram(const QString &line, QString &program)
{
    qsizetype i = 0;
    while (i < line.size() && isBlank(line.at(i)))
        ++i;
    if (i < line.size() && line.at(i) == QLatin1Char('"')) {
        const qsizetype close = line.indexOf(QLatin1Char('"'), i + 1);
        const qsizetype end = close < 0 ? line.size() : close;
        program = line.mid(i + 1, end - i - 1);
        return close < 0 ? line.size() : close + 1;
    }
    const qsizetype start = i;
    qsizetype firstEnd = -1;
    for (qsizetype j = start; j <= line.size(); ++j) {
        if (j < line.size() && !isBlank(line.at(j)))
            continue;
        if (firstEnd < 0)
            firstEnd = j;
        const QString candidate = line.mid(start, j - start);
        if (isProgram(candidate)) {
            program = candidate;
            return j;
        }
    }
    program = line.mid(start, firstEnd - start);
    return firstEnd;
}

} // namespace

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
    const qsizetype rest = readProgram(commandLine, result.program);
    result.arguments = splitArguments(commandLine.mid(rest));
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
