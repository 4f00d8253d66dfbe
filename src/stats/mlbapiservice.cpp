#include "stats/mlbapiservice.h"

#include "stats/datetime.h"
#include "stats/livefeedstore.h"

#include <QCoroNetworkReply>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>
#include <memory>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcService, "baselark.service")

namespace {

const QString scheduleHydration = u"&hydrate=broadcasts(all),probablePitcher,linescore"_s;

// A reply that came back with an HTTP status is an answer, whatever the status: its body is decoded like any
// other. Only the errors of the connection itself (refused, reset, timed out, aborted) leave no answer; a
// redirect policy or proxy-authentication error still carries the server's status and body.
bool isAnswer(const QNetworkReply &reply)
{
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) return false;
    switch (reply.error()) {
    case QNetworkReply::NoError:
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return true;
    default:
        return reply.error() >= QNetworkReply::ProxyConnectionRefusedError;
    }
}

ScheduleDays gamesByDay(const QByteArray &body)
{
    return scheduleDays(decodeOnDemand<ScheduleResponse>(body));
}

std::vector<Game> allGames(const QByteArray &body)
{
    auto response = decodeOnDemand<ScheduleResponse>(body);
    std::vector<Game> games;
    for (GameDate &day : response.dates)
        std::move(day.games.begin(), day.games.end(), std::back_inserter(games));
    return games;
}

} // namespace

MLBAPIService::MLBAPIService(Endpoints endpoints, QObject *parent, std::chrono::milliseconds transferTimeout)
    : QObject(parent)
    , m_endpoints(std::move(endpoints))
    , m_network(new QNetworkAccessManager(this))
    , m_liveFeeds(new LiveFeedStore(this))
{
    m_network->setTransferTimeout(static_cast<int>(transferTimeout.count()));
    m_executor.setMaxThreadCount(1);
}

MLBAPIService::~MLBAPIService()
{
    // Replies deleted with the network manager would never finish, leaving their coroutines suspended for
    // good. Aborted and kept apart from the manager, they finish on the next pass of the event loop and
    // their callers see a transfer error; get() deletes each one when its caller is done with it.
    for (QNetworkReply *reply : m_network->findChildren<QNetworkReply *>()) {
        reply->abort();
        reply->setParent(nullptr);
    }
    m_executor.waitForDone();
}

MLBAPIService &MLBAPIService::shared()
{
    static auto *instance = new MLBAPIService(Endpoints::fromEnvironment());
    return *instance;
}

QUrl MLBAPIService::scheduleURL(QDate firstDay, QDate lastDay) const
{
    const QString days = firstDay == lastDay
        ? u"&date="_s + formatServiceDay(firstDay)
        : u"&startDate="_s + formatServiceDay(firstDay) + u"&endDate="_s + formatServiceDay(lastDay);
    return QUrl(m_endpoints.statsBaseURL + u"/schedule?sportId=1"_s + days + scheduleHydration);
}

QUrl MLBAPIService::teamScheduleURL(qint64 teamId, QDate firstDay, QDate lastDay) const
{
    return QUrl(m_endpoints.statsBaseURL + u"/schedule?sportId=1&teamId="_s + QString::number(teamId) + u"&startDate="_s
        + formatServiceDay(firstDay) + u"&endDate="_s + formatServiceDay(lastDay) + scheduleHydration);
}

QUrl MLBAPIService::standingsURL(qint64 season) const
{
    return QUrl(m_endpoints.statsBaseURL + u"/standings?leagueId=103,104&season="_s + QString::number(season)
        + u"&standingsTypes=regularSeason"_s);
}

QUrl MLBAPIService::gameFeedURL(qint64 gamePk, const QString &timecode) const
{
    QUrl url(m_endpoints.liveFeedBaseURL + u"/game/"_s + QString::number(gamePk) + u"/feed/live"_s);
    if (!timecode.isEmpty()) url.setQuery(QUrlQuery { { u"timecode"_s, timecode } });
    return url;
}

QUrl MLBAPIService::gameFeedPatchURL(qint64 gamePk, const QString &startTimecode, const QString &endTimecode) const
{
    QUrl url(m_endpoints.liveFeedBaseURL + u"/game/"_s + QString::number(gamePk) + u"/feed/live/diffPatch"_s);
    QUrlQuery query { { u"language"_s, u"en"_s }, { u"startTimecode"_s, startTimecode } };
    if (!endTimecode.isEmpty()) query.addQueryItem(u"endTimecode"_s, endTimecode);
    url.setQuery(query);
    return url;
}

