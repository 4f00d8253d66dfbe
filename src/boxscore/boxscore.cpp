#include "boxscore/boxscore.h"

#include <QLocale>
#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

const std::map<QString, BoxscorePlayer> noPlayers;

QString number(qint64 value)
{
    return QString::number(value);
}

QString numberOr(const std::optional<qint64> &value, const QString &placeholder)
{
    return value ? QString::number(*value) : placeholder;
}

// A member of an optional record, absent with the record, without copying either.
template <class Record, class T>
const std::optional<T> &member(const std::optional<Record> &record, std::optional<T> Record::*field)
{
    static const std::optional<T> absent;
    return record ? (*record).*field : absent;
}

const BoxscorePlayer *findPlayer(const std::map<QString, BoxscorePlayer> &players, qint64 personId)
{
    const auto it = players.find(u"ID"_s + QString::number(personId));
    return it == players.end() ? nullptr : &it->second;
}

// A decimal integer with an optional sign and nothing else; no value on any other text or on overflow.
std::optional<qint64> parseBattingOrder(const QString &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        const qint64 digit = c - u'0';
        // Accumulate toward the sign so that the most negative value parses too.
        if (negative) {
            if (value < (std::numeric_limits<qint64>::min() + digit) / 10) return std::nullopt;
            value = value * 10 - digit;
        } else {
            if (value > (std::numeric_limits<qint64>::max() - digit) / 10) return std::nullopt;
            value = value * 10 + digit;
        }
    }
    return value;
}

std::optional<QString> umpire(const std::optional<std::vector<Official>> &officials, const QString &type)
{
    if (!officials) return std::nullopt;
    for (const Official &entry : *officials) {
        if (entry.officialType == type) return entry.official.fullName;
    }
    return std::nullopt;
}

} // namespace

QString BoxScore::rawValue(GameStatus status)
{
    switch (status) {
    case GameStatus::Scheduled:
        return u"scheduled"_s;
    case GameStatus::Postponed:
        return u"postponed"_s;
    case GameStatus::Live:
        return u"live"_s;
    case GameStatus::Final:
        return u"final"_s;
    case GameStatus::Other:
        break;
    }
    return u"other"_s;
}

std::optional<BoxScore::GameStatus> BoxScore::gameStatusFromRawValue(const QString &raw)
{
    for (const auto status :
        { GameStatus::Scheduled, GameStatus::Postponed, GameStatus::Live, GameStatus::Final, GameStatus::Other }) {
        if (raw == rawValue(status)) return status;
    }
    return std::nullopt;
}

BoxScore buildBoxScore(const GameLiveFeedResponse &feed)
{
    const auto &gameData = feed.gameData;
    const auto &liveData = feed.liveData;

    BoxScore box;
    box.gamePk = feed.gamePk;
    box.status = deriveGameStatus(member(gameData.status, &GameLiveFeedStatus::abstractGameState),
        member(gameData.status, &GameLiveFeedStatus::detailedState));

    const auto &awayTeam = member(gameData.teams, &GameLiveFeedTeams::away);
    const auto &homeTeam = member(gameData.teams, &GameLiveFeedTeams::home);
    const QString awayAbbr = awayTeam && awayTeam->abbreviation ? *awayTeam->abbreviation : u"AWY"_s;
    const QString homeAbbr = homeTeam && homeTeam->abbreviation ? *homeTeam->abbreviation : u"HOM"_s;
    const QString awayName = awayTeam && awayTeam->name ? *awayTeam->name : u"Away"_s;
    const QString homeName = homeTeam && homeTeam->name ? *homeTeam->name : u"Home"_s;

    box.lineScore = buildLineScore(liveData.linescore, awayAbbr, homeAbbr, box.status);

    const FirstAppearanceMap firstAppearance = firstAppearanceIndex(liveData.plays);
    const auto &boxTeams = member(liveData.boxscore, &BoxscoreData::teams);
    box.away = buildTeamBox(member(boxTeams, &BoxscoreTeams::away), awayAbbr, awayName, firstAppearance);
    box.home = buildTeamBox(member(boxTeams, &BoxscoreTeams::home), homeAbbr, homeName, firstAppearance);

    box.result = buildResultLine(box.status, box.away, box.home, box.lineScore.awayTotals.runs,
        box.lineScore.homeTotals.runs, liveData.decisions);
    box.scoringPlays = buildScoringPlays(liveData.plays);
    box.footer = buildFooter(member(liveData.boxscore, &BoxscoreData::officials), gameData.weather, gameData.gameInfo);
    return box;
}

