#include "media/flacmetadata.h"

#include "media/bytereader.h"
#include "media/id3tag.h"
#include "media/vorbiscomments.h"
#include "platform/regularfile.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace FlacMetadata {

namespace {

// A field name of a Vorbis comment: printable ASCII without "=".
bool validFieldName(const QByteArray &name)
{
    return !name.isEmpty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7D; });
}

} // namespace

QMap<QString, QStringList> commentFields(const QByteArray &block)
{
    QMap<QString, QStringList> fields;
    const auto read = [&block](qsizetype at, qsizetype count) { return block.mid(at, count); };
    for (const auto &[field, value] :
         VorbisComments::entries(read, block.size(), std::numeric_limits<qsizetype>::max() - 256)) {
        const QByteArray name = field.toUpper();
        if (!validFieldName(name) || name == "METADATA_BLOCK_PICTURE" || name == "COVERART")
            continue;
        fields[QString::fromLatin1(name)].append(QString::fromUtf8(value));
    }
    return fields;
}

QList<Block> blocks(const QString &path, std::initializer_list<BlockType> wanted)
{
    QList<Block> found;
    const RegularFile::Mapped file(path);
    const QByteArrayView bytes = file.bytes();
    qsizetype at = qsizetype(Id3Tag::tagSize(bytes));
    if (at + 4 > bytes.size() || bytes.sliced(at, 4) != "fLaC")
        return found;
    at += 4;
    for (bool last = false; !last && at + 4 <= bytes.size();) {
        const auto *header = reinterpret_cast<const uchar *>(bytes.data() + at);
        last = header[0] & 0x80;
        const int type = header[0] & 0x7F;
        const qsizetype length = (header[1] << 16) | (header[2] << 8) | header[3];
        at += 4;
        // The walk ends where the file does; a block cut short there is kept as far as it goes.
        if (std::ranges::find(wanted, type) != wanted.end())
            found.append({type, bytes.sliced(at, std::min(length, bytes.size() - at)).toByteArray()});
        at += length;
    }
    return found;
}

std::optional<StreamInfo> streamInfo(const RegularFile::Reader &file, const QString &path)
{
    // STREAMINFO comes first in nearly every FLAC: its bytes right after "fLaC" are read alone
    // (further on only behind an ID3v2 tag, which few FLAC files carry).
    QByteArray head = file.read(0, 4 + 4 + 34);
    if (head.startsWith("ID3"))
        head = file.read(0, 4096);
    const qsizetype at = qsizetype(Id3Tag::tagSize(head));
    const bool first = head.size() >= at + 8 + 34 && head.sliced(at, 4) == "fLaC" &&
                       (uchar(head[at + 4]) & 0x7F) == StreamInfoBlock;
    const QList<Block> found =
        first ? QList<Block>{{StreamInfoBlock, head.sliced(at + 8, 34)}} : blocks(path, {StreamInfoBlock});
    for (const Block &block : found) {
        if (block.data.size() < 34)
            continue;
        const auto *s = reinterpret_cast<const uchar *>(block.data.constData());
        const quint32 rate = (quint32(s[10]) << 12) | (quint32(s[11]) << 4) | (s[12] >> 4);
        const quint64 samples = (quint64(s[13] & 0x0F) << 32) | (quint64(s[14]) << 24) |
                                (quint64(s[15]) << 16) | (quint64(s[16]) << 8) | s[17];
        StreamInfo info;
        info.sampleRate = int(rate);
        info.channels = ((s[12] >> 1) & 0x07) + 1;
        info.bitsPerSample = (((s[12] & 0x01) << 4) | (s[13] >> 4)) + 1;
        info.totalSamples = qint64(samples);
        if (rate != 0 && samples != 0)
            info.seconds = double(samples) / rate;
        const QByteArray md5 = block.data.mid(18, 16);
        if (md5.count('\0') != md5.size())
            info.audioMd5 = QString::fromLatin1(md5.toHex());
        return info;
    }
    return std::nullopt;
}

namespace {

// The picture types the MP3 muxer can carry, with the extension that tells the encoder the type.
struct ImageType
{
    QLatin1StringView mimeType;
    QLatin1StringView extension;
};

constexpr ImageType carriedImages[] = {
    {QLatin1StringView("image/jpeg"), QLatin1StringView(".jpg")},
    {QLatin1StringView("image/jpg"), QLatin1StringView(".jpg")},
    {QLatin1StringView("image/png"), QLatin1StringView(".png")},
    {QLatin1StringView("image/gif"), QLatin1StringView(".gif")},
    {QLatin1StringView("image/bmp"), QLatin1StringView(".bmp")},
};

QString imageExtension(const QString &mimeType)
{
    for (const ImageType &image : carriedImages) {
        if (mimeType.compare(image.mimeType, Qt::CaseInsensitive) == 0)
            return image.extension;
    }
    return {};
}

} // namespace

