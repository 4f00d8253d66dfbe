#include "stats/datetime.h"

#include <QLocale>
#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

// Reads exactly `count` ASCII digits at `pos`.
std::optional<int> digits(QStringView text, qsizetype pos, int count)
{
    if (pos + count > text.size()) return std::nullopt;
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[pos + i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return value;
}

std::optional<QDate> dayAt(QStringView text)
{
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    if (!year || !month || !day || text[4] != u'-' || text[7] != u'-') return std::nullopt;
    const QDate date(*year, *month, *day);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

} // namespace

std::optional<QDate> parseDay(QStringView text)
{
    if (text.size() != 10) return std::nullopt;
    return dayAt(text);
}

std::optional<QDateTime> parseInternetDateTime(QStringView text)
{
    // 2024-07-01T19:07:00Z or 2024-07-01T15:07:00-04:00
    if (text.size() != 20 && text.size() != 25) return std::nullopt;
    const auto date = dayAt(text);
    const auto hour = digits(text, 11, 2);
    const auto minute = digits(text, 14, 2);
    const auto second = digits(text, 17, 2);
    if (!date || text[10] != u'T' || !hour || !minute || !second || text[13] != u':' || text[16] != u':')
        return std::nullopt;
    if (*hour > 23 || *minute > 59 || *second > 59) return std::nullopt;

    int offsetSeconds = 0;
    if (text.size() == 20) {
        if (text[19] != u'Z') return std::nullopt;
    } else {
        const auto offsetHours = digits(text, 20, 2);
        const auto offsetMinutes = digits(text, 23, 2);
        const char16_t sign = text[19].unicode();
        if ((sign != u'+' && sign != u'-') || !offsetHours || !offsetMinutes || text[22] != u':') return std::nullopt;
        if (*offsetHours > 23 || *offsetMinutes > 59) return std::nullopt;
        offsetSeconds = (*offsetHours * 3600 + *offsetMinutes * 60) * (sign == u'-' ? -1 : 1);
    }
    const QDateTime local(*date, QTime(*hour, *minute, *second), QTimeZone(offsetSeconds));
    return local.toUTC();
}

QString formatClockTime(const QDateTime &instant)
{
    // "Ap" keeps the locale's own AM/PM text unchanged, like the "a" pattern letter.
    return QLocale().toString(instant.toLocalTime(), u"h:mm Ap"_s);
}

QString formatMonthDay(const QDate &day)
{
    return QLocale().toString(day, u"MMM d"_s);
}

QString formatMonthDayTime(const QDateTime &instant)
{
    return QLocale().toString(instant.toLocalTime(), u"MMM d, h:mm Ap"_s);
}

QString formatWeekdayMonthDay(const QDate &day)
{
    return QLocale().toString(day, u"ddd, MMM d"_s);
}

QString formatServiceDay(QDate day)
{
    // Always Gregorian digits: the service reads this day, not a person.
    return day.toString(Qt::ISODate);
}
