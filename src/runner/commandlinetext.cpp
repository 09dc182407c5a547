#include "runner/commandlinetext.h"

namespace CommandLineText {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

QStringList splitArguments(QStringView text)
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

} // namespace CommandLineText
