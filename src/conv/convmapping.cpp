#include "convmapping.h"

#include "timetext.h"

#include <QFileInfo>
#include <QMap>

#include <cmath>
#include <limits>
#include <optional>

namespace ConvMapping {
namespace {

using SubOptions = QMap<QString, QString>;

// MEncoder's defaults where a recipe leaves a sub-option out.
const QString defaultVideoCodec = QStringLiteral("mpeg4");
const QString defaultVideoKbits = QStringLiteral("800");
const QString defaultAudioCodec = QStringLiteral("mp2");
const QString defaultAudioKbits = QStringLiteral("224");

std::optional<double> positiveNumber(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

// ffmpeg's encoders, like MEncoder, keep a bitrate as a 32-bit count of bit/s.
constexpr double mostBitsPerSecond = std::numeric_limits<qint32>::max();
// ffmpeg keeps a frame rate as a fraction whose terms go up to this.
constexpr double mostRateTerm = 1001000;

// MEncoder bitrates are bare numbers of kbit/s; ffmpeg gets whole bit/s. Empty with the reason in
// error when the text is no bitrate ffmpeg can take.
QString bitsPerSecond(const QString &key, const QString &kbitsText, QString &error)
{
    const std::optional<double> kbits = positiveNumber(kbitsText);
    if (!kbits) {
        error = QStringLiteral("%1 needs a positive number of kbit/s, not '%2'").arg(key, kbitsText);
        return {};
    }
    const double bits = std::round(*kbits * 1000);
    if (bits < 1 || bits > mostBitsPerSecond) {
        error = QStringLiteral("%1=%2 is out of range: give from 0.001 to 2147483.647 kbit/s")
                    .arg(key, kbitsText);
        return {};
    }
    return QString::number(static_cast<qint32>(bits));
}

// "key=value:key=value", as -lavcopts, -lameopts and -lavfopts take it. Later keys override
// earlier ones, which is how a second -lavcopts adds to the first.
QString readSubOptions(const QString &option, const QString &text, const QStringList &known, SubOptions &into)
{
    const QStringList items = text.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (items.isEmpty())
        return QStringLiteral("Option %1 needs a value").arg(option);
    for (const QString &item : items) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        const QString key = eq < 0 ? item : item.left(eq);
        if (!known.contains(key))
            return QStringLiteral("Unknown suboption of %1: '%2' (known: %3)")
                .arg(option, key, known.join(QStringLiteral(", ")));
        const QString value = eq < 0 ? QString() : item.mid(eq + 1);
        if (value.isEmpty())
            return QStringLiteral("Suboption %1 of %2 needs a value").arg(key, option);
        into.insert(key, value);
    }
    return {};
}

// The reason -ofps refuses the text; empty for a rate ffmpeg can take.
QString frameRateError(const QString &text)
{
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    const std::optional<double> frames = positiveNumber(slash < 0 ? text : text.left(slash));
    const std::optional<double> seconds = slash < 0 ? 1.0 : positiveNumber(text.mid(slash + 1));
    if (!frames || !seconds)
        return QStringLiteral("-ofps needs a positive frame rate, not '%1'").arg(text);
    const double rate = *frames / *seconds;
    if (!(rate >= 1 / mostRateTerm && rate <= mostRateTerm))
        return QStringLiteral("-ofps %1 is out of range: give from 1/1001000 to 1001000 frames per second")
            .arg(text);
    return {};
}

// The lavf muxers conv knows by name. Any other name, such as "yuv4mpeg" (which is no lavf
// muxer), falls back to the output's extension, as MEncoder does.
QString knownMuxer(const QString &name)
{
    static const QStringList known{QStringLiteral("avi"),      QStringLiteral("mpeg"), QStringLiteral("vob"),
                                   QStringLiteral("dvd"),      QStringLiteral("svcd"), QStringLiteral("vcd"),
                                   QStringLiteral("mpegts"),   QStringLiteral("mp4"),  QStringLiteral("mov"),
                                   QStringLiteral("matroska"), QStringLiteral("3gp")};
    return known.contains(name) ? name : QString();
}

Plan refuse(const QString &why)
{
    Plan plan;
    plan.error = why;
    return plan;
}

} // namespace

QString muxerForFileName(const QString &fileName)
{
    static const QMap<QString, QString> byExtension{
        {QStringLiteral("mpg"), QStringLiteral("mpeg")},     {QStringLiteral("mpeg"), QStringLiteral("mpeg")},
        {QStringLiteral("avi"), QStringLiteral("avi")},      {QStringLiteral("mp4"), QStringLiteral("mp4")},
        {QStringLiteral("mov"), QStringLiteral("mov")},      {QStringLiteral("3gp"), QStringLiteral("3gp")},
        {QStringLiteral("mkv"), QStringLiteral("matroska")}, {QStringLiteral("vob"), QStringLiteral("vob")},
        {QStringLiteral("ts"), QStringLiteral("mpegts")}};
    return byExtension.value(QFileInfo(fileName).suffix().toLower());
}

namespace {

// What a command line asks for, as read, before anything is checked against ffmpeg.
struct Request
{
    QString input;
    QString output;
    QString audioEncoder;
    QString videoEncoder;
    QString container = QStringLiteral("avi");
    QString frameRate;
    SubOptions lavc;
    SubOptions lame;
    SubOptions lavf;
    qint64 cutStart = 0;
    std::optional<qint64> cutLength;
};

// Reads one option and its value into request; the reason it is refused, or empty.
QString readOption(const QString &arg, const QString &value, Request &request)
{
    if (arg == QLatin1String("-oac")) {
        if (value != QLatin1String("mp3lame") && value != QLatin1String("lavc"))
            return QStringLiteral("Unknown audio encoder for -oac: '%1' (known: mp3lame, lavc)").arg(value);
        request.audioEncoder = value;
    } else if (arg == QLatin1String("-ovc")) {
        if (value != QLatin1String("lavc"))
            return QStringLiteral("Unknown video encoder for -ovc: '%1' (known: lavc)").arg(value);
        request.videoEncoder = value;
    } else if (arg == QLatin1String("-of")) {
        if (value != QLatin1String("avi") && value != QLatin1String("lavf"))
            return QStringLiteral("Unknown output format for -of: '%1' (known: avi, lavf)").arg(value);
        request.container = value;
    } else if (arg == QLatin1String("-ofps")) {
        const QString why = frameRateError(value);
        if (!why.isEmpty())
            return why;
        request.frameRate = value;
    } else if (arg == QLatin1String("-o")) {
        if (value.isEmpty())
            return QStringLiteral("The output file name is empty");
        request.output = value;
    } else if (arg == QLatin1String("-ss") || arg == QLatin1String("-endpos")) {
        const TimeText::Reading time = TimeText::read(arg, value);
        if (!time.error.isEmpty())
            return time.error;
        if (arg == QLatin1String("-ss"))
            request.cutStart = time.microseconds;
        else if (time.microseconds > 0)
            request.cutLength = time.microseconds;
        else
            return QStringLiteral("-endpos needs a length above zero, not '%1'").arg(value);
    } else if (arg == QLatin1String("-lavcopts")) {
        return readSubOptions(arg, value,
                              {QStringLiteral("vcodec"), QStringLiteral("vbitrate"), QStringLiteral("acodec"),
                               QStringLiteral("abitrate"), QStringLiteral("vpass")},
                              request.lavc);
    } else if (arg == QLatin1String("-lameopts")) {
        return readSubOptions(arg, value, {QStringLiteral("preset")}, request.lame);
    } else {
        return readSubOptions(arg, value, {QStringLiteral("format")}, request.lavf);
    }
    return {};
}

// Reads the whole command line into request; the reason it is refused, or empty.
QString readOptions(const QStringList &arguments, Request &request)
{
    static const QStringList valued{QStringLiteral("-oac"),      QStringLiteral("-ovc"),
                                    QStringLiteral("-lameopts"), QStringLiteral("-lavcopts"),
                                    QStringLiteral("-ofps"),     QStringLiteral("-of"),
                                    QStringLiteral("-lavfopts"), QStringLiteral("-o"),
                                    QStringLiteral("-ss"),       QStringLiteral("-endpos")};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (!arg.startsWith(QLatin1Char('-')) || arg.size() == 1) {
            if (!request.input.isEmpty())
                return QStringLiteral("Only one input file can be converted at a time: '%1' and '%2'")
                    .arg(request.input, arg);
            if (arg.isEmpty())
                return QStringLiteral("The input file name is empty");
            request.input = arg;
            continue;
        }
        if (!valued.contains(arg))
            return QStringLiteral("Unknown option: %1").arg(arg);
        if (i + 1 >= arguments.size())
            return QStringLiteral("Option %1 needs a value").arg(arg);
        const QString error = readOption(arg, arguments.at(++i), request);
        if (!error.isEmpty())
            return error;
    }
    if (request.input.isEmpty())
        return QStringLiteral("No input file given");
    if (request.output.isEmpty())
        return QStringLiteral("No output file given (-o)");
    if (request.videoEncoder.isEmpty())
        return QStringLiteral("No video encoder (-ovc) selected");
    if (request.audioEncoder.isEmpty())
        return QStringLiteral("No audio encoder (-oac) selected");
    if (QFileInfo(request.input).absoluteFilePath() == QFileInfo(request.output).absoluteFilePath())
        return QStringLiteral("The output file is the input file: '%1'").arg(request.output);
    return {};
}

// ffmpeg's video arguments after the stream choice: codec and bitrate; empty with the reason in
// error when the request cannot be encoded.
QStringList videoArguments(const Request &request, QString &error)
{
    const QString videoCodec = request.lavc.value(QStringLiteral("vcodec"), defaultVideoCodec);
    static const QStringList videoCodecs{QStringLiteral("mpeg4"), QStringLiteral("mpeg1video"),
                                         QStringLiteral("mpeg2video")};
    if (!videoCodecs.contains(videoCodec)) {
        error = QStringLiteral("Unknown video codec vcodec=%1 (known: %2)")
                    .arg(videoCodec, videoCodecs.join(QStringLiteral(", ")));
        return {};
    }
    const QString videoBits = bitsPerSecond(
        QStringLiteral("vbitrate"), request.lavc.value(QStringLiteral("vbitrate"), defaultVideoKbits), error);
    if (videoBits.isEmpty())
        return {};
    // A single pass writes no log, so pass 1 alone is simply the whole encode.
    const QString pass = request.lavc.value(QStringLiteral("vpass"), QStringLiteral("1"));
    if (pass != QLatin1String("1")) {
        error =
            QStringLiteral("vpass=%1 is not supported: conv encodes in a single pass (vpass=1)").arg(pass);
        return {};
    }
    return {QStringLiteral("-c:v"), videoCodec, QStringLiteral("-b:v"), videoBits};
}

// ffmpeg's audio arguments; empty with the reason in error when the request cannot be encoded.
QStringList audioArguments(const Request &request, QString &error)
{
    if (request.audioEncoder == QLatin1String("mp3lame")) {
        if (!request.lame.contains(QStringLiteral("preset")))
            return {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-q:a"),
                    QStringLiteral("4")};
        const QString preset = request.lame.value(QStringLiteral("preset"));
        const auto kbits = positiveNumber(preset);
        if (!kbits || *kbits < 8 || *kbits > 320) {
            error = QStringLiteral("preset=%1 is not supported: give an average bitrate from 8 to 320 kbit/s")
                        .arg(preset);
            return {};
        }
        return {QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                QStringLiteral("-abr"), QStringLiteral("1"),
                QStringLiteral("-b:a"), bitsPerSecond(QStringLiteral("preset"), preset, error)};
    }
    const QString audioCodec = request.lavc.value(QStringLiteral("acodec"), defaultAudioCodec);
    static const QStringList audioCodecs{QStringLiteral("mp2"), QStringLiteral("ac3")};
    if (!audioCodecs.contains(audioCodec)) {
        error = QStringLiteral("Unknown audio codec acodec=%1 (known: %2)")
                    .arg(audioCodec, audioCodecs.join(QStringLiteral(", ")));
        return {};
    }
    const QString audioBits = bitsPerSecond(
        QStringLiteral("abitrate"), request.lavc.value(QStringLiteral("abitrate"), defaultAudioKbits), error);
    if (audioBits.isEmpty())
        return {};
    return {QStringLiteral("-c:a"), audioCodec, QStringLiteral("-b:a"), audioBits};
}

// The muxer of the output; empty with the reason in error when none can be chosen.
QString outputMuxer(const Request &request, QString &error)
{
    if (request.container != QLatin1String("lavf"))
        return QStringLiteral("avi");
    QString muxer = knownMuxer(request.lavf.value(QStringLiteral("format")));
    if (muxer.isEmpty())
        muxer = muxerForFileName(request.output);
    if (muxer.isEmpty())
        error = QStringLiteral("Cannot choose an output format for '%1': name a known -lavfopts format "
                               "or end the output name in .mpg, .avi, .mp4, .mov, .3gp, .mkv, .vob or .ts")
                    .arg(request.output);
    return muxer;
}

// The plan of an accepted request.
Plan buildPlan(const Request &request)
{
    QString error;
    const QStringList videoArgs = videoArguments(request, error);
    if (!error.isEmpty())
        return refuse(error);
    const QStringList audioArgs = audioArguments(request, error);
    if (!error.isEmpty())
        return refuse(error);
    const QString muxer = outputMuxer(request, error);
    if (!error.isEmpty())
        return refuse(error);

    Plan plan;
    plan.input = request.input;
    plan.output = request.output;
    // Seeking in the input skips the decoding of everything before the start; ffmpeg still starts
    // at the exact time, not at the key frame before it.
    if (request.cutStart > 0) {
        plan.cutStart = request.cutStart / 1e6;
        plan.ffmpegArguments << QStringLiteral("-ss") << TimeText::seconds(request.cutStart);
    }
    // "file:" keeps a name with a colon from being read as a protocol. The first real video stream
    // (not cover art) and the first audio stream, if any.
    plan.ffmpegArguments << QStringLiteral("-i") << QStringLiteral("file:") + request.input
                         << QStringLiteral("-map") << QStringLiteral("0:V:0") << QStringLiteral("-map")
                         << QStringLiteral("0:a:0?") << videoArgs;
    // A set output rate is kept by repeating or dropping pictures, whatever the container allows.
    if (!request.frameRate.isEmpty())
        plan.ffmpegArguments << QStringLiteral("-r") << request.frameRate << QStringLiteral("-fps_mode")
                             << QStringLiteral("cfr");
    // MPEG-1 and MPEG-2 know 15 fps (a rate the frame-rate box offers) only as an unofficial rate;
    // without it ffmpeg refuses the encode instead of writing the rate asked for.
    if (videoArgs.at(1) != QLatin1String("mpeg4"))
        plan.ffmpegArguments << QStringLiteral("-strict:v") << QStringLiteral("unofficial");
    plan.ffmpegArguments << audioArgs;
    if (request.cutLength) {
        plan.cutLength = *request.cutLength / 1e6;
        plan.ffmpegArguments << QStringLiteral("-t") << TimeText::seconds(*request.cutLength);
    }
    plan.ffmpegArguments << QStringLiteral("-f") << muxer << QStringLiteral("-y")
                         << QStringLiteral("file:") + request.output;
    return plan;
}

} // namespace

Plan map(const QStringList &arguments)
{
    Request request;
    const QString error = readOptions(arguments, request);
    return error.isEmpty() ? buildPlan(request) : refuse(error);
}

} // namespace ConvMapping
