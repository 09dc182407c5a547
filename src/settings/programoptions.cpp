#include "settings/programoptions.h"

#include <QCoreApplication>

#include <array>
#include <type_traits>

namespace {

using Reading = ProgramOption::Reading;

constexpr std::array<ProgramOption, 9> options{{
    {.field = &ProgramSettings::soundChoice,
     .reading = Reading::Code,
     .alwaysWritten = true,
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "转换完毕声音提示")},
    {.field = &ProgramSettings::cutter,
     .reading = Reading::Code,
     .alwaysWritten = true,
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "Music Cutter")},
    {.field = &ProgramSettings::cutStartSeconds,
     .reading = Reading::Seconds,
     .alwaysWritten = true,
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "开始")},
    {.field = &ProgramSettings::cutEndSeconds,
     .reading = Reading::Seconds,
     .alwaysWritten = true,
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "结束")},
    {.field = &ProgramSettings::simultaneousFiles,
     .reading = Reading::Clamped,
     .least = 1,
     .most = ProgramOption::processorCores,
     .letter = u'j',
     .longName = u"jobs",
     .valueName = u"N",
     .usageText = QT_TRANSLATE_NOOP("BatchCommandLine", "同时转换的文件数（默认 %1），最多 %2（处理器核数）"),
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "同时转换文件数")},
    {.field = &ProgramSettings::libraryMode,
     .reading = Reading::Switch,
     .most = 1,
     .letter = u'L',
     .longName = u"library",
     .usageText = QT_TRANSLATE_NOOP("BatchCommandLine",
                                    "音乐库模式：保留文件夹结构和封面，文件名不加时间，跳过已转换的文件"),
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "音乐库模式")},
    {.field = &ProgramSettings::deleteOrphans,
     .reading = Reading::Switch,
     .most = 1,
     .libraryOnly = true,
     .longName = u"delete",
     .usageText = QT_TRANSLATE_NOOP("BatchCommandLine", "删除来源已不在的输出文件"),
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "删除来源已不在的输出")},
    {.field = &ProgramSettings::coverEdge,
     .reading = Reading::Bounded,
     .most = 99999,
     .libraryOnly = true,
     .longName = u"cover-size",
     .valueName = u"PX",
     .usageText = QT_TRANSLATE_NOOP("BatchCommandLine", "封面最大边长，更大的封面缩小（默认 %1，0 为不限）"),
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "封面最大边长")},
    {.field = &ProgramSettings::fatNames,
     .reading = Reading::Switch,
     .most = 1,
     .libraryOnly = true,
     .longName = u"fat-names",
     .usageText = QT_TRANSLATE_NOOP("BatchCommandLine", "文件名保留 FAT 不能存的字符（默认改为\"_\"）"),
     .caption = QT_TRANSLATE_NOOP("OptionsDialog", "文件名兼容 FAT")},
}};

} // namespace

qint64 ProgramOption::value(const ProgramSettings &settings) const
{
    return std::visit([&settings](auto member) { return qint64(settings.*member); }, field);
}

void ProgramOption::assign(ProgramSettings &settings, qint64 value) const
{
    std::visit(
        [&settings, value](auto member) {
            using Value = std::remove_reference_t<decltype(settings.*member)>;
            settings.*member = Value(value);
        },
        field);
}

namespace ProgramOptions {

std::span<const ProgramOption> all()
{
    return options;
}

ProgramSettings inEffect(const ProgramSettings &settings)
{
    ProgramSettings taken = settings;
    if (!settings.libraryMode) {
        for (const ProgramOption &option : options) {
            if (option.libraryOnly)
                option.assign(taken, 0);
        }
    }
    return taken;
}

} // namespace ProgramOptions
