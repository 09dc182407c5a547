#pragma once

#include <QString>

// What tunoxa-batch prints beyond the run's own captions and messages.
namespace BatchTexts {

inline QString programName()
{
    return QStringLiteral("tunoxa-batch");
}
// A finished file: "完成：" + input + " → " + output.
inline QString converted(const QString &input, const QString &output)
{
    return QStringLiteral("完成：") + input + QStringLiteral(" → ") + output;
}
// Library mode: a file whose output is up to date: "跳过：" + input + " → " + output + "（已是最新）".
inline QString skipped(const QString &input, const QString &output)
{
    return QStringLiteral("跳过：") + input + QStringLiteral(" → ") + output + QStringLiteral("（已是最新）");
}
// A dry run: what a file would become, and whether an older output would be replaced.
inline QString planned(const QString &input, const QString &output, bool replaces)
{
    return (replaces ? QStringLiteral("将替换：") : QStringLiteral("将转换：")) + input +
           QStringLiteral(" → ") + output;
}
// Library mode's closing line: how many files converted, were up to date, failed.
inline QString librarySummary(qsizetype converted, qsizetype skipped, qsizetype failed)
{
    return QStringLiteral("完成 %1，跳过 %2，失败 %3").arg(converted).arg(skipped).arg(failed);
}
// A dry run's closing line.
inline QString dryRunSummary(qsizetype planned, qsizetype skipped, qsizetype failed)
{
    return QStringLiteral("将转换 %1，跳过 %2，失败 %3").arg(planned).arg(skipped).arg(failed);
}
// A failed file, before the run's failure line.
inline QString failedPrefix()
{
    return QStringLiteral("失败：");
}
inline QString unknownOption()
{
    return QStringLiteral("未知选项：");
}
inline QString missingValue(const QString &option)
{
    return QStringLiteral("选项 ") + option + QStringLiteral(" 缺少取值");
}
inline QString badValue(const QString &option, const QString &value)
{
    return QStringLiteral("选项 ") + option + QStringLiteral(" 的取值无效：") + value;
}
// A long option without a value, given one: "--library=yes".
inline QString valueNotTaken(const QString &option)
{
    return QStringLiteral("选项 ") + option + QStringLiteral(" 不带取值");
}
inline QString dryRunWithoutLibrary()
{
    return QStringLiteral("选项 -n 只能与 -L 一起使用");
}
inline QString noInput()
{
    return QStringLiteral("没有给出要转换的文件或文件夹");
}

} // namespace BatchTexts
