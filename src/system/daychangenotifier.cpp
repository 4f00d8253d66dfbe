#include "system/daychangenotifier.h"

#include "stats/gameday.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent>

#include <algorithm>

using namespace Qt::StringLiterals;

DayChangeNotifier::DayChangeNotifier(QObject *parent)
    : DayChangeNotifier([] { return QDateTime::currentDateTime(); }, parent)
{ }

DayChangeNotifier::DayChangeNotifier(Clock clock, QObject *parent)
    : DayChangeNotifier(std::move(clock), QDBusConnection(QString()), parent)
{
    // QDBusConnection::systemBus() blocks until the bus has answered the handshake; a stuck bus would freeze the
    // caller (the view model is created on the UI thread), so the connection is made on a worker.
    auto *watcher = new QFutureWatcher<QDBusConnection>(this);
    connect(watcher, &QFutureWatcher<QDBusConnection>::finished, this, [this, watcher] {
        watchLogind(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run([] { return QDBusConnection::systemBus(); }));
}

DayChangeNotifier::DayChangeNotifier(Clock clock, const QDBusConnection &systemBus, QObject *parent)
    : QObject(parent)
    , m_clock(std::move(clock))
{
    // Precise: a coarse timer may fire minutes early over an hour, and the change should show when the day turns.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DayChangeNotifier::check);

    const QDateTime now = m_clock();
    m_lastDate = gameDay(now);
    arm(now);

    watchLogind(systemBus);
}

void DayChangeNotifier::watchLogind(QDBusConnection systemBus)
{
    if (!systemBus.isConnected()) return;
    m_watchingLogind = systemBus.connect(u"org.freedesktop.login1"_s, u"/org/freedesktop/login1"_s,
        u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s, this, SLOT(handlePrepareForSleep(bool)));
}

void DayChangeNotifier::check()
{
    const QDateTime now = m_clock();
    const QDate today = gameDay(now);
    // Re-armed before emitting: a receiver may delete this object.
    arm(now);
    if (today == m_lastDate) return;
    m_lastDate = today;
    Q_EMIT dayChanged();
}

void DayChangeNotifier::handlePrepareForSleep(bool start)
{
    // false: the machine has just resumed, possibly days later; timers do not count the time asleep.
    if (start) return;
    const QPointer self(this);
    check();
    if (self) Q_EMIT resumed();
}

void DayChangeNotifier::arm(const QDateTime &now)
{
    const QDateTime next = gameDayStart(gameDay(now).addDays(1));
    // One second past the turn so that the day has surely changed when the timer fires.
    qint64 ms = maxCheckIntervalMs;
    if (next.isValid()) ms = std::clamp(now.msecsTo(next) + 1000, qint64 { 1000 }, qint64 { maxCheckIntervalMs });
    m_timer.start(static_cast<int>(ms));
}
