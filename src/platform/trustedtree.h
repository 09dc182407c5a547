#pragma once

#include <QString>

// Files below a trusted folder (the output folder a run was given), reached from it one level at a
// time without following a link: a link anywhere on the way, or in the file's own place, means the
// file is not ours, and nothing is moved or deleted through it, even when a folder is swapped for a
// link between the time it was read and the time a file in it goes.
namespace TrustedTree {

// The first link on the way from root down to path (path itself included, root not), or an empty
// text when there is none. Levels that do not exist end the look.
QString linkOnTheWay(const QString &root, const QString &path);

// Removes the regular file at path below root; false (errno set, ELOOP for a link) when it cannot.
bool removeFile(const QString &root, const QString &path);

// Renames the regular file from to to, both below root, never replacing a file at to; false (errno
// set, EEXIST when to is taken) when it cannot.
bool renameFile(const QString &root, const QString &from, const QString &to);

// Removes folder and each folder above it up to stop (not stop itself) while they are empty.
void removeEmptyFolders(const QString &root, const QString &folder, const QString &stop);

} // namespace TrustedTree
