#pragma once

#include "stats/decoder.h"
#include "stats/schedule.h"

#include <QString>
#include <QStringList>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <vector>

// Records of the stats service's live feed of one game, decoded with their JSON member names,
// and the small GameDetail the detail panel shows.

// A person in a situation slot, the box score or the umpire crew: both members required.
struct GameDetailPlayer {
    qint64 id = 0;
    QString fullName;
};

// A person named by the play-by-play or the decisions: both members optional.
struct PersonRef {
    std::optional<qint64> id;
    std::optional<QString> fullName;
};

struct GameLiveFeedStatus {
    std::optional<QString> abstractGameState;
    std::optional<QString> detailedState;
};

struct WeatherData {
    std::optional<QString> condition;
    std::optional<QString> temp;
    std::optional<QString> wind;
};

struct GameInfoData {
    std::optional<qint64> attendance;
    std::optional<QString> firstPitch;
    std::optional<qint64> gameDurationMinutes;
};

struct GameLiveFeedTeam {
    std::optional<qint64> id;
    std::optional<QString> name;
    std::optional<QString> abbreviation;
};

struct GameLiveFeedTeams {
    std::optional<GameLiveFeedTeam> away;
    std::optional<GameLiveFeedTeam> home;
};

struct GameDetailProbablePitchers {
    std::optional<ProbablePitcher> away;
    std::optional<ProbablePitcher> home;
};

struct GameDetailOffense {
    std::optional<GameDetailPlayer> batter;
    std::optional<GameDetailPlayer> onDeck;
    std::optional<GameDetailPlayer> inHole;
    std::optional<GameDetailPlayer> pitcher;
    std::optional<GameDetailPlayer> first;
    std::optional<GameDetailPlayer> second;
    std::optional<GameDetailPlayer> third;

    // "1B Name", "2B Name", "3B Name" for each occupied base, first base first.
    QStringList runnerTexts() const;
};

struct GameDetailDefense {
    std::optional<GameDetailPlayer> pitcher;
};

struct LinescoreInningTeam {
    std::optional<qint64> runs;
    std::optional<qint64> hits;
    std::optional<qint64> errors;
    std::optional<qint64> leftOnBase;
};

struct LinescoreInning {
    std::optional<qint64> num;
    std::optional<QString> ordinalNum;
    std::optional<LinescoreInningTeam> home;
    std::optional<LinescoreInningTeam> away;
};

struct GameDetailLinescore {
    std::optional<QString> currentInningOrdinal;
    std::optional<QString> inningState;
    std::optional<qint64> balls;
    std::optional<qint64> strikes;
    std::optional<qint64> outs;
    std::optional<GameDetailOffense> offense;
    std::optional<GameDetailDefense> defense;
    std::optional<LinescoreTeams> teams;
    std::optional<std::vector<LinescoreInning>> innings;
};

struct BoxscoreInfoField {
    std::optional<QString> label;
    std::optional<QString> value;
};

struct BoxscoreInfoSection {
    std::optional<QString> title;
    std::optional<std::vector<BoxscoreInfoField>> fieldList;
};

// The box score's records read only what its rows show: a player's stats objects run to 60 members each.
struct PlayerPosition {
    std::optional<QString> abbreviation;
};

struct PlayerBattingStats {
    std::optional<qint64> atBats;
    std::optional<qint64> runs;
    std::optional<qint64> hits;
    std::optional<qint64> rbi;
    std::optional<qint64> baseOnBalls;
    std::optional<qint64> strikeOuts;
};

struct PlayerPitchingStats {
    std::optional<QString> inningsPitched;
    std::optional<qint64> hits;
    std::optional<qint64> runs;
    std::optional<qint64> earnedRuns;
    std::optional<qint64> baseOnBalls;
    std::optional<qint64> strikeOuts;
    std::optional<QString> note;
};

struct PlayerGameStats {
    std::optional<PlayerBattingStats> batting;
    std::optional<PlayerPitchingStats> pitching;
};

struct PlayerSeasonBatting {
    std::optional<QString> avg;
};

