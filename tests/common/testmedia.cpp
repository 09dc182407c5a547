#include "common/testmedia.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <algorithm>
#include <optional>

namespace TestMedia {

namespace {

// A FLAC file cut into its metadata blocks (type and body) and its audio frames.
struct FlacParts
{
    QList<std::pair<int, QByteArray>> blocks;
    QByteArray frames;
};

enum FlacBlock
{
    StreamInfoBlock = 0,
    SeekTableBlock = 3,
    VorbisCommentBlock = 4,
};

std::optional<FlacParts> splitFlac(const QByteArray &file)
{
    if (!file.startsWith("fLaC"))
        return std::nullopt;
    FlacParts parts;
    qsizetype at = 4;
    for (bool last = false; !last && at + 4 <= file.size();) {
        const uchar head = file.at(at);
        last = head & 0x80;
        const qsizetype length =
            (uchar(file.at(at + 1)) << 16) | (uchar(file.at(at + 2)) << 8) | uchar(file.at(at + 3));
        parts.blocks.append({head & 0x7F, file.mid(at + 4, length)});
        at += 4 + length;
    }
    parts.frames = file.mid(at);
    return parts;
}

QByteArray joinFlac(const FlacParts &parts)
{
    QByteArray file("fLaC");
    for (qsizetype k = 0; k < parts.blocks.size(); ++k) {
        const auto &[type, body] = parts.blocks.at(k);
        const bool last = k == parts.blocks.size() - 1;
        file.append(char((last ? 0x80 : 0) | type));
        file.append(char(body.size() >> 16)).append(char(body.size() >> 8)).append(char(body.size()));
        file.append(body);
    }
    return file + parts.frames;
}

// The CRCs of the frame header (polynomial x^8+x^2+x+1) and of the whole frame (x^16+x^15+x^2+1).
template<typename Crc> Crc flacCrc(const QByteArray &bytes, Crc polynomial)
{
    constexpr int bits = 8 * sizeof(Crc);
    Crc crc = 0;
    for (const char byte : bytes) {
        crc ^= Crc(uchar(byte)) << (bits - 8);
        for (int k = 0; k < 8; ++k)
            crc = crc & (Crc(1) << (bits - 1)) ? Crc((crc << 1) ^ polynomial) : Crc(crc << 1);
    }
    return crc;
}

// A frame number in the UTF-8-like code of the frame header.
QByteArray codedNumber(quint32 number)
{
    if (number < 0x80)
        return QByteArray(1, char(number));
    QByteArray tail;
    int continuations = 0;
    for (; number >= (1u << (6 - continuations)); number >>= 6, ++continuations)
        tail.prepend(char(0x80 | (number & 0x3F)));
    return char((0xFF00 >> (continuations + 1)) | number) + tail;
}

// The 44.1 kHz 16-bit samples in frames of blockSize samples (the last one shorter), each channel
// stored verbatim: the frame layout takes every size from 1 to 65536, flac only 16 to 65535.
QByteArray verbatimFrames(const QByteArray &pcm, int channels, int blockSize)
{
    const qsizetype samples = pcm.size() / (2 * channels);
    QByteArray frames;
    quint32 number = 0;
    for (qsizetype first = 0; first < samples; first += blockSize, ++number) {
        const int size = int(std::min<qsizetype>(blockSize, samples - first));
        const bool wide = size > 256;
        QByteArray frame("\xFF\xF8");
        frame.append(char((wide ? 0x70 : 0x60) | 0x09));  // size follows the number; 44.1 kHz
        frame.append(char(((channels - 1) << 4) | 0x08)); // independent channels, 16 bits
        frame.append(codedNumber(number));
        if (wide)
            frame.append(char((size - 1) >> 8));
        frame.append(char(size - 1));
        frame.append(char(flacCrc<quint8>(frame, 0x07)));
        for (int channel = 0; channel < channels; ++channel) {
            frame.append('\x02'); // verbatim
            for (qsizetype k = first; k < first + size; ++k) {
                const qsizetype at = 2 * (k * channels + channel);
                frame.append(pcm.at(at + 1)).append(pcm.at(at)); // little to big endian
            }
        }
        const quint16 crc = flacCrc<quint16>(frame, 0x8005);
        frames += frame.append(char(crc >> 8)).append(char(crc));
    }
    return frames;
}

// STREAMINFO's block sizes (bytes 0-3); its frame sizes (bytes 4-9) become unknown.
void declareSizes(QByteArray &streamInfo, int minBlock, int maxBlock)
{
    const char sizes[10] = {char(minBlock >> 8), char(minBlock), char(maxBlock >> 8), char(maxBlock)};
    streamInfo.replace(0, sizeof sizes, QByteArray(sizes, sizeof sizes));
}

// The frames are cut again into blocks of blockSize samples; the tags and pictures stay.
void reframe(FlacParts &parts, const QByteArray &pcm, int blockSize)
{
    parts.frames = verbatimFrames(pcm, 2, blockSize);
    const int declared = std::min(blockSize, 65535);
    declareSizes(parts.blocks.first().second, declared, declared);
    // Seek points would point into the old frames.
    parts.blocks.removeIf([](const auto &block) { return block.first == SeekTableBlock; });
}

bool edit(FlacParts &parts, AwkwardFlac kind, const QByteArray &pcm)
{
    if (parts.blocks.isEmpty() || parts.blocks.first().first != StreamInfoBlock)
        return false;
    switch (kind) {
    case AwkwardFlac::NoStreamInfo:
        parts.blocks.removeFirst();
        break;
    case AwkwardFlac::LateStreamInfo: {
        const auto comments = std::find_if(parts.blocks.cbegin(), parts.blocks.cend(), [](const auto &block) {
            return block.first == VorbisCommentBlock;
        });
        parts.blocks.insert(comments - parts.blocks.cbegin() + 1, parts.blocks.first());
        parts.blocks.removeFirst();
        break;
    }
    case AwkwardFlac::ShortMaxBlockSize:
        declareSizes(parts.blocks.first().second, 4096, 1024);
        break;
    case AwkwardFlac::BlockSize65536:
        reframe(parts, pcm, 65536);
        break;
    case AwkwardFlac::BlockSizeOne:
        reframe(parts, pcm, 1);
        break;
    case AwkwardFlac::Bits32:
        break;
    }
    return true;
}

} // namespace

ToolResult run(const QString &program, const QStringList &args, int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args);
    ToolResult result;
    if (!process.waitForStarted())
        return result;
    process.waitForFinished(timeoutMs);
    result.output = process.readAll();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitCode = result.crashed ? -1 : process.exitCode();
    return result;
}

