#pragma once

#include "stats/schedule.h"

#include <vector>

// The day's games as the window lists them: the favourite club's games first,
// then by first pitch; a start that does not parse counts as the latest.
// Games with equal keys keep their service order.
std::vector<Game> sortedGames(const std::vector<Game> &games, qint64 favoriteTeamId);

// The one-line status item title for the favourite club's first game of the day
// in service order, e.g. "NYY @ BOS 3-2 Top 7th" or "NYY — Off Day".
QString menuBarTitle(const std::vector<Game> &games, qint64 favoriteTeamId, bool noSpoilers);
