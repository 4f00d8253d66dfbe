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
    if (QCoreApplication *app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [waiter] { waiter.resume(); }, Qt::QueuedConnection);
    else
        waiter.resume();
}

BoxScoreClock::Instant SystemBoxScoreClock::now() const
{
    return std::chrono::steady_clock::now();
}

QDateTime SystemBoxScoreClock::wallNow() const
{
    return QDateTime::currentDateTimeUtc();
}

std::shared_ptr<BoxScoreSleep> SystemBoxScoreClock::sleepUntil(Instant deadline)
{
    auto sleep = std::make_shared<BoxScoreSleep>();
    const auto wait = std::clamp(std::chrono::ceil<std::chrono::milliseconds>(deadline - now()), 0ms,
        std::chrono::milliseconds(std::numeric_limits<int>::max()));
    // A cancelled sleep is gone or finished by the time its timer fires; the timer then does nothing.
    QTimer::singleShot(static_cast<int>(wait.count()), Qt::PreciseTimer, [weak = std::weak_ptr(sleep)] {
        if (const auto alive = weak.lock()) alive->expire();
    });
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
