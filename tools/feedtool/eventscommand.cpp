#include "eventscommand.h"

#include "feedtool.h"
#include "jsonwriter.h"
#include "notifications/gameevents.h"

using namespace Qt::StringLiterals;

int runEventsCommand(const QStringList &arguments)
{
    if (arguments.size() != 2 || arguments.front().startsWith(u'-') || arguments.back().startsWith(u'-'))
        return usageError(u"events needs BEFORE and AFTER"_s);
    std::vector<GameEventState> states;
    for (const QString &path : arguments) {
        const auto bytes = readInput(path);
        if (!bytes) return 2;
        try {
            states.push_back(gameEventState(*bytes));
        } catch (const ServiceError &error) {
            return decodingError(error);
        }
    }

    // Two states seen one after the other: the time only matters to a first look, which this is not.
    const auto events = gameEvents(states.front(), states.back(), QDateTime::currentDateTimeUtc());
    JsonWriter json;
    json.beginObject().key("events").beginArray();
    for (const GameEvent &event : events) {
        json.beginObject();
        json.key("id").value(event.id);
        json.key("kind").value(event.kind == GameEvent::Kind::Final ? u"final"_s : u"score"_s);
        json.key("title").value(event.title);
        json.key("body").value(event.body);
        json.endObject();
    }
    json.endArray().endObject();
    writeOutput(json.text());
    return 0;
}
