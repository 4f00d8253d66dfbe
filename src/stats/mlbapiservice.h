#pragma once

#include "stats/endpoints.h"
#include "stats/scheduleapi.h"

#include <QByteArray>
#include <QCoroFuture>
#include <QFuture>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>
#include <QtConcurrent>
#include <chrono>
#include <variant>

class QNetworkAccessManager;
class LiveFeedStore;

// The only component that talks to the stats service: one GET per question,
// the answer decoded off the main thread and reduced to what the caller needs.
class MLBAPIService : public QObject, public ScheduleAPI {
    Q_OBJECT
public:
    // Transfers that move no bytes for this long fail.
    static constexpr std::chrono::milliseconds defaultTransferTimeout { 60'000 };
    // An answer larger than this is not a real schedule or feed; the transfer is aborted.
    static constexpr qint64 maximumBodyBytes = 32 * 1024 * 1024;

    explicit MLBAPIService(Endpoints endpoints, QObject *parent = nullptr,
        std::chrono::milliseconds transferTimeout = defaultTransferTimeout);
    ~MLBAPIService() override;

    // Created on first use with the endpoints of the environment.
    static MLBAPIService &shared();

    const Endpoints &endpoints() const { return m_endpoints; }
    // The application's one network manager, lent to the other services that fetch.
    QNetworkAccessManager *networkAccessManager() const { return m_network; }
    // The kept live feeds of the games that views follow.
    LiveFeedStore &liveFeeds() const { return *m_liveFeeds; }

    QCoro::Task<ScheduleDays> fetchSchedule(QDate firstDay, QDate lastDay) override;
    QCoro::Task<std::vector<StandingsRecord>> fetchStandings(qint64 season) override;
    QCoro::Task<GameDetail> fetchGameDetail(qint64 gamePk) override;
    LiveFeedFollow followGame(qint64 gamePk) override;
    void setStreamDelay(std::chrono::seconds delay) override;
    QCoro::Task<std::vector<Game>> fetchTeamSchedule(qint64 teamId, QDate firstDay, QDate lastDay) override;

    // One day is asked for by `date`, a stretch by `startDate` and `endDate`.
    QUrl scheduleURL(QDate firstDay, QDate lastDay) const;
    QUrl teamScheduleURL(qint64 teamId, QDate firstDay, QDate lastDay) const;
    QUrl standingsURL(qint64 season) const;
    // The whole live feed; at a time code (yyyyMMdd_HHmmss, UTC) when one is given.
    QUrl gameFeedURL(qint64 gamePk, const QString &timecode = {}) const;
    // What changed in the live feed since `startTimecode`, up to `endTimecode` when one is given.
    QUrl gameFeedPatchURL(qint64 gamePk, const QString &startTimecode, const QString &endTimecode = {}) const;

    // What came back from one GET: the HTTP status (0 when none) with its reason phrase, the body, and the
    // address asked (for the log).
    struct Answer {
        int status = 0;
        QString reasonPhrase;
        QByteArray body;
        QUrl url;
    };

    // One GET; the answer whatever the HTTP status, or ServiceError of kind Transfer. The stats service's
    // requests go ahead of the logos (HighPriority), so a slow image host never holds up the schedule.
    QCoro::Task<Answer> fetch(QUrl url, QNetworkRequest::Priority priority = QNetworkRequest::HighPriority);
    // The body alone, for callers that have no use for the status.
    QCoro::Task<QByteArray> get(QUrl url, QNetworkRequest::Priority priority = QNetworkRequest::HighPriority);

    // Decodes `answer` with `reduce` on the executor. A body that does not decode under a status of 300 or more is
    // reported by that status ("The service answered 500 (Internal Server Error)"), any other one as "The service
    // sent data Baselark could not read"; the decoder's own account (the JSON path) goes to the log.
    // Throws ServiceError of kind Transfer when `service` is gone by the time the answer arrived.
    template <class Decode>
    static auto decodeAnswer(QPointer<MLBAPIService> service, Answer answer, Decode reduce)
        -> QCoro::Task<decltype(reduce(QByteArray()))>;

    // Runs `work` on the service's one-thread executor and resumes on the caller's thread.
    template <class Work> auto runOnExecutor(Work work) -> QCoro::Task<decltype(work())>;

private:
    Endpoints m_endpoints;
    QNetworkAccessManager *m_network;
    LiveFeedStore *m_liveFeeds;
    QThreadPool m_executor;
};

// The error of a service destroyed while one of its requests was on its way back.
ServiceError serviceGoneError();
// The error for an answer with an error status whose body did not decode.
ServiceError errorStatusError(int status, const QString &reasonPhrase);
// The error for a successful answer whose body did not decode; where it went wrong goes to the log only.
ServiceError unreadableAnswerError();
void logDecodingFailure(const QUrl &url, int status, const ServiceError &error);

template <class Decode>
auto MLBAPIService::decodeAnswer(QPointer<MLBAPIService> service, Answer answer, Decode reduce)
    -> QCoro::Task<decltype(reduce(QByteArray()))>
{
    // A reply that finished just before the service was destroyed resumes its caller a pass of the event loop
    // later: the executor is gone by then.
    if (!service) throw serviceGoneError();
    const int status = answer.status;
    const QString reasonPhrase = answer.reasonPhrase;
    const QUrl url = answer.url;
    try {
        co_return co_await service->runOnExecutor(
            [body = std::move(answer.body), reduce = std::move(reduce)] { return reduce(body); });
    } catch (const ServiceError &error) {
        if (error.kind() != ServiceError::Kind::Decoding) throw;
        logDecodingFailure(url, status, error);
        if (status >= 300) throw errorStatusError(status, reasonPhrase);
        throw unreadableAnswerError();
    }
}

template <class Work> auto MLBAPIService::runOnExecutor(Work work) -> QCoro::Task<decltype(work())>
{
    using Result = decltype(work());
    using Outcome = std::variant<Result, ServiceError>;
    // The error travels back as a value: QtConcurrent only carries QException subclasses.
    QFuture<Outcome> future = QtConcurrent::run(&m_executor, [work = std::move(work)]() -> Outcome {
        try {
            return work();
        } catch (const ServiceError &error) {
            return error;
        }
    });
    Outcome outcome = co_await future;
    if (const auto *error = std::get_if<ServiceError>(&outcome)) throw *error;
    co_return std::get<Result>(std::move(outcome));
}
