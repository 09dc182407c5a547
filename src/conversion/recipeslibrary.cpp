#include "conversion/recipes.h"

#include "conversion/formatfacts.h"
#include "library/containerfacts.h"

// Library mode's commands that keep an output's audio and write its tags anew.

using namespace Qt::StringLiterals;

namespace Recipes {

namespace {

QString coderProgram(const RecipeInput &in)
{
    return toolPath(in.programFolder, ToolName::coder.toString());
}

// Only the source's header is wanted (tags and pictures), not its frames.
QStringList sourceHeaderInput(const RecipeInput &in)
{
    return {u"-probesize"_s, u"32"_s, u"-analyzeduration"_s, u"0"_s, u"-i"_s, in.inputPath};
}

} // namespace

QStringList libraryTagOptions(const RecipeInput &in, AudioContainer container)
{
    QStringList options;
    const ContainerFacts *row = ContainerTable::facts(container);
    if (in.range)
        options << u"-map_chapters"_s << u"-1"_s
                << (row ? filledOptions(row->partOptions, in.settings) : QStringList());
    for (const auto &[key, value] : in.tagOverrides)
        options << u"-metadata"_s << key + u'=' + value;
    if (!in.mark)
        return options;
    return row && row->markWay == ContainerFacts::MarkWay::EncoderTags ? options + in.mark->encoderOptions()
                                                                       : options;
}

ToolCommand retag(const RecipeInput &in)
{
    const QString tool = ToolName::coder.toString();
    QStringList arguments = sourceHeaderInput(in);
    arguments << u"-f"_s << u"lavfi"_s << u"-t"_s << u"0.05"_s << u"-i"_s << u"anullsrc=r=48000:cl=mono"_s;
    QStringList cover;
    if (in.keepCover)
        cover = {u"-map"_s, u"0:v?"_s};
    if (in.keepCover && !in.coverFile.isEmpty()) {
        arguments << u"-i"_s << in.coverFile;
        cover = {u"-map"_s, u"2:v"_s, u"-metadata:s:v"_s, u"comment=Cover (front)"_s};
    }
    arguments << u"-y"_s << u"-map"_s << u"1:a"_s << u"-frames:a"_s << u"1"_s << cover << u"-c:v"_s
              << u"copy"_s << u"-disposition:v"_s << u"attached_pic"_s << u"-map_metadata"_s << u"0"_s
              << u"-write_xing"_s << u"0"_s << libraryTagOptions(in) << in.work.tag;
    return {{coderProgram(in), arguments}, in.work.tag, tool};
}

ToolCommand remux(OutputFormat format, const RecipeInput &in, const QString &keptAudio,
                  const NameChooser &chooseName)
{
    const AudioContainer container = FormatTable::container(format);
    QStringList arguments = sourceHeaderInput(in);
    int inputs = 1;
    QStringList maps;
    const ContainerFacts *row = ContainerTable::facts(container);
    if (row && row->coverAsStream && in.keepCover) {
        if (in.coverFile.isEmpty()) {
            maps = {u"-map"_s, u"0:v?"_s};
        } else {
            arguments << u"-i"_s << in.coverFile;
            maps = {u"-map"_s, QStringLiteral("%1:v").arg(inputs++)};
        }
        maps << u"-c:v"_s << u"copy"_s << u"-disposition:v"_s << u"attached_pic"_s;
    }
    QStringList metadata{u"-map_metadata"_s, u"0"_s};
    if (!in.metadataFile.isEmpty()) {
        arguments << u"-i"_s << in.metadataFile;
        metadata << u"-map_metadata"_s << QString::number(inputs++);
    }
    const QString wanted =
        outputPath(format, in.inputPath, in.outputFolder, in.clock, in.plainName, in.fatSafeNames);
    const QString output = chooseName ? chooseName(wanted) : wanted;
    // The kept output's own tags go with its audio stream unless they are dropped.
    arguments << u"-i"_s << keptAudio << u"-y"_s << u"-map"_s << QStringLiteral("%1:a").arg(inputs)
              << u"-c:a"_s << u"copy"_s << maps << metadata << u"-map_metadata:s:a"_s << u"-1"_s
              << libraryTagOptions(in, container) << output;
    return {{coderProgram(in), arguments}, output, ToolName::coder.toString()};
}

} // namespace Recipes