Picture frontPicture(const QList<QByteArray> &pictureBlocks)
{
    Picture chosen;
    constexpr quint32 frontCover = 3;
    for (const QByteArray &block : pictureBlocks) {
        // Type, MIME type, description, four numbers on the image, then the image.
        ByteReader reader(block);
        const quint32 type = reader.bigEndian32();
        const QString mimeType = QString::fromUtf8(reader.bytes(reader.bigEndian32()));
        reader.skip(reader.bigEndian32());
        reader.skip(16);
        const QByteArray image = reader.bytes(reader.bigEndian32()).toByteArray();
        const QString extension = imageExtension(mimeType);
        const bool front = type == frontCover;
        if (reader.failed() || extension.isEmpty() || (!chosen.data.isEmpty() && !front))
            continue;
        chosen = {image, extension};
        if (front)
            break;
    }
    return chosen;
}

namespace {

QString paddedText(QByteArrayView field)
{
    return QString::fromLatin1(field.first(std::ranges::find(field, '\0') - field.begin()));
}

// Offsets further than any stream reaches; below it, a track's offset plus an index's never overflows.
constexpr quint64 farthestOffset = quint64(1) << 62;

} // namespace

std::optional<CueSheet> cueSheet(const QByteArray &block)
{
    // Catalog number, lead-in samples, the CD flag and reserved bytes, then the tracks, the last of
    // them the lead-out.
    ByteReader reader(block);
    CueSheet sheet;
    sheet.catalog = paddedText(reader.bytes(128));
    reader.skip(8 + 259);
    const QByteArrayView trackCount = reader.bytes(1);
    for (int track = 0; !trackCount.isEmpty() && track < uchar(trackCount[0]); ++track) {
        const quint64 trackOffset = reader.bigEndian64();
        const QByteArrayView number = reader.bytes(1);
        const QString isrc = paddedText(reader.bytes(12));
        const QByteArrayView flags = reader.bytes(14);
        const QByteArrayView indexCount = reader.bytes(1);
        if (reader.failed() || trackOffset >= farthestOffset)
            return std::nullopt;
        const bool leadOut = uchar(number[0]) == 170 || uchar(number[0]) == 255;
        const bool audio = !(uchar(flags[0]) & 0x80) && !leadOut;
        CueSheet::Track found;
        found.number = uchar(number[0]);
        found.isrc = isrc;
        for (int point = 0; point < uchar(indexCount[0]); ++point) {
            const quint64 offset = reader.bigEndian64();
            const QByteArrayView indexNumber = reader.bytes(1);
            reader.skip(3);
            if (reader.failed() || offset >= farthestOffset)
                return std::nullopt;
            const CuePosition position{CuePosition::Unit::Samples, qint64(trackOffset + offset)};
            if (indexNumber[0] == 0)
                found.index00 = position;
            else if (indexNumber[0] == 1)
                found.index01 = position;
        }
        if (audio)
            sheet.tracks.append(found);
    }
    if (reader.failed())
        return std::nullopt;
    sheet.files.append(CueSheet::File{});
    if (sheet.problem())
        return std::nullopt;
    return sheet;
}

Head::Head(const RegularFile::Reader &file, const QString &path)
    : m_path(path)
    , m_streamInfo(FlacMetadata::streamInfo(file, path))
{}

const Head::Blocks &Head::blocks() const
{
    if (!m_blocks) {
        m_blocks.emplace();
        if (!m_path.isEmpty()) {
            for (const Block &block :
                 FlacMetadata::blocks(m_path, {VorbisCommentBlock, PictureBlock, CueSheetBlock})) {
                if (block.type == PictureBlock)
                    m_blocks->pictures.append(block.data);
                else if (block.type == CueSheetBlock && m_blocks->cueSheet.isEmpty())
                    m_blocks->cueSheet = block.data;
                else if (block.type == VorbisCommentBlock && m_blocks->comments.isEmpty())
                    m_blocks->comments = block.data;
            }
        }
    }
    return *m_blocks;
}

} // namespace FlacMetadata
