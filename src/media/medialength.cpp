#include "media/medialength.h"

#include "media/bytereader.h"
#include "media/id3tag.h"
#include "platform/regularfile.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>

namespace MediaLength {

namespace {

quint32 bigEndian(const uchar *bytes, int count)
{
    return ByteReader::bigEndianAt(QByteArrayView(bytes, count), 0, count);
}

quint32 littleEndian(const uchar *bytes, int count)
{
    return ByteReader::littleEndianAt(QByteArrayView(bytes, count), 0, count);
}

// One MPEG audio layer III frame header.
struct FrameHeader
{
    int bytes = 0;   // the whole frame
    int samples = 0; // per channel
    int sampleRate = 0;
    int sideInfoBytes = 0; // between the header and the frame's data (the Info/Xing tag sits there)
};

std::optional<FrameHeader> frameHeader(const uchar *b)
{
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = (b[1] >> 3) & 3; // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
    const int layer = (b[1] >> 1) & 3;   // 1: layer III
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    static constexpr std::array<int, 15> mpeg1Kbit{0,   32,  40,  48,  56,  64,  80, 96,
                                                   112, 128, 160, 192, 224, 256, 320};
    static constexpr std::array<int, 15> mpeg2Kbit{0,  8,  16, 24,  32,  40,  48, 56,
                                                   64, 80, 96, 112, 128, 144, 160};
    static constexpr std::array<int, 3> mpeg1Rates{44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int kbit = (mpeg1 ? mpeg1Kbit : mpeg2Kbit)[bitrateIndex];
    const int rate = mpeg1Rates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const bool padded = (b[2] >> 1) & 1;
    const bool mono = (b[3] >> 6) == 3;
    FrameHeader header;
    header.samples = mpeg1 ? 1152 : 576;
    header.sampleRate = rate;
    header.bytes = (mpeg1 ? 144 : 72) * kbit * 1000 / rate + (padded ? 1 : 0);
    header.sideInfoBytes = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return header;
}

// The frame count of an Info/Xing tag in the first frame, when it gives one together with the
// byte count of the stream, and that count is what the file holds from this frame on (within one
// frame). A tag written before the stream was cut short still counts the frames that never came.
std::optional<qint64> taggedFrames(const uchar *frame, const FrameHeader &header, qint64 audioBytes)
{
    const qint64 tag = 4 + header.sideInfoBytes;
    if (audioBytes < tag + 16 || header.bytes < tag + 16)
        return std::nullopt;
    const uchar *t = frame + tag;
    const bool named = (t[0] == 'X' && t[1] == 'i' && t[2] == 'n' && t[3] == 'g') ||
                       (t[0] == 'I' && t[1] == 'n' && t[2] == 'f' && t[3] == 'o');
    if (!named)
        return std::nullopt;
    const quint32 flags = bigEndian(t + 4, 4);
    constexpr quint32 framesGiven = 1;
    constexpr quint32 bytesGiven = 2;
    if ((flags & (framesGiven | bytesGiven)) != (framesGiven | bytesGiven))
        return std::nullopt;
    const quint32 frames = bigEndian(t + 8, 4);
    if (frames == 0 || qAbs(audioBytes - qint64(bigEndian(t + 12, 4))) > header.bytes)
        return std::nullopt;
    return frames;
}

} // namespace

std::optional<double> wavSeconds(const QString &path)
{
    QFile file;
    if (!RegularFile::openForReading(file, path))
        return std::nullopt;
    const QByteArray riff = file.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE")
        return std::nullopt;
    qint64 offset = 12;
    quint32 bytesPerSecond = 0;
    for (;;) {
        if (!file.seek(offset))
            return std::nullopt;
        const QByteArray head = file.read(8);
        if (head.size() < 8)
            return std::nullopt;
        const auto *h = reinterpret_cast<const uchar *>(head.constData());
        const qint64 size = littleEndian(h + 4, 4);
        if (head.startsWith("fmt ")) {
            const QByteArray format = file.read(16);
            if (format.size() < 16)
                return std::nullopt;
            const auto *f = reinterpret_cast<const uchar *>(format.constData());
            bytesPerSecond = littleEndian(f + 4, 4) * littleEndian(f + 12, 2);
        } else if (head.startsWith("data")) {
            if (bytesPerSecond == 0)
                return std::nullopt;
            // A header written before the end was known may claim more, or nothing at all.
            const qint64 present = file.size() - offset - 8;
            const qint64 bytes = size == 0 || size == 0xFFFFFFFF ? present : std::min(size, present);
            return double(std::max<qint64>(bytes, 0)) / bytesPerSecond;
        }
        offset += 8 + size + (size & 1);
    }
}

std::optional<double> mp3Seconds(const QString &path)
{
    return mp3Seconds(RegularFile::Mapped(path).bytes());
}

std::optional<double> infoFrameSeconds(QByteArrayView firstFrame, qint64 audioBytes)
{
    const auto *bytes = reinterpret_cast<const uchar *>(firstFrame.data());
    const std::optional<FrameHeader> first = firstFrame.size() >= 4 ? frameHeader(bytes) : std::nullopt;
    if (!first || first->bytes > firstFrame.size())
        return std::nullopt;
    if (const std::optional<qint64> frames = taggedFrames(bytes, *first, audioBytes))
        return double(*frames) * first->samples / first->sampleRate;
    return std::nullopt;
}

std::optional<double> mp3Seconds(QByteArrayView file)
{
    const qint64 size = file.size();
    if (size < 4)
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(file.data());
    qint64 offset = Id3Tag::tagSize(file);
    const std::optional<FrameHeader> first = offset + 4 <= size ? frameHeader(bytes + offset) : std::nullopt;
    if (!first)
        return std::nullopt;
    // An ID3v1 tag may close the file.
    constexpr qint64 id3v1Bytes = 128;
    const bool closingTag =
        size - offset >= id3v1Bytes && std::memcmp(bytes + size - id3v1Bytes, "TAG", 3) == 0;
    const qint64 audioBytes = size - offset - (closingTag ? id3v1Bytes : 0);
    if (const std::optional<qint64> frames = taggedFrames(bytes + offset, *first, audioBytes))
        return double(*frames) * first->samples / first->sampleRate;
    qint64 samples = 0;
    while (offset + 4 <= size) {
        const std::optional<FrameHeader> frame = frameHeader(bytes + offset);
        if (!frame || offset + frame->bytes > size)
            break;
        samples += frame->samples;
        offset += frame->bytes;
    }
    return double(samples) / first->sampleRate;
}

} // namespace MediaLength
