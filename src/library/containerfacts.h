#pragma once

#include "conversion/outputformat.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// What differs between the containers audio outputs come in, one row each (MP3, Ogg, MP4): how the
// library's mark and the source's tags reach an output, how an output's audio is kept under new
// tags, how the source's fields read on players, and how an output's length and tags are read back
// with no tool. Everyone who must tell the containers apart reads the row instead.
struct ContainerFacts
{
    using Fetch = std::function<QByteArray(qint64 offset, qsizetype count)>;

    // How the mark and the source's tags reach an encode's output.
    enum class MarkWay
    {
        EncoderTags,  // the encoder writes them into the ID3v2.3 tag, from its command line
        CommentsFile, // an ffmetadata file in the work folder gives them as Vorbis comments, the cover too
        AfterEncode,  // freeform atoms added to the finished file
    };
    // How an output's audio is kept under new tags (a retag, a move).
    enum class KeepAudio
    {
        TagSplice, // a new ID3v2 tag, made by the encoder, before the output's frames as they are
        Remux,     // the output's packets copied by the encoder into a new file with the new tags
    };

    AudioContainer container = AudioContainer::None;
    MarkWay markWay = MarkWay::EncoderTags;
    KeepAudio keepAudio = KeepAudio::TagSplice;
    // The cover travels as a picture stream of its own (not as a comment).
    bool coverAsStream = true;
    // Track and disc totals go into the numbers' own field ("1/9") instead of fields of their own.
    bool totalsInNumbers = false;
    // Several values of one field are joined by "/" instead of as the encoder joins them.
    bool valuesJoined = false;
    // The encoder's options for an output of a part of its source, so that players read exactly the
    // part's samples: an MP4's edit list in the audio's own time scale (the default of a thousandth of
    // a second cuts up to 44 samples off), an Ogg in pages short enough that FFmpeg trims a short
    // track's last page (a stream of one page it does not).
    QStringView partOptions;
    // The playing time, bytes coming as fetch gives them; path for a walk of the whole file.
    std::optional<double> (*seconds)(const Fetch &fetch, qint64 size, const QString &path) = nullptr;
    // The tags the library reads back (the mark's fields among them), name and value in file order.
    QList<QPair<QString, QString>> (*tags)(const Fetch &fetch, qint64 size) = nullptr;
};

namespace ContainerTable {

// The row of an audio container; nullptr for None (video).
const ContainerFacts *facts(AudioContainer container);
// The row of an output by its file name's extension; nullptr for any other name.
const ContainerFacts *ofPath(QStringView path);

} // namespace ContainerTable
