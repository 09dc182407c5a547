#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <functional>

// The comments of a Vorbis comment header (a FLAC's comment block, an Opus or Vorbis stream's
// comment packet): a vendor string, a count, then "NAME=value" entries, each after its length.
namespace VorbisComments {

// count bytes of the header from at on; fewer where it ends.
using Read = std::function<QByteArray(qsizetype at, qsizetype count)>;

// The entries as name and value bytes, in order, from a header of size bytes: every entry is looked
// at, whatever order its writer chose. An entry whose value is longer than longestValue (a picture)
// is left out unread; one without a name is left out; the walk ends where the header ends, so an
// entry the end cuts short is never read as a shorter one.
QList<QPair<QByteArray, QByteArray>> entries(const Read &read, qsizetype size, qsizetype longestValue);

} // namespace VorbisComments
