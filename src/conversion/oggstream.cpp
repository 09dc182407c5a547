#include "conversion/oggstream.h"

#include "conversion/coverimage.h"

#include <QtEndian>

namespace OggStream {

namespace {

constexpr qsizetype PageHeaderBytes = 27;
// A page's header with its longest segment table.
constexpr qsizetype MostHeaderBytes = PageHeaderBytes + 255;
// The last page lies within the file's last bytes: a page is at most 65,307 bytes long.
constexpr qsizetype TailBytes = 65536 + MostHeaderBytes;
constexpr quint64 NoGranule = ~quint64(0);

quint32 littleEndian32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// One page's header as it stands at an offset of bytes; nothing when it is no whole page header.
struct PageHeader
{
    quint64 granule = 0;
    quint32 serial = 0;
    QList<int> segments;
    qint64 headerBytes = 0;
    qint64 bodyBytes = 0;

    static std::optional<PageHeader> at(const QByteArray &bytes, qsizetype offset)
    {
        if (bytes.size() - offset < PageHeaderBytes ||
            !QByteArrayView(bytes).sliced(offset).startsWith("OggS"))
            return std::nullopt;
        PageHeader page;
        const int count = uchar(bytes[offset + 26]);
        if (bytes.size() - offset < PageHeaderBytes + count)
            return std::nullopt;
        page.granule = qFromLittleEndian<quint64>(bytes.constData() + offset + 6);
        page.serial = littleEndian32(bytes, offset + 14);
        for (int k = 0; k < count; ++k) {
            page.segments.append(uchar(bytes[offset + PageHeaderBytes + k]));
            page.bodyBytes += page.segments.constLast();
        }
        page.headerBytes = PageHeaderBytes + count;
        return page;
    }
};

// Walks the packets from the stream's start, page by page; visit gets each packet's bytes so far
// and whether it is whole, and returns false to stop.
void walkPackets(const Fetch &fetch,
                 const std::function<bool(int index, const QByteArray &, bool whole)> &visit)
{
    qint64 at = 0;
    int index = 0;
    QByteArray packet;
    for (;;) {
        const QByteArray head = fetch(at, MostHeaderBytes);
        const std::optional<PageHeader> page = PageHeader::at(head, 0);
        if (!page)
            return;
        const QByteArray body = fetch(at + page->headerBytes, qsizetype(page->bodyBytes));
        if (body.size() < page->bodyBytes)
            return;
        qsizetype from = 0;
        for (const int length : page->segments) {
            packet += body.mid(from, length);
            from += length;
            if (length < 255) {
                if (!visit(index++, packet, true))
                    return;
                packet.clear();
            }
        }
        if (!packet.isEmpty() && !visit(index, packet, false))
            return;
        at += page->headerBytes + page->bodyBytes;
    }
}

// The sample rate and pre-skip of an identification header; no rate for any other packet.
struct Identification
{
    double rate = 0;
    quint64 preSkip = 0;
};

Identification identification(const QByteArray &packet)
{
    if (packet.startsWith("OpusHead") && packet.size() >= 12)
        return {48000, qFromLittleEndian<quint16>(packet.constData() + 10)};
    if (packet.startsWith("\x01vorbis") && packet.size() >= 16)
        return {double(littleEndian32(packet, 12)), 0};
    return {};
}

} // namespace

std::optional<double> seconds(const Fetch &fetch, qint64 size)
{
    Identification id;
    quint32 serial = 0;
    const QByteArray first = fetch(0, MostHeaderBytes + 64);
    if (const std::optional<PageHeader> page = PageHeader::at(first, 0)) {
        serial = page->serial;
        id = identification(first.mid(page->headerBytes, page->segments.value(0)));
    }
    if (id.rate <= 0)
        return std::nullopt;
    const qint64 tailStart = std::max<qint64>(0, size - TailBytes);
    const QByteArray tail = fetch(tailStart, qsizetype(size - tailStart));
    // The last page that is whole and has a position; a page cut off by the file's end has none.
    for (qsizetype at = tail.lastIndexOf("OggS"); at >= 0;
         at = at > 0 ? tail.lastIndexOf("OggS", at - 1) : -1) {
        const std::optional<PageHeader> page = PageHeader::at(tail, at);
        if (!page || page->serial != serial || page->granule == NoGranule ||
            at + page->headerBytes + page->bodyBytes > tail.size())
            continue;
        if (page->granule <= id.preSkip)
            return 0.0;
        return double(page->granule - id.preSkip) / id.rate;
    }
    return std::nullopt;
}

QList<QPair<QString, QString>> comments(const Fetch &fetch, QLatin1StringView lastWanted)
{
    QList<QPair<QString, QString>> found;
    walkPackets(fetch, [&](int index, const QByteArray &packet, bool whole) {
        if (index == 0)
            return identification(packet).rate > 0;
        const qsizetype magic = packet.startsWith("OpusTags") ? 8 : packet.startsWith("\x03vorbis") ? 7 : -1;
        if (magic < 0)
            return false;
        // Read again from the start as far as the packet reaches; a comment cut by the page's end waits.
        found.clear();
        qsizetype at = magic;
        if (packet.size() < at + 4)
            return !whole;
        at += 4 + littleEndian32(packet, at);
        if (packet.size() < at + 4)
            return !whole;
        const quint32 count = littleEndian32(packet, at);
        at += 4;
        for (quint32 k = 0; k < count; ++k) {
            if (packet.size() < at + 4 || packet.size() - at - 4 < qsizetype(littleEndian32(packet, at)))
                return !whole;
            const QByteArray comment = packet.mid(at + 4, littleEndian32(packet, at));
            at += 4 + comment.size();
            const qsizetype equals = comment.indexOf('=');
            if (equals <= 0)
                continue;
            const QString name = QString::fromUtf8(comment.left(equals));
            found.append({name, QString::fromUtf8(comment.mid(equals + 1))});
            if (!lastWanted.isEmpty() && name.compare(lastWanted, Qt::CaseInsensitive) == 0)
                return false;
        }
        return false;
    });
    return found;
}

QByteArray pictureComment(const QByteArray &image)
{
    const CoverImage::Header header = CoverImage::readHeader(image);
    const QByteArray mime = header.kind == CoverImage::Header::Kind::Png ? QByteArrayLiteral("image/png")
                            : image.startsWith("GIF8")                   ? QByteArrayLiteral("image/gif")
                                                                         : QByteArrayLiteral("image/jpeg");
    QByteArray block;
    const auto number = [&block](quint32 value) {
        const quint32 big = qToBigEndian(value);
        block.append(reinterpret_cast<const char *>(&big), sizeof big);
    };
    number(3); // the front cover
    number(quint32(mime.size()));
    block += mime;
    number(0); // no description
    number(quint32(header.width));
    number(quint32(header.height));
    number(24);
    number(0);
    number(quint32(image.size()));
    block += image;
    return block.toBase64();
}

} // namespace OggStream
