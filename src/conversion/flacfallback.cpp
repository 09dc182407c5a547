#include "conversion/flacfallback.h"

#include "conversion/formatfacts.h"
#include "media/flacmetadata.h"

#include <QFile>
#include <QMap>
#include <QStringList>
#include <QtEndian>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace FlacFallback {

namespace {

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

// One line per name; several values of one name are joined by ";", as the encoder joins them when it
// reads the comments of a FLAC itself.
QByteArray ffmetadata(const QByteArray &commentBlock)
{
    const QMap<QString, QStringList> fields = FlacMetadata::commentFields(commentBlock);
    if (fields.isEmpty())
        return {};
    QString text = QStringLiteral(";FFMETADATA1\n");
    for (auto it = fields.cbegin(); it != fields.cend(); ++it)
        text += escaped(encoderName(it.key())) + QLatin1Char('=') + escaped(it->join(QLatin1Char(';'))) +
                QLatin1Char('\n');
    return text.toUtf8();
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
    const QString tool = ToolName::flac.toString();
    QStringList arguments{u"-d"_s, u"-f"_s, u"-s"_s, u"-o"_s, in.work.probeWav};
    if (in.range)
        arguments << u"--skip="_s + QString::number(in.range->start)
                  << u"--until="_s + QString::number(in.range->end);
    return {{Recipes::toolPath(in.programFolder, tool), arguments << in.inputPath}, in.work.probeWav, tool};
}

Metadata writeMetadata(const FlacMetadata::Head &head, const QString &tagsPath, const QString &picturePath)
{
    Metadata result;
    if (!head.commentBlock().isEmpty())
        result.tagsPath = writtenFile(tagsPath, ffmetadata(head.commentBlock()));
    const FlacMetadata::Picture picture = head.picture();
    if (!picture.data.isEmpty())
        result.picturePath = writtenFile(picturePath + picture.extension, picture.data);
    return result;
}

QByteArray ffmetadataLine(const QString &name, const QString &value)
{
    return (escaped(name) + QLatin1Char('=') + escaped(value) + QLatin1Char('\n')).toUtf8();
}

ToolCommand encodeCommand(OutputFormat format, const RecipeInput &in, const QString &wav,
                          const Metadata &written, const NameChooser &chooseName)
{
    const QString tool = ToolName::coder.toString();
    const QString wanted = Recipes::outputPath(format, in.inputPath, in.outputFolder, in.clock, in.plainName,
                                               in.fatSafeNames, in.outputStem);
    const QString output = chooseName ? chooseName(wanted) : wanted;
    // The WAV is cut as the normal encode cuts its source.
    QStringList inputs = Recipes::coderCut(in.cut ? &*in.cut : nullptr) << u"-i"_s << wav;
    QStringList maps{u"-map"_s, u"0:a"_s};
    int next = 1;
    if (!written.tagsPath.isEmpty()) {
        inputs << u"-i"_s << written.tagsPath;
        maps << u"-map_metadata"_s << QString::number(next++);
    }
    // Library mode's prepared cover stands in for the source's own picture.
    const QString picture = in.coverFile.isEmpty() ? written.picturePath : in.coverFile;
    if (!picture.isEmpty() && (in.keepCover || in.coverFile.isEmpty())) {
        inputs << u"-i"_s << picture;
        maps << u"-map"_s << QString::number(next) << u"-c:v"_s << u"copy"_s << u"-disposition:v"_s
             << u"attached_pic"_s;
        // Library mode names the picture: without a comment the muxer stores a picture of another
        // input as "Other", not as the front cover.
        maps << (in.mark ? QStringList{u"-metadata:s:v"_s, u"comment=Cover (front)"_s}
                         : QStringList{u"-id3v2_version"_s, u"3"_s});
    }
    maps << Recipes::libraryTagOptions(in);
    const QStringList options =
        Recipes::filledOptions(FormatTable::facts(format).stages.back().decodeOptions, in.settings);
    const QStringList arguments = inputs + QStringList{u"-y"_s} + maps + options + QStringList{output};
    return {{Recipes::toolPath(in.programFolder, tool), arguments}, output, tool};
}

} // namespace FlacFallback