BoxScore::GameStatus deriveGameStatus(
    const std::optional<QString> &abstractGameState, const std::optional<QString> &detailedState)
{
    using Status = BoxScore::GameStatus;
    // A postponed game keeps whatever abstract state the service last gave it, so this test comes first.
    if (detailedState && detailedState->contains(u"postponed"_s, Qt::CaseInsensitive)) return Status::Postponed;
    if (!abstractGameState) return Status::Other;
    const QString state = abstractGameState->toLower();
    if (state == u"preview") return Status::Scheduled;
    if (state == u"live") return Status::Live;
    if (state == u"final") return Status::Final;
    return Status::Other;
}

BoxScore::LineScore buildLineScore(
    const GameDetailLinescore &linescore, const QString &awayAbbr, const QString &homeAbbr, BoxScore::GameStatus status)
{
    BoxScore::LineScore line;
    line.awayAbbr = awayAbbr;
    line.homeAbbr = homeAbbr;

    if (linescore.innings) {
        const auto count = static_cast<qint64>(linescore.innings->size());
        line.innings.reserve(linescore.innings->size());
        for (const LinescoreInning &inning : *linescore.innings) {
            BoxScore::LineScore::InningColumn column;
            column.ordinal = numberOr(inning.num, u"?"_s);
            column.awayRuns = numberOr(member(inning.away, &LinescoreInningTeam::runs), u"-"_s);
            if (inning.home && inning.home->runs) {
                column.homeRuns = number(*inning.home->runs);
            } else {
                // The home side skips the bottom of the last inning when it already leads.
                const bool skippedLast = status == BoxScore::GameStatus::Final && inning.num && *inning.num == count;
                column.homeRuns = skippedLast ? u"x"_s : u"-"_s;
            }
            line.innings.push_back(std::move(column));
        }
    }

    const auto totals = [](const std::optional<LinescoreTeamData> &data) {
        BoxScore::LineScore::TeamTotals result;
        if (data) {
            result.runs = data->runs.value_or(0);
            result.hits = data->hits.value_or(0);
            result.errors = data->errors.value_or(0);
        }
        return result;
    };
    if (linescore.teams) {
        line.awayTotals = totals(linescore.teams->away);
        line.homeTotals = totals(linescore.teams->home);
    }
    return line;
}

FirstAppearanceMap firstAppearanceIndex(const std::optional<PlaysData> &plays)
{
    FirstAppearanceMap map;
    if (!plays || !plays->allPlays) return map;
    for (const PlayEvent &play : *plays->allPlays) {
        if (!play.about || !play.about->atBatIndex) continue;
        const qint64 index = *play.about->atBatIndex;
        const auto note = [&](const std::optional<PlayPerson> &person) {
            if (!person || !person->id) return;
            const auto [it, inserted] = map.try_emplace(*person->id, index);
            if (!inserted && index < it->second) it->second = index;
        };
        if (play.matchup) {
            note(play.matchup->batter);
            note(play.matchup->pitcher);
        }
        if (play.runners) {
            for (const PlayRunner &runner : *play.runners) {
                if (runner.details) note(runner.details->runner);
            }
        }
    }
    return map;
}

