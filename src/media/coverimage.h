#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// The cover pictures outputs carry: what kind of image a picture is and how large, read from its
// first bytes with no tool, and whether it goes into an output as it is.
namespace CoverImage {

struct Header
{
    enum class Kind
    {
        BaselineJpeg, // sequential JPEG, which every player shows
        ProgressiveJpeg,
        Png,
        Other,  // GIF, BMP, anything else
        Broken, // a JPEG or PNG whose width or height is 0, or 2^31 or more
    };
    Kind kind = Kind::Other;
    int width = 0;
    int height = 0;
};

Header readHeader(QByteArrayView image);

// Whether a picture of fileBytes bytes goes into an MP3 as it is: a baseline JPEG or a PNG whose
// longer edge is at most maxEdge pixels and whose file is at most MostBytes (any size, with a
// maxEdge of 0), and which holds no more bytes than its pixels could need, so that the header is
// not lying. Anything else is decoded and written anew as a baseline JPEG.
constexpr qint64 MostBytes = 2 * 1024 * 1024;
bool fitsAsItIs(const Header &header, qint64 fileBytes, int maxEdge);

} // namespace CoverImage
