#include "boxscorecommand.h"

#include "boxscore/boxscore.h"
#include "feedtool.h"
#include "jsonwriter.h"

using namespace Qt::StringLiterals;

namespace {

void writeTotals(JsonWriter &json, const BoxScore::LineScore::TeamTotals &totals)
{
    json.beginObject();
    json.key("runs").value(totals.runs);
    json.key("hits").value(totals.hits);
    json.key("errors").value(totals.errors);
    json.endObject();
}

void writeTeam(JsonWriter &json, const BoxScore::TeamBox &team)
{
    json.beginObject();
    json.key("abbr").value(team.abbr);
    json.key("displayName").value(team.displayName);
    json.key("battingRows").beginArray();
    for (const auto &row : team.battingRows) {
        json.beginObject();
        json.key("personId").value(row.personId);
        json.key("playerName").value(row.playerName);
        json.key("playerFullName").value(row.playerFullName);
        json.key("positionText").value(row.positionText);
        json.key("roleNotation").value(row.roleNotation);
        json.key("indentLevel").value(row.indentLevel);
        json.key("atBats").value(row.atBats);
        json.key("runs").value(row.runs);
        json.key("hits").value(row.hits);
        json.key("rbi").value(row.rbi);
        json.key("walks").value(row.walks);
        json.key("strikeouts").value(row.strikeouts);
        json.key("avg").value(row.avg);
        json.endObject();
    }
    json.endArray();

    const auto &totals = team.battingTotals;
    json.key("battingTotals").beginObject();
    json.key("atBats").value(totals.atBats);
    json.key("runs").value(totals.runs);
    json.key("hits").value(totals.hits);
    json.key("rbi").value(totals.rbi);
    json.key("walks").value(totals.walks);
    json.key("strikeouts").value(totals.strikeouts);
    json.endObject();

    json.key("eventSummaries").beginArray();
    for (const auto &summary : team.eventSummaries) {
        json.beginObject();
        json.key("label").value(summary.label);
        json.key("value").value(summary.value);
        json.endObject();
    }
    json.endArray();

    json.key("pitchingRows").beginArray();
    for (const auto &row : team.pitchingRows) {
        json.beginObject();
        json.key("personId").value(row.personId);
        json.key("playerName").value(row.playerName);
        json.key("playerFullName").value(row.playerFullName);
        json.key("decisionTag").value(row.decisionTag);
        json.key("inningsPitched").value(row.inningsPitched);
        json.key("hits").value(row.hits);
        json.key("runs").value(row.runs);
        json.key("earnedRuns").value(row.earnedRuns);
        json.key("walks").value(row.walks);
        json.key("strikeouts").value(row.strikeouts);
        json.key("era").value(row.era);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

} // namespace

int runBoxScoreCommand(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments.front().startsWith(u'-')) {
        return usageError(
            arguments.isEmpty() ? u"boxscore needs a FILE"_s : u"unexpected argument: "_s + arguments.back());
    }

    const auto bytes = readInput(arguments.front());
    if (!bytes) return 2;
    BoxScore box;
    try {
        box = buildBoxScore(decode<GameLiveFeedResponse>(*bytes));
    } catch (const ServiceError &error) {
        return decodingError(error);
    }
    writeOutput(boxScoreJson(box));
    return 0;
}

QByteArray boxScoreJson(const BoxScore &box)
{
    JsonWriter json;
    json.beginObject();
    json.key("gamePk").value(box.gamePk);
    json.key("status").value(BoxScore::rawValue(box.status));

    json.key("result").beginObject();
    json.key("title").value(box.result.title);
    json.key("decisions").value(box.result.decisions);
    json.endObject();

    const auto &line = box.lineScore;
    json.key("lineScore").beginObject();
    json.key("innings").beginArray();
    for (const auto &inning : line.innings) {
        json.beginObject();
        json.key("ordinal").value(inning.ordinal);
        json.key("awayRuns").value(inning.awayRuns);
        json.key("homeRuns").value(inning.homeRuns);
        json.endObject();
    }
    json.endArray();
    json.key("awayTotals");
    writeTotals(json, line.awayTotals);
    json.key("homeTotals");
    writeTotals(json, line.homeTotals);
    json.key("awayAbbr").value(line.awayAbbr);
    json.key("homeAbbr").value(line.homeAbbr);
    json.endObject();

    json.key("away");
    writeTeam(json, box.away);
    json.key("home");
    writeTeam(json, box.home);

    json.key("scoringPlays").beginArray();
    for (const auto &play : box.scoringPlays) {
        json.beginObject();
        json.key("inningMarker").value(play.inningMarker);
        json.key("scoreState").value(play.scoreState);
        json.key("description").value(play.description);
        json.endObject();
    }
    json.endArray();

    const auto &footer = box.footer;
    json.key("footer").beginObject();
    json.key("umpireHP").value(footer.umpireHP);
    json.key("umpire1B").value(footer.umpire1B);
    json.key("umpire2B").value(footer.umpire2B);
    json.key("umpire3B").value(footer.umpire3B);
    json.key("weather").value(footer.weather);
    json.key("timeOfGame").value(footer.timeOfGame);
    json.key("attendance").value(footer.attendance);
    json.endObject();

    json.endObject();
    return json.text();
}
