#include "conversion/recipes.h"

#include "conversion/formatfacts.h"
#include "runner/commandlinetext.h"

// Library mode's commands that keep an output's audio and write its tags anew.

namespace Recipes {

namespace {

using CommandLineText::quote;
using CommandLineText::quoteIfNeeded;

QString coderProgram(const RecipeInput &in)
{
    return quoteIfNeeded(toolPath(in.programFolder, ToolName::coder.toString()));
}

} // namespace

QString libraryTagOptions(const RecipeInput &in, AudioContainer container)
{
    if (!in.mark)
        return {};
    QString options;
    for (const auto &[key, value] : in.tagOverrides)
        options += QStringLiteral(" -metadata ") + quote(key + u'=' + value);
    return container == AudioContainer::Mp3 ? options + in.mark->encoderOptions() : options;
}

ToolCommand retag(const RecipeInput &in)
{
    const QString tool = ToolName::coder.toString();
    // Only the source's header is wanted (tags and pictures), not its frames.
    QString line = coderProgram(in) + QStringLiteral(" -probesize 32 -analyzeduration 0 -i ") +
                   quote(in.inputPath) + QStringLiteral(" -f lavfi -t 0.05 -i anullsrc=r=48000:cl=mono");
    QString cover = in.keepCover ? QStringLiteral(" -map 0:v?") : QString();
    if (in.keepCover && !in.coverFile.isEmpty()) {
        line += QStringLiteral(" -i ") + quote(in.coverFile);
        cover = QStringLiteral(" -map 2:v -metadata:s:v \"comment=Cover (front)\"");
    }
    line += QStringLiteral(" -y -map 1:a -frames:a 1") + cover +
            QStringLiteral(" -c:v copy -disposition:v attached_pic -map_metadata 0 -write_xing 0");
    return {CommandLineText::command(line + libraryTagOptions(in) + QLatin1Char(' ') + quoteIfNeeded(in.work.tag)),
            in.work.tag, tool};
}

ToolCommand remux(OutputFormat format, const RecipeInput &in, const QString &keptAudio,
                  const NameChooser &chooseName)
{
    const AudioContainer container = FormatTable::container(format);
    // Only the source's header is wanted (tags and pictures), not its frames.
    QString line =
        coderProgram(in) + QStringLiteral(" -probesize 32 -analyzeduration 0 -i ") + quote(in.inputPath);
    int inputs = 1;
    QString maps;
    if (container == AudioContainer::Mp4 && in.keepCover) {
        if (in.coverFile.isEmpty()) {
            maps = QStringLiteral(" -map 0:v?");
        } else {
            line += QStringLiteral(" -i ") + quote(in.coverFile);
            maps = QStringLiteral(" -map %1:v").arg(inputs++);
        }
        maps += QStringLiteral(" -c:v copy -disposition:v attached_pic");
    }
    QString metadata = QStringLiteral(" -map_metadata 0");
    if (!in.metadataFile.isEmpty()) {
        line += QStringLiteral(" -i ") + quoteIfNeeded(in.metadataFile);
        metadata += QStringLiteral(" -map_metadata %1").arg(inputs++);
    }
    const QString wanted =
        outputPath(format, in.inputPath, in.outputFolder, in.clock, in.plainName, in.fatSafeNames);
    const QString output = chooseName ? chooseName(wanted) : wanted;
    // The kept output's own tags go with its audio stream unless they are dropped.
    line += QStringLiteral(" -i ") + quote(keptAudio) +
            QStringLiteral(" -y -map %1:a -c:a copy").arg(inputs) + maps + metadata +
            QStringLiteral(" -map_metadata:s:a -1") + libraryTagOptions(in, container) + QLatin1Char(' ') +
            quote(output);
    return {CommandLineText::command(line), output, ToolName::coder.toString()};
}

} // namespace Recipes
