#include "schedule/delayedgames.h"

#include <algorithm>

namespace {

bool hasStarted(const Game &game)
{
    return game.isLive() || game.isFinal();
}

Game withoutRuns(Game game)
{
    game.linescore.reset();
    game.teams.away.score.reset();
    game.teams.home.score.reset();
    game.runsHeldBack = true;
    return game;
}

} // namespace

void DelayedGames::record(const QDateTime &at, const std::vector<Game> &games)
{
    for (const Game &game : games) {
        std::vector<Snapshot> &snapshots = m_history[game.gamePk];
        // A clock set back: what was kept is no longer in order, so it starts again.
        if (!snapshots.empty() && snapshots.back().at > at) snapshots.clear();
        snapshots.push_back({ at, game });
        // The newest of the ones old enough for the longest delay stays: it is what that delay shows.
        const QDateTime horizon = at.addSecs(-kept.count());
        const auto firstNeeded = std::ranges::find_if(snapshots, [&](const Snapshot &s) { return s.at > horizon; });
        if (firstNeeded - snapshots.begin() > 1) snapshots.erase(snapshots.begin(), firstNeeded - 1);
    }
}

Game DelayedGames::shown(const Game &newest, const QDateTime &now, std::chrono::seconds delay) const
{
    if (delay <= std::chrono::seconds(0)) return newest;
    const auto found = m_history.find(newest.gamePk);
    if (found == m_history.end() || found->second.empty()) return newest;
    const std::vector<Snapshot> &snapshots = found->second;
    const QDateTime then = std::max(now.addSecs(-delay.count()), m_heldFrom);
    const auto after = std::ranges::find_if(snapshots, [&](const Snapshot &s) { return s.at > then; });
    if (after != snapshots.begin()) return std::prev(after)->game;
    // Nothing seen that long ago: a game that had not started then had not started before either.
    const Game &oldest = snapshots.front().game;
    return hasStarted(oldest) ? withoutRuns(oldest) : oldest;
}

std::vector<Game> DelayedGames::shown(
    const std::vector<Game> &newest, const QDateTime &now, std::chrono::seconds delay) const
{
    std::vector<Game> games;
    games.reserve(newest.size());
    for (const Game &game : newest)
        games.push_back(shown(game, now, delay));
    return games;
}

std::optional<QDateTime> DelayedGames::nextChange(const QDateTime &now, std::chrono::seconds delay) const
{
    if (delay <= std::chrono::seconds(0)) return std::nullopt;
    std::optional<QDateTime> next;
    for (const auto &[gamePk, snapshots] : m_history) {
        for (const Snapshot &snapshot : snapshots) {
            const QDateTime due = snapshot.at.addSecs(delay.count());
            if (due <= now) continue;
            if (!next || due < *next) next = due;
            break;
        }
    }
    return next;
}
