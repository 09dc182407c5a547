#include "ui/feedbackrequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// Characters that keep their meaning in a URL and are sent as they are; everything else
// besides letters, digits and "-._~" is percent-encoded.
constexpr char kKeptAsIs[] = "!$&'()*+,;=:@/?";

} // namespace

FeedbackRequest::FeedbackRequest(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{}

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
    return address + QString(13, QLatin1Char(' ')) + name + QStringLiteral("&age=") + email +
           QStringLiteral("&comment=(FLAC)") + comment;
}

QUrl FeedbackRequest::toUrl(const QString &composed)
{
    return QUrl::fromEncoded(composed.toUtf8().toPercentEncoding(kKeptAsIs), QUrl::StrictMode);
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
}

void FeedbackRequest::abort()
{
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
    QNetworkReply *reply = m_reply;
    m_reply.clear();
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    emit finished(reply->error() == QNetworkReply::NoError && status.isValid() && code >= 200 && code < 400);
}
