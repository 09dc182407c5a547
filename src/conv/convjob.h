#pragma once

#include "convmapping.h"
#include "convprogress.h"
#include "inputprobe.h"

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>

#include <sys/stat.h>

// One conversion: reads the input with ffprobe, runs ffmpeg with the mapped arguments, prints
// MEncoder's position lines to standard output, and checks the output before calling it done.
// A failed or interrupted conversion removes the file it wrote.
class ConvJob : public QObject
{
    Q_OBJECT

public:
    struct Tools
    {
        QString ffmpeg;
        QString ffprobe;
    };

    ConvJob(ConvMapping::Plan plan, Tools tools, QObject *parent = nullptr);

    void start();
    // A terminating signal or the parent's death: end the running tool and clean up.
    void interrupt();

signals:
    void finished(int exitCode);

private:
    struct FileState
    {
        bool exists = false;
        struct stat info = {};
    };

    void startProcess(QProcess *process, const QString &program, const QStringList &arguments);
    void onProbeFinished(int exitCode, QProcess::ExitStatus status);
    void onEncoderOutput();
    void onEncoderFinished(int exitCode, QProcess::ExitStatus status);
    void fail(const QString &message);
    void finish(int exitCode);
    bool outputWasWritten() const;
    double cutSeconds() const;
    static QString lastErrorLine(const QByteArray &errors);
    static FileState fileState(const QString &path);
    static void write(const QByteArray &text);

    ConvMapping::Plan m_plan;
    Tools m_tools;
    QProcess *m_probe = nullptr;
    QProcess *m_encoder = nullptr;
    ProgressReader m_reader;
    ProgressReader::Report m_last;
    InputProbe m_input;
    FileState m_outputBefore;
    QByteArray m_errors;
    QElapsedTimer m_lineClock; // since the last position line
    bool m_interrupted = false;
    bool m_finished = false;
};
