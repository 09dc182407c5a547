#pragma once

#include "conversion/formattable.h"
#include "conversion/recipes.h"
#include "filelist/albumimages.h"
#include "settings/programsettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What one command line asks of tunoxa-batch.
struct BatchOptions
{
    OutputFormat format = OutputFormat::Mp3;
    EncodingSettings encoding; // the format's defaults, with the options given over them
    QString outputFolder;      // absolute
    // The program's options, at their defaults where the command line gives none; no completion
    // sound, since no window ends with one.
    ProgramSettings settings{.soundChoice = ProgramSettings::SoundChoice::Off};
    // -n: only tell what library mode would do.
    bool dryRun = false;
    // How album images with a cue sheet are added: split into their tracks or whole, and the
    // sheets' encoding when it is not to be recognised.
    AlbumImages::Options images;
    // Files and folders in the order given, as the exact bytes of their absolute paths.
    QList<QByteArray> inputs;
};

struct ParsedCommandLine
{
    std::optional<BatchOptions> options; // none for --help, --version and usage errors
    bool helpAsked = false;
    bool versionAsked = false;
    QString error; // what is wrong with the command line; empty when nothing is
};

namespace BatchCommandLine {

// arguments: the program's arguments after its name, as the bytes the system gave them, so that a
// file name that is not valid UTF-8 still names its file. Relative paths are taken relative to
// currentFolder; -j takes at most mostFiles.
ParsedCommandLine parse(const QList<QByteArray> &arguments, const QString &currentFolder, int mostFiles);

// The usage text, with the defaults each format takes for the settings not given.
QString usage(int mostFiles);

// The formats -f takes, in the order the usage, the manual pages and the completions list them: the
// default first, then as the window's selector has them.
QList<OutputFormat> formats();

} // namespace BatchCommandLine
