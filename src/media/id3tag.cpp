#include "media/id3tag.h"

#include "media/bytereader.h"
#include "platform/regularfile.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace Id3Tag {

namespace {

// bytes[at, at + count), cut at the end of bytes.
QByteArrayView part(QByteArrayView bytes, qsizetype at, qsizetype count = -1)
{
    at = std::clamp<qsizetype>(at, 0, bytes.size());
    const qsizetype left = bytes.size() - at;
    return bytes.sliced(at, count < 0 ? left : std::min(count, left));
}

quint32 synchsafe(QByteArrayView bytes)
{
    quint32 value = 0;
    for (const char byte : bytes)
        value = (value << 7) | (uchar(byte) & 0x7F);
    return value;
}

// A text of an ID3v2 frame in the encoding its first byte names.
QString frameText(char encoding, QByteArrayView bytes)
{
    switch (encoding) {
    case 0:
        return QString::fromLatin1(bytes);
    case 1:
    case 2: {
        auto order = encoding == 2 ? QStringConverter::Utf16BE : QStringConverter::Utf16LE;
        if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF)
            order = QStringConverter::Utf16BE;
        if (bytes.size() >= 2 && ((uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF) ||
                                  (uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE)))
            bytes = part(bytes, 2);
        QStringDecoder decoder(order);
        return decoder(bytes);
    }
    default:
        return QString::fromUtf8(bytes);
    }
}

// The description and value of a TXXX frame's body.
QPair<QString, QString> userText(QByteArrayView body)
{
    if (body.isEmpty())
        return {};
    const char encoding = body[0];
    body = part(body, 1);
    const bool wide = encoding == 1 || encoding == 2;
    qsizetype end = -1;
    for (qsizetype k = 0; k + (wide ? 1 : 0) < body.size(); k += wide ? 2 : 1) {
        if (body[k] == 0 && (!wide || body[k + 1] == 0)) {
            end = k;
            break;
        }
    }
    if (end < 0)
        return {};
    QString value = frameText(encoding, part(body, end + (wide ? 2 : 1)));
    while (value.endsWith(QChar(0)))
        value.chop(1);
    return {frameText(encoding, part(body, 0, end)), value};
}

} // namespace

qint64 tagSize(QByteArrayView header)
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

QList<QPair<QString, QString>> userTexts(const Fetch &fetch)
{
    // The bytes are fetched a window at a time, so that a frame that is skipped (a cover) is not read.
    QByteArray window = fetch(0, PartBytes);
    qint64 windowAt = 0;
    const auto bytesAt = [&](qint64 offset, qsizetype count) {
        if (offset < windowAt || offset + count > windowAt + window.size()) {
            window = fetch(offset, std::max(count, PartBytes));
            windowAt = offset;
        }
        return part(window, offset - windowAt, count);
    };
    QList<QPair<QString, QString>> texts;
    const QByteArrayView header = bytesAt(0, 10);
    const qint64 size = tagSize(header);
    const int version = size > 0 ? uchar(header[3]) : 0;
    const uchar flags = size > 0 ? uchar(header[5]) : 0;
    // Version 2.3 or 2.4, not unsynchronised: what the encoder writes.
    if ((version != 3 && version != 4) || (flags & 0x80))
        return texts;
    const auto frameSize = [version](QByteArrayView bytes) {
        return qint64(version == 3 ? ByteReader::bigEndianAt(bytes, 0) : synchsafe(bytes));
    };
    qint64 at = 10;
    if (flags & 0x40)
        at += version == 3 ? 4 + frameSize(bytesAt(10, 4)) : synchsafe(bytesAt(10, 4));
    while (at + 10 <= size) {
        const QByteArrayView frame = bytesAt(at, 10);
        const qint64 length = frame.size() == 10 && frame[0] != 0 ? frameSize(part(frame, 4, 4)) : 0;
        if (length <= 0 || at + 10 + length > size)
            break;
        if (part(frame, 0, 4) == "TXXX") {
            // A frame the file's end cuts short tells nothing: what is left of it would be read as
            // a shorter text.
            const QByteArrayView body = bytesAt(at + 10, qsizetype(length));
            if (body.size() < length)
                break;
            texts.append(userText(body));
        }
        at += 10 + length;
    }
    return texts;
}

bool splice(const QString &tagFrom, const QString &audioFrom, const QString &target)
{
    const RegularFile::Mapped tagFile(tagFrom);
    const RegularFile::Mapped audioFile(audioFrom);
    const QByteArrayView tagged = tagFile.bytes();
    const QByteArrayView audio = audioFile.bytes();
    const qint64 tagBytes = tagSize(tagged);
    const qint64 audioStart = tagSize(audio);
    if (tagBytes == 0 || tagBytes > tagged.size() || audioStart >= audio.size())
        return false;
    QFile output(target);
    const qint64 audioBytes = audio.size() - audioStart;
    return output.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           output.write(tagged.data(), tagBytes) == tagBytes &&
           output.write(audio.data() + audioStart, audioBytes) == audioBytes && output.flush();
}

} // namespace Id3Tag
