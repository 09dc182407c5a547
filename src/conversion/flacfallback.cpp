#include "conversion/flacfallback.h"

#include "conversion/flacmetadata.h"
#include "conversion/formattable.h"
#include "runner/commandlinetext.h"

#include <QFile>
#include <QMap>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <optional>

namespace FlacFallback {

namespace {

using CommandLineText::quote;
using CommandLineText::quoteIfNeeded;

// Vorbis comment names and the names the encoder gives those tags when it reads a FLAC itself, the
// names its MP3 muxer knows. Other names go through as they are, as the encoder keeps them too (the
// muxer writes them as TXXX frames).
struct NameMapping
{
    QLatin1StringView vorbis;
    QLatin1StringView encoder;
};

constexpr NameMapping encoderNames[] = {
    {QLatin1StringView("TITLE"), QLatin1StringView("title")},
    {QLatin1StringView("ARTIST"), QLatin1StringView("artist")},
    {QLatin1StringView("ALBUM"), QLatin1StringView("album")},
    {QLatin1StringView("ALBUMARTIST"), QLatin1StringView("album_artist")},
    {QLatin1StringView("DATE"), QLatin1StringView("date")},
    {QLatin1StringView("TRACKNUMBER"), QLatin1StringView("track")},
    {QLatin1StringView("DISCNUMBER"), QLatin1StringView("disc")},
    {QLatin1StringView("GENRE"), QLatin1StringView("genre")},
    {QLatin1StringView("COMPOSER"), QLatin1StringView("composer")},
    {QLatin1StringView("PERFORMER"), QLatin1StringView("performer")},
    {QLatin1StringView("COPYRIGHT"), QLatin1StringView("copyright")},
    {QLatin1StringView("LANGUAGE"), QLatin1StringView("language")},
    {QLatin1StringView("LYRICS"), QLatin1StringView("lyrics")},
    {QLatin1StringView("COMMENT"), QLatin1StringView("comment")},
    {QLatin1StringView("DESCRIPTION"), QLatin1StringView("comment")},
};

QString encoderName(const QString &vorbisName)
{
    for (const NameMapping &mapping : encoderNames) {
        if (vorbisName.compare(mapping.vorbis, Qt::CaseInsensitive) == 0)
            return mapping.encoder;
    }
    return vorbisName;
}

// ffmetadata takes these characters only behind a backslash; a bare line break ends the entry.
QString escaped(const QString &text)
{
    QString result;
    for (const QChar c : text) {
        if (QStringView(u"=;#\\\n\r").contains(c))
            result += QLatin1Char('\\');
        result += c;
    }
    return result;
}

// Reads a metadata block front to back; a read past its end leaves it failed.
class BlockReader
{
public:
    explicit BlockReader(const QByteArray &block)
        : m_block(block)
    {}

    bool failed() const { return m_failed; }

    quint32 number(QSysInfo::Endian order)
    {
        const QByteArray bytes = this->bytes(4);
        if (bytes.size() < 4)
            return 0;
        return order == QSysInfo::BigEndian ? qFromBigEndian<quint32>(bytes.constData())
                                            : qFromLittleEndian<quint32>(bytes.constData());
    }

    QByteArray bytes(qint64 count)
    {
        if (m_failed || count > m_block.size() - m_position) {
            m_failed = true;
            return {};
        }
        const QByteArray part = m_block.mid(m_position, count);
        m_position += count;
        return part;
    }

private:
    const QByteArray &m_block;
    qint64 m_position = 0;
    bool m_failed = false;
};

// A field name of a Vorbis comment: printable ASCII without "=".
bool validFieldName(const QByteArray &name)
{
    return !name.isEmpty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c <= 0x7D; });
}

// The comment block's fields by upper-case name, in name order, each name's values in file order;
// malformed fields are left out and a truncated block keeps the fields before the cut. Pictures
// kept as comments are no text.
QMap<QString, QStringList> commentFields(const QByteArray &block)
{
    QMap<QString, QStringList> fields;
    BlockReader reader(block);
    reader.bytes(reader.number(QSysInfo::LittleEndian)); // the vendor string
    const quint32 count = reader.number(QSysInfo::LittleEndian);
    for (quint32 k = 0; k < count && !reader.failed(); ++k) {
        const QByteArray field = reader.bytes(reader.number(QSysInfo::LittleEndian));
        const qsizetype separator = field.indexOf('=');
        const QByteArray name = field.left(separator).toUpper();
        if (reader.failed() || separator < 1 || !validFieldName(name) || name == "METADATA_BLOCK_PICTURE" ||
            name == "COVERART")
            continue;
        fields[QString::fromLatin1(name)].append(QString::fromUtf8(field.mid(separator + 1)));
    }
    return fields;
}

// One line per name; several values of one name are joined by ";", as the encoder joins them when it
// reads the comments of a FLAC itself.
QByteArray ffmetadata(const QByteArray &commentBlock)
{
    const QMap<QString, QStringList> fields = commentFields(commentBlock);
    if (fields.isEmpty())
        return {};
    QString text = QStringLiteral(";FFMETADATA1\n");
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        text += escaped(encoderName(it.key())) + QLatin1Char('=') + escaped(it->join(QLatin1Char(';'))) +
                QLatin1Char('\n');
    return text.toUtf8();
}

// The picture types the MP3 muxer can carry, with the extension that tells the encoder the type.
struct ImageType
{
    QLatin1StringView mimeType;
    QLatin1StringView extension;
};

