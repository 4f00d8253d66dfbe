#include "standingscommand.h"

#include "feedtool.h"
#include "jsonwriter.h"
#include "stats/standings.h"
#include "stats/teams.h"

using namespace Qt::StringLiterals;

int runStandingsCommand(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments.front().startsWith(u'-')) {
        return usageError(
            arguments.isEmpty() ? u"standings needs a FILE"_s : u"unexpected argument: "_s + arguments.back());
    }

    const auto bytes = readInput(arguments.front());
    if (!bytes) return 2;
    std::vector<StandingsRecord> records;
    try {
        records = decode<StandingsResponse>(*bytes).records;
    } catch (const ServiceError &error) {
        return decodingError(error);
    }

    JsonWriter json;
    json.beginObject().key("records").beginArray();
    for (const StandingsRecord &record : records) {
        json.beginObject();
        json.key("divisionId").value(record.division.id);
        json.key("divisionDisplayName").value(divisionDisplayName(record.division.id));
        json.key("teams").beginArray();
        for (const TeamRecord &team : record.teamRecords) {
            json.beginObject();
            json.key("id").value(team.team.id);
            json.key("abbr").value(MLBTeam::label(team.team.id));
            json.key("wins").value(team.leagueRecord.wins);
            json.key("losses").value(team.leagueRecord.losses);
            json.key("pctText").value(team.pctText());
            json.key("lastTenText").value(team.lastTenText());
            json.key("streak").value(team.streak ? std::optional(team.streak->streakCode) : std::nullopt);
            json.key("gamesBack").value(team.gamesBack);
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.endObject();
    writeOutput(json.text());
    return 0;
}
