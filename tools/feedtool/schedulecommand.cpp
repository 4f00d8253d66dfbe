#include "schedulecommand.h"

#include "feedtool.h"
#include "jsonwriter.h"
#include "schedule/gameorder.h"
#include "schedule/scheduleviewmodel.h"
#include "stats/schedule.h"

using namespace Qt::StringLiterals;

int runScheduleCommand(const QStringList &arguments)
{
    QString path;
    qint64 favorite = ScheduleViewModel::defaultFavoriteTeamId;
    bool noSpoilers = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--no-spoilers") {
            noSpoilers = true;
        } else if (argument == u"--favorite" && i + 1 < arguments.size()) {
            bool ok = false;
            favorite = arguments[++i].toLongLong(&ok);
            if (!ok) return usageError(u"--favorite takes a club id"_s);
        } else if (path.isEmpty() && !argument.startsWith(u'-')) {
            path = argument;
        } else {
            return usageError(u"unexpected argument: "_s + argument);
        }
    }
    if (path.isEmpty()) return usageError(u"schedule needs a FILE"_s);

    const auto bytes = readInput(path);
    if (!bytes) return 2;
    std::vector<Game> games;
    try {
        auto response = decode<ScheduleResponse>(*bytes);
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
    json.key("menuBarTitle").value(menuBarTitle(games, favorite, noSpoilers));
    json.endObject();
    writeOutput(json.text());
    return 0;
}
