#include "platform/stopsignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
constexpr int watchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

void writeToPipe(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

// A signal the program was started to ignore (nohup, a script's background job) stays ignored.
bool watch(int signalNumber)
{
    struct sigaction current = {};
    if (::sigaction(signalNumber, nullptr, &current) != 0)
        return false;
    if (current.sa_handler == SIG_IGN)
        return true;
    struct sigaction action = {};
    action.sa_handler = &writeToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signalNumber, &action, nullptr) == 0;
}

void unwatch(int signalNumber)
{
    struct sigaction current = {};
    if (::sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == &writeToPipe)
        std::signal(signalNumber, SIG_DFL);
}

} // namespace
#endif

StopSignals::StopSignals(QObject *parent)
    : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    for (const int signalNumber : watchedSignals) {
        if (!watch(signalNumber))
            return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readPipe);
#endif
}

StopSignals::~StopSignals()
{
#ifdef Q_OS_UNIX
    if (m_notifier)
        m_notifier->setEnabled(false);
    for (const int signalNumber : watchedSignals)
        unwatch(signalNumber);
    if (pipeEnds[0] >= 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        pipeEnds[0] = pipeEnds[1] = -1;
    }
#endif
}

void StopSignals::readPipe()
{
#ifdef Q_OS_UNIX
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
#endif
    emit received();
}
