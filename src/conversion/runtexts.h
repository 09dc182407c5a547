#pragma once

#include "conversion/runoutcome.h"
#include "library/keptfolder.h"

#include <QCoreApplication>
#include <QString>

// Messages and captions of the conversion run.
namespace RunTexts {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(RunTexts)
};

inline QString addTitle()
{
    return Texts::tr("添加");
}
inline QString addFileFirst()
{
    return Texts::tr("请先添加一个文件");
}
inline QString settingRefusedTitle()
{
    return Texts::tr("设置无法使用");
}
inline QString outputPathTitle()
{
    return Texts::tr("输出路径");
}
inline QString cannotWriteOutputFolder()
{
    return Texts::tr("无法写入输出文件夹：");
}
inline QString preparing()
{
    return Texts::tr("准备中 - 正在估算音频长度");
}
inline QString done()
{
    return Texts::tr("Done.");
}
inline QString aborted()
{
    return Texts::tr("转换中止");
}
inline QString finishedWithFailures(qsizetype count)
{
    return Texts::tr("完成，%n 个文件转换失败", nullptr, int(count));
}
inline QString failedTitle()
{
    return Texts::tr("转换失败");
}
// One line of the failure summary.
inline QString failureLine(const QString &path, const QString &reason)
{
    //: between a failed file's path and the reason it failed
    return path + Texts::tr("：") + reason;
}
inline QString summaryCut()
{
    return QStringLiteral("…");
}
// Reasons of failures that no tool reported.
inline QString noFormatSelected()
{
    return Texts::tr("没有选择输出格式");
}
inline QString inputUnreachable()
{
    return Texts::tr("无法访问输入文件");
}
// Why a file failed, where the tools' own words would not tell the user.
inline QString diskFull()
{
    return Texts::tr("磁盘空间不足");
}
// The source decodes only in part: damaged frames were skipped.
inline QString damagedSource()
{
    return Texts::tr("源文件已损坏");
}
// No tool could read the source at all.
inline QString undecodableSource()
{
    return Texts::tr("源文件无法解码");
}
// The source is a FIFO, a socket, a device or a folder: nothing a tool could convert.
inline QString notRegularFile()
{
    return Texts::tr("不是普通文件");
}
// The written output, read back, is shorter than its source or cannot be read.
inline QString incompleteOutput()
{
    return Texts::tr("输出文件不完整");
}
// Library mode: another source, another process or a file that is no output holds the output's name.
inline QString outputOccupied()
{
    return Texts::tr("输出位置已被占用");
}
// Library mode: the output is newer than its source and whole, so the file is not converted.
inline QString upToDate()
{
    return Texts::tr("已是最新");
}
// Library mode: another run, on this machine or another, writes the file's output now.
inline QString anotherProcessConverts()
{
    return Texts::tr("另一进程正在转换");
}
// What is told of a file that converted all the same.
inline QString noteText(FileNote note)
{
    switch (note) {
    case FileNote::CoverLeftOut:
        break;
    case FileNote::UnmarkedOutput:
        return Texts::tr("输出文件未能写入音乐库标记");
    case FileNote::SheetIgnored:
        return Texts::tr("文件内的 CUE 表与文件不符，已整个转换");
    }
    return Texts::tr("封面图片已损坏或无法读取，输出文件没有封面");
}
inline QString notesTitle()
{
    return Texts::tr("注意");
}
// Library mode: the source was only retagged, and so was its output, with no encode.
inline QString retagged()
{
    return Texts::tr("已更新标签");
}
// Library mode: the source was renamed or moved, and its output followed it, with no encode.
inline QString moved()
{
    return Texts::tr("已移动");
}
inline QString libraryModeTitle()
{
    return Texts::tr("音乐库模式");
}
// Library mode, deleting orphans: the question before the outputs whose source is gone are deleted.
inline QString deleteOrphansQuestion(qsizetype count)
{
    return Texts::tr("将删除 %n 个来源已不在的输出文件。", nullptr, int(count));
}
// A library folder (or a folder in it) that is missing, cannot be read or holds no source: an
// unmounted disk looks like that, so nothing below its counterpart is deleted.
inline QString libraryFolderKept(const QString &folder)
{
    return Texts::tr("音乐库文件夹为空或无法读取，未删除任何文件：") + folder;
}
// A link in the output folder: what it leads to is not the copy's, so nothing there is moved or deleted.
inline QString outputLinkKept(const QString &link)
{
    return Texts::tr("输出文件夹中的链接不属于副本，未移动或删除其中任何文件：") + link;
}
inline QString keptFolder(const KeptFolder &kept)
{
    return kept.reason == KeptFolder::Reason::Link ? outputLinkKept(kept.folder)
                                                   : libraryFolderKept(kept.folder);
}
// The music cutter's start lies at or after the input's end.
inline QString cutBeyondInput()
{
    return Texts::tr("剪切范围超出文件长度");
}

} // namespace RunTexts
