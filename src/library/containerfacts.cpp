#include "library/containerfacts.h"

#include "conversion/formattable.h"
#include "media/id3tag.h"
#include "media/medialength.h"
#include "media/mp4atoms.h"
#include "media/oggstream.h"
#include "platform/regularfile.h"

namespace {

// What is read of the frame after an MP3's tag: the longest MP3 frame (1441 bytes) fits.
constexpr qsizetype FrameBytes = 2048;

std::optional<double> mp3Seconds(const ContainerFacts::Fetch &fetch, qint64 size, const QString &path)
{
    // The Info frame right after the tag tells it at once; only an output without one is walked.
    const qint64 tagSize = Id3Tag::tagSize(fetch(0, 10));
    std::optional<double> seconds = MediaLength::infoFrameSeconds(fetch(tagSize, FrameBytes), size - tagSize);
    if (!seconds && size > 0)
        seconds = MediaLength::mp3Seconds(RegularFile::Mapped(path).bytes());
    return seconds;
}

QList<QPair<QString, QString>> id3Tags(const ContainerFacts::Fetch &fetch, qint64)
{
    return Id3Tag::userTexts(fetch);
}

std::optional<double> oggSeconds(const ContainerFacts::Fetch &fetch, qint64 size, const QString &)
{
    return OggStream::seconds(fetch, size);
}

QList<QPair<QString, QString>> oggTags(const ContainerFacts::Fetch &fetch, qint64)
{
    return OggStream::comments(fetch);
}

std::optional<double> mp4Seconds(const ContainerFacts::Fetch &fetch, qint64 size, const QString &)
{
    return Mp4Atoms::seconds(fetch, size);
}

constexpr ContainerFacts rows[] = {
    {AudioContainer::Mp3,
     ContainerFacts::MarkWay::EncoderTags,
     ContainerFacts::KeepAudio::TagSplice,
     true,
     true,
     true,
     {},
     mp3Seconds,
     id3Tags},
    {AudioContainer::Ogg, ContainerFacts::MarkWay::CommentsFile, ContainerFacts::KeepAudio::Remux, false,
     false, false, u"-page_duration 100000", oggSeconds, oggTags},
    {AudioContainer::Mp4, ContainerFacts::MarkWay::AfterEncode, ContainerFacts::KeepAudio::Remux, true, true,
     false, u"-movie_timescale {sampleRate}", mp4Seconds, Mp4Atoms::freeformTags},
};

} // namespace

namespace ContainerTable {

const ContainerFacts *facts(AudioContainer container)
{
    for (const ContainerFacts &row : rows) {
        if (row.container == container)
            return &row;
    }
    return nullptr;
}

const ContainerFacts *ofPath(QStringView path)
{
    return facts(FormatTable::containerOfPath(path));
}

} // namespace ContainerTable
