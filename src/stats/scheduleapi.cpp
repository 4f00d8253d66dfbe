#include "stats/scheduleapi.h"

#include "stats/datetime.h"

ScheduleDays scheduleDays(ScheduleResponse response)
{
    ScheduleDays days;
    for (GameDate &entry : response.dates) {
        const std::optional<QDate> day = parseDay(entry.date);
        if (!day) continue;
        auto &games = days[*day];
        std::move(entry.games.begin(), entry.games.end(), std::back_inserter(games));
    }
    return days;
}
