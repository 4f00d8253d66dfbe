#pragma once

#include "stats/schedule.h"

#include <vector>

// The day's games as the window lists them: the favourite club's games first,
// then by first pitch; a start that does not parse counts as the latest.
// Games with equal keys keep their service order.
std::vector<Game> sortedGames(const std::vector<Game> &games, qint64 favoriteTeamId);

// What is known about the shown day's games when the title is made.
enum class ScheduleAvailability {
    Loaded, // `games` is the shown day's answer
    NotYetLoaded, // no answer for the shown day yet: the title is the club alone
    Offline, // the last load failed and left no games: "NYY — Offline"
};

// The one-line status item title for the favourite club's first game of the day
// in service order, e.g. "NYY @ BOS 3-2 Top 7th" or "NYY — Off Day".
QString menuBarTitle(const std::vector<Game> &games, qint64 favoriteTeamId, bool noSpoilers,
    ScheduleAvailability availability = ScheduleAvailability::Loaded);
