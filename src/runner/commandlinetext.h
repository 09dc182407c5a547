#pragma once

#include "runner/command.h"

#include <QString>
#include <QStringList>

// A command line is one text, as the recipes build it. It is split into a program and its
// arguments: blanks separate, double quotes group, backslashes escape a quote.
namespace CommandLineText {

struct Split
{
    QString program;
    QStringList arguments;
};

// The first token is the program, the others are its arguments. Nothing is looked up on disk: a
// program path with blanks must be quoted, or only its part before the first blank is the program.
Split split(const QString &commandLine);

// The same as a command to start.
Command command(const QString &commandLine);

// Splits argument text only (no program token).
QStringList splitArguments(const QString &text);

// A quoted place: the text in double quotes, written so that splitting gives it back exactly.
// A text without double quotes and without backslashes before the closing quote is simply enclosed.
QString quote(const QString &text);

// A working path stands bare unless it holds a blank, a tab or a double quote.
QString quoteIfNeeded(const QString &text);

} // namespace CommandLineText
