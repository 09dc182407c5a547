#pragma once

#include "conversion/recipes.h"
#include "media/flacmetadata.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// The MP3 encode of a FLAC that the encoder cannot read although the reference decoder can (no
// STREAMINFO or a late one, a maximum block size that is wrong or below 16, 32 bits per sample):
// the source is decoded to the work WAV, by sox or by data/flac, and the WAV is encoded instead,
// with the source's tags and cover carried over through files in the work folder.
namespace FlacFallback {

// What writeMetadata wrote; a path is empty when there was nothing to write (or it could not be
// written).
struct Metadata
{
    QString tagsPath;    // ffmetadata text: the source's Vorbis comments under the encoder's names
    QString picturePath; // the front cover (or else the first picture), as an image file
};

// data/flac decodes the source into the work WAV (in.work.probeWav), replacing what is there.
ToolCommand decodeCommand(const RecipeInput &in);

// Writes the tags of a FLAC's head to tagsPath and its front picture to picturePath plus the
// extension of its type (".jpg", ".png", ".gif" or ".bmp"). A head without them, or a picture of
// another type, simply gives less: no error.
Metadata writeMetadata(const FlacMetadata::Head &head, const QString &tagsPath, const QString &picturePath);

// One entry of an ffmetadata file, its line break included.
QByteArray ffmetadataLine(const QString &name, const QString &value);

// The format's encode of the decoded WAV, with the options its encode stage gives for a decode
// (StageFacts::decodeOptions); the tags and the picture of `written` go into the output as its tag.
// The cutter cuts the WAV as it would cut the source.
ToolCommand encodeCommand(OutputFormat format, const RecipeInput &in, const QString &wav,
                          const Metadata &written, const NameChooser &chooseName = {});

} // namespace FlacFallback
