#include "platform/instancehandoff.h"

#include "platform/appdirs.h"
#include "platform/handoffreader.h"
#include "platform/singleinstance.h"
#include "platform/userpath.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/un.h>
#endif

namespace {

constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;
// The running start's word that it has taken the paths.
constexpr char Taken = '\x01';
// Between two tries while the lock holder does not answer.
constexpr int RetryMs = 100;
// What Qt takes in from a connection ahead of the reader: a flood is never taken in whole.
constexpr qint64 ReadAheadBytes = 64 * 1024;

bool fitsSocketAddress(const QString &path)
{
#ifdef Q_OS_UNIX
    return QFile::encodeName(path).size() < qsizetype(sizeof(sockaddr_un::sun_path));
#else
    Q_UNUSED(path);
    return true;
#endif
}

} // namespace

namespace InstanceHandoff {

QString serverName()
{
    const QString work = AppDirs::workFolder();
    if (work.isEmpty())
        return QString();
    const QString inWorkFolder = work + QStringLiteral("/instance.socket");
    if (fitsSocketAddress(inWorkFolder))
        return inWorkFolder;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !UserPath::isAbsolute(runtime))
        return QString();
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(work), QCryptographicHash::Sha256);
    const QString inRuntime = runtime + QStringLiteral("/tunoxa-") +
                              QString::fromLatin1(hash.toHex().left(16)) + QStringLiteral(".socket");
    return fitsSocketAddress(inRuntime) ? inRuntime : QString();
}

QList<QByteArray> absolutePaths(const QList<QByteArray> &arguments, const QByteArray &currentFolder)
{
    const QByteArray base = currentFolder.endsWith('/') ? currentFolder : currentFolder + '/';
    QList<QByteArray> paths;
    for (QByteArray path : arguments) {
        if (path.isEmpty())
            continue;
        if (!path.startsWith('/')) {
            while (path.startsWith("./"))
                path.remove(0, 2);
            path = path == "." ? currentFolder : base + path;
        }
        paths.append(path);
    }
    return paths;
}

bool handOver(const QString &serverName, const QList<QByteArray> &paths, QDeadlineTimer deadline)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    out << paths;
    socket.write(message);
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.read(1).at(0) == Taken;
}

Outcome lockOrHandOver(SingleInstance &instance, const QList<QByteArray> &paths, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const QString name = serverName();
    for (;;) {
        if (instance.tryLock())
            return Outcome::Locked;
        if (!instance.heldByAnother())
            return Outcome::Refused;
        if (!name.isEmpty() && handOver(name, paths, deadline))
            return Outcome::HandedOver;
        if (deadline.hasExpired())
            return Outcome::Unanswered;
        // The holder is between taking the lock and listening, or between its end and its exit.
        QThread::msleep(RetryMs);
    }
}

} // namespace InstanceHandoff

HandoffServer::HandoffServer(QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    // Only the user can reach the work folder anyway; the socket says so too.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &HandoffServer::takeConnections);
}

bool HandoffServer::listen(const QString &name)
{
    if (name.isEmpty())
        return false;
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

void HandoffServer::takeConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        socket->setReadBufferSize(ReadAheadBytes);
        auto reader = std::make_shared<HandoffReader>();
        connect(socket, &QLocalSocket::readyRead, this,
                [this, socket, reader] { readMessages(*socket, *reader); });
        // A start that went away in the middle of its message: the paths it sent whole still count.
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, reader] {
            HandoffReader::State state = HandoffReader::State::Complete;
            while (state == HandoffReader::State::Complete) {
                state = reader->read(*socket);
                const QList<QByteArray> paths = reader->takePaths();
                if (!paths.isEmpty())
                    emit pathsArrived(paths);
            }
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readMessages(*socket, *reader);
    }
}

void HandoffServer::readMessages(QLocalSocket &socket, HandoffReader &reader)
{
    for (;;) {
        const HandoffReader::State state = reader.read(socket);
        if (state == HandoffReader::State::Reading)
            return;
        const QList<QByteArray> paths = reader.takePaths();
        // What was taken is confirmed, also from a message cut short by a bound, so that its sender
        // never sends the same paths again.
        if (state == HandoffReader::State::Complete || !paths.isEmpty()) {
            emit pathsArrived(paths);
            socket.write(&Taken, 1);
            socket.flush();
        }
        if (state == HandoffReader::State::OutOfBounds) {
            // The rest of the message is dropped unread.
            socket.disconnect(this);
            socket.disconnectFromServer();
            return;
        }
    }
}
