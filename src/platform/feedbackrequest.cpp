#include "platform/feedbackrequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

QString encoded(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

FeedbackRequest::FeedbackRequest(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
    , m_deadline(new QTimer(this))
{
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &FeedbackRequest::onTimedOut);
}

FeedbackRequest::~FeedbackRequest()
{
    abort();
}

QString FeedbackRequest::defaultAddress()
{
    return QStringLiteral(TUNOXA_FEEDBACK_URL);
}

QString FeedbackRequest::compose(const QString &address, const QString &name, const QString &email,
                                 const QString &comment)
{
    return address + QString(13, QLatin1Char(' ')) + encoded(name) + QStringLiteral("&age=") +
           encoded(email) + QStringLiteral("&comment=(FLAC)") + encoded(comment);
}

QUrl FeedbackRequest::toUrl(const QString &composed)
{
    // The tolerant reading encodes the blanks and keeps the escapes that are there.
    return QUrl(composed, QUrl::TolerantMode);
}

void FeedbackRequest::send(const QString &composed)
{
    abort();
    QNetworkRequest request(toUrl(composed));
    QNetworkReply *reply = m_manager->get(request);
    m_reply = reply;
    // The page is not wanted: drop it as it comes so a large one never piles up in memory.
    connect(reply, &QNetworkReply::readyRead, this, [reply] { reply->skip(reply->bytesAvailable()); });
    connect(reply, &QNetworkReply::finished, this, &FeedbackRequest::onReplyFinished);
    // One deadline for the whole request, redirects included.
    m_deadline->start(m_timeout);
}

void FeedbackRequest::abort()
{
    m_deadline->stop();
    if (m_reply.isNull())
        return;
    QNetworkReply *reply = m_reply;
    m_reply.clear();
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void FeedbackRequest::onReplyFinished()
{
    m_deadline->stop();
    QNetworkReply *reply = m_reply;
    m_reply.clear();
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    emit finished(reply->error() == QNetworkReply::NoError && status.isValid() && code >= 200 && code < 400);
}

void FeedbackRequest::onTimedOut()
{
    abort();
    emit finished(false);
}
