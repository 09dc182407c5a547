#include "runner/dosoutputs.h"

#include "runner/commandlinetext.h"
#include "runner/runnertexts.h"
#include "shell/userservices.h"

#include <QProcess>

#include <memory>

namespace {

void showFailure(const QString &text)
{
    UserServices::instance().showMessage(UserServices::Icon::Critical, RunnerTexts::applicationTitle(), text);
}

} // namespace

DOSOutputs::DOSOutputs(QObject *parent)
    : QObject(parent)
{}

DOSOutputs::~DOSOutputs() = default;

QString DOSOutputs::ExecuteCommand(const QString &commandLine)
{
    // One runner is never re-entered: its state belongs to the command it is running.
    if (m_process) {
        qWarning("DOSOutputs::ExecuteCommand called while its command is still running");
        return QString();
    }
    if (!commandLine.isEmpty())
        m_commandLine = commandLine;
    if (m_commandLine.isEmpty()) {
        m_endStatus = EndStatus::NotStarted;
        showFailure(RunnerTexts::commandLineEmpty());
        return QString();
    }

    const CommandLineText::Split split = CommandLineText::split(m_commandLine);
    auto owned = std::make_unique<QProcess>();
    QProcess &process = *owned;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProgram(split.program);
    process.setArguments(split.arguments);
    m_process = owned.get();
    m_terminateRequested = false;
    if (split.program.isEmpty() || !start(process)) {
        m_process = nullptr;
        if (m_terminateRequested) {
            m_endStatus = EndStatus::Terminated;
            return QString();
        }
        m_endStatus = EndStatus::NotStarted;
        showFailure(RunnerTexts::fileOrCommandNotFound());
        return QString();
    }

    m_endStatus = EndStatus::Running;
    m_outputs.clear();
    m_decoder.reset();
    // The end of the tool cuts the current wait short, so CommandOver follows it at once.
    const auto wake = connect(&process, &QProcess::finished, this, [this] { m_timer.wake(); });

    bool applicationEnding = false;
    for (;;) {
        if (m_terminateRequested) {
            // The killed tool writes nothing more: hand over what it wrote, and wait only for
            // the system to report its end (one pass), unless event loops no longer run.
            deliverBacklog(process, 0);
            if (process.state() == QProcess::NotRunning || applicationEnding)
                break;
        } else {
            const qint64 waiting = process.bytesAvailable();
            if (waiting > 0) {
                deliver(readPiece(process));
                if (waiting - ChunkBytes > MaxBacklogBytes)
                    deliverBacklog(process, MaxBacklogBytes);
            }
            // The pacing spaces the pieces apart; after the last one there is nothing to wait for.
            if (process.bytesAvailable() == 0 && process.state() == QProcess::NotRunning)
                break;
        }
        if (!m_timer.Wait(PassMilliseconds)) {
            // The application is ending: its event loops no longer run, so the tool is ended too.
            applicationEnding = true;
            m_terminateRequested = true;
            process.kill();
        }
    }

    disconnect(wake);
    finish(process);
    m_process = nullptr;
    if (process.state() != QProcess::NotRunning) {
        // A killed tool the system has not reported yet: destroying its QProcess now would
        // block until it does, so it goes once the end is reported (or with this runner).
        QProcess *killed = owned.release();
        killed->setParent(this);
        connect(killed, &QProcess::finished, killed, &QObject::deleteLater);
    }
    owned.reset();
    emit CommandOver();
    return m_outputs;
}

bool DOSOutputs::start(QProcess &process)
{
    bool failed = false;
    const auto onError = connect(&process, &QProcess::errorOccurred, this, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            failed = true;
        m_timer.wake();
    });
    const auto onState = connect(&process, &QProcess::stateChanged, this, [this] { m_timer.wake(); });
    process.start(QIODevice::ReadOnly);
    while (!failed && process.state() == QProcess::Starting) {
        // Ended before it ran: by terminate(), or because the application is ending.
        if (!m_timer.Wait(PassMilliseconds) || m_terminateRequested) {
            m_terminateRequested = true;
            process.kill();
            failed = true;
        }
    }
    disconnect(onError);
    disconnect(onState);
    return !failed;
}

QByteArray DOSOutputs::readPiece(QProcess &process)
{
    if (process.bytesAvailable() <= ChunkBytes)
        return process.readAll();
    // More is waiting than one piece holds: end the piece after its last line end, so that the
    // progress lines, which are read chunk by chunk, are not cut in two.
    const QByteArray window = process.peek(ChunkBytes);
    const qsizetype lineEnd = qMax(window.lastIndexOf('\n'), window.lastIndexOf('\r'));
    return process.read(lineEnd >= 0 ? lineEnd + 1 : ChunkBytes);
}

void DOSOutputs::deliver(const QByteArray &bytes)
{
    QString chunk = m_decoder.decode(bytes);
    if (chunk.isEmpty())
        return;
    m_outputs += chunk;
    emit ReceiveOutputs(chunk);
}

void DOSOutputs::deliverBacklog(QProcess &process, qint64 keep)
{
    while (process.bytesAvailable() > keep)
        deliver(readPiece(process));
}

void DOSOutputs::finish(QProcess &process)
{
    QString rest = m_decoder.flush();
    if (!rest.isEmpty()) {
        m_outputs += rest;
        emit ReceiveOutputs(rest);
    }
    if (m_terminateRequested) {
        m_endStatus = EndStatus::Terminated;
        m_exitCode = -1;
        if (process.state() != QProcess::NotRunning)
            process.kill();
    } else if (process.exitStatus() == QProcess::CrashExit) {
        m_endStatus = EndStatus::Crashed;
        m_exitCode = -1;
    } else {
        m_endStatus = EndStatus::Exited;
        m_exitCode = process.exitCode();
    }
}

void DOSOutputs::terminate()
{
    if (!m_process)
        return;
    m_terminateRequested = true;
    m_process->kill();
    m_timer.wake();
}
