#include "common/loopbackserver.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

LoopbackServer::LoopbackServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &LoopbackServer::onNewConnection);
}

bool LoopbackServer::listen()
{
    return m_server->listen(QHostAddress::LocalHost);
}

QString LoopbackServer::origin() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server->serverPort());
}

void LoopbackServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        ++m_open;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            --m_open;
            socket->deleteLater();
        });
    }
}

void LoopbackServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray pending = socket->property("pending").toByteArray() + socket->readAll();
    while (true) {
        const qsizetype end = pending.indexOf("\r\n\r\n");
        if (end < 0)
            break;
        const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        pending.remove(0, end + 4);
        const QByteArray target = requestLine.value(1);
        targets.append(target);
        if (target == "/landing")
            answer(socket, 200, {});
        else if (m_mode == Mode::HangUp)
            socket->disconnectFromHost();
        else if (m_mode == Mode::Answer)
            answer(socket, m_status,
                   m_status / 100 == 3 ? QByteArray("Location: /landing\r\n") : QByteArray());
    }
    socket->setProperty("pending", pending);
}

void LoopbackServer::answer(QTcpSocket *socket, int status, const QByteArray &extraHeaders)
{
    const QByteArray body = "<html><body>thanks</body></html>";
    socket->write("HTTP/1.1 " + QByteArray::number(status) + " Status\r\nContent-Type: text/html\r\n" +
                  extraHeaders + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
}
