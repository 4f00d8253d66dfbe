#include "schedulecommand.h"

#include "feedtool.h"
#include "jsonwriter.h"
#include "schedule/gamedayschedule.h"
#include "schedule/gameorder.h"
#include "schedule/scheduleviewmodel.h"
#include "stats/datetime.h"
#include "stats/gameday.h"
#include "stats/schedule.h"

#include <variant>

using namespace Qt::StringLiterals;

namespace {

struct ScheduleArguments {
    QString path;
    qint64 favorite = ScheduleViewModel::defaultFavoriteTeamId;
    bool noSpoilers = false;
    std::optional<QDateTime> now;
};

// FILE [--favorite ID] [--no-spoilers] [--now ISO8601]; an error's exit code otherwise.
std::variant<ScheduleArguments, int> parseArguments(const QStringList &arguments, const QString &command)
{
    ScheduleArguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == u"--no-spoilers") {
            parsed.noSpoilers = true;
        } else if (argument == u"--favorite" && hasValue) {
            bool ok = false;
            parsed.favorite = arguments[++i].toLongLong(&ok);
            if (!ok) return usageError(u"--favorite takes a club id"_s);
        } else if (argument == u"--now" && hasValue) {
            parsed.now = parseInternetDateTime(arguments[++i]);
            if (!parsed.now) return usageError(u"--now takes an ISO-8601 date-time such as 2026-04-20T18:00:00Z"_s);
        } else if (parsed.path.isEmpty() && !argument.startsWith(u'-')) {
            parsed.path = argument;
        } else {
            return usageError(u"unexpected argument: "_s + argument);
        }
    }
    if (parsed.path.isEmpty()) return usageError(command + u" needs a FILE"_s);
    return parsed;
}

} // namespace

int runTitleCommand(const QStringList &arguments)
{
    auto parsed = parseArguments(arguments, u"title"_s);
    if (const int *exitCode = std::get_if<int>(&parsed)) return *exitCode;
    const auto &[path, favorite, noSpoilers, now] = std::get<ScheduleArguments>(parsed);
    if (!now) return usageError(u"title needs --now"_s);
    const auto bytes = readInput(path);
    if (!bytes) return 2;
    ScheduleDays days;
    try {
        days = scheduleDays(decodeOnDemand<ScheduleResponse>(*bytes));
    } catch (const ServiceError &error) {
        return decodingError(error);
    }

    // The answer stands for the game day and the day before it, as the application's first load of a day asks.
    const QDate today = gameDay(*now);
    GameDaySchedule schedule;
    schedule.store({ today.addDays(-1), today }, days, today);
    const auto [game, availability] = schedule.status(today, { favorite });
    JsonWriter json;
    json.beginObject();
    json.key("gameDay").value(today.toString(Qt::ISODate));
    json.key("title").value(menuBarTitle(game, favorite, noSpoilers, availability));
    json.endObject();
    writeOutput(json.text());
    return 0;
}

int runScheduleCommand(const QStringList &arguments)
{
    auto parsed = parseArguments(arguments, u"schedule"_s);
    if (const int *exitCode = std::get_if<int>(&parsed)) return *exitCode;
    const auto &[path, favorite, noSpoilers, now] = std::get<ScheduleArguments>(parsed);
    if (now) return usageError(u"unexpected argument: --now"_s);

    const auto bytes = readInput(path);
    if (!bytes) return 2;
    std::vector<Game> games;
    try {
        auto response = decodeOnDemand<ScheduleResponse>(*bytes);
        if (!response.dates.empty()) games = std::move(response.dates.front().games);
    } catch (const ServiceError &error) {
        return decodingError(error);
    }

    JsonWriter json;
    json.beginObject().key("games").beginArray();
    for (const Game &game : games) {
        json.beginObject();
        json.key("gamePk").value(game.gamePk);
        json.key("isFinal").value(game.isFinal());
        json.key("broadcastText").value(game.broadcastText());
        json.key("startTimeText").value(game.startTimeText());
        json.key("statusText").value(game.statusText());
        json.key("rescheduleText").value(game.rescheduleText());
        json.key("seriesText").value(game.seriesText());
        const auto url = game.externalURL();
        json.key("externalURL").value(url ? std::optional(url->toString()) : std::nullopt);
        json.endObject();
    }
    json.endArray();
    json.key("sortedGamePks").beginArray();
    for (const Game &game : sortedGames(games, favorite))
        json.value(game.gamePk);
    json.endArray();
    json.key("menuBarTitle").value(menuBarTitle(statusGame(games, {}, favorite), favorite, noSpoilers));
    json.endObject();
    writeOutput(json.text());
    return 0;
}