ToolResult runCommand(const Command &command)
{
    return run(command.program, command.arguments);
}

QString programFolder()
{
    return QStringLiteral(TUNOXA_PROGRAM_DIR);
}

bool makeFlac(const QString &path, double seconds, int rate, int channels, int bits,
              const QMap<QString, QString> &tags)
{
    QStringList args{QStringLiteral("-hide_banner"),
                     QStringLiteral("-loglevel"),
                     QStringLiteral("error"),
                     QStringLiteral("-y"),
                     QStringLiteral("-f"),
                     QStringLiteral("lavfi"),
                     QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2").arg(rate).arg(seconds),
                     QStringLiteral("-ac"),
                     QString::number(channels)};
    if (bits == 24)
        args << QStringLiteral("-sample_fmt") << QStringLiteral("s32")
             << QStringLiteral("-bits_per_raw_sample") << QStringLiteral("24");
    else
        args << QStringLiteral("-sample_fmt") << QStringLiteral("s16");
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        args << QStringLiteral("-metadata") << it.key() + QLatin1Char('=') + it.value();
    args << QStringLiteral("-c:a") << QStringLiteral("flac") << QStringLiteral("-f") << QStringLiteral("flac")
         << path;
    return run(QStringLiteral("ffmpeg"), args).exitCode == 0;
}

