#pragma once

#include "stats/schedule.h"

#include <QString>

// Game texts written out for a screen reader: club names in full, "to" between the runs, innings in words.

// The club's full name from the team directory, else `fallback`, else its abbreviation.
QString spokenClubName(qint64 teamId, const QString &fallback = {});
// "Boston Red Sox at New York Yankees".
QString spokenMatchup(const Game &game);
// "top of the 7th", "middle of the 7th"; `half` as the feed writes it: "Top", "Middle", "End", "Bottom" or "Bot".
QString spokenInning(const QString &half, const QString &ordinal);
// The inning of a live game from its schedule entry; "live" when the entry does not say.
QString spokenInning(const Game &game);
// The away club's runs first: "3 to 2".
QString spokenScore(qint64 awayRuns, qint64 homeRuns);
