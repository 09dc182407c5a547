#include "runner/toolrunner.h"

#include "runner/childprocess.h"

#include <QProcess>

namespace {

// A killed tool is gone within milliseconds; this only bounds the wait if the system is slow.
constexpr int KilledToolWaitMs = 1000;

} // namespace

ToolRunner::ToolRunner(QObject *parent)
    : QObject(parent)
{
    // The passes must be at least the given time apart: a coarse timer may fire up to 5 % early,
    // and a repeating one catches up after a late pass, so each pass arms the next.
    m_passTimer.setTimerType(Qt::PreciseTimer);
    m_passTimer.setSingleShot(true);
    m_passTimer.setInterval(PassMilliseconds);
    connect(&m_passTimer, &QTimer::timeout, this, &ToolRunner::readPass);
    // What is left once the tool has ended goes out piece by piece, with window events between
    // the pieces but no pause.
    m_drainTimer.setInterval(0);
    connect(&m_drainTimer, &QTimer::timeout, this, &ToolRunner::drainPass);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &ToolRunner::terminate);
}

ToolRunner::~ToolRunner()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(KilledToolWaitMs);
    }
}

void ToolRunner::start(const Command &command)
{
    // One runner is never re-entered: its state belongs to the command it is running.
    if (m_busy) {
        qWarning("ToolRunner::start called while its command is still going");
        return;
    }
    m_busy = true;
    m_terminateRequested = false;
    if (command.isEmpty()) {
        failToStart(StartProblem::EmptyCommand);
        return;
    }
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setProgram(command.program);
    m_process->setArguments(command.arguments);
    ChildProcess::endWithParent(*m_process, m_limits.memoryBytes);
    connect(m_process, &QProcess::started, this, &ToolRunner::onStarted);
    connect(m_process, &QProcess::errorOccurred, this, &ToolRunner::onErrorOccurred);
    connect(m_process, &QProcess::finished, this, &ToolRunner::onFinished);
    m_process->start(QIODevice::ReadOnly);
}

void ToolRunner::failToStart(StartProblem problem)
{
    m_endStatus = EndStatus::NotStarted;
    if (m_process) {
        m_process->disconnect(this);
        m_process->deleteLater();
        m_process = nullptr;
    }
    // Reported from the event loop, so the caller of start is never re-entered.
    QTimer::singleShot(0, this, [this, problem] {
        m_busy = false;
        emit startFailed(problem);
    });
}

void ToolRunner::onStarted()
{
    m_endStatus = EndStatus::Running;
    m_outputs.clear();
    m_decoder.reset();
    m_passTimer.start();
    if (m_limits.seconds > 0)
        m_deadline.start(m_limits.seconds * 1000);
}

void ToolRunner::onErrorOccurred()
{
    // A crash is followed by finished(); only a start that failed ends here.
    if (!m_process || m_process->error() != QProcess::FailedToStart || m_endStatus == EndStatus::Running)
        return;
    if (m_terminateRequested) {
        // Ended before it ran: a command like any other, closed by finished.
        m_outputs.clear();
        m_decoder.reset();
        QTimer::singleShot(0, this, &ToolRunner::finish);
        return;
    }
    failToStart(StartProblem::NotFound);
}

void ToolRunner::onFinished()
{
    m_passTimer.stop();
    m_deadline.stop();
    m_drainTimer.start();
}

void ToolRunner::readPass()
{
    const qint64 waiting = m_process->bytesAvailable();
    if (waiting > 0) {
        deliver(readPiece());
        if (waiting - ChunkBytes > MaxBacklogBytes) {
            while (m_process && m_process->bytesAvailable() > MaxBacklogBytes)
                deliver(readPiece());
        }
    }
    // A handler may have ended the command meanwhile.
    if (m_process && m_process->state() == QProcess::Running && !m_drainTimer.isActive())
        m_passTimer.start();
}

void ToolRunner::drainPass()
{
    if (m_process && m_process->bytesAvailable() > 0) {
        deliver(readPiece());
        if (m_process->bytesAvailable() > 0)
            return;
    }
    m_drainTimer.stop();
    finish();
}

QByteArray ToolRunner::readPiece()
{
    if (m_process->bytesAvailable() <= ChunkBytes)
        return m_process->readAll();
    // More is waiting than one piece holds: end the piece after its last line end, so that the
    // progress lines, which are read chunk by chunk, are not cut in two.
    const QByteArray window = m_process->peek(ChunkBytes);
    const qsizetype lineEnd = qMax(window.lastIndexOf('\n'), window.lastIndexOf('\r'));
    return m_process->read(lineEnd >= 0 ? lineEnd + 1 : ChunkBytes);
}

void ToolRunner::deliver(const QByteArray &bytes)
{
    QString chunk = m_decoder.decode(bytes);
    if (chunk.isEmpty())
        return;
    m_outputs += chunk;
    emit outputReceived(chunk);
}

void ToolRunner::finish()
{
    if (!m_process)
        return;
    QString rest = m_decoder.flush();
    if (!rest.isEmpty()) {
        m_outputs += rest;
        emit outputReceived(rest);
    }
    if (m_terminateRequested) {
        m_endStatus = EndStatus::Terminated;
        m_exitCode = -1;
    } else if (m_process->exitStatus() == QProcess::CrashExit) {
        m_endStatus = EndStatus::Crashed;
        m_exitCode = -1;
    } else {
        m_endStatus = EndStatus::Exited;
        m_exitCode = m_process->exitCode();
    }
    m_process->disconnect(this);
    m_process->deleteLater();
    m_process = nullptr;
    m_busy = false;
    emit finished();
}

void ToolRunner::terminate()
{
    if (!m_process)
        return;
    m_terminateRequested = true;
    m_process->kill();
}
