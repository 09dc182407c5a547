#pragma once

#include "media/cuesheet.h"
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
    CueSheetBlock = 5,
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

// The blocks of the wanted types, in file order, after an ID3v2 tag if one comes first. They are
// walked by their headers whatever their order: the decoders read a stream whose first block is not
// STREAMINFO. The walk ends at the last block or where the file ends; empty for a file that is no FLAC.
QList<Block> blocks(const QString &path, std::initializer_list<BlockType> wanted);

// What the stream header (STREAMINFO) declares.
struct StreamInfo
{
    std::optional<double> seconds; // none when the header leaves the length open (0 samples)
    QString audioMd5;              // of the decoded audio, 32 hex digits; empty when left open (all 0)
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    qint64 totalSamples = 0; // per channel; 0 when left open
};

// The first STREAMINFO block of a FLAC file, where the walk of blocks finds one (the stream header
// should come first; a file where other blocks precede it still plays); none for a file that is no
// FLAC or has none.
std::optional<StreamInfo> streamInfo(const RegularFile::Reader &file, const QString &path);

// A picture of a FLAC file and the extension that tells its type.
struct Picture
{
    QByteArray data;
    QString extension; // ".jpg", ".png", ".gif" or ".bmp"
};

// The front cover, else the first picture, among picture blocks of the types an MP3 can carry; no
// data when none.
Picture frontPicture(const QList<QByteArray> &pictureBlocks);

// The sheet a CUESHEET block holds: one file (the FLAC itself, with no name), its audio tracks with
// their INDEX 00 and 01 in samples, their ISRCs and the catalog number. None for a block cut short
// or one whose tracks no sheet could hold. A sheet kept as text is the CUESHEET comment instead.
std::optional<CueSheet> cueSheet(const QByteArray &block);

// What the head of a source says of it, each part read once: its stream header at once (all that an
// output that is up to date needs), its comments and pictures together the first time either is
// wanted, with its CUESHEET block. A file that is no FLAC has none of them.
class Head
{
public:
    Head() = default;
    Head(const RegularFile::Reader &file, const QString &path);

    const std::optional<StreamInfo> &streamInfo() const { return m_streamInfo; }
    // The comment block, and its fields as commentFields gives them.
    const QByteArray &commentBlock() const { return blocks().comments; }
    QMap<QString, QStringList> comments() const { return commentFields(blocks().comments); }
    QList<QByteArray> pictureBlocks() const { return blocks().pictures; }
    Picture picture() const { return frontPicture(blocks().pictures); }
    const QByteArray &cueSheetBlock() const { return blocks().cueSheet; }

private:
    struct Blocks
    {
        QByteArray comments;
        QList<QByteArray> pictures;
        QByteArray cueSheet;
    };
    const Blocks &blocks() const;

    QString m_path;
    std::optional<StreamInfo> m_streamInfo;
    mutable std::optional<Blocks> m_blocks;
};

} // namespace FlacMetadata
