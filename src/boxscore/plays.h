#pragma once

#include "stats/decoder.h"

#include <QString>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <vector>

// The members of a live feed that the plays read, and nothing else.
struct PlaysFeedPitchType {
    std::optional<QString> description;
};

struct PlaysFeedEventDetails {
    std::optional<QString> description;
    std::optional<QString> event;
    std::optional<PlaysFeedPitchType> type;
    std::optional<bool> isInPlay;
    std::optional<bool> isStrike;
    std::optional<bool> isBall;
};

struct PlaysFeedCoordinates {
    std::optional<double> pX;
    std::optional<double> pZ;
};

struct PlaysFeedPitchData {
    std::optional<double> startSpeed;
    std::optional<double> strikeZoneTop;
    std::optional<double> strikeZoneBottom;
    std::optional<PlaysFeedCoordinates> coordinates;
};

struct PlaysFeedEvent {
    std::optional<QString> type;
    std::optional<bool> isPitch;
    std::optional<PlaysFeedEventDetails> details;
    std::optional<PlaysFeedPitchData> pitchData;
    std::optional<qint64> pitchNumber;
};

struct PlaysFeedAbout {
    std::optional<qint64> atBatIndex;
    std::optional<QString> halfInning;
    std::optional<qint64> inning;
    std::optional<bool> isComplete;
    std::optional<bool> isScoringPlay;
};

struct PlaysFeedResult {
    std::optional<QString> event;
    std::optional<QString> description;
    std::optional<qint64> awayScore;
    std::optional<qint64> homeScore;
};

struct PlaysFeedPerson {
    std::optional<QString> fullName;
};

struct PlaysFeedMatchup {
    std::optional<PlaysFeedPerson> batter;
    std::optional<PlaysFeedPerson> pitcher;
};

struct PlaysFeedReview {
    std::optional<bool> isOverturned;
    std::optional<bool> inProgress;
    std::optional<qint64> challengeTeamId;
};

struct PlaysFeedPlay {
    std::optional<PlaysFeedResult> result;
    std::optional<PlaysFeedAbout> about;
    std::optional<PlaysFeedMatchup> matchup;
    std::optional<std::vector<PlaysFeedEvent>> playEvents;
    std::optional<PlaysFeedReview> reviewDetails;
};

struct PlaysFeedPlays {
    std::optional<std::vector<PlaysFeedPlay>> allPlays;
    std::optional<PlaysFeedPlay> currentPlay;
};

struct PlaysFeedStatus {
    std::optional<QString> abstractGameState;
};

struct PlaysFeedTeam {
    std::optional<qint64> id;
    std::optional<QString> abbreviation;
};

struct PlaysFeedTeams {
    std::optional<PlaysFeedTeam> away;
    std::optional<PlaysFeedTeam> home;
};

struct PlaysFeedGameData {
    std::optional<PlaysFeedStatus> status;
    std::optional<PlaysFeedTeams> teams;
};

struct PlaysFeedLiveData {
    std::optional<PlaysFeedPlays> plays;
};

struct PlaysFeed {
    qint64 gamePk = 0;
    PlaysFeedGameData gameData;
    PlaysFeedLiveData liveData;
};

// A game's plays ready to show: every play by half-inning, the latest completed one, and the at-bat under way.
struct Plays {
    // One entry of an at-bat: a pitch, or something between pitches (a pickoff throw, a stolen base, a visit).
    struct AtBatEvent {
        // Absent for what is not a pitch.
        std::optional<qint64> pitchNumber;
        // The call ("Called Strike") or, between pitches, what happened.
        QString description;
        // "Four-Seam Fastball"; absent when the feed has no pitch type (no tracking, or not a pitch).
        std::optional<QString> pitchType;
        // "97.1 mph".
        std::optional<QString> speed;
        enum class Kind { Ball, Strike, InPlay, Other } kind = Kind::Other;
        // Where the pitch crossed the plate in feet: across from the middle of the plate, and up from the ground.
        std::optional<double> pX;
        std::optional<double> pZ;

