#pragma once

#include "schedule/gameorder.h"
#include "stats/scheduleapi.h"

#include <QDate>
#include <map>
#include <vector>

// A stretch of days asked for in one schedule request, both ends included.
struct DayRange {
    QDate first;
    QDate last;

    bool contains(QDate day) const { return day >= first && day <= last; }
    bool operator==(const DayRange &) const = default;
};

// The answers the status line is made from, the game day's and the day before's, kept apart from the day the window
// shows: browsing another day never changes the title, and a game still being played when the day turns stays in it.
class GameDaySchedule {
public:
    // The requests of one schedule load: one covering the shown day and the game day when they lie close together,
    // else one for each. The day before the game day is asked for until its answer is known and, after that, only
    // while a game of one of the user's clubs (`clubs`, the favourite first) on it has not ended.
    std::vector<DayRange> requests(QDate shownDay, QDate gameDay, const std::vector<qint64> &clubs) const;

    // An answer for `range` arrived: it holds every game of the days it covers.
    void store(const DayRange &range, const ScheduleDays &days, QDate gameDay);
    // A request for `range` failed.
    void fail(const DayRange &range, QDate gameDay);

    struct Status {
        const Game *game = nullptr; // valid until the next store()
        ScheduleAvailability availability = ScheduleAvailability::NotYetLoaded;
    };
    // The game the status line is about (titleGame) and how much is known of the game day.
    Status status(QDate gameDay, const std::vector<qint64> &clubs) const;

private:
    void forgetAllBut(QDate gameDay);

    std::map<QDate, std::vector<Game>> m_days;
    // The last request that covered the game day failed.
    bool m_failed = false;
};
