#include "batch/batchoptionlist.h"

#include <QCoreApplication>

namespace {

using Kind = BatchOption::Kind;

BatchOption own(Kind kind, char16_t letter, QStringView longName, QStringView valueName,
                const char *usageText, bool libraryOnly = false)
{
    return {kind, letter, longName.toString(), valueName, usageText, libraryOnly};
}

// A program option's form that sets it to `value`: --name, or --no-name for 0.
BatchOption programForm(const ProgramOption &option, qint64 value, const char *usageText)
{
    const bool negated = option.reading == ProgramOption::Reading::Switch && value == 0;
    return {Kind::Program,
            negated ? char16_t(0) : option.letter,
            (negated ? QStringLiteral("no-") : QString()) + option.longName.toString(),
            option.valueName,
            usageText,
            option.libraryOnly,
            &option,
            value};
}

// The program's options that tunoxa-batch takes, with or without -L, in the order of the table. A
// switch is listed in the form that changes it from its default; one that is on by default also
// takes --name, which the usage leaves out.
void addProgramOptions(QList<BatchOption> &options, QList<BatchOption> &unlisted, bool libraryOnly)
{
    for (const ProgramOption &option : ProgramOptions::all()) {
        if (option.longName.isEmpty() || option.libraryOnly != libraryOnly)
            continue;
        if (option.reading != ProgramOption::Reading::Switch) {
            options.append(programForm(option, 0, option.usageText));
            continue;
        }
        const qint64 changed = option.defaultValue() == 0 ? 1 : 0;
        options.append(programForm(option, changed, option.usageText));
        if (changed == 0)
            unlisted.append(programForm(option, 1, nullptr));
    }
}

QList<BatchOption> everyOption()
{
    QList<BatchOption> options{
        own(Kind::Format, u'f', u"format", u"FORMAT",
            QT_TRANSLATE_NOOP("BatchCommandLine", "输出格式：%1（默认 %2）")),
        own(Kind::Bitrate, u'b', u"bitrate", u"KBIT", QT_TRANSLATE_NOOP("BatchCommandLine", "音频比特率")),
        own(Kind::Rate, u'r', u"rate", u"HZ", QT_TRANSLATE_NOOP("BatchCommandLine", "采样率")),
        own(Kind::Channels, u'c', u"channels", u"1|2",
            QT_TRANSLATE_NOOP("BatchCommandLine", "声道：1 单声道，2 双声道")),
        own(Kind::VideoBitrate, u'v', u"video-bitrate", u"KBIT",
            QT_TRANSLATE_NOOP("BatchCommandLine", "视频比特率")),
        own(Kind::Size, u's', u"size", u"WxH",
            QT_TRANSLATE_NOOP("BatchCommandLine", "画面大小，或 original（原始大小）")),
        own(Kind::Fps, u'F', u"fps", u"FPS", QT_TRANSLATE_NOOP("BatchCommandLine", "帧率")),
        own(Kind::Output, u'o', u"output", u"FOLDER",
            QT_TRANSLATE_NOOP("BatchCommandLine", "输出文件夹（默认当前文件夹）")),
    };
    QList<BatchOption> unlisted;
    addProgramOptions(options, unlisted, false);
    options.append(own(Kind::NoCue, 0, u"no-cue", {},
                       QT_TRANSLATE_NOOP("BatchCommandLine", "整轨文件不按 CUE 表分轨，整个转换")));
    options.append(
        own(Kind::CueEncoding, 0, u"cue-encoding", u"NAME",
            QT_TRANSLATE_NOOP("BatchCommandLine", "CUE 表的编码（如 GBK、Big5、Shift_JIS），不自动识别")));
    options.append(
        own(Kind::DryRun, u'n', u"dry-run", {},
            QT_TRANSLATE_NOOP("BatchCommandLine",
                              "只列出 -L 将转换、替换、更新标签、移动、跳过和删除的文件，不写任何文件"),
            true));
    addProgramOptions(options, unlisted, true);
    options.append(own(Kind::Help, u'h', u"help", {}, QT_TRANSLATE_NOOP("BatchCommandLine", "显示本说明")));
    options.append(own(Kind::Version, 0, u"version", {}, QT_TRANSLATE_NOOP("BatchCommandLine", "显示版本")));
    return options + unlisted;
}

} // namespace

namespace BatchOptionList {

const QList<BatchOption> &all()
{
    static const QList<BatchOption> options = everyOption();
    return options;
}

} // namespace BatchOptionList
