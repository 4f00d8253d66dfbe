#pragma once

#include "stats/gamefeed.h"
#include "stats/livefeedfollow.h"
#include "stats/schedule.h"
#include "stats/standings.h"

#include <QCoroTask>
#include <QDate>
#include <chrono>
#include <map>
#include <vector>

// The games of a stretch of days, each under the league's day the service files it under (`dates[].date`); a day
// without games has no entry.
using ScheduleDays = std::map<QDate, std::vector<Game>>;

// The answer's games by day; an entry whose day does not read as "yyyy-MM-dd" is left out.
ScheduleDays scheduleDays(ScheduleResponse response);

// What the schedule view model asks of the stats service. Every operation
// completes with its result or throws ServiceError.
class ScheduleAPI {
public:
    virtual ~ScheduleAPI() = default;

    // The games of every day from `firstDay` to `lastDay`, each day's in service order.
    virtual QCoro::Task<ScheduleDays> fetchSchedule(QDate firstDay, QDate lastDay) = 0;
    // The regular-season standings of both leagues, one record per division, in service order.
    virtual QCoro::Task<std::vector<StandingsRecord>> fetchStandings(qint64 season) = 0;
    // The live situation of one game, for the detail panel.
    virtual QCoro::Task<GameDetail> fetchGameDetail(qint64 gamePk) = 0;
    // While the result is held, the game's feed is kept between fetchGameDetail calls and brought up to date by
    // patches; a service that keeps nothing returns an empty one.
    virtual LiveFeedFollow followGame(qint64 gamePk)
    {
        Q_UNUSED(gamePk);
        return {};
    }
    // Live feeds from now on show the game as it stood `delay` ago (the stream delay); a service that keeps no feeds
    // ignores it.
    virtual void setStreamDelay(std::chrono::seconds delay) { Q_UNUSED(delay); }
    // One club's games from `firstDay` to `lastDay`, in service order.
    virtual QCoro::Task<std::vector<Game>> fetchTeamSchedule(qint64 teamId, QDate firstDay, QDate lastDay) = 0;
};
