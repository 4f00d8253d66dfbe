#pragma once

#include "stats/scheduleapi.h"

#include <QObject>
#include <coroutine>
#include <memory>
#include <utility>
#include <vector>

// One request to the fake service, open until the test answers it. Answering
// resumes the waiting coroutine at once, so a test sees the result on the next line.
struct FakeOpenRequest {
    bool failed = false;
    bool completed = false;
    std::coroutine_handle<> waiter;

    bool await_ready() const { return completed; }
    void await_suspend(std::coroutine_handle<> handle) { waiter = handle; }
    void await_resume() const { }

    void complete(bool failure)
    {
        failed = failure;
        completed = true;
        if (auto handle = std::exchange(waiter, {})) handle.resume();
    }
};

struct FakeScheduleRequest : FakeOpenRequest {
    QDate firstDay;
    QDate lastDay;
    ScheduleDays days;
};

struct FakeStandingsRequest : FakeOpenRequest {
    qint64 season = 0;
    std::vector<StandingsRecord> records;
};

struct FakeTeamScheduleRequest : FakeOpenRequest {
    qint64 teamId = 0;
    QDate firstDay;
    QDate lastDay;
    std::vector<Game> games;
};

struct FakeDetailRequest : FakeOpenRequest {
    qint64 gamePk = 0;
    GameDetail detail;
};

// A ScheduleAPI whose requests stay open until the test completes them.
class FakeScheduleAPI : public QObject, public ScheduleAPI {
    Q_OBJECT
public:
    using Request = FakeScheduleRequest;

    // Requests the test left open fail now, so the coroutines waiting on them finish instead of leaking.
    ~FakeScheduleAPI() override
    {
        const auto failOpen = [](auto &requests) {
            for (auto &request : requests)
                if (!request->completed) request->complete(true);
        };
        failOpen(m_requests);
        failOpen(m_standingsRequests);
        failOpen(m_detailRequests);
        failOpen(m_teamScheduleRequests);
    }

    QCoro::Task<ScheduleDays> fetchSchedule(QDate firstDay, QDate lastDay) override
    {
        return open(m_requests, std::make_shared<Request>(Request { {}, firstDay, lastDay, {} }), &Request::days);
    }

    QCoro::Task<std::vector<StandingsRecord>> fetchStandings(qint64 season) override
    {
        return open(m_standingsRequests,
            std::make_shared<FakeStandingsRequest>(FakeStandingsRequest { {}, season, {} }),
            &FakeStandingsRequest::records);
    }

    QCoro::Task<GameDetail> fetchGameDetail(qint64 gamePk) override
    {
        return open(m_detailRequests, std::make_shared<FakeDetailRequest>(FakeDetailRequest { {}, gamePk, {} }),
            &FakeDetailRequest::detail);
    }

    QCoro::Task<std::vector<Game>> fetchTeamSchedule(qint64 teamId, QDate firstDay, QDate lastDay) override
    {
        return open(m_teamScheduleRequests,
            std::make_shared<FakeTeamScheduleRequest>(FakeTeamScheduleRequest { {}, teamId, firstDay, lastDay, {} }),
            &FakeTeamScheduleRequest::games);
    }

    LiveFeedFollow followGame(qint64 gamePk) override
    {
        auto claim = std::make_shared<qint64>(gamePk);
        m_follows.push_back(claim);
        return LiveFeedFollow(claim);
    }

    // The games whose feed some follow still keeps, in the order they were followed.
    std::vector<qint64> followedGames() const
    {
        std::vector<qint64> games;
        for (const auto &follow : m_follows) {
            if (const auto claim = follow.lock()) games.push_back(*claim);
        }
        return games;
    }

    // What the view model last asked the live feeds to hold back.
    std::chrono::seconds streamDelay { 0 };
    void setStreamDelay(std::chrono::seconds delay) override { streamDelay = delay; }

    int requestCount() const { return int(m_requests.size()); }
    const Request &request(int index) const { return *m_requests.at(index); }

    // Answers with `games` on the last day asked for (the shown day, when the window shows the game day or a day
    // after it) and none on the others.
    void succeed(int index, std::vector<Game> games)
    {
        auto request = m_requests.at(index);
        request->days = { { request->lastDay, std::move(games) } };
        request->complete(false);
    }

    void succeedDays(int index, ScheduleDays days)
    {
        auto request = m_requests.at(index);
        request->days = std::move(days);
        request->complete(false);
    }

    void fail(int index) { m_requests.at(index)->complete(true); }

    // Standings requests, answered separately from the schedule ones.
    int standingsRequestCount() const { return int(m_standingsRequests.size()); }
    const FakeStandingsRequest &standingsRequest(int index) const { return *m_standingsRequests.at(index); }

    void succeedStandings(int index, std::vector<StandingsRecord> records)
    {
        auto request = m_standingsRequests.at(index);
        request->records = std::move(records);
        request->complete(false);
    }

    void failStandings(int index) { m_standingsRequests.at(index)->complete(true); }

    // Detail requests, answered separately from the schedule ones.
    int detailRequestCount() const { return int(m_detailRequests.size()); }
    const FakeDetailRequest &detailRequest(int index) const { return *m_detailRequests.at(index); }

    void succeedDetail(int index, GameDetail detail)
    {
        auto request = m_detailRequests.at(index);
        request->detail = std::move(detail);
        request->complete(false);
    }

    void failDetail(int index) { m_detailRequests.at(index)->complete(true); }

    // Team schedule requests of the alert sync, answered separately from the schedule ones.
    int teamScheduleRequestCount() const { return int(m_teamScheduleRequests.size()); }
    const FakeTeamScheduleRequest &teamScheduleRequest(int index) const { return *m_teamScheduleRequests.at(index); }

    void succeedTeamSchedule(int index, std::vector<Game> games)
    {
        auto request = m_teamScheduleRequests.at(index);
        request->games = std::move(games);
        request->complete(false);
    }

    void failTeamSchedule(int index) { m_teamScheduleRequests.at(index)->complete(true); }

private:
    // Files `request` and waits until the test answers it; a failed answer throws a transfer error.
    template <class R, class Result>
    static QCoro::Task<Result> open(
        std::vector<std::shared_ptr<R>> &requests, std::shared_ptr<R> request, Result R::*answer)
    {
        requests.push_back(request);
        co_await *request;
        if (request->failed)
            throw ServiceError(ServiceError::Kind::Transfer, QStringLiteral("Could not connect to server"));
        co_return (*request).*answer;
    }

    std::vector<std::shared_ptr<Request>> m_requests;
    std::vector<std::shared_ptr<FakeStandingsRequest>> m_standingsRequests;
    std::vector<std::shared_ptr<FakeDetailRequest>> m_detailRequests;
    std::vector<std::shared_ptr<FakeTeamScheduleRequest>> m_teamScheduleRequests;
    std::vector<std::weak_ptr<qint64>> m_follows;
};
