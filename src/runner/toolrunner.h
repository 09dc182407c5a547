#pragma once

#include "runner/command.h"
#include "runner/utf8chunkdecoder.h"

#include <QObject>
#include <QString>
#include <QTimer>

class QProcess;

// Runs one console tool and reports on it through signals; nothing here waits. start
// starts the tool and returns at once. While the tool runs, a timer hands its output (standard
// output and error merged) over in pieces as outputReceived; once the tool has ended, the rest
// follows without a pause and finished closes the command. A command that cannot be started
// raises startFailed instead, with the reason as a value (RunnerTexts::startProblem words it).
class ToolRunner : public QObject
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
        Terminated // ended by terminate()
    };
    Q_ENUM(EndStatus)

    // Why a command could not be started.
    enum class StartProblem
    {
        EmptyCommand, // no program named
        NotFound,     // no program that can be run by that name
    };
    Q_ENUM(StartProblem)

    // Pacing while the tool runs: one piece of at most ChunkBytes per pass of PassMilliseconds.
    // When more is waiting, a piece ends after its last line end, if it holds one.
    static constexpr int PassMilliseconds = 50;
    static constexpr int ChunkBytes = 1024;
    // The output is buffered as it arrives, so the pacing would let a chatty tool's output pile up
    // without bound. While more than a pipe's worth is waiting, a pass delivers several pieces,
    // keeping the backlog at that size.
    static constexpr qint64 MaxBacklogBytes = 64 * 1024;

    explicit ToolRunner(QObject *parent = nullptr);
    // Ends a tool that is still running.
    ~ToolRunner() override;

    // What a command may take before it is ended: memory (the data it allocates) and time; 0 for no limit.
    struct Limits
    {
        qint64 memoryBytes = 0;
        int seconds = 0;
    };
    // For the commands started from now on. A command ended for its time ends as by terminate().
    void setLimits(const Limits &limits) { m_limits = limits; }

    // Everything the last started command printed, in arrival order.
    QString output() const { return m_outputs; }

    // Starts the command, its arguments as they are, and returns at once. Ignored while a command of
    // this runner is still going.
    void start(const Command &command);

    EndStatus endStatus() const { return m_endStatus; }
    // The tool's exit status; meaningful when endStatus() is Exited.
    int exitCode() const { return m_exitCode; }
    // From start until finished or startFailed.
    bool isRunning() const { return m_busy; }

    // Ends the running tool at once (nothing more gets written by it); what it wrote is still
    // delivered and finished follows. Does nothing when idle.
    void terminate();

signals:
    void outputReceived(const QString &output);
    // The started command has ended and all its output has been delivered.
    void finished();
    // The command could not be started, for the reason problem. No other signal follows.
    void startFailed(ToolRunner::StartProblem problem);

private:
    void failToStart(StartProblem problem);
    void onStarted();
    void onErrorOccurred();
    void onFinished();
    void readPass();
    void drainPass();
    QByteArray readPiece();
    void deliver(const QByteArray &bytes);
    void finish();

    QString m_outputs;
    Utf8ChunkDecoder m_decoder;
    QProcess *m_process = nullptr;
    QTimer m_passTimer;
    QTimer m_drainTimer;
    QTimer m_deadline;
    Limits m_limits;
    bool m_busy = false;
    bool m_terminateRequested = false;
    EndStatus m_endStatus = EndStatus::NotStarted;
    int m_exitCode = 0;
};
