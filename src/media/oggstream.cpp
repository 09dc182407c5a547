#include "media/oggstream.h"

#include "media/bytereader.h"
#include "media/coverimage.h"
#include "media/vorbiscomments.h"

#include <QtEndian>

#include <algorithm>

namespace OggStream {

namespace {

constexpr qsizetype PageHeaderBytes = 27;
// A page's header with its longest segment table.
constexpr qsizetype MostHeaderBytes = PageHeaderBytes + 255;
// The last page lies within the file's last bytes: a page is at most 65,307 bytes long.
constexpr qsizetype TailBytes = 65536 + MostHeaderBytes;
constexpr quint64 NoGranule = ~quint64(0);

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
        page.serial = ByteReader::littleEndianAt(bytes, offset + 14);
        for (int k = 0; k < count; ++k) {
            page.segments.append(uchar(bytes[offset + PageHeaderBytes + k]));
            page.bodyBytes += page.segments.constLast();
        }
        page.headerBytes = PageHeaderBytes + count;
        return page;
    }
};

// Where one packet of the stream lies in the file, found from the pages' headers alone: the packet's
// bytes are read only where they are wanted, so a cover among the comments costs a few page
// headers, not its megabytes.
class PacketSpan
{
public:
    // The packet `index` (0 for the identification header), when the stream holds it whole.
    static std::optional<PacketSpan> find(const Fetch &fetch, int index)
    {
        PacketSpan span(fetch);
        int current = 0;
        for (qint64 at = 0;;) {
            const std::optional<PageHeader> page = PageHeader::at(fetch(at, MostHeaderBytes), 0);
            if (!page)
                return std::nullopt;
            qint64 from = at + page->headerBytes;
            for (const int length : page->segments) {
                if (current == index && length > 0)
                    span.append(from, length);
                from += length;
                if (length < 255 && current++ == index)
                    return span;
            }
            at = from;
        }
    }

    qsizetype size() const { return m_size; }

    // count bytes from at, fewer where the packet ends first.
    QByteArray read(qsizetype at, qsizetype count)
    {
        QByteArray bytes;
        // The runs lie in packet order: the first that holds `at` is found by halves, so that a packet
        // spread over many pages costs no walk of them all for each comment.
        auto run = std::upper_bound(m_runs.cbegin(), m_runs.cend(), at,
                                    [](qsizetype offset, const Run &r) { return offset < r.packetAt; });
        if (run != m_runs.cbegin())
            --run;
        for (; run != m_runs.cend() && count > 0; ++run) {
            const auto &[fileAt, packetAt, length] = *run;
            if (at >= packetAt + length || at < packetAt)
                continue;
            const qsizetype taken = std::min(count, packetAt + length - at);
            bytes += cached(fileAt + (at - packetAt), taken, fileAt + length);
            at += taken;
            count -= taken;
        }
        return bytes;
    }

private:
    struct Run
    {
        qint64 fileAt;
        qsizetype packetAt;
        qsizetype length;
    };

    explicit PacketSpan(const Fetch &fetch)
        : m_fetch(fetch)
    {}

    void append(qint64 fileAt, qsizetype length)
    {
        if (!m_runs.isEmpty() && m_runs.constLast().fileAt + m_runs.constLast().length == fileAt)
            m_runs.last().length += length;
        else
            m_runs.append({fileAt, m_size, length});
        m_size += length;
    }

    // Reads a few kilobytes at a time, so that small comments one after another cost one read.
    QByteArray cached(qint64 offset, qsizetype count, qint64 runEnd)
    {
        if (offset < m_cacheAt || offset + count > m_cacheAt + m_cache.size()) {
            m_cacheAt = offset;
            m_cache = m_fetch(
                offset, qsizetype(std::max<qint64>(count, std::min<qint64>(ReadBytes, runEnd - offset))));
        }
        return m_cache.mid(offset - m_cacheAt, count);
    }

    static constexpr qsizetype ReadBytes = 4096;
    const Fetch &m_fetch;
    QList<Run> m_runs;
    qsizetype m_size = 0;
    qint64 m_cacheAt = 0;
    QByteArray m_cache;
};

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
        return {double(ByteReader::littleEndianAt(packet, 12)), 0};
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

QList<QPair<QString, QString>> comments(const Fetch &fetch, qsizetype longestValue)
{
    QList<QPair<QString, QString>> found;
    std::optional<PacketSpan> header = PacketSpan::find(fetch, 0);
    if (!header || identification(header->read(0, 64)).rate <= 0)
        return found;
    std::optional<PacketSpan> packet = PacketSpan::find(fetch, 1);
    if (!packet)
        return found;
    const QByteArray magic = packet->read(0, 8);
    const qsizetype at = magic.startsWith("OpusTags") ? 8 : magic.startsWith("\x03vorbis") ? 7 : -1;
    if (at < 0)
        return found;
    const auto read = [&](qsizetype offset, qsizetype count) { return packet->read(at + offset, count); };
    for (const auto &[name, value] : VorbisComments::entries(read, packet->size() - at, longestValue))
        found.append({QString::fromUtf8(name), QString::fromUtf8(value)});
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
