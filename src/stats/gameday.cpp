#include "stats/gameday.h"

#include <QTimeZone>

namespace {

constexpr qint64 rolloverSeconds = 5 * 3600;

const QTimeZone &newYork()
{
    static const QTimeZone zone("America/New_York");
    return zone;
}

QDate nthSunday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    return first.addDays((7 - first.dayOfWeek()) % 7 + 7 * (n - 1));
}

// Eastern time's offset from UTC at `instant` by the rule.
int easternOffsetByRule(const QDateTime &instant)
{
    const QDateTime utc = instant.toUTC();
    const int year = utc.date().year();
    // 02:00 standard time is 07:00 UTC; 02:00 daylight time is 06:00 UTC.
    const QDateTime daylightFrom(nthSunday(year, 3, 2), QTime(7, 0), Qt::UTC);
    const QDateTime daylightUntil(nthSunday(year, 11, 1), QTime(6, 0), Qt::UTC);
    return utc >= daylightFrom && utc < daylightUntil ? -4 * 3600 : -5 * 3600;
}

} // namespace

QDate gameDayByRule(const QDateTime &instant)
{
    const QDateTime shifted = instant.addSecs(-rolloverSeconds);
    return shifted.toUTC().addSecs(easternOffsetByRule(shifted)).date();
}

QDateTime gameDayStartByRule(QDate day)
{
    // Midnight keeps the offset of 05:00 UTC that day: both come before either change of the clocks.
    const QDateTime morning(day, QTime(5, 0), Qt::UTC);
    return QDateTime(day, QTime(0, 0), Qt::UTC).addSecs(rolloverSeconds - easternOffsetByRule(morning));
}

QDate gameDay(const QDateTime &instant)
{
    if (!newYork().isValid()) return gameDayByRule(instant);
    return instant.addSecs(-rolloverSeconds).toTimeZone(newYork()).date();
}

QDateTime gameDayStart(QDate day)
{
    if (!newYork().isValid()) return gameDayStartByRule(day);
    // New York's clocks change at 02:00, so its midnight always exists and is never doubled.
    return QDateTime(day, QTime(0, 0), newYork()).addSecs(rolloverSeconds).toUTC();
}
