#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// A place in an audio file as a cue sheet gives it: CD frames (75 a second) in a sheet's text,
// samples of the file in a FLAC CUESHEET block.
struct CuePosition
{
    enum class Unit
    {
        Frames,
        Samples,
    };
    Unit unit = Unit::Frames;
    qint64 value = 0;

    // The first sample at this place in a file of this rate; a frame that falls between two samples
    // is rounded to the nearer.
    qint64 samples(int sampleRate) const;

    friend bool operator==(const CuePosition &, const CuePosition &) = default;
};

// Why a cue sheet cannot split its image, and the line to blame (0 where no line is).
struct CueProblem
{
    enum class Kind
    {
        NoTracks,
        IndexPastEnd,
        IndexesOutOfOrder,
        NoIndex01,
        MalformedTime,
        MissingFile,
        EncodingNotRecognised,
        SheetTooLarge,
    };
    Kind kind = Kind::NoTracks;
    int line = 0;

    QString reason() const;
    // "Cue sheet error: <reason> (line N)", in the interface's language; what follows the sheet's
    // path in a failure line.
    QString text() const;

    friend bool operator==(const CueProblem &, const CueProblem &) = default;
};

// The samples of one file that make one track: [start, end).
struct TrackRange
{
    int track = 0; // index into CueSheet::tracks
    qint64 start = 0;
    qint64 end = 0;

    friend bool operator==(const TrackRange &, const TrackRange &) = default;
};

// What a cue sheet says of an album image: the album's fields, its files and its audio tracks.
struct CueSheet
{
    struct File
    {
        QString name; // as the sheet gives it, relative to the sheet's folder
        int line = 0;
    };
    struct Track
    {
        int number = 0;
        int file = 0; // index into files: the file its INDEX 01 lies in
        std::optional<CuePosition> index00;
        std::optional<CuePosition> index01;
        QString title;
        QString performer;
        QString songwriter;
        QString isrc;
        QMap<QString, QString> remarks; // by upper-case REM name: DATE, GENRE, COMPOSER, ...
        int line = 0;                   // of its TRACK command
    };

    QString title;
    QString performer;
    QString songwriter;
    QString catalog;
    QMap<QString, QString> remarks;
    QList<File> files;
    QList<Track> tracks; // audio tracks only, in sheet order

    // The sheet in a text; a problem where it has no audio track, a track with no INDEX 01, indexes
    // out of order within a file or a malformed time.
    static std::variant<CueSheet, CueProblem> parse(const QString &text);
    // The names of the text's FILE lines, whatever else it holds.
    static QStringList fileNames(const QString &text);
    // The first problem of a sheet made other than from text, or none.
    std::optional<CueProblem> problem() const;

    // Where the tracks of one file begin and end in its samples: each runs from its INDEX 01 to the
    // next track's, so a pregap ends the track before it; the first starts at 0 and the last runs
    // to the file's end. A problem where an INDEX 01 lies at or past the end.
    std::variant<QList<TrackRange>, CueProblem> trackRanges(int file, int sampleRate,
                                                            qint64 totalSamples) const;
    // Whether no file holds more than one track: such a sheet describes tracks, not an image.
    bool oneFilePerTrack() const;
};
