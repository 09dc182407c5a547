#pragma once

#include "filelist/albumimages.h"
#include "media/cuesheet.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// The cue sheets of a folder, read for AlbumImages: which images each names there, or why it
// splits none; and the pieces of paths they are matched by.
namespace ImageSheets {

// The folder part of a path with its "/", and the name after it.
QByteArray folderOf(const QByteArray &path);
QByteArray nameOf(const QByteArray &path);
// A name without its extension.
QString stemOf(const QString &name);
// The name of a file that can be an image, and the same of a path.
bool isAudioName(const QString &name);
bool isAudioPath(const QByteArray &path);
// The audio file among the folder's files folderNames whose stem is the sheet's (in any letter
// case); empty when there is none.
QByteArray audioOfStem(const QByteArray &sheet, const QStringList &folderNames);
// The names of the files of a folder.
QStringList namesIn(const QByteArray &folder);

// One sheet of a folder, read.
struct Sheet
{
    QByteArray path;
    CueSheet cue;
    QMap<int, QByteArray> images; // by file index: the image's path
    std::optional<CueProblem> problem;
    QList<QByteArray> named; // of a sheet that cannot split them: the files its FILE lines name
    int openError = 0;       // the system's error number when the sheet could not be read
};

// The file of the folder a FILE line names: that name, else one that differs in letter case only.
QByteArray fileNamed(const QString &name, const QByteArray &folder, const QStringList &folderNames);

// The sheet at path, among the folder's files folderNames. An image re-encoded after the sheet was
// written keeps its stem, or is the folder's only audio.
Sheet readSheet(const QByteArray &path, const QStringList &folderNames, const AlbumImages::Options &options);

// Of several sheets that name one image: the one named like its stem, then like its whole name plus
// ".cue", then the first in name order (the order they come in).
const Sheet *sheetFor(const QByteArray &image, const QList<const Sheet *> &sheets);

} // namespace ImageSheets
