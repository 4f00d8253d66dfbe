#pragma once

#include "stats/gamefeed.h"
#include "stats/livefeedfollow.h"
#include "stats/schedule.h"
#include "stats/standings.h"

#include <QCoroTask>
#include <QDateTime>
#include <vector>

// What the schedule view model asks of the stats service. Every operation
// completes with its result or throws ServiceError.
class ScheduleAPI {
public:
    virtual ~ScheduleAPI() = default;

    // The games of the local calendar day of `date`, in service order.
    virtual QCoro::Task<std::vector<Game>> fetchSchedule(QDateTime date) = 0;
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
    // One club's games from the day of `startDate` to `days` calendar days later.
    virtual QCoro::Task<std::vector<Game>> fetchTeamSchedule(qint64 teamId, QDateTime startDate, qint64 days) = 0;
};
