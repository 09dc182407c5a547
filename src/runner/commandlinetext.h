#pragma once

#include <QString>
#include <QStringList>

// A command line is one text, as the recipes build it. It is split into a program and its
// arguments by the Windows rules: blanks separate, double quotes group, backslashes escape a quote.
namespace CommandLineText {

struct Split
{
    QString program;
    QStringList arguments;
};

// An unquoted program path with blanks is resolved by trying successively longer
// blank-separated prefixes until one names an existing executable file; when none does,
// the first blank-separated token is the program.
Split split(const QString &commandLine);

// Splits argument text only (no program token).
QStringList splitArguments(const QString &text);

// A quoted place: the text in double quotes, written so that splitting gives it back exactly.
// A text without double quotes and without backslashes before the closing quote is simply enclosed.
QString quote(const QString &text);

// A working path stands bare unless it holds a blank, a tab or a double quote.
QString quoteIfNeeded(const QString &text);

} // namespace CommandLineText
