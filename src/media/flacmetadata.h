#pragma once

#include "platform/regularfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>

// The metadata blocks at the head of a FLAC file, read with no tool.
namespace FlacMetadata {

enum BlockType
{
    StreamInfoBlock = 0,
    VorbisCommentBlock = 4,
    PictureBlock = 6,
};

struct Block
{
    int type = 0;
    QByteArray data;
};


// The fields of a Vorbis comment block by upper-case name, in name order, each name's values in file
// order; malformed fields are left out and a truncated block keeps the fields before the cut.
// Pictures kept as comments are no text.
QMap<QString, QStringList> commentFields(const QByteArray &block);
// Those of a FLAC file's comment block; none when it has none.
QMap<QString, QStringList> comments(const QString &path);

// The blocks of the wanted types, in file order, after an ID3v2 tag if one comes first. They are
// walked by their headers whatever their order: the decoders read a stream whose first block is not
// STREAMINFO. The walk ends at the last block or where the file ends; empty for a file that is no FLAC.
QList<Block> blocks(const QString &path, std::initializer_list<BlockType> wanted);

// What the stream header (STREAMINFO) declares.
struct StreamInfo
{
    std::optional<double> seconds; // none when the header leaves the length open (0 samples)
    QString audioMd5;              // of the decoded audio, 32 hex digits; empty when left open (all 0)
};

// The first STREAMINFO block of a FLAC file, where the walk of blocks finds one (the stream header
// should come first; a file where other blocks precede it still plays); none for a file that is no
// FLAC or has none.
std::optional<StreamInfo> streamInfo(const RegularFile::Reader &file, const QString &path);

} // namespace FlacMetadata
