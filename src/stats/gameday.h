#pragma once

#include <QDate>
#include <QDateTime>

// The league files every game under a day of its own, the game day: the New York date of the instant five hours
// earlier. It is one instant everywhere on Earth: the day turns at 05:00 in New York, 11:00 in Berlin and 19:00 in
// Tokyo, so a game played past midnight anywhere still belongs to the day it started on.
QDate gameDay(const QDateTime &instant);

// The instant at which `day` becomes the game day.
QDateTime gameDayStart(QDate day);

// The same by New York's daylight-saving rule in force since 2007 (from 02:00 on the second Sunday of March to 02:00 on
// the first Sunday of November), for systems without time-zone data.
QDate gameDayByRule(const QDateTime &instant);
QDateTime gameDayStartByRule(QDate day);
