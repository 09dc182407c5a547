#include "conversion/coverimage.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <iterator>

#include <dirent.h>
#include <sys/stat.h>

namespace CoverImage {

namespace {

int bigEndian16(QByteArrayView bytes, qsizetype at)
{
    return (uchar(bytes[at]) << 8) | uchar(bytes[at + 1]);
}

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
        const int length = bigEndian16(image, at + 2);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && at + 9 <= image.size()) {
            Header header;
            header.kind = marker == 0xC0 || marker == 0xC1 ? Header::Kind::BaselineJpeg
                          : marker == 0xC2                 ? Header::Kind::ProgressiveJpeg
                                                           : Header::Kind::Other;
            header.height = bigEndian16(image, at + 5);
            header.width = bigEndian16(image, at + 7);
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
        const auto number = [&](qsizetype at) {
            return (quint32(bigEndian16(image, at)) << 16) | quint32(bigEndian16(image, at + 2));
        };
        const quint32 width = number(16);
        const quint32 height = number(20);
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
    const qint64 plausible = pixels * 8 + header.height + 256 * 1024;
    if (fileBytes > plausible)
        return false;
    return maxEdge <= 0 || (std::max(header.width, header.height) <= maxEdge && fileBytes <= MostBytes);
}

std::optional<FolderCover> inFolder(const QString &folder)
{
    const QString own = folder.mid(folder.lastIndexOf(u'/') + 1).toCaseFolded();
    const QStringList bases{QStringLiteral("cover"), QStringLiteral("folder"),   QStringLiteral("front"),
                            QStringLiteral("album"), QStringLiteral("albumart"), own};
    static constexpr const char *extensions[] = {"jpg", "jpeg", "png"};
    constexpr qsizetype extensionCount = std::size(extensions);
    // Read with no look at each entry: most folders hold tracks alone, told apart by their
    // extension with no text made of their names.
    DIR *entries = ::opendir(QFile::encodeName(folder).constData());
    if (!entries)
        return std::nullopt;
    qsizetype best = bases.size() * extensionCount;
    QString bestName;
    while (const dirent *entry = ::readdir(entries)) {
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        const QByteArrayView raw(entry->d_name);
        const qsizetype dot = raw.lastIndexOf('.');
        if (dot <= 0)
            continue;
        const QByteArrayView rawExtension = raw.sliced(dot + 1);
        const auto known =
            std::find_if(std::begin(extensions), std::end(extensions), [&](const char *extension) {
                return qstrnicmp(rawExtension.data(), rawExtension.size(), extension) == 0;
            });
        if (known == std::end(extensions))
            continue;
        const qsizetype extension = known - std::begin(extensions);
        const qsizetype base = bases.indexOf(QFile::decodeName(raw.first(dot).toByteArray()).toCaseFolded());
        if (base < 0 || base * extensionCount + extension >= best)
            continue;
        best = base * extensionCount + extension;
        bestName = QFile::decodeName(entry->d_name);
    }
    ::closedir(entries);
    struct stat status = {};
    const QString path = folder + u'/' + bestName;
    if (bestName.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0 ||
        !S_ISREG(status.st_mode))
        return std::nullopt;
    return FolderCover{path, qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

} // namespace CoverImage
