#pragma once

#include "stats/schedule.h"

#include <vector>

// The day's games as the window lists them: the favourite club's games first,
// then by first pitch; a start that does not parse counts as the latest.
// Games with equal keys keep their service order.
std::vector<Game> sortedGames(const std::vector<Game> &games, qint64 favoriteTeamId);
// The same with the user's clubs, the favourite first: each club's games follow the games of the clubs before it.
std::vector<Game> sortedGames(const std::vector<Game> &games, const std::vector<qint64> &clubs);

// What is known about the game day's games when the status line is made.
enum class ScheduleAvailability {
    Loaded, // the game day has been answered
    NotYetLoaded, // no answer for the game day yet: the title is the club alone
    Offline, // the last load failed and left no game to show: "NYY — Offline"
};

// The favourite club's game the status line is about: its first game in service order that is live on the game day,
// else its first game still live from the day before (a late game outlasting the turn of the day), else its first
// game of the game day; none on an off day.
const Game *statusGame(
    const std::vector<Game> &gameDayGames, const std::vector<Game> &dayBeforeGames, qint64 favoriteTeamId);

// The game the status line is about when more clubs are followed (`clubs`, the favourite first): the favourite's
// status game when it is live, else the first club's in list order that is live, else the favourite's.
const Game *titleGame(
    const std::vector<Game> &gameDayGames, const std::vector<Game> &dayBeforeGames, const std::vector<qint64> &clubs);

// The one-line status item title about `game`, e.g. "NYY @ BOS 3-2 Top 7th", or "NYY — Off Day" without one.
QString menuBarTitle(const Game *game, qint64 favoriteTeamId, bool noSpoilers,
    ScheduleAvailability availability = ScheduleAvailability::Loaded);