BoxScore::TeamBox buildTeamBox(const std::optional<BoxscoreTeam> &team, const QString &abbr, const QString &displayName,
    const FirstAppearanceMap &firstAppearance)
{
    BoxScore::TeamBox box;
    box.abbr = abbr;
    box.displayName = displayName;

    const auto &players = team && team->players ? *team->players : noPlayers;

    struct Entry {
        const BoxscorePlayer *player;
        qint64 order;
    };
    std::map<qint64, std::vector<Entry>> slots;
    if (team && team->batters) {
        for (const qint64 id : *team->batters) {
            const BoxscorePlayer *player = findPlayer(players, id);
            if (!player || !player->battingOrder || player->battingOrder->isEmpty()) continue;
            const auto order = parseBattingOrder(*player->battingOrder);
            if (!order) continue;
            slots[*order / 100].push_back({ player, *order });
        }
    }

    const auto appearance = [&](const Entry &entry) {
        const auto it = firstAppearance.find(entry.player->person.id);
        return it == firstAppearance.end() ? std::numeric_limits<qint64>::max() : it->second;
    };
    const auto before = [&](const Entry &a, const Entry &b) {
        const bool aStarts = a.order % 100 == 0;
        const bool bStarts = b.order % 100 == 0;
        if (aStarts != bStarts) return aStarts;
        if (!firstAppearance.empty()) {
            const qint64 aIndex = appearance(a);
            const qint64 bIndex = appearance(b);
            if (aIndex != bIndex) return aIndex < bIndex;
        }
        return a.order < b.order;
    };
    for (auto &[slot, entries] : slots) {
        std::stable_sort(entries.begin(), entries.end(), before);
        bool first = true;
        for (const Entry &entry : entries) {
            box.battingRows.push_back(buildBattingRow(*entry.player, first));
            first = false;
        }
    }

    box.battingTotals = buildBattingTotals(box.battingRows, players);
    box.eventSummaries = buildEventSummaries(member(team, &BoxscoreTeam::info));

    if (team && team->pitchers) {
        for (const qint64 id : *team->pitchers) {
            if (auto row = buildPitchingRow(id, players)) box.pitchingRows.push_back(std::move(*row));
        }
    }
    return box;
}

BoxScore::TeamBox::BattingRow buildBattingRow(const BoxscorePlayer &player, bool firstInSlot)
{
    BoxScore::TeamBox::BattingRow row;
    row.personId = player.person.id;
    row.playerFullName = player.person.fullName;
    row.playerName = shortPlayerName(player.person.fullName);

    QStringList positions;
    if (player.allPositions) {
        for (const PlayerPosition &position : *player.allPositions) {
            if (position.abbreviation) positions.append(*position.abbreviation);
        }
    }
    if (firstInSlot) {
        row.positionText = joinPositions(positions).toLower();
        row.indentLevel = 0;
    } else {
        // A substitute shows where he ended up; the notation keeps how he got there (ph-lf).
        QString current = u"?"_s;
        if (!positions.isEmpty()) {
            current = positions.back();
        } else if (player.position && player.position->abbreviation) {
            current = *player.position->abbreviation;
        }
        row.positionText = current.toLower();
        row.roleNotation = joinPositions(positions).toLower();
        row.indentLevel = 1;
    }

    const auto &batting = member(player.stats, &PlayerGameStats::batting);
    const auto stat
        = [&](std::optional<qint64> PlayerBattingStats::*field) { return numberOr(member(batting, field), u"0"_s); };
    row.atBats = stat(&PlayerBattingStats::atBats);
    row.runs = stat(&PlayerBattingStats::runs);
    row.hits = stat(&PlayerBattingStats::hits);
    row.rbi = stat(&PlayerBattingStats::rbi);
    row.walks = stat(&PlayerBattingStats::baseOnBalls);
    row.strikeouts = stat(&PlayerBattingStats::strikeOuts);

    const auto &season = member(player.seasonStats, &PlayerSeasonStats::batting);
    row.avg = season && season->avg ? *season->avg : u".---"_s;
    return row;
}

