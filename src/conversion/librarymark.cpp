#include "conversion/librarymark.h"

#include "conversion/flacmetadata.h"
#include "conversion/medialength.h"
#include "conversion/mp4atoms.h"
#include "conversion/oggstream.h"
#include "platform/regularfile.h"
#include "runner/commandlinetext.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <functional>
#include <map>

namespace {

// bytes[at, at + count), cut at the end of bytes.
QByteArrayView part(QByteArrayView bytes, qsizetype at, qsizetype count = -1)
{
    at = std::clamp<qsizetype>(at, 0, bytes.size());
    const qsizetype left = bytes.size() - at;
    return bytes.sliced(at, count < 0 ? left : std::min(count, left));
}

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at bytes[at], or 0 when none starts there.
int utf8SequenceAt(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype k) { return at + k < bytes.size() ? uchar(bytes[at + k]) : uchar(0); };
    const uchar first = byte(0);
    if (first < 0x80)
        return 1;
    int length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        low = first == 0xE0 ? 0xA0 : 0x80;
        high = first == 0xED ? 0x9F : 0xBF;
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        low = first == 0xF0 ? 0x90 : 0x80;
        high = first == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (byte(1) < low || byte(1) > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (!isContinuation(byte(k)))
            return 0;
    }
    return length;
}

quint32 bigEndian(QByteArrayView bytes)
{
    quint32 value = 0;
    for (const char byte : bytes)
        value = (value << 8) | uchar(byte);
    return value;
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
std::pair<QString, QString> userText(QByteArrayView body)
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

QString LibraryMark::sourceText(const QByteArray &nativePath)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(nativePath);
    if (!utf8.hasError() && !nativePath.contains('%'))
        return text;
    text.clear();
    for (qsizetype at = 0; at < nativePath.size();) {
        const int length = nativePath[at] == '%' ? 0 : utf8SequenceAt(nativePath, at);
        if (length == 0) {
            text += u'%' + QString::number(uchar(nativePath[at]), 16).toUpper().rightJustified(2, u'0');
            ++at;
            continue;
        }
        text += QString::fromUtf8(nativePath.mid(at, length));
        at += length;
    }
    return text;
}

QByteArray LibraryMark::sourcePath(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    QByteArray path;
    for (qsizetype at = 0; at < utf8.size(); ++at) {
        bool ok = false;
        const int byte = utf8[at] == '%' ? utf8.mid(at + 1, 2).toInt(&ok, 16) : 0;
        if (ok) {
            path += char(byte);
            at += 2;
        } else {
            path += utf8[at];
        }
    }
    return path;
}

QString LibraryMark::settingsText(OutputFormat format, const EncodingSettings &settings)
{
    const QString fixedRate = FormatTable::fixedSampleRate(format);
    return FormatTable::commandName(format) + u' ' + settings.audioBitrate + u' ' +
           (fixedRate.isEmpty() ? settings.sampleRate : fixedRate) + u' ' +
           QString::number(settings.channelIndex + 1);
}

QList<QPair<QString, QString>> LibraryMark::fields() const
{
    QList<QPair<QString, QString>> fields{{sourceKey, source}};
    if (!audioMd5.isEmpty())
        fields.append({audioKey, audioMd5});
    fields.append({settingsKey, settings});
    return fields;
}

std::optional<LibraryMark> LibraryMark::fromFields(const QList<QPair<QString, QString>> &tags)
{
    LibraryMark mark;
    for (const auto &[name, value] : tags) {
        if (name.compare(sourceKey, Qt::CaseInsensitive) == 0)
            mark.source = value;
        else if (name.compare(audioKey, Qt::CaseInsensitive) == 0)
            mark.audioMd5 = value;
        else if (name.compare(settingsKey, Qt::CaseInsensitive) == 0)
            mark.settings = value;
    }
    if (mark.source.isEmpty())
        return std::nullopt;
    return mark;
}

QString LibraryMark::encoderOptions() const
{
    using CommandLineText::quote;
    QString options = QStringLiteral(" -id3v2_version 3 -metadata ") + quote(sourceKey + u'=' + source);
    if (!audioMd5.isEmpty())
        options += QStringLiteral(" -metadata ") + quote(audioKey + u'=' + audioMd5);
    return options + QStringLiteral(" -metadata ") + quote(settingsKey + u'=' + settings);
}

std::optional<LibraryMark> LibraryMark::read(QByteArrayView mp3)
{
    return readTag([mp3](qint64 offset, qsizetype count) { return part(mp3, offset, count).toByteArray(); });
}

