#pragma once

#include "conversion/runoutcome.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What tunoxa-batch prints beyond the run's own captions and messages. The program's name and the
// arrow between a file and its output keep the lines' shape for scripts in every language.
namespace BatchTexts {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(BatchTexts)
};

inline QString programName()
{
    return QStringLiteral("tunoxa-batch");
}
inline QString arrow()
{
    return QStringLiteral(" → ");
}
// A finished file, its input and its output.
inline QString converted(const QString &input, const QString &output)
{
    return Texts::tr("完成：") + input + arrow() + output;
}
// Library mode: a file whose output is up to date, or is written by another process.
inline QString skipped(const QString &input, const QString &output, SkipReason reason)
{
    return Texts::tr("跳过：") + input + arrow() + output +
           (reason == SkipReason::UpToDate ? Texts::tr("（已是最新）") : Texts::tr("（另一进程正在转换）"));
}
// A dry run: what a file would become, and whether an older output would be replaced.
inline QString planned(const QString &input, const QString &output, bool replaces)
{
    return (replaces ? Texts::tr("将替换：") : Texts::tr("将转换：")) + input + arrow() + output;
}
// Library mode: a file whose output was only retagged, or would be in a dry run.
inline QString retagged(const QString &input, const QString &output, bool dryRun)
{
    return (dryRun ? Texts::tr("将更新标签：") : Texts::tr("更新标签：")) + input + arrow() + output;
}
// Library mode: an output whose source was renamed, moved to the new source's place.
inline QString moved(const QString &from, const QString &to, bool dryRun)
{
    return (dryRun ? Texts::tr("将移动：") : Texts::tr("移动：")) + from + arrow() + to;
}
// Library mode with --delete: an output whose source is gone.
inline QString deleted(const QString &output, bool dryRun)
{
    return (dryRun ? Texts::tr("将删除：") : Texts::tr("删除：")) + output;
}
// What a library-mode run did, counted.
// Library mode's closing line: converted, skipped and failed, with retagged, moved and deleted
// where they are not 0; a dry run names what it would convert first.
inline QString librarySummary(const RunOutcome &c, bool dryRun)
{
    QStringList parts{dryRun ? Texts::tr("将转换 %1").arg(c.converted)
                             : Texts::tr("完成 %1").arg(c.converted)};
    if (c.retagged != 0)
        parts.append(Texts::tr("更新标签 %1").arg(c.retagged));
    if (c.moved != 0)
        parts.append(Texts::tr("移动 %1").arg(c.moved));
    parts.append(Texts::tr("跳过 %1").arg(c.skipped));
    if (c.deleted != 0)
        parts.append(Texts::tr("删除 %1").arg(c.deleted));
    parts.append(Texts::tr("失败 %1").arg(c.failed));
    //: between the counts of the closing line
    return parts.join(Texts::tr("，"));
}
// A file that converted with something worth telling, before the line that tells it.
inline QString notePrefix()
{
    return Texts::tr("注意：");
}
// A failed file, before the run's failure line.
inline QString failedPrefix()
{
    return Texts::tr("失败：");
}
// The heading of the failures listed at the end: the run's failure title and a colon.
inline QString failuresHeading(const QString &failedTitle)
{
    //: after the title of the failures listed at the end
    return failedTitle + Texts::tr("：");
}
inline QString unknownOption()
{
    return Texts::tr("未知选项：");
}
inline QString missingValue(const QString &option)
{
    return Texts::tr("选项 %1 缺少取值").arg(option);
}
inline QString badValue(const QString &option, const QString &value)
{
    return Texts::tr("选项 %1 的取值无效：%2").arg(option, value);
}
// A long option without a value, given one: "--library=yes".
inline QString valueNotTaken(const QString &option)
{
    return Texts::tr("选项 %1 不带取值").arg(option);
}
// An option that only library mode takes (-n, --delete, --cover-size, --fat-names), given without -L.
inline QString withoutLibrary(const QString &option)
{
    return Texts::tr("选项 %1 只能与 -L 一起使用").arg(option);
}
inline QString noInput()
{
    return Texts::tr("没有给出要转换的文件或文件夹");
}

} // namespace BatchTexts
