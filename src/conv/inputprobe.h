#pragma once

#include <QByteArray>
#include <QStringList>

// What conv needs to know about its input before encoding, read from ffprobe's JSON
// ("-show_entries format=duration:stream=codec_type:stream_disposition=attached_pic -of json").
struct InputProbe
{
    bool readable = false;
    bool hasVideo = false; // a real picture stream; cover art does not count
    double duration = -1;  // seconds; negative when the container does not say

    static InputProbe fromJson(const QByteArray &json);
    // ffprobe's arguments for this reading of the file.
    static QStringList arguments(const QString &input);
};
