#pragma once

#include "boxscore/plays.h"
#include "stats/livefeedfollow.h"

#include <QCoroTask>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <optional>

class LiveFeedStore;

// Keeps one game's plays current: read again from the game's kept feed whenever any update changes it, and,
// while a view polls, brought up to date by patches of its own.
class PlaysViewModel : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds liveInterval { 12 };

    // Without a store, the shared stats service's.
    explicit PlaysViewModel(LiveFeedStore *store = nullptr, QObject *parent = nullptr);
    ~PlaysViewModel() override;

    // Published fields; every change emits changed().
    const std::optional<Plays> &plays() const { return m_plays; }
    const std::optional<QString> &errorMessage() const { return m_errorMessage; }
    std::optional<qint64> gamePk() const { return m_gamePk; }

    // Follows another game (or none): clears everything and reads the new one's kept feed, if any.
    void setGamePk(std::optional<qint64> gamePk);

    // An update at once, then one after each: as long after as the feed asks, else 12 s; none once the game is over.
    void startPolling();
    void stopPolling();
    bool isPolling() const { return m_polling; }

    // One update of the game's feed through the store, a patch when its document is kept.
    QCoro::Task<> refresh();

Q_SIGNALS:
    void changed();

private:
    QCoro::Task<> readKept(qint64 gamePk, quint64 generation);
    void publish(Plays plays);
    void scheduleNext(std::optional<std::chrono::seconds> wait);

    LiveFeedStore *m_store;
    LiveFeedFollow m_following;
    // Counts game changes, so that an answer for the game followed before is dropped.
    quint64 m_generation = 0;
    bool m_polling = false;
    QTimer m_timer;
    std::optional<Plays> m_plays;
    std::optional<QString> m_errorMessage;
    std::optional<qint64> m_gamePk;
};
