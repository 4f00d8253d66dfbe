#pragma once

#include "stats/schedule.h"

#include <QString>
#include <vector>

// What panels without tray labels show besides the title: a class for styling and a tooltip, both about the
// favourite club's first game of the day in service order.

// One of "preview", "live", "final", "postponed", "off-day" and "no-spoilers" (a live or finished game whose
// score the title hides).
QString panelState(const std::vector<Game> &games, qint64 favoriteTeamId, bool noSpoilers);
// "Away club @ Home club", the start time and the venue, one per line; empty on an off day.
QString panelTooltip(const std::vector<Game> &games, qint64 favoriteTeamId);