        friend bool operator==(const AtBatEvent &, const AtBatEvent &) = default;
    };

    struct AtBat {
        qint64 atBatIndex = 0;
        QString batter;
        QString pitcher;
        // Oldest first.
        std::vector<AtBatEvent> events;
        // The batter's strike zone in feet above the ground, from his latest pitch that gives it.
        std::optional<double> strikeZoneTop;
        std::optional<double> strikeZoneBottom;

        friend bool operator==(const AtBat &, const AtBat &) = default;
    };

    struct Play {
        qint64 atBatIndex = 0;
        QString description;
        bool isScoring = false;
        // "3-2", away first, after the play.
        QString score;
        // "COL challenge: call overturned"; absent without a review.
        std::optional<QString> review;

        friend bool operator==(const Play &, const Play &) = default;
    };

    struct HalfInning {
        qint64 inning = 0;
        bool isTop = true;
        // "Top 7th".
        QString title;
        // Oldest first.
        std::vector<Play> plays;

        friend bool operator==(const HalfInning &, const HalfInning &) = default;
    };

    qint64 gamePk = 0;
    bool isFinal = false;
    // The clubs' abbreviations; empty when the feed has none.
    QString awayAbbr;
    QString homeAbbr;
    // Newest first while the game is on, oldest first once it is over.
    std::vector<HalfInning> halfInnings;
    // The description of the latest completed play.
    std::optional<QString> lastPlay;
    // The at-bat under way; absent once the game is over or before it starts.
    std::optional<AtBat> currentAtBat;

    friend bool operator==(const Plays &, const Plays &) = default;
};

Plays buildPlays(const PlaysFeed &feed);
// The plays of a kept live-feed document. Throws ServiceError like decode().
Plays readPlays(const nlohmann::ordered_json &feed);

// The builder's steps.
Plays::AtBat buildAtBat(const PlaysFeedPlay &play);
Plays::AtBatEvent buildAtBatEvent(const PlaysFeedEvent &event);
std::optional<QString> reviewText(
    const std::optional<PlaysFeedReview> &review, const std::optional<PlaysFeedTeams> &teams);
// "1st", "2nd", "11th".
QString inningOrdinal(qint64 inning);
// The same plays with only the scoring ones, and no half-inning left empty.
std::vector<Plays::HalfInning> scoringOnly(const std::vector<Plays::HalfInning> &halfInnings);
// "1  Called Strike · Sinker · 95.1 mph": the parts the event has.
QString atBatEventLine(const Plays::AtBatEvent &event);

constexpr auto fields(std::type_identity<PlaysFeedPitchType>)
{
    return std::tuple { field("description", &PlaysFeedPitchType::description) };
}

constexpr auto fields(std::type_identity<PlaysFeedEventDetails>)
{
    return std::tuple {
        field("description", &PlaysFeedEventDetails::description),
        field("event", &PlaysFeedEventDetails::event),
        field("type", &PlaysFeedEventDetails::type),
        field("isInPlay", &PlaysFeedEventDetails::isInPlay),
        field("isStrike", &PlaysFeedEventDetails::isStrike),
        field("isBall", &PlaysFeedEventDetails::isBall),
    };
}

constexpr auto fields(std::type_identity<PlaysFeedCoordinates>)
{
    return std::tuple { field("pX", &PlaysFeedCoordinates::pX), field("pZ", &PlaysFeedCoordinates::pZ) };
}

constexpr auto fields(std::type_identity<PlaysFeedPitchData>)
{
    return std::tuple {
        field("startSpeed", &PlaysFeedPitchData::startSpeed),
        field("strikeZoneTop", &PlaysFeedPitchData::strikeZoneTop),
        field("strikeZoneBottom", &PlaysFeedPitchData::strikeZoneBottom),
        field("coordinates", &PlaysFeedPitchData::coordinates),
    };
}

