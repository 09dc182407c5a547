#include "conversion/recipes.h"

#include "runner/commandlinetext.h"
#include "shell/appdirs.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace Recipes {

namespace {

using CommandLineText::quote;
using CommandLineText::quoteIfNeeded;

QString chosen(const NameChooser &chooseName, const QString &wanted)
{
    return chooseName ? chooseName(wanted) : wanted;
}

// The tool's path as the command line gives it: quoted, like a working path, when it holds a blank,
// so that only the tool itself can be the program.
QString program(const RecipeInput &in, const QString &tool)
{
    return quoteIfNeeded(toolPath(in.programFolder, tool));
}

bool isOriginalSize(const EncodingSettings &settings)
{
    return settings.size == FormatTable::originalSize();
}

// The longest file name the file systems take, counted in bytes of its UTF-8 form.
constexpr qsizetype MaxNameBytes = 255;

qsizetype utf8Size(QStringView text)
{
    return text.toUtf8().size();
}

// The longest start of text that takes at most maxBytes in UTF-8, cut between whole characters.
QString leftBytes(const QString &text, qsizetype maxBytes)
{
    qsizetype end = 0;
    qsizetype bytes = 0;
    while (end < text.size()) {
        const bool pair =
            text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        bytes += utf8Size(QStringView(text).mid(end, length));
        if (bytes > maxBytes)
            break;
        end += length;
    }
    return text.left(end);
}

// base + tail as a file name; the base gives way when the whole would be too long.
QString fittedName(const QString &base, const QString &tail)
{
    return leftBytes(base, MaxNameBytes - utf8Size(tail)) + tail;
}

bool isTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// conv writing the intermediate: MPEG-4 video at 1200 kbit/s and MP3 audio in AVI, whatever the settings.
ToolCommand intermediateCommand(const RecipeInput &in)
{
    const QString line = program(in, ToolName::conv()) + QLatin1Char(' ') + quote(in.inputPath) +
                         QStringLiteral(" -oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts "
                                        "vcodec=mpeg4:vbitrate=1200 -of avi -o ") +
                         quoteIfNeeded(in.work.intermediate);
    return {line, in.work.intermediate, ToolName::conv()};
}

// MPG and AVI share one recipe; conv picks the container from the extension.
ToolCommand mpegCommand(OutputFormat format, const RecipeInput &in, const NameChooser &chooseName)
{
    const EncodingSettings &s = in.settings;
    const QString out = chosen(chooseName, outputPath(format, in.inputPath, in.outputFolder, in.clock));
    const QString line = program(in, ToolName::conv()) + QLatin1Char(' ') + quote(in.inputPath) +
                         QStringLiteral(" -oac lavc -lavcopts acodec=mp2:abitrate=") + s.audioBitrate +
                         QStringLiteral(" -ovc lavc -lavcopts vcodec=mpeg1video:vbitrate=") + s.videoBitrate +
                         QStringLiteral(":vpass=1 -ofps ") + s.frameRate +
                         QStringLiteral(" -of lavf -lavfopts format=yuv4mpeg -o ") + quote(out);
    return {line, out, ToolName::conv()};
}

// HD MP4: the audio bitrate box gives the LAME preset.
ToolCommand hdMp4Command(const RecipeInput &in, const NameChooser &chooseName)
{
    const EncodingSettings &s = in.settings;
    const QString out =
        chosen(chooseName, outputPath(OutputFormat::HdMp4, in.inputPath, in.outputFolder, in.clock));
    const QString line = program(in, ToolName::conv()) + QLatin1Char(' ') + quote(in.inputPath) +
                         QStringLiteral(" -oac mp3lame -lameopts preset=") + s.audioBitrate +
                         QStringLiteral(" -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=") + s.videoBitrate +
                         QStringLiteral(" -of avi -o ") + quote(out);
    return {line, out, ToolName::conv()};
}

// The options between "-y " and the output path of a second stage.
QString secondStageOptions(OutputFormat format, const EncodingSettings &s)
{
    const bool original = isOriginalSize(s);
    switch (format) {
    case OutputFormat::Rmvb:
    case OutputFormat::Rm:
        // The original-size piece fixes its rates and has two blanks after "-f rm"; tools do not mind.
        if (original)
            return QStringLiteral("-vcodec rv10 -b 1200k -f rm  -ab 128k -ac 2");
        return QStringLiteral("-s ") + s.size + QStringLiteral(" -vcodec rv10 -b ") + s.videoBitrate +
               QStringLiteral("k -f rm -ar ") + s.sampleRate + QStringLiteral(" -ab ") + s.audioBitrate +
               QStringLiteral("k -ac ") + channelCount(s.channelIndex);
    case OutputFormat::Mov:
        if (original)
            return QStringLiteral("-ac 2 -ar 48000 -ab 128k");
        return QStringLiteral("-s ") + s.size + QStringLiteral(" -ac 2 -ar 48000 -ab 128k");
    case OutputFormat::MobileMp4:
    case OutputFormat::ThreeGp:
        // Phones want a small frame: the original-size variant still scales to 320x240.
        return QStringLiteral("-s ") + (original ? QStringLiteral("320x240") : s.size) +
               QStringLiteral(" -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k");
    case OutputFormat::Mpg:
    case OutputFormat::Avi:
    case OutputFormat::HdMp4:
    case OutputFormat::Mp3:
        break;
    }
    return {};
}

} // namespace

