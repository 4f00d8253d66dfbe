#pragma once

#include "stats/schedule.h"
#include "testdata.h"

#include <functional>

// Game `index` of the first day of a recorded schedule in tests/data, changed by `adjust`.
inline Game recordedGame(const QString &file, int index, const std::function<void(Game &)> &adjust = {})
{
    Game game = decode<ScheduleResponse>(readTestData(file)).dates.at(0).games.at(size_t(index));
    if (adjust) adjust(game);
    return game;
}

// Every game of the first day of a recorded schedule; none when it has no day.
inline std::vector<Game> recordedDay(const QString &file)
{
    auto response = decode<ScheduleResponse>(readTestData(file));
    return response.dates.empty() ? std::vector<Game> {} : response.dates.front().games;
}
