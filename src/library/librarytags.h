#pragma once

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

#include "conversion/formattable.h"

// How a library-mode output's tags read on players, beyond what the encoder makes of a FLAC's
// Vorbis comments itself. An MP3's ID3v2.3 tag: track and disc totals in TRCK and TPOS ("1/9"), not
// in private frames, and several values of one artist, genre, composer or performer joined by "/",
// the ID3v2.3 convention, instead of ";". An MP4: the totals in trkn and disk. Vorbis comments
// keep the source's fields as the encoder writes them.
namespace LibraryTags {

// The encoder's metadata keys and the values that replace what it would write for fields (the
// comment block's fields by upper-case name); an empty value removes the key.
QList<QPair<QString, QString>> overrides(const QMap<QString, QStringList> &fields,
                                         AudioContainer container = AudioContainer::Mp3);

// The encoder's metadata keys and values for the tags of a track (by their Vorbis comment names, an
// empty value removing the tag), which stand over its source's: numbers and totals as the container
// keeps them.
QList<QPair<QString, QString>> trackOverrides(const QList<QPair<QString, QString>> &tags,
                                              AudioContainer container = AudioContainer::Mp3);

// The fields an MP4 keeps only as freeform atoms, which the encoder drops: the ReplayGain values,
// by their lower-case names.
QList<QPair<QString, QString>> freeformFields(const QMap<QString, QStringList> &fields);

} // namespace LibraryTags
