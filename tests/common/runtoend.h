#pragma once

#include "runner/toolrunner.h"

#include <QSignalSpy>
#include <QTest>

// Starts a command on a runner and waits until it has ended or could not start, for tests that
// need the whole output at once. Returns everything the command printed (empty when it did not start).
inline QString runToEnd(ToolRunner &runner, const QString &commandLine = QString(), int timeoutMs = 120000)
{
    QSignalSpy over(&runner, &ToolRunner::finished);
    QSignalSpy failed(&runner, &ToolRunner::startFailed);
    runner.start(commandLine);
    if (!QTest::qWaitFor([&] { return !over.isEmpty() || !failed.isEmpty(); }, timeoutMs))
        return QString();
    return over.isEmpty() ? QString() : runner.output();
}
