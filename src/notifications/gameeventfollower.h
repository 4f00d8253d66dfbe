#pragma once

#include "notifications/gameevents.h"
#include "notifications/notificationcenterclient.h"

#include <QCoroTask>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

// Follows one game's feed while it is played and tells each of its scoring plays and its final as an alert, once:
// what it told or passed over is remembered across restarts.
class LiveFeedStore;

class GameEventFollower : public QObject {
    Q_OBJECT
public:
    struct Update {
        GameEventState state;
        // How long the feed asks callers to wait before the next look.
        std::optional<std::chrono::seconds> wait;
    };
    // Brings the game's feed up to date and reads it; throws on failure.
    using Fetch = std::function<QCoro::Task<Update>(qint64 gamePk)>;
    using Clock = std::function<QDateTime()>;
    // Which events are told; the others are passed over (and not told later either).
    struct Kinds {
        bool scoring = true;
        bool final = true;
        bool operator==(const Kinds &) const = default;
    };

    static constexpr std::chrono::seconds defaultWait { 12 };
    // After the first, second and third failed look in a row; then every minute.
    static constexpr std::chrono::seconds retryWaits[] { std::chrono::seconds(15), std::chrono::seconds(30),
        std::chrono::seconds(60) };

    // `center` may be null: nothing is followed then. It must outlive the follower.
    GameEventFollower(NotificationCenterClient *center, Fetch fetch, Clock now, QObject *parent = nullptr);

    // Follows `gamePk` from now until its feed says it is over; a new game replaces the one followed, the same
    // game keeps its place.
    void follow(qint64 gamePk, Kinds kinds);
    void stop();
    // The machine woke up: the next look is a first one, and what happened while asleep is not told.
    void resumed();

    std::optional<qint64> followedGame() const { return m_game; }
    Kinds kinds() const { return m_kinds; }
    // The wait before the next look, while a game is followed and no look is under way.
    std::optional<std::chrono::milliseconds> nextLookIn() const;
    // One look: what the timer does.
    QCoro::Task<> look();

    // Looks through the live feeds that `store` keeps (patches, at the feed's pace); the store must outlive it.
    static Fetch fetchFrom(LiveFeedStore &store);

    // The mark that a game was followed, kept with the events so that a restart knows it saw the game before.
    static QString followedMark(qint64 gamePk);

Q_SIGNALS:
    // The followed game's feed says it is over; nothing is followed any more.
    void gameOver(qint64 gamePk);

private:
    std::vector<GameEvent> eventsSince(const GameEventState &state) const;
    void scheduleLook(std::chrono::milliseconds wait);

    NotificationCenterClient *m_center;
    Fetch m_fetch;
    Clock m_now;
    std::optional<qint64> m_game;
    Kinds m_kinds;
    // The last state seen of the followed game since it was taken up (or since the wake-up).
    std::optional<GameEventState> m_last;
    bool m_afterWakeUp = false;
    bool m_looking = false;
    int m_failures = 0;
    QTimer m_timer;
};