std::optional<LibraryMark> LibraryMark::readTag(const std::function<QByteArray(qint64, qsizetype)> &fetch)
{
    // The bytes are fetched a window at a time, so that a frame that is skipped (a cover) is not read.
    QByteArray window = fetch(0, LibraryOutput::PartBytes);
    qint64 windowAt = 0;
    const auto bytesAt = [&](qint64 offset, qsizetype count) {
        if (offset < windowAt || offset + count > windowAt + window.size()) {
            window = fetch(offset, std::max(count, LibraryOutput::PartBytes));
            windowAt = offset;
        }
        return part(window, offset - windowAt, count);
    };
    const QByteArrayView header = bytesAt(0, 10);
    const qint64 tagSize = FlacMetadata::id3v2TagSize(header);
    const int version = tagSize > 0 ? uchar(header[3]) : 0;
    const uchar flags = tagSize > 0 ? uchar(header[5]) : 0;
    // Version 2.3 or 2.4, not unsynchronised: what the encoder writes.
    if ((version != 3 && version != 4) || (flags & 0x80))
        return std::nullopt;
    const auto frameSize = [version](QByteArrayView bytes) {
        return qint64(version == 3 ? bigEndian(bytes) : synchsafe(bytes));
    };
    qint64 at = 10;
    if (flags & 0x40)
        at += version == 3 ? 4 + frameSize(bytesAt(10, 4)) : synchsafe(bytesAt(10, 4));
    LibraryMark mark;
    while (at + 10 <= tagSize) {
        const QByteArrayView frame = bytesAt(at, 10);
        const qint64 size = frame.size() == 10 && frame[0] != 0 ? frameSize(part(frame, 4, 4)) : 0;
        if (size <= 0 || at + 10 + size > tagSize)
            break;
        if (part(frame, 0, 4) == "TXXX") {
            const auto [description, value] = userText(bytesAt(at + 10, qsizetype(size)));
            if (description == sourceKey)
                mark.source = value;
            else if (description == audioKey)
                mark.audioMd5 = value;
            else if (description == settingsKey)
                mark.settings = value;
        }
        at += 10 + size;
    }
    if (mark.source.isEmpty())
        return std::nullopt;
    return mark;
}

std::optional<LibraryMark> LibraryMark::read(const QString &path)
{
    const RegularFile::Reader file(path);
    const auto fetch = [&file](qint64 offset, qsizetype count) { return file.read(offset, count); };
    switch (FormatTable::containerOfPath(path)) {
    case AudioContainer::Ogg:
        return fromFields(OggStream::comments(fetch));
    case AudioContainer::Mp4:
        return fromFields(Mp4Atoms::freeformTags(fetch, file.size()));
    case AudioContainer::Mp3:
    case AudioContainer::None:
        break;
    }
    return readTag(fetch);
}

LibraryOutput LibraryOutput::read(const RegularFile::Reader &file, const QString &path)
{
    // The mark's text frames come first in the tag (a cover after them), and the Info frame follows
    // the tag: a few reads of a few kilobytes. Only an output without a usable Info frame is walked.
    // Without a cover, the tag and the Info frame lie in the first read, of one part. The length and
    // the mark of an Ogg or MP4 are read by walks that ask for the same parts: each part is read once.
    const QByteArray head = file.read(0, PartBytes);
    std::map<std::pair<qint64, qsizetype>, QByteArray> parts;
    const auto fetch = [&](qint64 offset, qsizetype count) {
        if (offset + count <= head.size())
            return head.mid(offset, count);
        const auto [part, isNew] = parts.try_emplace({offset, count});
        if (isNew)
            part->second = file.read(offset, count);
        return part->second;
    };
    switch (FormatTable::containerOfPath(path)) {
    case AudioContainer::Ogg:
        return {OggStream::seconds(fetch, file.size()), LibraryMark::fromFields(OggStream::comments(fetch))};
    case AudioContainer::Mp4:
        return {Mp4Atoms::seconds(fetch, file.size()),
                LibraryMark::fromFields(Mp4Atoms::freeformTags(fetch, file.size()))};
    case AudioContainer::Mp3:
    case AudioContainer::None:
        break;
    }
    const qint64 tagSize = FlacMetadata::id3v2TagSize(head);
    std::optional<double> seconds =
        MediaLength::infoFrameSeconds(fetch(tagSize, FrameBytes), file.size() - tagSize);
    if (!seconds && file.size() > 0)
        seconds = MediaLength::mp3Seconds(RegularFile::Mapped(path).bytes());
    return {seconds, LibraryMark::readTag(fetch)};
}

bool LibraryOutput::writeWithTag(const QString &tagFrom, const QString &audioFrom, const QString &target)
{
    const RegularFile::Mapped tagFile(tagFrom);
    const RegularFile::Mapped audioFile(audioFrom);
    const QByteArrayView tagged = tagFile.bytes();
    const QByteArrayView audio = audioFile.bytes();
    const qint64 tagSize = FlacMetadata::id3v2TagSize(tagged);
    const qint64 audioStart = FlacMetadata::id3v2TagSize(audio);
    if (tagSize == 0 || tagSize > tagged.size() || audioStart >= audio.size())
        return false;
    QFile output(target);
    const qint64 audioBytes = audio.size() - audioStart;
    return output.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           output.write(tagged.data(), tagSize) == tagSize &&
           output.write(audio.data() + audioStart, audioBytes) == audioBytes && output.flush();
}
