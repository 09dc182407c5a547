#pragma once

#include "conversion/job.h"

#include <QString>

// How far a job's running tool is, read from its output: the encoder's "( 5%)", the length the
// duration probe or the transcoder announces ("Duration: "), the transcoder's "time=". Each chunk
// read gives a JobProgress; where the window shows it is the window's business.
class ToolProgress
{
public:
    // The encoder's chunks: "( 5%)" percentages.
    JobProgress readEncoderOutput(const QString &chunk);
    // The duration probe's chunks: the first "Duration: " sets durationSeconds.
    void readProbeOutput(const QString &chunk);
    // The transcoder's chunks: its own "Duration: " when none is known yet, then "time=" progress.
    JobProgress readTranscoderOutput(const QString &chunk);
    // A stage that only prepares the encode begins.
    JobProgress preparing();

    // Whole seconds of what the tools convert; 0 while it is not known.
    qint32 durationSeconds() const { return m_durationSeconds; }
    void setDurationSeconds(qint32 seconds) { m_durationSeconds = seconds; }
    // The job is over: its length and its progress are forgotten.
    void reset();

    // The running tool's progress as a progress bar shows it, 0 to 100.
    double stagePercent() const { return m_percent; }

private:
    void readDuration(const QString &chunk);

    qint32 m_durationSeconds = 0;
    double m_percent = 0;
};