BoxScore::TeamBox::BattingTotals buildBattingTotals(
    const std::vector<BoxScore::TeamBox::BattingRow> &rows, const std::map<QString, BoxscorePlayer> &players)
{
    qint64 atBats = 0, runs = 0, hits = 0, rbi = 0, walks = 0, strikeouts = 0;
    for (const auto &row : rows) {
        const BoxscorePlayer *player = findPlayer(players, row.personId);
        if (!player || !player->stats || !player->stats->batting) continue;
        const PlayerBattingStats &batting = *player->stats->batting;
        atBats += batting.atBats.value_or(0);
        runs += batting.runs.value_or(0);
        hits += batting.hits.value_or(0);
        rbi += batting.rbi.value_or(0);
        walks += batting.baseOnBalls.value_or(0);
        strikeouts += batting.strikeOuts.value_or(0);
    }
    return { number(atBats), number(runs), number(hits), number(rbi), number(walks), number(strikeouts) };
}

std::vector<BoxScore::TeamBox::EventSummary> buildEventSummaries(
    const std::optional<std::vector<BoxscoreInfoSection>> &info)
{
    static const QStringList sections { u"BATTING"_s, u"BASERUNNING"_s, u"FIELDING"_s };
    static const QStringList labels { u"2B"_s, u"3B"_s, u"HR"_s, u"SB"_s, u"CS"_s, u"SF"_s, u"E"_s };

    std::vector<BoxScore::TeamBox::EventSummary> summaries;
    if (!info) return summaries;
    for (const BoxscoreInfoSection &section : *info) {
        if (!section.title || !sections.contains(section.title->toUpper()) || !section.fieldList) continue;
        for (const BoxscoreInfoField &entry : *section.fieldList) {
            if (entry.label && entry.value && labels.contains(*entry.label)) {
                summaries.push_back({ *entry.label, *entry.value });
            }
        }
    }
    return summaries;
}

std::optional<BoxScore::TeamBox::PitchingRow> buildPitchingRow(
    qint64 personId, const std::map<QString, BoxscorePlayer> &players)
{
    const BoxscorePlayer *player = findPlayer(players, personId);
    if (!player || !player->stats || !player->stats->pitching) return std::nullopt;
    const PlayerPitchingStats &pitching = *player->stats->pitching;

    BoxScore::TeamBox::PitchingRow row;
    row.personId = player->person.id;
    row.playerFullName = player->person.fullName;
    row.playerName = shortPlayerName(player->person.fullName);
    if (pitching.note && !pitching.note->isEmpty()) row.decisionTag = u' ' + *pitching.note;
    row.inningsPitched = pitching.inningsPitched.value_or(u"-"_s);
    row.hits = numberOr(pitching.hits, u"-"_s);
    row.runs = numberOr(pitching.runs, u"-"_s);
    row.earnedRuns = numberOr(pitching.earnedRuns, u"-"_s);
    row.walks = numberOr(pitching.baseOnBalls, u"-"_s);
    row.strikeouts = numberOr(pitching.strikeOuts, u"-"_s);
    const auto &season = member(player->seasonStats, &PlayerSeasonStats::pitching);
    row.era = season && season->era ? *season->era : u"-"_s;
    return row;
}

