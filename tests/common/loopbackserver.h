#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

// A tiny HTTP server on 127.0.0.1 that records the request targets it receives and answers each
// one as told: with a status, by hanging up, or not at all.
class LoopbackServer : public QObject
{
    Q_OBJECT

public:
    enum class Mode
    {
        Answer, // a reply with the set status; a 3xx points at "/landing", which gets a 200
        HangUp, // closes the connection without a reply
        Silent  // reads the request and never answers
    };

    explicit LoopbackServer(QObject *parent = nullptr);

    bool listen();
    void setMode(Mode mode, int status = 200)
    {
        m_mode = mode;
        m_status = status;
    }

    // "http://127.0.0.1:<port>"
    QString origin() const;
    // The maker's page as the feedback window is given it.
    QString feedbackAddress() const { return origin() + QStringLiteral("/suggest.php?name="); }

    // Request targets (path and query as sent), in arrival order.
    QList<QByteArray> targets;
    // Connections the client still holds open.
    int openConnections() const { return m_open; }

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, int status, const QByteArray &extraHeaders);

    QTcpServer *m_server;
    Mode m_mode = Mode::Answer;
    int m_status = 200;
    int m_open = 0;
};
