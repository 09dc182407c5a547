#pragma once

#include <QCoreApplication>
#include <QString>

// The runner's messages; their boxes carry ProductInfo::applicationTitle().
namespace RunnerTexts {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(RunnerTexts)
};

// What a file being converted is doing, before its progress.
inline QString converting()
{
    return Texts::tr("转换中");
}

inline QString commandLineEmpty()
{
    return Texts::tr("Command Line empty");
}

inline QString fileOrCommandNotFound()
{
    return Texts::tr("File or command not found");
}

} // namespace RunnerTexts