bool makeAwkwardFlac(const QString &path, AwkwardFlac kind, double seconds,
                     const QMap<QString, QString> &tags, const QString &cover)
{
    const QString bits = kind == AwkwardFlac::Bits32 ? QStringLiteral("32") : QStringLiteral("16");
    const QString raw = path + QStringLiteral(".raw");
    if (run(QStringLiteral("sox"),
            {QStringLiteral("-n"), QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-r"),
             QStringLiteral("44100"), QStringLiteral("-e"), QStringLiteral("signed"), QStringLiteral("-b"),
             bits, QStringLiteral("-c"), QStringLiteral("2"), QStringLiteral("-L"), raw,
             QStringLiteral("synth"), QString::number(seconds), QStringLiteral("sine"),
             QStringLiteral("440")})
            .exitCode != 0)
        return false;
    QStringList args{QStringLiteral("-s"),
                     QStringLiteral("-f"),
                     QStringLiteral("--force-raw-format"),
                     QStringLiteral("--endian=little"),
                     QStringLiteral("--sign=signed"),
                     QStringLiteral("--channels=2"),
                     QStringLiteral("--sample-rate=44100"),
                     QStringLiteral("--bps=") + bits};
    for (auto it = tags.cbegin(); it != tags.cend(); ++it)
        args << QStringLiteral("-T") << it.key() + QLatin1Char('=') + it.value();
    if (!cover.isEmpty())
        args << QStringLiteral("--picture=") + cover;
    args << QStringLiteral("-o") << path << raw;
    const bool encoded = run(QStringLiteral("flac"), args).exitCode == 0;
    QFile pcmFile(raw);
    const QByteArray pcm = pcmFile.open(QIODevice::ReadOnly) ? pcmFile.readAll() : QByteArray();
    pcmFile.remove();
    QFile flac(path);
    if (!encoded || !flac.open(QIODevice::ReadWrite))
        return false;
    std::optional<FlacParts> parts = splitFlac(flac.readAll());
    if (!parts || !edit(*parts, kind, pcm))
        return false;
    const QByteArray edited = joinFlac(*parts);
    return flac.resize(0) && flac.write(edited) == edited.size();
}

bool damageFrames(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    const qsizetype third = bytes.size() / 3;
    for (qsizetype at = third; at < 2 * third; at += 500)
        bytes[at] = char(bytes.at(at) ^ 0x55);
    return file.seek(0) && file.write(bytes) == bytes.size();
}

bool makePicture(const QString &path, const QString &size)
{
    return run(QStringLiteral("ffmpeg"),
               {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("testsrc=size=") + size, QStringLiteral("-frames:v"), QStringLiteral("1"),
                path})
               .exitCode == 0;
}

bool makeVideo(const QString &path, double seconds, const QStringList &codecArgs, const QString &size,
               int fps)
{
    QStringList args{QStringLiteral("-hide_banner"),
                     QStringLiteral("-loglevel"),
                     QStringLiteral("error"),
                     QStringLiteral("-y"),
                     QStringLiteral("-f"),
                     QStringLiteral("lavfi"),
                     QStringLiteral("-i"),
                     QStringLiteral("testsrc=size=%1:rate=%2:duration=%3").arg(size).arg(fps).arg(seconds),
                     QStringLiteral("-f"),
                     QStringLiteral("lavfi"),
                     QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=660:sample_rate=44100:duration=%1").arg(seconds),
                     QStringLiteral("-ac"),
                     QStringLiteral("2"),
                     QStringLiteral("-shortest")};
    args << codecArgs << path;
    return run(QStringLiteral("ffmpeg"), args).exitCode == 0;
}

QJsonObject probe(const QString &path)
{
    const ToolResult r =
        run(QStringLiteral("ffprobe"),
            {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
             QStringLiteral("-show_streams"), QStringLiteral("-of"), QStringLiteral("json"), path});
    if (r.exitCode != 0)
        return {};
    return QJsonDocument::fromJson(r.output).object();
}

QString formatName(const QJsonObject &probe)
{
    return probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("format_name")).toString();
}

double durationSeconds(const QJsonObject &probe)
{
    return probe.value(QStringLiteral("format"))
        .toObject()
        .value(QStringLiteral("duration"))
        .toString()
        .toDouble();
}

QJsonObject firstStream(const QJsonObject &probe, const QString &codecType)
{
    const QJsonArray streams = probe.value(QStringLiteral("streams")).toArray();
    for (const QJsonValue &s : streams) {
        if (s.toObject().value(QStringLiteral("codec_type")).toString() == codecType)
            return s.toObject();
    }
    return {};
}

QString tag(const QJsonObject &probe, const QString &key)
{
    // Ogg keeps its comments with the audio stream.
    for (const QJsonObject &holder :
         {probe.value(QStringLiteral("format")).toObject(), firstStream(probe, QStringLiteral("audio"))}) {
        const QJsonObject tags = holder.value(QStringLiteral("tags")).toObject();
        for (auto it = tags.constBegin(); it != tags.constEnd(); ++it) {
            if (it.key().compare(key, Qt::CaseInsensitive) == 0)
                return it.value().toString();
        }
    }
    return {};
}

} // namespace TestMedia
