#pragma once

#include "stats/gamefeed.h"

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

// The display-ready box score of one game: every text the box-score views show, formatted once per fetch.
struct BoxScore {
    enum class GameStatus { Scheduled, Postponed, Live, Final, Other };

    // "scheduled", "postponed", "live", "final", "other".
    static QString rawValue(GameStatus status);
    // Any other text gives no value.
    static std::optional<GameStatus> gameStatusFromRawValue(const QString &raw);

    struct ResultLine {
        QString title;
        std::optional<QString> decisions;

        friend bool operator==(const ResultLine &, const ResultLine &) = default;
    };

    struct LineScore {
        struct InningColumn {
            QString ordinal;
            QString awayRuns;
            QString homeRuns;

            friend bool operator==(const InningColumn &, const InningColumn &) = default;
        };

        struct TeamTotals {
            qint64 runs = 0;
            qint64 hits = 0;
            qint64 errors = 0;

            friend bool operator==(const TeamTotals &, const TeamTotals &) = default;
        };

        std::vector<InningColumn> innings;
        TeamTotals awayTotals;
        TeamTotals homeTotals;
        QString awayAbbr;
        QString homeAbbr;

        friend bool operator==(const LineScore &, const LineScore &) = default;
    };

    struct TeamBox {
        struct BattingRow {
            qint64 personId = 0;
            QString playerName;
            QString playerFullName;
            QString positionText;
            // Absent exactly on a slot's first row.
            std::optional<QString> roleNotation;
            // 0 for the first row of a slot, 1 for a substitute.
            qint64 indentLevel = 0;
            QString atBats;
            QString runs;
            QString hits;
            QString rbi;
            QString walks;
            QString strikeouts;
            QString avg;

            friend bool operator==(const BattingRow &, const BattingRow &) = default;
        };

        struct BattingTotals {
            QString atBats;
            QString runs;
            QString hits;
            QString rbi;
            QString walks;
            QString strikeouts;

            friend bool operator==(const BattingTotals &, const BattingTotals &) = default;
        };

        struct EventSummary {
            QString label;
            QString value;

            friend bool operator==(const EventSummary &, const EventSummary &) = default;
        };

        struct PitchingRow {
            qint64 personId = 0;
            QString playerName;
            QString playerFullName;
            // A space followed by the feed's decision note, e.g. " (W, 1-0)".
            std::optional<QString> decisionTag;
            QString inningsPitched;
            QString hits;
            QString runs;
            QString earnedRuns;
            QString walks;
            QString strikeouts;
            QString era;

            friend bool operator==(const PitchingRow &, const PitchingRow &) = default;
        };

        QString abbr;
        QString displayName;
        std::vector<BattingRow> battingRows;
        BattingTotals battingTotals;
        std::vector<EventSummary> eventSummaries;
        std::vector<PitchingRow> pitchingRows;

        friend bool operator==(const TeamBox &, const TeamBox &) = default;
    };

    struct ScoringPlayRow {
        QString inningMarker;
        QString scoreState;
        QString description;

        friend bool operator==(const ScoringPlayRow &, const ScoringPlayRow &) = default;
    };

    struct Footer {
        std::optional<QString> umpireHP;
        std::optional<QString> umpire1B;
        std::optional<QString> umpire2B;
        std::optional<QString> umpire3B;
        std::optional<QString> weather;
        std::optional<QString> timeOfGame;
        std::optional<QString> attendance;

        friend bool operator==(const Footer &, const Footer &) = default;
    };

    qint64 gamePk = 0;
    GameStatus status = GameStatus::Other;
    ResultLine result;
    LineScore lineScore;
    TeamBox away;
    TeamBox home;
    std::vector<ScoringPlayRow> scoringPlays;
    Footer footer;

    friend bool operator==(const BoxScore &, const BoxScore &) = default;
};

// Person id to the smallest at-bat index of a play the person took part in.
using FirstAppearanceMap = std::unordered_map<qint64, qint64>;

// The whole box score of a decoded feed; total: every absent part of the feed gives its default.
BoxScore buildBoxScore(const GameLiveFeedResponse &feed);

// The builder's steps, each usable by itself.
BoxScore::GameStatus deriveGameStatus(
    const std::optional<QString> &abstractGameState, const std::optional<QString> &detailedState);
BoxScore::LineScore buildLineScore(const GameDetailLinescore &linescore, const QString &awayAbbr,
    const QString &homeAbbr, BoxScore::GameStatus status);
FirstAppearanceMap firstAppearanceIndex(const std::optional<PlaysData> &plays);
BoxScore::TeamBox buildTeamBox(const std::optional<BoxscoreTeam> &team, const QString &abbr, const QString &displayName,
    const FirstAppearanceMap &firstAppearance);
BoxScore::TeamBox::BattingRow buildBattingRow(const BoxscorePlayer &player, bool firstInSlot);
BoxScore::TeamBox::BattingTotals buildBattingTotals(
    const std::vector<BoxScore::TeamBox::BattingRow> &rows, const std::map<QString, BoxscorePlayer> &players);
std::vector<BoxScore::TeamBox::EventSummary> buildEventSummaries(
    const std::optional<std::vector<BoxscoreInfoSection>> &info);
std::optional<BoxScore::TeamBox::PitchingRow> buildPitchingRow(
    qint64 personId, const std::map<QString, BoxscorePlayer> &players);
BoxScore::ResultLine buildResultLine(BoxScore::GameStatus status, const BoxScore::TeamBox &away,
    const BoxScore::TeamBox &home, qint64 awayRuns, qint64 homeRuns, const std::optional<DecisionsData> &decisions);
std::vector<BoxScore::ScoringPlayRow> buildScoringPlays(const std::optional<PlaysData> &plays);
BoxScore::Footer buildFooter(const std::optional<std::vector<Official>> &officials,
    const std::optional<WeatherData> &weather, const std::optional<GameInfoData> &gameInfo);

// Collapses consecutive duplicates and joins with "-": LF, LF, CF gives "LF-CF".
QString joinPositions(const QStringList &positions);
// "72 degrees, Partly Cloudy"; absent when neither temperature nor condition is given.
std::optional<QString> formatWeather(const std::optional<WeatherData> &weather);
