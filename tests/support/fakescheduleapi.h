#pragma once

#include "stats/scheduleapi.h"

#include <QObject>
#include <coroutine>
#include <memory>
#include <vector>

// One request to the fake service, open until the test answers it. Answering
// resumes the waiting coroutine at once, so a test sees the result on the next line.
struct FakeScheduleRequest {
    QDateTime date;
    std::vector<Game> games;
    bool failed = false;
    bool completed = false;
    std::coroutine_handle<> waiter;

    bool await_ready() const { return completed; }
    void await_suspend(std::coroutine_handle<> handle) { waiter = handle; }
    void await_resume() const { }
};

// A ScheduleAPI whose requests stay open until the test completes them.
class FakeScheduleAPI : public QObject, public ScheduleAPI {
    Q_OBJECT
public:
    using Request = FakeScheduleRequest;

    QCoro::Task<std::vector<Game>> fetchSchedule(QDateTime date) override
    {
        auto request = std::make_shared<Request>();
        request->date = date;
        m_requests.push_back(request);
        Q_EMIT requested();
        co_await *request;
        if (request->failed)
            throw ServiceError(ServiceError::Kind::Transfer, QStringLiteral("Could not connect to server"));
        co_return request->games;
    }

    QCoro::Task<std::vector<Game>> fetchTeamSchedule(qint64, QDateTime, qint64) override { co_return {}; }

    int requestCount() const { return int(m_requests.size()); }
    const Request &request(int index) const { return *m_requests.at(index); }

    void succeed(int index, std::vector<Game> games)
    {
        auto request = m_requests.at(index);
        request->games = std::move(games);
        request->completed = true;
        if (auto waiter = std::exchange(request->waiter, {})) waiter.resume();
    }

    void fail(int index)
    {
        auto request = m_requests.at(index);
        request->failed = true;
        request->completed = true;
        if (auto waiter = std::exchange(request->waiter, {})) waiter.resume();
    }

Q_SIGNALS:
    void requested();

private:
    std::vector<std::shared_ptr<Request>> m_requests;
};
