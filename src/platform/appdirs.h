#pragma once

#include "platform/workpaths.h"

#include <QString>

#include <optional>

// Where the program keeps its files: the program folder beside the executable, the folder of its
// settings files, and the per-user work folder for the intermediate files of a run.
//
// A program folder laid out by the install holds the file "installed" and may belong to the system:
// its settings then live in the user's configuration folder and its output in the user's music folder.
// A program folder without that file (a build's) keeps both, as it always did.
namespace AppDirs {

// Folder of the running executable, without a trailing "/"; a link to the executable leads here too.
QString programFolder();

// "installed": the marker that only the install puts into the program folder.
QString installedMarkerName();
// The program folder holds the marker. Whether the folder can be written does not count.
bool isInstalled(const QString &programFolder);

// Where setup.ini and options.ini live: $XDG_CONFIG_HOME/tunoxa (default ~/.config/tunoxa) for an
// installed program, the program folder otherwise. Nothing is checked or created.
QString settingsFolder(const QString &programFolder);
// The settings folder, made with its parents when missing. On the first start of an installed program
// the shipped setup.ini of the program folder is copied there; one already there is kept.
QString prepareSettingsFolder(const QString &programFolder);

// The user's music folder (~/Music unless the user's folders say otherwise).
QString musicFolder();
// A relative output folder is taken relative to this: the music folder for an installed program,
// the program folder otherwise.
QString outputBaseFolder(const QString &programFolder);
// The output folder typed as text: itself when absolute, otherwise joined to outputBaseFolder, by its
// text (one that begins with ":" must not reach Qt's file classes bare, which would take it for a
// built-in resource). Empty text stays empty.
QString outputFolderFor(const QString &text, const QString &programFolder);
// Music folder + "/Tunoxa" for an installed program, program folder + "/output" otherwise.
QString defaultOutputFolder(const QString &programFolder);
// Where a file chooser that has no folder of its own opens: the home folder for an installed program
// (its program folder holds none of the user's files), the program folder otherwise.
QString chooserStartFolder(const QString &programFolder);

// Where the work folder belongs: $XDG_CACHE_HOME/tunoxa (default ~/.cache/tunoxa). Nothing is
// checked or created.
QString workFolderPath();

// What the user is told, followed by the folder, when the work folder cannot be made or used.
QString unusableWorkFolderText();

// Makes folder (its parent must exist) with mode 0700, or sets an existing one the user owns to
// 0700; false when it is a symbolic link, belongs to someone else, is not a folder or cannot be made.
bool makePrivateFolder(const QString &folder);

// The work folder, ready for use: created with its parents and mode 0700, or, when it exists and
// the user owns it, set to 0700. Nothing when it is a symbolic link, belongs to someone else, is
// not a folder or cannot be created; nothing is then created or changed through it.
std::optional<QString> preparedWorkFolder();

// The prepared work folder; empty when it is refused, and so are the paths below.
QString workFolder();

// Work folder + "/tmp": the folder every run creates.
QString tmpFolder();

// The intermediate and the probe's decode of the first file slot in the work folder.
QString intermediatePath();
QString probeWavPath();

} // namespace AppDirs
