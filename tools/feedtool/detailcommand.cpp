#include "detailcommand.h"

#include "feedtool.h"
#include "jsonwriter.h"
#include "stats/gamefeed.h"

using namespace Qt::StringLiterals;

int runDetailCommand(const QStringList &arguments)
{
    if (arguments.size() != 1 || arguments.front().startsWith(u'-')) {
        return usageError(
            arguments.isEmpty() ? u"detail needs a FILE"_s : u"unexpected argument: "_s + arguments.back());
    }

    const auto bytes = readInput(arguments.front());
    if (!bytes) return 2;
    GameDetail detail;
    try {
        detail = GameDetail::fromFeed(decodeOnDemand<GameDetailFeed>(*bytes));
    } catch (const ServiceError &error) {
        return decodingError(error);
    }
    writeOutput(detailJson(detail));
    return 0;
}

QByteArray detailJson(const GameDetail &detail)
{
    const auto &offense = detail.linescore.offense;
    JsonWriter json;
    json.beginObject();
    json.key("gamePk").value(detail.gamePk);
    json.key("venueName").value(detail.venueName);
    json.key("countText").value(detail.countText());
    json.key("outsText").value(detail.outsText());
    json.key("matchupText").value(detail.matchupText());
    json.key("runnerTexts").beginArray();
    for (const QString &text : offense ? offense->runnerTexts() : QStringList())
        json.value(text);
    json.endArray();
    json.key("nextBatter").value(offense && offense->onDeck ? std::optional(offense->onDeck->fullName) : std::nullopt);
    json.endObject();
    return json.text();
}
