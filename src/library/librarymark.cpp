#include "library/librarymark.h"

#include "library/containerfacts.h"
#include "media/id3tag.h"
#include "platform/regularfile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <functional>
#include <map>

namespace {

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

QString LibraryMark::tagsText(const QList<QPair<QString, QString>> &tags)
{
    QCryptographicHash digest(QCryptographicHash::Md5);
    for (const auto &[name, value] : tags) {
        digest.addData(name.toUtf8() + '=' + value.toUtf8());
        digest.addData(QByteArrayView("\n", 1));
    }
    return QString::fromLatin1(digest.result().toHex().left(16));
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
    if (!track.isEmpty())
        fields.append({trackKey, track});
    if (!range.isEmpty())
        fields.append({rangeKey, range});
    if (!tags.isEmpty())
        fields.append({tagsKey, tags});
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
        else if (name.compare(trackKey, Qt::CaseInsensitive) == 0)
            mark.track = value;
        else if (name.compare(tagsKey, Qt::CaseInsensitive) == 0)
            mark.tags = value;
        else if (name.compare(rangeKey, Qt::CaseInsensitive) == 0)
            mark.range = value;
        else if (name.compare(settingsKey, Qt::CaseInsensitive) == 0)
            mark.settings = value;
    }
    if (mark.source.isEmpty())
        return std::nullopt;
    return mark;
}

QStringList LibraryMark::encoderOptions() const
{
    QStringList options{QStringLiteral("-id3v2_version"), QStringLiteral("3")};
    for (const auto &[name, value] : fields())
        options << QStringLiteral("-metadata") << name + u'=' + value;
    return options;
}

std::optional<LibraryMark> LibraryMark::read(const QString &path)
{
    const ContainerFacts *row = ContainerTable::ofPath(path);
    const ContainerFacts &container = row ? *row : *ContainerTable::facts(AudioContainer::Mp3);
    const RegularFile::Reader file(path);
    const auto fetch = [&file](qint64 offset, qsizetype count) { return file.read(offset, count); };
    return fromFields(container.tags(fetch, file.size()));
}

LibraryOutput LibraryOutput::read(const RegularFile::Reader &file, const QString &path)
{
    // The mark's text frames come first in the tag (a cover after them), and the Info frame follows
    // the tag: a few reads of a few kilobytes. Only an output without a usable Info frame is walked.
    // Without a cover, the tag and the Info frame lie in the first read, of one part. The length and
    // the mark of an Ogg or MP4 are read by walks that ask for the same parts: each part is read once.
    const QByteArray head = file.read(0, Id3Tag::PartBytes);
    std::map<std::pair<qint64, qsizetype>, QByteArray> parts;
    const auto fetch = [&](qint64 offset, qsizetype count) {
        if (offset + count <= head.size())
            return head.mid(offset, count);
        const auto [part, isNew] = parts.try_emplace({offset, count});
        if (isNew)
            part->second = file.read(offset, count);
        return part->second;
    };
    const ContainerFacts *row = ContainerTable::ofPath(path);
    const ContainerFacts &container = row ? *row : *ContainerTable::facts(AudioContainer::Mp3);
    return {container.seconds(fetch, file.size(), path),
            LibraryMark::fromFields(container.tags(fetch, file.size()))};
}
