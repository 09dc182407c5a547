#pragma once

#include <QString>
#include <QStringList>

// A tool to start: the program and its arguments exactly as it receives them, never joined into one
// text and split again.
struct Command
{
    QString program;
    QStringList arguments = {};

    bool operator==(const Command &) const = default;
    bool isEmpty() const { return program.isEmpty(); }
};
