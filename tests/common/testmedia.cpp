#include "common/testmedia.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace TestMedia {

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
    const QJsonObject tags =
        probe.value(QStringLiteral("format")).toObject().value(QStringLiteral("tags")).toObject();
    for (auto it = tags.constBegin(); it != tags.constEnd(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    }
    return {};
}

} // namespace TestMedia
