#pragma once

#include "stats/schedule.h"

#include <QDateTime>
#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <vector>

// The schedule's games as they stood a stream delay ago: what each answer said of each game, kept as long as the
// longest delay, so that rows and the status line never run ahead of the broadcast the user watches.
class DelayedGames {
public:
    static constexpr std::chrono::seconds kept { 300 };

    // Takes the games of an answer received at `at`; what is older than any delay needs goes.
    void record(const QDateTime &at, const std::vector<Game> &games);
    void clear() { m_history.clear(); }
    // Nothing older than `moment` is shown any more: what a longer delay would show goes back no further than what
    // the shorter one showed, and stays until the game catches up.
    void holdFrom(const QDateTime &moment) { m_heldFrom = std::max(m_heldFrom, moment); }

    // `newest` as the last answer received `delay` before `now` had it. A game no answer that old showed is as the
    // oldest answer has it, without its runs unless it had not started; a game never recorded is as given.
    Game shown(const Game &newest, const QDateTime &now, std::chrono::seconds delay) const;
    std::vector<Game> shown(const std::vector<Game> &newest, const QDateTime &now, std::chrono::seconds delay) const;
    // When what shown() gives changes next without a new answer: the time the earliest answer not yet shown is due.
    std::optional<QDateTime> nextChange(const QDateTime &now, std::chrono::seconds delay) const;

private:
    struct Snapshot {
        QDateTime at;
        Game game;
    };
    std::map<qint64, std::vector<Snapshot>> m_history;
    QDateTime m_heldFrom;
};