struct PlayerSeasonPitching {
    std::optional<QString> era;
};

struct PlayerSeasonStats {
    std::optional<PlayerSeasonBatting> batting;
    std::optional<PlayerSeasonPitching> pitching;
};

struct BoxscorePlayer {
    GameDetailPlayer person;
    std::optional<PlayerPosition> position;
    std::optional<std::vector<PlayerPosition>> allPositions;
    std::optional<QString> battingOrder;
    std::optional<PlayerGameStats> stats;
    std::optional<PlayerSeasonStats> seasonStats;
};

struct BoxscoreTeam {
    std::optional<std::vector<qint64>> batters;
    std::optional<std::vector<qint64>> pitchers;
    std::optional<std::vector<BoxscoreInfoSection>> info;
    // Keyed "ID" followed by the person id.
    std::optional<std::map<QString, BoxscorePlayer>> players;
};

struct BoxscoreTeams {
    std::optional<BoxscoreTeam> away;
    std::optional<BoxscoreTeam> home;
};

struct Official {
    GameDetailPlayer official;
    std::optional<QString> officialType;
};

struct BoxscoreData {
    std::optional<BoxscoreTeams> teams;
    std::optional<std::vector<Official>> officials;
};

struct PlayAbout {
    std::optional<qint64> atBatIndex;
    std::optional<QString> halfInning;
    std::optional<qint64> inning;
};

struct PlayResult {
    std::optional<QString> description;
    std::optional<qint64> awayScore;
    std::optional<qint64> homeScore;
};

// A person of a play, known by id alone.
struct PlayPerson {
    std::optional<qint64> id;
};

struct PlayMatchup {
    std::optional<PlayPerson> batter;
    std::optional<PlayPerson> pitcher;
};

struct PlayRunnerDetails {
    std::optional<PlayPerson> runner;
};

struct PlayRunner {
    std::optional<PlayRunnerDetails> details;
};

struct PlayEvent {
    std::optional<PlayAbout> about;
    std::optional<PlayResult> result;
    std::optional<PlayMatchup> matchup;
    std::optional<std::vector<PlayRunner>> runners;
};

struct PlaysData {
    std::optional<std::vector<PlayEvent>> allPlays;
    // Indexes into allPlays.
    std::optional<std::vector<qint64>> scoringPlays;
    std::optional<PlayEvent> currentPlay;
};

struct DecisionsData {
    std::optional<PersonRef> winner;
    std::optional<PersonRef> loser;
    std::optional<PersonRef> save;
};

struct GameLiveFeedGameData {
    std::optional<Venue> venue;
    std::optional<GameDetailProbablePitchers> probablePitchers;
    std::optional<GameLiveFeedStatus> status;
    std::optional<WeatherData> weather;
    std::optional<GameInfoData> gameInfo;
    std::optional<GameLiveFeedTeams> teams;
};

struct GameLiveFeedLiveData {
    // The object must be there, even when every member of it is absent.
    GameDetailLinescore linescore;
    std::optional<BoxscoreData> boxscore;
    std::optional<PlaysData> plays;
    std::optional<DecisionsData> decisions;
};

struct GameLiveFeedResponse {
    qint64 gamePk = 0;
    GameLiveFeedGameData gameData;
    GameLiveFeedLiveData liveData;
};

// The members of the live feed the detail panel reads, and nothing else.
struct GameDetailFeedGameData {
    std::optional<Venue> venue;
    std::optional<GameDetailProbablePitchers> probablePitchers;
};

struct GameDetailFeedLiveData {
    GameDetailLinescore linescore;
};

struct GameDetailFeed {
    qint64 gamePk = 0;
    GameDetailFeedGameData gameData;
    GameDetailFeedLiveData liveData;
};

// What the detail panel of a live game needs from the feed; the rest is dropped.
struct GameDetail {
    qint64 gamePk = 0;
    std::optional<QString> venueName;
    std::optional<GameDetailProbablePitchers> probablePitchers;
    GameDetailLinescore linescore;

