#include "platform/filefiltertext.h"

namespace FileFilterText {

namespace {

struct Pair
{
    QString description;
    QString patterns;
};

QList<Pair> pairs(const QString &filter)
{
    // The text is cut at its first NUL, as the platform's list of pairs ends there.
    const QString text = filter.section(QChar(0), 0, 0);
    const QStringList parts = text.split(QLatin1Char('|'));
    QList<Pair> result;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString patterns = parts.value(i + 1);
        if (!parts[i].isEmpty() || !patterns.isEmpty())
            result.append({parts[i], patterns});
    }
    return result;
}

} // namespace

QString caseInsensitivePattern(const QString &pattern)
{
    if (pattern == QLatin1String("*.*"))
        return QStringLiteral("*");
    QString result;
    bool inBrackets = false;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('['))
            inBrackets = true;
        else if (c == QLatin1Char(']'))
            inBrackets = false;
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (!inBrackets && lower != upper)
            result += QLatin1Char('[') + lower + upper + QLatin1Char(']');
        else
            result += c;
    }
    return result;
}

QStringList toNameFilters(const QString &filter)
{
    QStringList filters;
    for (const Pair &pair : pairs(filter)) {
        QStringList patterns;
        for (const QString &pattern : pair.patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty() && !patterns.contains(caseInsensitivePattern(trimmed)))
                patterns.append(caseInsensitivePattern(trimmed));
        }
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        filters.append(pair.description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    if (filters.isEmpty())
        filters.append(QStringLiteral("* (*)"));
    return filters;
}

} // namespace FileFilterText
