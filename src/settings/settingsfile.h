#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the settings files have in common: a few lines of UTF-8 text, each written with a CR LF
// ending and read back ending at CR LF, LF or CR; a file is replaced as one step, so a failed
// write leaves the previous file whole.
namespace SettingsFile {

QByteArray joinLines(const QStringList &lines);

// At most maxLines lines in the first maxBytes of the file (a last line without an ending counts);
// none when it is not a regular file or cannot be read.
QStringList readLines(const QString &path, int maxLines, qint64 maxBytes);
// False when nothing was replaced: the file is marked read-only (honoured even for root), the
// folder cannot take the new file, or writing it failed part way.
bool writeLines(const QString &path, const QStringList &lines);

} // namespace SettingsFile
