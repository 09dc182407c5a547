#pragma once

#include "runner/toolrunner.h"

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

// Why a command could not be started.
inline QString startProblem(ToolRunner::StartProblem problem)
{
    switch (problem) {
    case ToolRunner::StartProblem::EmptyCommand:
        return Texts::tr("Command Line empty");
    case ToolRunner::StartProblem::NotFound:
        break;
    }
    return Texts::tr("File or command not found");
}

} // namespace RunnerTexts
