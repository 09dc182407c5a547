#pragma once

#include "conversion/job.h"

#include <QByteArray>
#include <QList>

// Album images: one audio file holding a whole disc, with a cue sheet beside it that tells where each
// track starts. Files added to the list pass through here: an image becomes its tracks, each a job
// over its part of the image with the sheet's tags; every other file stays one job of its own.
namespace AlbumImages {

struct Options
{
    bool split = true;         // false: images convert whole, and sheets add nothing
    QByteArray forcedEncoding; // the sheets' encoding, when the user names one
};

// The jobs (no id, no library folder) of files added together, in their order: an image (named
// itself, or through its sheet) gives its tracks in their order at its place, a sheet that names no
// image nothing, and a sheet that cannot split its image one job that fails with the sheet's problem;
// other files one job each. A path is listed once, however many ways it came. folderScanned: the
// paths are what a folder scan found, every audio file and sheet of their folders.
QList<Job> jobsOf(const QList<QByteArray> &paths, const Options &options, bool folderScanned = false);

// The name of a cue sheet, in any letter case.
bool isSheetName(const QByteArray &name);

} // namespace AlbumImages
