#pragma once

#include "stats/endpoints.h"
#include "stats/scheduleapi.h"

#include <QByteArray>
#include <QCoroFuture>
#include <QFuture>
#include <QObject>
#include <QThreadPool>
#include <QUrl>
#include <QtConcurrent>
#include <chrono>
#include <variant>

class QNetworkAccessManager;

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

    QCoro::Task<std::vector<Game>> fetchSchedule(QDateTime date) override;
    QCoro::Task<std::vector<StandingsRecord>> fetchStandings(qint64 season) override;
    QCoro::Task<GameDetail> fetchGameDetail(qint64 gamePk) override;
    QCoro::Task<std::vector<Game>> fetchTeamSchedule(qint64 teamId, QDateTime startDate, qint64 days) override;

    QUrl scheduleURL(const QDateTime &date) const;
    QUrl teamScheduleURL(qint64 teamId, const QDateTime &startDate, qint64 days) const;
    QUrl standingsURL(qint64 season) const;
    QUrl gameFeedURL(qint64 gamePk) const;

    // One GET; the body whatever the HTTP status, or ServiceError of kind Transfer.
    QCoro::Task<QByteArray> get(QUrl url);

    // Runs `work` on the service's one-thread executor and resumes on the caller's thread.
    template <class Work> auto runOnExecutor(Work work) -> QCoro::Task<decltype(work())>;

private:
    Endpoints m_endpoints;
    QNetworkAccessManager *m_network;
    QThreadPool m_executor;
};

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
