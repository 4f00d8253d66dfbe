// Feeds arbitrary bytes to the schedule decoder and, when they decode, derives every text
// the status item and the game rows show from them.

#include "schedule/gamedayschedule.h"
#include "schedule/gameorder.h"
#include "stats/decoder.h"
#include "stats/schedule.h"
#include "stats/serviceerror.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const auto response = decodeOnDemand<ScheduleResponse>(bytes);
        for (const GameDate &date : response.dates) {
            for (const Game &game : date.games) {
                (void)game.isFinal();
                (void)game.broadcastText();
                (void)game.startTimeText();
                (void)game.statusText();
                (void)game.rescheduleText();
                (void)game.seriesText();
                (void)game.externalURL();
            }
            (void)sortedGames(date.games, 147);
        }
        // The title as the application makes it of an answer for the game day and the day before.
        const ScheduleDays days = scheduleDays(response);
        if (!days.empty()) {
            const QDate last = days.rbegin()->first;
            GameDaySchedule schedule;
            schedule.store({ last.addDays(-1), last }, days, last);
            const auto [game, availability] = schedule.status(last, { 147 });
            (void)menuBarTitle(game, 147, false, availability);
        }
    } catch (const ServiceError &) {
        // Rejected input is the expected outcome for most mutations.
    }
    return 0;
}
