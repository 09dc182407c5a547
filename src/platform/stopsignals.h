#pragma once

#include <QObject>

class QSocketNotifier;

// The signals that ask a program to end, as a Qt signal: Ctrl-C (SIGINT), SIGTERM (a logout, `kill`)
// and SIGHUP (the terminal or the SSH connection went away). The handler only writes a byte into a
// pipe; the event loop reads it and raises received, so whatever stopping takes runs in the loop,
// never inside a signal handler. One object per process, made once the application object exists.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

signals:
    void received();

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
