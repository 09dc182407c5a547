#include "conversion/recipes.h"

#include "conversion/formatfacts.h"
#include "library/librarypaths.h"

#include "platform/appdirs.h"
#include "runner/commandlinetext.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

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
    return FormatTable::keepsOriginalSize(settings.size);
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
    // Every character takes at most three bytes per UTF-16 unit: most names fit without counting.
    if (text.size() * 3 <= maxBytes || utf8Size(text) <= maxBytes)
        return text;
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

bool isTaken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The settings the options of a stage can name, by their place names.
struct Place
{
    QStringView name;
    QString (*value)(const EncodingSettings &);
};

constexpr Place places[] = {
    {u"videoBitrate", [](const EncodingSettings &s) { return s.videoBitrate; }},
    {u"frameRate", [](const EncodingSettings &s) { return s.frameRate; }},
    {u"size", [](const EncodingSettings &s) { return s.size; }},
    {u"sampleRate", [](const EncodingSettings &s) { return s.sampleRate; }},
    {u"audioBitrate", [](const EncodingSettings &s) { return s.audioBitrate; }},
    {u"channels", [](const EncodingSettings &s) { return channelCount(s.channelIndex); }},
};

QString placeValue(QStringView name, const EncodingSettings &s)
{
    for (const Place &place : places) {
        if (place.name == name)
            return place.value(s);
    }
    return {};
}

// The stage's options for the current size, each {place} replaced by its setting.
QString stageOptions(const StageFacts &stage, const RecipeInput &in)
{
    const EncodingSettings &s = in.settings;
    QStringView options =
        stage.resizedOptions.isNull() || isOriginalSize(s) ? stage.options : stage.resizedOptions;
    if (in.keepCover && !stage.coverOptions.isNull())
        options = in.coverFile.isEmpty() || stage.coverFileOptions.isNull() ? stage.coverOptions
                                                                            : stage.coverFileOptions;
    return filledOptions(options, s);
}

// The path of a stage file; the final output is the one the chooser picks.
QString filePath(StageFile file, OutputFormat format, const RecipeInput &in, const NameChooser &chooseName)
{
    switch (file) {
    case StageFile::None:
        break;
    case StageFile::Input:
        return in.inputPath;
    case StageFile::Intermediate:
        return in.work.intermediate;
    case StageFile::ProbeWav:
        return in.work.probeWav;
    case StageFile::Output:
        return chosen(chooseName, outputPath(format, in.inputPath, in.outputFolder, in.clock, in.plainName,
                                             in.fatSafeNames));
    }
    return {};
}

// The path as the command line gives it: the input and output always quoted, so that splitting the
// line gives them back exactly, the working files only when they need it.
QString pathArgument(StageFile file, const QString &path)
{
    return file == StageFile::Input || file == StageFile::Output ? quote(path) : quoteIfNeeded(path);
}

// MEncoder's start and length after the input (FFmpeg's syntax is Recipes::coderCut).
QString convCut(const CutRange *cut)
{
    if (!cut)
        return {};
    QString options = QStringLiteral(" -ss ") + QString::number(cut->startSeconds);
    if (cut->endSeconds > 0)
        options += QStringLiteral(" -endpos ") + QString::number(qint64(cut->endSeconds) - cut->startSeconds);
    return options;
}

ToolCommand command(OutputFormat format, const StageFacts &stage, const RecipeInput &in,
                    const NameChooser &chooseName)
{
    const CutRange *cut = stage.source == StageFile::Input && in.cut ? &*in.cut : nullptr;
    const QString tool = stage.tool.toString();
    const QString source = pathArgument(stage.source, filePath(stage.source, format, in, chooseName));
    const QString target = filePath(stage.target, format, in, chooseName);
    QString line = program(in, tool);
    switch (stage.kind) {
    case StageKind::Conv:
        line += QLatin1Char(' ') + source + convCut(cut) + QLatin1Char(' ') + stageOptions(stage, in) +
                QStringLiteral(" -o ") + pathArgument(stage.target, target);
        break;
    case StageKind::Coder: {
        const bool readsDecode = stage.source == StageFile::Input && !in.readFrom.isEmpty();
        if (!stage.flacSourceOptions.isNull() && stage.source == StageFile::Input && !readsDecode &&
            in.inputPath.endsWith(QLatin1StringView(".flac"), Qt::CaseInsensitive))
            line += QLatin1Char(' ') + stage.flacSourceOptions.toString();
        line += Recipes::coderCut(cut) + QStringLiteral(" -i ") +
                (readsDecode ? quoteIfNeeded(in.readFrom) : source);
        int inputs = 1;
        if (in.keepCover && !in.coverFile.isEmpty() && !stage.coverFileOptions.isNull()) {
            line += QStringLiteral(" -i ") + quote(in.coverFile);
            ++inputs;
        }
        QString metadata;
        if (stage.target == StageFile::Output && !in.metadataFile.isEmpty()) {
            line += QStringLiteral(" -i ") + quoteIfNeeded(in.metadataFile);
            metadata = QStringLiteral(" -map_metadata 0 -map_metadata %1").arg(inputs);
        }
        if (stage.target == StageFile::Output)
            metadata += Recipes::libraryTagOptions(in, FormatTable::container(format));
        if (stage.target != StageFile::None)
            line += QStringLiteral(" -y ") + stageOptions(stage, in) + metadata + QLatin1Char(' ') +
                    pathArgument(stage.target, target);
        break;
    }
    case StageKind::Sox:
        line += QLatin1Char(' ') + source + QLatin1Char(' ') + pathArgument(stage.target, target);
        break;
    }
    return {CommandLineText::command(line), target, tool};
}

} // namespace

