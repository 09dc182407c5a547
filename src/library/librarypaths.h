#pragma once

#include <QString>
#include <QStringView>

// Library mode: where an output goes in the copy, and names the file systems of USB sticks and
// phones' cards (FAT, exFAT) can store.
namespace LibraryPaths {

// A file or folder name that FAT and exFAT can store: ? " : * < > | \ and control characters
// become "_", trailing dots and blanks go ("_" when nothing is left).
QString fatSafeName(const QString &name);
// Every name in path is one FAT can store as it is, so fatSafeName would change none of them.
bool isFatSafePath(QStringView path);

// Library mode: where a file found in an added folder goes, keeping the folder's own name and the
// file's place below it: outputFolder + name of sourceFolder + "/" + the file's folder below it +
// "/" (a sourceFolder of "/" has no name). A file added by itself (no sourceFolder) goes straight
// into outputFolder, which ends with "/".
// fatSafe: each folder name below outputFolder as fatSafeName gives it.
QString libraryFolder(const QString &outputFolder, const QString &inputPath, const QString &sourceFolder,
                      bool fatSafe = false);

} // namespace LibraryPaths
