#include "boxscore/playsviewmodel.h"

#include "stats/livefeedstore.h"
#include "stats/mlbapiservice.h"
#include "stats/serviceerror.h"

#include <QPointer>

using namespace Qt::StringLiterals;

PlaysViewModel::PlaysViewModel(LiveFeedStore *store, QObject *parent)
    : QObject(parent)
    , m_store(store ? store : &MLBAPIService::shared().liveFeeds())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto task = refresh();
        Q_UNUSED(task);
    });
    connect(m_store, &LiveFeedStore::documentChanged, this, [this](qint64 gamePk) {
        if (gamePk != m_gamePk) return;
        auto task = readKept(gamePk, m_generation);
        Q_UNUSED(task);
    });
}

PlaysViewModel::~PlaysViewModel() = default;

void PlaysViewModel::setGamePk(std::optional<qint64> gamePk)
{
    if (gamePk == m_gamePk) return;
    ++m_generation;
    m_gamePk = gamePk;
    m_plays.reset();
    m_errorMessage.reset();
    m_following = gamePk ? m_store->follow(*gamePk) : LiveFeedFollow();
    m_timer.stop();
    Q_EMIT changed();
    if (!gamePk) return;
    if (m_polling) {
        auto task = refresh();
        Q_UNUSED(task);
    } else {
        auto task = readKept(*gamePk, m_generation);
        Q_UNUSED(task);
    }
}

void PlaysViewModel::startPolling()
{
    if (m_polling) return;
    m_polling = true;
    auto task = refresh();
    Q_UNUSED(task);
}

void PlaysViewModel::stopPolling()
{
    m_polling = false;
    m_timer.stop();
}

QCoro::Task<> PlaysViewModel::readKept(qint64 gamePk, quint64 generation)
{
    QPointer self(this);
    try {
        std::optional<Plays> plays = co_await m_store->readKept(gamePk, readPlays);
        if (!self || generation != m_generation || !plays) co_return;
        publish(std::move(*plays));
    } catch (const ServiceError &) {
        if (!self || generation != m_generation) co_return;
        m_errorMessage = u"Failed to load plays"_s;
        Q_EMIT changed();
    }
}

QCoro::Task<> PlaysViewModel::refresh()
{
    if (!m_gamePk) co_return;
    QPointer self(this);
    const qint64 gamePk = *m_gamePk;
    const quint64 generation = m_generation;
    m_timer.stop();
    std::optional<std::chrono::seconds> wait;
    try {
        auto update = co_await m_store->update(gamePk, readPlays);
        if (!self || generation != m_generation) co_return;
        wait = update.wait;
        publish(std::move(update.value));
    } catch (const ServiceError &) {
        if (!self || generation != m_generation) co_return;
        // What was shown stays; the note says it may be stale.
        m_errorMessage = u"Failed to load plays"_s;
        Q_EMIT changed();
    }
    scheduleNext(wait);
}

void PlaysViewModel::publish(Plays plays)
{
    const bool same = m_plays == plays && !m_errorMessage;
    m_plays = std::move(plays);
    m_errorMessage.reset();
    if (!same) Q_EMIT changed();
}

void PlaysViewModel::scheduleNext(std::optional<std::chrono::seconds> wait)
{
    if (!m_polling || (m_plays && m_plays->isFinal)) return;
    m_timer.start(wait.value_or(liveInterval));
}