constexpr ImageType carriedImages[] = {
    {QLatin1StringView("image/jpeg"), QLatin1StringView(".jpg")},
    {QLatin1StringView("image/jpg"), QLatin1StringView(".jpg")},
    {QLatin1StringView("image/png"), QLatin1StringView(".png")},
    {QLatin1StringView("image/gif"), QLatin1StringView(".gif")},
    {QLatin1StringView("image/bmp"), QLatin1StringView(".bmp")},
};

QString imageExtension(const QString &mimeType)
{
    for (const ImageType &image : carriedImages) {
        if (mimeType.compare(image.mimeType, Qt::CaseInsensitive) == 0)
            return image.extension;
    }
    return {};
}

struct Image
{
    QByteArray data;
    QString extension;
};

// The front cover, else the first picture, among those the muxer can carry; no data when none.
Image chosenPicture(const QList<QByteArray> &blocks)
{
    Image chosen;
    constexpr quint32 frontCover = 3;
    for (const QByteArray &block : blocks) {
        // Type, MIME type, description, four numbers on the image, then the image.
        BlockReader reader(block);
        const quint32 type = reader.number(QSysInfo::BigEndian);
        const QString mimeType = QString::fromUtf8(reader.bytes(reader.number(QSysInfo::BigEndian)));
        reader.bytes(reader.number(QSysInfo::BigEndian));
        reader.bytes(16);
        const QByteArray image = reader.bytes(reader.number(QSysInfo::BigEndian));
        const QString extension = imageExtension(mimeType);
        const bool front = type == frontCover;
        if (reader.failed() || extension.isEmpty() || (!chosen.data.isEmpty() && !front))
            continue;
        chosen = {image, extension};
        if (front)
            break;
    }
    return chosen;
}

// The file written whole, or its path empty.
QString writtenFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (content.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    if (file.write(content) != content.size()) {
        file.remove();
        return {};
    }
    return path;
}

} // namespace

ToolCommand decodeCommand(const RecipeInput &in)
{
    const QString tool = decoderTool.toString();
    return {quoteIfNeeded(Recipes::toolPath(in.programFolder, tool)) + QStringLiteral(" -d -f -s -o ") +
                quoteIfNeeded(in.work.probeWav) + QLatin1Char(' ') + quote(in.inputPath),
            in.work.probeWav, tool};
}

Metadata writeMetadata(const QString &source, const QString &tagsPath, const QString &picturePath)
{
    QByteArray comments;
    QList<QByteArray> pictures;
    for (const FlacMetadata::Block &block :
         FlacMetadata::blocks(source, {FlacMetadata::VorbisCommentBlock, FlacMetadata::PictureBlock})) {
        if (block.type == FlacMetadata::VorbisCommentBlock)
            comments = block.data;
        else
            pictures.append(block.data);
    }
    Metadata result;
    if (!comments.isEmpty())
        result.tagsPath = writtenFile(tagsPath, ffmetadata(comments));
    const Image picture = chosenPicture(pictures);
    if (!picture.data.isEmpty())
        result.picturePath = writtenFile(picturePath + picture.extension, picture.data);
    return result;
}

ToolCommand encodeCommand(const RecipeInput &in, const QString &wav, const Metadata &written,
                          const NameChooser &chooseName)
{
    const QString tool = ToolName::coder();
    const QString wanted =
        Recipes::outputPath(OutputFormat::Mp3, in.inputPath, in.outputFolder, in.clock, in.plainName);
    const QString output = chooseName ? chooseName(wanted) : wanted;
    // The WAV is cut as the normal encode cuts its source.
    QString inputs =
        Recipes::coderCut(in.cut ? &*in.cut : nullptr) + QStringLiteral(" -i ") + quoteIfNeeded(wav);
    QString maps = QStringLiteral(" -map 0:a");
    int next = 1;
    if (!written.tagsPath.isEmpty()) {
        inputs += QStringLiteral(" -i ") + quoteIfNeeded(written.tagsPath);
        maps += QStringLiteral(" -map_metadata %1").arg(next++);
    }
    if (!written.picturePath.isEmpty()) {
        inputs += QStringLiteral(" -i ") + quoteIfNeeded(written.picturePath);
        maps += QStringLiteral(" -map %1 -c:v copy -disposition:v attached_pic").arg(next);
        if (!in.mark)
            maps += QStringLiteral(" -id3v2_version 3");
    }
    if (in.mark)
        maps += in.mark->encoderOptions();
    const EncodingSettings &s = in.settings;
    return {quoteIfNeeded(Recipes::toolPath(in.programFolder, tool)) + inputs + QStringLiteral(" -y") + maps +
                QStringLiteral(" -ar ") + s.sampleRate + QStringLiteral(" -ab ") + s.audioBitrate +
                QStringLiteral("k -ac ") + Recipes::channelCount(s.channelIndex) + QLatin1Char(' ') +
                quote(output),
            output, tool};
}

bool coderCannotRead(const QString &coderOutput)
{
    // Frames it skips in a damaged input are reported as "Error while decoding stream ...: Invalid
    // data found when processing input"; an input it cannot open at all is reported without it.
    static const QLatin1StringView nothingRead[] = {
        QLatin1StringView("Output file is empty, nothing was encoded"),
        QLatin1StringView("does not contain any stream"),
    };
    const QStringList lines = coderOutput.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        for (const QLatin1StringView mark : nothingRead) {
            if (line.contains(mark))
                return true;
        }
        if (line.contains(QLatin1StringView("Invalid data found when processing input")) &&
            !line.contains(QLatin1StringView("Error while decoding stream")))
            return true;
    }
    return false;
}

} // namespace FlacFallback