ServiceError serviceGoneError()
{
    return ServiceError(ServiceError::Kind::Transfer, u"The request was cancelled"_s);
}

ServiceError errorStatusError(int status, const QString &reasonPhrase)
{
    const QString phrase = reasonPhrase.isEmpty() ? QString() : u" (%1)"_s.arg(reasonPhrase);
    return ServiceError(ServiceError::Kind::Decoding, u"The service answered %1%2"_s.arg(status).arg(phrase), status);
}

ServiceError unreadableAnswerError()
{
    return ServiceError(ServiceError::Kind::Decoding, u"The service sent data Baselark could not read"_s);
}

void logDecodingFailure(const QUrl &url, int status, const ServiceError &error)
{
    qCWarning(lcService).noquote() << u"could not decode the answer of %1 (status %2): %3"_s.arg(url.toDisplayString())
                                          .arg(status)
                                          .arg(error.description());
}

QCoro::Task<QByteArray> MLBAPIService::get(QUrl url, QNetworkRequest::Priority priority)
{
    Answer answer = co_await fetch(std::move(url), priority);
    co_return std::move(answer.body);
}

QCoro::Task<MLBAPIService::Answer> MLBAPIService::fetch(QUrl url, QNetworkRequest::Priority priority)
{
    QNetworkRequest request(url);
    request.setPriority(priority);
    std::unique_ptr<QNetworkReply, decltype([](QNetworkReply *r) { r->deleteLater(); })> reply(m_network->get(request));
    bool tooLarge = false;
    connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(),
        [&tooLarge, r = reply.get()](qint64 received, qint64 total) {
            if (received > maximumBodyBytes || total > maximumBodyBytes) {
                tooLarge = true;
                r->abort();
            }
        });
    co_await qCoro(reply.get()).waitForFinished();

    if (tooLarge) {
        throw ServiceError(
            ServiceError::Kind::Transfer, u"The answer is larger than %1 MiB"_s.arg(maximumBodyBytes / (1024 * 1024)));
    }
    if (!isAnswer(*reply)) throw ServiceError(ServiceError::Kind::Transfer, reply->errorString());
    QByteArray body = reply->readAll();
    // A connection closed early still finishes without an error; the announced length tells.
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    // (A reply stopped by the redirect policy has its body withheld by Qt: nothing was cut.)
    if (reply->error() == QNetworkReply::NoError && announced.isValid() && !reply->hasRawHeader("Content-Encoding")
        && body.size() < announced.toLongLong()) {
        throw ServiceError(ServiceError::Kind::Transfer,
            u"The answer was cut short after %1 of %2 bytes"_s.arg(body.size()).arg(announced.toLongLong()));
    }
    co_return Answer { reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(), std::move(body), std::move(url) };
}

QCoro::Task<ScheduleDays> MLBAPIService::fetchSchedule(QDate firstDay, QDate lastDay)
{
    QPointer self(this);
    Answer answer = co_await fetch(scheduleURL(firstDay, lastDay));
    co_return co_await decodeAnswer(self, std::move(answer), gamesByDay);
}

QCoro::Task<std::vector<StandingsRecord>> MLBAPIService::fetchStandings(qint64 season)
{
    QPointer self(this);
    Answer answer = co_await fetch(standingsURL(season));
    co_return co_await decodeAnswer(
        self, std::move(answer), [](const QByteArray &body) { return decode<StandingsResponse>(body).records; });
}

void MLBAPIService::setStreamDelay(std::chrono::seconds delay)
{
    m_liveFeeds->setDelay(delay);
}

QCoro::Task<GameDetail> MLBAPIService::fetchGameDetail(qint64 gamePk)
{
    auto update = co_await m_liveFeeds->update(gamePk, readGameDetail);
    co_return std::move(update.value);
}

LiveFeedFollow MLBAPIService::followGame(qint64 gamePk)
{
    return m_liveFeeds->follow(gamePk);
}

QCoro::Task<std::vector<Game>> MLBAPIService::fetchTeamSchedule(qint64 teamId, QDate firstDay, QDate lastDay)
{
    QPointer self(this);
    Answer answer = co_await fetch(teamScheduleURL(teamId, firstDay, lastDay));
    co_return co_await decodeAnswer(self, std::move(answer), allGames);
}
