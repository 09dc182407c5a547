#pragma once

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

// How a library-mode MP3's ID3v2.3 tag reads on players, beyond what the encoder makes of a FLAC's
// Vorbis comments itself: track and disc totals in TRCK and TPOS ("1/9"), not in private frames,
// and several values of one artist, genre, composer or performer joined by "/", the ID3v2.3
// convention, instead of ";".
namespace LibraryTags {

// The encoder's metadata keys and the values that replace what it would write for fields (the
// comment block's fields by upper-case name); an empty value removes the key.
QList<QPair<QString, QString>> overrides(const QMap<QString, QStringList> &fields);

} // namespace LibraryTags
