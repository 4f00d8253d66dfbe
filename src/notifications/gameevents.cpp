#include "notifications/gameevents.h"

#include "boxscore/boxscore.h"
#include "stats/documentdecoder.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace {

template <class Outer, class Inner>
const Inner *member(const std::optional<Outer> &outer, std::optional<Inner> Outer::*m)
{
    return outer && (*outer.*m) ? &*(*outer.*m) : nullptr;
}

// "2023-11-02T03:00:54.855Z" (plays), or the feed's "20231102_030054" (UTC).
std::optional<QDateTime> instant(const std::optional<QString> &text, bool timeStamp)
{
    if (!text) return std::nullopt;
    QDateTime parsed = timeStamp ? QDateTime::fromString(*text, u"yyyyMMdd_HHmmss"_s)
                                 : QDateTime::fromString(*text, Qt::ISODateWithMs);
    if (!parsed.isValid()) return std::nullopt;
    if (timeStamp) parsed.setTimeSpec(Qt::UTC);
    return parsed.toUTC();
}

} // namespace

QString scoringEventId(qint64 gamePk, qint64 atBatIndex)
{
    return u"baselark-score-%1-%2"_s.arg(gamePk).arg(atBatIndex);
}

QString finalEventId(qint64 gamePk)
{
    return u"baselark-final-%1"_s.arg(gamePk);
}

GameEventState gameEventState(const GameEventFeed &feed)
{
    GameEventState state;
    state.gamePk = feed.gamePk;
    const EventFeedTeams *teams = member(feed.gameData, &EventFeedGameData::teams);
    const auto abbreviation = [](const std::optional<EventFeedTeam> &team, const QString &fallback) {
        return team && team->abbreviation ? *team->abbreviation : fallback;
    };
    // The box score's own stand-ins when the feed names no club.
    state.awayAbbreviation = abbreviation(teams ? teams->away : std::nullopt, u"AWY"_s);
    state.homeAbbreviation = abbreviation(teams ? teams->home : std::nullopt, u"HOM"_s);
    const EventFeedStatus *status = member(feed.gameData, &EventFeedGameData::status);
    state.isFinal = status && status->abstractGameState == u"Final"_s;

    const EventFeedPlays *plays = member(feed.liveData, &EventFeedLiveData::plays);
    const std::vector<EventFeedPlay> noPlays;
    const auto &all = plays && plays->allPlays ? *plays->allPlays : noPlays;
    if (plays && plays->scoringPlays) {
        QSet<qint64> seen;
        for (const qint64 index : *plays->scoringPlays) {
            if (index < 0 || index >= qint64(all.size())) continue;
            const EventFeedPlay &play = all[std::size_t(index)];
            if (!play.about || !play.about->atBatIndex || seen.contains(*play.about->atBatIndex)) continue;
            seen.insert(*play.about->atBatIndex);
            const EventFeedPlayResult result = play.result.value_or(EventFeedPlayResult {});
            state.scoringPlays.push_back(
                { *play.about->atBatIndex, result.awayScore.value_or(0), result.homeScore.value_or(0),
                    result.description.value_or(QString()).trimmed(), instant(play.about->endTime, false) });
        }
    }
    if (!all.empty() && all.back().about) state.endedAt = instant(all.back().about->endTime, false);
    if (!state.endedAt && feed.metaData) state.endedAt = instant(feed.metaData->timeStamp, true);
    return state;
}

namespace {

template <class Decode> GameEventState readState(Decode decodeAs)
{
    GameEventState state = gameEventState(decodeAs(std::type_identity<GameEventFeed>()));
    if (state.isFinal) {
        const BoxScore::ResultLine result = buildBoxScore(decodeAs(std::type_identity<GameLiveFeedResponse>())).result;
        state.finalTitle = result.title;
        state.decisions = result.decisions;
    }
    return state;
}

} // namespace

GameEventState gameEventState(QByteArrayView feedBytes)
{
    return readState([feedBytes]<class T>(std::type_identity<T>) { return decode<T>(feedBytes); });
}

GameEventState gameEventState(const nlohmann::ordered_json &feed)
{
    return readState([&feed]<class T>(std::type_identity<T>) { return decodeDocument<T>(feed); });
}

std::vector<GameEvent> gameEvents(
    const std::optional<GameEventState> &before, const GameEventState &after, const QDateTime &now)
{
    std::vector<GameEvent> events;
    if (before) {
        QSet<qint64> known;
        for (const auto &play : before->scoringPlays)
            known.insert(play.atBatIndex);
        for (const auto &play : after.scoringPlays) {
            if (known.contains(play.atBatIndex)) continue;
            events.push_back({ GameEvent::Kind::Score, after.gamePk, scoringEventId(after.gamePk, play.atBatIndex),
                u"%1 %2, %3 %4"_s.arg(after.awayAbbreviation)
                    .arg(play.awayScore)
                    .arg(after.homeAbbreviation)
                    .arg(play.homeScore),
                play.description });
        }
    }
    const bool justEnded
        = before ? !before->isFinal : after.endedAt && after.endedAt->secsTo(now) < qint64(recentFinal.count()) * 60;
    if (after.isFinal && justEnded) {
        events.push_back({ GameEvent::Kind::Final, after.gamePk, finalEventId(after.gamePk),
            u"Final: "_s + after.finalTitle, after.decisions.value_or(QString()) });
    }
    return events;
}
