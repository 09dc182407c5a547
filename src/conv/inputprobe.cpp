#include "inputprobe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

InputProbe InputProbe::fromJson(const QByteArray &json)
{
    InputProbe probe;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return probe;
    const QJsonObject root = doc.object();
    if (!root.contains(QStringLiteral("format")))
        return probe;
    probe.readable = true;
    bool ok = false;
    const double duration = root.value(QStringLiteral("format"))
                                .toObject()
                                .value(QStringLiteral("duration"))
                                .toString()
                                .toDouble(&ok);
    if (ok && duration >= 0)
        probe.duration = duration;
    const QJsonArray streams = root.value(QStringLiteral("streams")).toArray();
    for (const QJsonValue &value : streams) {
        const QJsonObject stream = value.toObject();
        const bool coverArt = stream.value(QStringLiteral("disposition"))
                                  .toObject()
                                  .value(QStringLiteral("attached_pic"))
                                  .toInt() != 0;
        if (stream.value(QStringLiteral("codec_type")).toString() == QLatin1String("video") && !coverArt)
            probe.hasVideo = true;
    }
    return probe;
}

QStringList InputProbe::arguments(const QString &input)
{
    return {QStringLiteral("-v"),
            QStringLiteral("error"),
            QStringLiteral("-show_entries"),
            QStringLiteral("format=duration:stream=codec_type:stream_disposition=attached_pic"),
            QStringLiteral("-of"),
            QStringLiteral("json"),
            QStringLiteral("file:") + input};
}
