#include "conversion/flacmetadata.h"

#include "platform/regularfile.h"

#include <QFile>

#include <algorithm>

namespace FlacMetadata {

qint64 id3v2TagSize(QByteArrayView header)
{
    if (header.size() < 10 || !header.startsWith("ID3"))
        return 0;
    // The size is "synchsafe": seven bits per byte.
    qint64 size = 0;
    for (int k = 6; k < 10; ++k) {
        const uchar byte = uchar(header.at(k));
        if (byte & 0x80)
            return 0;
        size = (size << 7) | byte;
    }
    const bool footer = uchar(header.at(5)) & 0x10;
    return 10 + size + (footer ? 10 : 0);
}

QList<Block> blocks(const QString &path, std::initializer_list<BlockType> wanted)
{
    QList<Block> found;
    QFile file;
    if (!RegularFile::openForReading(file, path) || !file.seek(id3v2TagSize(file.peek(10))) ||
        file.read(4) != "fLaC")
        return found;
    for (bool last = false; !last;) {
        const QByteArray header = file.read(4);
        if (header.size() < 4)
            break;
        last = uchar(header.at(0)) & 0x80;
        const int type = uchar(header.at(0)) & 0x7F;
        const qint64 length = (uchar(header.at(1)) << 16) | (uchar(header.at(2)) << 8) | uchar(header.at(3));
        if (std::ranges::find(wanted, type) != wanted.end())
            found.append({type, file.read(length)});
        else if (!file.seek(file.pos() + length))
            break;
    }
    return found;
}

std::optional<StreamInfo> streamInfo(const QString &path)
{
    for (const Block &block : blocks(path, {StreamInfoBlock})) {
        if (block.data.size() < 34)
            continue;
        const auto *s = reinterpret_cast<const uchar *>(block.data.constData());
        const quint32 rate = (quint32(s[10]) << 12) | (quint32(s[11]) << 4) | (s[12] >> 4);
        const quint64 samples = (quint64(s[13] & 0x0F) << 32) | (quint64(s[14]) << 24) |
                                (quint64(s[15]) << 16) | (quint64(s[16]) << 8) | s[17];
        StreamInfo info;
        if (rate != 0 && samples != 0)
            info.seconds = double(samples) / rate;
        const QByteArray md5 = block.data.mid(18, 16);
        if (md5.count('\0') != md5.size())
            info.audioMd5 = QString::fromLatin1(md5.toHex());
        return info;
    }
    return std::nullopt;
}

} // namespace FlacMetadata
