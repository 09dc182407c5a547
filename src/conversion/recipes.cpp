#include "conversion/recipes.h"

#include "conversion/formatfacts.h"
#include "library/librarypaths.h"

#include "platform/appdirs.h"
#include "runner/commandlinetext.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Recipes {

namespace {

QString chosen(const NameChooser &chooseName, const QString &wanted)
{
    return chooseName ? chooseName(wanted) : wanted;
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
QStringList stageOptions(const StageFacts &stage, const RecipeInput &in)
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
                                             in.fatSafeNames, in.outputStem));
    }
    return {};
}

// MEncoder's start and length after the input (FFmpeg's syntax is Recipes::coderCut).
QStringList convCut(const CutRange *cut)
{
    if (!cut)
        return {};
    QStringList options{u"-ss"_s, QString::number(cut->startSeconds)};
    if (cut->endSeconds > 0)
        options << u"-endpos"_s << QString::number(qint64(cut->endSeconds) - cut->startSeconds);
    return options;
}

// An argument of a stage's options with each {place} replaced by its setting; a setting goes in as it
// is: braces in it are not places.
QString filledPlaces(QStringView argument, const EncodingSettings &settings)
{
    QString text;
    qsizetype from = 0;
    for (qsizetype open = argument.indexOf(u'{'); open >= 0; open = argument.indexOf(u'{', from)) {
        const qsizetype close = argument.indexOf(u'}', open);
        text += argument.mid(from, open - from);
        text += placeValue(argument.mid(open + 1, close - open - 1), settings);
        from = close + 1;
    }
    text += argument.mid(from);
    return text;
}

ToolCommand command(OutputFormat format, const StageFacts &stage, const RecipeInput &in,
                    const NameChooser &chooseName)
{
    const CutRange *cut = stage.source == StageFile::Input && in.cut && !in.range ? &*in.cut : nullptr;
    const SampleRange *range = stage.source == StageFile::Input && in.range ? &*in.range : nullptr;
    const QString tool = stage.tool.toString();
    const QString source = filePath(stage.source, format, in, chooseName);
    const QString target = filePath(stage.target, format, in, chooseName);
    QStringList arguments;
    switch (stage.kind) {
    case StageKind::Conv:
        arguments << source << convCut(cut) << stageOptions(stage, in) << u"-o"_s << target;
        break;
    case StageKind::Coder: {
        const bool readsDecode = stage.source == StageFile::Input && !in.readFrom.isEmpty();
        if (!stage.flacSourceOptions.isNull() && stage.source == StageFile::Input && !readsDecode &&
            in.inputPath.endsWith(QLatin1StringView(".flac"), Qt::CaseInsensitive))
            arguments << CommandLineText::splitArguments(stage.flacSourceOptions);
        arguments << Recipes::coderCut(cut) << (range && !readsDecode ? coderRange(*range) : QStringList())
                  << u"-i"_s << (readsDecode ? in.readFrom : source);
        int inputs = 1;
        if (in.keepCover && !in.coverFile.isEmpty() && !stage.coverFileOptions.isNull()) {
            arguments << u"-i"_s << in.coverFile;
            ++inputs;
        }
        QStringList metadata;
        if (stage.target == StageFile::Output && !in.metadataFile.isEmpty()) {
            arguments << u"-i"_s << in.metadataFile;
            metadata << u"-map_metadata"_s << u"0"_s << u"-map_metadata"_s << QString::number(inputs);
        }
        if (stage.target == StageFile::Output)
            metadata << Recipes::libraryTagOptions(in, FormatTable::container(format));
        QStringList options = stageOptions(stage, in);
        // Timestamps counted afresh from the samples lose a track's last sample to rounding after a
        // seek; a part keeps the decoder's own, from its start.
        if (range) {
            std::replace(options.begin(), options.end(), u"asetpts=N/SR/TB"_s, u"asetpts=PTS-STARTPTS"_s);
            // A resampler may make one sample more of a part than its share of the whole: the
            // output ends where the whole's samples at the output's rate say.
            if (stage.target == StageFile::Output)
                options << outputRange(*range, format, in.settings);
        }
        if (stage.target != StageFile::None)
            arguments << u"-y"_s << options << metadata << target;
        break;
    }
    case StageKind::Sox:
        arguments << source << target;
        if (range)
            arguments << u"trim"_s << QString::number(range->start) + u's'
                      << QString::number(range->end - range->start) + u's';
        break;
    }
    return {{toolPath(in.programFolder, tool), arguments}, target, tool};
}

} // namespace

QStringList coderRange(const SampleRange &range)
{
    return {u"-ss"_s, microsecondsText(range.start, range.rate), u"-t"_s,
            microsecondsText(range.end - range.start, range.rate)};
}

QStringList outputRange(const SampleRange &range, OutputFormat format, const EncodingSettings &settings)
{
    const QString fixed = FormatTable::fixedSampleRate(format);
    const qint64 rate = (fixed.isEmpty() ? settings.sampleRate : fixed).toLongLong();
    if (rate <= 0 || range.rate <= 0)
        return {};
    const auto at = [&range, rate](qint64 sample) {
        return (2 * sample * rate + range.rate) / (2 * range.rate);
    };
    return {u"-t"_s, microsecondsText(at(range.end) - at(range.start), rate)};
}

QString microsecondsText(qint64 samples, qint64 rate)
{
    const qint64 us = (samples * 1000000 + rate / 2) / rate;
    return QString::number(us / 1000000) + u'.' + QString::number(us % 1000000).rightJustified(6, u'0');
}

QStringList coderCut(const CutRange *cut)
{
    if (!cut)
        return {};
    QStringList options{u"-ss"_s, QString::number(cut->startSeconds)};
    if (cut->endSeconds > 0)
        options << u"-to"_s << QString::number(cut->endSeconds);
    return options;
}

PathParts PathParts::of(const QString &path)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart)
        dot = path.size();
    return {path.left(nameStart), path.mid(nameStart, dot - nameStart), path.mid(dot)};
}

QString baseName(const QString &path)
{
    return PathParts::of(path).stem;
}

QString fittedName(const QString &base, const QString &tail)
{
    return leftBytes(base, MaxNameBytes - utf8Size(tail)) + tail;
}

QString timeStamp(const QTime &time)
{
    return QString::number(time.hour()) + QString::number(time.minute()) + QString::number(time.second());
}

QStringList filledOptions(QStringView options, const EncodingSettings &settings)
{
    QStringList arguments = CommandLineText::splitArguments(options);
    for (QString &argument : arguments)
        argument = filledPlaces(argument, settings);
    return arguments;
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
                   const QTime &time, bool plain, bool fatSafe, const QString &stem)
{
    const FormatFacts &row = FormatTable::facts(format);
    const QString stamp = plain ? QString() : QChar(row.nameJoint) + timeStamp(time);
    const QString name = stem.isEmpty() ? baseName(inputPath) : stem;
    const QString base = fatSafe ? LibraryPaths::fatSafeName(name) : name;
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

ToolCommand referenceDecode(const RecipeInput &in)
{
    static constexpr StageFacts decode{
        StageKind::Sox, ToolName::sox, StageFile::Input, StageFile::ProbeWav, {}, {}};
    return command(OutputFormat::Mp3, decode, in, {});
}

ToolCommand outputProbe(const RecipeInput &in, const QString &outputPath)
{
    const QString tool = ToolName::coder.toString();
    return {
        {toolPath(in.programFolder, tool), {u"-i"_s, in.inputPath, u"-i"_s, outputPath}}, QString(), tool};
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
