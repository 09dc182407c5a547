#include "conversion/formattable.h"

#include "conversion/formatfacts.h"

#include <QCoreApplication>

#include <algorithm>

namespace FormatTable {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(FormatTable)
};

} // namespace

std::optional<OutputFormat> formatAt(int position)
{
    if (position < 0 || position >= formatCount)
        return std::nullopt;
    return static_cast<OutputFormat>(position);
}

QStringList formatEntries()
{
    QStringList entries;
    for (int position = 0; position < formatCount; ++position)
        entries.append(Texts::tr(facts(static_cast<OutputFormat>(position)).entry));
    return entries;
}

QStringList videoBitrateEntries()
{
    return {QStringLiteral("40"),   QStringLiteral("80"),  QStringLiteral("120"), QStringLiteral("128"),
            QStringLiteral("256"),  QStringLiteral("384"), QStringLiteral("512"), QStringLiteral("600"),
            QStringLiteral("640"),  QStringLiteral("768"), QStringLiteral("800"), QStringLiteral("900"),
            QStringLiteral("1000"), QStringLiteral("1500")};
}

QStringList frameRateEntries()
{
    return {QStringLiteral("15"), QStringLiteral("23"), QStringLiteral("29")};
}

QStringList sizeEntries()
{
    return {originalSize(),
            QStringLiteral("128x96"),
            QStringLiteral("160x120"),
            QStringLiteral("176x144"),
            QStringLiteral("320x180"),
            QStringLiteral("320x240"),
            QStringLiteral("352x288"),
            QStringLiteral("640x272"),
            QStringLiteral("480x480"),
            QStringLiteral("640x360"),
            QStringLiteral("640x480"),
            QStringLiteral("720x306"),
            QStringLiteral("720x320")};
}

QStringList sampleRateEntries()
{
    return {QStringLiteral("48000"), QStringLiteral("44100"), QStringLiteral("32000"),
            QStringLiteral("24000"), QStringLiteral("22050"), QStringLiteral("16000"),
            QStringLiteral("12050"), QStringLiteral("8000")};
}

QStringList audioBitrateEntries()
{
    return {QStringLiteral("10.2"), QStringLiteral("12.2"), QStringLiteral("32"),  QStringLiteral("48"),
            QStringLiteral("56"),   QStringLiteral("64"),   QStringLiteral("80"),  QStringLiteral("96"),
            QStringLiteral("112"),  QStringLiteral("128"),  QStringLiteral("192"), QStringLiteral("224"),
            QStringLiteral("256"),  QStringLiteral("320")};
}

QStringList channelEntries()
{
    return {Texts::tr("单声道"), Texts::tr("双声道")};
}

QString originalSize()
{
    return Texts::tr("原始大小");
}

bool keepsOriginalSize(const QString &sizeText)
{
    return sizeText == originalSizeText || sizeText == originalSize();
}

QString outputFormatCaption()
{
    return Texts::tr("输出格式：");
}

QString mp3Caption()
{
    return Texts::tr("MP3 - 音乐声音格式");
}

QString videoBitrateCaption()
{
    return Texts::tr("视频比特率：");
}

QString frameRateCaption()
{
    return Texts::tr("帧率：");
}

QString sizeCaption()
{
    return Texts::tr("视频尺寸：");
}

QString sampleRateCaption()
{
    return Texts::tr("声音频率：");
}

QString audioBitrateCaption()
{
    return Texts::tr("声音比特率：");
}

QString channelCaption()
{
    return Texts::tr("声道：");
}

QString outputPathCaption()
{
    return Texts::tr("输出路径：");
}

FormatDefaults defaultsFor(OutputFormat format)
{
    const DefaultFacts &d = facts(format).defaults;
    const auto text = [](QStringView view) -> std::optional<QString> {
        if (view.isNull())
            return std::nullopt;
        return view.toString();
    };
    // The original size is shown in the interface's language.
    const auto size = [&text](QStringView view) -> std::optional<QString> {
        return view == originalSizeText ? originalSize() : text(view);
    };
    return {text(d.videoBitrate),    text(d.frameRate),         size(d.size),
            d.sampleRate.toString(), d.audioBitrate.toString(), d.channelIndex};
}

EncodingSettings defaultSettings(OutputFormat format)
{
    const FormatDefaults d = defaultsFor(format);
    return {d.videoBitrate.value_or(QString()),
            d.frameRate.value_or(QString()),
            d.size.value_or(QString()),
            d.sampleRate,
            d.audioBitrate,
            d.channelIndex};
}

QString commandName(OutputFormat format)
{
    return facts(format).commandName.toString();
}

std::optional<OutputFormat> formatNamed(const QString &commandName)
{
    for (int position = 0; position < formatCount; ++position) {
        const OutputFormat format = static_cast<OutputFormat>(position);
        if (facts(format).commandName == commandName)
            return format;
    }
    return std::nullopt;
}

StartupPositions startupPositions()
{
    return {};
}

QString extension(OutputFormat format)
{
    return facts(format).extension.toString();
}

bool isTwoStage(OutputFormat format)
{
    return facts(format).stages.front().target == StageFile::Intermediate;
}

AudioContainer container(OutputFormat format)
{
    return facts(format).container;
}

AudioContainer containerOfPath(QStringView path)
{
    for (int position = 0; position < formatCount; ++position) {
        const FormatFacts &row = facts(static_cast<OutputFormat>(position));
        if (row.container != AudioContainer::None && path.endsWith(row.extension, Qt::CaseInsensitive))
            return row.container;
    }
    return AudioContainer::None;
}

bool encodesAtOnce(OutputFormat format, bool library)
{
    const FormatFacts &row = facts(format);
    return row.container != AudioContainer::None && (library || row.stages.size() == 1);
}

QString refusedSetting(OutputFormat format, const EncodingSettings &settings)
{
    const AudioLimits &limits = facts(format).limits;
    const QString name = limits.name.toString();
    if (limits.mostKbps > 0) {
        bool whole = false;
        const int kbps = settings.audioBitrate.toInt(&whole);
        if (!whole || kbps < limits.leastKbps || kbps > limits.mostKbps)
            //: %1 the format, %2 the bitrate refused, %3 and %4 the least and the most it takes
            return Texts::tr("%1 不能用 %2 kbit/s 的声音比特率（可用 %3–%4 kbit/s）")
                .arg(name, settings.audioBitrate)
                .arg(limits.leastKbps)
                .arg(limits.mostKbps);
    }
    if (!takesSampleRate(format, settings.sampleRate)) {
        QStringList rates;
        for (const int taken : limits.sampleRates)
            rates.append(QString::number(taken));
        //: %1 the format, %2 the sample rate refused, %3 the rates it takes
        return Texts::tr("%1 不能用 %2 Hz 的声音频率（可用 %3 Hz）")
            .arg(name, settings.sampleRate, rates.join(Texts::tr("、")));
    }
    return {};
}

bool takesSampleRate(OutputFormat format, const QString &rate)
{
    const std::span<const int> rates = facts(format).limits.sampleRates;
    bool whole = false;
    const int value = rate.toInt(&whole);
    return rates.empty() || (whole && std::ranges::find(rates, value) != rates.end());
}

QString fixedSampleRate(OutputFormat format)
{
    const std::span<const int> rates = facts(format).limits.sampleRates;
    return rates.size() == 1 ? QString::number(rates.front()) : QString();
}

QStringList stageTools(OutputFormat format)
{
    QStringList tools;
    for (const StageFacts &stage : facts(format).stages)
        tools.append(stage.tool.toString());
    return tools;
}

} // namespace FormatTable
