#pragma once

#include <QDateTime>
#include <chrono>
#include <coroutine>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// One wait of the box-score polling loop: ends at its deadline or earlier when cancelled.
// co_await gives true when the deadline came and false when the sleep was cancelled.
class BoxScoreSleep {
public:
    bool isFinished() const { return m_finished; }
    // Ends the sleep now. The waiter resumes from the event loop, never inside this call,
    // so whoever cancels is not re-entered by the loop it stops.
    void cancel() { finish(false); }
    // Ends the sleep and resumes the waiter inside this call: for an owner going away, after which the event
    // loop may never run again (at quit) and a queued resume would leave the waiter's frame behind.
    void cancelNow();
    // For clocks: the deadline has come.
    void expire() { finish(true); }

    bool await_ready() const noexcept { return m_finished; }
    void await_suspend(std::coroutine_handle<> waiter) noexcept { m_waiter = waiter; }
    bool await_resume() const noexcept { return m_expired; }

private:
    void finish(bool expired);

    bool m_finished = false;
    bool m_expired = false;
    std::coroutine_handle<> m_waiter;
};

// Time as the polling loop sees it: a monotonic clock for the waits, the wall clock for the final drain.
class BoxScoreClock {
public:
    using Instant = std::chrono::steady_clock::time_point;

    virtual ~BoxScoreClock() = default;
    virtual Instant now() const = 0;
    virtual QDateTime wallNow() const = 0;
    // A sleep that expires at `deadline` unless it is cancelled first.
    virtual std::shared_ptr<BoxScoreSleep> sleepUntil(Instant deadline) = 0;
};

// The real clocks, with a precise timer on the calling thread's event loop.
class SystemBoxScoreClock : public BoxScoreClock {
public:
    Instant now() const override;
    QDateTime wallNow() const override;
    std::shared_ptr<BoxScoreSleep> sleepUntil(Instant deadline) override;
};

// A clock that moves only when told to, for driving the polling loop in tests.
class FakeBoxScoreClock : public BoxScoreClock {
public:
    explicit FakeBoxScoreClock(QDateTime wallStart = QDateTime(QDate(2023, 11, 1), QTime(20, 0), Qt::UTC));

    Instant now() const override { return m_now; }
    QDateTime wallNow() const override;
    std::shared_ptr<BoxScoreSleep> sleepUntil(Instant deadline) override;

    // Moves both clocks forward and expires every sleep that is due by then.
    void advance(std::chrono::milliseconds step);
    // Time left until the earliest sleep still pending expires; none when nothing sleeps.
    std::optional<std::chrono::milliseconds> nextWakeIn() const;
    // Sleeps handed out that someone still holds, finished or not: a loop's frame holds its sleep.
    qsizetype heldSleeps() const;

private:
    Instant m_now {};
    QDateTime m_wallStart;
    std::vector<std::pair<Instant, std::weak_ptr<BoxScoreSleep>>> m_sleeps;
    std::vector<std::weak_ptr<BoxScoreSleep>> m_held;
};
