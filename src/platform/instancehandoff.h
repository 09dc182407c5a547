#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>

class HandoffReader;
class QLocalServer;
class QLocalSocket;
class SingleInstance;

// What a second start of the program hands to the running one: the files and folders named on its
// command line. The running start listens on a local socket in the work folder, so only starts of the
// same user with the same work folder ever meet; a second start connects, sends its paths and waits
// for the word that they were taken. The single-instance lock alone decides which start runs.
namespace InstanceHandoff {

// Work folder + "/instance.socket", or, when that is too long for a socket address, a name of its own
// in $XDG_RUNTIME_DIR (private to the user as well); empty when neither can be used.
QString serverName();

// The paths named on a command line, made absolute against currentFolder, each kept as the exact
// bytes it was given in; empty arguments are dropped.
QList<QByteArray> absolutePaths(const QList<QByteArray> &arguments, const QByteArray &currentFolder);

enum class Outcome
{
    Locked,     // this start holds the lock now: it is the running program
    HandedOver, // the running start took the paths
    Unanswered, // the lock holder took nothing in the time allowed
    Refused     // the lock cannot be checked at all (no usable work folder)
};

// Takes the single-instance lock, or hands paths to the start that holds it. A holder that is still
// starting or already ending may not answer yet: this tries again until timeoutMs have passed, and
// takes the lock itself when the holder has gone meanwhile, so the paths are never dropped on the way.
Outcome lockOrHandOver(SingleInstance &instance, const QList<QByteArray> &paths, int timeoutMs = 10000);

// Sends paths (none: only a request to come to the front) to the start listening on serverName;
// true once it has taken them.
bool handOver(const QString &serverName, const QList<QByteArray> &paths, QDeadlineTimer deadline);

} // namespace InstanceHandoff

// The running start's end of the handoff. Each connection's messages are read as they arrive and
// within HandoffReader's bounds: a message that breaks one closes its connection, and the paths that
// came whole before it are still added.
class HandoffServer : public QObject
{
    Q_OBJECT

public:
    explicit HandoffServer(QObject *parent = nullptr);

    // Starts listening on name; a socket left by a start that crashed is replaced, so only the holder
    // of the single-instance lock may call this. False when it cannot listen.
    bool listen(const QString &name = InstanceHandoff::serverName());

signals:
    // A later start handed these absolute native paths over; none when it only asks for the window.
    void pathsArrived(const QList<QByteArray> &nativePaths);

private:
    void takeConnections();
    void readMessages(QLocalSocket &socket, HandoffReader &reader);

    QLocalServer *m_server;
};
