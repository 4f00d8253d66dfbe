#pragma once

#include "schedule/gameorder.h"
#include "stats/schedule.h"

#include <QString>

// What panels without tray labels show besides the title: a class for styling and a tooltip, both about the game the
// title is about (statusGame), so that neither ever contradicts it.

// One of "preview", "live", "final", "postponed", "off-day", "no-spoilers" (a live or finished game whose score the
// title hides), "loading" (the game day not answered yet) and "offline" (the last load failed and left nothing).
QString panelState(const Game *game, bool noSpoilers, ScheduleAvailability availability);
// "Away club @ Home club", the start time and the venue, one per line; empty without a game.
QString panelTooltip(const Game *game);
