#pragma once

#include <QString>

// The runner's messages; their boxes carry ProductInfo::applicationTitle().
namespace RunnerTexts {

// What a file being converted is doing, before its progress.
inline QString converting()
{
    return QStringLiteral("转换中");
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
