#pragma once

#include <QString>

// Messages and captions of the conversion run.
namespace RunTexts {

inline QString addTitle()
{
    return QStringLiteral("添加");
}
inline QString addFileFirst()
{
    return QStringLiteral("请先添加一个文件");
}
inline QString outputPathTitle()
{
    return QStringLiteral("输出路径");
}
inline QString cannotWriteOutputFolder()
{
    return QStringLiteral("无法写入输出文件夹：");
}
inline QString preparing()
{
    return QStringLiteral("准备中 - 正在估算音频长度");
}
inline QString done()
{
    return QStringLiteral("Done.");
}
inline QString aborted()
{
    return QStringLiteral("转换中止");
}
inline QString finishedWithFailures(qsizetype count)
{
    return QStringLiteral("完成，") + QString::number(count) + QStringLiteral(" 个文件转换失败");
}
inline QString failedTitle()
{
    return QStringLiteral("转换失败");
}
// One line of the failure summary.
inline QString failureLine(const QString &path, const QString &reason)
{
    return path + QStringLiteral("：") + reason;
}
inline QString summaryCut()
{
    return QStringLiteral("…");
}
// Reasons of failures that no tool reported.
inline QString noFormatSelected()
{
    return QStringLiteral("没有选择输出格式");
}
inline QString inputUnreachable()
{
    return QStringLiteral("无法访问输入文件");
}
// Why a file failed, where the tools' own words would not tell the user.
inline QString diskFull()
{
    return QStringLiteral("磁盘空间不足");
}
// The source decodes only in part: damaged frames were skipped.
inline QString damagedSource()
{
    return QStringLiteral("源文件已损坏");
}
// No tool could read the source at all.
inline QString undecodableSource()
{
    return QStringLiteral("源文件无法解码");
}
// The written output, read back, is shorter than its source or cannot be read.
inline QString incompleteOutput()
{
    return QStringLiteral("输出文件不完整");
}
// Library mode: another source, another process or a file that is no output holds the output's name.
inline QString outputOccupied()
{
    return QStringLiteral("输出位置已被占用");
}
// Library mode: the output is newer than its source and whole, so the file is not converted.
inline QString upToDate()
{
    return QStringLiteral("已是最新");
}
// The music cutter's start lies at or after the input's end.
inline QString cutBeyondInput()
{
    return QStringLiteral("剪切范围超出文件长度");
}
// conv's words for the same case.
inline QString convStartBeyondInput()
{
    return QStringLiteral("Start position is beyond the end of the input.");
}

} // namespace RunTexts
