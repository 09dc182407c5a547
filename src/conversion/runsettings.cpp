#include "conversion/runsettings.h"

#include "platform/appdirs.h"
#include "settings/programoptions.h"

#include <algorithm>

namespace {

// The output folder as a run uses it: a relative folder is taken relative to the folder the program's
// layout gives (never to wherever the program was started, and never as text a tool could read as an
// option), and it ends with "/".
QString absoluteOutputFolder(const QString &text, const QString &programFolder)
{
    QString folder = AppDirs::outputFolderFor(text, programFolder);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

RunSettings RunSettings::take(int formatPosition, const EncodingSettings &encoding,
                              const QString &outputFolderText, const QString &programFolder,
                              const ProgramSettings &options)
{
    const ProgramSettings taken = ProgramOptions::inEffect(options);
    RunSettings settings;
    if (taken.cuts())
        settings.cut = CutRange{taken.cutStartSeconds, taken.cutEndSeconds};
    settings.format = FormatTable::formatAt(formatPosition);
    settings.encoding = encoding;
    settings.outputFolder = absoluteOutputFolder(outputFolderText, programFolder);
    settings.programFolder = programFolder;
    settings.simultaneousFiles = std::max(1, taken.simultaneousFiles);
    settings.library = taken.libraryMode;
    settings.deleteOrphans = taken.deleteOrphans;
    settings.coverEdge = taken.coverEdge;
    settings.fatNames = taken.fatNames;
    return settings;
}
