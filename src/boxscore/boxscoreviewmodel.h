#pragma once

#include "boxscore/boxscore.h"
#include "boxscore/boxscoreclock.h"
#include "boxscore/boxscorefetch.h"
#include "stats/livefeedfollow.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Keeps the box score of one game current while it is on screen, by polling its live feed.
class BoxScoreViewModel : public QObject {
    Q_OBJECT
public:
    using FetchBoxScore = std::function<QCoro::Task<BoxScoreFetchResult>(qint64 gamePk)>;
    // Keeps the game's feed between fetches while the result is held.
    using FollowGame = std::function<LiveFeedFollow(qint64 gamePk)>;

    static constexpr std::chrono::seconds liveInterval { 12 };
    static constexpr std::chrono::seconds finalInterval { 30 };
    static constexpr std::chrono::seconds finalDrainLimit { 300 };

    // Fetches through the shared stats service on the system clock.
    explicit BoxScoreViewModel(QObject *parent = nullptr);
    // An empty fetch or clock stands for the production one; an empty follow keeps nothing between fetches.
    explicit BoxScoreViewModel(FetchBoxScore fetch, std::shared_ptr<BoxScoreClock> clock = {},
        QObject *parent = nullptr, FollowGame follow = {});
    ~BoxScoreViewModel() override;

    // Published fields; every change emits changed().
    const std::optional<BoxScore> &boxScore() const { return m_boxScore; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    std::optional<qint64> gamePk() const { return m_gamePk; }

    // Follows another game (or none): clears everything and polls the new one at once.
    // The id already followed changes nothing.
    void setGamePk(std::optional<qint64> gamePk);

    // A fetch at once, then one after each completed fetch: as long after as the feed asks (5 to 60 s), else 12 s
    // (30 s once final); nothing without a game. The game is followed while polling.
    void startPolling();
    // Cancels the loop and forgets it; a fetch still under way is then dropped silently.
    void stopPolling();
    bool hasPollingTask() const { return m_pollingTask != nullptr; }

    // One fetch for `gamePk` and its evaluation; does nothing when that game is not the one followed.
    QCoro::Task<> refresh(qint64 gamePk);

    // The box score's footer names the plate umpire and gives weather, time of game and attendance.
    bool isFinalFooterComplete() const;
    // When a published fetch first showed the game final.
    const std::optional<QDateTime> &finalDrainStartedAt() const { return m_finalDrainStartedAt; }

Q_SIGNALS:
    void changed();

private:
    struct PollingRun;

    QCoro::Task<> pollingLoop(qint64 gamePk, std::shared_ptr<PollingRun> run);
    QCoro::Task<> refreshFor(qint64 gamePk, std::shared_ptr<PollingRun> run);
    void evaluate(BoxScoreFetchResult result);

    FetchBoxScore m_fetch;
    std::shared_ptr<BoxScoreClock> m_clock;
    FollowGame m_follow;
    LiveFeedFollow m_following;

    std::optional<BoxScore> m_boxScore;
    std::optional<QString> m_errorMessage;
    std::optional<qint64> m_gamePk;
    std::shared_ptr<PollingRun> m_pollingTask;
    std::optional<qint64> m_lastAtBatIndex;
    std::optional<qint64> m_lastAllPlaysCount;
    std::optional<QString> m_lastAbstractGameState;
    std::optional<std::chrono::seconds> m_lastWait;
    std::optional<QDateTime> m_finalDrainStartedAt;
};
