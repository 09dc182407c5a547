#include "media/vorbiscomments.h"

#include "media/bytereader.h"

#include <algorithm>
#include <optional>

namespace VorbisComments {

QList<QPair<QByteArray, QByteArray>> entries(const Read &read, qsizetype size, qsizetype longestValue)
{
    QList<QPair<QByteArray, QByteArray>> found;
    const auto number = [&](qsizetype at) -> std::optional<qsizetype> {
        const QByteArray bytes = read(at, 4);
        if (bytes.size() < 4)
            return std::nullopt;
        return qsizetype(ByteReader::littleEndianAt(bytes, 0));
    };
    const std::optional<qsizetype> vendor = number(0);
    if (!vendor || *vendor > size - 4)
        return found;
    qsizetype at = 4 + *vendor;
    const std::optional<qsizetype> count = number(at);
    at += 4;
    for (qsizetype k = 0; count && k < *count; ++k) {
        const std::optional<qsizetype> length = number(at);
        if (!length || *length > size - at - 4)
            break;
        const qsizetype start = at + 4;
        at = start + *length;
        // A value longer than wanted is not read, nor is its name made anything.
        const qsizetype wanted = std::min(*length, longestValue + 256);
        const QByteArray entry = read(start, wanted);
        if (entry.size() < wanted)
            break;
        const qsizetype equals = entry.indexOf('=');
        if (equals <= 0 || *length - equals - 1 > longestValue)
            continue;
        found.append({entry.left(equals), entry.mid(equals + 1)});
    }
    return found;
}

} // namespace VorbisComments