    static GameDetail fromFeed(GameLiveFeedResponse feed);
    static GameDetail fromFeed(GameDetailFeed feed);

    // Situation texts, computed on every call; absent when the feed does not give their inputs.
    std::optional<QString> countText() const;
    std::optional<QString> outsText() const;
    std::optional<QString> matchupText() const;
};

// The detail of a kept live-feed document. Throws ServiceError like decode().
GameDetail readGameDetail(const nlohmann::ordered_json &feed);

// The short form of a player's name used wherever a surname is shown: the last word,
// keeping a generational suffix with the word before it ("Ken Griffey Jr." gives "Griffey Jr.").
QString shortPlayerName(const QString &fullName);

constexpr auto fields(std::type_identity<GameDetailPlayer>)
{
    return std::tuple { field("id", &GameDetailPlayer::id), field("fullName", &GameDetailPlayer::fullName) };
}

constexpr auto fields(std::type_identity<PersonRef>)
{
    return std::tuple { field("id", &PersonRef::id), field("fullName", &PersonRef::fullName) };
}

constexpr auto fields(std::type_identity<PlayPerson>)
{
    return std::tuple { field("id", &PlayPerson::id) };
}

constexpr auto fields(std::type_identity<GameLiveFeedStatus>)
{
    return std::tuple {
        field("abstractGameState", &GameLiveFeedStatus::abstractGameState),
        field("detailedState", &GameLiveFeedStatus::detailedState),
    };
}

constexpr auto fields(std::type_identity<WeatherData>)
{
    return std::tuple {
        field("condition", &WeatherData::condition),
        field("temp", &WeatherData::temp),
        field("wind", &WeatherData::wind),
    };
}

constexpr auto fields(std::type_identity<GameInfoData>)
{
    return std::tuple {
        field("attendance", &GameInfoData::attendance),
        field("firstPitch", &GameInfoData::firstPitch),
        field("gameDurationMinutes", &GameInfoData::gameDurationMinutes),
    };
}

constexpr auto fields(std::type_identity<GameLiveFeedTeam>)
{
    return std::tuple {
        field("id", &GameLiveFeedTeam::id),
        field("name", &GameLiveFeedTeam::name),
        field("abbreviation", &GameLiveFeedTeam::abbreviation),
    };
}

constexpr auto fields(std::type_identity<GameLiveFeedTeams>)
{
    return std::tuple { field("away", &GameLiveFeedTeams::away), field("home", &GameLiveFeedTeams::home) };
}

constexpr auto fields(std::type_identity<GameDetailProbablePitchers>)
{
    return std::tuple {
        field("away", &GameDetailProbablePitchers::away),
        field("home", &GameDetailProbablePitchers::home),
    };
}

constexpr auto fields(std::type_identity<GameDetailOffense>)
{
    return std::tuple {
        field("batter", &GameDetailOffense::batter),
        field("onDeck", &GameDetailOffense::onDeck),
        field("inHole", &GameDetailOffense::inHole),
        field("pitcher", &GameDetailOffense::pitcher),
        field("first", &GameDetailOffense::first),
        field("second", &GameDetailOffense::second),
        field("third", &GameDetailOffense::third),
    };
}

constexpr auto fields(std::type_identity<GameDetailDefense>)
{
    return std::tuple { field("pitcher", &GameDetailDefense::pitcher) };
}

constexpr auto fields(std::type_identity<LinescoreInningTeam>)
{
    return std::tuple {
        field("runs", &LinescoreInningTeam::runs),
        field("hits", &LinescoreInningTeam::hits),
        field("errors", &LinescoreInningTeam::errors),
        field("leftOnBase", &LinescoreInningTeam::leftOnBase),
    };
}

constexpr auto fields(std::type_identity<LinescoreInning>)
{
    return std::tuple {
        field("num", &LinescoreInning::num),
        field("ordinalNum", &LinescoreInning::ordinalNum),
        field("home", &LinescoreInning::home),
        field("away", &LinescoreInning::away),
    };
}

