#pragma once

#include <QCoreApplication>
#include <QString>

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
// A finished file: "完成：" + input + " → " + output.
inline QString converted(const QString &input, const QString &output)
{
    return Texts::tr("完成：") + input + arrow() + output;
}
// Library mode: a file whose output is up to date: "跳过：" + input + " → " + output + "（已是最新）".
inline QString skipped(const QString &input, const QString &output)
{
    return Texts::tr("跳过：") + input + arrow() + output + Texts::tr("（已是最新）");
}
// A dry run: what a file would become, and whether an older output would be replaced.
inline QString planned(const QString &input, const QString &output, bool replaces)
{
    return (replaces ? Texts::tr("将替换：") : Texts::tr("将转换：")) + input + arrow() + output;
}
// Library mode's closing line: how many files converted, were up to date, failed.
inline QString librarySummary(qsizetype converted, qsizetype skipped, qsizetype failed)
{
    return Texts::tr("完成 %1，跳过 %2，失败 %3").arg(converted).arg(skipped).arg(failed);
}
// A dry run's closing line.
inline QString dryRunSummary(qsizetype planned, qsizetype skipped, qsizetype failed)
{
    return Texts::tr("将转换 %1，跳过 %2，失败 %3").arg(planned).arg(skipped).arg(failed);
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
inline QString dryRunWithoutLibrary()
{
    return Texts::tr("选项 -n 只能与 -L 一起使用");
}
inline QString noInput()
{
    return Texts::tr("没有给出要转换的文件或文件夹");
}

} // namespace BatchTexts
