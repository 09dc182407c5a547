#pragma once

#include <QString>
#include <QtGlobal>

// MEncoder's time values as -ss and -endpos take them: seconds ("30", "12.5") or hh:mm:ss
// ("0:00:30", "00:01:02.5"), kept in whole microseconds as ffmpeg counts time.
namespace TimeText {

struct Reading
{
    qint64 microseconds = 0;
    // Why the text is no time, naming the option; empty when it is one.
    QString error;
};

Reading read(const QString &option, const QString &text);

// Microseconds as the seconds ffmpeg reads: "2", "62.5", "0.000001".
QString seconds(qint64 microseconds);

} // namespace TimeText
