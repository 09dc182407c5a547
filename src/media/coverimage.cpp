#include "media/coverimage.h"

#include "media/bytereader.h"

#include <algorithm>
#include <climits>
#include <limits>

namespace CoverImage {

namespace {

Header jpegHeader(QByteArrayView image)
{
    // Segments after the start of image: FF, a marker, a length that counts itself; the frame
    // header (SOFn) says how the picture is coded and its size.
    qsizetype at = 2;
    while (at + 4 <= image.size() && uchar(image[at]) == 0xFF) {
        const uchar marker = uchar(image[at + 1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const int length = int(ByteReader::bigEndianAt(image, at + 2, 2));
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && at + 9 <= image.size()) {
            Header header;
            header.kind = marker == 0xC0 || marker == 0xC1 ? Header::Kind::BaselineJpeg
                          : marker == 0xC2                 ? Header::Kind::ProgressiveJpeg
                                                           : Header::Kind::Other;
            header.height = int(ByteReader::bigEndianAt(image, at + 5, 2));
            header.width = int(ByteReader::bigEndianAt(image, at + 7, 2));
            if (header.width == 0 || header.height == 0)
                header.kind = Header::Kind::Broken;
            return header;
        }
        at += 2 + length;
    }
    return {};
}

} // namespace

Header readHeader(QByteArrayView image)
{
    if (image.size() >= 4 && uchar(image[0]) == 0xFF && uchar(image[1]) == 0xD8)
        return jpegHeader(image);
    if (image.size() >= 24 && image.startsWith("\x89PNG\r\n\x1a\n") && image.sliced(12, 4) == "IHDR") {
        const quint32 width = ByteReader::bigEndianAt(image, 16);
        const quint32 height = ByteReader::bigEndianAt(image, 20);
        // PNG itself allows no more than 2^31 - 1, and no picture has no pixels.
        if (width == 0 || height == 0 || width > quint32(INT_MAX) || height > quint32(INT_MAX))
            return {Header::Kind::Broken, 0, 0};
        return {Header::Kind::Png, int(width), int(height)};
    }
    return {};
}

bool fitsAsItIs(const Header &header, qint64 fileBytes, int maxEdge)
{
    const bool kept = header.kind == Header::Kind::BaselineJpeg || header.kind == Header::Kind::Png;
    if (!kept)
        return false;
    // The most a picture of these pixels can take: 16-bit RGBA, a filter byte per row and room
    // for profiles and metadata. More than that is data the header does not tell of.
    const qint64 pixels = qint64(header.width) * header.height;
    // Beyond 2^58 pixels no file is large enough to disagree, and the sum would overflow.
    const qint64 plausible = pixels > (qint64(1) << 58) ? std::numeric_limits<qint64>::max()
                                                        : pixels * 8 + header.height + 256 * 1024;
    if (fileBytes > plausible)
        return false;
    return maxEdge <= 0 || (std::max(header.width, header.height) <= maxEdge && fileBytes <= MostBytes);
}

} // namespace CoverImage
