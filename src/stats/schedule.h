#pragma once

#include "stats/decoder.h"

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

// Records of the stats service's schedule answer, decoded with their JSON member names.

struct TeamRef {
    qint64 id = 0;
    QString name;
};

struct ProbablePitcher {
    qint64 id = 0;
    QString fullName;
};

struct LeagueRecord {
    qint64 wins = 0;
    qint64 losses = 0;
    std::optional<qint64> ties;
    QString pct;
};

struct Venue {
    qint64 id = 0;
    QString name;
};

struct Broadcast {
    QString name;
    QString type;
    QString language;
    bool isNational = false;
    QString homeAway;
};

struct LinescoreTeamData {
    std::optional<qint64> runs;
    std::optional<qint64> hits;
    std::optional<qint64> errors;
};

struct LinescoreTeams {
    std::optional<LinescoreTeamData> home;
    std::optional<LinescoreTeamData> away;
};

struct Linescore {
    std::optional<qint64> currentInning;
    std::optional<QString> currentInningOrdinal;
    std::optional<bool> isTopInning;
    std::optional<LinescoreTeams> teams;
};

struct GameStatus {
    QString abstractGameState;
    QString detailedState;
    std::optional<bool> startTimeTBD;
    std::optional<QString> codedGameState;
    std::optional<QString> statusCode;
    std::optional<QString> reason;
};

struct GameTeamInfo {
    TeamRef team;
    std::optional<qint64> score;
    std::optional<ProbablePitcher> probablePitcher;
    std::optional<LeagueRecord> leagueRecord;
};

struct GameTeams {
    GameTeamInfo away;
    GameTeamInfo home;
};

struct Game {
    qint64 gamePk = 0;
    QString gameDate;
    std::optional<QString> officialDate;
    std::optional<QString> rescheduleDate;
    std::optional<QString> rescheduleGameDate;
    GameStatus status;
    GameTeams teams;
    std::optional<std::vector<Broadcast>> broadcasts;
    std::optional<Linescore> linescore;
    std::optional<Venue> venue;
    std::optional<qint64> seriesGameNumber;
    std::optional<qint64> gamesInSeries;
    // Not from the service: the stream delay has no answer old enough to show this game's runs, so they are hidden
    // as No Spoilers Mode hides them.
    bool runsHeldBack = false;

    // The service calls the game under way (exactly "Live").
    bool isLive() const { return status.abstractGameState == QLatin1StringView("Live"); }
    // Texts and links derived on every call; formatted in the current locale and time zone.
    bool isFinal() const;
    std::vector<Broadcast> tvBroadcasts() const;
    QString broadcastText() const;
    QString startTimeText() const;
    QString statusText() const;
    std::optional<QString> rescheduleText() const;
    std::optional<QString> seriesText() const;
    std::optional<QUrl> externalURL() const;

    // The away or home club is the given one.
    bool involves(qint64 teamId) const { return teams.away.team.id == teamId || teams.home.team.id == teamId; }
};

struct GameDate {
    QString date;
    std::vector<Game> games;
};

struct ScheduleResponse {
    std::vector<GameDate> dates;
};

constexpr auto fields(std::type_identity<TeamRef>)
{
    return std::tuple { field("id", &TeamRef::id), field("name", &TeamRef::name) };
}

constexpr auto fields(std::type_identity<ProbablePitcher>)
{
    return std::tuple { field("id", &ProbablePitcher::id), field("fullName", &ProbablePitcher::fullName) };
}

constexpr auto fields(std::type_identity<LeagueRecord>)
{
    return std::tuple {
        field("wins", &LeagueRecord::wins),
        field("losses", &LeagueRecord::losses),
        field("ties", &LeagueRecord::ties),
        field("pct", &LeagueRecord::pct),
    };
}

constexpr auto fields(std::type_identity<Venue>)
{
    return std::tuple { field("id", &Venue::id), field("name", &Venue::name) };
}

constexpr auto fields(std::type_identity<Broadcast>)
{
    return std::tuple {
        field("name", &Broadcast::name),
        field("type", &Broadcast::type),
        field("language", &Broadcast::language),
        field("isNational", &Broadcast::isNational),
        field("homeAway", &Broadcast::homeAway),
    };
}

constexpr auto fields(std::type_identity<LinescoreTeamData>)
{
    return std::tuple {
        field("runs", &LinescoreTeamData::runs),
        field("hits", &LinescoreTeamData::hits),
        field("errors", &LinescoreTeamData::errors),
    };
}

constexpr auto fields(std::type_identity<LinescoreTeams>)
{
    return std::tuple { field("home", &LinescoreTeams::home), field("away", &LinescoreTeams::away) };
}

constexpr auto fields(std::type_identity<Linescore>)
{
    return std::tuple {
        field("currentInning", &Linescore::currentInning),
        field("currentInningOrdinal", &Linescore::currentInningOrdinal),
        field("isTopInning", &Linescore::isTopInning),
        field("teams", &Linescore::teams),
    };
}

constexpr auto fields(std::type_identity<GameStatus>)
{
    return std::tuple {
        field("abstractGameState", &GameStatus::abstractGameState),
        field("detailedState", &GameStatus::detailedState),
        field("startTimeTBD", &GameStatus::startTimeTBD),
        field("codedGameState", &GameStatus::codedGameState),
        field("statusCode", &GameStatus::statusCode),
        field("reason", &GameStatus::reason),
    };
}

constexpr auto fields(std::type_identity<GameTeamInfo>)
{
    return std::tuple {
        field("team", &GameTeamInfo::team),
        field("score", &GameTeamInfo::score),
        field("probablePitcher", &GameTeamInfo::probablePitcher),
        field("leagueRecord", &GameTeamInfo::leagueRecord),
    };
}

constexpr auto fields(std::type_identity<GameTeams>)
{
    return std::tuple { field("away", &GameTeams::away), field("home", &GameTeams::home) };
}

constexpr auto fields(std::type_identity<Game>)
{
    return std::tuple {
        field("gamePk", &Game::gamePk),
        field("gameDate", &Game::gameDate),
        field("officialDate", &Game::officialDate),
        field("rescheduleDate", &Game::rescheduleDate),
        field("rescheduleGameDate", &Game::rescheduleGameDate),
        field("status", &Game::status),
        field("teams", &Game::teams),
        field("broadcasts", &Game::broadcasts),
        field("linescore", &Game::linescore),
        field("venue", &Game::venue),
        field("seriesGameNumber", &Game::seriesGameNumber),
        field("gamesInSeries", &Game::gamesInSeries),
    };
}

constexpr auto fields(std::type_identity<GameDate>)
{
    return std::tuple { field("date", &GameDate::date), field("games", &GameDate::games) };
}

constexpr auto fields(std::type_identity<ScheduleResponse>)
{
    return std::tuple { field("dates", &ScheduleResponse::dates) };
}
