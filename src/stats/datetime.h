#pragma once

#include <QDate>
#include <QDateTime>
#include <QStringView>
#include <optional>

// Strict ISO-8601 internet date-time: "yyyy-MM-ddTHH:mm:ss" followed by "Z" or
// "+HH:MM"/"-HH:MM". Fractional seconds and missing zones are rejected, as the
// service's game times never carry them.
std::optional<QDateTime> parseInternetDateTime(QStringView text);

// A "yyyy-MM-dd" day, digits only.
std::optional<QDate> parseDay(QStringView text);

// Fixed-pattern formatting in the current locale and time zone.
QString formatClockTime(const QDateTime &instant); // "h:mm a", e.g. 7:05 PM
QString formatMonthDay(const QDate &day); // "MMM d", e.g. Apr 8
QString formatMonthDayTime(const QDateTime &instant); // "MMM d, h:mm a"
QString formatWeekdayMonthDay(const QDate &day); // "EEE, MMM d", e.g. Wed, Apr 8
QString formatServiceDay(QDate day); // "yyyy-MM-dd"
