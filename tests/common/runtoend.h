#pragma once

#include "runner/toolrunner.h"

#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

// Starts a command on a runner and waits until it has ended or could not start, for tests and
// benchmarks that need the whole output at once. Returns everything the command printed (empty when
// it did not start). The wait is an event loop woken by the runner's signals, so nothing polls.
inline QString runToEnd(ToolRunner &runner, const Command &command, int timeoutMs = 120000)
{
    QSignalSpy over(&runner, &ToolRunner::finished);
    QEventLoop loop;
    QObject::connect(&runner, &ToolRunner::finished, &loop, &QEventLoop::quit);
    QObject::connect(&runner, &ToolRunner::startFailed, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    runner.start(command);
    loop.exec();
    return over.isEmpty() ? QString() : runner.output();
}