constexpr auto fields(std::type_identity<GameDetailLinescore>)
{
    return std::tuple {
        field("currentInningOrdinal", &GameDetailLinescore::currentInningOrdinal),
        field("inningState", &GameDetailLinescore::inningState),
        field("innings", &GameDetailLinescore::innings),
        field("teams", &GameDetailLinescore::teams),
        field("defense", &GameDetailLinescore::defense),
        field("offense", &GameDetailLinescore::offense),
        field("balls", &GameDetailLinescore::balls),
        field("strikes", &GameDetailLinescore::strikes),
        field("outs", &GameDetailLinescore::outs),
    };
}

constexpr auto fields(std::type_identity<BoxscoreInfoField>)
{
    return std::tuple { field("label", &BoxscoreInfoField::label), field("value", &BoxscoreInfoField::value) };
}

constexpr auto fields(std::type_identity<BoxscoreInfoSection>)
{
    return std::tuple {
        field("title", &BoxscoreInfoSection::title),
        field("fieldList", &BoxscoreInfoSection::fieldList),
    };
}

constexpr auto fields(std::type_identity<PlayerPosition>)
{
    return std::tuple { field("abbreviation", &PlayerPosition::abbreviation) };
}

constexpr auto fields(std::type_identity<PlayerBattingStats>)
{
    return std::tuple {
        field("runs", &PlayerBattingStats::runs),
        field("strikeOuts", &PlayerBattingStats::strikeOuts),
        field("baseOnBalls", &PlayerBattingStats::baseOnBalls),
        field("hits", &PlayerBattingStats::hits),
        field("atBats", &PlayerBattingStats::atBats),
        field("rbi", &PlayerBattingStats::rbi),
    };
}

constexpr auto fields(std::type_identity<PlayerPitchingStats>)
{
    return std::tuple {
        field("note", &PlayerPitchingStats::note),
        field("runs", &PlayerPitchingStats::runs),
        field("strikeOuts", &PlayerPitchingStats::strikeOuts),
        field("baseOnBalls", &PlayerPitchingStats::baseOnBalls),
        field("hits", &PlayerPitchingStats::hits),
        field("inningsPitched", &PlayerPitchingStats::inningsPitched),
        field("earnedRuns", &PlayerPitchingStats::earnedRuns),
    };
}

constexpr auto fields(std::type_identity<PlayerGameStats>)
{
    return std::tuple { field("batting", &PlayerGameStats::batting), field("pitching", &PlayerGameStats::pitching) };
}

constexpr auto fields(std::type_identity<PlayerSeasonBatting>)
{
    return std::tuple { field("avg", &PlayerSeasonBatting::avg) };
}

constexpr auto fields(std::type_identity<PlayerSeasonPitching>)
{
    return std::tuple { field("era", &PlayerSeasonPitching::era) };
}

constexpr auto fields(std::type_identity<PlayerSeasonStats>)
{
    return std::tuple { field("batting", &PlayerSeasonStats::batting),
        field("pitching", &PlayerSeasonStats::pitching) };
}

constexpr auto fields(std::type_identity<BoxscorePlayer>)
{
    return std::tuple {
        field("person", &BoxscorePlayer::person),
        field("position", &BoxscorePlayer::position),
        field("battingOrder", &BoxscorePlayer::battingOrder),
        field("stats", &BoxscorePlayer::stats),
        field("seasonStats", &BoxscorePlayer::seasonStats),
        field("allPositions", &BoxscorePlayer::allPositions),
    };
}

constexpr auto fields(std::type_identity<BoxscoreTeam>)
{
    return std::tuple {
        field("players", &BoxscoreTeam::players),
        field("batters", &BoxscoreTeam::batters),
        field("pitchers", &BoxscoreTeam::pitchers),
        field("info", &BoxscoreTeam::info),
    };
}

constexpr auto fields(std::type_identity<BoxscoreTeams>)
{
    return std::tuple { field("away", &BoxscoreTeams::away), field("home", &BoxscoreTeams::home) };
}

