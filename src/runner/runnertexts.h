#pragma once

#include <QString>

// The runner's messages and the title of their boxes.
namespace RunnerTexts {

inline QString applicationTitle()
{
    return QStringLiteral("Tunoxa转换器");
}

inline QString commandLineEmpty()
{
    return QStringLiteral("Command Line empty");
}

inline QString fileOrCommandNotFound()
{
    return QStringLiteral("File or command not found");
}

} // namespace RunnerTexts
