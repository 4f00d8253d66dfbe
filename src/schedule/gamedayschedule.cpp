#include "schedule/gamedayschedule.h"

#include <algorithm>

namespace {

const std::vector<Game> noGames;

// Days further apart than this are asked for separately rather than with every day between them.
constexpr qint64 widestSharedRange = 2;

} // namespace

std::vector<DayRange> GameDaySchedule::requests(QDate shownDay, QDate gameDay, const std::vector<qint64> &clubs) const
{
    const QDate dayBefore = gameDay.addDays(-1);
    const auto known = m_days.find(dayBefore);
    const bool withDayBefore = known == m_days.end() || std::ranges::any_of(known->second, [&](const Game &game) {
        return !game.isFinal() && std::ranges::any_of(clubs, [&](qint64 club) { return game.involves(club); });
    });
    const DayRange title { withDayBefore ? dayBefore : gameDay, gameDay };
    const DayRange shared { std::min(shownDay, title.first), std::max(shownDay, title.last) };
    if (shared.first.daysTo(shared.last) <= widestSharedRange) return { shared };
    return { DayRange { shownDay, shownDay }, title };
}

void GameDaySchedule::store(const DayRange &range, const ScheduleDays &days, QDate gameDay)
{
    for (const QDate day : { gameDay.addDays(-1), gameDay }) {
        if (!range.contains(day)) continue;
        const auto answered = days.find(day);
        m_days[day] = answered == days.end() ? std::vector<Game> {} : answered->second;
    }
    if (range.contains(gameDay)) m_failed = false;
    forgetAllBut(gameDay);
}

void GameDaySchedule::fail(const DayRange &range, QDate gameDay)
{
    if (range.contains(gameDay)) m_failed = true;
    forgetAllBut(gameDay);
}

void GameDaySchedule::forgetAllBut(QDate gameDay)
{
    std::erase_if(
        m_days, [&](const auto &entry) { return entry.first != gameDay && entry.first != gameDay.addDays(-1); });
}

GameDaySchedule::Status GameDaySchedule::status(QDate gameDay, const std::vector<qint64> &clubs) const
{
    const auto gamesOn = [&](QDate day) -> const std::vector<Game> & {
        const auto found = m_days.find(day);
        return found == m_days.end() ? noGames : found->second;
    };
    const bool answered = m_days.contains(gameDay);
    if (const Game *game = titleGame(gamesOn(gameDay), gamesOn(gameDay.addDays(-1)), clubs))
        return { game, ScheduleAvailability::Loaded };
    if (m_failed && gamesOn(gameDay).empty()) return { nullptr, ScheduleAvailability::Offline };
    return { nullptr, answered ? ScheduleAvailability::Loaded : ScheduleAvailability::NotYetLoaded };
}
