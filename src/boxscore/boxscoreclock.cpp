#include "boxscore/boxscoreclock.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <limits>

using namespace std::chrono_literals;

void BoxScoreSleep::finish(bool expired)
{
    if (m_finished) return;
    m_finished = true;
    m_expired = expired;
    const std::coroutine_handle<> waiter = std::exchange(m_waiter, {});
    if (!waiter) return;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app) {
        waiter.resume();
        return;
    }
    // A resume still queued when the application ends is dropped with the event queue; the waiter's frame goes
    // with it instead of staying suspended for good (the waiters are the polling loops, which nobody awaits).
    struct PendingResume {
        std::coroutine_handle<> waiter;
        ~PendingResume()
        {
            if (waiter) waiter.destroy();
        }
    };
    QMetaObject::invokeMethod(
        app, [pending = std::make_shared<PendingResume>(waiter)] { std::exchange(pending->waiter, {}).resume(); },
        Qt::QueuedConnection);
}

void BoxScoreSleep::cancelNow()
{
    if (m_finished) return;
    m_finished = true;
    m_expired = false;
    if (const std::coroutine_handle<> waiter = std::exchange(m_waiter, {})) waiter.resume();
}

BoxScoreClock::Instant SystemBoxScoreClock::now() const
{
    return std::chrono::steady_clock::now();
}

QDateTime SystemBoxScoreClock::wallNow() const
{
    return QDateTime::currentDateTimeUtc();
}

namespace {

// The timer belongs to the sleep, so a sleep that is dropped leaves no timer behind (none pending at quit).
struct TimedSleep : BoxScoreSleep {
    QTimer timer;
};

} // namespace

std::shared_ptr<BoxScoreSleep> SystemBoxScoreClock::sleepUntil(Instant deadline)
{
    auto sleep = std::make_shared<TimedSleep>();
    const auto wait = std::clamp(std::chrono::ceil<std::chrono::milliseconds>(deadline - now()), 0ms,
        std::chrono::milliseconds(std::numeric_limits<int>::max()));
    sleep->timer.setSingleShot(true);
    sleep->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&sleep->timer, &QTimer::timeout, [raw = sleep.get()] { raw->expire(); });
    sleep->timer.start(static_cast<int>(wait.count()));
    return sleep;
}

FakeBoxScoreClock::FakeBoxScoreClock(QDateTime wallStart)
    : m_wallStart(std::move(wallStart))
{ }

QDateTime FakeBoxScoreClock::wallNow() const
{
    return m_wallStart.addMSecs(
        std::chrono::duration_cast<std::chrono::milliseconds>(m_now.time_since_epoch()).count());
}

std::shared_ptr<BoxScoreSleep> FakeBoxScoreClock::sleepUntil(Instant deadline)
{
    auto sleep = std::make_shared<BoxScoreSleep>();
    std::erase_if(m_held, [](const auto &weak) { return weak.expired(); });
    m_held.push_back(sleep);
    if (deadline <= m_now)
        sleep->expire();
    else
        m_sleeps.emplace_back(deadline, sleep);
    return sleep;
}

void FakeBoxScoreClock::advance(std::chrono::milliseconds step)
{
    m_now += step;
    // Expiring may not start new sleeps (waiters resume later, from the event loop), so the list is stable here.
    std::erase_if(m_sleeps, [this](const auto &entry) {
        const auto sleep = entry.second.lock();
        if (!sleep || sleep->isFinished()) return true;
        if (entry.first > m_now) return false;
        sleep->expire();
        return true;
    });
}

qsizetype FakeBoxScoreClock::heldSleeps() const
{
    return std::count_if(m_held.begin(), m_held.end(), [](const auto &weak) { return !weak.expired(); });
}

std::optional<std::chrono::milliseconds> FakeBoxScoreClock::nextWakeIn() const
{
    std::optional<Instant> earliest;
    for (const auto &[deadline, weak] : m_sleeps) {
        const auto sleep = weak.lock();
        if (sleep && !sleep->isFinished() && (!earliest || deadline < *earliest)) earliest = deadline;
    }
    if (!earliest) return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(*earliest - m_now);
}
