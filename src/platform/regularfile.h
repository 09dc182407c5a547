#pragma once

#include <QFile>
#include <QString>

// Files the program reads on its main thread: a FIFO, a socket or a device named like a media file
// would block an open or a read there, freezing the window and leaving the stop signals unheard. So
// the kind of file is checked first, without opening it, and the open itself never waits.
namespace RegularFile {

// Whether path (links followed) is a regular file; stat only, nothing is opened.
bool isRegular(const QString &path);

// Opens path for reading into file when it is a regular file (links followed); false for any other
// kind of file, and when it cannot be opened.
bool openForReading(QFile &file, const QString &path);

} // namespace RegularFile
