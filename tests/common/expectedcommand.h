#pragma once

#include "runner/command.h"
#include "runner/commandlinetext.h"

#include <QByteArray>
#include <QtTest>

// The command a line in shell-like syntax stands for (blanks separate, double quotes group): the
// suites write the commands they expect as one readable line.
inline Command expectedCommand(const QString &line)
{
    QStringList words = CommandLineText::splitArguments(line);
    const QString program = words.isEmpty() ? QString() : words.takeFirst();
    return {program, words};
}

// A command in a failed comparison: each word in brackets, so that blanks inside one show.
inline char *toString(const Command &command)
{
    QString text = u'[' + command.program + u']';
    for (const QString &argument : command.arguments)
        text += QStringLiteral(" [") + argument + u']';
    return qstrdup(text.toUtf8().constData());
}
