#pragma once

#include "stats/decoder.h"

#include <nlohmann/json_fwd.hpp>

#include <QDateTime>
#include <QString>
#include <chrono>
#include <optional>
#include <vector>

// What the in-game alerts read of a game's live feed: the clubs, the state and the scoring plays, nothing else.
struct EventFeedPlayAbout {
    std::optional<qint64> atBatIndex;
    std::optional<QString> endTime;
};

struct EventFeedPlayResult {
    std::optional<QString> description;
    std::optional<qint64> awayScore;
    std::optional<qint64> homeScore;
};

struct EventFeedPlay {
    std::optional<EventFeedPlayAbout> about;
    std::optional<EventFeedPlayResult> result;
};

struct EventFeedPlays {
    std::optional<std::vector<EventFeedPlay>> allPlays;
    // Indexes into allPlays, in the order the runs came in.
    std::optional<std::vector<qint64>> scoringPlays;
};

struct EventFeedTeam {
    std::optional<QString> abbreviation;
};

struct EventFeedTeams {
    std::optional<EventFeedTeam> away;
    std::optional<EventFeedTeam> home;
};

struct EventFeedStatus {
    std::optional<QString> abstractGameState;
};

struct EventFeedGameData {
    std::optional<EventFeedTeams> teams;
    std::optional<EventFeedStatus> status;
};

struct EventFeedLiveData {
    std::optional<EventFeedPlays> plays;
};

struct EventFeedMetaData {
    std::optional<QString> timeStamp;
};

struct GameEventFeed {
    qint64 gamePk = 0;
    std::optional<EventFeedMetaData> metaData;
    std::optional<EventFeedGameData> gameData;
    std::optional<EventFeedLiveData> liveData;
};

// One state of a game as the alerts compare it with the next.
struct GameEventState {
    struct ScoringPlay {
        qint64 atBatIndex = 0;
        qint64 awayScore = 0;
        qint64 homeScore = 0;
        QString description;
        std::optional<QDateTime> endedAt;
    };

    qint64 gamePk = 0;
    QString awayAbbreviation;
    QString homeAbbreviation;
    std::vector<ScoringPlay> scoringPlays;
    bool isFinal = false;
    // When the last play ended (else the feed's time stamp): how long ago a game found final ended.
    std::optional<QDateTime> endedAt;
    // The box score's result line of a final game ("Houston Astros 3, Toronto Blue Jays 1") and its decisions
    // ("W: Brown · L: Rodríguez · Sv: Hader"); the caller fills them in from the whole feed once the game is final.
    QString finalTitle;
    std::optional<QString> decisions;
};

GameEventState gameEventState(const GameEventFeed &feed);
// The state read from a whole feed's bytes, or from a kept feed document: a final game's result line from its box
// score. Throws ServiceError.
GameEventState gameEventState(QByteArrayView feedBytes);
GameEventState gameEventState(const nlohmann::ordered_json &feed);

// An alert about something that happened in a game.
struct GameEvent {
    enum class Kind { Score, Final };

    Kind kind = Kind::Score;
    qint64 gamePk = 0;
    // "baselark-score-{gamePk}-{atBatIndex}" or "baselark-final-{gamePk}".
    QString id;
    QString title;
    QString body;
};

// A game found final this recently at the first look still gets its final alert.
inline constexpr std::chrono::minutes recentFinal { 10 };

// What happened between two states seen of a game: each scoring play new in `after` (by at-bat, in the feed's order),
// then the final when the game has just become final. Without `before` (the first state seen, after a start or a
// wake-up) the past is not told again, except a final under ten minutes old.
std::vector<GameEvent> gameEvents(
    const std::optional<GameEventState> &before, const GameEventState &after, const QDateTime &now);

QString scoringEventId(qint64 gamePk, qint64 atBatIndex);
QString finalEventId(qint64 gamePk);

constexpr auto fields(std::type_identity<EventFeedPlayAbout>)
{
    return std::tuple {
        field("atBatIndex", &EventFeedPlayAbout::atBatIndex),
        field("endTime", &EventFeedPlayAbout::endTime),
    };
}

constexpr auto fields(std::type_identity<EventFeedPlayResult>)
{
    return std::tuple {
        field("description", &EventFeedPlayResult::description),
        field("awayScore", &EventFeedPlayResult::awayScore),
        field("homeScore", &EventFeedPlayResult::homeScore),
    };
}

constexpr auto fields(std::type_identity<EventFeedPlay>)
{
    return std::tuple { field("about", &EventFeedPlay::about), field("result", &EventFeedPlay::result) };
}

constexpr auto fields(std::type_identity<EventFeedPlays>)
{
    return std::tuple {
        field("allPlays", &EventFeedPlays::allPlays),
        field("scoringPlays", &EventFeedPlays::scoringPlays),
    };
}

constexpr auto fields(std::type_identity<EventFeedTeam>)
{
    return std::tuple { field("abbreviation", &EventFeedTeam::abbreviation) };
}

constexpr auto fields(std::type_identity<EventFeedTeams>)
{
    return std::tuple { field("away", &EventFeedTeams::away), field("home", &EventFeedTeams::home) };
}

constexpr auto fields(std::type_identity<EventFeedStatus>)
{
    return std::tuple { field("abstractGameState", &EventFeedStatus::abstractGameState) };
}

constexpr auto fields(std::type_identity<EventFeedGameData>)
{
    return std::tuple { field("teams", &EventFeedGameData::teams), field("status", &EventFeedGameData::status) };
}

constexpr auto fields(std::type_identity<EventFeedLiveData>)
{
    return std::tuple { field("plays", &EventFeedLiveData::plays) };
}

constexpr auto fields(std::type_identity<EventFeedMetaData>)
{
    return std::tuple { field("timeStamp", &EventFeedMetaData::timeStamp) };
}

constexpr auto fields(std::type_identity<GameEventFeed>)
{
    return std::tuple {
        field("gamePk", &GameEventFeed::gamePk),
        field("metaData", &GameEventFeed::metaData),
        field("gameData", &GameEventFeed::gameData),
        field("liveData", &GameEventFeed::liveData),
    };
}
