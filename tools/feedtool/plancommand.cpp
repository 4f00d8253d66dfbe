#include "plancommand.h"

#include "feedtool.h"
#include "jsonwriter.h"
#include "notifications/gamestartnotificationplanner.h"
#include "stats/datetime.h"
#include "stats/schedule.h"

using namespace Qt::StringLiterals;

int runPlanCommand(const QStringList &arguments)
{
    QString path;
    std::optional<qint64> lead;
    std::optional<QDateTime> now;
    QStringList pending;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == u"--lead" && hasValue) {
            bool ok = false;
            lead = arguments[++i].toLongLong(&ok);
            if (!ok) return usageError(u"--lead takes minutes"_s);
        } else if (argument == u"--now" && hasValue) {
            now = parseInternetDateTime(arguments[++i]);
            if (!now) return usageError(u"--now takes an ISO-8601 date-time such as 2026-04-20T18:00:00Z"_s);
        } else if (argument == u"--pending" && hasValue) {
            pending = arguments[++i].split(u',', Qt::SkipEmptyParts);
        } else if (path.isEmpty() && !argument.startsWith(u'-')) {
            path = argument;
        } else {
            return usageError(u"unexpected argument: "_s + argument);
        }
    }
    if (path.isEmpty() || !lead || !now) return usageError(u"plan needs a FILE, --lead and --now"_s);

    const auto bytes = readInput(path);
    if (!bytes) return 2;
    std::vector<Game> games;
    try {
        for (GameDate &day : decodeOnDemand<ScheduleResponse>(*bytes).dates)
            std::move(day.games.begin(), day.games.end(), std::back_inserter(games));
    } catch (const ServiceError &error) {
        return decodingError(error);
    }

    using Planner = GameStartNotificationPlanner;
    const auto plan = Planner::plan(games, *lead, *now, pending);
    const auto utc = [](const QDateTime &instant) { return instant.toUTC().toString(Qt::ISODate); };
    JsonWriter json;
    json.beginObject().key("requests").beginArray();
    for (const auto &request : plan.requests) {
        const auto content = Planner::content(request);
        json.beginObject();
        json.key("id").value(request.id);
        json.key("gamePk").value(request.game.gamePk);
        json.key("triggerDate").value(utc(request.triggerDate));
        json.key("leadMinutes").value(request.leadMinutes);
        json.key("title").value(content.title);
        json.key("body").value(content.body);
        json.endObject();
    }
    json.endArray();
    json.key("stale").beginArray();
    for (const QString &id : plan.staleIds)
        json.value(id);
    json.endArray();
    const auto next = Planner::nextRequest(plan.requests);
    json.key("next").value(next ? std::optional(next->id) : std::nullopt);
    json.endObject();
    writeOutput(json.text());
    return 0;
}
