#include "system/appcastupdater.h"

#include <QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

#include <memory>

using namespace Qt::StringLiterals;

AppcastUpdater::AppcastUpdater(QNetworkAccessManager *network, QObject *parent)
    : QObject(parent)
    , m_network(network)
{
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        m_network->setTransferTimeout(static_cast<int>(defaultTransferTimeout.count()));
    }
}

AppcastUpdater::~AppcastUpdater()
{
    // Replies deleted with an own network manager would leave their checks suspended for good; aborted and kept
    // apart from it, they finish on the next pass of the event loop with an error.
    if (m_network->parent() != this) return;
    for (QNetworkReply *reply : m_network->findChildren<QNetworkReply *>()) {
        reply->abort();
        reply->setParent(nullptr);
    }
}

QCoro::Task<std::vector<AppcastItem>> AppcastUpdater::fetchItems(QUrl feedURL, bool allowPlainHttp)
{
    const bool secure = feedURL.scheme() == u"https"_s;
    if (!feedURL.isValid() || feedURL.host().isEmpty()
        || !(secure || (allowPlainHttp && feedURL.scheme() == u"http"_s)))
        throw AppcastError(u"The update feed address %1 is not an HTTPS address."_s.arg(feedURL.toDisplayString()));

    QNetworkRequest request(feedURL);
    // Never from HTTPS down to HTTP, whatever the manager's default.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply, decltype([](QNetworkReply *r) { r->deleteLater(); })> reply(m_network->get(request));
    bool tooLarge = false;
    connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(),
        [&tooLarge, r = reply.get()](qint64 received, qint64 total) {
            if (received > maximumAppcastBytes || total > maximumAppcastBytes) {
                tooLarge = true;
                r->abort();
            }
        });
    co_await qCoro(reply.get()).waitForFinished();

    if (tooLarge) throw AppcastError(u"The update feed is larger than 1 MiB."_s);
    if (reply->error() != QNetworkReply::NoError) throw AppcastError(reply->errorString());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200) throw AppcastError(u"The update server answered with status %1."_s.arg(status));
    if (reply->url().scheme() != u"https"_s && !allowPlainHttp)
        throw AppcastError(u"The update feed was redirected away from HTTPS."_s);
    const QByteArray body = reply->read(maximumAppcastBytes + 1);
    // A connection closed early still finishes without an error; the announced length tells.
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && !reply->hasRawHeader("Content-Encoding") && body.size() < announced.toLongLong())
        throw AppcastError(u"The update feed was cut short."_s);
    co_return parseAppcast(body);
}
