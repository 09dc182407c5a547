#pragma once

#include <QString>

#include <optional>

// Where the program keeps its files: the program folder beside the executable, and the
// per-user work folder for the intermediate files of a run.
namespace AppDirs {

// Folder of the running executable, without a trailing "/".
QString programFolder();

// Program folder + "/output".
QString defaultOutputFolder(const QString &programFolder);

// Where the work folder belongs: $XDG_CACHE_HOME/tunoxa (default ~/.cache/tunoxa). Nothing is
// checked or created.
QString workFolderPath();

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

// The intermediate of the two-stage video formats: work folder + "/tmp/tmp.mp4".
QString intermediatePath();

// The decode that the MP3 duration probe reads: work folder + "/tmp.wav".
QString probeWavPath();

} // namespace AppDirs
