#pragma once

#include "runner/clswaitabletimer.h"
#include "runner/utf8chunkdecoder.h"

#include <QObject>
#include <QString>

class QProcess;

// Runs one console tool to its end while the window stays responsive. ExecuteCommand blocks its
// caller but keeps dispatching events; each piece of the tool's output (standard output and error
// merged) is raised as ReceiveOutputs, and CommandOver is raised once the tool has ended and all
// of its output has been delivered. A handler may start another runner; it runs nested inside.
class DOSOutputs : public QObject
{
    Q_OBJECT

public:
    // How the last command ended.
    enum class EndStatus
    {
        NotStarted, // no command yet, or the last one could not be started
        Running,
        Exited,    // the tool ended by itself; exitCode() holds its status
        Crashed,   // the tool died of a signal it did not get from this runner
        Terminated // ended by terminate() or because the application was ending
    };
    Q_ENUM(EndStatus)

    // Pacing of the poll loop: one piece of at most ChunkBytes per pass of PassMilliseconds. When
    // more is waiting, a piece ends after its last line end, if it holds one.
    static constexpr int PassMilliseconds = 50;
    static constexpr int ChunkBytes = 1024;
    // A tool never waits on its pipe here (the output is buffered as it arrives), so the pacing
    // would make a chatty tool's output pile up without bound. While more than a pipe's worth is
    // waiting, a pass delivers several pieces, keeping the backlog at that size.
    static constexpr qint64 MaxBacklogBytes = 64 * 1024;

    explicit DOSOutputs(QObject *parent = nullptr);
    ~DOSOutputs() override;

    QString CommandLine() const { return m_commandLine; }
    void setCommandLine(const QString &DOSCommand) { m_commandLine = DOSCommand; }

    // Everything the last started command printed, in arrival order.
    QString Outputs() const { return m_outputs; }

    // Runs the command line (commandLine replaces CommandLine when it is not empty) to its end and
    // returns Outputs. When the command cannot be started, shows why and returns empty text
    // without raising any event.
    QString ExecuteCommand(const QString &commandLine = QString());

    EndStatus endStatus() const { return m_endStatus; }
    // The tool's exit status; meaningful when endStatus() is Exited.
    int exitCode() const { return m_exitCode; }
    bool isRunning() const { return m_process != nullptr; }

    // Ends the running tool at once (nothing more gets written by it); the remaining output is
    // delivered, CommandOver is raised and ExecuteCommand returns. Does nothing when idle.
    void terminate();

signals:
    void ReceiveOutputs(QString &CommandOutputs);
    void CommandOver();

private:
    bool start(QProcess &process);
    QByteArray readPiece(QProcess &process);
    void deliver(const QByteArray &bytes);
    void deliverBacklog(QProcess &process, qint64 keep);
    void finish(QProcess &process);

    QString m_commandLine;
    QString m_outputs;
    Utf8ChunkDecoder m_decoder;
    clsWaitableTimer m_timer;
    QProcess *m_process = nullptr;
    bool m_terminateRequested = false;
    EndStatus m_endStatus = EndStatus::NotStarted;
    int m_exitCode = 0;
};
