#include "schedule/gameorder.h"

#include "stats/datetime.h"
#include "stats/teams.h"

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// A start that does not parse sorts after every real one.
qint64 startKey(const Game &game)
{
    const auto start = parseInternetDateTime(game.gameDate);
    return start ? start->toMSecsSinceEpoch() : std::numeric_limits<qint64>::max();
}

QString scoreText(const Game &game)
{
    return QString::number(game.teams.away.score.value_or(0)) + u'-'
        + QString::number(game.teams.home.score.value_or(0));
}

QString inningText(const Game &game)
{
    if (!game.linescore || !game.linescore->currentInningOrdinal) return u"Live"_s;
    const bool top = game.linescore->isTopInning.value_or(false);
    return (top ? u"Top "_s : u"Bot "_s) + *game.linescore->currentInningOrdinal;
}

} // namespace

const Game *statusGame(
    const std::vector<Game> &gameDayGames, const std::vector<Game> &dayBeforeGames, qint64 favoriteTeamId)
{
    const auto firstFavorite = [&](const std::vector<Game> &games, bool liveOnly) -> const Game * {
        const auto found = std::ranges::find_if(
            games, [&](const Game &game) { return game.involves(favoriteTeamId) && (!liveOnly || game.isLive()); });
        return found == games.end() ? nullptr : &*found;
    };
    if (const Game *live = firstFavorite(gameDayGames, true)) return live;
    if (const Game *lateGame = firstFavorite(dayBeforeGames, true)) return lateGame;
    return firstFavorite(gameDayGames, false);
}

const Game *titleGame(
    const std::vector<Game> &gameDayGames, const std::vector<Game> &dayBeforeGames, const std::vector<qint64> &clubs)
{
    if (clubs.empty()) return nullptr;
    const Game *favorite = statusGame(gameDayGames, dayBeforeGames, clubs.front());
    if (favorite && favorite->isLive()) return favorite;
    for (const qint64 club : clubs) {
        const Game *game = statusGame(gameDayGames, dayBeforeGames, club);
        if (game && game->isLive()) return game;
    }
    return favorite;
}

QString menuBarTitle(const Game *game, qint64 favoriteTeamId, bool noSpoilers, ScheduleAvailability availability)
{
    if (availability == ScheduleAvailability::NotYetLoaded) return MLBTeam::label(favoriteTeamId);
    if (availability == ScheduleAvailability::Offline) return MLBTeam::label(favoriteTeamId) + u" — Offline"_s;
    if (!game) return MLBTeam::label(favoriteTeamId) + u" — Off Day"_s;

    const QString matchup
        = MLBTeam::label(game->teams.away.team.id) + u" @ "_s + MLBTeam::label(game->teams.home.team.id);
    noSpoilers = noSpoilers || game->runsHeldBack;
    if (!game->isLive()) {
        if (game->status.detailedState.contains(u"postponed"_s, Qt::CaseInsensitive))
            return matchup + u" · Postponed"_s;
        if (!game->isFinal()) return matchup + u' ' + game->startTimeText();
        return noSpoilers ? matchup + u" · Final"_s : matchup + u' ' + scoreText(*game) + u" F"_s;
    }
    return noSpoilers ? matchup + u" · "_s + inningText(*game)
                      : matchup + u' ' + scoreText(*game) + u' ' + inningText(*game);
}

std::vector<Game> sortedGames(const std::vector<Game> &games, qint64 favoriteTeamId)
{
    return sortedGames(games, std::vector { favoriteTeamId });
}

std::vector<Game> sortedGames(const std::vector<Game> &games, const std::vector<qint64> &clubs)
{
    // A game between two of the clubs goes with the earlier one.
    const auto rank = [&](const Game &game) {
        const auto club = std::ranges::find_if(clubs, [&](qint64 id) { return game.involves(id); });
        return std::ranges::distance(clubs.begin(), club);
    };
    struct Keyed {
        std::ptrdiff_t rank;
        qint64 start;
        const Game *game;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(games.size());
    for (const Game &game : games)
        keyed.push_back({ rank(game), startKey(game), &game });
    std::stable_sort(keyed.begin(), keyed.end(),
        [](const Keyed &a, const Keyed &b) { return std::tie(a.rank, a.start) < std::tie(b.rank, b.start); });
    std::vector<Game> sorted;
    sorted.reserve(keyed.size());
    for (const Keyed &k : keyed)
        sorted.push_back(*k.game);
    return sorted;
}
