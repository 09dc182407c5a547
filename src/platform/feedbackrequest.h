#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <chrono>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// The feedback window's one web request: the address it goes to, and whether the server took it.
// The server's page is never read; only its status decides.
class FeedbackRequest : public QObject
{
    Q_OBJECT

public:
    explicit FeedbackRequest(QObject *parent = nullptr);
    ~FeedbackRequest() override;

    // The maker's page the fields are appended to (a build-time setting), as plain text.
    static QString defaultAddress();

    // How long a request may take in all before it counts as failed.
    static constexpr std::chrono::milliseconds DefaultTimeout{30000};

    // address + 13 blanks + name + "&age=" + email + "&comment=(FLAC)" + comment, each of the
    // three values percent-encoded on its own, so that "&", "=" or "#" typed by the user stay
    // inside their field; the fixed pieces stand as they are.
    static QString compose(const QString &address, const QString &name, const QString &email,
                           const QString &comment);

    // The URL that carries a composed address. The blanks and whatever else cannot stand in a
    // request line as it is travel percent-encoded; the values' escapes are kept, so decoding the
    // request target once gives the fixed pieces and the values as typed.
    static QUrl toUrl(const QString &composed);

    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // Starts the request; one still under way is abandoned first and reports nothing.
    void send(const QString &composed);
    // Abandons the request under way without reporting it.
    void abort();
    bool isRunning() const { return !m_reply.isNull(); }

signals:
    // Once per request that was not abandoned: true only for an HTTP reply with a 2xx or 3xx
    // status; a network error, an HTTP error status or no end within the timeout gives false.
    void finished(bool success);

private:
    void onReplyFinished();
    void onTimedOut();

    QNetworkAccessManager *m_manager;
    QTimer *m_deadline;
    QPointer<QNetworkReply> m_reply;
    std::chrono::milliseconds m_timeout = DefaultTimeout;
};