constexpr auto fields(std::type_identity<Official>)
{
    return std::tuple { field("official", &Official::official), field("officialType", &Official::officialType) };
}

constexpr auto fields(std::type_identity<BoxscoreData>)
{
    return std::tuple { field("teams", &BoxscoreData::teams), field("officials", &BoxscoreData::officials) };
}

constexpr auto fields(std::type_identity<PlayAbout>)
{
    return std::tuple {
        field("atBatIndex", &PlayAbout::atBatIndex),
        field("halfInning", &PlayAbout::halfInning),
        field("inning", &PlayAbout::inning),
    };
}

constexpr auto fields(std::type_identity<PlayResult>)
{
    return std::tuple {
        field("description", &PlayResult::description),
        field("awayScore", &PlayResult::awayScore),
        field("homeScore", &PlayResult::homeScore),
    };
}

constexpr auto fields(std::type_identity<PlayMatchup>)
{
    return std::tuple { field("batter", &PlayMatchup::batter), field("pitcher", &PlayMatchup::pitcher) };
}

constexpr auto fields(std::type_identity<PlayRunnerDetails>)
{
    return std::tuple { field("runner", &PlayRunnerDetails::runner) };
}

constexpr auto fields(std::type_identity<PlayRunner>)
{
    return std::tuple { field("details", &PlayRunner::details) };
}

constexpr auto fields(std::type_identity<PlayEvent>)
{
    return std::tuple {
        field("result", &PlayEvent::result),
        field("about", &PlayEvent::about),
        field("matchup", &PlayEvent::matchup),
        field("runners", &PlayEvent::runners),
    };
}

constexpr auto fields(std::type_identity<PlaysData>)
{
    return std::tuple {
        field("allPlays", &PlaysData::allPlays),
        field("currentPlay", &PlaysData::currentPlay),
        field("scoringPlays", &PlaysData::scoringPlays),
    };
}

constexpr auto fields(std::type_identity<DecisionsData>)
{
    return std::tuple {
        field("winner", &DecisionsData::winner),
        field("loser", &DecisionsData::loser),
        field("save", &DecisionsData::save),
    };
}

constexpr auto fields(std::type_identity<GameLiveFeedGameData>)
{
    return std::tuple {
        field("status", &GameLiveFeedGameData::status),
        field("teams", &GameLiveFeedGameData::teams),
        field("venue", &GameLiveFeedGameData::venue),
        field("weather", &GameLiveFeedGameData::weather),
        field("gameInfo", &GameLiveFeedGameData::gameInfo),
        field("probablePitchers", &GameLiveFeedGameData::probablePitchers),
    };
}

constexpr auto fields(std::type_identity<GameLiveFeedLiveData>)
{
    return std::tuple {
        field("plays", &GameLiveFeedLiveData::plays),
        field("linescore", &GameLiveFeedLiveData::linescore),
        field("boxscore", &GameLiveFeedLiveData::boxscore),
        field("decisions", &GameLiveFeedLiveData::decisions),
    };
}

constexpr auto fields(std::type_identity<GameDetailFeedGameData>)
{
    return std::tuple {
        field("venue", &GameDetailFeedGameData::venue),
        field("probablePitchers", &GameDetailFeedGameData::probablePitchers),
    };
}

constexpr auto fields(std::type_identity<GameDetailFeedLiveData>)
{
    return std::tuple { field("linescore", &GameDetailFeedLiveData::linescore) };
}

constexpr auto fields(std::type_identity<GameDetailFeed>)
{
    return std::tuple {
        field("gamePk", &GameDetailFeed::gamePk),
        field("gameData", &GameDetailFeed::gameData),
        field("liveData", &GameDetailFeed::liveData),
    };
}

constexpr auto fields(std::type_identity<GameLiveFeedResponse>)
{
    return std::tuple {
        field("gamePk", &GameLiveFeedResponse::gamePk),
        field("gameData", &GameLiveFeedResponse::gameData),
        field("liveData", &GameLiveFeedResponse::liveData),
    };
}