QString baseName(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

QString timeStamp(const QTime &time)
{
    return QString::number(time.hour()) + QString::number(time.minute()) + QString::number(time.second());
}

QString channelCount(int channelIndex)
{
    return QString::number(channelIndex < 0 ? 0 : channelIndex + 1);
}

QString toolPath(const QString &programFolder, const QString &toolName)
{
    return programFolder + QStringLiteral("/data/") + toolName;
}

QString outputPath(OutputFormat format, const QString &inputPath, const QString &outputFolder,
                   const QTime &time)
{
    const QChar joint = format == OutputFormat::Mp3 ? QLatin1Char('_') : QLatin1Char('-');
    return outputFolder +
           fittedName(baseName(inputPath), joint + timeStamp(time) + FormatTable::extension(format));
}

ToolCommand stage(OutputFormat format, int index, const RecipeInput &in, const NameChooser &chooseName)
{
    if (format == OutputFormat::Mp3) {
        switch (index) {
        case 0:
            return soxDecode(in);
        case 1:
            return durationProbe(in);
        case 2:
            return mp3Encode(in, chooseName);
        default:
            return {};
        }
    }
    if (index == 0)
        return firstStage(format, in, chooseName);
    if (index == 1)
        return secondStage(format, in, chooseName);
    return {};
}

ToolCommand firstStage(OutputFormat format, const RecipeInput &in, const NameChooser &chooseName)
{
    switch (format) {
    case OutputFormat::Rmvb:
    case OutputFormat::Rm:
    case OutputFormat::Mov:
    case OutputFormat::MobileMp4:
    case OutputFormat::ThreeGp:
        return intermediateCommand(in);
    case OutputFormat::Mpg:
    case OutputFormat::Avi:
        return mpegCommand(format, in, chooseName);
    case OutputFormat::HdMp4:
        return hdMp4Command(in, chooseName);
    case OutputFormat::Mp3:
        break;
    }
    return {};
}

ToolCommand secondStage(OutputFormat format, const RecipeInput &in, const NameChooser &chooseName)
{
    if (!FormatTable::isTwoStage(format))
        return {};
    const QString tool = FormatTable::stageTools(format).constLast();
    const QString out = chosen(chooseName, outputPath(format, in.inputPath, in.outputFolder, in.clock));
    const QString line = program(in, tool) + QStringLiteral(" -i ") + quoteIfNeeded(in.work.intermediate) +
                         QStringLiteral(" -y ") + secondStageOptions(format, in.settings) + QLatin1Char(' ') +
                         quote(out);
    return {line, out, tool};
}

ToolCommand soxDecode(const RecipeInput &in)
{
    const QString line = program(in, ToolName::sox()) + QLatin1Char(' ') + quote(in.inputPath) +
                         QLatin1Char(' ') + quoteIfNeeded(in.work.probeWav);
    return {line, in.work.probeWav, ToolName::sox()};
}

ToolCommand durationProbe(const RecipeInput &in)
{
    // Names no output: the tool prints the "Duration: " line and stops.
    const QString line =
        program(in, ToolName::coder()) + QStringLiteral(" -i ") + quoteIfNeeded(in.work.probeWav);
    return {line, QString(), ToolName::coder()};
}

ToolCommand mp3Encode(const RecipeInput &in, const NameChooser &chooseName)
{
    const EncodingSettings &s = in.settings;
    const QString out =
        chosen(chooseName, outputPath(OutputFormat::Mp3, in.inputPath, in.outputFolder, in.clock));
    const QString line = program(in, ToolName::coder()) + QStringLiteral(" -i ") + quote(in.inputPath) +
                         QStringLiteral(" -y -vn -ar ") + s.sampleRate + QStringLiteral(" -ab ") +
                         s.audioBitrate + QStringLiteral("k -ac ") + channelCount(s.channelIndex) +
                         QLatin1Char(' ') + quote(out);
    return {line, out, ToolName::coder()};
}

QString freeOutputName(const QString &path)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= nameStart)
        dot = path.size();
    const QString stem = path.mid(nameStart, dot - nameStart);
    // The time stamp stays whole; only the base before it gives way to a copy number.
    static const QRegularExpression stampAtEnd(QStringLiteral("[-_][0-9]+$"));
    const qsizetype stamp = stampAtEnd.match(stem).capturedStart();
    const qsizetype baseEnd = stamp < 0 ? stem.size() : stamp;
    const QString folder = path.left(nameStart);
    const QString base = stem.left(baseEnd);
    const QString tail = stem.mid(baseEnd);
    const QString suffix = path.mid(dot);
    for (int n = 1;; ++n) {
        const QString copy = n == 1 ? QString() : QStringLiteral(" (%1)").arg(n);
        const QString candidate = folder + fittedName(base, tail + copy + suffix);
        if (!isTaken(candidate))
            return candidate;
    }
}

} // namespace Recipes

WorkPaths WorkPaths::standard()
{
    return {AppDirs::intermediatePath(), AppDirs::probeWavPath()};
}