BoxScore::ResultLine buildResultLine(BoxScore::GameStatus status, const BoxScore::TeamBox &away,
    const BoxScore::TeamBox &home, qint64 awayRuns, qint64 homeRuns, const std::optional<DecisionsData> &decisions)
{
    BoxScore::ResultLine line;
    switch (status) {
    case BoxScore::GameStatus::Final: {
        const bool homeWon = awayRuns < homeRuns;
        const auto &winner = homeWon ? home : away;
        const auto &loser = homeWon ? away : home;
        line.title = winner.displayName + u' ' + number(std::max(awayRuns, homeRuns)) + u", "_s + loser.displayName
            + u' ' + number(std::min(awayRuns, homeRuns));
        break;
    }
    case BoxScore::GameStatus::Live:
        line.title = away.displayName + u' ' + number(awayRuns) + u", "_s + home.displayName + u' ' + number(homeRuns);
        break;
    case BoxScore::GameStatus::Scheduled:
    case BoxScore::GameStatus::Postponed:
    case BoxScore::GameStatus::Other:
        line.title = away.displayName + u" at "_s + home.displayName;
        break;
    }

    QStringList parts;
    if (decisions) {
        const auto add = [&](const QString &prefix, const std::optional<PersonRef> &person) {
            if (person && person->fullName) parts.append(prefix + shortPlayerName(*person->fullName));
        };
        add(u"W: "_s, decisions->winner);
        add(u"L: "_s, decisions->loser);
        add(u"Sv: "_s, decisions->save);
    }
    if (!parts.isEmpty()) line.decisions = parts.join(u" \u00B7 "_s);
    return line;
}

std::vector<BoxScore::ScoringPlayRow> buildScoringPlays(const std::optional<PlaysData> &plays)
{
    std::vector<BoxScore::ScoringPlayRow> rows;
    if (!plays || !plays->allPlays || !plays->scoringPlays) return rows;
    const auto &all = *plays->allPlays;
    for (const qint64 index : *plays->scoringPlays) {
        if (index < 0 || index >= static_cast<qint64>(all.size())) continue;
        const PlayEvent &play = all[static_cast<size_t>(index)];

        BoxScore::ScoringPlayRow row;
        const bool top = play.about && play.about->halfInning && play.about->halfInning->toLower() == u"top";
        row.inningMarker = (top ? u"\u25B2"_s : u"\u25BC"_s) + numberOr(member(play.about, &PlayAbout::inning), u"?"_s);
        const auto &result = play.result;
        row.scoreState = numberOr(member(result, &PlayResult::awayScore), u"0"_s) + u'-'
            + numberOr(member(result, &PlayResult::homeScore), u"0"_s);
        row.description = result && result->description ? result->description->trimmed() : QString();
        rows.push_back(std::move(row));
    }
    return rows;
}

BoxScore::Footer buildFooter(const std::optional<std::vector<Official>> &officials,
    const std::optional<WeatherData> &weather, const std::optional<GameInfoData> &gameInfo)
{
    BoxScore::Footer footer;
    footer.umpireHP = umpire(officials, u"Home Plate"_s);
    footer.umpire1B = umpire(officials, u"First Base"_s);
    footer.umpire2B = umpire(officials, u"Second Base"_s);
    footer.umpire3B = umpire(officials, u"Third Base"_s);
    footer.weather = formatWeather(weather);

    if (gameInfo && gameInfo->gameDurationMinutes) {
        const qint64 minutes = *gameInfo->gameDurationMinutes;
        const qint64 hours = minutes / 60;
        footer.timeOfGame = QString::asprintf(
            "%lld:%02lld", static_cast<long long>(hours), static_cast<long long>(minutes - 60 * hours));
    }
    if (gameInfo && gameInfo->attendance) {
        // The C locale omits group separators by default; attendance always shows them.
        QLocale locale;
        locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
        const QString text = locale.toString(*gameInfo->attendance);
        if (!text.isEmpty()) footer.attendance = text;
    }
    return footer;
}

QString joinPositions(const QStringList &positions)
{
    QStringList kept;
    for (const QString &position : positions) {
        if (kept.isEmpty() || kept.back() != position) kept.append(position);
    }
    return kept.join(u'-');
}

std::optional<QString> formatWeather(const std::optional<WeatherData> &weather)
{
    if (!weather) return std::nullopt;
    QStringList parts;
    if (weather->temp) parts.append(*weather->temp + u" degrees"_s);
    if (weather->condition) parts.append(*weather->condition);
    if (parts.isEmpty()) return std::nullopt;
    return parts.join(u", "_s);
}