QString coderCut(const CutRange *cut)
{
    if (!cut)
        return {};
    QString options = QStringLiteral(" -ss ") + QString::number(cut->startSeconds);
    if (cut->endSeconds > 0)
        options += QStringLiteral(" -to ") + QString::number(cut->endSeconds);
    return options;
}

PathParts PathParts::of(const QString &path)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= nameStart)
        dot = path.size();
    return {path.left(nameStart), path.mid(nameStart, dot - nameStart), path.mid(dot)};
}

QString baseName(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

QString fittedName(const QString &base, const QString &tail)
{
    return leftBytes(base, MaxNameBytes - utf8Size(tail)) + tail;
}

QString timeStamp(const QTime &time)
{
    return QString::number(time.hour()) + QString::number(time.minute()) + QString::number(time.second());
}

QString filledOptions(QStringView options, const EncodingSettings &settings)
{
    // A setting goes in as it is: braces in it are not places.
    QString text;
    qsizetype from = 0;
    for (qsizetype open = options.indexOf(u'{'); open >= 0; open = options.indexOf(u'{', from)) {
        const qsizetype close = options.indexOf(u'}', open);
        text += options.mid(from, open - from);
        text += placeValue(options.mid(open + 1, close - open - 1), settings);
        from = close + 1;
    }
    text += options.mid(from);
    return text;
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
                   const QTime &time, bool plain, bool fatSafe)
{
    const FormatFacts &row = FormatTable::facts(format);
    const QString stamp = plain ? QString() : QChar(row.nameJoint) + timeStamp(time);
    const QString base = fatSafe ? LibraryPaths::fatSafeName(baseName(inputPath)) : baseName(inputPath);
    return outputFolder + fittedName(base, stamp + row.extension.toString());
}

ToolCommand stage(OutputFormat format, int index, const RecipeInput &in, const NameChooser &chooseName)
{
    const std::span<const StageFacts> stages = FormatTable::facts(format).stages;
    if (index < 0 || index >= int(stages.size()))
        return {};
    return command(format, stages[index], in, chooseName);
}

ToolCommand firstStage(OutputFormat format, const RecipeInput &in, const NameChooser &chooseName)
{
    if (FormatTable::facts(format).stages.front().kind != StageKind::Conv)
        return {};
    return stage(format, 0, in, chooseName);
}

ToolCommand secondStage(OutputFormat format, const RecipeInput &in, const NameChooser &chooseName)
{
    if (!FormatTable::isTwoStage(format))
        return {};
    return stage(format, 1, in, chooseName);
}

// The MP3 stages run in this order: decode, probe, encode.
ToolCommand soxDecode(const RecipeInput &in)
{
    return stage(OutputFormat::Mp3, 0, in);
}

ToolCommand durationProbe(const RecipeInput &in)
{
    return stage(OutputFormat::Mp3, 1, in);
}

ToolCommand mp3Encode(const RecipeInput &in, const NameChooser &chooseName)
{
    return stage(OutputFormat::Mp3, 2, in, chooseName);
}

ToolCommand outputProbe(const RecipeInput &in, const QString &outputPath)
{
    const QString tool = ToolName::coder.toString();
    return {CommandLineText::command(program(in, tool) + QStringLiteral(" -i ") + quote(in.inputPath) +
                                     QStringLiteral(" -i ") + quote(outputPath)),
            QString(), tool};
}

QString freeOutputName(const QString &path)
{
    const auto [folder, stem, suffix] = PathParts::of(path);
    // The time stamp stays whole; only the base before it gives way to a copy number.
    static const QRegularExpression stampAtEnd(QStringLiteral("[-_][0-9]+$"));
    const qsizetype stamp = stampAtEnd.match(stem).capturedStart();
    const qsizetype baseEnd = stamp < 0 ? stem.size() : stamp;
    const QString base = stem.left(baseEnd);
    const QString tail = stem.mid(baseEnd);
    for (int n = 1;; ++n) {
        const QString copy = n == 1 ? QString() : QStringLiteral(" (%1)").arg(n);
        const QString candidate = folder + fittedName(base, tail + copy + suffix);
        if (!isTaken(candidate))
            return candidate;
    }
}

} // namespace Recipes
