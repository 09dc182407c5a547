#pragma once

#include <QString>

// Where the program keeps its files: the program folder beside the executable, and the
// per-user work folder for the intermediate files of a run.
namespace AppDirs {

// Folder of the running executable, without a trailing "/".
QString programFolder();

// Program folder + "/output".
QString defaultOutputFolder(const QString &programFolder);

// $XDG_CACHE_HOME/tunoxa (default ~/.cache/tunoxa), created with its parents and mode 0700.
QString workFolder();

// Work folder + "/tmp": the folder every run creates.
QString tmpFolder();

// The intermediate of the two-stage video formats.
QString intermediatePath();

// The decode that the MP3 duration probe reads.
QString probeWavPath();

// The two leftovers that shutdown removes.
QString tmpWavLeftover();
QString tmpMp3Leftover();

} // namespace AppDirs
