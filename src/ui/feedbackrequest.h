#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

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

    // address + 13 blanks + name + "&age=" + email + "&comment=(FLAC)" + comment, nothing escaped.
    static QString compose(const QString &address, const QString &name, const QString &email,
                           const QString &comment);

    // The URL that carries a composed address. Blanks, non-ASCII text, "%" and "#" cannot stand
    // in a request line as they are, so they travel percent-encoded; decoding the request target
    // gives the composition back exactly, whatever the user typed.
    static QUrl toUrl(const QString &composed);

    // Starts the request; one still under way is abandoned first and reports nothing.
    void send(const QString &composed);
    // Abandons the request under way without reporting it.
    void abort();
    bool isRunning() const { return !m_reply.isNull(); }

signals:
    // Once per request that was not abandoned: true only for an HTTP reply with a 2xx or 3xx
    // status; a network error or an HTTP error status gives false.
    void finished(bool success);

private:
    void onReplyFinished();

    QNetworkAccessManager *m_manager;
    QPointer<QNetworkReply> m_reply;
};
