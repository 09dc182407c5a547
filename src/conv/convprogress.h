#pragma once

#include <QByteArray>
#include <QList>

// ffmpeg's "-progress" report comes as blocks of key=value lines, each block ending with a
// "progress=continue" or "progress=end" line. The reader collects them from raw pipe data.
class ProgressReader
{
public:
    struct Report
    {
        qint64 frames = 0;
        double seconds = 0; // output time reached
        bool end = false;   // ffmpeg's last report
    };

    // The reports completed by this piece of data; a partial line waits for the next piece.
    QList<Report> feed(const QByteArray &data);

private:
    QByteArray m_pending;
    Report m_current;
};

// MEncoder's position line, which the program's encoder handler reads the percentage from.
namespace ProgressText {

// Whole percent of the input done, 0 to 99: 100 is kept for the checked, finished output.
int percent(double seconds, double durationSeconds);

// "Pos:  12.3s    296f (41%) ": percent in two places, so 5 prints as "( 5%)".
QByteArray positionLine(double seconds, qint64 frames, int percent);

} // namespace ProgressText
