#pragma once

#include "stats/decoder.h"
#include "stats/schedule.h"
#include "stats/teams.h"

#include <QString>
#include <optional>
#include <vector>

// Records of the stats service's standings answer, decoded with their JSON member names,
// and the texts the standings table derives from them.

struct Streak {
    QString streakCode;
};

struct SplitRecord {
    qint64 wins = 0;
    qint64 losses = 0;
    QString type;
};

struct TeamRecords {
    std::vector<SplitRecord> splitRecords;
};

struct TeamRecord {
    TeamRef team;
    LeagueRecord leagueRecord;
    QString gamesBack;
    QString divisionRank;
    std::optional<Streak> streak;
    std::optional<bool> divisionLeader;
    std::optional<TeamRecords> records;
    // Older answers lack the wild-card members and the clinch mark.
    std::optional<QString> wildCardRank;
    std::optional<QString> wildCardGamesBack;
    std::optional<bool> wildCardLeader;
    std::optional<QString> clinchIndicator;

    // Wins-losses over the last ten games, "TBD" when the service gives no such split.
    QString lastTenText() const;
    // The winning percentage with three decimals and no leading zero (".500", "1.000").
    QString pctText() const;
};

struct StandingsRecord {
    DivisionRef division;
    std::vector<TeamRecord> teamRecords;
};

struct StandingsResponse {
    std::vector<StandingsRecord> records;
};

// One league's wild-card race: the division leaders, then every other club in wild-card order,
// `spots` of them holding a wild-card place as the answer reports it.
struct WildCardStandings {
    std::vector<TeamRecord> leaders;
    std::vector<TeamRecord> contenders;
    std::size_t spots = 0;
};

// The league a division belongs to (103 American, 104 National), none for an unknown division.
std::optional<qint64> leagueOfDivision(qint64 divisionId);
WildCardStandings wildCardStandings(const std::vector<StandingsRecord> &records, qint64 leagueId);
// One line explaining the clinch marks in `marks` ("x", "y", "z", "w", "e"), in that order; empty for none.
QString clinchLegend(const QStringList &marks);
// What one clinch mark means ("x": "playoff berth"); empty for a mark the legend does not know.
QString clinchMeaning(const QString &mark);

// The title of a division's table, from a fixed table rather than the feed's own name.
QString divisionDisplayName(qint64 divisionId);

constexpr auto fields(std::type_identity<DivisionRef>)
{
    return std::tuple { field("id", &DivisionRef::id), field("name", &DivisionRef::name) };
}

constexpr auto fields(std::type_identity<Streak>)
{
    return std::tuple { field("streakCode", &Streak::streakCode) };
}

constexpr auto fields(std::type_identity<SplitRecord>)
{
    return std::tuple {
        field("wins", &SplitRecord::wins),
        field("losses", &SplitRecord::losses),
        field("type", &SplitRecord::type),
    };
}

constexpr auto fields(std::type_identity<TeamRecords>)
{
    return std::tuple { field("splitRecords", &TeamRecords::splitRecords) };
}

constexpr auto fields(std::type_identity<TeamRecord>)
{
    return std::tuple {
        field("team", &TeamRecord::team),
        field("leagueRecord", &TeamRecord::leagueRecord),
        field("gamesBack", &TeamRecord::gamesBack),
        field("divisionRank", &TeamRecord::divisionRank),
        field("streak", &TeamRecord::streak),
        field("divisionLeader", &TeamRecord::divisionLeader),
        field("records", &TeamRecord::records),
        field("wildCardRank", &TeamRecord::wildCardRank),
        field("wildCardGamesBack", &TeamRecord::wildCardGamesBack),
        field("wildCardLeader", &TeamRecord::wildCardLeader),
        field("clinchIndicator", &TeamRecord::clinchIndicator),
    };
}

constexpr auto fields(std::type_identity<StandingsRecord>)
{
    return std::tuple {
        field("division", &StandingsRecord::division),
        field("teamRecords", &StandingsRecord::teamRecords),
    };
}

constexpr auto fields(std::type_identity<StandingsResponse>)
{
    return std::tuple { field("records", &StandingsResponse::records) };
}
