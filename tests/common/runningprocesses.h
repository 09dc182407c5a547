#pragma once

#include <QDir>
#include <QFile>
#include <QStringList>

#include <signal.h>

// The processes of this machine that are still running, for tests that end a program from outside
// and look for tools of it left behind.
namespace RunningProcesses {

// "pid command line" of each process whose command line (arguments joined by blanks) contains text.
// A process that has ended but was not reaped yet has no command line, and is not counted.
inline QStringList naming(const QString &text)
{
    QStringList found;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs);
    for (const QString &pid : pids) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QString line = QString::fromUtf8(cmdline.readAll().replace('\0', ' ')).trimmed();
        if (line.contains(text))
            found.append(pid + QLatin1Char(' ') + line);
    }
    return found;
}

// Sends signalNumber to each process naming text, except the one with the pid `except`.
inline void signal(const QString &text, int signalNumber, qint64 except = 0)
{
    for (const QString &process : naming(text)) {
        const qint64 pid = process.section(QLatin1Char(' '), 0, 0).toLongLong();
        if (pid != except)
            ::kill(pid_t(pid), signalNumber);
    }
}

} // namespace RunningProcesses
