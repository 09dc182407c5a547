#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

// Files the program reads on its main thread: a FIFO, a socket or a device named like a media file
// would block an open or a read there, freezing the window and leaving the stop signals unheard. So
// the kind of file is checked first, without opening it, and the open itself never waits.
namespace RegularFile {

// What path (links followed) is, by one stat; nothing is opened.
enum class Kind
{
    Missing, // nothing there, or nothing that can be looked at
    Regular,
    Other, // a folder, a FIFO, a socket, a device
};
Kind kindOf(const QString &path);

// Whether nothing at all is at path (lstat says ENOENT): not a file, a folder or a link, dangling or
// not. A path that cannot be looked at (no permission) is not gone.
bool isGone(const QByteArray &nativePath);

// Opens path for reading into file when it is a regular file (links followed); false for any other
// kind of file, and when it cannot be opened.
bool openForReading(QFile &file, const QString &path);

// Opens path as openForReading does and maps all of it; the bytes stay valid while file stays
// open. Empty when the file cannot be opened or mapped, or is empty.
QByteArrayView mapForReading(QFile &file, const QString &path);

} // namespace RegularFile
