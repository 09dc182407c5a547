#include "conversion/formattable.h"

namespace FormatTable {

std::optional<OutputFormat> formatAt(int position)
{
    if (position < 0 || position >= formatCount)
        return std::nullopt;
    return static_cast<OutputFormat>(position);
}

QStringList formatEntries()
{
    return {QStringLiteral("RMVB(RealPlayerRMVB)"), QStringLiteral("RM(RealPlayerRM)"),
            QStringLiteral("MPG(MPEG2)"),           QStringLiteral("AVI(Windows Media Player格式)"),
            QStringLiteral("MP4(高清MPEG4格式)"),   QStringLiteral("MOV(QuickTime格式)"),
            QStringLiteral("MP4(手机MP4格式)"),     QStringLiteral("3GP(手机3GP格式)"),
            QStringLiteral("MP3(纯音频格式)")};
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
    return {QStringLiteral("单声道"), QStringLiteral("双声道")};
}

QString originalSize()
{
    return QStringLiteral("原始大小");
}

QString outputFormatCaption()
{
    return QStringLiteral("输出格式：");
}

QString mp3Caption()
{
    return QStringLiteral("MP3 - 音乐声音格式");
}

QString videoBitrateCaption()
{
    return QStringLiteral("视频比特率：");
}

QString frameRateCaption()
{
    return QStringLiteral("帧率：");
}

QString sizeCaption()
{
    return QStringLiteral("视频尺寸：");
}

QString sampleRateCaption()
{
    return QStringLiteral("声音频率：");
}

QString audioBitrateCaption()
{
    return QStringLiteral("声音比特率：");
}

QString channelCaption()
{
    return QStringLiteral("声道：");
}

QString outputPathCaption()
{
    return QStringLiteral("输出路径：");
}

FormatDefaults defaultsFor(OutputFormat format)
{
    // Several defaults ("1200", "24", "28000") are not list entries; the boxes show them as typed text.
    switch (format) {
    case OutputFormat::Rmvb:
    case OutputFormat::Rm:
        return {QStringLiteral("1200"),  QStringLiteral("29"),  originalSize(),
                QStringLiteral("44100"), QStringLiteral("320"), 1};
    case OutputFormat::Mpg:
    case OutputFormat::Avi:
        return {QStringLiteral("600"),   QStringLiteral("24"), originalSize(),
                QStringLiteral("28000"), QStringLiteral("64"), 1};
    case OutputFormat::HdMp4:
        return {QStringLiteral("1200"),  QStringLiteral("29"),  originalSize(),
                QStringLiteral("48000"), QStringLiteral("320"), 1};
    case OutputFormat::Mov:
        return {QStringLiteral("256"),   QStringLiteral("29"), originalSize(),
                QStringLiteral("48000"), QStringLiteral("64"), 1};
    case OutputFormat::MobileMp4:
    case OutputFormat::ThreeGp:
        return {QStringLiteral("128"),  QStringLiteral("29"),   QStringLiteral("320x240"),
                QStringLiteral("8000"), QStringLiteral("12.2"), 0};
    case OutputFormat::Mp3:
        // Audio only: the video boxes keep whatever they show.
        return {std::nullopt, std::nullopt, std::nullopt, QStringLiteral("48000"), QStringLiteral("320"), 1};
    }
    return {};
}

StartupPositions startupPositions()
{
    return {};
}

QString extension(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Rmvb:
        return QStringLiteral(".rmvb");
    case OutputFormat::Rm:
        return QStringLiteral(".rm");
    case OutputFormat::Mpg:
        return QStringLiteral(".mpg");
    case OutputFormat::Avi:
        return QStringLiteral(".avi");
    case OutputFormat::HdMp4:
    case OutputFormat::MobileMp4:
        return QStringLiteral(".mp4");
    case OutputFormat::Mov:
        return QStringLiteral(".mov");
    case OutputFormat::ThreeGp:
        return QStringLiteral(".3gp");
    case OutputFormat::Mp3:
        return QStringLiteral(".mp3");
    }
    return {};
}

bool isTwoStage(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Rmvb:
    case OutputFormat::Rm:
    case OutputFormat::Mov:
    case OutputFormat::MobileMp4:
    case OutputFormat::ThreeGp:
        return true;
    case OutputFormat::Mpg:
    case OutputFormat::Avi:
    case OutputFormat::HdMp4:
    case OutputFormat::Mp3:
        return false;
    }
    return false;
}

QStringList stageTools(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Rmvb:
    case OutputFormat::Rm:
    case OutputFormat::Mov:
        return {ToolName::conv(), ToolName::coder()};
    case OutputFormat::MobileMp4:
    case OutputFormat::ThreeGp:
        return {ToolName::conv(), ToolName::coder2()};
    case OutputFormat::Mpg:
    case OutputFormat::Avi:
    case OutputFormat::HdMp4:
        return {ToolName::conv()};
    case OutputFormat::Mp3:
        return {ToolName::sox(), ToolName::coder(), ToolName::coder()};
    }
    return {};
}

} // namespace FormatTable

namespace ToolName {

QString conv()
{
    return QStringLiteral("conv");
}

QString coder()
{
    return QStringLiteral("coder");
}

QString coder2()
{
    return QStringLiteral("coder2");
}

QString sox()
{
    return QStringLiteral("sox");
}

} // namespace ToolName
