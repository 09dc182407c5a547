#pragma once

#include <QString>

// The words the popup menus write into the main window's action channel, in the order the
// channel tests them.
namespace ActionWords {

inline QString removeSelected()
{
    return QStringLiteral("RemoveSelected");
}
inline QString about()
{
    return QStringLiteral("A");
}
inline QString addFile()
{
    return QStringLiteral("AddaFile");
}
inline QString addFolder()
{
    return QStringLiteral("menuAddaFolder");
}
inline QString exitProgram()
{
    return QStringLiteral("menuExit");
}
inline QString help()
{
    return QStringLiteral("menuHelp");
}
inline QString options()
{
    return QStringLiteral("menuOption");
}

} // namespace ActionWords