constexpr auto fields(std::type_identity<PlaysFeedEvent>)
{
    return std::tuple {
        field("details", &PlaysFeedEvent::details),
        field("pitchData", &PlaysFeedEvent::pitchData),
        field("isPitch", &PlaysFeedEvent::isPitch),
        field("type", &PlaysFeedEvent::type),
        field("pitchNumber", &PlaysFeedEvent::pitchNumber),
    };
}

constexpr auto fields(std::type_identity<PlaysFeedAbout>)
{
    return std::tuple {
        field("atBatIndex", &PlaysFeedAbout::atBatIndex),
        field("halfInning", &PlaysFeedAbout::halfInning),
        field("inning", &PlaysFeedAbout::inning),
        field("isComplete", &PlaysFeedAbout::isComplete),
        field("isScoringPlay", &PlaysFeedAbout::isScoringPlay),
    };
}

constexpr auto fields(std::type_identity<PlaysFeedResult>)
{
    return std::tuple {
        field("event", &PlaysFeedResult::event),
        field("description", &PlaysFeedResult::description),
        field("awayScore", &PlaysFeedResult::awayScore),
        field("homeScore", &PlaysFeedResult::homeScore),
    };
}

constexpr auto fields(std::type_identity<PlaysFeedPerson>)
{
    return std::tuple { field("fullName", &PlaysFeedPerson::fullName) };
}

constexpr auto fields(std::type_identity<PlaysFeedMatchup>)
{
    return std::tuple { field("batter", &PlaysFeedMatchup::batter), field("pitcher", &PlaysFeedMatchup::pitcher) };
}

constexpr auto fields(std::type_identity<PlaysFeedReview>)
{
    return std::tuple {
        field("isOverturned", &PlaysFeedReview::isOverturned),
        field("inProgress", &PlaysFeedReview::inProgress),
        field("challengeTeamId", &PlaysFeedReview::challengeTeamId),
    };
}

constexpr auto fields(std::type_identity<PlaysFeedPlay>)
{
    return std::tuple {
        field("result", &PlaysFeedPlay::result),
        field("about", &PlaysFeedPlay::about),
        field("matchup", &PlaysFeedPlay::matchup),
        field("playEvents", &PlaysFeedPlay::playEvents),
        field("reviewDetails", &PlaysFeedPlay::reviewDetails),
    };
}

constexpr auto fields(std::type_identity<PlaysFeedPlays>)
{
    return std::tuple {
        field("allPlays", &PlaysFeedPlays::allPlays),
        field("currentPlay", &PlaysFeedPlays::currentPlay),
    };
}

constexpr auto fields(std::type_identity<PlaysFeedStatus>)
{
    return std::tuple { field("abstractGameState", &PlaysFeedStatus::abstractGameState) };
}

constexpr auto fields(std::type_identity<PlaysFeedTeam>)
{
    return std::tuple { field("id", &PlaysFeedTeam::id), field("abbreviation", &PlaysFeedTeam::abbreviation) };
}

constexpr auto fields(std::type_identity<PlaysFeedTeams>)
{
    return std::tuple { field("away", &PlaysFeedTeams::away), field("home", &PlaysFeedTeams::home) };
}

constexpr auto fields(std::type_identity<PlaysFeedGameData>)
{
    return std::tuple { field("status", &PlaysFeedGameData::status), field("teams", &PlaysFeedGameData::teams) };
}

constexpr auto fields(std::type_identity<PlaysFeedLiveData>)
{
    return std::tuple { field("plays", &PlaysFeedLiveData::plays) };
}

constexpr auto fields(std::type_identity<PlaysFeed>)
{
    return std::tuple {
        field("gamePk", &PlaysFeed::gamePk),
        field("gameData", &PlaysFeed::gameData),
        field("liveData", &PlaysFeed::liveData),
    };
}
