#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <optional>

// M4A outputs read back and completed with no tool: the length from the movie header, and the
// freeform ("----") tags of the iTunes item list, which the encoder does not write (the library's
// mark, ReplayGain). Bytes come as fetch(offset, count) gives them.
namespace Mp4Atoms {

using Fetch = std::function<QByteArray(qint64 offset, qsizetype count)>;

// The movie header's duration in seconds; nothing for a file that is no MP4 or has no movie header.
std::optional<double> seconds(const Fetch &fetch, qint64 size);

// The freeform tags as name and UTF-8 value, in file order.
QList<QPair<QString, QString>> freeformTags(const Fetch &fetch, qint64 size);

// Adds freeform tags (mean "com.apple.iTunes") at the end of the item list, making the list (and
// the boxes around it) where there is none. Only the movie box grows, so the file's movie box must be
// its last box: then no offset into the media data moves. The children of the movie box and of the
// boxes down to the item list must end exactly at their parent's end. False, with the file unchanged
// or cut short of its new end, when that is not so or it cannot be written.
bool addFreeformTags(const QString &path, const QList<QPair<QString, QString>> &tags);

} // namespace Mp4Atoms
