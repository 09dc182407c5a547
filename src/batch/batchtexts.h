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
// A failed file, before the run's failure line.
inline QString failedPrefix()
{
    return QStringLiteral("失败：");
}
// A running file's bar.
inline QString converting()
{
    return QStringLiteral("转换中");
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
inline QString noInput()
{
    return QStringLiteral("没有给出要转换的文件或文件夹");
}

} // namespace BatchTexts
