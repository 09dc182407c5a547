#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <optional>

// Opus and Vorbis outputs read back with no tool: their length from the pages' granule positions,
// their comments from the comment header. Bytes come as fetch(offset, count) gives them, so that a
// large cover in the comments is only read when a wanted comment lies behind it.
namespace OggStream {

using Fetch = std::function<QByteArray(qint64 offset, qsizetype count)>;

// The playing time: the granule position of the stream's last whole page, minus Opus's pre-skip,
// over the sample rate its identification header gives. Nothing for a file that is no Opus or
// Vorbis stream, or whose pages cannot be found.
std::optional<double> seconds(const Fetch &fetch, qint64 size);

// The comments as name and value, in file order, but for those whose value is longer than
// longestValue bytes (a picture), which are not read; empty for a file that is no Opus or Vorbis stream.
QList<QPair<QString, QString>> comments(const Fetch &fetch, qsizetype longestValue = 64 * 1024);

// A comment value as FLAC pictures are kept in Vorbis comments (METADATA_BLOCK_PICTURE): a front
// cover picture block, in base64.
QByteArray pictureComment(const QByteArray &image);

} // namespace OggStream
