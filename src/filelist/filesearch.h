#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The recursive search of a folder for FLAC files.
namespace FileSearch {

// Subfolders of any one folder that are searched; further ones are skipped.
inline constexpr int MaxSubfolders = 200;

// Appends the path of every file of folder and of its subfolders whose name ends in ".flac" in any
// letter case: a folder's own files first, in the order the file system lists them, then each
// subfolder's results, depth-first. Paths are joined with "/". A folder that cannot be read adds
// nothing; a folder reached a second time through a symbolic link is not searched again. Window
// events keep running during the search.
void SearchFolder(const QByteArray &folder, QList<QByteArray> &list);
// The same for callers that work in text; names that are not valid UTF-8 lose their exact bytes.
void SearchFolder(const QString &folder, QStringList &list);

// s without its trailing NUL and space characters.
QString TrimTrailingNulls(const QString &s);

} // namespace FileSearch
