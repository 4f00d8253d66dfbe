#include "notifications/gameeventfollower.h"

#include "stats/livefeedstore.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QSet>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcGameEvents, "baselark.alerts.game")

namespace {

// What was seen of a game before a restart: its scoring plays and whether its final was told.
GameEventState stateSeenBefore(qint64 gamePk, const QStringList &seen)
{
    GameEventState state;
    state.gamePk = gamePk;
    const QString scoring = scoringEventId(gamePk, 0).chopped(1);
    for (const QString &id : seen) {
        bool ok = false;
        const qint64 atBat = id.startsWith(scoring) ? id.mid(scoring.size()).toLongLong(&ok) : 0;
        if (ok) state.scoringPlays.push_back({ atBat, 0, 0, {}, {} });
    }
    state.isFinal = seen.contains(finalEventId(gamePk));
    return state;
}

} // namespace

GameEventFollower::GameEventFollower(NotificationCenterClient *center, Fetch fetch, Clock now, QObject *parent)
    : QObject(parent)
    , m_center(center)
    , m_fetch(std::move(fetch))
    , m_now(std::move(now))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto task = look();
        Q_UNUSED(task);
    });
}

GameEventFollower::Fetch GameEventFollower::fetchFrom(LiveFeedStore &store)
{
    return [&store](qint64 gamePk) -> QCoro::Task<Update> {
        auto update
            = co_await store.update(gamePk, [](const nlohmann::ordered_json &feed) { return gameEventState(feed); });
        co_return Update { std::move(update.value), update.wait };
    };
}

QString GameEventFollower::followedMark(qint64 gamePk)
{
    return u"baselark-followed-%1"_s.arg(gamePk);
}

void GameEventFollower::follow(qint64 gamePk, Kinds kinds)
{
    m_kinds = kinds;
    if (!m_center || m_game == gamePk) return;
    m_game = gamePk;
    m_last.reset();
    m_failures = 0;
    scheduleLook(std::chrono::milliseconds(0));
}

void GameEventFollower::stop()
{
    m_game.reset();
    m_last.reset();
    m_timer.stop();
}

void GameEventFollower::resumed()
{
    if (!m_game) return;
    m_last.reset();
    m_afterWakeUp = true;
    scheduleLook(std::chrono::milliseconds(0));
}

std::optional<std::chrono::milliseconds> GameEventFollower::nextLookIn() const
{
    if (!m_timer.isActive()) return std::nullopt;
    return m_timer.intervalAsDuration();
}

void GameEventFollower::scheduleLook(std::chrono::milliseconds wait)
{
    if (m_looking) return; // the look under way schedules the next one
    m_timer.start(wait);
}

std::vector<GameEvent> GameEventFollower::eventsSince(const GameEventState &state) const
{
    const QDateTime now = m_now();
    if (m_last) return gameEvents(m_last, state, now);
    const QStringList seen = m_center->seenEventIds();
    // Started mid-game or awake again: the past is not told.
    if (m_afterWakeUp || !seen.contains(followedMark(state.gamePk))) return gameEvents(std::nullopt, state, now);
    // Restarted while following it: what came meanwhile is told, unless it is old news by now.
    auto events = gameEvents(stateSeenBefore(state.gamePk, seen), state, now);
    std::erase_if(events, [&](const GameEvent &event) {
        if (event.kind != GameEvent::Kind::Score) return false;
        const auto play = std::ranges::find_if(state.scoringPlays,
            [&](const auto &scoring) { return scoringEventId(state.gamePk, scoring.atBatIndex) == event.id; });
        return play != state.scoringPlays.end() && play->endedAt
            && play->endedAt->secsTo(now) >= qint64(recentFinal.count()) * 60;
    });
    return events;
}

QCoro::Task<> GameEventFollower::look()
{
    if (!m_game || m_looking) co_return;
    QPointer self(this);
    const qint64 gamePk = *m_game;
    m_looking = true;
    std::optional<Update> update;
    try {
        update = co_await m_fetch(gamePk);
    } catch (const std::exception &error) {
        if (!self) co_return;
        qCInfo(lcGameEvents) << "could not look at game" << gamePk << error.what();
    }
    if (!self) co_return;
    m_looking = false;
    // Stopped, or another game taken up, while the feed was on its way.
    if (m_game != gamePk) {
        if (m_game) scheduleLook(std::chrono::milliseconds(0));
        co_return;
    }
    if (!update) {
        const auto wait
            = m_failures < int(std::size(retryWaits)) ? retryWaits[m_failures] : retryWaits[std::size(retryWaits) - 1];
        ++m_failures;
        scheduleLook(wait);
        co_return;
    }
    m_failures = 0;

    const GameEventState &state = update->state;
    const QStringList seen = m_center->seenEventIds();
    const QString thread = u"game-%1"_s.arg(gamePk);
    for (const GameEvent &event : eventsSince(state)) {
        const bool wanted = event.kind == GameEvent::Kind::Score ? m_kinds.scoring : m_kinds.final;
        if (!wanted || seen.contains(event.id)) continue;
        auto task = m_center->deliverNow(event.id, event.title, event.body, thread);
        Q_UNUSED(task);
    }
    QStringList nowSeen { followedMark(gamePk) };
    for (const auto &play : state.scoringPlays)
        nowSeen.append(scoringEventId(gamePk, play.atBatIndex));
    if (state.isFinal) nowSeen.append(finalEventId(gamePk));
    m_center->addSeenEventIds(nowSeen);
    m_last = state;
    m_afterWakeUp = false;

    if (state.isFinal) {
        stop();
        Q_EMIT gameOver(gamePk);
        co_return;
    }
    scheduleLook(update->wait.value_or(defaultWait));
}
