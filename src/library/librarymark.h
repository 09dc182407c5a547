#pragma once

#include "conversion/formattable.h"
#include "platform/regularfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What a library-mode output says of itself, in ID3v2 TXXX frames of an MP3 (Vorbis comments of an
// Ogg, freeform atoms of an M4A, of the same names): the source it was made from (its absolute
// path), the MD5 of the decoded audio that the source's STREAMINFO declares, the part of the source
// it holds when that is not all of it, and the settings it was encoded with. With it a later run tells an
// output whose source was only retagged, renamed or deleted from one it must encode again; an output without
// it is never moved or deleted.
struct LibraryMark
{
    // The frames' descriptions.
    static constexpr QLatin1StringView sourceKey{"TUNOXA_SOURCE"};
    static constexpr QLatin1StringView audioKey{"TUNOXA_AUDIO_MD5"};
    static constexpr QLatin1StringView trackKey{"TUNOXA_TRACK"};
    static constexpr QLatin1StringView rangeKey{"TUNOXA_RANGE"};
    static constexpr QLatin1StringView tagsKey{"TUNOXA_TAGS"};
    static constexpr QLatin1StringView settingsKey{"TUNOXA_SETTINGS"};

    QString source;   // the path as text: UTF-8, with "%" and every byte that is no UTF-8 as "%XX"
    QString audioMd5; // 32 hex digits; empty when the source declares none or the cutter cut it
    QString settings; // "mp3 320 48000 2": format, kbit/s, Hz, channels
    QString track;    // the number of an album image's track in its sheet; empty for a whole source
    QString range;    // "start-end" in the source's samples; empty for the whole source
    QString tags;     // a track's: the digest of the tags its sheet gives it (tagsText)

    bool operator==(const LibraryMark &) const = default;

    // The source's exact path bytes as the mark writes them, and back.
    static QString sourceText(const QByteArray &nativePath);
    static QByteArray sourcePath(const QString &text);
    // The digest of tags (16 hex digits), which tells whether an edit of a sheet changed them.
    static QString tagsText(const QList<QPair<QString, QString>> &tags);
    // The settings as the mark writes them.
    static QString settingsText(OutputFormat format, const EncodingSettings &settings);

    // The ffmpeg arguments that write the mark into an ID3v2.3 tag.
    QStringList encoderOptions() const;
    // The mark as tags of other containers, by name, the settings last.
    QList<QPair<QString, QString>> fields() const;
    // The mark among an output's tags; nothing without its source.
    static std::optional<LibraryMark> fromFields(const QList<QPair<QString, QString>> &tags);
    // The same settings and audio, of the same part of the source: an output with this mark can
    // stand for one with other. Two parts of one source never share it.
    QString contentKey() const
    {
        return audioMd5.isEmpty() ? QString() : audioMd5 + u' ' + range + u' ' + settings;
    }

    // The mark of an output, by the container its name's extension tells.
    static std::optional<LibraryMark> read(const QString &path);
};

// A library-mode output read once: its playing time and its mark.
struct LibraryOutput
{
    std::optional<double> seconds;
    std::optional<LibraryMark> mark;

    static LibraryOutput read(const RegularFile::Reader &file, const QString &path);
};
